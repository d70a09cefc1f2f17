#include <gtest/gtest.h>

#include <memory>

#include "core/AppObject.h"
#include "core/DeviceIdentity.h"

namespace {

TEST(DeviceIdentity, ComparesFourDigitVersions) {
    const struct {
        const char* threshold;
        const char* firmware;
        int expected;
    } cases[] = {
        {"1035", "1034", 2}, {"1035", "1035", 0},   {"1035", "1036", 1}, {"1035", "103", -1},
        {"103", "1035", -1}, {"1035", "10350", -1}, {"", "", -1},        {"1035", "0999", 2},
        {"1035", "2000", 1}, {"1035", "1135", 1},   {"abcd", "abcd", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.threshold) + " vs " + c.firmware);
        EXPECT_EQ(CompareVersion(c.threshold, c.firmware), c.expected);
    }
}

class DeviceIdentityTest : public testing::Test {
  protected:
    DeviceIdentityTest() { g_lpApp = m_app.get(); }
    ~DeviceIdentityTest() override { g_lpApp = nullptr; }
    std::unique_ptr<CAppObject> m_app = std::make_unique<CAppObject>();
};

TEST_F(DeviceIdentityTest, TellsTheFamilyFromTheProductId) {
    const struct {
        const char* id;
        int p5xk, p62k, t18d, n2xv;
    } cases[] = {
        {"P51K", 1, 0, 0, 0}, {"p53k", 1, 0, 0, 0}, {"P55K", 1, 0, 0, 0},  {"P62K", 0, 1, 0, 0},
        {"t18d", 0, 0, 1, 0}, {"N27V", 0, 0, 0, 1}, {"n25v", 0, 0, 0, 1},  {"N23V", 0, 0, 0, 1},
        {"", 0, 0, 0, 0},     {"P54K", 0, 0, 0, 0}, {"P51K ", 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        m_app->str_ProductID.Set(c.id);
        EXPECT_EQ(IsP5xKModel(), c.p5xk);
        EXPECT_EQ(IsP62KModel(), c.p62k);
        EXPECT_EQ(IsT18DModel(), c.t18d);
        EXPECT_EQ(IsN2xVModel(), c.n2xv);
    }
}

TEST_F(DeviceIdentityTest, AnswersCapabilityAndChannelQuestions) {
    m_app->dw_Capability = 0x12;
    EXPECT_EQ(HasDeviceCapability(0x02), 1);
    EXPECT_EQ(HasDeviceCapability(0x05), 0);
    EXPECT_EQ(HasDeviceCapability(0), 0);
    m_app->dw_Capability = 0xFFFFFFFF;
    EXPECT_EQ(HasDeviceCapability(0), 0);
    EXPECT_EQ(IsMultiChannel(), 0);
    m_app->by_MultiChannel = 1;
    EXPECT_EQ(IsMultiChannel(), 1);

    g_lpApp = nullptr;
    EXPECT_EQ(HasDeviceCapability(1), 0);
    EXPECT_EQ(IsP5xKModel(), 0);
}

TEST(DeviceIdentity, MapsPeripheralCodes) {
    EXPECT_EQ(PeripheralCodeToIndex(25), 10);
    EXPECT_EQ(PeripheralCodeToIndex(9), 9);
    EXPECT_EQ(PeripheralCodeToIndex(10), 0);
    EXPECT_EQ(PeripheralCodeToIndex(0), 0);
    EXPECT_EQ(IndexToPeripheralCode(10), 25);
    EXPECT_EQ(IndexToPeripheralCode(3), 3);
    EXPECT_EQ(IndexToPeripheralCode(11), 0);
    EXPECT_EQ(IndexToPeripheralCode(255), 0);
}

}  // namespace
