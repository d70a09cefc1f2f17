#pragma once
// One HTTP request as the simulated recorder received it.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ormidon::sim {

using NameValue = std::pair<std::string, std::string>;

struct HttpRequest {
    std::string raw;                 // every byte received for this request, header and body
    std::string method;              // "GET", "POST", ...
    std::string target;              // the request line's target, as sent
    std::string path;                // the target up to "?"
    std::vector<NameValue> params;   // the query, in order, not decoded
    std::vector<NameValue> headers;  // in order, names and values trimmed
    std::string body;

    // The first query parameter with this exact name, or nullptr.
    const std::string* Param(std::string_view name) const;
    // That parameter as a whole decimal number from `lowest` to `highest`; nothing when it
    // is missing, not a number or out of range.
    std::optional<int> NumberParam(std::string_view name, int lowest, int highest) const;
    // The first header with this name (any letter case), or nullptr.
    const std::string* Header(std::string_view name) const;
};

}  // namespace ormidon::sim
