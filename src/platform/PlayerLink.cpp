#include "platform/PlayerLink.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <thread>

#include "platform/Clock.h"

namespace ormidon {

namespace {

constexpr int kPollMs = 20;
// Retries of a taken lock: the other side is a process, so these are real short pauses;
// the bound itself is the clock's.
constexpr auto kLockRetry = std::chrono::milliseconds(2);

bool FillAddress(const std::filesystem::path& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    if (text.empty() || text.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, text.c_str(), text.size());
    return true;
}

std::filesystem::path LinkBaseFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime) {
        std::error_code error;
        if (std::filesystem::is_directory(runtime, error)) return runtime;
    }
    std::error_code error;
    std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    return error ? std::filesystem::path("/tmp") : temp;
}

bool SafeLockName(const std::string& name) {
    return !name.empty() && name.size() < kBackupMutexBytes && name != "." && name != ".." &&
           name != "link" && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

}  // namespace

PlayerLink::PlayerLink() = default;

PlayerLink::~PlayerLink() {
    m_thread.RequestStop();
    Wake();
    m_thread.Join(kInfinite);
    std::lock_guard lock(m_mutex);
    CloseConnectionLocked();
    if (m_lockFd >= 0) ::close(m_lockFd);
    if (m_listen >= 0) ::close(m_listen);
    for (int fd : m_wake)
        if (fd >= 0) ::close(fd);
    if (!m_folder.empty()) {
        std::error_code error;
        std::filesystem::remove_all(m_folder, error);
    }
}

bool PlayerLink::EnsureOpenLocked() {
    if (m_listen >= 0) return true;
    std::string pattern = (LinkBaseFolder() / "ormidon-link-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return false;  // mode 0700
    m_folder = pattern;
    const std::filesystem::path socketPath = m_folder / "link";
    sockaddr_un address;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0 || !FillAddress(socketPath, address) ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 4) != 0 || ::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (fd >= 0) ::close(fd);
        std::error_code error;
        std::filesystem::remove_all(m_folder, error);
        m_folder.clear();
        return false;
    }
    m_listen = fd;
    m_socketPath = socketPath;
    try {
        m_thread = Thread([this](std::stop_token stop) { Serve(stop); });
    } catch (const std::system_error&) {
        // Without its thread the link serves nobody: nothing of it stays open.
        ::close(m_listen);
        m_listen = -1;
        for (int& end : m_wake) {
            ::close(end);
            end = -1;
        }
        m_socketPath.clear();
        std::error_code error;
        std::filesystem::remove_all(m_folder, error);
        m_folder.clear();
        return false;
    }
    return true;
}

std::filesystem::path PlayerLink::LinkPath() {
    std::lock_guard lock(m_mutex);
    return EnsureOpenLocked() ? m_socketPath : std::filesystem::path();
}

std::filesystem::path PlayerLink::Folder() const {
    std::lock_guard lock(m_mutex);
    return m_folder;
}

void PlayerLink::Wake() {
    if (m_wake[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] ssize_t written = ::write(m_wake[1], &byte, 1);
    }
}

void PlayerLink::HoldConnections() {
    std::lock_guard lock(m_mutex);
    m_holding = true;
}

void PlayerLink::ExpectPlayer(pid_t pid) {
    std::lock_guard lock(m_mutex);
    CloseConnectionLocked();
    m_expected = pid;
    m_holding = false;
    Wake();
    h_BackupPlayerWnd = 0;
    m_helloEvent.Reset();
}

uint64_t PlayerLink::WaitHello(uint32_t timeoutMs, std::stop_token stop) {
    m_helloEvent.Wait(timeoutMs, std::move(stop));
    std::lock_guard lock(m_mutex);
    return m_conn >= 0 && m_hello ? h_BackupPlayerWnd.load() : 0;
}

bool PlayerLink::PlayerConnected() const {
    std::lock_guard lock(m_mutex);
    return m_conn >= 0 && m_hello;
}

void PlayerLink::DropPlayer() {
    std::lock_guard lock(m_mutex);
    CloseConnectionLocked();
}

void PlayerLink::CloseConnectionLocked() {
    if (m_conn >= 0) ::close(m_conn);
    m_conn = -1;
    m_peer = 0;
    m_hello = false;
    m_out.clear();
    m_reader = LinkFrameReader();
}

bool PlayerLink::Send(uint32_t message, uint32_t wParam, uint64_t lParam, std::string_view data) {
    std::lock_guard lock(m_mutex);
    if (m_conn < 0 || !m_hello) return false;
    if (m_out.empty()) m_lastProgress = TickCount();
    m_out += EncodeLinkFrame({message, wParam, lParam, std::string(data)});
    if (m_out.size() > kMaxQueuedBytes) {
        CloseConnectionLocked();
        return false;
    }
    Wake();
    return true;
}

std::size_t PlayerLink::QueuedBytes() const {
    std::lock_guard lock(m_mutex);
    return m_out.size();
}

void PlayerLink::OnFrame(const LinkFrame& frame) {
    if (frame.message == kLinkHello) {
        if (m_hello) return;
        m_hello = true;
        h_BackupPlayerWnd = frame.lParam != 0 ? frame.lParam : static_cast<uint64_t>(m_peer);
        m_helloEvent.Set();
        return;
    }
    if (!m_hello) return;
    if (frame.message == WM_PLAYERACK) {
        // Only the recorded player's own id counts.
        if (frame.lParam != h_BackupPlayerWnd.load()) return;
        dw_BackupPlayerBufferSize =
            frame.wParam != 0 ? uint64_t{frame.wParam} * 1024 : kDefaultBufferBytes;
        f_BackupPlayerAck = 1;
    } else if (frame.message == WM_DOWNLOADSTOP) {
        f_BackupPlayerStop = 1;
    }
}

