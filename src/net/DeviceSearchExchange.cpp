#include "net/DeviceSearchExchange.h"

#include <netinet/in.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "core/AppObject.h"
#include "net/BlockingSocket.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"

namespace {

std::mutex& SetupMutex() {
    static std::mutex mutex;
    return mutex;
}

DeviceSearchSetup& SetupSlot() {
    static DeviceSearchSetup setup;
    return setup;
}

std::string LocalAddressOf(const DeviceSearchSetup& setup) {
    return setup.localAddress.empty() ? g_strLocalIPAddress.Get() : setup.localAddress;
}

// The socket the answers arrive on: any local address, the answer port, no address reuse.
class AnswerSocket {
  public:
    enum class Open { kOpened, kNoSocket, kBindFailed };
    enum class Wait { kAnswer, kTimeout, kWaitFailed, kReceiveFailed, kStopped };

    explicit AnswerSocket(std::stop_token stop) : m_Socket(std::move(stop)) {}

    Open Bind(uint16_t port) {
        try {
            m_Socket.Create(CBlockingSocket::kDatagram);
        } catch (const CBlockingSocketException&) {
            return Open::kNoSocket;
        }
        CSocketAddress any;
        any.sin_addr.s_addr = htonl(INADDR_ANY);
        any.sin_port = htons(port);
        try {
            m_Socket.Bind(any);
        } catch (const CBlockingSocketException&) {
            m_Socket.Cleanup();
            return Open::kBindFailed;
        }
        return Open::kOpened;
    }

    // Waits up to `waitMs` for a datagram of the record's size that `accept` takes; all
    // others are dropped and the wait goes on with the time that is left.
    Wait Receive(DeviceSearchPacket& answer, uint32_t waitMs,
                 const std::function<bool(const DeviceSearchPacket&)>& accept) {
        const uint32_t start = ormidon::TickCount();
        for (;;) {
            const uint32_t elapsed = ormidon::TickCount() - start;
            const uint32_t left = elapsed >= waitMs ? 0 : waitMs - elapsed;
            DeviceSearchBytes bytes{};
            int length = 0;
            switch (m_Socket.ReceiveDatagram(
                reinterpret_cast<char*>(bytes.data()), static_cast<int>(bytes.size()),
                static_cast<int>(std::min<uint32_t>(left, INT32_MAX)), length)) {
                case CBlockingSocket::DatagramResult::kTimeout:
                    return Wait::kTimeout;
                case CBlockingSocket::DatagramResult::kStopped:
                    return Wait::kStopped;
                case CBlockingSocket::DatagramResult::kFailed:
                    return Wait::kReceiveFailed;
                case CBlockingSocket::DatagramResult::kReceived:
                    break;
            }
            if (static_cast<std::size_t>(length) != bytes.size()) continue;
            const auto packet = PacketFromBytes(bytes);
            if (!packet || (accept && !accept(*packet))) continue;
            answer = *packet;
            return Wait::kAnswer;
        }
    }

  private:
    CBlockingSocket m_Socket;
};

}  // namespace

DeviceSearchSetup GetDeviceSearchSetup() {
    std::lock_guard lock(SetupMutex());
    return SetupSlot();
}

void SetDeviceSearchSetup(const DeviceSearchSetup& setup) {
    std::lock_guard lock(SetupMutex());
    SetupSlot() = setup;
}

void ApplyDeviceSearchEnvironment() {
    const char* destination = std::getenv("ORMIDON_SEARCH_BROADCAST");
    if (destination == nullptr || destination[0] == '\0') return;
    DeviceSearchSetup setup = GetDeviceSearchSetup();
    setup.destination = destination;
    const auto bytes = ParseDottedAddress(destination);
    if (bytes && (*bytes)[0] == 127) setup.localAddress = "127.0.0.1";
    SetDeviceSearchSetup(setup);
}

bool SendBroadCast(const DeviceSearchPacket& request, const DeviceSearchSetup& setup,
                   std::stop_token stop) {
    CBlockingSocket socket;
    socket.m_DestAddress = CSocketAddress(setup.destination.c_str(), setup.destinationPort);
    const DeviceSearchBytes bytes = ToBytes(request);
    try {
        // A mistyped destination would turn into 255.255.255.255: it is refused instead.
        if (!ParseDottedAddress(setup.destination)) throw CBlockingSocketException("Sendto");
        socket.Create(CBlockingSocket::kDatagram);
        socket.SetSockOpt();
        const std::string local = LocalAddressOf(setup);
        socket.Bind(CSocketAddress(local.c_str(), setup.sourcePort));
        socket.Sendto(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()),
                      0);
        socket.Close();
        return true;
    } catch (const CBlockingSocketException&) {
        socket.Cleanup();
        ormidon::ShowMessageText("SendBroadCast is wrong", ormidon::kMbOk, stop);
        return false;
    }
}

DeviceSearchEnd RunDeviceSearch(const DeviceSearchSetup& setup, std::stop_token stop,
                                const std::function<void(const DeviceSearchPacket&)>& onAnswer) {
    AnswerSocket answers(stop);
    if (answers.Bind(setup.answerPort) != AnswerSocket::Open::kOpened) {
        return DeviceSearchEnd::kNoAnswerSocket;
    }
    if (!SendBroadCast(MakeSearchRequest(LocalAddressOf(setup)), setup, stop)) {
        return stop.stop_requested() ? DeviceSearchEnd::kStopped : DeviceSearchEnd::kFinished;
    }
    const uint32_t start = ormidon::TickCount();
    for (;;) {
        if (ormidon::TickCount() - start >= setup.searchLimitMs) return DeviceSearchEnd::kFinished;
        DeviceSearchPacket answer;
        switch (answers.Receive(answer, setup.searchQuietMs, nullptr)) {
            case AnswerSocket::Wait::kAnswer:
                if (onAnswer) onAnswer(answer);
                break;
            case AnswerSocket::Wait::kStopped:
                return DeviceSearchEnd::kStopped;
            case AnswerSocket::Wait::kTimeout:
            case AnswerSocket::Wait::kWaitFailed:
            case AnswerSocket::Wait::kReceiveFailed:
                return DeviceSearchEnd::kFinished;
        }
    }
}

DeviceSettingAnswer RunDeviceSetting(const DeviceSearchPacket& request, uint32_t waitMs,
                                     const DeviceSearchSetup& setup, std::stop_token stop) {
    AnswerSocket answers(stop);
    switch (answers.Bind(setup.answerPort)) {
        case AnswerSocket::Open::kNoSocket:
            return {DeviceSettingOutcome::kNoSocket};
        case AnswerSocket::Open::kBindFailed:
            return {DeviceSettingOutcome::kBindFailed};
        case AnswerSocket::Open::kOpened:
            break;
    }
    if (!SendBroadCast(request, setup, stop)) return {DeviceSettingOutcome::kTimeout};
    DeviceSearchPacket answer;
    const auto fromTarget = [&request](const DeviceSearchPacket& packet) {
        return IsAnswerFromTarget(packet, request);
    };
    switch (answers.Receive(answer, waitMs, fromTarget)) {
        case AnswerSocket::Wait::kAnswer:
            return {DeviceSettingOutcome::kAnswer, answer.byResult};
        case AnswerSocket::Wait::kWaitFailed:
            return {DeviceSettingOutcome::kWaitFailed};
        case AnswerSocket::Wait::kReceiveFailed:
            return {DeviceSettingOutcome::kReceiveFailed};
        case AnswerSocket::Wait::kTimeout:
        case AnswerSocket::Wait::kStopped:
            break;
    }
    return {DeviceSettingOutcome::kTimeout};
}
