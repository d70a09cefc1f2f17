// The raw firmware upload against a bare socket: 256 MiB of parts go to the simulated
// recorder (in this process, so the parts it put together can be checked) twice in one run;
// once each part by a plain socket, its "/UpgradeFW2.cgi" head and its bytes in 1300-byte
// sends, once as a raw parts upgrade by the transfer with its pauses zeroed.
// Prints upload_vs_socket: the upgrade's rate over the socket's (goal >= 0.90).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "net/FirmwareTransfer.h"
#include "sim/SimulatedRecorder.h"

namespace {

constexpr std::size_t kParts = 8;
constexpr std::size_t kPartBytes = 32u << 20;  // 8 x 32 MiB = 256 MiB

class QuietListener final : public FirmwareTransferListener {
  public:
    void OnUpgradeMessage(uint32_t) override {}
    void OnProgress(uint32_t) override {}
    void OnHideProgress() override {}
};

FirmwareTransferJob Job(uint16_t port, const std::string& cookie) {
    FirmwarePartTable table = *FirmwarePartTableFor("P51K");
    for (std::size_t row = 0; row < kParts; ++row) {
        table[row].loaded = true;
        table[row].data.resize(kPartBytes);
        for (std::size_t i = 0; i < kPartBytes; i += 4096) {
            table[row].data[i] = static_cast<uint8_t>(row + i / 4096);
        }
    }
    FirmwareTransferJob job = MakePartsTransfer(table, FirmwareProtocol::kRaw);
    job.address = "127.0.0.1";
    job.port = port;
    job.cookie = cookie;
    job.hostAddress = "127.0.0.1";
    job.headPauseMs = 0;
    job.endPauseMs = 0;
    return job;
}

// Each part on a plain connection: the head, 1300-byte sends, the device's short answer.
bool SendRaw(const FirmwareTransferJob& job) {
    for (std::size_t i = 0; i < job.parts.size(); ++i) {
        const std::string head = FirmwareRawHead(job, job.parts[i], i + 1 == job.parts.size());
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(job.port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bool ok =
            ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::send(fd, head.data(), head.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(head.size());
        const std::vector<uint8_t>& data = job.parts[i].data;
        for (std::size_t at = 0; ok && at < data.size();) {
            const std::size_t size = std::min<std::size_t>(data.size() - at, kFirmwareRawPiece);
            const ssize_t n = ::send(fd, data.data() + at, size, MSG_NOSIGNAL);
            ok = n > 0;
            if (ok) at += static_cast<std::size_t>(n);
        }
        char reply[kFirmwareRawHeadSize];
        ok = ok && ::recv(fd, reply, sizeof reply, 0) > 0;
        ::close(fd);
        if (!ok) return false;
    }
    return true;
}

// True when the recorder holds every part of the job whole.
bool PartsArrived(ormidon::sim::SimulatedRecorder& recorder, const FirmwareTransferJob& job) {
    const auto parts = recorder.Firmware().Parts();
    if (parts.size() != job.parts.size()) return false;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::vector<uint8_t>& data = job.parts[i].data;
        if (!parts[i].complete || parts[i].bytes.size() != data.size() ||
            std::memcmp(data.data(), parts[i].bytes.data(), data.size()) != 0) {
            return false;
        }
    }
    recorder.Firmware().ClearParts();
    return true;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

}  // namespace

int main() {
    ormidon::sim::SimulatedRecorder recorder;
    if (!recorder.Start()) {
        std::fprintf(stderr, "the simulated recorder did not start\n");
        return 1;
    }
    const FirmwareTransferJob job = Job(recorder.Port(), recorder.OpenSession("admin"));
    uint64_t total = 0;
    for (const FirmwareTransferPart& part : job.parts) total += part.data.size();

    double bestRaw = 1e9, bestUpgrade = 1e9;
    for (int round = 0; round < 3; ++round) {
        auto start = std::chrono::steady_clock::now();
        if (!SendRaw(job)) {
            std::fprintf(stderr, "the plain socket's upload failed\n");
            return 1;
        }
        bestRaw = std::min(bestRaw, Seconds(std::chrono::steady_clock::now() - start));
        if (!PartsArrived(recorder, job)) {
            std::fprintf(stderr, "the plain socket's parts did not arrive whole\n");
            return 1;
        }

        QuietListener listener;
        start = std::chrono::steady_clock::now();
        const FirmwareTransferEnd end = RunFirmwareTransfer(job, {}, listener);
        bestUpgrade = std::min(bestUpgrade, Seconds(std::chrono::steady_clock::now() - start));
        if (end != FirmwareTransferEnd::kFinished || !PartsArrived(recorder, job)) {
            std::fprintf(stderr, "the upgrade's parts did not arrive whole\n");
            return 1;
        }
    }
    const double rawRate = static_cast<double>(total) / bestRaw / 1e6;
    const double upgradeRate = static_cast<double>(total) / bestUpgrade / 1e6;
    std::printf("firmware_raw_socket_mb_per_s: %.0f (%llu bytes)\n", rawRate,
                static_cast<unsigned long long>(total));
    std::printf("firmware_upgrade_mb_per_s: %.0f\n", upgradeRate);
    std::printf("upload_vs_socket: %.2f\n", upgradeRate / rawRate);
    return 0;
}
