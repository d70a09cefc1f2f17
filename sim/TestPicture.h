#pragma once
// The picture the simulated recorder streams: colour bars, a bar that moves one step per frame
// and a running clock, so that a viewer sees at once whether frames flow and in what order.
#include <cstdint>
#include <string_view>
#include <vector>

namespace ormidon::sim {

// Draws frame `frame` into `rgb` (top-down rows, red-green-blue, width x 3 bytes a row),
// resized to fit. `clock` is drawn in the top-left corner (digits and ':'; other characters
// leave a gap), the channel as "CH" and two digits in the top-right corner.
void DrawTestPicture(std::vector<uint8_t>& rgb, int width, int height, uint32_t frame,
                     std::string_view clock, uint8_t channel = 0);

// Positions of the moving bar before it repeats; pictures of the same clock text and the
// same frame modulo this are identical.
constexpr uint32_t kTestPicturePhases = 32;

}  // namespace ormidon::sim
