#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/DeviceKindTable.h"
#include "net/PtzCommandBody.h"
#include "net/PtzSlaveReport.h"

namespace {

using Bytes = std::vector<int>;

Bytes BytesOf(const Rs485Body& body) { return Bytes(body.bytes, body.bytes + body.length); }

TEST(PtzCommandBody, SteerCameraByNumber) {
    const struct {
        int number;
        Bytes body;
    } cases[] = {
        {1, {2, 5, 6, 1, 50}},   {9, {2, 5, 14, 1, 50}}, {10, {2, 6, 5, 1, 50}},
        {16, {2, 6, 11, 1, 50}}, {0, {0, 0, 0}},         {17, {0, 0, 0}},
        {-3, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(BytesOf(SteerCameraBody(c.number)), c.body);
    }
    EXPECT_EQ(BytesOf(ReturnToMasterBody()), (Bytes{1, 0x10, 1, 50}));
}

TEST(PtzCommandBody, HotPointByKind) {
    // A "PTZ SLAVE" at address 1 steered by a SUPERVISOR (rank 60) to cell 0x00.
    EXPECT_EQ(BytesOf(HotPointBody(kDeviceKindPtzSlave, 1, 60, 0x00)),
              (Bytes{0x07, 0xD0, 0x01, 0x3C, 0x52, 0x00, 0x00, 0x5F, 0x01, 0x32}));
    // The sum keeps its low byte: D0 + FF + 3C + 52 + BF = 0x31C.
    EXPECT_EQ(BytesOf(HotPointBody(kDeviceKindPtzPelco, 0xFF, 60, 0xBF)),
              (Bytes{0x07, 0xD0, 0xFF, 0x3C, 0x52, 0xBF, 0x00, 0x1C, 0x01, 0x32}));
    EXPECT_EQ(BytesOf(HotPointBody(kDeviceKindPtzPelcoD, 3, 4, 0x10)),
              (Bytes{0x07, 0xD0, 0x03, 0x04, 0x52, 0x10, 0x00, 0x39, 0x01, 0x32}));
    // Kind "PTZ" takes the short form without rank and sum.
    EXPECT_EQ(BytesOf(HotPointBody(kDeviceKindPtz, 2, 60, 0x23)),
              (Bytes{0x05, 0xD0, 0x02, 0x52, 0x23, 0x00, 0x01, 0x32}));
    // Any other kind has no hot point.
    EXPECT_EQ(BytesOf(HotPointBody(kDeviceKindCamera, 2, 60, 0x23)), (Bytes{0, 0, 0}));
    EXPECT_EQ(BytesOf(HotPointBody(2, 2, 60, 0x23)), (Bytes{0, 0, 0}));
}

std::vector<std::pair<int, int>> Slaves(const PtzSlaveReport& report) {
    std::vector<std::pair<int, int>> slaves;
    for (const PtzSlave& slave : report.slaves) slaves.emplace_back(slave.address, slave.kind);
    return slaves;
}

using Pairs = std::vector<std::pair<int, int>>;

TEST(PtzSlaveReport, ReadsAddressesAndKinds) {
    const PtzSlaveReport report = ParsePtzSlaveReport(
        "SLAVENUM=3;SID=3;STYPE=1;SPROTOCOL=1;SID=4;STYPE=11;SPROTOCOL=0;SID=7;STYPE=8;"
        "SPROTOCOL=1;");
    EXPECT_TRUE(report.hasSlaveCount);
    // Type 1 with protocol 1 is "PTZ PELCO"; type 11 stays "PTZ SLAVE"; protocol 1 leaves
    // every kind but "PTZ SLAVE" as it is.
    EXPECT_EQ(Slaves(report), (Pairs{{3, 18}, {4, 11}, {7, 8}}));
}

TEST(PtzSlaveReport, UntrustedReports) {
    const struct {
        const char* name;
        std::string reply;
        bool hasCount;
        Pairs slaves;
    } cases[] = {
        {"no count", "SID=3;STYPE=1;", false, {}},
        {"empty", "", false, {}},
        {"none", "SLAVENUM=0;", true, {}},
        {"negative count", "SLAVENUM=-4;SID=1;", true, {}},
        {"missing keys keep the camera before",
         "SLAVENUM=3;SID=5;STYPE=1;SPROTOCOL=0;STYPE=8;",
         true,
         {{5, 11}, {5, 8}, {5, 8}}},
        {"count past the cameras", "SLAVENUM=2;SID=2;STYPE=1;", true, {{2, 11}, {2, 11}}},
        {"cut short", "SLAVENUM=1;SID=9", true, {{9, 0}}},
        {"key at the very end", "SLAVENUM=1;SID", true, {{0, 0}}},
        {"values out of a byte",
         "SLAVENUM=2;SID=300;STYPE=-1;SID=4;STYPE=267;",
         true,
         {{255, 255}, {4, 255}}},
        {"long value", "SLAVENUM=1;SID=" + std::string(5000, '7') + ";STYPE=1;", true, {{255, 11}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PtzSlaveReport report = ParsePtzSlaveReport(c.reply);
        EXPECT_EQ(report.hasSlaveCount, c.hasCount);
        EXPECT_EQ(Slaves(report), c.slaves);
    }
}

TEST(PtzSlaveReport, TakesAtMostThirtyCameras) {
    std::string reply = "SLAVENUM=4000000000;";
    for (int i = 0; i < 40; ++i) reply += "SID=" + std::to_string(i) + ";STYPE=1;SPROTOCOL=0;";
    const PtzSlaveReport report = ParsePtzSlaveReport(reply);
    ASSERT_EQ(report.slaves.size(), 30u);
    EXPECT_EQ(report.slaves.back().address, 29);
}

}  // namespace
