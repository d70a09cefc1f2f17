#include "net/BlockingSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Clock.h"

namespace {

// A wait of `seconds` whole seconds on the program's clock that may be resumed after an
// interruption without starting again from the full time.
class Deadline {
  public:
    explicit Deadline(int seconds)
        : m_start(ormidon::TickCount()),
          m_lengthMs(static_cast<uint32_t>(std::clamp(seconds, 0, kLongestWaitSeconds)) * 1000) {}
    int RemainingMs() const {
        const uint32_t elapsed = ormidon::TickCount() - m_start;
        return elapsed >= m_lengthMs ? 0 : static_cast<int>(m_lengthMs - elapsed);
    }

  private:
    // Longer waits are cut to this; it keeps the milliseconds within an int.
    static constexpr int kLongestWaitSeconds = 24 * 60 * 60;

    uint32_t m_start;
    uint32_t m_lengthMs;
};

// Real time between two looks at a clock that only moves when a test advances it.
constexpr int kClockLookMs = 5;

}  // namespace

CSocketAddress::CSocketAddress() : sockaddr_in{} { sin_family = AF_INET; }

CSocketAddress::CSocketAddress(const char* dottedText, int port) : CSocketAddress() {
    sin_port = htons(static_cast<uint16_t>(port));
    sin_addr.s_addr = dottedText != nullptr ? inet_addr(dottedText) : INADDR_NONE;
}

uint32_t CSocketAddress::GetIPAddress() const { return ntohl(sin_addr.s_addr); }

void CBlockingSocket::Waker::operator()() const noexcept {
    const uint64_t one = 1;
    // A full counter still leaves the descriptor readable, so a failed write loses nothing.
    [[maybe_unused]] ssize_t written = write(fd, &one, sizeof one);
}

CBlockingSocket::CBlockingSocket(std::stop_token stop) { SetStopToken(std::move(stop)); }

CBlockingSocket::~CBlockingSocket() {
    Cleanup();
    // The callback must be gone (and any running call of it finished) before its descriptor.
    m_stopCallback.reset();
    if (m_wakeFd != kNoSocket) close(m_wakeFd);
}

void CBlockingSocket::SetStopToken(std::stop_token stop) {
    m_stopCallback.reset();
    m_stop = std::move(stop);
    if (!m_stop.stop_possible()) return;
    if (m_wakeFd == kNoSocket) m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    // Without a wake descriptor the stop is still seen before every wait.
    if (m_wakeFd != kNoSocket) m_stopCallback.emplace(m_stop, Waker{m_wakeFd});
}

CBlockingSocket::WaitResult CBlockingSocket::WaitFor(short events, int timeoutMs) {
    pollfd fds[2] = {{m_hSocket, events, 0}, {m_wakeFd, POLLIN, 0}};
    const nfds_t count = m_wakeFd != kNoSocket ? 2 : 1;
    // The time-out runs on the program's clock: each poll waits at most the real time that
    // the clock allows, and a clock moved only by a test is looked at again every few
    // milliseconds.
    const uint32_t start = ormidon::TickCount();
    const uint32_t length = static_cast<uint32_t>(std::max(timeoutMs, 0));
    for (;;) {
        if (m_stop.stop_requested()) return WaitResult::kStopped;
        const uint32_t elapsed = ormidon::TickCount() - start;
        const int remaining = elapsed >= length ? 0 : static_cast<int>(length - elapsed);
        const uint32_t bound = ormidon::CurrentClock().RealWaitBound(remaining);
        const int slice = bound == ormidon::kInfinite ? std::min(remaining, kClockLookMs)
                                                      : std::min<int64_t>(bound, remaining);
        const int result = poll(fds, count, slice);
        if (m_stop.stop_requested()) return WaitResult::kStopped;
        // An error of poll itself (EINTR included) counts as ready: the call that follows
        // reports the real state of the socket.
        if (result != 0) return WaitResult::kReady;
        if (remaining == 0) return WaitResult::kTimeout;
    }
}

void CBlockingSocket::ThrowIfStopped(const char* operation) const {
    if (m_stop.stop_requested()) throw CBlockingSocketException(operation);
}

void CBlockingSocket::Create(int type) {
    Cleanup();
    if (type != kStream && type != kDatagram) throw CBlockingSocketException("Create");
    m_hSocket = socket(AF_INET, type | SOCK_CLOEXEC, 0);
    if (m_hSocket < 0) {
        m_hSocket = kNoSocket;
        throw CBlockingSocketException("Create");
    }
}

void CBlockingSocket::Bind(const sockaddr* address) {
    if (bind(m_hSocket, address, sizeof(sockaddr_in)) != 0) throw CBlockingSocketException("Bind");
}

