#pragma once
// The per-frame part of a live frame header, as the frame pipeline carries it beside each
// JPEG in its socket slot.
#include <cstdint>

#include "platform/Clock.h"

struct FrameInfo_Struct {
    uint32_t dwPayloadLength = 0;   // JPEG bytes after the header
    uint8_t byOnlineUserCount = 0;  // users logged in to the device
    uint8_t byResolution = 0;       // 0 full size, otherwise half size
    uint8_t byExtraByte = 0;
    char szHUText[16] = {};      // not terminated when all 16 bytes are used
    uint32_t dwHeaderFlags = 0;  // flag word of a flag-word header; 0 for a version-word header
    uint32_t dwHeaderLength = 0;
    uint32_t dwTimeStamp = 0;  // milliseconds
    uint16_t wEventBits1 = 0;
    uint16_t wMotionDetect = 0;
    uint16_t wEventBits3 = 0;
    uint8_t byLiveChannel = 0;  // channel the device streams
    uint8_t byVideoLoss = 0;    // 1 when this frame has no picture
    ormidon::LocalTime stDeviceTime;
};
