#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "../support/BuiltProgramFolder.h"
#include "SimulatedDevice.h"
#include "core/ControlFile.h"
#include "core/SessionCookie.h"
#include "net/Rs485Sender.h"
#include "platform/Paths.h"
#include "platform/RecordingMessageBoxSink.h"
#include "sim/Fault.h"

namespace {

using Ids = std::vector<uint32_t>;

// Device kinds used below.
constexpr uint8_t k4chDvrFull = 2;
constexpr uint8_t kMpeg2Dvr = 9;
constexpr uint8_t kPtzSlave = 11;
constexpr uint8_t kNetworkMpeg2Dvr = 15;
constexpr uint8_t kPtzPelco = 18;
constexpr uint8_t kHqn914 = 19;
constexpr uint8_t kPtzPelcoD = 25;

// The examples: a recorder command on CH1, a Pelco D pan left with either checksum, and
// presets with their ACTION and PRESET alternatives.
constexpr const char* kExampleFile =
    "[DEVICE NUMBER]\n3\n"
    "[DEVICE NAME]\n4CH DVR (FULL)\n"
    "[CH1]\n0x05 0xFF 0xC0 0x%d 0x31 0x7F\n"
    "[JOYSTICK_LEFT]\n0x07 0xFF 0x%d 0x00 0x04 0x20 0x00 0x%6\n"
    "[JOYSTICK_RIGHT]\n0x07 0xFF 0x%d 0x00 0x04 0x20 0x00 0x%2\n"
    "[DEVICE NAME]\nPTZ PELCO\n"
    "[CH1]\n0x0C 0x%7 0x04 0xFF 0x%d 0x07 0x01 0x%7 0x04 0xFF 0x%d 0x03 0x01\n"
    "[AUTO]\n0x02 0xFF 0x%d\n"
    "[DEVICE NAME]\nPTZ PELCO D\n"
    "[CH1]\n0x02 0xFF 0x%d\n"
    "[EOF]\nEND\n";

class Rs485SenderTest : public SimulatedDeviceTest {
  protected:
    void SetUp() override {
        SimulatedDeviceTest::SetUp();
        ormidon::SetMessageBoxSink(&messages);
    }
    void TearDown() override {
        ormidon::SetMessageBoxSink(nullptr);
        DeviceKindTable = BuildDeviceKindTable();
        SimulatedDeviceTest::TearDown();
    }

    void Bind(const std::string& file) {
        ASSERT_EQ(ParseControlFile(file, records), 1);
        BindControlDevices(DeviceKindTable, records.lpDevices.get(), records.dwCount);
    }
    void Product(const std::string& productId) {
        ormidon::sim::DeviceIdentity identity;
        identity.productId = productId;
        UseIdentity(identity);
    }
    C_ControlD& Devices() { return app->C_ControlD; }

    // The requests the recorder received, as (target, body) pairs.
    struct Request {
        std::string target;
        std::string body;
        bool operator==(const Request&) const = default;
    };
    std::vector<Request> Received() {
        std::vector<Request> requests;
        for (const auto& request : device.Server().Log())
            requests.push_back({request.target, request.body});
        return requests;
    }
    std::string Cookie() const { return "&Cookie=" + GetSessionCookie(); }

