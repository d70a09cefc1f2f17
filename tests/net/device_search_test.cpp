// The device search exchange: the request records byte for byte, a search against the
// simulated responder on loopback (answers, garbage, duplicates, the end by silence and by
// the limit), and set and reset requests with every outcome.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "../support/EngineHarness.h"
#include "../support/LoopbackSearch.h"
#include "net/DeviceSearchExchange.h"
#include "net/DeviceSearchItem.h"
#include "net/DeviceSearchPacket.h"
#include "platform/Clock.h"
#include "platform/RecordingMessageBoxSink.h"

namespace {

using namespace ormidon;
using ormidon::test::LoopbackSearch;
using ormidon::test::MakeDevice;

// Bytes from a hex text; blanks are for the eye.
std::vector<uint8_t> Hex(std::string_view text) {
    std::vector<uint8_t> bytes;
    int high = -1;
    for (char c : text) {
        if (c == ' ') continue;
        const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<uint8_t>(high << 4 | digit));
            high = -1;
        }
    }
    return bytes;
}

std::vector<uint8_t> Bytes(const DeviceSearchPacket& packet) {
    const DeviceSearchBytes bytes = ToBytes(packet);
    return {bytes.begin(), bytes.end()};
}

TEST(DeviceSearchPacketTest, RequestsAreWrittenByteForByte) {
    EXPECT_EQ(Bytes(MakeSearchRequest("127.0.0.1")),
              Hex("4b585f534541524348 00000000000000"  // "KX_SEARCH"
                  "01 00 000000000000"
                  "00000000000000000000000000000000 00000000000000000000000000000000"
                  "7f000001 00000000 00000000 00000000 050d 0000"));

    DeviceSettingTexts texts{"00:1b:2C:3d:4e:5f", "admin",    "secret",  "10.1.2.3",
                             "255.255.0.0",       "10.1.0.1", "8.8.4.4", 8080};
    const std::string account =
        "61646d696e0000000000000000000000"   // "admin"
        "73656372657400000000000000000000";  // "secret"
    const std::string addresses = "0a010203 ffff0000 0a010001 08080404 901f 0000";
    EXPECT_EQ(Bytes(MakeSettingRequest(kDeviceSearchCommandSetIp, texts)),
              Hex("4b585f5345545f4950 00000000000000"  // "KX_SET_IP"
                  "02 00 001b2c3d4e5f" +
                  account + addresses));
    EXPECT_EQ(Bytes(MakeSettingRequest(kDeviceSearchCommandReset, texts)),
              Hex("4b585f5245534554 0000000000000000"  // "KX_RESET"
                  "03 00 001b2c3d4e5f" +
                  account + addresses));

    // Only the low 16 bits of the port go out, and an account text keeps its field's zero.
    texts.port = 70000;
    texts.user = std::string(20, 'u');
    const DeviceSearchBytes bytes = ToBytes(MakeSettingRequest(kDeviceSearchCommandSetIp, texts));
    EXPECT_EQ(bytes[72], 0x70);
    EXPECT_EQ(bytes[73], 0x11);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[24])), std::string(15, 'u'));
}

