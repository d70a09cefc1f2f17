// The whole program end to end against the simulated recorder: its own start-up opens the
// login window, which is filled in from Setting.ini; the password is typed and Enter
// pressed; the main window shows the live picture; its close button ends everything, and
// every thread of the program is joined, a burn that a closed window left included; a burn
// stuck in a drive that answers no stop ends the process at once once all is saved.
#include "app/Program.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "../backup/EndlessDiscBackend.h"
#include "../support/EngineHarness.h"
#include "../support/ProgramDriver.h"
#include "../support/RecorderRequests.h"
#include "../support/TempFolder.h"
#include "../support/TypablePort.h"
#include "backup/CCDBurner.h"
#include "backup/DiscLayer.h"
#include "core/AppObject.h"
#include "core/SessionCookie.h"
#include "core/ThreadSlot.h"
#include "liveview/CColorAdjustDlg.h"
#include "platform/Paths.h"
#include "platform/Thread.h"
#include "platform/window/testing/WindowTesting.h"
#include "record/RecordFileValidator.h"
#include "settings/MySystemDialog.h"
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

        ASSERT_TRUE(StartOnTypablePort(device));
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

// Presses Esc on the login window whenever it is shown, every 10 ms while `timer` runs.
void PressEscapeOnTheLoginWindow(QTimer& timer) {
    QObject::connect(&timer, &QTimer::timeout, [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<LoginDialog*>(widget) && widget->isVisible()) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(widget, &press);
            }
        }
    });
    timer.start(10);
}

TEST_F(ProgramTest, LeavingTheLoginWindowEndsTheProgram) {
    const size_t threadsBefore = ProgramThreadCount();
    RecordingMessageBoxes boxes;
    QTimer escape;
    PressEscapeOnTheLoginWindow(escape);

    EXPECT_EQ(RunProgram(boxes), 0);

    EXPECT_TRUE(device.Sessions().empty());
    EXPECT_EQ(device.Server().LogSize(), 0u);
    EXPECT_EQ(g_lpApp, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return ProgramThreadCount() <= threadsBefore; }, 5000));
}

TEST_F(ProgramTest, ExitEndsABurnAClosedWindowLeftBeforeTheWriterGoes) {
    auto backend = std::make_shared<EndlessDiscBackend>();
    SetDiscBackendForTesting(backend);
    UnloadDiscLibrary();
    // A burn that a closed download window left to the keeper, inside the program's writer.
    CCDBurner& writer = AppDiscWriter();
    ASSERT_EQ(writer.Init((programFolder / "CH01_0001.dvr").string(), WriteCDProgressCallback), 1);
    writer.SetTarget(0, false, programFolder.path().string() + "/", "CH01_0001.dvr");
    ormidon::Thread burn([&writer](std::stop_token stop) { writer.Burn(stop); });
    ASSERT_TRUE(WaitUntil([&] { return backend->burning.load(); }));
    KeepDiscWorker(std::move(burn));

    RecordingMessageBoxes boxes;
    QTimer escape;
    PressEscapeOnTheLoginWindow(escape);
    EXPECT_EQ(RunProgram(boxes), 0);

    // Shut-down aborted the burn and waited for it; then the writer went.
    EXPECT_TRUE(backend->aborted.load());
    EXPECT_FALSE(backend->burning.load());
    EXPECT_EQ(KeptDiscWork(), 0u);
    EXPECT_FALSE(DiscLibraryLoaded());
    SetDiscBackendForTesting(nullptr);
    EXPECT_TRUE(WaitUntil([] { return KeptDiscWork() == 0; }));
}

TEST_F(ProgramTest, ExitUnderADriveThatDoesNotAnswerEndsTheProcessOnceAllIsSaved) {
    // kept_drive_exit runs the program with a burn kept inside a drive open that answers no
    // stop; its output goes to files here.
    const fs::path printed = programFolder / "printed.txt";
    const fs::path errors = programFolder / "errors.txt";
    posix_spawn_file_actions_t files;
    ASSERT_EQ(posix_spawn_file_actions_init(&files), 0);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, printed.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, errors.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::string program = ORMIDON_KEPT_DRIVE_EXIT;
    std::string folder = programFolder.path().string();
    char* arguments[] = {program.data(), folder.data(), nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, program.c_str(), &files, nullptr, arguments, environ), 0);
    posix_spawn_file_actions_destroy(&files);
    int status = 0;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > limit) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            FAIL() << "the program did not end";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const auto ended = std::chrono::steady_clock::now();

    const std::string report = ReadFile(errors);
    ASSERT_TRUE(WIFEXITED(status)) << report;
    EXPECT_EQ(WEXITSTATUS(status), 0) << report;
    EXPECT_EQ(report.find("Sanitizer"), std::string::npos) << report;
    // From the start of shut-down: the bound of disc work at exit, the half second a kept
    // request gets once asked to stop, and at most one second more.
    const std::string out = ReadFile(printed);
    const size_t at = out.find("shut-down ");
    ASSERT_NE(at, std::string::npos) << out;
    const std::chrono::nanoseconds began(std::stoll(out.substr(at + 10)));
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        ended - std::chrono::steady_clock::time_point(began));
    EXPECT_GE(took.count(), kDiscWritingExitBoundMs);
    EXPECT_LE(took.count(), kDiscWritingExitBoundMs + 500 + 1000);
    // The trace file says why the program ended so.
    EXPECT_NE(ReadFile(programFolder / "trace.log").find(std::string(kDiscWorkLeftTrace) + "\r\n"),
              std::string::npos);
}

