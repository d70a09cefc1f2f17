#pragma once
// What a route uses to answer its request: a whole reply, shaped by the fault scripted for
// this request, or raw bytes for replies that stream.
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "sim/Fault.h"
#include "sim/StopSignal.h"

namespace ormidon::sim {

class Responder {
  public:
    Responder(int socket, StopSignal& stop, const Fault* fault, uint64_t stallGeneration);

    // "HTTP/1.1 <status> <reason>", "Content-Length: N", a blank line, the body; changed by a
    // scripted short-body, long-body, split-header or no-length fault. False when the client
    // is gone or the recorder stops.
    bool Reply(int status, std::string_view body = {});
    // Bytes exactly as given (for streamed replies). False when the client is gone or the
    // recorder stops.
    bool WriteRaw(std::string_view bytes);
    // Reads what the client sends behind its request (a raw upload): up to `size` bytes,
    // waiting at most `idle` for the first. 0 when the client closed or stayed silent, or
    // the recorder stops.
    std::size_t ReadRaw(char* buffer, std::size_t size, std::chrono::milliseconds idle);
    // Keeps the connection open and silent until the client hangs up or the recorder
    // stops; ending stalls does not end it.
    void HoldOpen();
    // Drops the connection at once with a reset, whatever the client still sends.
    void Abort();
    // Closes the connection both ways, as a device going down does; safe from another thread
    // while this one holds the connection open.
    void Hangup();
    // Bytes the request reader took in behind the request; ReadRaw hands them out first.
    void SetPending(std::string bytes) { m_pending = std::move(bytes); }

    // Real-time pause between writes; false when the recorder stops meanwhile.
    bool Pause(std::chrono::milliseconds pause);
    // Holds the connection silent until the test ends stalls, the client hangs up or the
    // recorder stops.
    void Stall();
    bool Stopping() const;
    // The client closed its side of the connection (or it broke).
    bool PeerHungUp() const;

    // The fault scripted for this request, or nullptr; stream routes read it themselves.
    const Fault* ScriptedFault() const { return m_fault; }
    bool Answered() const { return m_answered; }

  private:
    int m_socket;
    StopSignal& m_stop;
    const Fault* m_fault;
    uint64_t m_stallGeneration;
    bool m_answered = false;
    std::string m_pending;
};

// The reason text of a status line ("OK" for 200).
std::string_view ReasonPhrase(int status);

}  // namespace ormidon::sim
