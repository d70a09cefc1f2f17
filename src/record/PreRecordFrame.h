#pragma once
// The descriptor of one frame in the pre-record ring. A recorder copies it, gives the copy the
// frame's serial number in its file, and builds the frame block from it.
#include <cstdint>

#include "platform/Clock.h"

struct PreRecordFrame_Struct {
    uint32_t serial = 0;           // 0 in the ring; the frame's number in the file in a copy
    uint32_t length = 0;           // JPEG bytes in the slot
    uint8_t reserved = 0;          // written into the frame block as it is
    uint8_t channel = 0;           // m_bySelectedChannel at the feed
    uint32_t videoLoss = 0;        // bit 0: the live pipeline flagged the frame as video loss
    ormidon::LocalTime localTime;  // local time of the feed; day of week and milliseconds 0
    uint32_t timeStamp = 0;        // milliseconds, from the live frame header
    uint16_t width = 0;            // the last decoded picture's size at the feed
    uint16_t height = 0;
};
