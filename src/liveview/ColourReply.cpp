#include "liveview/ColourReply.h"

#include <optional>

#include "net/LoginReply.h"

ColourValues ReadColourReply(std::string_view reply) {
    ColourValues values;
    const auto read = [reply](std::string_view key, int32_t& value) {
        if (const std::optional<ReplyValue> found = FindDeviceInfoValue(reply, key)) {
            value = ReplyNumber(found->text);
        }
    };
    read("CON", values.contrast);
    read("BRI", values.brightness);
    read("HUE", values.hue);
    return values;
}
