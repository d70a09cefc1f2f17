// The whole program end to end against the simulated recorder: its own start-up opens the
// login window, which is filled in from Setting.ini; the password is typed and Enter
// pressed; the main window shows the live picture; its close button ends everything, and
// every thread of the program is joined.
#include "app/Program.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "../support/EngineHarness.h"
#include "../support/ProgramDriver.h"
#include "../support/TempFolder.h"
#include "core/AppObject.h"
#include "core/SessionCookie.h"
#include "core/ThreadSlot.h"
#include "platform/Paths.h"
#include "platform/window/testing/WindowTesting.h"
#include "sim/SimulatedRecorder.h"

namespace {

namespace fs = std::filesystem;
using namespace ormidon;
using namespace ormidon::test;

// Threads of the process other than the pool that Qt keeps for its own picture work.
size_t ProgramThreadCount() {
    size_t count = 0;
    for (const fs::directory_entry& task : fs::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        std::getline(comm, name);
        if (name.rfind("Thread (pooled)", 0) != 0) ++count;
    }
    return count;
}

class ProgramTest : public ormidon::testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        const char* built = std::getenv("ORMIDON_PROGRAM_DIR");
        ASSERT_NE(built, nullptr);
        fs::create_directory_symlink(fs::path(built) / "BMP", programFolder / "BMP");
        fs::create_symlink(fs::path(built) / "CtrlFile.ini", programFolder / "CtrlFile.ini");
        SetProgramFolderForTesting(programFolder.path());

        // The login window takes ports up to 9999.
        std::random_device random;
        bool started = false;
        for (int attempt = 0; attempt < 100 && !started; ++attempt) {
            started = device.Start(static_cast<uint16_t>(2000 + random() % 8000));
        }
        ASSERT_TRUE(started);
        device.SetDeviceInfo("LINKDEVICE", "14");
        WriteFile(programFolder / "Setting.ini",
                  "[Ormidon]\nServer Name=127.0.0.1\nServerPort=" + std::to_string(device.Port()) +
                      "\nUsername=viewer\n");
    }
    void TearDown() override {
        device.Stop();
        SetProgramFolderForTesting({});
        ClearSessionCookie();
    }

    TempFolder programFolder;
    sim::SimulatedRecorder device{sim::RecorderSetup{{}, {{"viewer", "secret", 30}}}};
};

TEST_F(ProgramTest, FromTheLoginWindowToLiveFramesAndBackThroughTheClose) {
    const size_t threadsBefore = ProgramThreadCount();
    const uint32_t overrunsBefore = ThreadSlot::OverrunCount();
    RecordingMessageBoxes boxes;
    ProgramDriver driver(
        "secret", [](CQuorrelDlg&, int picturesSeen) { return picturesSeen < 3; }, 30000);

    EXPECT_EQ(RunProgram(boxes), 0);

    EXPECT_EQ(driver.Trouble(), "");
    EXPECT_TRUE(driver.LoggedIn());
    EXPECT_TRUE(driver.ClosedByButton());
    EXPECT_GE(driver.PicturesSeen(), 3);
    EXPECT_TRUE(boxes.Ids().empty());
    EXPECT_EQ(device.Sessions().size(), 1u);
    // Shut-down deleted the record and joined every thread within its bound.
    EXPECT_EQ(g_lpApp, nullptr);
    EXPECT_EQ(ThreadSlot::OverrunCount(), overrunsBefore);
    EXPECT_TRUE(WaitUntil([&] { return ProgramThreadCount() <= threadsBefore; }, 5000))
        << ProgramThreadCount() << " threads, " << threadsBefore << " before";
    // The close saved the settings of this login.
    const std::string saved = ReadFile(programFolder / "Setting.ini");
    EXPECT_NE(saved.find("ServerPort=" + std::to_string(device.Port())), std::string::npos);
    EXPECT_NE(saved.find("Username=viewer"), std::string::npos);
}

TEST_F(ProgramTest, LeavingTheLoginWindowEndsTheProgram) {
    const size_t threadsBefore = ProgramThreadCount();
    RecordingMessageBoxes boxes;
    QTimer escape;
    QObject::connect(&escape, &QTimer::timeout, [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<LoginDialog*>(widget) && widget->isVisible()) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(widget, &press);
            }
        }
    });
    escape.start(10);

    EXPECT_EQ(RunProgram(boxes), 0);

    EXPECT_TRUE(device.Sessions().empty());
    EXPECT_EQ(device.Server().LogSize(), 0u);
    EXPECT_EQ(g_lpApp, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return ProgramThreadCount() <= threadsBefore; }, 5000));
}

}  // namespace