TEST(DeviceSearchPacketTest, DottedAddressesAreFourNumbersUpTo255) {
    const struct {
        const char* text;
        bool valid;
    } cases[] = {
        {"0.0.0.0", true},    {"255.255.255.255", true}, {"192.168.001.010", true},
        {"300.1.1.1", false}, {"1.2.3", false},          {"1.2.3.4.5", false},
        {"1..2.3", false},    {"1.2.3.4 ", false},       {"", false},
        {"a.b.c.d", false},   {"1.2.3.-4", false},       {"0001.2.3.4", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseDottedAddress(c.text).has_value(), c.valid) << c.text;
    EXPECT_EQ(*ParseDottedAddress("192.168.001.010"), (std::array<uint8_t, 4>{192, 168, 1, 10}));
}

TEST(DeviceSearchPacketTest, OnlyRecordsOfTheirOwnSizeAreRead) {
    DeviceSearchBytes bytes = ToBytes(MakeSearchRequest("10.0.0.1"));
    EXPECT_TRUE(PacketFromBytes(bytes).has_value());
    EXPECT_FALSE(PacketFromBytes(std::span(bytes).first(75)).has_value());
    std::vector<uint8_t> longer(bytes.begin(), bytes.end());
    longer.push_back(0);
    EXPECT_FALSE(PacketFromBytes(longer).has_value());
    EXPECT_EQ(PacketFromBytes(bytes)->wPort, 3333);
}

TEST(DeviceSearchItemTest, TypeLettersNameAndGateTheDevices) {
    const struct {
        uint8_t letter;
        uint8_t stored;
        const char* name;
        bool modifiable;
    } cases[] = {
        {'2', '2', "Video Server", true},
        {'S', 'S', "4CH MPEG4 DVR", true},
        {'U', 'U', "8CH MPEG4 DVR", true},
        {'W', 'W', "16CH MPEG4 DVR", true},
        {'q', 'q', "4CH NETWORK DVR", false},
        {'s', 's', "4CH NETWORK DVR", false},
        {'u', 'u', "9CH NETWORK DMR", false},
        {'v', 'v', "9CH NETWORK DMR", false},
        {'w', 'w', "16CH NETWORK DMR", false},
        {0x80, 0x80, "4CH NETWORK MPEG2 DVR", false},
        {0x8A, 0x8A, "4CH NETWORK MPEG2 DVR", false},
        {'t', '2', "Video Server", true},
        {0, '2', "Video Server", true},
        {0x81, '2', "Video Server", true},
    };
    for (const auto& c : cases) {
        const uint8_t stored = NormalisedDeviceType(c.letter);
        EXPECT_EQ(stored, c.stored) << int(c.letter);
        EXPECT_EQ(DeviceTypeName(stored), c.name) << int(c.letter);
        EXPECT_EQ(IsModifiableDeviceType(stored), c.modifiable) << int(c.letter);
    }
}

class DeviceSearchExchangeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetMessageBoxSink(&boxes);
        ASSERT_TRUE(search.Start());
    }
    void TearDown() override { SetMessageBoxSink(nullptr); }

    std::vector<DeviceSearchPacket> Search(DeviceSearchEnd* end = nullptr) {
        std::vector<DeviceSearchPacket> answers;
        const DeviceSearchEnd how = RunDeviceSearch(
            search.setup, {}, [&](const DeviceSearchPacket& p) { answers.push_back(p); });
        if (end) *end = how;
        return answers;
    }

    RecordingMessageBoxSink boxes;
    LoopbackSearch search;
};

TEST_F(DeviceSearchExchangeTest, EveryRecordSizedDatagramIsOneDeviceAndOthersAreDropped) {
    using std::chrono::milliseconds;
    auto first = MakeDevice(0x01, 'S', 11, 80);  // answers at once
    auto second = MakeDevice(0x02, 'q', 12, 8080);
    second.delay = milliseconds(60);
    second.answerTwice = true;
    auto third = MakeDevice(0x03, 0x7A, 13, 65535);
    third.delay = milliseconds(120);
    for (const auto& device : {first, second, third}) search.responder.AddDevice(device);
    search.responder.AddSearchExtra(std::vector<uint8_t>(40, 0x55));   // short
    search.responder.AddSearchExtra(std::vector<uint8_t>(200, 0x66));  // long
    auto other = sim::SearchResponder::SearchAnswer(MakeDevice(0x04, 'W', 14, 81));
    std::memcpy(other.data(), "HELLO\0\0\0\0", 9);  // another keyword still counts
    search.responder.AddSearchExtra({other.begin(), other.end()});

    DeviceSearchEnd end{};
    const std::vector<DeviceSearchPacket> answers = Search(&end);
    EXPECT_EQ(end, DeviceSearchEnd::kFinished);
    std::vector<std::string> seen;
    for (const auto& answer : answers) {
        const DeviceSearchItem item = MakeDeviceSearchItem(answer, 0);
        seen.push_back(item.szIP + " " + item.szMAC + " " + std::to_string(item.dwPort) + " " +
                       std::string(DeviceTypeName(item.byDeviceType)));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "192.168.1.14 00:1b:2c:3d:4e:04 81 16CH MPEG4 DVR",
                        "192.168.1.11 00:1b:2c:3d:4e:01 80 4CH MPEG4 DVR",
                        "192.168.1.12 00:1b:2c:3d:4e:02 8080 4CH NETWORK DVR",
                        "192.168.1.12 00:1b:2c:3d:4e:02 8080 4CH NETWORK DVR",
                        "192.168.1.13 00:1b:2c:3d:4e:03 65535 Video Server",
                    }));

    // The responder got exactly the search request, from the local address and with it.
    const auto log = search.responder.Log();
    ASSERT_FALSE(log.empty());
    EXPECT_TRUE(log.front().received);
    EXPECT_EQ(log.front().peer.rfind("127.0.0.1:", 0), 0u);
    const auto request = ToBytes(MakeSearchRequest("127.0.0.1"));
    EXPECT_EQ(log.front().bytes, std::vector<uint8_t>(request.begin(), request.end()));
}

