#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "ClosedPort.h"
#include "net/BlockingSocket.h"
#include "net/LocalIPAddress.h"
#include "platform/Clock.h"

namespace {

// A listening TCP socket on a free port of 127.0.0.1 that accepts on request.
class Listener {
  public:
    Listener() {
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(m_fd, 4);
        socklen_t length = sizeof address;
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
    ~Listener() {
        for (int fd : m_accepted) close(fd);
        close(m_fd);
    }
    int Accept() {
        int fd = accept(m_fd, nullptr, nullptr);
        m_accepted.push_back(fd);
        return fd;
    }
    int Port() const { return m_port; }

  private:
    int m_fd = -1;
    int m_port = 0;
    std::vector<int> m_accepted;
};

std::string OperationOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const CBlockingSocketException& e) {
        return e.m_strOperation;
    }
    return "";
}

void ConnectTo(CBlockingSocket& socket, int port) {
    socket.Create(CBlockingSocket::kStream);
    socket.Connect(CSocketAddress("127.0.0.1", port), 5);
}

bool IsOpenDescriptor(int fd) { return fcntl(fd, F_GETFD) != -1; }

}  // namespace

TEST(SocketAddress, FromTextAndDefault) {
    CSocketAddress address("192.168.1.10", 8080);
    EXPECT_EQ(address.sin_family, AF_INET);
    EXPECT_EQ(address.sin_port, htons(8080));
    EXPECT_EQ(address.GetIPAddress(), 0xC0A8010Au);
    EXPECT_EQ(CSocketAddress("not an address", 1).GetIPAddress(), 0xFFFFFFFFu);
    EXPECT_EQ(CSocketAddress().GetIPAddress(), 0u);
}

TEST(BlockingSocket, WithoutSocketReceiveFailsAndCloseIsHarmless) {
    CBlockingSocket socket;
    char buffer[4];
    EXPECT_EQ(socket.Receive(buffer, sizeof buffer, 0), -1);
    EXPECT_NO_THROW(socket.Close());
    EXPECT_NO_THROW(socket.Close());
    EXPECT_NO_THROW(socket.Cleanup());
}

TEST(BlockingSocket, FailedCreateLeavesNoSocket) {
    CBlockingSocket socket;
    EXPECT_EQ(OperationOf([&] { socket.Create(99); }), "Create");
    EXPECT_EQ(socket.m_hSocket, CBlockingSocket::kNoSocket);
    EXPECT_NO_THROW(socket.Cleanup());
}

