#include "net/NetworkBackupDownload.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "net/BlockingSocket.h"
#include "net/CgiCommand.h"
#include "net/LiveStreamRequest.h"
#include "net/NetworkBackupStream.h"

namespace {

// One read takes what the connection has, up to this; payloads go from here to the file.
constexpr int kReadSize = 64 * 1024;

// Progress command numbers of the sheet's progress bar.
constexpr uint32_t kProgressStart = 1;
constexpr uint32_t kProgressTotal = 2;
constexpr uint32_t kProgressValue = 3;
constexpr uint32_t kProgressEnd = 4;

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }
    // Closes now; false when the close reported a failed write.
    bool Close() {
        int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int m_fd;
};

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string BuildNetworkBackupRequest(const NetworkBackupJob& job) {
    CCgiRequest target(CGI_NETWORKBK);
    target.AddParam("Cookie", job.cookie);
    target.AddIntParam("Year", job.year);
    target.AddIntParam("Month", job.month);
    target.AddIntParam("Day", job.day);
    target.AddIntParam("Hour", job.hour);
    target.AddIntParam("Minute", job.minute);
    target.AddIntParam("Second", job.second);
    target.AddIntParam("Num", job.slot);
    target.AddIntParam("CH", job.channelIndex);
    target.AddIntParam("Size", job.sizeMB);
    return BuildDeviceGetRequest(target, job.hostAddress);
}

bool BackupNameTaken(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(file, error));
}

uint32_t BackupPercent(uint64_t bytes, int sizeMB) {
    if (sizeMB <= 0) return 0;
    uint64_t percent = bytes * 100 / (1024 * 1024) / static_cast<uint64_t>(sizeMB);
    return percent > 100 ? 100 : static_cast<uint32_t>(percent);
}

int RunNetworkBackup(const NetworkBackupJob& job, std::stop_token stop,
                     NetworkBackupListener& listener) {
    auto finish = [&](int status) {
        if (status != kBackupCancelled) listener.OnStatus(status, 0);
        return status;
    };

    CBlockingSocket socket(stop);
    try {
        std::string request = BuildNetworkBackupRequest(job);
        if (request.empty()) return finish(kBackupRequestFailed);
        socket.Create(CBlockingSocket::kStream);
        CSocketAddress address(job.address.c_str(), job.port);
        socket.Connect(address);
        socket.SendAll(request.data(), static_cast<int>(request.size()), 10);
    } catch (const CBlockingSocketException&) {
        socket.Cleanup();
        return finish(stop.stop_requested() ? kBackupCancelled : kBackupRequestFailed);
    }

    // Made new: a name that someone took meanwhile is refused, never truncated.
    FileDescriptor file(
        ::open(job.file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644));
    if (file.Get() < 0) {
        socket.Cleanup();
        return finish(kBackupFileFailed);
    }
    listener.OnFileCreated();

    listener.OnProgress(kProgressStart, 0);
    listener.OnProgress(kProgressTotal, 100);
    auto end = [&](int status) {
        socket.Cleanup();
        listener.OnProgress(kProgressEnd, 0);
        return finish(status);
    };

    // The payloads of one read go to the file in one write.
    std::string pending;
    pending.reserve(kReadSize);
    uint32_t lastPercent = 0;
    NetworkBackupStream stream([&](std::string_view piece) {
        pending.append(piece);
        return true;
    });

    std::vector<char> buffer(kReadSize);
    while (!stream.Finished()) {
        if (stop.stop_requested()) return end(kBackupCancelled);
        int got = socket.Receive(buffer.data(), kReadSize, job.receiveSeconds);
        if (stop.stop_requested()) return end(kBackupCancelled);
        if (got <= 0) return end(kBackupReceiveFailed);
        uint64_t before = stream.DataBytes();
        stream.Feed(buffer.data(), static_cast<std::size_t>(got));
        if (!pending.empty()) {
            if (!listener.LockFile(stop)) return end(kBackupCancelled);
            const bool written = WriteAll(file.Get(), pending.data(), pending.size());
            listener.UnlockFile();
            if (!written) return end(kBackupFileFailed);
            pending.clear();
        }
        if (stream.DataBytes() != before) {
            listener.OnData(stream.DataBytes());
            uint32_t percent = BackupPercent(stream.DataBytes(), job.sizeMB);
            if (percent != lastPercent) {
                lastPercent = percent;
                listener.OnStatus(kBackupProgress, percent);
                listener.OnProgress(kProgressValue, percent);
            }
        }
    }

    switch (stream.GetState()) {
        case NetworkBackupStream::State::kRefused:
            return end(kBackupRefused);
        case NetworkBackupStream::State::kHeadFailed:
            return end(kBackupRequestFailed);
        case NetworkBackupStream::State::kGarbage:
            return end(kBackupReceiveFailed);
        default:
            break;
    }
    if (stream.DataBytes() == 0) return end(kBackupNoData);
    // A close can report a write that failed late.
    if (!file.Close()) return end(kBackupFileFailed);
    return end(kBackupFinished);
}