void PlayerLink::Serve(std::stop_token stop) {
    char buffer[4096];
    while (!stop.stop_requested()) {
        pollfd fds[3];
        nfds_t count = 2;
        {
            std::lock_guard lock(m_mutex);
            // While held, a connection waits in the backlog (a negative descriptor is
            // skipped by poll).
            fds[0] = {m_holding ? -1 : m_listen, POLLIN, 0};
            fds[1] = {m_wake[0], POLLIN, 0};
            if (m_conn >= 0) {
                fds[2] = {m_conn, static_cast<short>(POLLIN | (m_out.empty() ? 0 : POLLOUT)), 0};
                count = 3;
            }
        }
        if (::poll(fds, count, kPollMs) < 0 && errno != EINTR) break;
        if (fds[1].revents & POLLIN) {
            while (::read(m_wake[0], buffer, sizeof buffer) > 0) {
            }
        }
        std::lock_guard lock(m_mutex);
        // A hold that began during the poll holds too: the player it waits for may be the
        // one connecting, and its pid is not known yet.
        if ((fds[0].revents & POLLIN) && !m_holding) {
            int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd >= 0) {
                ucred credentials{};
                socklen_t size = sizeof credentials;
                const bool known =
                    ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
                    m_expected != 0 && credentials.pid == m_expected;
                if (known) {
                    CloseConnectionLocked();
                    m_conn = fd;
                    m_peer = credentials.pid;
                } else {
                    ::close(fd);
                }
            }
        }
        // The connection may have changed since the poll: act on it only when it is the same.
        if (count == 3 && fds[2].fd == m_conn) {
            if (fds[2].revents & (POLLIN | POLLHUP | POLLERR)) {
                const ssize_t got = ::recv(m_conn, buffer, sizeof buffer, MSG_DONTWAIT);
                if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
                    CloseConnectionLocked();
                } else if (got > 0 &&
                           !m_reader.Feed(buffer, static_cast<std::size_t>(got),
                                          [this](const LinkFrame& frame) { OnFrame(frame); })) {
                    CloseConnectionLocked();  // a broken stream: the player is gone for us
                }
            }
            if (m_conn >= 0 && (fds[2].revents & POLLOUT) && !m_out.empty()) {
                const ssize_t sent =
                    ::send(m_conn, m_out.data(), m_out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
                if (sent > 0) {
                    m_out.erase(0, static_cast<std::size_t>(sent));
                    m_lastProgress = TickCount();
                } else if (sent < 0 && errno != EAGAIN && errno != EINTR) {
                    CloseConnectionLocked();
                }
            }
        }
        // A player that takes nothing for the bound is dropped: sends never wait for it.
        if (m_conn >= 0 && !m_out.empty() && TickCount() - m_lastProgress >= kSendStallMs)
            CloseConnectionLocked();
    }
}

bool PlayerLink::CreateMutex(const std::string& name) {
    std::lock_guard lock(m_mutex);
    if (!SafeLockName(name) || !EnsureOpenLocked()) return false;
    const int fd =
        ::open((m_folder / name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    if (m_lockFd >= 0) ::close(m_lockFd);
    m_lockFd = fd;
    m_lockName = name;
    return true;
}

void PlayerLink::CloseMutex() {
    std::lock_guard lock(m_mutex);
    if (m_lockFd >= 0) {
        ::close(m_lockFd);
        std::error_code error;
        std::filesystem::remove(m_folder / m_lockName, error);
    }
    m_lockFd = -1;
    m_lockName.clear();
}

bool PlayerLink::HasMutex() const {
    std::lock_guard lock(m_mutex);
    return m_lockFd >= 0;
}

std::string PlayerLink::MutexName() const {
    std::lock_guard lock(m_mutex);
    return m_lockName;
}

PlayerLink::LockResult PlayerLink::LockMutex(uint32_t boundMs, std::stop_token stop) {
    int fd;
    {
        std::lock_guard lock(m_mutex);
        fd = m_lockFd;
    }
    if (fd < 0) return LockResult::NoMutex;
    const uint32_t start = TickCount();
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return LockResult::Locked;
        if (errno != EWOULDBLOCK && errno != EINTR) return LockResult::NoMutex;
        if (stop.stop_requested()) return LockResult::Stopped;
        if (TickCount() - start >= boundMs) return LockResult::TimedOut;
        std::this_thread::sleep_for(kLockRetry);
    }
}

void PlayerLink::UnlockMutex() {
    std::lock_guard lock(m_mutex);
    if (m_lockFd >= 0) ::flock(m_lockFd, LOCK_UN);
}

bool WriteLinkFrame(int fd, const LinkFrame& frame) {
    const std::string bytes = EncodeLinkFrame(frame);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t sent = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        done += static_cast<std::size_t>(sent);
    }
    return true;
}

int ConnectPlayerLink(const std::filesystem::path& path, uint64_t id) {
    sockaddr_un address;
    if (!FillAddress(path, address)) return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        !WriteLinkFrame(fd, {kLinkHello, static_cast<uint32_t>(::getpid()), id, {}})) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace ormidon
