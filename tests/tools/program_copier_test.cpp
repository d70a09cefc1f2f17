// The program copier from a program folder of the test's own, whose names differ in case
// from the list: what is copied under which name, the copy's settings, the percentage,
// a copy onto the program folder itself, failures, and the login window's copy button.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "../support/EngineHarness.h"
#include "../support/TempFolder.h"
#include "core/AppObject.h"
#include "core/ProgramFileTable.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/window/ControlId.h"
#include "platform/window/WindowTimers.h"
#include "platform/window/testing/WindowTesting.h"
#include "tools/CCopyProgramDialog.h"
#include "tools/LoginDialog.h"
#include "widgets/CDlgGetPath.h"

namespace {

namespace fs = std::filesystem;
using ormidon::FindControl;
using ormidon::test::ReadFile;
using ormidon::test::WriteFile;

// Every file below `folder`, relative, with "/" between folders.
std::set<std::string> Listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_directory()) names.insert(entry.path().lexically_relative(folder).string());
    }
    return names;
}

class ProgramCopierTest : public ormidon::testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        const fs::path& p = program.path();
        fs::create_directories(p / "bmp/login");
        fs::create_directories(p / "bmp/CMOS");
        WriteFile(p / "ORMIDON", "#!/bin/sh\necho program\n");
        fs::permissions(p / "ORMIDON", fs::perms::owner_all | fs::perms::group_read);
        WriteFile(p / "setting.INI", "[Ormidon]\r\nServerPort=8080\r\nRecord Path=/old/\r\n");
        WriteFile(p / "alarm.wav", "RIFF wave");
        WriteFile(p / "JPEGCODEC.DLL", "not needed");
        WriteFile(p / "bmp/login/SPACER.BMP", "BM login spacer");
        WriteFile(p / "bmp/N_VGA_BG.bmp", "BM background");
        WriteFile(p / "bmp/CMOS/ToolBarBG.bmp", "BM sensor bar");
        WriteFile(p / "IPRecord.dat", "the address book is not copied");
    }

    // Opens the copier and runs its one tick; the window stays open.
    std::unique_ptr<CCopyProgramDialog> Copy(const fs::path& destination) {
        auto copier = std::make_unique<CCopyProgramDialog>(nullptr, program.path().string(),
                                                           destination.string());
        copier->OnInitDialog();
        copier->open();
        EXPECT_EQ(Percent(*copier), "  0%");
        EXPECT_FALSE(OkButton(*copier)->isEnabled());
        EXPECT_TRUE(copier->Timers().Elapse(CCopyProgramDialog::kCopyTimer));
        EXPECT_FALSE(copier->Timers().IsRunning(CCopyProgramDialog::kCopyTimer));
        EXPECT_TRUE(OkButton(*copier)->isEnabled());
        return copier;
    }
    static QString Percent(CCopyProgramDialog& copier) {
        return FindControl<QLabel>(&copier, CCopyProgramDialog::kIdPercent)->text();
    }
    static QAbstractButton* OkButton(CCopyProgramDialog& copier) {
        return FindControl<QAbstractButton>(&copier, CCopyProgramDialog::kIdOk);
    }

    ormidon::test::RecordingMessageBoxes boxes;
    ormidon::test::AppRecordScope scope;
    ormidon::test::TempFolder program;
    ormidon::test::TempFolder destination;
};

TEST_F(ProgramCopierTest, CopiesUnderTheRealNamesAndPointsTheSettingsAtTheCopy) {
    WriteFile(destination / "alarm.wav", "an older copy");
    auto copier = std::make_unique<CCopyProgramDialog>(nullptr, program.path().string(),
                                                       destination.path().string());
    std::map<size_t, QString> seen;
    copier->m_OnRowCopied = [&](size_t row) {
        if (row == 0 || row == 94 || row == kProgramFileRows - 1) seen[row] = Percent(*copier);
    };
    copier->OnInitDialog();
    copier->open();
    ASSERT_TRUE(copier->Timers().Elapse(CCopyProgramDialog::kCopyTimer));
    EXPECT_EQ(seen[0], "  0%");
    EXPECT_EQ(seen[94], QString::asprintf("%3d%%", static_cast<int>(95 * 100 / kProgramFileRows)));
    EXPECT_EQ(seen[kProgramFileRows - 1], "100%");
    EXPECT_EQ(FindControl<QProgressBar>(copier.get(), CCopyProgramDialog::kIdProgress)->value(),
              100);
    EXPECT_TRUE(OkButton(*copier)->isEnabled());
    ormidon::testing::SaveScreenshot(copier.get(), "program-copier-done");

    const fs::path& d = destination.path();
    EXPECT_EQ(Listing(d),
              (std::set<std::string>{"ORMIDON", "setting.INI", "alarm.wav", "bmp/login/SPACER.BMP",
                                     "bmp/N_VGA_BG.bmp", "bmp/CMOS/ToolBarBG.bmp"}));
    for (const char* name :
         {"ORMIDON", "alarm.wav", "bmp/login/SPACER.BMP", "bmp/CMOS/ToolBarBG.bmp"}) {
        EXPECT_EQ(ReadFile(d / name), ReadFile(program / name)) << name;
    }
    EXPECT_EQ(fs::status(d / "ORMIDON").permissions(),
              fs::status(program / "ORMIDON").permissions());
    EXPECT_TRUE(fs::is_directory(d / "BMP/LOGIN"));

    const ormidon::IniFile settings(d / "setting.INI");
    const std::string folder = d.string() + "/";
    EXPECT_EQ(settings.GetString("Ormidon", "Record Path", ""), folder);
    EXPECT_EQ(settings.GetString("Ormidon", "Snapshot Path", ""), folder);
    EXPECT_EQ(settings.GetString("Ormidon", "Trigger Wav Path", ""), folder + "alarm.wav");
    EXPECT_EQ(settings.GetString("Ormidon", "ServerPort", ""), "8080");
    EXPECT_TRUE(boxes.Ids().empty());  // absent files are no failure

    OkButton(*copier)->click();
    EXPECT_EQ(copier->result(), 1);
}

