// The playback program against bare decoding, and its memory on a long download.
//
// A record file of 704 x 480 frames is shown frame by frame at unlimited speed (the player's
// own path: read the frame from the file, decode, turn upright for the screen), and the same
// JPEGs are decoded bare in the same run. Prints play_vs_decode: frames shown per second over
// bare decodes per second (goal >= 0.90).
//
// A 500 MB download (the simulated recorder's backup of its test picture) is written into a
// temporary folder piece by piece, while a process doing only the player's work follows it
// as a Dynamic Download does (a look every 25 MB); a second such process then opens the
// finished file and shows every frame. Prints each one's peak resident memory and the larger
// as player_peak_memory_mb (goal < 100). The file is removed afterwards.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "PlayerWindow.h"
#include "ProcessUsage.h"
#include "platform/JpegCodec.h"
#include "record/RecordFile.h"
#include "record/RecordFormat.h"
#include "sim/BackupRecording.h"

extern char** environ;

namespace {

constexpr int kWidth = 704, kHeight = 480, kFrames = 200;
constexpr uint64_t kDownloadBytes = uint64_t{500} << 20;
constexpr uint64_t kLookEveryBytes = uint64_t{25} << 20;
constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

std::vector<uint8_t> Picture(int frame) {
    std::vector<uint8_t> bgr(ormidon::BgrPictureBytes(kWidth, kHeight));
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* p = &bgr[(static_cast<std::size_t>(y) * kWidth + x) * 3];
            p[0] = static_cast<uint8_t>(x + frame * 3);
            p[1] = static_cast<uint8_t>(y * 2);
            p[2] = static_cast<uint8_t>((x ^ y) + frame);
        }
    }
    return bgr;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The player's side, in a process of its own. "--follow FILE": a look at the growing file
// for every 'r' read from stdin (answered with 'k' on stdout), the end when stdin ends.
// "--play FILE": opens the file and shows every frame. Both print the frames they found and
// their own peak resident memory.
int FollowChild(const char* file) {
    PlayerWindow player;
    char command = 0;
    while (::read(STDIN_FILENO, &command, 1) == 1 && command == 'r') {
        player.Follow(file);
        if (::write(STDOUT_FILENO, "k", 1) != 1) return 1;
    }
    player.EndFollow();
    std::printf("%d %.1f\n", player.FrameCount(), ResidentHighWaterMegabytes());
    return 0;
}

int PlayChild(const char* file) {
    PlayerWindow player;
    if (!player.Load(file)) return 1;
    for (int i = 0; i < player.FrameCount(); ++i) player.ShowFrame(i);
    std::printf("%d %.1f\n", player.FrameCount(), ResidentHighWaterMegabytes());
    return 0;
}

// A child of this program in `mode` on `file`, its stdin and stdout piped.
struct Child {
    pid_t pid = -1;
    int in = -1;   // its stdin
    int out = -1;  // its stdout

    bool Start(const char* mode, const std::string& file) {
        int toChild[2], fromChild[2];
        if (::pipe2(toChild, O_CLOEXEC) != 0) return false;
        if (::pipe2(fromChild, O_CLOEXEC) != 0) return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
        const std::string program = std::filesystem::read_symlink("/proc/self/exe").string();
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(mode),
                        const_cast<char*>(file.c_str()), nullptr};
        const bool started =
            posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(toChild[0]);
        ::close(fromChild[1]);
        in = toChild[1];
        out = fromChild[0];
        return started;
    }
    bool Look() {
        char answer = 0;
        return ::write(in, "r", 1) == 1 && ::read(out, &answer, 1) == 1 && answer == 'k';
    }
    // Ends its input and waits for it: the frames and the peak memory it printed.
    bool Finish(int& frames, double& peakMB) {
        ::close(in);
        std::string printed;
        char buffer[64];
        ssize_t n;
        while ((n = ::read(out, buffer, sizeof buffer)) > 0)
            printed.append(buffer, static_cast<std::size_t>(n));
        ::close(out);
        int status = 0;
        if (::waitpid(pid, &status, 0) != pid) return false;
        return std::sscanf(printed.c_str(), "%d %lf", &frames, &peakMB) == 2 && WIFEXITED(status) &&
               WEXITSTATUS(status) == 0;
    }
};

