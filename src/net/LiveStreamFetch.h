#pragma once
// The first of the three frame threads: for one connection it sends "/Getvideo.cgi" to
// the device's web port, reads the endless reply as frames into the socket slots and hands
// each filled slot to the compose thread. Any failure ends the connection with kernel code
// 1 (the re-login); the reset event or a stop request ends it at once without one.
#include <cstdint>
#include <span>
#include <stop_token>

class LiveStreamReader;

// Bytes asked of one receive.
constexpr int kLiveStreamReceiveSize = 16384;

void Jpeg_TCP_Get_Image_Data_Thread(std::stop_token stop);

// True when `bytes` starts FF D8 FF DB, the only start of a frame this stream carries.
bool IsJpegImage(std::span<const uint8_t> bytes);

// The trace line for a receive that failed (`count` -1) or gave nothing (`count` 0), by
// where in the stream the reader stood: between frames, inside a header, inside a payload.
const char* ReceiveFailureTrace(const LiveStreamReader& reader, int count);
