#include "sim/RequestReader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>

#include "sim/AsciiText.h"

namespace ormidon::sim {

namespace {

constexpr std::string_view kBlankLine = "\r\n\r\n";

std::vector<NameValue> SplitQuery(std::string_view query) {
    std::vector<NameValue> params;
    while (!query.empty()) {
        std::size_t end = query.find('&');
        std::string_view piece = query.substr(0, end);
        query = end == std::string_view::npos ? std::string_view{} : query.substr(end + 1);
        if (piece.empty()) continue;
        std::size_t equals = piece.find('=');
        if (equals == std::string_view::npos) {
            params.emplace_back(std::string(piece), std::string());
        } else {
            params.emplace_back(std::string(piece.substr(0, equals)),
                                std::string(piece.substr(equals + 1)));
        }
    }
    return params;
}

}  // namespace

const std::string* HttpRequest::Param(std::string_view name) const {
    for (const auto& [key, value] : params) {
        if (key == name) return &value;
    }
    return nullptr;
}

std::optional<int> HttpRequest::NumberParam(std::string_view name, int lowest, int highest) const {
    const std::string* text = Param(name);
    if (text == nullptr || text->empty()) return std::nullopt;
    // strtol saturates, so a number too long for a long is out of range too.
    char* end = nullptr;
    const long value = std::strtol(text->c_str(), &end, 10);
    if (*end != '\0' || value < lowest || value > highest) return std::nullopt;
    return static_cast<int>(value);
}

const std::string* HttpRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (EqualsNoCase(key, name)) return &value;
    }
    return nullptr;
}

RequestReader::State RequestReader::Feed(std::string_view bytes) {
    if (m_state == State::kHeader) {
        const std::size_t searchFrom = m_pending.size() >= 3 ? m_pending.size() - 3 : 0;
        m_pending.append(bytes);
        const std::size_t end = m_pending.find(kBlankLine, searchFrom);
        if (end == std::string::npos || end > kMaxHeaderBytes) {
            if (m_pending.size() > kMaxHeaderBytes) m_state = State::kBad;
            return m_state;
        }
        const std::size_t headerBytes = end + kBlankLine.size();
        // Bytes behind the blank line belong to the body.
        bytes = std::string_view(m_pending).substr(headerBytes);
        std::string rest(bytes);
        m_pending.resize(headerBytes);
        if (!ParseHeader(std::string_view(m_pending).substr(0, end))) {
            m_state = State::kBad;
            return m_state;
        }
        m_request.raw = std::move(m_pending);
        m_state = State::kBody;
        return Feed(rest);
    }
    if (m_state == State::kBody) {
        const std::size_t wanted = m_bodyLength - m_request.body.size();
        const std::string_view taken = bytes.substr(0, std::min(wanted, bytes.size()));
        m_request.body.append(taken);
        m_request.raw.append(taken);
        if (m_request.body.size() == m_bodyLength) {
            m_state = State::kComplete;
            m_rest.assign(bytes.substr(taken.size()));
        }
    }
    return m_state;
}

bool RequestReader::ParseHeader(std::string_view header) {
    std::size_t lineEnd = header.find("\r\n");
    std::string_view requestLine = header.substr(0, lineEnd);
    header = lineEnd == std::string_view::npos ? std::string_view{} : header.substr(lineEnd + 2);

    const std::size_t firstBlank = requestLine.find(' ');
    const std::size_t lastBlank = requestLine.rfind(' ');
    if (firstBlank == std::string_view::npos || firstBlank == lastBlank) return false;
    const std::string_view version = requestLine.substr(lastBlank + 1);
    if (version.substr(0, 5) != "HTTP/") return false;
    m_request.method = std::string(requestLine.substr(0, firstBlank));
    m_request.target = std::string(requestLine.substr(firstBlank + 1, lastBlank - firstBlank - 1));
    if (m_request.method.empty() || m_request.target.empty()) return false;
    const std::size_t question = m_request.target.find('?');
    m_request.path = m_request.target.substr(0, question);
    if (question != std::string::npos) {
        m_request.params = SplitQuery(std::string_view(m_request.target).substr(question + 1));
    }

    bool haveLength = false;
    while (!header.empty()) {
        lineEnd = header.find("\r\n");
        const std::string_view line = header.substr(0, lineEnd);
        header =
            lineEnd == std::string_view::npos ? std::string_view{} : header.substr(lineEnd + 2);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) return false;
        const std::string_view name = TrimBlanks(line.substr(0, colon));
        const std::string_view value = TrimBlanks(line.substr(colon + 1));
        if (name.empty()) return false;
        m_request.headers.emplace_back(std::string(name), std::string(value));
        if (!EqualsNoCase(name, "Content-Length")) continue;
        std::size_t length = 0;
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), length);
        if (error != std::errc() || end != value.data() + value.size() || value.empty())
            return false;
        if (length > kMaxBodyBytes || (haveLength && length != m_bodyLength)) return false;
        m_bodyLength = length;
        haveLength = true;
    }
    return true;
}

}  // namespace ormidon::sim
