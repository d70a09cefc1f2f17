// The whole program watching live video: start-up, the login window, the main window
// showing 704 x 480 frames that the simulated recorder (its own process) sends at 25
// frames per second, for 20 s, and the close. Runs offscreen. Prints
//   liveview_cpu_percent: P   processor time of this process over the wall time of the
//                             run, one core = 100 (goal: P <= 4)
//   liveview_rss_mb: M        peak resident memory of this process (goal: M <= 150)
//   liveview_vs_decode: R     processor time of this process per picture shown while the
//                             pictures flow (from the first picture to the close) divided by
//                             the time bare TurboJPEG takes to decode one picture of the same
//                             stream, measured after the run (goal: R <= 2.0)
//   liveview_paced_decode_ms: D  the same bare decode, one picture every 40 ms as the stream
//                             paces it: the share of the program's time that is decoding
//                             after the processor has waited between pictures
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <time.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "../tests/support/ProgramDriver.h"
#include "../tests/support/TempFolder.h"
#include "ProcessUsage.h"
#include "RecorderProcess.h"
#include "app/Program.h"
#include "core/AppObject.h"
#include "core/SettingINI.h"
#include "net/LiveStreamReader.h"
#include "net/RTPH_Struct.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWatchSeconds = 20;
// The driver looks at the windows twice a second: often enough to see the first picture and
// the end of the watch, seldom enough that its looking does not weigh on the measure.
constexpr int kDriverTickMs = 500;

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

// A connection to the recorder on loopback; -1 when it cannot be made.
int Connect(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// One HTTP GET to the recorder; the body of its reply.
std::string Get(int port, const std::string& target) {
    const int fd = Connect(port);
    if (fd < 0) return {};
    const std::string request = "GET " + target + " HTTP/1.1\r\n\r\n";
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string reply;
    char buffer[4096];
    for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) {
        reply.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    const std::size_t body = reply.find("\r\n\r\n");
    return body == std::string::npos ? std::string() : reply.substr(body + 4);
}

// `count` JPEG frames of the stream the program watched: logged in as the program logs in,
// with the picture settings it asked for (those of its Setting.ini).
std::vector<std::vector<uint8_t>> StreamFrames(int port, int count) {
    const std::string login = Get(port, "/Login.cgi?Username=bench&Password=bench");
    const std::size_t start = login.find("Session-ID=");
    if (start == std::string::npos) return {};
    const std::string cookie = login.substr(start + 11, login.find(';', start) - start - 11);
    CSettingINI settings;
    settings.LoadSetting();
    Get(port, "/Getdeviceinfo.cgi?Cookie=" + cookie +
                  "&RES=" + std::to_string(settings.m_dwImageResolution) +
                  "&QUA=" + std::to_string(settings.m_dwAlarmTriggerQuality) +
                  "&CH=" + std::to_string(settings.m_bySelectedChannel) + "&NEWHR=2");

    const int fd = Connect(port);
    if (fd < 0) return {};
    const std::string request = "GET /Getvideo.cgi?Cookie=" + cookie + " HTTP/1.1\r\n\r\n";
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    RTPH_Struct header;
    header.fNewHeader = 1;
    LiveStreamReader reader(
        [&header](std::span<const uint8_t> b, uint32_t& length, FrameInfo_Struct& info) {
            return header.Parse(b, length, info);
        });
    std::vector<uint8_t> slot(kSocketSlotSize);
    FrameInfo_Struct info;
    reader.SetSlot(slot, &info);
    std::vector<std::vector<uint8_t>> frames;
    uint8_t buffer[16384];
    while (static_cast<int>(frames.size()) < count) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        std::span<const uint8_t> received(buffer, static_cast<std::size_t>(n));
        while (!received.empty()) {
            const LiveStreamStep step = reader.Feed(received);
            received = received.subspan(step.consumed);
            if (step.event == LiveStreamEvent::FrameReady) {
                frames.emplace_back(slot.begin(), slot.begin() + info.dwPayloadLength);
                reader.SetSlot(slot, &info);
            } else if (step.event != LiveStreamEvent::NeedMore) {
                break;
            }
        }
    }
    close(fd);
    return frames;
}

