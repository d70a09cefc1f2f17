#pragma once
// A bare TCP client for the simulator's own tests: sends bytes exactly as given and returns
// everything the simulator sends back until it closes.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace simtest {

struct Exchange {
    std::string reply;    // every byte received
    int receives = 0;     // how many reads it took
    bool closed = false;  // the simulator closed the connection (not our time-out)
};

inline int ConnectLoopback(uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

inline Exchange ReadUntilClosed(int fd, int boundMs) {
    Exchange result;
    char buffer[4096];
    for (;;) {
        pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, boundMs) <= 0) return result;
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            result.closed = true;
            return result;
        }
        result.reply.append(buffer, static_cast<std::size_t>(n));
        ++result.receives;
    }
}

// Sends `pieces` one after the other (a short pause between them), then reads until closed.
inline Exchange Send(uint16_t port, const std::vector<std::string>& pieces, int boundMs = 5000) {
    int fd = ConnectLoopback(port);
    if (fd < 0) return {};
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        send(fd, pieces[i].data(), pieces[i].size(), MSG_NOSIGNAL);
    }
    Exchange result = ReadUntilClosed(fd, boundMs);
    close(fd);
    return result;
}

inline Exchange Get(uint16_t port, const std::string& target, const std::string& body = {}) {
    std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    if (!body.empty()) request += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    return Send(port, {request + "\r\n" + body});
}

// The body of a reply (everything behind the blank line).
inline std::string BodyOf(const std::string& reply) {
    const std::size_t end = reply.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : reply.substr(end + 4);
}

inline std::string StatusLineOf(const std::string& reply) {
    return reply.substr(0, reply.find("\r\n"));
}

// Logs in and returns the session id the reply gives, "" when it gives none.
inline std::string LogIn(uint16_t port, const std::string& user = "admin",
                         const std::string& password = "admin") {
    const std::string body =
        BodyOf(Get(port, "/Login.cgi?Username=" + user + "&Password=" + password).reply);
    const std::size_t start = body.find("Session-ID=");
    if (start == std::string::npos) return "";
    return body.substr(start + 11, body.find(';', start) - start - 11);
}

}  // namespace simtest
