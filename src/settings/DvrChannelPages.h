#pragma once
// What the DVR channel pages (Device, Detection, Camera) share: how many channels the
// connected recorder shows, the row number text, string-table texts and the sending of
// a section record with the failure message.
#include <QString>
#include <cstdint>

namespace dvrpages {

// Rows of the channel lists: P51K 16, P53K 8, P55K 4, any other device 0. The records
// always carry 16 channels.
int ChannelCount();

// "%2d" of a 1-based channel number.
QString RowNumberText(int channel);

QString ResourceText(uint32_t id);

// Sends the application record's block of `option` whole; shows 4012 and answers false
// when the device refuses it or cannot be reached.
bool SendSection(uint8_t option);

// Stores a dialog value into a working byte; true when it changed.
inline bool Store(uint8_t& working, int value) {
    const auto byte = static_cast<uint8_t>(value);
    if (byte == working) return false;
    working = byte;
    return true;
}

}  // namespace dvrpages
