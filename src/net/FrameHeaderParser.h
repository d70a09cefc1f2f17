#pragma once
// The two layouts of the live frame header, read from untrusted bytes without side effects.
// A header is asked for again with more bytes until it is complete, so a header split over
// any number of reads parses the same as one that arrived whole.
#include <cstddef>
#include <cstdint>
#include <span>

#include "net/FrameInfo.h"

// Everything a header carries, including what the per-frame block has no field for.
struct FrameHeaderFields {
    FrameInfo_Struct info;  // dwTimeStamp already in milliseconds; dwHeaderLength set
    bool hasEventBits1 = false;
    bool hasMotionDetect = false;
    bool hasEventBits3 = false;
    bool hasDeviceTime = false;
    bool hasRetrState = false;
    bool hasSensorStatus = false;
    bool networkBackup = false;
    uint8_t retrState = 0;
    uint8_t sensorStatus = 0;
};

enum class FrameHeaderScan {
    Incomplete,  // the bytes end inside the header: ask again with more
    Invalid,     // these bytes do not start a header of this layout
    Complete,    // the header is parsed; info.dwHeaderLength bytes of it were used
};

// No header of either layout is longer than this.
constexpr std::size_t kMaxFrameHeaderBytes = 64;

// Version-word layout (the device was asked for it with "NEWHR"). The time stamp of this
// layout: a raw value of 0x33333333 or more counts as 0, any other is multiplied by 5; 0 is
// left for the caller to replace with its tick count.
FrameHeaderScan ParseVersionFrameHeader(std::span<const uint8_t> bytes, FrameHeaderFields& out);

// Flag-word layout. The time stamp is the raw value multiplied by 5, wrapping at 32 bits.
FrameHeaderScan ParseFlagFrameHeader(std::span<const uint8_t> bytes, FrameHeaderFields& out);

// Unpacks the 32-bit date and time of both layouts (year from 2000; day of week and
// milliseconds 0).
ormidon::LocalTime UnpackDeviceTime(uint32_t packed);
