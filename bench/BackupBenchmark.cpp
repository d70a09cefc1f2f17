// The network backup against the bare connection: the simulated recorder, as its own
// process, serves the same backup (256 MB in 2048-byte frames) twice in one run; once a raw
// socket reads the reply and drops it, once the download writes it to a file in TMPDIR.
// Prints download_vs_socket: the download's rate over the raw rate (goal >= 0.90).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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

// Bytes of the whole reply, read as fast as the connection gives them.
uint64_t ReadRaw(int port, const std::string& request) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    uint64_t total = 0;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size())) {
        std::vector<char> buffer(64 * 1024);
        for (;;) {
            ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
            if (n <= 0) break;
            total += static_cast<uint64_t>(n);
        }
    }
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
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("ormidon-bench-backup-" + std::to_string(::getpid()) + ".dvr");
    const std::string request = BuildNetworkBackupRequest(Job(port, cookie, file));

    double best_raw = 1e9, best_download = 1e9;
    uint64_t raw_bytes = 0, file_bytes = 0;
    for (int round = 0; round < 3; ++round) {
        auto start = std::chrono::steady_clock::now();
        raw_bytes = ReadRaw(port, request);
        best_raw = std::min(best_raw, Seconds(std::chrono::steady_clock::now() - start));

        std::filesystem::remove(file);
        QuietListener listener;
        start = std::chrono::steady_clock::now();
        int status = RunNetworkBackup(Job(port, cookie, file), {}, listener);
        best_download = std::min(best_download, Seconds(std::chrono::steady_clock::now() - start));
        if (status != kBackupFinished) {
            std::fprintf(stderr, "the download ended with status %d\n", status);
            return 1;
        }
        file_bytes = std::filesystem::file_size(file);
        std::filesystem::remove(file);
    }
    const double raw_rate = static_cast<double>(raw_bytes) / best_raw / 1e6;
    const double download_rate = static_cast<double>(file_bytes) / best_download / 1e6;
    std::printf("backup_raw_socket_mb_per_s: %.0f (%llu bytes)\n", raw_rate,
                static_cast<unsigned long long>(raw_bytes));
    std::printf("backup_download_mb_per_s: %.0f (%llu bytes in the file)\n", download_rate,
                static_cast<unsigned long long>(file_bytes));
    std::printf("download_vs_socket: %.2f\n", download_rate / raw_rate);
    return 0;
}
