#include "platform/IniFile.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <utility>

#include "platform/AsciiCase.h"
#include "platform/Paths.h"

namespace ormidon {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr size_t npos = std::string::npos;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// The name of a section header line ("[name]"), or false when the line is not one.
bool SectionName(std::string_view line, std::string_view& name) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return false;
    line.remove_prefix(1);
    size_t close = line.find(']');
    name = Trim(line.substr(0, close));
    return true;
}

// Splits a key line into its trimmed name and its trimmed, unquoted value.
bool KeyAndValue(std::string_view line, std::string_view& key, std::string_view& value) {
    line = Trim(line);
    if (line.empty() || line.front() == ';' || line.front() == '[') return false;
    size_t eq = line.find('=');
    if (eq == npos) return false;
    key = Trim(line.substr(0, eq));
    if (key.empty()) return false;
    value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return true;
}

bool HasLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != npos;
}

}  // namespace

int ParseProfileInt(std::string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    uint32_t value = 0;  // wraps like the 32-bit reader it stands in for
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10u + static_cast<uint32_t>(c - '0');
    }
    if (negative) value = 0u - value;
    return static_cast<int>(value);
}

IniFile::IniFile(std::filesystem::path file) : m_path(std::move(file)) { Load(); }

bool IniFile::Load() {
    m_bom.clear();
    m_lines.clear();
    std::ifstream in(m_path, std::ios::binary);
    if (!in) return false;
    std::string bytes;
    try {
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        return false;  // a read error, such as a folder of that name, reads as no file
    }
    if (in.bad()) return false;
    SetText(bytes);
    return true;
}

void IniFile::SetText(std::string_view text) {
    m_bom.clear();
    m_lines.clear();
    if (text.starts_with(kUtf8Bom)) {
        m_bom = kUtf8Bom;
        text.remove_prefix(kUtf8Bom.size());
    }
    while (!text.empty()) {
        size_t lf = text.find('\n');
        Line line;
        if (lf == npos) {
            // A last line may end in a lone CR: it stays its ending, so that a line end
            // added behind it completes it rather than pulling it into the text.
            const bool cr = text.back() == '\r';
            line.text = text.substr(0, text.size() - (cr ? 1 : 0));
            if (cr) line.ending = "\r";
            text = {};
        } else {
            size_t end = lf;
            if (end > 0 && text[end - 1] == '\r') --end;
            line.text = text.substr(0, end);
            line.ending = text.substr(end, lf + 1 - end);
            text.remove_prefix(lf + 1);
        }
        m_lines.push_back(std::move(line));
    }
}

std::string IniFile::Text() const {
    std::string out = m_bom;
    for (const Line& line : m_lines) {
        out += line.text;
        out += line.ending;
    }
    return out;
}

bool IniFile::Save() const {
    if (m_path.empty()) return false;
    return ReplaceFileAtomically(m_path, Text());
}

size_t IniFile::FindSection(std::string_view section) const {
    section = Trim(section);
    for (size_t i = 0; i < m_lines.size(); ++i) {
        std::string_view name;
        if (SectionName(m_lines[i].text, name) && EqualsNoCase(name, section)) return i;
    }
    return npos;
}

size_t IniFile::FindKey(size_t header, std::string_view key) const {
    key = Trim(key);
    for (size_t i = header + 1; i < m_lines.size(); ++i) {
        std::string_view name, value;
        if (SectionName(m_lines[i].text, name)) break;
        if (KeyAndValue(m_lines[i].text, name, value) && EqualsNoCase(name, key)) return i;
    }
    return npos;
}

bool IniFile::HasKey(std::string_view section, std::string_view key) const {
    size_t header = FindSection(section);
    return header != npos && FindKey(header, key) != npos;
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view fallback) const {
    size_t header = FindSection(section);
    size_t at = header == npos ? npos : FindKey(header, key);
    if (at == npos) return std::string(fallback);
    std::string_view name, value;
    KeyAndValue(m_lines[at].text, name, value);
    return std::string(value);
}

int IniFile::GetInt(std::string_view section, std::string_view key, int fallback) const {
    if (!HasKey(section, key)) return fallback;
    return ParseProfileInt(GetString(section, key, {}));
}

std::string IniFile::NewLineEnding() const {
    for (const Line& line : m_lines) {
        if (!line.ending.empty() && line.ending != "\r") return line.ending;
    }
    return "\r\n";
}

void IniFile::EndLine(Line& line, const std::string& ending) {
    if (line.ending.empty()) line.ending = ending;
    if (line.ending == "\r") line.ending = "\r\n";
}

bool IniFile::SetString(std::string_view section, std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    if (section.empty() || key.empty() || HasLineBreakOrNul(section) || HasLineBreakOrNul(key) ||
        HasLineBreakOrNul(value) || key.find('=') != npos || section.find(']') != npos ||
        key.front() == ';' || key.front() == '[') {
        // A key line starting ";" reads as a comment, one starting "[" as a section header.
        return false;
    }
    std::string text = std::string(key) + "=" + std::string(value);
    const std::string ending = NewLineEnding();

    size_t header = FindSection(section);
    if (header == npos) {
        if (!m_lines.empty()) EndLine(m_lines.back(), ending);
        m_lines.push_back({"[" + std::string(section) + "]", ending});
        m_lines.push_back({std::move(text), ending});
        return true;
    }
    size_t at = FindKey(header, key);
    if (at != npos) {
        m_lines[at].text = std::move(text);
        return true;
    }
    // After the last non-blank line of the section, so blank lines that part it from
    // the next section stay where they are.
    size_t last = header;
    for (size_t i = header + 1; i < m_lines.size(); ++i) {
        std::string_view name;
        if (SectionName(m_lines[i].text, name)) break;
        if (!Trim(m_lines[i].text).empty()) last = i;
    }
    EndLine(m_lines[last], ending);
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(last + 1),
                   Line{std::move(text), ending});
    return true;
}

bool IniFile::SetInt(std::string_view section, std::string_view key, long long value) {
    return SetString(section, key, std::to_string(value));
}

}  // namespace ormidon