// The play-versus-decode ratio on a record file in `folder`; 0 when it could not be made.
double PlayVersusDecode(const std::filesystem::path& folder) {
    ormidon::JpegCodec codec;
    std::vector<std::vector<uint8_t>> jpegs;
    RecordFile file;
    RecordHeader_Struct header;
    header.recordType = kUserRecording;
    if (!file.Create(folder.string() + "/", "BENCH", header) || !file.WriteHeader()) return 0;
    for (int i = 0; i < kFrames; ++i) {
        std::vector<uint8_t> jpeg;
        codec.Encode(Picture(i % 25), kWidth, kHeight, 75, jpeg);
        PreRecordFrame_Struct frame;
        frame.length = static_cast<uint32_t>(jpeg.size());
        frame.timeStamp = static_cast<uint32_t>(40 * i);
        frame.width = kWidth, frame.height = kHeight;
        if (!file.WriteFrame(frame, jpeg)) return 0;
        jpegs.push_back(std::move(jpeg));
    }
    const std::string path = file.Path();
    if (!file.Finish()) return 0;

    PlayerWindow player;
    if (!player.Load(path)) return 0;
    std::vector<uint8_t> picture(ormidon::BgrPictureBytes(kWidth, kHeight));
    double bestDecode = 1e9, bestShow = 1e9;
    for (int round = 0; round < 5; ++round) {
        auto start = std::chrono::steady_clock::now();
        for (const auto& jpeg : jpegs) {
            int w = 0, h = 0;
            codec.Decode(jpeg, picture, w, h);
        }
        bestDecode = std::min(bestDecode, Seconds(std::chrono::steady_clock::now() - start));
        start = std::chrono::steady_clock::now();
        for (int i = 0; i < player.FrameCount(); ++i) player.ShowFrame(i);
        bestShow = std::min(bestShow, Seconds(std::chrono::steady_clock::now() - start));
    }
    const double decodeRate = kFrames / bestDecode, showRate = kFrames / bestShow;
    std::printf("player_decodes_per_s: %.0f\n", decodeRate);
    std::printf("player_frames_shown_per_s: %.0f\n", showRate);
    return showRate / decodeRate;
}

// Writes the download into `folder` while a child follows it, then lets another play it.
bool MeasureMemory(const std::filesystem::path& folder) {
    const std::string path = (folder / "CH01_0001.dvr").string();
    const ormidon::sim::BackupRecording download(0, {2024, 2, 29, 23, 59, 58}, kDownloadBytes);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    Child follower;
    if (!follower.Start("--follow", path)) return false;
    const auto start = std::chrono::steady_clock::now();
    std::string piece;
    uint64_t written = 0, looked = 0;
    int looks = 0;
    while (written < download.Size()) {
        piece.clear();
        download.Read(written, kPieceBytes, piece);
        if (::write(fd, piece.data(), piece.size()) != static_cast<ssize_t>(piece.size()))
            return false;
        written += piece.size();
        if (written - looked >= kLookEveryBytes || written == download.Size()) {
            if (!follower.Look()) return false;
            looked = written;
            ++looks;
        }
    }
    ::close(fd);
    int followed = 0, played = 0;
    double followMB = 0, playMB = 0;
    if (!follower.Finish(followed, followMB)) return false;
    const double followSeconds = Seconds(std::chrono::steady_clock::now() - start);

    Child player;
    if (!player.Start("--play", path)) return false;
    const auto playStart = std::chrono::steady_clock::now();
    if (!player.Finish(played, playMB)) return false;
    const double playSeconds = Seconds(std::chrono::steady_clock::now() - playStart);

    std::printf("player_file_mb: %.0f (%d frames of %dx%d)\n",
                static_cast<double>(download.Size()) / (1 << 20), played,
                ormidon::sim::BackupRecording::kWidth, ormidon::sim::BackupRecording::kHeight);
    std::printf("player_follow_peak_memory_mb: %.1f (%d looks, %d frames, %.1f s)\n", followMB,
                looks, followed, followSeconds);
    std::printf("player_play_peak_memory_mb: %.1f (every frame shown, %.1f s)\n", playMB,
                playSeconds);
    std::printf("player_peak_memory_mb: %.1f\n", std::max(followMB, playMB));
    return followed == played && played == static_cast<int>(download.FrameCount());
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--follow") == 0) return FollowChild(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--play") == 0) return PlayChild(argv[2]);

    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("ormidon-bench-player-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const double ratio = PlayVersusDecode(folder);
    const bool measured = ratio > 0 && MeasureMemory(folder);
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    if (!measured) {
        std::fprintf(stderr, "player benchmark: a file could not be made or read\n");
        return 1;
    }
    std::printf("play_vs_decode: %.2f\n", ratio);
    return 0;
}
