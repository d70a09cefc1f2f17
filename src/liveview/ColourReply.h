#pragma once
// The device's colour values as "/GetColor.cgi" answers them: "BRI=..;CON=..;HUE=..;" in
// any order. A value the reply lacks takes the device's neutral value.
#include <cstdint>
#include <string_view>

struct ColourValues {
    int32_t brightness = 0;
    int32_t contrast = 128;
    int32_t hue = 0;
};

ColourValues ReadColourReply(std::string_view reply);
