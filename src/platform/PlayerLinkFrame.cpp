#include "platform/PlayerLinkFrame.h"

#include <algorithm>
#include <cstring>

namespace ormidon {

namespace {

void PutLE(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint64_t GetLE(const char* in, int bytes) {
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<uint64_t>(static_cast<unsigned char>(in[i])) << (8 * i);
    return value;
}

}  // namespace

std::string EncodeLinkFrame(const LinkFrame& frame) {
    std::string out;
    out.reserve(kLinkHeaderBytes + frame.data.size());
    PutLE(out, frame.message, 4);
    PutLE(out, frame.wParam, 4);
    PutLE(out, frame.lParam, 8);
    PutLE(out, frame.data.size(), 4);
    out += frame.data;
    return out;
}

std::string PaddedText(std::string_view text, std::size_t size) {
    if (size == 0) return {};
    std::string out(text.substr(0, size - 1));
    out.resize(size, '\0');
    return out;
}

std::string TextOfPadded(std::string_view data, std::size_t bound) {
    data = data.substr(0, bound);
    return std::string(data.substr(0, data.find('\0')));
}

bool LinkFrameReader::Feed(const char* data, std::size_t size, const Handler& handler) {
    while (!m_broken && size > 0) {
        if (!m_inData) {
            const std::size_t take = std::min(size, kLinkHeaderBytes - m_headerHave);
            std::memcpy(m_header + m_headerHave, data, take);
            m_headerHave += take;
            data += take;
            size -= take;
            if (m_headerHave < kLinkHeaderBytes) break;
            m_headerHave = 0;
            m_frame.message = static_cast<uint32_t>(GetLE(m_header, 4));
            m_frame.wParam = static_cast<uint32_t>(GetLE(m_header + 4, 4));
            m_frame.lParam = GetLE(m_header + 8, 8);
            m_need = static_cast<uint32_t>(GetLE(m_header + 16, 4));
            m_frame.data.clear();
            if (m_need > m_maxData) {
                m_broken = true;
                break;
            }
            m_inData = true;
        } else {
            const std::size_t take = std::min<std::size_t>(size, m_need - m_frame.data.size());
            m_frame.data.append(data, take);
            data += take;
            size -= take;
        }
        if (m_inData && m_frame.data.size() == m_need) {
            m_inData = false;
            handler(m_frame);
        }
    }
    return !m_broken;
}

}  // namespace ormidon
