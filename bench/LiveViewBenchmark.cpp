// The whole program watching live video: start-up, the login window, the main window
// showing 704 x 480 frames that the simulated recorder (its own process) sends at 25
// frames per second, for 20 s, and the close. Runs offscreen. Prints
//   liveview_cpu_percent: P   processor time of this process over the wall time of the
//                             run, one core = 100 (goal: P <= 10)
//   liveview_rss_mb: M        peak resident memory of this process (goal: M <= 150)
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "../tests/support/ProgramDriver.h"
#include "../tests/support/TempFolder.h"
#include "ProcessUsage.h"
#include "RecorderProcess.h"
#include "app/Program.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWatchSeconds = 20;

// Counts the message boxes instead of showing them: nobody is there to answer.
class CountedMessageBoxes final : public ormidon::MessageBoxSink {
  public:
    int Show(uint32_t, uint32_t, std::stop_token) override {
        ++count;
        return ormidon::kIdOk;
    }
    int count = 0;
};

// The recorder on a free port the login window can take (up to 9999).
std::unique_ptr<RecorderProcess> StartRecorder() {
    std::random_device random;
    for (int attempt = 0; attempt < 50; ++attempt) {
        const std::string port = std::to_string(2000 + random() % 8000);
        auto recorder = std::make_unique<RecorderProcess>(
            std::vector<std::string>{"--port", port, "--size", "704x480", "--fps", "25", "--user",
                                     "bench:bench", "--device-info", "LINKDEVICE=14"});
        if (recorder->Port() != 0) return recorder;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    // A program folder of its own, so the run leaves the built one's Setting.ini alone.
    ormidon::test::TempFolder programFolder;
    fs::create_directory_symlink(fs::path(ORMIDON_PROGRAM_DIR) / "BMP", programFolder / "BMP");
    fs::create_symlink(fs::path(ORMIDON_PROGRAM_DIR) / "CtrlFile.ini",
                       programFolder / "CtrlFile.ini");
    ormidon::SetProgramFolderForTesting(programFolder.path());

    const std::unique_ptr<RecorderProcess> recorder = StartRecorder();
    if (!recorder) {
        std::printf("liveview: the simulated recorder did not start\n");
        return 1;
    }
    ormidon::test::WriteFile(programFolder / "Setting.ini",
                             "[Ormidon]\nServer Name=127.0.0.1\nServerPort=" +
                                 std::to_string(recorder->Port()) + "\nUsername=bench\n");

    using Clock = std::chrono::steady_clock;
    Clock::time_point firstPicture;
    ormidon::test::ProgramDriver driver(
        "bench",
        [&](CQuorrelDlg&, int picturesSeen) {
            if (picturesSeen == 1 && firstPicture == Clock::time_point()) {
                firstPicture = Clock::now();
            }
            return Clock::now() - firstPicture < std::chrono::seconds(kWatchSeconds);
        },
        (kWatchSeconds + 30) * 1000);

    CountedMessageBoxes boxes;
    const Clock::time_point start = Clock::now();
    const double cpuBefore = ProcessCpuSeconds();
    RunProgram(boxes);
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();

    if (!driver.Trouble().empty() || !driver.ClosedByButton()) {
        std::printf("liveview: the run did not complete: %s\n", driver.Trouble().c_str());
        return 1;
    }
    std::printf("liveview_pictures_shown: %d in %.1f s, %d message boxes\n", driver.PicturesSeen(),
                wall, boxes.count);
    std::printf("liveview_cpu_percent: %.1f\n", 100.0 * cpu / wall);
    std::printf("liveview_rss_mb: %.1f\n", PeakResidentMegabytes());
    ormidon::SetProgramFolderForTesting({});
    return 0;
}
