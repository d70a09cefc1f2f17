#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <string>

#include "ClosedPort.h"
#include "SimulatedDevice.h"
#include "net/CgiCommand.h"
#include "net/HalvoSendCommand.h"

using namespace std::chrono_literals;
using ormidon::sim::Fault;
using ormidon::sim::HttpRequest;
using ormidon::sim::Responder;

namespace {

constexpr const char* kFixedLines =
    "Accept-Encoding: gzip, deflate\r\n"
    "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 1.1.4322)\r\n"
    "Host: 192.0.2.7\r\nConnection: Keep-Alive\r\n\r\n";

struct Outcome {
    int result = -1;
    int32_t status[2] = {-5, -5};
    std::string body;
    uint32_t length = 12345;
};

class HalvoSendCommandTest : public SimulatedDeviceTest {
  protected:
    // Sends a command with a 256-byte reply buffer (filled with '~' beforehand).
    Outcome Send(uint8_t index, const std::string& query, const std::string* body = nullptr,
                 uint16_t receiveSeconds = 5) {
        Outcome outcome;
        char reply[256];
        std::memset(reply, '~', sizeof reply);
        outcome.result = HalvoSendCommand(
            index, query.c_str(), static_cast<int>(query.size()), body ? body->data() : nullptr,
            body ? int(body->size()) : 0, outcome.status, sizeof outcome.status, reply,
            sizeof reply, &outcome.length, 5, receiveSeconds);
        outcome.body.assign(reply, sizeof reply);
        return outcome;
    }
    Outcome Login() { return Send(CGI_LOGIN, "/Login.cgi?Username=admin&Password=admin"); }
    // Answers `path` with these bytes exactly.
    void AnswerRaw(const std::string& path, std::string bytes) {
        device.Server().SetRoute(
            path, [bytes](const HttpRequest&, Responder& responder) { responder.WriteRaw(bytes); });
    }
    std::string LoginReplyBody() {
        const auto identity = device.Identity();
        return "Session-ID=" + device.Sessions().back() +
               ";Firmware-Version=" + identity.firmwareVersion +
               ";Product-ID=" + identity.productId + ";MAC-Address=" + identity.macAddress +
               ";Host-Name=" + identity.hostName + ";";
    }
};

}  // namespace

TEST_F(HalvoSendCommandTest, RequestBytesWithoutAndWithBody) {
    const std::string query = "/SetChannel.cgi?CH=2&Cookie=" + GetSessionCookie();
    EXPECT_EQ(Send(CGI_SETCHANNEL, query).result, 1);
    const std::string body("\x81\x00\x02 ptz", 7);
    EXPECT_EQ(Send(CGI_RS485CMD, "/RS485Cmd.cgi?Cookie=" + GetSessionCookie(), &body).result, 1);

    const auto log = device.Server().Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(
        log[0].raw,
        "GET " + query + " HTTP/1.1\r\nAccept: */* \r\nAccept-Language: zh-tw\r\n" + kFixedLines);
    EXPECT_EQ(log[1].raw,
              "GET /RS485Cmd.cgi?Cookie=" + GetSessionCookie() +
                  " HTTP/1.1\r\nAccept: */* \r\nAccept-Language: zh-tw\r\nContent-Length: 7\r\n" +
                  kFixedLines + body);
}

TEST_F(HalvoSendCommandTest, ReadsTheBodyOfA200) {
    Outcome outcome = Login();
    EXPECT_EQ(outcome.result, 1);
    const std::string expected = LoginReplyBody();
    EXPECT_EQ(outcome.length, expected.size());
    EXPECT_EQ(outcome.body.substr(0, expected.size()), expected);
    EXPECT_EQ(outcome.status[1], -5);
}

TEST_F(HalvoSendCommandTest, ScriptedFaultsGiveTheirFailure) {
    struct Case {
        const char* name;
        Fault fault;
        int result;
        int32_t status;
        bool bodyArrives;
    };
    const Case cases[] = {
        {"202 too many users", Fault::Status(202), 0, 202, false},
        {"404", Fault::Status(404), 0, 404, false},
        {"500", Fault::Status(500), 0, 500, false},
        {"closed without reply", Fault::CloseWithoutReply(), 0, -5, false},
        {"body cut short", Fault::ShortBody(1), 0, -5, false},
        {"body longer than the buffer", Fault::LongBody(256), 0, -5, false},
        {"header in pieces", Fault::SplitHeader(4, 10ms), 1, -5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device.Server().AddFault(c.fault);
        Outcome outcome = Login();
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.status[0], -5);
        EXPECT_EQ(outcome.status[1], c.status);
        if (c.bodyArrives) {
            EXPECT_EQ(outcome.body.substr(0, outcome.length), LoginReplyBody());
        } else {
            EXPECT_EQ(outcome.length, 0u);
        }
    }
}

TEST_F(HalvoSendCommandTest, ReplyWithoutContentLengthIsAnEmptySuccess) {
    device.Server().AddFault(Fault::NoContentLength());
    Outcome outcome = Login();
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.length, 0u);
    EXPECT_EQ(outcome.body, std::string(256, '~'));
}

