// The text-to-bytes helpers over arbitrary texts and buffer sizes: each writes inside the
// size it is given and nothing beyond what its text accounts for.
#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "FuzzTarget.h"
#include "core/TextHelpers.h"

std::vector<FuzzBytes> FuzzSeeds() {
    return {
        fuzz::Seed().U8(0).U8(6).U8(':').Append("00:1A:2b:3C:4d:5E"),
        fuzz::Seed().U8(1).U8(4).U8('.').Append("192.168.1.10"),
        fuzz::Seed().U8(1).U8(2).U8(',').Append(",,-1,+300,,7x"),
        fuzz::Seed().U8(2).U8(0).U8(0).Append("001A2B3C4D5E"),
        fuzz::Seed().U8(3).U8(1).U8(0).Append("12a-3 4"),
    };
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const uint8_t which = in.U8() % 4;
    const int room = in.U8() % 64;
    const char separator = static_cast<char>(in.U8());
    const std::string_view text = in.RestText();

    // Exact-size room, filled with a mark to see which bytes were written.
    constexpr uint8_t kMark = 0xA5;
    auto buffer = std::make_unique<uint8_t[]>(static_cast<std::size_t>(room));
    std::fill_n(buffer.get(), room, kMark);
    const auto unwrittenFrom = [&](std::size_t from) {
        for (std::size_t i = from; i < static_cast<std::size_t>(room); ++i)
            if (buffer[i] != kMark) return false;
        return true;
    };

    switch (which) {
        case 0: {
            const int result = HexStringToBytes(text, buffer.get(), room, separator);
            FUZZ_CHECK(result == (room > 0 ? 1 : 0));
            const std::size_t digits =
                text.size() - std::count(text.begin(), text.end(), separator);
            FUZZ_CHECK(unwrittenFrom(std::min<std::size_t>(digits / 2, room)));
            break;
        }
        case 1: {
            const std::string separators(1, separator);
            const int result = ParseNumberList(text, buffer.get(), room, separators);
            FUZZ_CHECK(result == 0 || result == 1);
            FUZZ_CHECK(result == 1 || std::all_of(buffer.get(), buffer.get() + room,
                                                  [](uint8_t b) { return b == 0; }));
            break;
        }
        case 2: {
            auto mac = std::make_unique<uint8_t[]>(6);
            std::fill_n(mac.get(), 6, kMark);
            const int result = MacStringToBytes(text, mac.get());
            if (text.size() != 12) {
                FUZZ_CHECK(result == 0 && std::all_of(mac.get(), mac.get() + 6,
                                                      [](uint8_t b) { return b == kMark; }));
            }
            break;
        }
        case 3: {
            std::string edited(text);
            const int result = FilterNumericString(edited, kFilterDigitsOnly);
            FUZZ_CHECK(result == (text.size() < 256 ? 1 : 0));
            if (result == 1) {
                FUZZ_CHECK(std::all_of(edited.begin(), edited.end(),
                                       [](char c) { return c >= '0' && c <= '9'; }));
                FUZZ_CHECK(edited.size() == static_cast<std::size_t>(std::count_if(
                                                text.begin(), text.end(),
                                                [](char c) { return c >= '0' && c <= '9'; })));
            } else {
                FUZZ_CHECK(edited == text);
            }
            break;
        }
    }
    FUZZ_CHECK(CheckAddressString(text) == 1 || CheckAddressString(text) == 2);
    FUZZ_CHECK(IsSameStringNoCase(text, text) == 1);
    return 0;
}