TEST_F(DeviceSearchExchangeTest, EndsByQuietOrAtTheLimit) {
    TestClock clock;
    ScopedClockOverride useClock(clock);
    search.setup.searchQuietMs = 5000;
    search.setup.searchLimitMs = 10000;
    search.responder.AddDevice(MakeDevice(0x01, '2', 11, 80));
    const auto answer = sim::SearchResponder::SearchAnswer(MakeDevice(0x09, '2', 19, 80));

    std::atomic<int> count = 0;
    std::atomic<bool> ended = false;
    std::thread searching([&] {
        RunDeviceSearch(search.setup, {}, [&](const DeviceSearchPacket&) { ++count; });
        ended = true;
    });
    ASSERT_TRUE(test::WaitUntil([&] { return count == 1; }));
    // Answers less than the quiet time apart keep it going, garbage does not, until the
    // first look after the limit.
    for (int step = 0; step < 3; ++step) {
        clock.Advance(4000);
        test::SendDatagram(search.setup.answerPort, std::vector<uint8_t>(10, 1));
        test::SendDatagram(search.setup.answerPort, answer);
        ASSERT_TRUE(test::WaitUntil([&] { return count == step + 2; }));
        if (step < 2) {
            EXPECT_FALSE(ended);
        }
    }
    ASSERT_TRUE(test::WaitUntil([&] { return ended.load(); }));
    searching.join();
    EXPECT_EQ(count, 4);

    // Without answers it ends the quiet time after the request, and not before.
    search.responder.Stop();
    count = 0;
    ended = false;
    std::thread quiet([&] {
        RunDeviceSearch(search.setup, {}, [&](const DeviceSearchPacket&) { ++count; });
        ended = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    clock.Advance(4999);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(ended);
    clock.Advance(1);
    ASSERT_TRUE(test::WaitUntil([&] { return ended.load(); }));
    quiet.join();
    EXPECT_EQ(count, 0);
}

TEST_F(DeviceSearchExchangeTest, AHeldAnswerPortSendsNothing) {
    const int holder = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(search.setup.answerPort);
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    search.responder.AddDevice(MakeDevice(0x01, '2', 11, 80));
    DeviceSearchEnd end{};
    EXPECT_TRUE(Search(&end).empty());
    EXPECT_EQ(end, DeviceSearchEnd::kNoAnswerSocket);
    const auto request = MakeSettingRequest(kDeviceSearchCommandSetIp, {});
    EXPECT_EQ(RunDeviceSetting(request, 100, search.setup).outcome,
              DeviceSettingOutcome::kBindFailed);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(search.responder.Log().empty());
    close(holder);

    // Once it is free again a search binds it.
    EXPECT_EQ(Search().size(), 1u);
}

TEST_F(DeviceSearchExchangeTest, AFailedRequestEndsAtOnce) {
    search.setup.localAddress = "192.0.2.1";  // not ours: the bind fails
    search.setup.searchQuietMs = 60000;
    DeviceSearchEnd end{};
    EXPECT_TRUE(Search(&end).empty());
    EXPECT_EQ(end, DeviceSearchEnd::kFinished);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"SendBroadCast is wrong"});
    search.setup.setWaitMs = 60000;
    EXPECT_EQ(RunDeviceSetting(MakeSettingRequest(kDeviceSearchCommandSetIp, {}),
                               search.setup.setWaitMs, search.setup)
                  .outcome,
              DeviceSettingOutcome::kTimeout);
}

