#pragma once
// Plays the main window's side of the motion preview's hand-shake: waits until the preview
// asks for a frame, copies a picture into the application record's copy buffer as the
// frame drawing does, and releases the ready semaphore.
#include <QCoreApplication>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/AppObject.h"
#include "platform/window/testing/WindowTesting.h"
#include "sim/TestPicture.h"

namespace ormidon::test {

// The simulated recorder's picture of `channel`, as a 24-bit bottom-up BGR picture.
inline std::vector<uint8_t> ChannelPicture(int width, int height, uint8_t channel) {
    std::vector<uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    sim::DrawTestPicture(rgb, width, height, 0, "12:00:00", channel);
    std::vector<uint8_t> bgr(rgb.size());
    const auto stride = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        const uint8_t* source = rgb.data() + static_cast<std::size_t>(y) * stride;
        uint8_t* target = bgr.data() + static_cast<std::size_t>(height - 1 - y) * stride;
        for (std::size_t x = 0; x < stride; x += 3) {
            target[x] = source[x + 2];
            target[x + 1] = source[x + 1];
            target[x + 2] = source[x];
        }
    }
    return bgr;
}

// Hands `pixels` over as a drawn frame of `width` x `height` once the preview asks. False
// when it did not ask in time. The size may claim more than the bytes given (only what
// fits the copy buffer is written), to show that the preview checks it.
inline bool FeedPreviewFrame(CAppObject& app, const std::vector<uint8_t>& pixels, int width,
                             int height) {
    if (!ormidon::testing::ProcessEventsUntil([&] { return app.f_CopyImageRequest != 0; }, 2000))
        return false;
    if (!pixels.empty())
        std::memcpy(app.lp_CopyImageBuffer.get(), pixels.data(),
                    std::min<std::size_t>(pixels.size(), kImageBufferSize));
    app.w_CopyImageWidth = static_cast<uint16_t>(width);
    app.w_CopyImageHeight = static_cast<uint16_t>(height);
    app.f_CopyImageRequest = 0;
    return app.h_CopyImageReadySem.Release(1);
}

}  // namespace ormidon::test
