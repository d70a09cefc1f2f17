#include <gtest/gtest.h>

#include "liveview/FrameTexts.h"

namespace {

TEST(FrameTextsTest, RatesOfTwoSeconds) {
    RateTexts texts = ComputeRateTexts(50, 2'500'000, 2000);
    EXPECT_EQ(texts.frameRate + texts.dataRate, "FR:25.00 fps DR:9765 kbps ");
    texts = ComputeRateTexts(0, 0, 2500);
    EXPECT_EQ(texts.frameRate + texts.dataRate, "FR:0.00 fps DR:0 kbps ");
    texts = ComputeRateTexts(31, 1000, 3000);
    EXPECT_EQ(texts.frameRate, "FR:10.33 fps ");
}

// More than 4,294,967 bytes in one interval wrapped the original 32-bit product.
TEST(FrameTextsTest, DataRateOfAFastStreamDoesNotWrap) {
    EXPECT_EQ(ComputeRateTexts(60, 25'000'000, 2000).dataRate, "DR:97656 kbps ");
    EXPECT_EQ(ComputeRateTexts(60, 5'000'000'000ull, 2000).dataRate, "DR:19531250 kbps ");
}

TEST(FrameTextsTest, AlarmChannelIsTheLowestSetBit) {
    EXPECT_EQ(AlarmChannelText(0x0006), "2");
    EXPECT_EQ(AlarmChannelText(0x8000), "16");
    EXPECT_EQ(AlarmChannelText(0x0001), "1");
    EXPECT_EQ(AlarmChannelText(0), "");
}

TEST(FrameTextsTest, HuTextStopsAtItsZeroOrItsSixteenBytes) {
    char text[16] = {'A', 'B', 'C'};
    EXPECT_EQ(HuInfoText(text), "HU: ABC");
    char full[16];
    for (char& c : full) c = 'x';
    EXPECT_EQ(HuInfoText(full), "HU: xxxxxxxxxxxxxxxx");
    char empty[16] = {};
    EXPECT_EQ(HuInfoText(empty), "");
}

TEST(FrameTextsTest, OverlayByFamilyAndChoice) {
    const ormidon::LocalTime time{2008, 7, 17, 9, 5, 3};
    const QColor yellow(255, 255, 0), cyan(0, 255, 255);
    const struct {
        bool p5xK;
        bool showTime;
        const char* systemName;
        const char* server;
        const char* text;
        QColor colour;
    } cases[] = {
        {true, true, "Gate", "192.168.1.20", "Gate", yellow},
        {true, true, "", "192.168.1.20", "IP:192.168.1.20", cyan},
        {true, false, "Gate", "192.168.1.20", "IP:192.168.1.20", cyan},
        {false, false, "Gate", "10.0.0.7", "IP:10.0.0.7", cyan},
        {false, true, "Gate", "10.0.0.7", "2008/07/17 09:05:03", yellow},
        {false, false, "", "recorder.local", "", cyan},  // a host name gives no overlay
        {true, false, "", "", "", cyan},
    };
    for (const auto& c : cases) {
        const OverlayText overlay =
            ChooseOverlayText(c.p5xK, c.showTime, c.systemName, c.server, time);
        EXPECT_EQ(overlay.text, c.text);
        if (!overlay.text.empty()) {
            EXPECT_EQ(overlay.colour, c.colour) << c.text;
        }
    }
}

}  // namespace
