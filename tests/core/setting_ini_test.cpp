#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "../support/TempFolder.h"
#include "core/AppObject.h"
#include "core/SettingINI.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

namespace {

namespace fs = std::filesystem;
using ormidon::test::ReadFile;
using ormidon::test::TempFolder;
using ormidon::test::WriteFile;

// A program folder and a home folder with a Desktop, and an application record.
class SettingINITest : public testing::Test {
  protected:
    SettingINITest() {
        fs::create_directory(m_home / "Desktop");
        if (const char* old = ::getenv("HOME")) m_oldHome = old;
        if (const char* old = ::getenv("XDG_CONFIG_HOME")) m_oldConfig = old;
        ::setenv("HOME", m_home.path().c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        ormidon::SetProgramFolderForTesting(m_program.path());
        g_lpApp = m_app.get();
    }
    ~SettingINITest() override {
        g_lpApp = nullptr;
        ormidon::SetProgramFolderForTesting({});
        m_oldHome ? ::setenv("HOME", m_oldHome->c_str(), 1) : ::unsetenv("HOME");
        if (m_oldConfig) ::setenv("XDG_CONFIG_HOME", m_oldConfig->c_str(), 1);
    }

    std::string Desktop() const { return (m_home / "Desktop").string(); }
    std::string Program() const { return m_program.path().string() + "/"; }
    void WriteSettings(const std::string& lines) {
        WriteFile(m_program / "Setting.ini", "[Ormidon]\r\n" + lines);
    }
    CSettingINI& Settings() { return m_app->CSettingINI; }

    TempFolder m_program;
    TempFolder m_home;
    std::unique_ptr<CAppObject> m_app = std::make_unique<CAppObject>();
    std::optional<std::string> m_oldHome, m_oldConfig;
};

TEST_F(SettingINITest, LoadsDefaultsWithoutAFile) {
    CSettingINI& s = Settings();
    EXPECT_EQ(s.m_dwImageResolution, 0);  // constructor value; the file default is 1
    ASSERT_TRUE(s.LoadSetting());

    EXPECT_EQ(s.m_strProgramPath, Program());
    EXPECT_EQ(s.m_strUsername, "admin");
    EXPECT_EQ(s.m_strPassword, "tusqe");
    EXPECT_EQ(s.m_strServerName, "192.168.1.10");
    EXPECT_EQ(s.m_wWebPort, 80);
    EXPECT_EQ(s.m_dwSubPortNumber, 8888);
    EXPECT_EQ(s.m_dwContrast, 96);
    EXPECT_EQ(s.m_dwImageResolution, 1);
    EXPECT_EQ(s.m_wSearchListMaxNumber, 128);
    EXPECT_EQ(s.m_wLastConnectionMAC1, 255);
    EXPECT_EQ(s.m_byRetrAlarmRecord, 1);
    EXPECT_EQ(m_app->by_TurboRepeatStep, 5);
    EXPECT_EQ(s.m_strDesktopPath, Desktop());
    EXPECT_EQ(s.m_strRecordPath, Desktop());
    EXPECT_EQ(s.m_strSnapshotPath, Desktop());
    EXPECT_EQ(s.m_strUpgradeFWPath, Desktop() + "/");
    EXPECT_EQ(s.m_strUpgradeDVRFWPath, Desktop());
    EXPECT_EQ(s.m_strTriggerWavPath, Program() + "alarm.wav");
    EXPECT_EQ(s.m_strNetworkFileDirectory, m_home.path().string() + "/");
    EXPECT_FALSE(fs::exists(m_program / "Setting.ini"));
}

TEST_F(SettingINITest, AppliesTruncationsAndPathFixUps) {
    const struct {
        const char* line;
        std::string (*loaded)(const CSettingINI&, const CAppObject&);
        std::string expected;
    } cases[] = {
        {"Resolution Type=300", [](auto& s, auto&) { return std::to_string(s.m_byResolutionType); },
         "44"},
        {"ServerPort=70000", [](auto& s, auto&) { return std::to_string(s.m_wWebPort); }, "4464"},
        {"contrast=-5", [](auto& s, auto&) { return std::to_string(s.m_dwContrast); }, "-5"},
        {"Zoom Ratio=abc", [](auto& s, auto&) { return std::to_string(s.m_wZoomRatio); }, "0"},
        {"Trigger Wav Path LOWORD=-1",
         [](auto& s, auto&) { return std::to_string(s.m_dwTriggerWavPathLoword); }, "4294967295"},
        {"RETR Alarm Record=0",
         [](auto& s, auto&) { return std::to_string(s.m_byRetrAlarmRecord); }, "1"},
        {"Turbo repeat step=263",
         [](auto&, auto& app) { return std::to_string(app.by_TurboRepeatStep.load()); }, "7"},
        {"Upgrade FW Path=", [](auto& s, auto&) { return s.m_strUpgradeFWPath; }, "/"},
        {"Upgrade FW Path=/fw", [](auto& s, auto&) { return s.m_strUpgradeFWPath; }, "/fw/"},
        {"Upgrade FW Path=/fw/", [](auto& s, auto&) { return s.m_strUpgradeFWPath; }, "/fw/"},
        {"Upgrade DVR FW Path=/dvr/", [](auto& s, auto&) { return s.m_strUpgradeDVRFWPath; },
         "/dvr"},
        {"Upgrade DVR FW Path=/dvr", [](auto& s, auto&) { return s.m_strUpgradeDVRFWPath; },
         "/dvr"},
        {"Record Path=", [](auto& s, auto&) { return s.m_strRecordPath; }, Desktop()},
        {"Snapshot Path=", [](auto& s, auto&) { return s.m_strSnapshotPath; }, Desktop()},
        {"Trigger Wav Path=/sounds/bell.wav", [](auto& s, auto&) { return s.m_strTriggerWavPath; },
         "/sounds/bell.wav"},
        {"Username=", [](auto& s, auto&) { return s.m_strUsername; }, ""},
        {"username = \"op\"", [](auto& s, auto&) { return s.m_strUsername; }, "op"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        WriteSettings(std::string(c.line) + "\r\n");
        CSettingINI settings;
        settings.LoadSetting();
        EXPECT_EQ(c.loaded(settings, *m_app), c.expected);
    }

    // Texts keep at most 255 bytes, never half a character; the firmware folder keeps its
    // slash within them.
    WriteSettings("Server Name=" + std::string(300, 'x') + "\r\nUsername=" + std::string(254, 'u') +
                  "\xC3\xA4\r\nUpgrade FW Path=/" + std::string(299, 'f') + "\r\n");
    CSettingINI settings;
    settings.LoadSetting();
    EXPECT_EQ(settings.m_strServerName, std::string(255, 'x'));
    EXPECT_EQ(settings.m_strUsername, std::string(254, 'u'));
    EXPECT_EQ(settings.m_strUpgradeFWPath, "/" + std::string(253, 'f') + "/");
}

TEST_F(SettingINITest, CreatesTheRecordAndSnapshotFolders) {
    fs::path record = m_home / "rec";
    fs::path snapshot = m_home / "snap";
    WriteSettings("Record Path=" + record.string() + "\r\nSnapshot Path=" + snapshot.string() +
                  "\r\n");
    Settings().LoadSetting();
    EXPECT_TRUE(fs::is_directory(record));
    EXPECT_TRUE(fs::is_directory(snapshot));
}

TEST_F(SettingINITest, SavesEveryKeyKeepsUnknownOnesAndNeverThePassword) {
    WriteFile(m_program / "SETTING.INI",
              "; written by hand\r\n[ormidon]\r\nServerPort=81\r\nMy Own Key=kept\r\n"
              "\r\n[Elsewhere]\r\nX=1\r\n");
    CSettingINI& s = Settings();
    s.LoadSetting();
    EXPECT_EQ(s.m_wWebPort, 81);

    s.m_wWebPort = 8080;
    s.m_strUsername = "operator";
    s.m_strPassword = "secret";
    s.m_dwContrast = -3;
    s.m_byResolutionType = 200;
    s.m_dwTriggerWavPathLoword = 4000000000u;
    s.m_strRecordPath = (m_home / "rec").string();
    m_app->by_TurboRepeatStep = 9;
    std::snprintf(s.m_szServerName, sizeof s.m_szServerName, "recorder.local");
    s.m_strServerName = "10.0.0.7";
    ASSERT_TRUE(s.SaveSetting());

    std::string text = ReadFile(m_program / "SETTING.INI");
    EXPECT_FALSE(fs::exists(m_program / "Setting.ini"));
    EXPECT_EQ(text.find("secret"), std::string::npos);
    EXPECT_NE(text.find("; written by hand\r\n[ormidon]\r\nServerPort=8080\r\nMy Own Key=kept\r\n"
                        "brightness=0\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\r\n\r\n[Elsewhere]\r\nX=1\r\n"), std::string::npos);
    EXPECT_NE(text.find("Trigger Wav Path LOWORD=4000000000\r\n"), std::string::npos);
    EXPECT_NE(text.find("contrast=-3\r\n"), std::string::npos);

    ormidon::IniFile ini(m_program / "SETTING.INI");
    EXPECT_EQ(ini.GetString("Ormidon", "Server Name", ""), "recorder.local");
    // Every key once, plus the unknown one, all in the one section.
    std::string section = text.substr(0, text.find("[Elsewhere]"));
    EXPECT_EQ(std::count(section.begin(), section.end(), '='), 41 + 1);

    CSettingINI again;
    again.LoadSetting();
    EXPECT_EQ(again.m_wWebPort, 8080);
    EXPECT_EQ(again.m_strUsername, "operator");
    EXPECT_EQ(again.m_strPassword, "tusqe");
    EXPECT_EQ(again.m_dwContrast, -3);
    EXPECT_EQ(again.m_byResolutionType, 200);
    EXPECT_EQ(again.m_dwTriggerWavPathLoword, 4000000000u);
    EXPECT_EQ(again.m_strRecordPath, (m_home / "rec").string());
    EXPECT_EQ(again.m_strServerName, "recorder.local");
    EXPECT_EQ(m_app->by_TurboRepeatStep, 9);
}

}  // namespace