TEST_F(ProgramCopierTest, TheProgramFolderItselfIsRefused) {
    const std::set<std::string> before = Listing(program.path());
    fs::create_directory_symlink(program.path(), destination / "link");
    for (const fs::path& target : {program.path(), destination / "link"}) {
        SCOPED_TRACE(target.string());
        Copy(target);
    }
    ASSERT_EQ(boxes.Texts().size(), 2u);
    EXPECT_NE(boxes.Texts()[0].find("cannot be copied onto itself"), std::string::npos);
    EXPECT_EQ(Listing(program.path()), before);
    EXPECT_EQ(ReadFile(program / "setting.INI"),
              "[Ormidon]\r\nServerPort=8080\r\nRecord Path=/old/\r\n");
}

TEST_F(ProgramCopierTest, LeftBeforeTheCopyStartedNothingIsCopied) {
    CCopyProgramDialog copier(nullptr, program.path().string(), destination.path().string());
    copier.OnInitDialog();
    copier.open();
    copier.reject();  // Escape
    EXPECT_EQ(copier.result(), 2);
    EXPECT_FALSE(copier.Timers().Elapse(CCopyProgramDialog::kCopyTimer));
    EXPECT_TRUE(Listing(destination.path()).empty());
}

TEST_F(ProgramCopierTest, EveryFailureIsNamedWithItsReason) {
    // Folders in the way of a file and of the settings.
    fs::create_directories(destination / "alarm.wav/in-the-way");
    fs::create_directories(destination / "setting.INI/in-the-way");
    Copy(destination.path());
    ASSERT_EQ(boxes.Texts().size(), 1u);
    const std::string text = boxes.Texts()[0];
    EXPECT_NE(text.find("(3 failures)"), std::string::npos) << text;
    EXPECT_NE(text.find("\nalarm.wav: "), std::string::npos) << text;
    EXPECT_NE(text.find("\nsetting.INI: cannot be written"), std::string::npos) << text;
    EXPECT_NE(text.find("4 files were copied"), std::string::npos) << text;
    // No half-copied file under a final or a temporary name.
    EXPECT_EQ(Listing(destination.path()),
              (std::set<std::string>{"ORMIDON", "bmp/login/SPACER.BMP", "bmp/N_VGA_BG.bmp",
                                     "bmp/CMOS/ToolBarBG.bmp"}));
}

TEST_F(ProgramCopierTest, TheLoginWindowsCopyButtonCopiesIntoThePickedFolder) {
    scope.App().CSettingINI.m_strProgramPath = program.path().string() + "/";
    CDlgGetPath::SetVolumeSource([&] {
        return std::vector<ormidon::Volume>{
            {"temp", destination.path(), ormidon::Volume::Kind::Home}};
    });
    std::string start;
    CDlgGetPath::SetModalAnswer([&](CDlgGetPath& picker) {
        start = picker.GetPath();
        EXPECT_TRUE(picker.SelectPath(destination.path().string()));
        return 1;
    });
    const fs::path previous = fs::current_path();
    fs::current_path(ORMIDON_TEST_SKIN_DIR);
    {
        LoginDialog login;
        login.open();
        bool copied = false;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            auto* copier = qobject_cast<CCopyProgramDialog*>(QApplication::activeModalWidget());
            if (copier == nullptr) return;
            copier->Timers().Elapse(CCopyProgramDialog::kCopyTimer);
            copied = copier->m_fDone;
            OkButton(*copier)->click();
        });
        closer.start(5);
        FindControl<QAbstractButton>(&login, LoginDialog::kIdCopyProgram)->click();
        EXPECT_TRUE(copied);
    }
    fs::current_path(previous);
    CDlgGetPath::SetModalAnswer({});
    CDlgGetPath::SetVolumeSource({});
    EXPECT_EQ(start, ormidon::HomeFolder().string());
    EXPECT_TRUE(fs::is_directory(destination / "BMP"));
    EXPECT_EQ(ReadFile(destination / "ORMIDON"), ReadFile(program / "ORMIDON"));
}

}  // namespace
