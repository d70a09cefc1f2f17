#pragma once
// The second frame thread: takes each filled socket slot, decodes its JPEG into the
// decoded-picture slot (or paints the black picture of video loss), tells the window the
// picture size and the channel shown, feeds the frame to recording and hands the picture to
// the show thread.
#include <cstdint>
#include <span>
#include <stop_token>

#include "platform/JpegCodec.h"

void Jpeg_Compose_Image_Data_Thread(std::stop_token stop);

// Decodes `jpeg` into `destination` as bottom-up BGR rows. The size is stored whenever the
// JPEG's header could be read, also when the picture then does not fit or fails to decode.
// 1 on success, 0 when the frame is dropped.
int DecodeJpegImage(ormidon::JpegCodec& codec, std::span<const uint8_t> jpeg,
                    std::span<uint8_t> destination, uint16_t* width, uint16_t* height);

// Size of the black picture shown for video loss: 640 or (at half resolution) 320 pixels
// wide, 228 lines at video mode 0 and 276 at any other.
void VideoLossPictureSize(uint8_t resolution, uint8_t videoMode, uint16_t& width, uint16_t& height);
