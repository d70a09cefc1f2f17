#include "core/TextHelpers.h"

#include <algorithm>
#include <cstring>

#include "core/StringTable.h"
#include "platform/AsciiCase.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The value of a hexadecimal digit; -1 for anything else.
int HexValue(char c) {
    c = ormidon::UpperAscii(c);
    if (IsDigit(c)) return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The byte of two hexadecimal digits, the first giving the high half; a character
// that is not a digit counts as 0.
uint8_t PairToByte(char high, char low) {
    return static_cast<uint8_t>(std::max(HexValue(high), 0) << 4 | std::max(HexValue(low), 0));
}

// Copies as much of `text` as fits with a terminator; the buffer is zeroed first.
void CopyBounded(std::string_view text, std::span<char> buffer) {
    std::fill(buffer.begin(), buffer.end(), '\0');
    if (buffer.empty()) return;
    size_t n = std::min(text.size(), buffer.size() - 1);
    std::copy_n(text.begin(), n, buffer.begin());
}

}  // namespace

int CheckAddressString(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return IsDigit(c) || c == '.'; }) ? 2
                                                                                                : 1;
}

int IsSameStringNoCase(std::string_view a, std::string_view b) {
    return ormidon::EqualsNoCase(a, b) ? 1 : 0;
}

int FilterNumericString(std::string& text, uint8_t mode) {
    if (mode != kFilterDigitsOnly || text.size() >= 256) return 0;
    std::erase_if(text, [](char c) { return !IsDigit(c); });
    return 1;
}

int HexStringToBytes(std::string_view text, uint8_t* buffer, int size, char separator) {
    if (!buffer || size <= 0) return 0;
    std::string digits;
    std::copy_if(text.begin(), text.end(), std::back_inserter(digits),
                 [separator](char c) { return c != separator; });
    size_t count = std::min(digits.size() / 2, static_cast<size_t>(size));
    std::memset(buffer, 0, count);
    for (size_t i = 0; i < count; ++i) buffer[i] = PairToByte(digits[2 * i], digits[2 * i + 1]);
    return 1;
}

int ParseNumberList(std::string_view text, uint8_t* buffer, int size, std::string_view separators) {
    if (!buffer || size < 0) return 0;
    std::memset(buffer, 0, static_cast<size_t>(size));
    int pieces = 0;
    size_t at = 0;
    while (true) {
        at = text.find_first_not_of(separators, at);
        if (at == std::string_view::npos) break;
        size_t end = text.find_first_of(separators, at);
        std::string_view piece = text.substr(at, end == std::string_view::npos ? end : end - at);
        // A leading sign and the leading digits, as the C library reads a number.
        bool negative = !piece.empty() && piece.front() == '-';
        if (!piece.empty() && (piece.front() == '-' || piece.front() == '+'))
            piece.remove_prefix(1);
        uint8_t value = 0;
        for (char c : piece) {
            if (!IsDigit(c)) break;
            value = static_cast<uint8_t>(value * 10 + (c - '0'));
        }
        if (negative) value = static_cast<uint8_t>(-value);
        if (pieces < size) buffer[pieces] = value;
        ++pieces;
        if (end == std::string_view::npos) break;
        at = end;
    }
    return pieces > 0 ? 1 : 0;
}

int MacStringToBytes(std::string_view text, uint8_t* buffer) {
    constexpr size_t kMacDigits = 12;
    if (!buffer || text.size() != kMacDigits) return 0;
    std::memset(buffer, 0, kMacDigits / 2);
    if (!std::all_of(text.begin(), text.end(), [](char c) { return HexValue(c) >= 0; })) return 0;
    for (size_t i = 0; i < kMacDigits / 2; ++i)
        buffer[i] = PairToByte(text[2 * i], text[2 * i + 1]);
    return 1;
}

std::string FormatTwoDigits(int value) {
    int twoDigits = value % 100;
    return (twoDigits < 10 ? "0" : "") + std::to_string(twoDigits);
}

int LoadSplitString(uint32_t id, std::span<char> first, std::span<char> second) {
    std::string_view text = LoadResourceString(id);
    size_t dollar = text.find('$');
    CopyBounded(text.substr(0, dollar), first);
    CopyBounded(dollar == std::string_view::npos ? std::string_view{} : text.substr(dollar + 1),
                second);
    return 1;
}
