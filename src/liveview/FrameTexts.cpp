#include "liveview/FrameTexts.h"

#include <bit>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/TextHelpers.h"

namespace {

const QColor kOverlayYellow(255, 255, 0);
const QColor kOverlayCyan(0, 255, 255);

std::string IpOverlayText(std::string_view serverName) {
    if (serverName.empty() || CheckAddressString(serverName) != 2) return {};
    uint8_t bytes[4] = {};
    ParseNumberList(serverName, bytes, 4, ".");
    char text[32];
    std::snprintf(text, sizeof text, "IP:%d.%d.%d.%d", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

std::string FrameTimeText(const ormidon::LocalTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4d/%.2d/%.2d %.2d:%.2d:%.2d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

}  // namespace

RateTexts ComputeRateTexts(uint32_t shownFrames, uint64_t receivedBytes, uint32_t elapsedMs) {
    const uint64_t frameProduct = uint64_t{shownFrames} * 1000;
    const float frameRate = static_cast<float>(static_cast<double>(frameProduct) / elapsedMs);
    const uint64_t kbps = receivedBytes * 1000 / elapsedMs * 8 / 1024;

    RateTexts texts;
    char text[64];
    std::snprintf(text, sizeof text, "FR:%.2f fps ", static_cast<double>(frameRate));
    texts.frameRate = text;
    std::snprintf(text, sizeof text, "DR:%" PRIu64 " kbps ", kbps);
    texts.dataRate = text;
    return texts;
}

std::string AlarmChannelText(uint16_t alarmBits) {
    if (alarmBits == 0) return {};
    return std::to_string(std::countr_zero(alarmBits) + 1);
}

std::string HuInfoText(const char (&huText)[16]) {
    const size_t length = strnlen(huText, sizeof huText);
    if (length == 0) return {};
    return "HU: " + std::string(huText, length);
}

OverlayText ChooseOverlayText(bool p5xKFamily, bool showFrameTime, std::string_view systemName,
                              std::string_view serverName, const ormidon::LocalTime& frameTime) {
    if (p5xKFamily && showFrameTime && !systemName.empty()) {
        return {std::string(systemName), kOverlayYellow};
    }
    if (!p5xKFamily && showFrameTime) return {FrameTimeText(frameTime), kOverlayYellow};
    return {IpOverlayText(serverName), kOverlayCyan};
}
