#pragma once
// Letter case of ASCII text. Names in files and from devices are compared without
// regard to case the way the system always has: only A-Z and a-z fold, so bytes of
// other scripts compare as they are, whatever the locale.
#include <algorithm>
#include <string_view>

namespace ormidon {

constexpr char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

}  // namespace ormidon
