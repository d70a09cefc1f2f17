#include "net/NetworkBackupStream.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::string_view kHttpPrefix = "HTTP/";

uint32_t ReadU32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

std::size_t NetworkBackupStream::Feed(const char* data, std::size_t size) {
    std::size_t used = 0;
    while (used < size && !Finished() && !m_sinkFailed) {
        std::size_t step = 0;
        switch (m_state) {
            case State::kStart: step = FeedStart(data + used, size - used); break;
            case State::kHead: step = FeedHead(data + used, size - used); break;
            case State::kHeader: step = FeedHeader(data + used, size - used); break;
            case State::kPayload: step = FeedPayload(data + used, size - used); break;
            default: return used;
        }
        used += step;
    }
    return used;
}

// The first bytes decide: as long as they agree with "HTTP/" they are kept back; a frame
// header cannot start so, as its length would be far beyond kMaxPayload.
std::size_t NetworkBackupStream::FeedStart(const char* data, std::size_t size) {
    std::size_t have = m_head.size();
    std::size_t take = std::min(size, kHttpPrefix.size() - have);
    m_head.append(data, take);
    if (kHttpPrefix.substr(0, m_head.size()) != m_head) {
        // Frames from the first byte: what was kept back is the start of a header.
        std::string kept = std::move(m_head);
        m_head.clear();
        m_state = State::kHeader;
        std::size_t fromKept = FeedHeader(kept.data(), kept.size());
        // A header is 8 bytes and at most 5 were kept, so all of them went in.
        (void)fromKept;
        return take;
    }
    if (m_head.size() == kHttpPrefix.size()) m_state = State::kHead;
    return take;
}

std::size_t NetworkBackupStream::FeedHead(const char* data, std::size_t size) {
    // One byte at a time until the blank line; the head is short.
    std::size_t used = 0;
    while (used < size) {
        m_head.push_back(data[used++]);
        if (m_head.size() >= 4 && m_head.compare(m_head.size() - 4, 4, "\r\n\r\n") == 0) {
            EndHead();
            return used;
        }
        if (m_head.size() > kMaxHead) {
            m_state = State::kHeadFailed;
            return used;
        }
    }
    return used;
}

void NetworkBackupStream::EndHead() {
    // "HTTP/1.1 200 OK": the status is the number after the first blank.
    std::size_t blank = m_head.find(' ');
    bool ok = blank != std::string::npos && m_head.size() >= blank + 4 &&
              m_head.compare(blank + 1, 3, "200") == 0 &&
              (m_head.size() == blank + 4 || m_head[blank + 4] == ' ' ||
               m_head[blank + 4] == '\r');
    m_head.clear();
    m_state = ok ? State::kHeader : State::kHeadFailed;
}

std::size_t NetworkBackupStream::FeedHeader(const char* data, std::size_t size) {
    std::size_t take = std::min(size, sizeof(m_header) - m_headerFill);
    std::memcpy(m_header + m_headerFill, data, take);
    m_headerFill += take;
    if (m_headerFill < sizeof(m_header)) return take;
    m_headerFill = 0;
    const BackupFrameHeader header{ReadU32(m_header), ReadU32(m_header + 4)};
    const uint32_t length = header.length;
    const uint32_t type = header.type;
    switch (type) {
        case kTypeData:
            if (length > kMaxPayload) {
                m_state = State::kGarbage;
            } else if (length > 0) {
                m_payloadLeft = length;
                m_state = State::kPayload;
            }
            break;
        case kTypeEnd: m_state = State::kEnded; break;
        case kTypeRefused: m_state = State::kRefused; break;
        default: break;  // no payload: the next 8 bytes are the next header
    }
    return take;
}

std::size_t NetworkBackupStream::FeedPayload(const char* data, std::size_t size) {
    std::size_t take = std::min<std::size_t>(size, m_payloadLeft);
    if (!m_sink(std::string_view(data, take))) {
        m_sinkFailed = true;
        return 0;
    }
    m_dataBytes += take;
    m_payloadLeft -= static_cast<uint32_t>(take);
    if (m_payloadLeft == 0) m_state = State::kHeader;
    return take;
}
