#pragma once
// A fault that a test scripts for one request: the recorder answers that request wrongly in
// the chosen way, then behaves normally again.
#include <chrono>
#include <cstddef>
#include <string>

namespace ormidon::sim {

struct Fault {
    enum class Kind {
        kStatus,             // answer `status` with an empty body instead of the real reply
        kCloseWithoutReply,  // close the connection once the request is read
        kStall,              // keep the connection open and silent until the test ends stalls
        kShortBody,          // declare the whole body but send `bytes` fewer, then close
        kLongBody,           // add `bytes` filler bytes to the body (declared in Content-Length)
        kSplitHeader,        // write the reply header in `pieces` pieces, `pause` apart
        kNoContentLength,    // leave the Content-Length line out (the body is still sent)
        kReplaceBody,        // answer 200 with `body` instead of the real reply
    };

    Kind kind = Kind::kStatus;
    int status = 0;
    std::size_t bytes = 0;
    int pieces = 0;
    std::chrono::milliseconds pause{0};
    // The path it applies to; empty for the next request on any path.
    std::string path;
    std::string body = {};  // the reply body of kReplaceBody

    static Fault Status(int status, std::string path = {}) {
        return {Kind::kStatus, status, 0, 0, {}, std::move(path)};
    }
    static Fault CloseWithoutReply(std::string path = {}) {
        return {Kind::kCloseWithoutReply, 0, 0, 0, {}, std::move(path)};
    }
    static Fault Stall(std::string path = {}) {
        return {Kind::kStall, 0, 0, 0, {}, std::move(path)};
    }
    static Fault ShortBody(std::size_t missing, std::string path = {}) {
        return {Kind::kShortBody, 0, missing, 0, {}, std::move(path)};
    }
    static Fault LongBody(std::size_t extra, std::string path = {}) {
        return {Kind::kLongBody, 0, extra, 0, {}, std::move(path)};
    }
    static Fault SplitHeader(int pieces, std::chrono::milliseconds pause, std::string path = {}) {
        return {Kind::kSplitHeader, 0, 0, pieces, pause, std::move(path)};
    }
    static Fault ReplaceBody(std::string body, std::string path = {}) {
        return {Kind::kReplaceBody, 200, 0, 0, {}, std::move(path), std::move(body)};
    }
    static Fault NoContentLength(std::string path = {}) {
        return {Kind::kNoContentLength, 0, 0, 0, {}, std::move(path)};
    }
};

}  // namespace ormidon::sim