TEST_F(HalvoSendCommandTest, HeaderFieldsAreReadByName) {
    struct Case {
        const char* name;
        std::string reply;
        int result;
        int32_t status;
        std::string body;
    };
    const Case cases[] = {
        {"any letter case, no blank", "HTTP/1.1 200 OK\r\ncontent-LENGTH:3\r\n\r\nabcdef", 1, -5,
         "abc"},
        {"a look-alike header first",
         "HTTP/1.1 200 OK\r\nX-Content-Length: 9\r\nContent-Length:  2 \r\n\r\nxy", 1, -5, "xy"},
        {"length not a number", "HTTP/1.1 200 OK\r\nContent-Length: 1x\r\n\r\nabc", 0, -5, ""},
        {"status without reason", "HTTP/1.0 202\r\n\r\n", 0, 202, ""},
        {"status line without blank", "HTTP/1.1\r\n\r\n", 0, -5, ""},
        {"status not a number", "HTTP/1.1 OK 200\r\n\r\n", 0, -5, ""},
        {"header longer than its buffer",
         "HTTP/1.1 200 OK\r\nX-Pad: " + std::string(5000, 'p') + "\r\n\r\n", 0, -5, ""},
        {"no blank line before the close", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n", 0, -5, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnswerRaw("/Getdeviceinfo.cgi", c.reply);
        Outcome outcome = Send(CGI_GETDEVICEINFO, "/Getdeviceinfo.cgi");
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.status[1], c.status);
        EXPECT_EQ(outcome.body.substr(0, outcome.length), c.body);
    }
}

TEST_F(HalvoSendCommandTest, ReceiveTimeoutAndStopBothFailAStalledCommand) {
    device.Server().AddFault(Fault::Stall());
    EXPECT_EQ(Send(CGI_GETDEVICEINFO, "/Getdeviceinfo.cgi", nullptr, 0).result, 0);

    device.Server().AddFault(Fault::Stall());
    std::stop_source stop;
    auto result = std::async(std::launch::async, [&] {
        const char query[] = "/Getdeviceinfo.cgi";
        char reply[16];
        uint32_t length;
        return HalvoSendCommand(CGI_GETDEVICEINFO, query, sizeof query - 1, nullptr, 0, nullptr, 0,
                                reply, sizeof reply, &length, 60, 60, 0, stop.get_token());
    });
    ASSERT_TRUE(device.Server().WaitForLogSize(2, 5s));
    EXPECT_EQ(result.wait_for(20ms), std::future_status::timeout);
    stop.request_stop();
    ASSERT_EQ(result.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(result.get(), 0);
    device.Server().EndStalls();
}

TEST_F(HalvoSendCommandTest, RebootReturnsOnceSent) {
    device.Server().AddFault(Fault::Stall("/Reboot.cgi"));
    EXPECT_EQ(Send(CGI_REBOOT, "/Reboot.cgi", nullptr, 60).result, 1);
    device.Server().EndStalls();
}

TEST_F(HalvoSendCommandTest, RefusesBeforeSendingWhatCannotGoOut) {
    const std::string injected = "/SetChannel.cgi?CH=1\r\nX: y";
    EXPECT_EQ(Send(CGI_SETCHANNEL, injected).result, 0);
    const std::string withNul("/SetChannel.cgi?CH=1\0x", 22);
    EXPECT_EQ(Send(CGI_SETCHANNEL, withNul).result, 0);
    Settings().m_strServerName.clear();
    EXPECT_EQ(Login().result, 0);
    EXPECT_EQ(device.Server().LogSize(), 0u);
}

TEST_F(HalvoSendCommandTest, ClosedPortFails) {
    Settings().m_wWebPort = ClosedLoopbackPort();
    EXPECT_EQ(Login().result, 0);
}

TEST_F(HalvoSendCommandTest, PendingAddressChangeWaitsForA200) {
    g_wNewWebPort = 4321;
    g_fNewWebPort = 1;
    g_strNewServerAddress.Set("localhost");
    g_fNewServerAddress = 1;
    std::strcpy(Settings().m_szServerName, "old-name");

    device.Server().AddFault(Fault::Status(500));
    EXPECT_EQ(Login().result, 0);
    EXPECT_EQ(Settings().m_wWebPort, device.Port());
    EXPECT_EQ(g_fNewWebPort, 1);
    EXPECT_EQ(g_fNewServerAddress, 1);

    EXPECT_EQ(Login().result, 1);
    EXPECT_EQ(Settings().m_wWebPort, 4321);
    EXPECT_EQ(Settings().m_strServerName, "localhost");
    EXPECT_STREQ(Settings().m_szServerName, "");
    EXPECT_EQ(g_fNewWebPort, 0);
    EXPECT_EQ(g_fNewServerAddress, 0);
}

TEST_F(HalvoSendCommandTest, LoginByHostNameKeepsTheNameAndUsesTheAddress) {
    Settings().m_strServerName = "localhost";
    EXPECT_EQ(Send(CGI_GETDEVICEINFO, "/Getdeviceinfo.cgi?Cookie=" + GetSessionCookie()).result, 1);
    EXPECT_EQ(Settings().m_strServerName, "localhost");

    EXPECT_EQ(Login().result, 1);
    EXPECT_EQ(Settings().m_strServerName.substr(0, 4), "127.");
    EXPECT_STREQ(Settings().m_szServerName, "localhost");

    // A dotted address stays as it is.
    Settings().m_strServerName = "127.0.0.1";
    std::memset(Settings().m_szServerName, 0, sizeof Settings().m_szServerName);
    EXPECT_EQ(Login().result, 1);
    EXPECT_EQ(Settings().m_strServerName, "127.0.0.1");
    EXPECT_STREQ(Settings().m_szServerName, "");
}
