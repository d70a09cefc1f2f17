#pragma once
// The reply of a network backup ("/NetworkBk.cgi") read as a state machine over reads of any
// split: frames of an 8-byte header, u32 LE length and u32 LE type, then for type 3 that many
// bytes of recording data. Type 1 ends the data, type 6 is the device's refusal, any other
// type carries no payload. A reply that starts with "HTTP/" has a head first: 200 lets the
// frames follow, anything else is a failed request.
//
// Nothing is taken on trust: a payload is handed on in the pieces the reads bring, never
// gathered into a buffer of the announced length, and a length beyond kMaxPayload is garbage.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The header of one frame as it comes: u32 LE payload length, u32 LE frame type.
struct BackupFrameHeader {
    static constexpr std::size_t kSize = 8;
    uint32_t length = 0;
    uint32_t type = 0;
};

class NetworkBackupStream {
  public:
    // A data frame longer than this cannot be one the device sends.
    static constexpr uint32_t kMaxPayload = 16u * 1024 * 1024;
    // A head longer than this is not a head.
    static constexpr std::size_t kMaxHead = 4096;

    static constexpr uint32_t kTypeEnd = 1;
    static constexpr uint32_t kTypeData = 3;
    static constexpr uint32_t kTypeRefused = 6;

    enum class State {
        kStart,     // nothing read yet: a head or the first frame header
        kHead,      // inside an HTTP head
        kHeader,    // inside a frame header
        kPayload,   // inside a data frame's payload
        kEnded,     // the end frame came
        kRefused,   // the device refused
        kHeadFailed,  // the head's status was not 200, or the head was malformed
        kGarbage,   // a data length no device sends
    };

    // Receives each piece of payload in stream order. A piece always lies inside the bytes
    // handed to Feed, never in a copy: it stays valid as long as they do (the download
    // writes the pieces of one read after the read's Feed returned).
    using DataSink = std::function<bool(std::string_view piece)>;

    explicit NetworkBackupStream(DataSink sink) : m_sink(std::move(sink)) {}

    // Takes the next bytes the connection brought. Returns the number of bytes consumed:
    // all of them while the stream goes on, fewer once it has ended (bytes after an end or
    // refusal frame are not read). A sink that answers false stops the stream where it is
    // (the state stays kPayload) and Feed returns what was consumed before that piece.
    std::size_t Feed(const char* data, std::size_t size);

    State GetState() const { return m_state; }
    bool Finished() const {
        return m_state == State::kEnded || m_state == State::kRefused ||
               m_state == State::kHeadFailed || m_state == State::kGarbage;
    }
    // Payload bytes handed to the sink so far.
    uint64_t DataBytes() const { return m_dataBytes; }
    // True while the sink stopped the stream.
    bool SinkFailed() const { return m_sinkFailed; }

  private:
    std::size_t FeedStart(const char* data, std::size_t size);
    std::size_t FeedHead(const char* data, std::size_t size);
    std::size_t FeedHeader(const char* data, std::size_t size);
    std::size_t FeedPayload(const char* data, std::size_t size);
    void EndHead();

    DataSink m_sink;
    State m_state = State::kStart;
    std::string m_head;
    unsigned char m_header[BackupFrameHeader::kSize] = {};
    std::size_t m_headerFill = 0;
    uint32_t m_payloadLeft = 0;
    uint64_t m_dataBytes = 0;
    bool m_sinkFailed = false;
};
