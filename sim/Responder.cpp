#include "sim/Responder.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace ormidon::sim {

Responder::Responder(int socket, StopSignal& stop, const Fault* fault, uint64_t stallGeneration)
    : m_socket(socket), m_stop(stop), m_fault(fault), m_stallGeneration(stallGeneration) {}

std::string_view ReasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 202:
            return "Accepted";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        default:
            return "Unknown";
    }
}

bool Responder::Reply(int status, std::string_view body) {
    const Fault::Kind kind = m_fault != nullptr ? m_fault->kind : Fault::Kind::kStatus;
    const bool shaped = m_fault != nullptr;
    std::string content(body);
    std::size_t declared = content.size();
    if (shaped && kind == Fault::Kind::kLongBody) {
        content.append(m_fault->bytes, '#');
        declared = content.size();
    } else if (shaped && kind == Fault::Kind::kShortBody) {
        declared = std::max(content.size(), m_fault->bytes);
        content.resize(declared - m_fault->bytes);
    }

    std::string header =
        "HTTP/1.1 " + std::to_string(status) + " " + std::string(ReasonPhrase(status)) + "\r\n";
    if (!(shaped && kind == Fault::Kind::kNoContentLength)) {
        header += "Content-Length: " + std::to_string(declared) + "\r\n";
    }
    header += "\r\n";
    m_answered = true;

    if (!(shaped && kind == Fault::Kind::kSplitHeader && m_fault->pieces > 1)) {
        return WriteRaw(header + content);
    }
    // Cut points spread over the header; the last one falls inside the blank line, so the
    // reader must find it across two pieces. The body rides with the last piece.
    const std::size_t pieces = static_cast<std::size_t>(m_fault->pieces);
    std::vector<std::size_t> cuts;
    for (std::size_t i = 1; i + 1 < pieces; ++i) cuts.push_back(header.size() * i / pieces);
    cuts.push_back(header.size() - 2);
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        if (cut <= from) continue;
        if (!WriteRaw(std::string_view(header).substr(from, cut - from)) ||
            !Pause(m_fault->pause)) {
            return false;
        }
        from = cut;
    }
    return WriteRaw(header.substr(from) + content);
}

bool Responder::WriteRaw(std::string_view bytes) {
    m_answered = true;
    while (!bytes.empty()) {
        const ssize_t n = send(m_socket, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
        pollfd fds[2] = {{m_socket, POLLOUT, 0}, {m_stop.Fd(), POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR) return false;
        if (m_stop.Stopped()) return false;
    }
    return true;
}

bool Responder::Pause(std::chrono::milliseconds pause) { return m_stop.SleepFor(pause); }

bool Responder::Stopping() const { return m_stop.Stopped(); }

bool Responder::PeerHungUp() const {
    pollfd fd = {m_socket, POLLRDHUP, 0};
    return poll(&fd, 1, 0) > 0 && (fd.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

std::size_t Responder::ReadRaw(char* buffer, std::size_t size, std::chrono::milliseconds idle) {
    if (size == 0) return 0;
    if (!m_pending.empty()) {
        const std::size_t n = std::min(size, m_pending.size());
        std::copy_n(m_pending.data(), n, buffer);
        m_pending.erase(0, n);
        return n;
    }
    for (;;) {
        pollfd fds[2] = {{m_socket, POLLIN, 0}, {m_stop.Fd(), POLLIN, 0}};
        const int ready = poll(fds, 2, static_cast<int>(idle.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0 || m_stop.Stopped()) return 0;
        const ssize_t n = recv(m_socket, buffer, size, MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }
}

void Responder::HoldOpen() {
    m_answered = true;
    while (m_stop.SleepFor(std::chrono::milliseconds(20))) {
        if (PeerHungUp()) return;
    }
}

void Responder::Abort() {
    m_answered = true;
    const linger reset = {1, 0};
    setsockopt(m_socket, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    shutdown(m_socket, SHUT_RDWR);
}

void Responder::Hangup() { shutdown(m_socket, SHUT_RDWR); }

void Responder::Stall() {
    m_answered = true;
    while (!m_stop.WaitStallEnd(m_stallGeneration, std::chrono::milliseconds(20))) {
        if (PeerHungUp()) return;
    }
}

}  // namespace ormidon::sim