TEST(BlockingSocket, ExchangesBytesAndSeesThePeerClose) {
    Listener listener;
    CBlockingSocket socket;
    ConnectTo(socket, listener.Port());
    EXPECT_EQ(socket.m_bConnected, 1);
    int peer = listener.Accept();

    EXPECT_EQ(socket.SendAll("hello", 5, 1), 5);
    char buffer[16] = {};
    ASSERT_EQ(recv(peer, buffer, sizeof buffer, 0), 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");

    // An empty send still goes out as one call and succeeds.
    EXPECT_EQ(socket.SendAll("", 0, 1), 0);

    ASSERT_EQ(send(peer, "abc", 3, 0), 3);
    EXPECT_EQ(socket.Receive(buffer, sizeof buffer, 1), 3);
    // Nothing more is waiting: a zero-second wait polls and fails at once.
    EXPECT_EQ(socket.Receive(buffer, sizeof buffer, 0), -1);

    shutdown(peer, SHUT_RDWR);
    EXPECT_EQ(socket.Receive(buffer, sizeof buffer, 1), -1);
    socket.Close();
    EXPECT_EQ(socket.m_bConnected, 0);
    EXPECT_EQ(socket.m_hSocket, CBlockingSocket::kNoSocket);
}

TEST(BlockingSocket, PeerThatNeverReadsGivesSendTimeout) {
    Listener listener;
    CBlockingSocket socket;
    ConnectTo(socket, listener.Port());
    listener.Accept();
    const std::string chunk(1 << 20, 'x');
    // Zero-second waits: once both socket buffers are full the next wait times out.
    EXPECT_EQ(OperationOf([&] {
                  for (int i = 0; i < 256; ++i) socket.SendAll(chunk.data(), int(chunk.size()), 0);
              }),
              "Send timeout");
}

TEST(BlockingSocket, ConnectToClosedPortFails) {
    CBlockingSocket socket;
    socket.Create(CBlockingSocket::kStream);
    EXPECT_EQ(
        OperationOf([&] { socket.Connect(CSocketAddress("127.0.0.1", ClosedLoopbackPort()), 5); }),
        "Connect");
    EXPECT_EQ(socket.m_bConnected, 0);
}

TEST(BlockingSocket, StopRequestEndsBlockedWaitsAtOnce) {
    struct Case {
        const char* name;
        std::function<std::string(CBlockingSocket&)> blockedCall;
        std::string expected;
    };
    const std::string chunk(1 << 20, 'x');
    const Case cases[] = {
        {"receive",
         [](CBlockingSocket& s) {
             char buffer[8];
             return std::to_string(s.Receive(buffer, sizeof buffer, 60));
         },
         "-1"},
        {"send",
         [&chunk](CBlockingSocket& s) {
             return OperationOf([&] {
                 for (;;) s.SendAll(chunk.data(), int(chunk.size()), 60);
             });
         },
         "Send"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Listener listener;
        std::stop_source stop;
        CBlockingSocket socket(stop.get_token());
        ConnectTo(socket, listener.Port());
        listener.Accept();
        auto result = std::async(std::launch::async, [&] { return c.blockedCall(socket); });
        // The call is blocked (the peer neither sends nor reads) until the stop arrives.
        EXPECT_EQ(result.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
        stop.request_stop();
        ASSERT_EQ(result.wait_for(std::chrono::seconds(5)), std::future_status::ready);
        EXPECT_EQ(result.get(), c.expected);
    }
}

TEST(BlockingSocket, TimeOutsRunOnTheProgramClock) {
    ormidon::TestClock clock;
    ormidon::ScopedClockOverride useClock(clock);
    Listener listener;
    CBlockingSocket socket;
    ConnectTo(socket, listener.Port());
    listener.Accept();
    auto result = std::async(std::launch::async, [&] {
        char buffer[8];
        return socket.Receive(buffer, sizeof buffer, 15);
    });
    // Real time does not end the wait; the clock passing the 15 s does.
    EXPECT_EQ(result.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    clock.Advance(14999);
    EXPECT_EQ(result.wait_for(std::chrono::milliseconds(30)), std::future_status::timeout);
    clock.Advance(1);
    ASSERT_EQ(result.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(result.get(), -1);
}

TEST(BlockingSocket, StoppedSocketRefusesToConnect) {
    Listener listener;
    std::stop_source stop;
    stop.request_stop();
    CBlockingSocket socket(stop.get_token());
    socket.Create(CBlockingSocket::kStream);
    EXPECT_EQ(OperationOf([&] { socket.Connect(CSocketAddress("127.0.0.1", listener.Port()), 5); }),
              "Connect");
}

TEST(BlockingSocket, DestructorClosesTheSocket) {
    int fd;
    {
        CBlockingSocket socket;
        socket.Create(CBlockingSocket::kStream);
        fd = socket.m_hSocket;
        EXPECT_TRUE(IsOpenDescriptor(fd));
    }
    EXPECT_FALSE(IsOpenDescriptor(fd));
}

TEST(BlockingSocket, DatagramToDestinationAddress) {
    CBlockingSocket receiver;
    receiver.Create(CBlockingSocket::kDatagram);
    receiver.Bind(CSocketAddress("127.0.0.1", 0));
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    getsockname(receiver.m_hSocket, reinterpret_cast<sockaddr*>(&bound), &length);

    CBlockingSocket sender;
    sender.Create(CBlockingSocket::kDatagram);
    EXPECT_EQ(sender.SetSockOpt(), 0);
    sender.m_DestAddress = CSocketAddress("127.0.0.1", ntohs(bound.sin_port));
    EXPECT_EQ(sender.Sendto("ping", 4, 0), 4);
    char buffer[8];
    EXPECT_EQ(receiver.Receive(buffer, sizeof buffer, 2), 4);
}

TEST(BlockingSocket, HostNameLookup) {
    CSocketAddress address = CBlockingSocket::GetHostByName("localhost", 81);
    EXPECT_EQ(address.GetIPAddress() >> 24, 127u);
    EXPECT_EQ(address.sin_port, htons(81));
    EXPECT_EQ(OperationOf([] { CBlockingSocket::GetHostByName("", 81); }), "GetHostByName");
}

TEST(LocalIPAddress, IsADottedAddressButNeverTheHostNameLoopback) {
    char text[16] = {};
    GetLocalIPAddress(text);
    in_addr parsed{};
    ASSERT_EQ(inet_pton(AF_INET, text, &parsed), 1) << text;
    EXPECT_STRNE(text, "127.0.1.1");
}
