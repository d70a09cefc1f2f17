#pragma once
// The devices' search responder: listens for the 76-byte search, set and reset requests
// on a broadcast address and answers each to <sender>:<answer port>, one answer per
// device after that device's delay. It acts on set and reset requests only when they
// carry its own MAC, checks the account, keeps the new settings for the next search and
// logs every datagram in both directions.
//
// It answers only senders that are this computer itself (a loopback address or an
// address of its own interfaces), so even when it listens on every address it never
// answers a real network.
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/StopSignal.h"

namespace ormidon::sim {

using SearchRecord = std::array<uint8_t, 76>;

struct SearchDevice {
    std::array<uint8_t, 6> mac{};
    uint8_t typeLetter = '2';
    // Loopback addresses unless a test gives others: nothing found here leads off this
    // computer.
    std::array<uint8_t, 4> address{127, 0, 0, 100};
    std::array<uint8_t, 4> netMask{255, 0, 0, 0};
    std::array<uint8_t, 4> gateway{127, 0, 0, 1};
    std::array<uint8_t, 4> dns{127, 0, 0, 1};
    uint16_t webPort = 80;
    std::string user = "admin";
    std::string password = "admin";
    // Real time between a request and this device's answer.
    std::chrono::milliseconds delay{0};
    // Answers every search twice.
    bool answerTwice = false;
    // A device that takes its address from elsewhere refuses new settings with code 2.
    bool staticAddress = true;
    // The code of every set and reset answer instead of the device's own verdict; the
    // settings change only with code 1.
    std::optional<uint8_t> forcedResult;
    // Does not answer set and reset requests.
    bool silentOnSetting = false;
};

class SearchResponder {
  public:
    struct LogEntry;
    struct Setup {
        // Where requests are taken: a loopback broadcast address; "0.0.0.0" only inside a
        // network namespace made for the purpose.
        std::string listenAddress = "127.255.255.255";
        uint16_t port = 7777;  // 0: a free port
        uint16_t answerPort = 3332;
        // Called with every logged datagram besides keeping it, on the responder's thread.
        std::function<void(const LogEntry&)> onLog;
        // Called on the responder's thread with a device (its place in the answer order and
        // its new values) each time a set or reset request changed it.
        std::function<void(std::size_t index, const SearchDevice& device)> onSetting;
    };
    struct LogEntry {
        bool received = false;  // else sent
        std::string peer;       // "a.b.c.d:port"
        std::vector<uint8_t> bytes;
    };

    SearchResponder();
    ~SearchResponder();
    SearchResponder(const SearchResponder&) = delete;
    SearchResponder& operator=(const SearchResponder&) = delete;

    bool Start(const Setup& setup);
    void Stop();
    uint16_t Port() const { return m_port; }

    // The devices, in answer order; reset requests restore the values a device was added
    // with.
    void AddDevice(const SearchDevice& device);
    std::vector<SearchDevice> Devices() const;
    // Datagrams sent to every search before the devices' answers (garbage, foreign
    // records).
    void AddSearchExtra(std::vector<uint8_t> datagram);
    // A record of an unknown MAC answered to each set and reset request before the
    // target's own answer.
    void SetForeignAnswerFirst(bool foreign);

    std::vector<LogEntry> Log() const;
    // Waits until `count` datagrams were received in all; false when `limit` passed.
    bool WaitForReceived(std::size_t count, std::chrono::milliseconds limit) const;

    // The record of a search answer of `device`.
    static SearchRecord SearchAnswer(const SearchDevice& device);

  private:
    struct Pending {
        std::chrono::steady_clock::time_point due;
        uint32_t address;  // host order
        std::vector<uint8_t> bytes;
    };
    void Run();
    void OnRequest(const uint8_t* data, std::size_t size, uint32_t sender, uint16_t senderPort);
    uint8_t ApplySetting(SearchDevice& device, std::size_t index, const SearchRecord& request);
    void Schedule(std::chrono::milliseconds delay, uint32_t address, std::vector<uint8_t> bytes);
    void SendDue();
    bool MayAnswer(uint32_t address) const;
    void Record(bool received, uint32_t address, uint16_t port, const uint8_t* data,
                std::size_t size);

    Setup m_setup;
    uint16_t m_port = 0;
    int m_listen = -1;
    int m_send = -1;
    StopSignal m_stop;
    std::thread m_thread;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_logged;
    std::vector<SearchDevice> m_devices;
    std::vector<SearchDevice> m_defaults;
    std::vector<std::vector<uint8_t>> m_extras;
    bool m_foreignFirst = false;
    std::vector<Pending> m_pending;
    std::vector<LogEntry> m_log;
    std::size_t m_received = 0;
};

}  // namespace ormidon::sim
