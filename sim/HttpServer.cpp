#include "sim/HttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "sim/RequestReader.h"

namespace ormidon::sim {

namespace {

// A client that sends nothing for this long is dropped.
constexpr int kIdleMs = 30000;

}  // namespace

HttpServer::HttpServer()
    : m_fallback([](const HttpRequest&, Responder& responder) { responder.Reply(404); }) {}

HttpServer::~HttpServer() { Stop(); }

bool HttpServer::Start(uint16_t port, uint32_t address) {
    if (m_listenSocket >= 0 || m_stop.Fd() < 0 || (address >> 24) != 127) return false;
    m_listenSocket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenSocket < 0) return false;
    const int on = 1;
    setsockopt(m_listenSocket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_port = htons(port);
    bound.sin_addr.s_addr = htonl(address);
    socklen_t length = sizeof bound;
    if (bind(m_listenSocket, reinterpret_cast<sockaddr*>(&bound), sizeof bound) != 0 ||
        listen(m_listenSocket, 64) != 0 ||
        getsockname(m_listenSocket, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
        close(m_listenSocket);
        m_listenSocket = -1;
        return false;
    }
    m_address = address;
    m_port = ntohs(bound.sin_port);
    m_acceptThread = std::thread([this] { AcceptLoop(m_listenSocket); });
    return true;
}

bool HttpServer::Listen(uint32_t address, uint16_t port) {
    std::lock_guard lock(m_listenMutex);
    if (m_listenClosed || m_listenSocket < 0 || port == 0) return false;
    if (address == m_address && port == m_port) return true;
    for (const Listener& listener : m_listeners)
        if (listener.address == address && listener.port == port) return true;
    const int listenSocket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenSocket < 0) return false;
    const int on = 1;
    setsockopt(listenSocket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_port = htons(port);
    bound.sin_addr.s_addr = htonl(address);
    if (bind(listenSocket, reinterpret_cast<sockaddr*>(&bound), sizeof bound) != 0 ||
        listen(listenSocket, 64) != 0) {
        close(listenSocket);
        return false;
    }
    Listener& listener = m_listeners.emplace_back();
    listener.socket = listenSocket;
    listener.address = address;
    listener.port = port;
    listener.thread = std::thread([this, listenSocket] { AcceptLoop(listenSocket); });
    return true;
}

void HttpServer::Stop() {
    m_stop.Stop();
    if (m_acceptThread.joinable()) m_acceptThread.join();
    std::list<Listener> listeners;
    {
        std::lock_guard lock(m_listenMutex);
        m_listenClosed = true;
        listeners.swap(m_listeners);
    }
    for (Listener& listener : listeners) {
        if (listener.thread.joinable()) listener.thread.join();
        close(listener.socket);
    }
    // The accept threads have ended, so the list no longer grows.
    for (Connection& connection : m_connections) {
        if (connection.thread.joinable()) connection.thread.join();
    }
    m_connections.clear();
    if (m_listenSocket >= 0) {
        close(m_listenSocket);
        m_listenSocket = -1;
    }
}

void HttpServer::SetRoute(std::string path, Route route) {
    std::lock_guard lock(m_mutex);
    m_routes[std::move(path)] = std::move(route);
}

void HttpServer::SetFallbackRoute(Route route) {
    std::lock_guard lock(m_mutex);
    m_fallback = std::move(route);
}

void HttpServer::AddFault(Fault fault) {
    std::lock_guard lock(m_mutex);
    m_faults.push_back(std::move(fault));
}

void HttpServer::ClearFaults() {
    std::lock_guard lock(m_mutex);
    m_faults.clear();
}

void HttpServer::EndStalls() { m_stop.EndStalls(); }

void HttpServer::SetRequestListener(std::function<void(const HttpRequest&)> listener) {
    std::lock_guard lock(m_mutex);
    m_requestListener = std::move(listener);
}

std::vector<HttpRequest> HttpServer::Log() const {
    std::lock_guard lock(m_mutex);
    return m_log;
}

std::size_t HttpServer::LogSize() const {
    std::lock_guard lock(m_mutex);
    return m_log.size();
}

void HttpServer::ClearLog() {
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

bool HttpServer::WaitForLogSize(std::size_t count, std::chrono::milliseconds bound) const {
    std::unique_lock lock(m_mutex);
    return m_logChanged.wait_for(lock, bound, [&] { return m_log.size() >= count; });
}

std::optional<Fault> HttpServer::TakeFault(const std::string& path) {
    for (auto it = m_faults.begin(); it != m_faults.end(); ++it) {
        if (it->path.empty() || it->path == path) {
            Fault fault = std::move(*it);
            m_faults.erase(it);
            return fault;
        }
    }
    return std::nullopt;
}

void HttpServer::ReapFinished() {
    std::lock_guard lock(m_mutex);
    for (auto it = m_connections.begin(); it != m_connections.end();) {
        if (it->finished) {
            it->thread.join();
            it = m_connections.erase(it);
        } else {
            ++it;
        }
    }
}

void HttpServer::AcceptLoop(int listenSocket) {
    for (;;) {
        pollfd fds[2] = {{listenSocket, POLLIN, 0}, {m_stop.Fd(), POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR) return;
        if (m_stop.Stopped()) return;
        if ((fds[0].revents & POLLIN) == 0) continue;
        const int socket = accept4(listenSocket, nullptr, nullptr, SOCK_CLOEXEC);
        ReapFinished();
        if (socket < 0) continue;
        std::lock_guard lock(m_mutex);
        Connection& connection = m_connections.emplace_back();
        connection.socket = socket;
        connection.thread = std::thread([this, &connection] { Serve(connection); });
    }
}

bool HttpServer::ReadRequest(int socket, HttpRequest& request, std::string& rest, bool& bad) {
    RequestReader reader;
    char buffer[16384];
    for (;;) {
        pollfd fds[2] = {{socket, POLLIN, 0}, {m_stop.Fd(), POLLIN, 0}};
        const int ready = poll(fds, 2, kIdleMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0 || m_stop.Stopped()) return false;
        const ssize_t n = recv(socket, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) return false;
        switch (reader.Feed(std::string_view(buffer, static_cast<std::size_t>(n)))) {
            case RequestReader::State::kComplete:
                request = reader.Request();
                rest = reader.Rest();
                return true;
            case RequestReader::State::kBad:
                bad = true;
                return false;
            default:
                break;
        }
    }
}

void HttpServer::Serve(Connection& connection) {
    const int socket = connection.socket;
    HttpRequest request;
    std::string rest;
    bool bad = false;
    if (ReadRequest(socket, request, rest, bad)) {
        std::optional<Fault> fault;
        Route route;
        std::function<void(const HttpRequest&)> listener;
        uint64_t stallGeneration;
        {
            std::lock_guard lock(m_mutex);
            // Taken before the request shows in the log, so that a test that sees the request
            // and then ends stalls always ends this one.
            stallGeneration = m_stop.StallGeneration();
            m_log.push_back(request);
            fault = TakeFault(request.path);
            auto found = m_routes.find(request.path);
            route = found != m_routes.end() ? found->second : m_fallback;
            listener = m_requestListener;
        }
        m_logChanged.notify_all();
        if (listener) listener(request);
        Responder responder(socket, m_stop, fault ? &*fault : nullptr, stallGeneration);
        responder.SetPending(std::move(rest));
        const Fault::Kind kind = fault ? fault->kind : Fault::Kind::kStatus;
        if (fault && (kind == Fault::Kind::kStatus || kind == Fault::Kind::kReplaceBody)) {
            Responder plain(socket, m_stop, nullptr, stallGeneration);
            plain.Reply(fault->status, fault->body);
        } else if (fault && kind == Fault::Kind::kStall) {
            responder.Stall();
        } else if (!(fault && kind == Fault::Kind::kCloseWithoutReply)) {
            route(request, responder);
            if (!responder.Answered()) responder.Reply(200);
        }
    } else if (bad) {
        Responder(socket, m_stop, nullptr, 0).Reply(400);
    }
    shutdown(socket, SHUT_RDWR);
    close(socket);
    std::lock_guard lock(m_mutex);
    connection.finished = true;
}

}  // namespace ormidon::sim
