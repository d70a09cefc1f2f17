// CSettingINI loading an arbitrary Setting.ini: every text is cut to its 255 bytes, the folder
// values keep their fixed-up ends, and what is saved loads back the same.
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "FuzzTarget.h"
#include "core/AppObject.h"
#include "core/SettingINI.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

// A program folder and a home folder with a Desktop, both in a folder of our own that is also
// the working folder, so the record and snapshot folders that loading makes land in it.
struct Scene {
    Scene() {
        fs::create_directories(Program());
        fs::create_directories(root.path() / "home" / "Desktop");
        fs::create_directories(Work());
        ::setenv("HOME", (root.path() / "home").c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        ormidon::SetProgramFolderForTesting(Program());
        g_lpApp = &app;
    }
    fs::path Program() const { return root.path() / "program"; }
    fs::path Work() const { return root.path() / "work"; }

    ormidon::test::TempFolder root;
    CAppObject app;
};

Scene& TheScene() {
    static Scene scene;
    return scene;
}

// Loading makes the record and snapshot folders; only folders inside the working folder are
// allowed, so inputs naming others are skipped.
bool MakesFoldersOnlyHere(const std::string& text) {
    ormidon::IniFile ini;
    ini.SetText(text);
    for (std::string_view key : {CSettingINI::kKeyRecordPath, CSettingINI::kKeySnapshotPath}) {
        const std::string folder = ini.GetString(CSettingINI::kSection, key, "");
        if (!folder.empty() && (folder.front() == '/' || folder.find("..") != std::string::npos))
            return false;
    }
    return true;
}

auto Numbers(const CSettingINI& s) {
    return std::tuple(
        s.m_dwBrightness, s.m_dwContrast, s.m_dwSaturation, s.m_dwImageResolution, s.m_wWebPort,
        s.m_dwSubPortNumber, s.m_wZoomRatio, s.m_wFrameRate, s.m_wTargetBitRate, s.m_wPeakBitRate,
        s.m_wControlBitRateType, s.m_byResolutionType, s.m_byImageQuality, s.m_bySelectedChannel,
        s.m_dwDynamicDownloadOption, s.m_dwWriteCDOption, s.m_dwWriteCDCloseOption,
        s.m_wLastConnectionMAC1, s.m_wLastConnectionMAC2, s.m_byAlarmTriggerRecord,
        s.m_byRetrAlarmRecord, s.m_wAlarmEnableButton, s.m_dwAlarmTriggerQuality,
        s.m_dwAlarmTriggerResolution, s.m_dwTriggerWavPathLoword, s.m_byTriggerCloseHour,
        s.m_byTriggerCloseMin, s.m_byTriggerCloseDate, s.m_byAlarmAutoSwitchVideo,
        s.m_wSearchListHDD, s.m_bySearchListType, s.m_wSearchListMaxNumber);
}

constexpr std::string CSettingINI::*kTexts[] = {
    &CSettingINI::m_strUsername,       &CSettingINI::m_strServerName,
    &CSettingINI::m_strRecordPath,     &CSettingINI::m_strSnapshotPath,
    &CSettingINI::m_strUpgradeFWPath,  &CSettingINI::m_strUpgradeDVRFWPath,
    &CSettingINI::m_strTriggerWavPath, &CSettingINI::m_strNetworkFileDirectory,
};

// A text the file gives back as it was written: no blank or tab at either end, no pair of
// quotes around it, no line break or NUL in it.
bool ReadsBackUnchanged(const std::string& text) {
    if (text.empty()) return true;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    if (blank(text.front()) || blank(text.back())) return false;
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front())
        return false;
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
}

}  // namespace

std::vector<FuzzBytes> FuzzSeeds() {
    const std::string_view files[] = {
        "[Ormidon]\r\nResolution Type=300\r\nServerPort=70000\r\ncontrast=-5\r\n"
        "Zoom Ratio=abc\r\nTrigger Wav Path LOWORD=-1\r\nTurbo repeat step=263\r\n",
        "[Ormidon]\r\nUpgrade FW Path=/fw\r\nUpgrade DVR FW Path=/dvr/\r\nRecord Path=rec\r\n"
        "Snapshot Path=\r\nusername = \"op\"\r\n",
        "; written by hand\r\n[ormidon]\r\nServerPort=81\r\nMy Own Key=kept\r\n\r\n[Elsewhere]\r\n"
        "X=1\r\n",
        "[Ormidon]\nServer Name=recorder.local\nUsername=uuuuuuuuuuuuuuuu\xC3\xA4\n",
    };
    std::vector<FuzzBytes> seeds;
    for (std::string_view file : files) seeds.push_back(fuzz::Seed().Append(file));
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    Scene& scene = TheScene();
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!MakesFoldersOnlyHere(text)) return 0;
    const fs::path file = scene.Program() / "Setting.ini";
    ormidon::test::WriteFile(file, text);
    const fs::path home = fs::current_path();
    fs::current_path(scene.Work());

    CSettingINI loaded;
    FUZZ_CHECK(loaded.LoadSetting());
    for (auto member : kTexts) FUZZ_CHECK((loaded.*member).size() <= 255);
    FUZZ_CHECK(!loaded.m_strUpgradeFWPath.empty() && loaded.m_strUpgradeFWPath.back() == '/');
    FUZZ_CHECK(!loaded.m_strRecordPath.empty() && !loaded.m_strSnapshotPath.empty());
    const uint8_t step = scene.app.by_TurboRepeatStep;

    FUZZ_CHECK(loaded.SaveSetting());
    CSettingINI again;
    again.LoadSetting();
    FUZZ_CHECK(Numbers(again) == Numbers(loaded));
    FUZZ_CHECK(scene.app.by_TurboRepeatStep == step);
    for (auto member : kTexts) {
        if (ReadsBackUnchanged(loaded.*member)) FUZZ_CHECK(again.*member == loaded.*member);
    }

    fs::current_path(home);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(scene.Work())) fs::remove_all(entry, ec);
    fs::remove(file, ec);
    return 0;
}
