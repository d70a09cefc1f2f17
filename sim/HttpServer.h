#pragma once
// A small HTTP/1.1 server on a loopback address, one request per connection, each connection on its
// own thread. Routes are looked up by path; every complete request is logged before it is
// answered; a test may script a fault for the next request (on a path or on any path).
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/Fault.h"
#include "sim/HttpRequest.h"
#include "sim/Responder.h"
#include "sim/StopSignal.h"

namespace ormidon::sim {

class HttpServer {
  public:
    // Answers one request. Without an answer the server replies 200 with an empty body.
    using Route = std::function<void(const HttpRequest&, Responder&)>;
    static constexpr uint32_t kLoopback = 0x7F000001;  // 127.0.0.1

    HttpServer();
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Listens on `address` (host order, 127.0.0.0/8; 127.0.0.1 by default) and `port` (0: a
    // free port). False when that fails. Call once.
    bool Start(uint16_t port = 0, uint32_t address = kLoopback);
    // Ends every connection, stall and stream, and joins all threads.
    void Stop();
    uint16_t Port() const { return m_port; }
    uint32_t Address() const { return m_address; }
    // Listens also on `address` (host order, 127.0.0.0/8) and `port`, as a device does that
    // was given a new address or port; requests there are served as on the first. True when
    // it listens there (already or now); false once stopped or when the bind fails.
    bool Listen(uint32_t address, uint16_t port);

    void SetRoute(std::string path, Route route);
    // For paths without a route; by default 404.
    void SetFallbackRoute(Route route);

    void AddFault(Fault fault);
    void ClearFaults();
    // Ends every stall begun so far.
    void EndStalls();

    // Called with every complete request as it is logged, on the connection's thread.
    void SetRequestListener(std::function<void(const HttpRequest&)> listener);

    std::vector<HttpRequest> Log() const;
    std::size_t LogSize() const;
    void ClearLog();
    // Waits (real time, at most `bound`) until the log holds `count` requests.
    bool WaitForLogSize(std::size_t count, std::chrono::milliseconds bound) const;

  private:
    struct Connection {
        int socket = -1;
        std::thread thread;
        bool finished = false;
    };

    struct Listener {
        int socket = -1;
        uint32_t address = 0;
        uint16_t port = 0;
        std::thread thread;
    };

    void AcceptLoop(int listenSocket);
    void Serve(Connection& connection);
    // `rest`: bytes that came behind the request, for routes that read a raw upload.
    bool ReadRequest(int socket, HttpRequest& request, std::string& rest, bool& bad);
    std::optional<Fault> TakeFault(const std::string& path);
    void ReapFinished();

    StopSignal m_stop;
    int m_listenSocket = -1;
    uint32_t m_address = kLoopback;
    uint16_t m_port = 0;
    std::thread m_acceptThread;
    // Further addresses and ports; guarded by m_listenMutex, closed for good by Stop.
    std::mutex m_listenMutex;
    std::list<Listener> m_listeners;
    bool m_listenClosed = false;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_logChanged;
    std::map<std::string, Route> m_routes;
    Route m_fallback;
    std::function<void(const HttpRequest&)> m_requestListener;
    std::deque<Fault> m_faults;
    std::vector<HttpRequest> m_log;
    std::list<Connection> m_connections;
};

}  // namespace ormidon::sim