    ControlDeviceRecords records;
    ormidon::RecordingMessageBoxSink messages;
};

std::string Bytes(std::initializer_list<uint8_t> bytes) {
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST_F(Rs485SenderTest, BodiesOfTheExamples) {
    Bind(kExampleFile);
    Product("P51K");
    Devices().AddDevice(0, 3, k4chDvrFull, kRoleMaster);
    Devices().MakeCurrent(kRoleMaster, 0);
    app->by_TurboRepeatStep = 5;

    SendRemoteKey(0, 0);
    SendRemoteKey(1, 0);  // turbo: repeated by the turbo step
    Devices().Clear();
    Devices().AddDevice(0, 1, k4chDvrFull, kRoleMaster);
    SendRemoteKey(0, 54);
    SendRemoteKey(0, 58);

    const std::string target = "/RS485Cmd.cgi?Control=P51K&MASTER=1" + Cookie();
    const std::vector<Request> expected = {
        {target, Bytes({0x05, 0xff, 0xc0, 0x03, 0x31, 0x7f, 0x01, 0x32})},
        {target, Bytes({0x05, 0xff, 0xc0, 0x03, 0x31, 0x7f, 0x05, 0x32})},
        {target, Bytes({0x07, 0xff, 0x01, 0x00, 0x04, 0x20, 0x00, 0x25, 0x01, 0x32})},
        {target, Bytes({0x07, 0xff, 0x01, 0x00, 0x04, 0x20, 0x00, 0x24, 0x01, 0x32})},
    };
    EXPECT_EQ(Received(), expected);
    EXPECT_TRUE(messages.Ids().empty());
}

TEST_F(Rs485SenderTest, ActionAndPresetAlternatives) {
    Bind(kExampleFile);
    Product("P62K");
    // "%d" is the master's address; the query names the camera.
    Devices().AddDevice(0, 0, k4chDvrFull, kRoleMaster);
    Devices().AddDevice(2400, 7, kPtzPelco, kRoleSlave);
    Devices().MakeCurrent(kRoleSlave, 0);

    SendRemoteKey(0, 0);
    app->f_PresetMode = 1;
    SendRemoteKey(0, 0);

    const std::string target =
        "/RS485Cmd.cgi?Control=P51K&CH=0&MASTER=0&PELOCO=1&PROTOCOL=PELCO" + Cookie();
    const std::vector<Request> expected = {
        {target, Bytes({0x04, 0xff, 0x00, 0x07, 0x01, 0x01, 0x32})},
        {target, Bytes({0x04, 0xff, 0x00, 0x03, 0x01, 0x01, 0x32})},
    };
    EXPECT_EQ(Received(), expected);
}

TEST_F(Rs485SenderTest, QueryByFamilyRoleAndKey) {
    Bind(kExampleFile);
    struct Case {
        const char* name;
        const char* product;
        uint8_t multiChannel;
        uint16_t role;  // of the entry made current
        uint8_t n;      // which of that role
        uint16_t key;
        std::string query;  // before the cookie
    };
    const Case cases[] = {
        {"P62K first slave camera", "P62K", 0, kRoleSlave, 0, 0, "Control=P51K&CH=0&MASTER=0"},
        {"P62K second slave, Pelco", "P62K", 0, kRoleSlave, 1, 0,
         "Control=P51K&CH=1&MASTER=0&PELOCO=1&PROTOCOL=PELCO"},
        {"Pelco slave, key without Pelco", "P62K", 0, kRoleSlave, 1, 24,
         "Control=P51K&CH=1&MASTER=0"},
        {"P62K master", "P62K", 0, kRoleMaster, 0, 0, "Control=P51K&CH=0&MASTER=1"},
        {"T18D Pelco D master", "T18D", 0, kRoleMaster, 1, 0,
         "Control=P51K&CH=1&PELOCO=1&PROTOCOL=PELCO&MASTER=1"},
        {"N25V master", "N25V", 0, kRoleMaster, 0, 0, "Control=P51K&CH=0&MASTER=1"},
        {"P53K master", "P53K", 0, kRoleMaster, 1, 0, "Control=P51K&MASTER=1"},
        {"P53K slave", "P53K", 0, kRoleSlave, 1, 0,
         "Control=P51K&CH=1&MASTER=0&PELOCO=1&PROTOCOL=PELCO"},
        {"multi-channel first master", "P55K", 1, kRoleMaster, 0, 0, "Control=P51K&MASTER=1"},
        {"multi-channel second master", "P55K", 1, kRoleMaster, 1, 0, "Control=P51K&CH=0&MASTER=0"},
        {"multi-channel Pelco master", "P55K", 1, kRoleMaster, 2, 0,
         "Control=P51K&CH=1&MASTER=0&PELOCO=1&PROTOCOL=PELCO"},
    };
    for (const Case& c : cases) {
        Product(c.product);
        app->by_MultiChannel = c.multiChannel;
        device.Server().ClearLog();
        Devices().Clear();
        Devices().AddDevice(0, 0, k4chDvrFull, kRoleMaster);
        Devices().AddDevice(2400, 1, kPtzPelcoD, kRoleMaster);
        Devices().AddDevice(2400, 2, kPtzPelco, kRoleMaster);
        Devices().AddDevice(2400, 3, kPtzPelcoD, kRoleSlave);
        Devices().AddDevice(2400, 4, kPtzPelco, kRoleSlave);
        ASSERT_EQ(Devices().MakeCurrent(c.role, c.n), 0) << c.name;
        SendRemoteKey(0, c.key);
        const auto log = device.Server().Log();
        ASSERT_EQ(log.size(), 1u) << c.name;
        EXPECT_EQ(log[0].target, "/RS485Cmd.cgi?" + c.query + Cookie()) << c.name;
    }
    EXPECT_TRUE(messages.Ids().empty());
}

TEST_F(Rs485SenderTest, NoCookieNoCookieParameter) {
    Bind(kExampleFile);
    device.SetCheckSession(false);
    ClearSessionCookie();
    Devices().AddDevice(0, 3, k4chDvrFull, kRoleMaster);
    SendRemoteKey(0, 0);
    ASSERT_EQ(device.Server().LogSize(), 1u);
    EXPECT_EQ(device.Server().Log()[0].target, "/RS485Cmd.cgi?Control=P51K&MASTER=1");
}

TEST_F(Rs485SenderTest, FailuresAreReportedAndNothingIsSent) {
    Bind(kExampleFile);
    Devices().AddDevice(0, 3, kMpeg2Dvr, kRoleMaster);  // a kind without commands
    SendRemoteKey(0, 0);
    Devices().Clear();
    Devices().AddDevice(0, 3, k4chDvrFull, kRoleMaster);
    SendRemoteKey(0, 1);  // no [CH2] in the file
    EXPECT_EQ(SendControlCommand(nullptr, 1, 0), 0);
    EXPECT_EQ(device.Server().LogSize(), 0u);

    device.Server().AddFault(ormidon::sim::Fault::Status(500));
    SendRemoteKey(0, 0);
    EXPECT_EQ(device.Server().LogSize(), 1u);
    EXPECT_EQ(messages.Ids(), (Ids{4093, 4084, 4084, 4065}));
}

TEST_F(Rs485SenderTest, PowerCommandOfTheDevice) {
    Bind(
        "[DEVICE NUMBER]\n1\n[DEVICE NAME]\n4CH DVR (FULL)\n[POWER]\n0x05 0xFF 0xC0 0x%d 0x30 "
        "0x7F\n[EOF]\nEND\n");
    Devices().AddDevice(0, 3, k4chDvrFull, kRoleMaster);
    EXPECT_EQ(SendControlCommand(&DeviceKindTable[k4chDvrFull].lpCommandSet->Power, 1, 0), 1);
    ASSERT_EQ(device.Server().LogSize(), 1u);
    EXPECT_EQ(device.Server().Log()[0].body,
              Bytes({0x05, 0xff, 0xc0, 0x03, 0x30, 0x7f, 0x01, 0x32}));
}

// Our own control file: one key of each command form reaches the recorder.
TEST_F(Rs485SenderTest, EachFormOfOurControlFile) {
    ormidon::SetProgramFolderForTesting(ormidon::test::BuiltProgramFolder());
    ASSERT_EQ(LoadControlFile(), 1);
    BindControlDevices();
    ormidon::SetProgramFolderForTesting({});
    Product("P62K");
    app->by_UserClass = 1;  // HIGH USER, rank 40

    struct Case {
        uint8_t kind;
        uint16_t key;
        int32_t presetMode;
        std::string body;
    };
    const Case cases[] = {
        // Plain: the recorder's key byte is 0x31 plus the key code.
        {k4chDvrFull, 0, 0, Bytes({0x05, 0xff, 0xc0, 0x05, 0x31, 0x7f, 0x01, 0x32})},
        // Bytes up to 0x0A skipped.
        {kNetworkMpeg2Dvr, 1, 0, Bytes({0x05, 0xff, 0xc0, 0x05, 0x32, 0x7f, 0x01, 0x32})},
        // Open form: the body as the file writes it.
        {kMpeg2Dvr, 2, 0, Bytes({0x05, 0xff, 0xc0, 0x05, 0x33, 0x7f, 0x01, 0x32})},
        // Model parameter, address by family, user rank and sum.
        {kHqn914, 3, 0, Bytes({0x06, 0xff, 0xc1, 0x05, 0x34, 40, 0x21, 0x01, 0x32})},
        // Pelco D: call preset 1, or set it in PRESET mode.
        {kPtzPelcoD, 0, 0, Bytes({0x07, 0xff, 0x05, 0x00, 0x07, 0x00, 0x01, 0x0d, 0x01, 0x32})},
        {kPtzPelcoD, 0, 1, Bytes({0x07, 0xff, 0x05, 0x00, 0x03, 0x00, 0x01, 0x09, 0x01, 0x32})},
        {kPtzSlave, 54, 0, Bytes({0x07, 0xff, 0x05, 0x00, 0x04, 0x20, 0x00, 0x29, 0x01, 0x32})},
    };
    for (const Case& c : cases) {
        device.Server().ClearLog();
        Devices().Clear();
        Devices().AddDevice(0, 5, c.kind, kRoleMaster);
        app->f_PresetMode = c.presetMode;
        SendRemoteKey(0, c.key);
        const auto log = device.Server().Log();
        ASSERT_EQ(log.size(), 1u) << int(c.kind);
        EXPECT_EQ(log[0].body, c.body) << int(c.kind);
    }
    EXPECT_TRUE(messages.Ids().empty());
}