// An operator's first session: every button of the function bar and a channel button, in
// the order a newcomer would try them, each done before the next, the live picture going on
// throughout; then the close.
TEST_F(ProgramTest, EveryBarButtonWorksInOneSession) {
    device.SetDeviceInfo("MULTICH", "1");  // a sixteen-channel recorder: the channel bar shows
    TempFolder records;
    TempFolder snapshots;
    WriteFile(programFolder / "Setting.ini",
              "[Ormidon]\nServer Name=127.0.0.1\nServerPort=" + std::to_string(device.Port()) +
                  "\nUsername=viewer\nRecord Path=" + records.path().string() +
                  "\nSnapshot Path=" + snapshots.path().string() + "\n");
    const auto session = [&] { return device.SessionState(device.Sessions().back()); };
    const auto files = [](const TempFolder& folder) {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(folder.path()))
            found.push_back(entry.path());
        return found;
    };
    const auto asked = [&](std::string_view path) {
        return !RequestTargets(device.Server(), path).empty();
    };
    bool colourWindowSeen = false;

    // Each step presses one button and is done when its effect shows.
    struct Step {
        const char* what;
        int button;
        std::function<bool(CQuorrelDlg&)> done;
        // New pictures to see before the press.
        int picturesBefore = 5;
    };
    const std::vector<Step> steps = {
        {"record", CQuorrelDlg::kIdRecord,
         [](CQuorrelDlg&) { return g_lpApp->m_UserRecord.IsRecording(); }},
        // The first pictures after the start may have been decoded before it, and a busy
        // record thread takes only the newest of frames that come close together: a longer
        // run keeps the five frames the file is checked for.
        {"stop recording", CQuorrelDlg::kIdRecord,
         [](CQuorrelDlg&) { return !g_lpApp->m_UserRecord.IsRecording(); }, 12},
        {"snapshot", CQuorrelDlg::kIdSnapshot,
         [&](CQuorrelDlg&) { return files(snapshots).size() == 1; }},
        {"quality", CQuorrelDlg::kIdQuality,
         [&](CQuorrelDlg&) {
             return asked("/Setquality.cgi") &&
                    session()->quality == g_lpApp->CSettingINI.m_dwAlarmTriggerQuality;
         }},
        {"resolution", CQuorrelDlg::kIdResolution,
         [&](CQuorrelDlg&) {
             return asked("/Setresolution.cgi") &&
                    session()->resolution == g_lpApp->CSettingINI.m_dwImageResolution;
         }},
        {"channel 3", CChannelBar::kIdChannelDvr + 2,
         [](CQuorrelDlg& window) { return window.ChannelBar().CurrentChannel() == 2; }},
        {"colour", CQuorrelDlg::kIdColour,
         [&](CQuorrelDlg&) {
             for (QWidget* widget : QApplication::topLevelWidgets()) {
                 if (auto* colour = qobject_cast<CColorAdjustDlg*>(widget);
                     colour && colour->isVisible()) {
                     colourWindowSeen = true;
                     colour->reject();
                     return false;
                 }
             }
             return colourWindowSeen;
         }},
        {"system config", CQuorrelDlg::kIdSystemConfig,
         [](CQuorrelDlg& window) {
             return window.SystemDialog() != nullptr && window.SystemDialog()->IsWindowOpen() &&
                    window.SystemDialog()->isVisible();
         }},
        {"system config again", CQuorrelDlg::kIdSystemConfig,
         [](CQuorrelDlg& window) {
             return window.SystemDialog() == nullptr && g_lpApp->f_SystemDialogOpen == 0;
         }},
        {"disconnect", CQuorrelDlg::kIdConnect,
         [&](CQuorrelDlg&) {
             return g_lpApp->f_Connected == 0 && device.Video().ActiveStreams() == 0;
         }},
        {"connect", CQuorrelDlg::kIdConnect,
         [&](CQuorrelDlg&) { return device.Video().ActiveStreams() == 1; }},
    };
    size_t step = 0;
    bool pressed = false;
    int picturesAtPress = 0;
    RecordingMessageBoxes boxes;
    ProgramDriver driver(
        "secret",
        [&](CQuorrelDlg& window, int picturesSeen) {
            if (step == steps.size()) return picturesSeen < picturesAtPress + 5;
            if (!pressed) {
                // Every step but CONNECT starts on a running picture.
                if (g_lpApp->f_Connected != 0 &&
                    picturesSeen < picturesAtPress + steps[step].picturesBefore) {
                    return true;
                }
                pressed = true;
                picturesAtPress = picturesSeen;
                // Pressed from the event loop, as a click comes: the colour window's own
                // loop then runs inside it, not inside this watcher.
                QTimer::singleShot(0, &window, [&window, id = steps[step].button] {
                    if (auto* button = FindControl<CVtxButton>(&window, id)) {
                        button->click();
                    } else {
                        ADD_FAILURE() << "no button " << id;
                    }
                });
                return true;
            }
            if (steps[step].done(window)) {
                ++step;
                pressed = false;
                picturesAtPress = picturesSeen;
            }
            return true;
        },
        60000);

    EXPECT_EQ(RunProgram(boxes), 0);

    EXPECT_EQ(driver.Trouble(), "")
        << "at step " << (step < steps.size() ? steps[step].what : "close");
    EXPECT_EQ(step, steps.size());
    EXPECT_TRUE(driver.ClosedByButton());
    EXPECT_TRUE(boxes.Ids().empty());
    const std::vector<fs::path> recorded = files(records);
    ASSERT_EQ(recorded.size(), 1u);
    const RecordFileCheck check = ValidateRecordFile(recorded[0]);
    EXPECT_TRUE(check.valid) << check.error;
    EXPECT_GE(check.frames.size(), 5u);
    const std::vector<fs::path> pictures = files(snapshots);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].extension(), ".jpg");
    EXPECT_EQ(ReadFile(pictures[0]).substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(g_lpApp, nullptr);
}

}  // namespace