void CBlockingSocket::Connect(const sockaddr* address, int seconds) {
    ThrowIfStopped("Connect");
    const int flags = fcntl(m_hSocket, F_GETFL);
    if (flags < 0 || fcntl(m_hSocket, F_SETFL, flags | O_NONBLOCK) != 0) {
        throw CBlockingSocketException("Connect");
    }
    bool connected = connect(m_hSocket, address, sizeof(sockaddr_in)) == 0;
    if (!connected && (errno == EINPROGRESS || errno == EINTR)) {
        // The connection goes on in the background; it is done when the socket is writable.
        Deadline deadline(seconds);
        WaitResult wait;
        do {
            wait = WaitFor(POLLOUT, deadline.RemainingMs());
            if (wait != WaitResult::kReady) break;
            int error = 0;
            socklen_t length = sizeof error;
            if (getsockopt(m_hSocket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) break;
            if (error == 0) {
                // Writable without a pending error may also be a spurious wake-up.
                sockaddr_in peer{};
                socklen_t peerLength = sizeof peer;
                connected =
                    getpeername(m_hSocket, reinterpret_cast<sockaddr*>(&peer), &peerLength) == 0;
                if (!connected && errno != ENOTCONN) break;
            } else if (error != EINPROGRESS && error != EALREADY) {
                break;
            }
        } while (!connected);
    }
    fcntl(m_hSocket, F_SETFL, flags);
    if (!connected) throw CBlockingSocketException("Connect");
    m_bConnected = 1;
}

int CBlockingSocket::SendAll(const char* data, int length, int seconds) {
    if (length < 0) throw CBlockingSocketException("Send");
    int sent = 0;
    do {
        sent += Send(data + sent, length - sent, seconds);
    } while (sent < length);
    return sent;
}

int CBlockingSocket::Write(const char* data, int length, int seconds) {
    return SendAll(data, length, seconds);
}

int CBlockingSocket::Send(const char* data, int length, int seconds) {
    if (length < 0 || m_hSocket == kNoSocket) throw CBlockingSocketException("Send");
    Deadline deadline(seconds);
    for (;;) {
        switch (WaitFor(POLLOUT, deadline.RemainingMs())) {
            case WaitResult::kTimeout:
                throw CBlockingSocketException("Send timeout");
            case WaitResult::kStopped:
                throw CBlockingSocketException("Send");
            case WaitResult::kReady:
                break;
        }
        ssize_t n = send(m_hSocket, data, static_cast<size_t>(length), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0) return static_cast<int>(n);
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            throw CBlockingSocketException("Send");
        }
    }
}

int CBlockingSocket::Receive(char* buffer, int size, int seconds) {
    if (m_hSocket == kNoSocket || buffer == nullptr || size <= 0) return -1;
    if (m_stop.stop_requested()) return -1;
    Deadline deadline(seconds);
    for (;;) {
        // What has arrived is taken at once; only an empty connection is waited for.
        ssize_t n = recv(m_hSocket, buffer, static_cast<size_t>(size), MSG_DONTWAIT);
        if (n > 0) return static_cast<int>(n);
        if (n == 0) return -1;  // the peer closed the connection
        const int error = errno;
        if (error == EINTR) continue;
        if (error != EAGAIN && error != EWOULDBLOCK) return -1;
        if (WaitFor(POLLIN, deadline.RemainingMs()) != WaitResult::kReady) return -1;
    }
}

CBlockingSocket::DatagramResult CBlockingSocket::ReceiveDatagram(char* buffer, int size,
                                                                 int milliseconds, int& length) {
    length = 0;
    if (m_hSocket == kNoSocket || buffer == nullptr || size < 0) return DatagramResult::kFailed;
    const uint32_t start = ormidon::TickCount();
    const uint32_t bound = static_cast<uint32_t>(std::max(milliseconds, 0));
    for (;;) {
        const uint32_t elapsed = ormidon::TickCount() - start;
        const int remaining = elapsed >= bound ? 0 : static_cast<int>(bound - elapsed);
        switch (WaitFor(POLLIN, remaining)) {
            case WaitResult::kTimeout:
                return DatagramResult::kTimeout;
            case WaitResult::kStopped:
                return DatagramResult::kStopped;
            case WaitResult::kReady:
                break;
        }
        // MSG_TRUNC makes recv give the datagram's real length, also past the buffer.
        const ssize_t n =
            recv(m_hSocket, buffer, static_cast<size_t>(size), MSG_DONTWAIT | MSG_TRUNC);
        if (n >= 0) {
            length = static_cast<int>(std::min<ssize_t>(n, INT32_MAX));
            return DatagramResult::kReceived;
        }
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            return DatagramResult::kFailed;
        }
    }
}

int CBlockingSocket::Sendto(const char* data, int length, int /*seconds*/) {
    if (length < 0) throw CBlockingSocketException("Sendto");
    ssize_t n;
    do {
        n = sendto(m_hSocket, data, static_cast<size_t>(length), MSG_NOSIGNAL, m_DestAddress,
                   sizeof(sockaddr_in));
    } while (n < 0 && errno == EINTR);
    if (n < 0) throw CBlockingSocketException("Sendto");
    return static_cast<int>(n);
}

int CBlockingSocket::SetSockOpt() {
    const int on = 1;
    if (setsockopt(m_hSocket, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
        throw CBlockingSocketException("SetSockOpt");
    }
    return 0;
}

void CBlockingSocket::Close() {
    if (m_hSocket == kNoSocket) return;
    // Linux releases the descriptor even when close reports an error, so the handle is
    // cleared before the error is thrown; keeping it would close a reused number later.
    const int result = close(m_hSocket);
    m_hSocket = kNoSocket;
    m_bConnected = 0;
    if (result != 0 && errno != EINTR) throw CBlockingSocketException("Close");
}

void CBlockingSocket::Cleanup() {
    if (m_hSocket == kNoSocket) return;
    close(m_hSocket);
    m_hSocket = kNoSocket;
}

CSocketAddress CBlockingSocket::GetHostByName(const char* name, unsigned short port) {
    if (name == nullptr || name[0] == '\0') throw CBlockingSocketException("GetHostByName");
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &result) != 0 || result == nullptr) {
        throw CBlockingSocketException("GetHostByName");
    }
    CSocketAddress address;
    std::memcpy(&address.sin_addr, &reinterpret_cast<const sockaddr_in*>(result->ai_addr)->sin_addr,
                sizeof address.sin_addr);
    freeaddrinfo(result);
    address.sin_port = htons(port);
    return address;
}