// Seconds bare TurboJPEG takes to decode one of `frames`: the best of several rounds, as
// on a shared machine the best round is the one least disturbed.
double BareDecodeSeconds(const std::vector<std::vector<uint8_t>>& frames) {
    tjhandle decoder = tjInitDecompress();
    std::vector<uint8_t> picture(kImageBufferSize);
    auto decodeAll = [&] {
        for (const std::vector<uint8_t>& jpeg : frames) {
            int width = 0, height = 0, subsampling = 0, colours = 0;
            tjDecompressHeader3(decoder, jpeg.data(), jpeg.size(), &width, &height, &subsampling,
                                &colours);
            if (std::size_t(width) * std::size_t(height) * 3 > picture.size()) continue;
            tjDecompress2(decoder, jpeg.data(), jpeg.size(), picture.data(), width, 0, height,
                          TJPF_BGR, TJFLAG_BOTTOMUP);
        }
    };
    decodeAll();  // warm up
    double best = 0;
    for (int round = 0; round < 15; ++round) {
        const auto start = std::chrono::steady_clock::now();
        decodeAll();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (round == 0 || seconds < best) best = seconds;
    }
    tjDestroy(decoder);
    return best / static_cast<double>(frames.size());
}

// Processor time of the calling thread, in seconds.
double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Seconds bare TurboJPEG takes to decode one of `frames` when it decodes one every 40 ms, as
// the live stream comes: caches and predictors have gone cold in between.
double PacedDecodeSeconds(const std::vector<std::vector<uint8_t>>& frames) {
    tjhandle decoder = tjInitDecompress();
    std::vector<uint8_t> picture(kImageBufferSize);
    double total = 0;
    int decoded = 0;
    for (const std::vector<uint8_t>& jpeg : frames) {
        int width = 0, height = 0, subsampling = 0, colours = 0;
        tjDecompressHeader3(decoder, jpeg.data(), jpeg.size(), &width, &height, &subsampling,
                            &colours);
        if (std::size_t(width) * std::size_t(height) * 3 > picture.size()) continue;
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        const double start = ThreadCpuSeconds();
        tjDecompress2(decoder, jpeg.data(), jpeg.size(), picture.data(), width, 0, height, TJPF_BGR,
                      TJFLAG_BOTTOMUP);
        total += ThreadCpuSeconds() - start;
        ++decoded;
    }
    tjDestroy(decoder);
    return decoded == 0 ? 0 : total / decoded;
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
    // Processor time and frames shown while the pictures flow.
    double flowCpuStart = 0, flowCpu = 0;
    uint64_t flowFramesStart = 0, flowFrames = 0, framesShown = 0;
    ormidon::test::ProgramDriver driver(
        "bench",
        [&](CQuorrelDlg& window, int picturesSeen) {
            framesShown = window.ShownFrameCount();
            if (picturesSeen == 1 && firstPicture == Clock::time_point()) {
                firstPicture = Clock::now();
                flowCpuStart = ProcessCpuSeconds();
                flowFramesStart = window.ShownFrameCount();
            }
            if (Clock::now() - firstPicture < std::chrono::seconds(kWatchSeconds)) return true;
            flowCpu = ProcessCpuSeconds() - flowCpuStart;
            flowFrames = window.ShownFrameCount() - flowFramesStart;
            return false;
        },
        (kWatchSeconds + 30) * 1000, kDriverTickMs);

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
    std::printf("liveview_pictures_shown: %llu in %.1f s, %d message boxes\n",
                static_cast<unsigned long long>(framesShown), wall, boxes.count);
    std::printf("liveview_cpu_percent: %.1f\n", 100.0 * cpu / wall);
    std::printf("liveview_rss_mb: %.1f\n", PeakResidentMegabytes());

    const std::vector<std::vector<uint8_t>> frames = StreamFrames(recorder->Port(), 64);
    if (frames.empty() || flowFrames == 0) {
        std::printf("liveview: no frames to compare with\n");
        return 1;
    }
    const double perPicture = flowCpu / static_cast<double>(flowFrames);
    const double decode = BareDecodeSeconds(frames);
    std::printf("liveview_ms_per_picture: %.3f (%llu pictures while they flowed)\n",
                perPicture * 1000, static_cast<unsigned long long>(flowFrames));
    std::printf("liveview_decode_ms: %.3f\n", decode * 1000);
    std::printf("liveview_vs_decode: %.2f\n", perPicture / decode);
    std::printf("liveview_paced_decode_ms: %.3f\n", PacedDecodeSeconds(frames) * 1000);
    ormidon::SetProgramFolderForTesting({});
    return 0;
}
