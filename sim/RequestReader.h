#pragma once
// Reads one HTTP/1.1 request from bytes as they arrive, however the network splits them:
// the header up to its blank line, then a body of exactly its Content-Length, on any method.
#include <cstddef>
#include <string>
#include <string_view>

#include "sim/HttpRequest.h"

namespace ormidon::sim {

class RequestReader {
  public:
    enum class State { kHeader, kBody, kComplete, kBad };

    // Limits on what a client may send; beyond them the request is bad.
    static constexpr std::size_t kMaxHeaderBytes = 64 * 1024;
    static constexpr std::size_t kMaxBodyBytes = 16 * 1024 * 1024;

    // Takes the next bytes; returns the state after them. Bytes behind a complete request
    // are not taken (one request per connection).
    State Feed(std::string_view bytes);
    State GetState() const { return m_state; }
    // The request, once complete.
    const HttpRequest& Request() const { return m_request; }
    // Bytes that came behind the complete request in the same feed: the start of what a
    // client sends raw after its head.
    const std::string& Rest() const { return m_rest; }

  private:
    bool ParseHeader(std::string_view header);

    State m_state = State::kHeader;
    std::string m_pending;  // header bytes seen so far
    std::size_t m_bodyLength = 0;
    HttpRequest m_request;
    std::string m_rest;
};

}  // namespace ormidon::sim
