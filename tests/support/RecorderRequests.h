#pragma once
// What the simulated recorder was asked: the targets of the requests in its log that went
// to one path, in the order they came.
#include <string>
#include <string_view>
#include <vector>

#include "sim/HttpServer.h"

namespace ormidon::test {

inline std::vector<std::string> RequestTargets(const sim::HttpServer& server,
                                               std::string_view path) {
    std::vector<std::string> targets;
    for (const sim::HttpRequest& request : server.Log()) {
        if (request.path == path) targets.push_back(request.target);
    }
    return targets;
}

}  // namespace ormidon::test
