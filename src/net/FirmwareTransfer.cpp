#include "net/FirmwareTransfer.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <memory>
#include <string_view>

#include "net/BlockingSocket.h"
#include "net/CgiCommand.h"
#include "net/HalvoSendCommand.h"
#include "net/LiveStreamRequest.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"

namespace {

constexpr uint16_t kCommandSeconds = 15;
constexpr int kKeepAliveSendSeconds = 10;
constexpr int kRawReplySeconds = 15;
constexpr int kRawReplyBytes = 512;

// The package's pacing: a pause after the keep-alive and after each raw head.
constexpr uint32_t kPackageKeepAlivePauseMs = 2000;
constexpr uint32_t kPackageHeadPauseMs = 2000;
constexpr int kPackageSendSeconds = 10;
// The parts': a longer pause after each head, a small receive buffer on the keep-alive.
constexpr uint32_t kPartsHeadPauseMs = 3000;
constexpr int kPartsSendSeconds = 40;
constexpr int kPartsKeepAliveReceiveBuffer = 2048;

// Device-side names of the package's part codes; nothing for the codes it has none for.
std::optional<std::pair<const char*, int>> PackageTypeName(uint8_t code) {
    switch (code) {
        case kFirmwareBoot:
            return std::pair{"BOOT", 1};
        case kFirmwareKernel:
            return std::pair{"KERNEL", 0};
        case kFirmwareHtml:
            return std::pair{"HTML", 2};
        default:
            return std::nullopt;
    }
}

// The whole transfer refuses to start with a part the size fields cannot name.
bool SizesFit(const FirmwareTransferJob& job) {
    return std::all_of(job.parts.begin(), job.parts.end(), [](const FirmwareTransferPart& part) {
        return part.data.size() <= static_cast<std::size_t>(INT_MAX);
    });
}

// True when the device closed the keep-alive connection (its refusal of the session). The
// connection is never read: only its state is looked at.
bool KeepAliveDropped(const CBlockingSocket& socket) {
    pollfd fd = {socket.m_hSocket, POLLRDHUP, 0};
    return poll(&fd, 1, 0) > 0 && (fd.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

// One raw piece: sent at once while the connection takes it, waited for (within `seconds`,
// waking on the socket's stop) only when it does not. Throws as the socket does.
void SendPiece(CBlockingSocket& socket, const char* data, std::size_t size, int seconds) {
    const ssize_t n = ::send(socket.m_hSocket, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n == static_cast<ssize_t>(size)) return;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        throw CBlockingSocketException("Send");
    }
    const std::size_t taken = n > 0 ? static_cast<std::size_t>(n) : 0;
    socket.SendAll(data + taken, static_cast<int>(size - taken), seconds);
}

class Transfer {
  public:
    Transfer(const FirmwareTransferJob& job, const std::stop_token& stop,
             FirmwareTransferListener& listener)
        : job_(job), stop_(stop), listener_(listener), keepAlive_(stop) {}

    FirmwareTransferEnd Run() {
        if (!SizesFit(job_)) return KeepAliveFailure();
        if (!OpenKeepAlive()) return Stopped() ? Cancelled() : KeepAliveFailure();
        if (job_.keepAlivePauseMs > 0 && !ormidon::Sleep(job_.keepAlivePauseMs, stop_))
            return Cancelled();
        if (job_.folderParts) listener_.OnUpgradeMessage(WM_UPGRADEDISABLE);

        for (std::size_t i = 0; i < job_.parts.size(); ++i) {
            if (Stopped()) return Cancelled();
            if (KeepAliveDropped(keepAlive_)) return KeepAliveFailure();
            if (!job_.folderParts) listener_.OnUpgradeMessage(WM_UPGRADEDISABLE);
            const bool lastPart = i + 1 == job_.parts.size();
            const bool sent = job_.protocol == FirmwareProtocol::kCommand
                                  ? SendByCommands(job_.parts[i], lastPart)
                                  : SendRaw(job_.parts[i], lastPart);
            if (Stopped()) return Cancelled();
            if (!sent) return SendFailure();
        }
        // Every part went out. A device that restarts on its last part closes the keep-alive
        // as that part completes: that is the end of an upgrade, not a refusal.
        return Finish();
    }

  private:
    bool Stopped() const { return stop_.stop_requested(); }
    FirmwareTransferEnd Cancelled() { return FirmwareTransferEnd::kCancelled; }

    bool OpenKeepAlive() {
        const std::string request = FirmwareKeepAliveRequest(job_);
        if (request.empty()) return false;
        try {
            keepAlive_.Create(CBlockingSocket::kStream);
            if (job_.receiveBufferBytes > 0) {
                const int size = job_.receiveBufferBytes;
                setsockopt(keepAlive_.m_hSocket, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
            }
            keepAlive_.Connect(CSocketAddress(job_.address.c_str(), job_.port));
            keepAlive_.SendAll(request.data(), static_cast<int>(request.size()),
                               kKeepAliveSendSeconds);
            return true;
        } catch (const CBlockingSocketException&) {
            return false;
        }
    }

    void Progress(uint64_t bytes) {
        sent_ += bytes;
        const uint32_t percent = FirmwarePercent(sent_, job_.progressBase);
        if (percent == shownPercent_) return;
        shownPercent_ = percent;
        listener_.OnProgress(percent);
    }

    bool SendByCommands(const FirmwareTransferPart& part, bool lastPart) {
        const uint64_t count = FirmwarePieceCount(part.data.size(), kFirmwareCommandPiece);
        uint64_t offset = 0;
        for (uint64_t index = 0; offset < part.data.size(); ++index) {
            if (Stopped()) return false;
            const uint32_t size = static_cast<uint32_t>(
                std::min<uint64_t>(part.data.size() - offset, kFirmwareCommandPiece));
            std::string request = FirmwareCommandRequest(part, index, count, lastPart, job_.cookie);
            if (request.empty()) return false;
            // [1] gets a status other than 200, [2] becomes 1 once the whole request went out.
            int32_t status[3] = {};
            const int answered = HalvoSendCommand(
                CGI_UPGRADEFW, request.data(), static_cast<int>(request.size()),
                part.data.data() + offset, static_cast<int>(size), status, sizeof status, nullptr,
                0, nullptr, kCommandSeconds, kCommandSeconds, 0, stop_);
            // A device that writes the part after its last piece may drop the connection
            // without an answer: that piece counts when all of it went out.
            const bool lastPiece = index + 1 == count;
            if (answered == 0 && !(lastPiece && status[1] == 0 && status[2] == 1)) return false;
            offset += size;
            Progress(size);
        }
        return true;
    }

    bool SendRaw(const FirmwareTransferPart& part, bool lastPart) {
        if (part.data.empty()) return true;
        const std::string head = FirmwareRawHead(job_, part, lastPart);
        if (head.empty()) return false;
        CBlockingSocket socket(stop_);
        try {
            socket.Create(CBlockingSocket::kStream);
            socket.Connect(CSocketAddress(job_.address.c_str(), job_.port));
            socket.SendAll(head.data(), static_cast<int>(head.size()), job_.rawSendSeconds);
            if (job_.headPauseMs > 0 && !ormidon::Sleep(job_.headPauseMs, stop_)) return false;
            for (std::size_t offset = 0; offset < part.data.size();) {
                const std::size_t size =
                    std::min<std::size_t>(part.data.size() - offset, kFirmwareRawPiece);
                if (Stopped()) return false;
                SendPiece(socket, reinterpret_cast<const char*>(part.data.data() + offset), size,
                          job_.rawSendSeconds);
                offset += size;
                Progress(size);
            }
            // The device's answer is not judged: the part went out.
            char reply[kRawReplyBytes];
            socket.Receive(reply, sizeof reply, kRawReplySeconds);
            socket.Cleanup();
            return true;
        } catch (const CBlockingSocketException&) {
            return false;
        }
    }

    // Every part went out: the device writes its flash now.
    FirmwareTransferEnd Finish() {
        ormidon::ShowMessage(kStringOverwriteFlash, ormidon::kMbOk, stop_);
        if (Stopped()) return Cancelled();
        listener_.OnHideProgress();
        listener_.OnUpgradeMessage(WM_UPGRADEENABLE);
        listener_.OnUpgradeMessage(WM_UPGRADECLOSE);
        ormidon::Sleep(job_.endPauseMs, stop_);
        return FirmwareTransferEnd::kFinished;
    }

    // The window stays open for another try.
    FirmwareTransferEnd KeepAliveFailure() {
        ormidon::ShowMessage(kStringUpgradeError, ormidon::kMbOk, stop_);
        if (Stopped()) return Cancelled();
        listener_.OnUpgradeMessage(WM_UPGRADEENABLE);
        listener_.OnHideProgress();
        return FirmwareTransferEnd::kKeepAliveFailed;
    }

    // A part is half-written on the device; only a raw package leaves the window open.
    FirmwareTransferEnd SendFailure() {
        ormidon::ShowMessage(kStringUpgradeError, ormidon::kMbOk, stop_);
        if (Stopped()) return Cancelled();
        listener_.OnUpgradeMessage(WM_UPGRADEENABLE);
        listener_.OnHideProgress();
        const bool closes = job_.protocol == FirmwareProtocol::kCommand || job_.folderParts;
        if (closes) {
            listener_.OnUpgradeMessage(WM_UPGRADECLOSE);
            ormidon::Sleep(job_.endPauseMs, stop_);
        }
        return FirmwareTransferEnd::kSendFailed;
    }

    const FirmwareTransferJob& job_;
    const std::stop_token& stop_;
    FirmwareTransferListener& listener_;
    CBlockingSocket keepAlive_;
    uint64_t sent_ = 0;
    uint32_t shownPercent_ = 0;
};

}  // namespace

FirmwareTransferJob MakePackageTransfer(FirmwarePackage package, FirmwareProtocol protocol) {
    FirmwareTransferJob job;
    job.protocol = protocol;
    job.progressBase = package.fileSize;
    if (protocol == FirmwareProtocol::kRaw) {
        job.keepAlivePauseMs = kPackageKeepAlivePauseMs;
        job.headPauseMs = kPackageHeadPauseMs;
    }
    job.rawSendSeconds = kPackageSendSeconds;
    std::string commandType;
    int rawType = 0;
    for (std::size_t i = 0; i < package.parts.size(); ++i) {
        if (const auto name = PackageTypeName(i < package.types.size() ? package.types[i] : 0xFF)) {
            commandType = name->first;
            rawType = name->second;
        }
        FirmwareTransferPart part;
        part.data = std::move(package.parts[i]);
        part.commandType = commandType;
        part.rawType = rawType;
        job.parts.push_back(std::move(part));
    }
    return job;
}

FirmwareTransferJob MakePartsTransfer(FirmwarePartTable& table, FirmwareProtocol protocol) {
    FirmwareTransferJob job;
    job.protocol = protocol;
    job.folderParts = true;
    if (protocol == FirmwareProtocol::kRaw) {
        job.headPauseMs = kPartsHeadPauseMs;
        job.receiveBufferBytes = kPartsKeepAliveReceiveBuffer;
    }
    job.rawSendSeconds = kPartsSendSeconds;
    for (std::size_t row = 0; row < table.size(); ++row) {
        if (!table[row].loaded) continue;
        FirmwareTransferPart part;
        part.data = std::move(table[row].data);
        table[row].data.clear();
        table[row].loaded = false;
        part.commandType = std::to_string(row);
        part.rawType = static_cast<int>(row);
        part.startType = static_cast<int>(row);
        job.progressBase += part.data.size();
        job.parts.push_back(std::move(part));
    }
    return job;
}

uint64_t FirmwarePieceCount(uint64_t size, uint32_t pieceSize) {
    if (pieceSize == 0) return 0;
    return size / pieceSize + (size % pieceSize != 0 ? 1 : 0);
}

std::string FirmwareCommandRequest(const FirmwareTransferPart& part, uint64_t index,
                                   uint64_t pieceCount, bool lastPart, const std::string& cookie) {
    CCgiRequest request(CGI_UPGRADEFW);
    if (index == 0) {
        request.AddParam("Upgrade", "Start");
        request.AddParam("FileSize", std::to_string(part.data.size()));
        if (part.startType) request.AddIntParam("Type", *part.startType);
    } else if (index + 1 == pieceCount) {
        request.AddParam("Upgrade", "Finished");
        request.AddParam("Type", part.commandType);
        if (lastPart) request.AddIntParam("Reboot", 1);
    }
    if (!cookie.empty()) request.AddParam("Cookie", cookie);
    if (!request.IsValid()) return {};
    return request.GetText();
}

std::string FirmwareRawHead(const FirmwareTransferJob& job, const FirmwareTransferPart& part,
                            bool lastPart) {
    if (part.data.size() > static_cast<std::size_t>(INT_MAX)) return {};
    CCgiRequest query(CGI_UPGRADEFW);
    query.AddParam("Cookie", job.cookie);
    query.AddIntParam("FILESIZE", static_cast<int>(part.data.size()));
    query.AddIntParam("Type", part.rawType);
    if (lastPart) query.AddIntParam("REBOOT", 1);
    if (!query.IsValid()) return {};
    // The raw upload has no command of its own: the query goes behind its path.
    const std::string_view commandPath = GetCgiCommandPath(CGI_UPGRADEFW);
    const std::string target = "/UpgradeFW2.cgi" + query.GetText().substr(commandPath.size());
    std::string head = BuildDeviceGetRequestFor(target, job.hostAddress);
    if (head.size() >= kFirmwareRawHeadSize) return {};
    return head;
}

std::string FirmwareKeepAliveRequest(const FirmwareTransferJob& job) {
    CCgiRequest target(CGI_GETVIDEO);
    target.AddParam("Cookie", job.cookie);
    target.AddIntParam("Fake", 1);
    return BuildDeviceGetRequest(target, job.hostAddress);
}

uint32_t FirmwarePercent(uint64_t sent, uint64_t base) {
    if (base == 0) return 0;
    sent = std::min(sent, base);
    // Exact while the product fits 64 bits; beyond that (sent and base above 2^57) the
    // base's hundredth is a close enough step.
    if (sent <= UINT64_MAX / 100) return static_cast<uint32_t>(sent * 100 / base);
    return static_cast<uint32_t>(sent / (base / 100));
}

FirmwareTransferEnd RunFirmwareTransfer(const FirmwareTransferJob& job, std::stop_token stop,
                                        FirmwareTransferListener& listener) {
    Transfer transfer(job, stop, listener);
    return transfer.Run();
}
