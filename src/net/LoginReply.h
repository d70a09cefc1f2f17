#pragma once
// The text replies of the login and the device-information query: entries of the form
// key=value, each ended by ";", in any order. The reply is untrusted: a value is read at
// most up to its work-text length, and a value without ";" ends with the reply.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A value is read into a 256-byte work text: at most 255 characters of it survive.
constexpr size_t kReplyValueMax = 255;

struct ReplyValue {
    std::string text;
    size_t end = 0;  // position of the ";" that ends the value (or the end of the reply)
};

// The value of the first occurrence of `key` at or after `from`. The value begins `skip`
// characters behind the key (0 for login keys, whose searched text includes the "=";
// 1 for the bare device-information keys) and runs to the next ";". Nothing when the key
// does not occur.
std::optional<ReplyValue> FindReplyValue(std::string_view reply, std::string_view key, size_t skip,
                                         size_t from = 0);
std::optional<ReplyValue> FindDeviceInfoValue(std::string_view reply, std::string_view key,
                                              size_t from = 0);

// A reply value as a decimal number: optional leading blanks and sign, then the digits up
// to the first other character; 0 without digits. Values beyond 32 bits saturate.
int32_t ReplyNumber(std::string_view text);

// What both logins read from the login reply: the cookie ("Session-ID="), the firmware
// version, the product id and the MAC address text. False when the reply carries no
// cookie, or one too long to keep: the login failed. With `storeMacBytes` the fifth and
// sixth bytes of a valid MAC address become the settings' last-connection bytes.
bool ReadLoginReply(std::string_view reply, bool storeMacBytes);

// What both logins read from the device-information reply: "LIFETIME", "VIDEOMODE",
// "USERLEVEL", "Boot-Version" and "2041-Version". Absent keys leave their fields.
void ReadDeviceInfoBasics(std::string_view reply);
