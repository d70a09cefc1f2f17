#pragma once
// The texts that the frame drawing puts on the main window: the frame-rate and
// data-rate texts of the status bar, the alarming channel beside the alarm icon, the
// device's "HU: " text, and the overlay on the title bar (device IP, frame time or
// device name).
#include <QColor>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Clock.h"

// Rates are recomputed once this much time has passed since the last time.
constexpr uint32_t kRateIntervalMs = 2000;

struct RateTexts {
    std::string frameRate;  // "FR:25.00 fps "
    std::string dataRate;   // "DR:9765 kbps "
};

// The rates over `elapsedMs` milliseconds in which `shownFrames` frames were shown and
// `receivedBytes` bytes arrived; `elapsedMs` must not be 0. The byte sum is 64-bit, so
// a fast stream cannot wrap it within an interval.
RateTexts ComputeRateTexts(uint32_t shownFrames, uint64_t receivedBytes, uint32_t elapsedMs);

// The 1-based number of the lowest alarming channel of an alarm word ("2" for 0x0006);
// empty when no bit is set.
std::string AlarmChannelText(uint16_t alarmBits);

// "HU: " and the header's text up to its first zero byte (16 at most); empty when the
// text is empty.
std::string HuInfoText(const char (&huText)[16]);

struct OverlayText {
    std::string text;  // empty: nothing is drawn
    QColor colour;
};

// What the overlay shows. `showFrameTime` is off while the pointer rests on the overlay
// and until the first frame time arrived: then the device IP shows, when the server
// address is a dotted number text (a host name gives no overlay). Otherwise a P5xK
// family device shows its name (or the IP while it has none) and the others the frame
// time.
OverlayText ChooseOverlayText(bool p5xKFamily, bool showFrameTime, std::string_view systemName,
                              std::string_view serverName, const ormidon::LocalTime& frameTime);
