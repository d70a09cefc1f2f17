// The network backup against what any downloader does: the simulated recorder, as its own
// process, serves the same backup (256 MB in 2048-byte frames) again and again in one run.
// Each round reads the reply three ways: the download (frames parsed, payloads
// written to a file in TMPDIR), the reference downloader (the same reply read with 64 KiB
// reads and written whole to a file in the same folder), and a bare socket that reads the
// reply and drops it. The machine is shared and noisy: download and reference run in pairs
// whose order turns each round, and the median of five rounds is printed:
//   download_vs_read_write: the download's rate over the reference's (goal >= 0.90);
//   download_vs_socket: over the bare socket's, for information.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "RecorderProcess.h"
#include "net/NetworkBackupDownload.h"
#include "tests/sim/RawHttp.h"

namespace {

constexpr int kSizeMB = 256;
constexpr int kRounds = 5;
constexpr std::size_t kReadSize = 64 * 1024;

NetworkBackupJob Job(int port, const std::string& cookie, const std::filesystem::path& file) {
    NetworkBackupJob job;
    job.address = "127.0.0.1";
    job.port = port;
    job.cookie = cookie;
    job.hostAddress = "127.0.0.1";
    job.year = 2024;
    job.slot = 1;
    job.sizeMB = kSizeMB;
    job.file = file;
    return job;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Bytes of the whole reply, read as fast as the connection gives them; each read goes to
// `file` when one is named, else nowhere.
uint64_t ReadReply(int port, const std::string& request, const std::filesystem::path* file) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int out =
        file != nullptr ? ::open(file->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644) : -1;
    uint64_t total = 0;
    if ((file == nullptr || out >= 0) &&
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size())) {
        std::vector<char> buffer(kReadSize);
        for (;;) {
            const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
            if (n <= 0) break;
            if (out >= 0 && !WriteAll(out, buffer.data(), static_cast<std::size_t>(n))) break;
            total += static_cast<uint64_t>(n);
        }
    }
    if (out >= 0) ::close(out);
    ::close(fd);
    return total;
}

class QuietListener : public NetworkBackupListener {
  public:
    void OnStatus(int, uint32_t) override {}
    void OnProgress(uint32_t, uint32_t) override {}
};

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename Work>
double RateOf(Work work) {
    const auto start = std::chrono::steady_clock::now();
    const uint64_t bytes = work();
    const double seconds = Seconds(std::chrono::steady_clock::now() - start);
    return bytes == 0 || seconds <= 0 ? 0.0 : static_cast<double>(bytes) / seconds / 1e6;
}

}  // namespace

int main() {
    // A free port of the system's choice: a demo may hold the recorder's usual one.
    RecorderProcess recorder({"--port", "0"});
    if (recorder.Port() == 0) {
        std::fprintf(stderr, "the simulated recorder did not start\n");
        return 1;
    }
    const uint16_t port = static_cast<uint16_t>(recorder.Port());
    const std::string cookie = simtest::LogIn(port);
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    const std::string tag = std::to_string(::getpid());
    const std::filesystem::path file = folder / ("ormidon-bench-backup-" + tag + ".dvr");
    const std::filesystem::path reference = folder / ("ormidon-bench-reference-" + tag + ".bin");
    const std::string request = BuildNetworkBackupRequest(Job(port, cookie, file));

    std::vector<double> download, readWrite, socket, vsReadWrite, vsSocket;
    uint64_t fileBytes = 0, replyBytes = 0;
    for (int round = 0; round < kRounds; ++round) {
        std::filesystem::remove(file);
        std::filesystem::remove(reference);
        int status = -1;
        auto runDownload = [&]() -> uint64_t {
            QuietListener listener;
            status = RunNetworkBackup(Job(port, cookie, file), {}, listener);
            return status == kBackupFinished ? std::filesystem::file_size(file) : 0;
        };
        auto runReference = [&] { return replyBytes = ReadReply(port, request, &reference); };
        // Whoever goes second meets the first one's writes still going to the disk: the
        // order turns each round.
        double d = 0, r = 0;
        if (round % 2 == 0) {
            d = RateOf(runDownload);
            r = RateOf(runReference);
        } else {
            r = RateOf(runReference);
            d = RateOf(runDownload);
        }
        if (status != kBackupFinished) {
            std::fprintf(stderr, "the download ended with status %d\n", status);
            return 1;
        }
        fileBytes = std::filesystem::file_size(file);
        const double s = RateOf([&] { return ReadReply(port, request, nullptr); });
        if (r <= 0 || s <= 0) {
            std::fprintf(stderr, "a reference read failed\n");
            return 1;
        }
        download.push_back(d);
        readWrite.push_back(r);
        socket.push_back(s);
        vsReadWrite.push_back(d / r);
        vsSocket.push_back(d / s);
        std::printf("round %d: download %.0f, read_write %.0f, socket %.0f MB/s\n", round + 1, d, r,
                    s);
    }
    std::filesystem::remove(file);
    std::filesystem::remove(reference);
    std::printf("backup_download_mb_per_s: %.0f (%llu bytes in the file)\n", Median(download),
                static_cast<unsigned long long>(fileBytes));
    std::printf("read_write_mb_per_s: %.0f (%llu bytes of reply written)\n", Median(readWrite),
                static_cast<unsigned long long>(replyBytes));
    std::printf("backup_raw_socket_mb_per_s: %.0f\n", Median(socket));
    const auto [low, high] = std::minmax_element(vsReadWrite.begin(), vsReadWrite.end());
    std::printf("download_vs_read_write: %.2f (rounds %.2f-%.2f)\n", Median(vsReadWrite), *low,
                *high);
    std::printf("download_vs_socket: %.2f\n", Median(vsSocket));
    return 0;
}
