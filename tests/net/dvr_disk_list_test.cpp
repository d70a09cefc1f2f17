// The DVR's disk list: names by slot, the slot map read from replies of any length, and the
// request against the simulated recorder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../support/SimulatedLogin.h"
#include "net/DvrDiskList.h"

namespace {

std::vector<std::string> Names(const std::vector<DvrDisk>& disks) {
    std::vector<std::string> names;
    for (const DvrDisk& d : disks) names.push_back(d.name);
    return names;
}

TEST(DvrDiskListTest, NamesFollowTheSlotMap) {
    auto reply = [](std::initializer_list<std::pair<int, uint8_t>> bytes, std::size_t size = 33) {
        std::vector<uint8_t> r(size, 0);
        for (auto [at, value] : bytes) r.at(static_cast<std::size_t>(at)) = value;
        return r;
    };
    const struct {
        const char* name;
        std::vector<uint8_t> reply;
        std::vector<std::string> disks;
    } cases[] = {
        {"bit 0", reply({{0, 0x01}}), {"MASTER1"}},
        {"bits 0-4", reply({{0, 0x1F}}), {"MASTER1", "SLAVE1", "MASTER2", "SLAVE2", "EXT-01"}},
        {"bit 7 of byte 31", reply({{0, 0x01}, {31, 0x80}}), {"MASTER1", "EXT-252"}},
        {"slave flag 1", reply({{0, 0x02}, {32, 1}}), {"SLAVE1"}},
        {"all zero", reply({}), {}},
        {"20 bytes", reply({{0, 0x04}, {19, 0x01}}, 20), {"MASTER2", "EXT-149"}},
        {"longer than the record", reply({{0, 0x08}}, 60), {"SLAVE2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Names(DvrDisksOf(DvrHddBitmapFromReply(c.reply))), c.disks);
    }
    EXPECT_EQ(DvrDisksOf(DvrHddBitmapFromReply(reply({{0, 0x20}}))).at(0).slot, 5);
}

class DvrDiskFetchTest : public ormidon::test::SimulatedLoginTest {};

TEST_F(DvrDiskFetchTest, AsksWithTheCookieAloneAndFailsSilently) {
    LogInForStream(0);
    device.Disks().SetSlots({0, 2, 5}, 1);
    const std::optional<DvrHddBitmap> bitmap = FetchDvrDiskList();
    ASSERT_TRUE(bitmap.has_value());
    EXPECT_EQ(Names(DvrDisksOf(*bitmap)), (std::vector<std::string>{"MASTER1", "MASTER2", "EXT-02"}));
    EXPECT_EQ(bitmap->bySlaveFlag, 1);
    const auto targets = ormidon::test::RequestTargets(device.Server(), "/GetDvrHDD.cgi");
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(targets[0], "/GetDvrHDD.cgi?Cookie=" + GetSessionCookie());

    device.Server().AddFault(ormidon::sim::Fault::Status(404, "/GetDvrHDD.cgi"));
    EXPECT_FALSE(FetchDvrDiskList().has_value());
    EXPECT_TRUE(boxes.Ids().empty());
}

}  // namespace
