#include "net/NetworkBackupDownload.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <vector>

#include "net/BlockingSocket.h"
#include "net/CgiCommand.h"
#include "net/LiveStreamRequest.h"
#include "net/NetworkBackupStream.h"

namespace {

// One read takes what the connection has, up to this; payloads go from here to the file.
// A fast link fills it, so a large read keeps the calls per megabyte few.
constexpr int kReadSize = 256 * 1024;
// The device's data frames carry 2048 bytes: the pieces of one full read.
constexpr std::size_t kPiecesPerRead = kReadSize / 2048 + 1;

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

// Writes every piece, in order, with as few calls as the system allows.
bool WritePieces(int fd, std::vector<iovec>& pieces) {
    std::size_t first = 0;
    while (first < pieces.size()) {
        const int count = static_cast<int>(std::min<std::size_t>(pieces.size() - first, IOV_MAX));
        const ssize_t n = ::writev(fd, pieces.data() + first, count);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        // Steps over what went out; a piece written in part goes on from where it stopped.
        auto left = static_cast<std::size_t>(n);
        while (first < pieces.size() && left >= pieces[first].iov_len) {
            left -= pieces[first].iov_len;
            ++first;
        }
        if (left > 0) {
            pieces[first].iov_base = static_cast<char*>(pieces[first].iov_base) + left;
            pieces[first].iov_len -= left;
        }
    }
    return true;
}

// True when the peer closed its side: a read would give the end of the stream at once.
bool PeerClosed(const CBlockingSocket& socket) {
    if (socket.m_hSocket == CBlockingSocket::kNoSocket) return false;
    char byte = 0;
    return ::recv(socket.m_hSocket, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
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

bool BackupFolderWritable(const std::filesystem::path& file) {
    std::filesystem::path folder = file.parent_path();
    if (folder.empty()) folder = ".";
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool BackupNameTaken(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(file, error));
}

std::optional<uint64_t> KeptBackupBytes(const std::filesystem::path& file) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(file, error);
    if (error) return std::nullopt;
    return static_cast<uint64_t>(size);
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

    // A file that cannot be made once the request went out would leave the device's side
    // running: the name and the folder are checked before the device is asked.
    if (BackupNameTaken(job.file) || !BackupFolderWritable(job.file))
        return finish(kBackupFileFailed);

    CBlockingSocket socket(stop);
    bool connected = false;
    try {
        std::string request = BuildNetworkBackupRequest(job);
        if (request.empty()) return finish(kBackupRequestFailed);
        socket.Create(CBlockingSocket::kStream);
        CSocketAddress address(job.address.c_str(), job.port);
        socket.Connect(address);
        connected = true;
        socket.SendAll(request.data(), static_cast<int>(request.size()), 10);
    } catch (const CBlockingSocketException&) {
        socket.Cleanup();
        // A stop while the request went out: the device may have begun.
        if (stop.stop_requested()) {
            if (connected) listener.OnDeviceLeftSending();
            return finish(kBackupCancelled);
        }
        return finish(kBackupRequestFailed);
    }

    // From here on the device sends until it ends its side or is told to stop.
    auto leftSending = [&] { listener.OnDeviceLeftSending(); };

    // Made new: a name that someone took meanwhile is refused, never truncated.
    FileDescriptor file(
        ::open(job.file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644));
    if (file.Get() < 0) {
        socket.Cleanup();
        leftSending();
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

    // The payloads of one read go from the read's buffer to the file in one gathering write.
    std::vector<iovec> pieces;
    pieces.reserve(kPiecesPerRead);
    uint32_t lastPercent = 0;
    NetworkBackupStream stream([&](std::string_view piece) {
        pieces.push_back(iovec{const_cast<char*>(piece.data()), piece.size()});
        return true;
    });

    std::vector<char> buffer(kReadSize);
    while (!stream.Finished()) {
        if (stop.stop_requested()) {
            leftSending();
            return end(kBackupCancelled);
        }
        const int got = socket.Receive(buffer.data(), kReadSize, job.receiveSeconds);
        if (got <= 0) {
            if (stop.stop_requested()) {
                leftSending();
                return end(kBackupCancelled);
            }
            // A device that closed the connection ended its side; one that went silent did not.
            if (!PeerClosed(socket)) leftSending();
            return end(kBackupReceiveFailed);
        }
        // What came is written even when a stop came with it: the file keeps every byte
        // received.
        const uint64_t before = stream.DataBytes();
        stream.Feed(buffer.data(), static_cast<std::size_t>(got));
        if (!pieces.empty()) {
            // A stop while the player holds the file still writes: the player reads only
            // what it was told is there, and it is told nothing more after a stop.
            const bool locked = listener.LockFile(stop);
            const bool written = WritePieces(file.Get(), pieces);
            if (locked) listener.UnlockFile();
            pieces.clear();
            if (!written) {
                leftSending();
                return end(kBackupFileFailed);
            }
            if (!locked) {
                leftSending();
                return end(kBackupCancelled);
            }
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
            // The rest is not read: the device does not know.
            leftSending();
            return end(kBackupReceiveFailed);
        default:
            break;
    }
    if (stream.DataBytes() == 0) return end(kBackupNoData);
    // A close can report a write that failed late.
    if (!file.Close()) return end(kBackupFileFailed);
    return end(kBackupFinished);
}
