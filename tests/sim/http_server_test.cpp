#include <gtest/gtest.h>

#include <future>

#include "RawHttp.h"
#include "sim/HttpServer.h"

using namespace ormidon::sim;
using namespace std::chrono_literals;

namespace {

class HttpServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        server.SetRoute("/Echo.cgi", [](const HttpRequest& request, Responder& responder) {
            responder.Reply(200, "echo:" + request.body);
        });
        ASSERT_TRUE(server.Start());
    }
    HttpServer server;
};

}  // namespace

TEST_F(HttpServerTest, ReadsAGetWithBodyArrivingInPiecesAndLogsItExactly) {
    const std::string header =
        "GET /Echo.cgi?Option=DNS&Refresh=False&Cookie=a b&flag HTTP/1.1\r\nAccept: */* \r\n"
        "content-length: 5\r\n\r\n";
    auto exchange =
        simtest::Send(server.Port(), {header.substr(0, 10), header.substr(10) + "he", "llo"});
    EXPECT_EQ(exchange.reply, "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\necho:hello");
    EXPECT_TRUE(exchange.closed);

    ASSERT_EQ(server.LogSize(), 1u);
    const HttpRequest logged = server.Log()[0];
    EXPECT_EQ(logged.raw, header + "hello");
    EXPECT_EQ(logged.method, "GET");
    EXPECT_EQ(logged.path, "/Echo.cgi");
    const std::vector<NameValue> params = {
        {"Option", "DNS"}, {"Refresh", "False"}, {"Cookie", "a b"}, {"flag", ""}};
    EXPECT_EQ(logged.params, params);
    ASSERT_NE(logged.Header("Accept"), nullptr);
    EXPECT_EQ(*logged.Header("Accept"), "*/*");
    EXPECT_EQ(logged.body, "hello");
}

TEST_F(HttpServerTest, UnknownPathIs404AndMalformedRequestIs400) {
    EXPECT_EQ(simtest::StatusLineOf(simtest::Get(server.Port(), "/Nothing.cgi").reply),
              "HTTP/1.1 404 Not Found");
    EXPECT_EQ(simtest::StatusLineOf(simtest::Send(server.Port(), {"NONSENSE\r\n\r\n"}).reply),
              "HTTP/1.1 400 Bad Request");
    EXPECT_EQ(
        simtest::StatusLineOf(
            simtest::Send(server.Port(), {"GET / HTTP/1.1\r\nContent-Length: x\r\n\r\n"}).reply),
        "HTTP/1.1 400 Bad Request");
}

TEST_F(HttpServerTest, ScriptedFaultsShapeOneReplyEach) {
    struct Case {
        const char* name;
        Fault fault;
        std::string expected;
        int minimumReceives;
    };
    const Case cases[] = {
        {"status", Fault::Status(500),
         "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n", 1},
        {"close", Fault::CloseWithoutReply(), "", 0},
        {"short body", Fault::ShortBody(3), "HTTP/1.1 200 OK\r\nContent-Length: 8\r\n\r\necho:", 1},
        {"long body", Fault::LongBody(4),
         "HTTP/1.1 200 OK\r\nContent-Length: 12\r\n\r\necho:abc####", 1},
        {"no length", Fault::NoContentLength(), "HTTP/1.1 200 OK\r\n\r\necho:abc", 1},
        {"replaced body", Fault::ReplaceBody("A=1;"),
         "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nA=1;", 1},
        {"split header", Fault::SplitHeader(3, 30ms),
         "HTTP/1.1 200 OK\r\nContent-Length: 8\r\n\r\necho:abc", 3},
        {"other path untouched", Fault::Status(500, "/Other.cgi"),
         "HTTP/1.1 200 OK\r\nContent-Length: 8\r\n\r\necho:abc", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.ClearFaults();
        server.AddFault(c.fault);
        auto exchange = simtest::Get(server.Port(), "/Echo.cgi", "abc");
        EXPECT_EQ(exchange.reply, c.expected);
        EXPECT_TRUE(exchange.closed);
        EXPECT_GE(exchange.receives, c.minimumReceives);
        // The fault is used up: the next request is answered normally.
        if (std::string(c.name) != "other path untouched") {
            EXPECT_EQ(simtest::BodyOf(simtest::Get(server.Port(), "/Echo.cgi", "x").reply),
                      "echo:x");
        }
    }
}

TEST_F(HttpServerTest, StallHoldsTheConnectionUntilTheTestEndsIt) {
    server.AddFault(Fault::Stall("/Echo.cgi"));
    auto exchange =
        std::async(std::launch::async, [&] { return simtest::Get(server.Port(), "/Echo.cgi"); });
    ASSERT_TRUE(server.WaitForLogSize(1, 5s));
    EXPECT_EQ(exchange.wait_for(50ms), std::future_status::timeout);
    server.EndStalls();
    auto result = exchange.get();
    EXPECT_EQ(result.reply, "");
    EXPECT_TRUE(result.closed);
}

TEST_F(HttpServerTest, StopEndsStalledConnections) {
    server.AddFault(Fault::Stall());
    auto exchange =
        std::async(std::launch::async, [&] { return simtest::Get(server.Port(), "/Echo.cgi"); });
    ASSERT_TRUE(server.WaitForLogSize(1, 5s));
    server.Stop();
    EXPECT_TRUE(exchange.get().closed);
}