TEST_F(DeviceSearchExchangeTest, SetAndResetTakeOnlyTheTargetsAnswer) {
    auto target = MakeDevice(0x01, '2', 11, 80);
    target.user = "root";
    target.password = "pass";
    target.delay = std::chrono::milliseconds(30);
    search.responder.AddDevice(target);
    search.responder.AddDevice(MakeDevice(0x02, '2', 12, 80));
    search.responder.SetForeignAnswerFirst(true);

    DeviceSettingTexts texts{"00:1b:2c:3d:4e:01", "root",     "pass",     "10.0.0.5",
                             "255.0.0.0",         "10.0.0.1", "10.0.0.2", 8081};
    const auto set = [&](const DeviceSettingTexts& t) {
        return RunDeviceSetting(MakeSettingRequest(kDeviceSearchCommandSetIp, t), 2000,
                                search.setup);
    };
    texts.password = "wrong";
    DeviceSettingAnswer answer = set(texts);
    EXPECT_EQ(answer.outcome, DeviceSettingOutcome::kAnswer);
    EXPECT_EQ(answer.resultCode, kDeviceSettingRefused);

    texts.password = "pass";
    answer = set(texts);
    EXPECT_EQ(answer.outcome, DeviceSettingOutcome::kAnswer);
    EXPECT_EQ(answer.resultCode, kDeviceSettingDone);
    // Only the target changed, and the next search shows it.
    std::vector<std::string> addresses;
    for (const auto& found : Search())
        addresses.push_back(MakeDeviceSearchItem(found, 0).szIP + ":" +
                            std::to_string(found.wPort));
    EXPECT_EQ(addresses, (std::vector<std::string>{"192.168.1.12:80", "10.0.0.5:8081"}));

    answer =
        RunDeviceSetting(MakeSettingRequest(kDeviceSearchCommandReset, texts), 2000, search.setup);
    EXPECT_EQ(answer.resultCode, kDeviceSettingDone);
    EXPECT_EQ(search.responder.Devices()[0].address, target.address);
}

TEST_F(DeviceSearchExchangeTest, SettingOutcomes) {
    TestClock clock;
    ScopedClockOverride useClock(clock);
    const struct {
        std::optional<uint8_t> forced;
        bool staticAddress;
        bool silent;
        DeviceSettingOutcome outcome;
        uint8_t code;
    } cases[] = {
        {0, true, false, DeviceSettingOutcome::kAnswer, 0},
        {1, true, false, DeviceSettingOutcome::kAnswer, 1},
        {std::nullopt, false, false, DeviceSettingOutcome::kAnswer, 2},
        {9, true, false, DeviceSettingOutcome::kAnswer, 9},
        {std::nullopt, true, true, DeviceSettingOutcome::kTimeout, 0},
    };
    uint8_t mac = 0x10;
    for (const auto& c : cases) {
        ++mac;
        auto device = MakeDevice(mac, '2', mac, 80);
        device.forcedResult = c.forced;
        device.staticAddress = c.staticAddress;
        device.silentOnSetting = c.silent;
        search.responder.AddDevice(device);
        const uint8_t macBytes[6] = {0x00, 0x1B, 0x2C, 0x3D, 0x4E, mac};
        DeviceSettingTexts texts{FormatMacAddress(macBytes),
                                 "admin",
                                 "admin",
                                 "10.0.0.5",
                                 "255.0.0.0",
                                 "10.0.0.1",
                                 "10.0.0.2",
                                 80};
        std::optional<DeviceSettingAnswer> answer;
        std::thread waiting([&] {
            answer = RunDeviceSetting(MakeSettingRequest(kDeviceSearchCommandReset, texts), 7000,
                                      search.setup);
        });
        // The time-out runs on the program's clock.
        if (c.silent) {
            EXPECT_TRUE(search.responder.WaitForReceived(static_cast<size_t>(mac - 0x10),
                                                         std::chrono::seconds(5)));
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            clock.Advance(7000);
        }
        waiting.join();
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->outcome, c.outcome) << int(mac);
        EXPECT_EQ(answer->resultCode, c.code) << int(mac);
    }
}

TEST_F(DeviceSearchExchangeTest, AStoppedSearchEndsAtOnce) {
    search.setup.searchQuietMs = 60000;
    std::stop_source stop;
    std::optional<DeviceSearchEnd> end;
    std::thread searching([&] { end = RunDeviceSearch(search.setup, stop.get_token(), nullptr); });
    ASSERT_TRUE(search.responder.WaitForReceived(1, std::chrono::seconds(5)));
    stop.request_stop();
    searching.join();
    EXPECT_EQ(end, DeviceSearchEnd::kStopped);
}

}  // namespace
