#include "core/DeviceIdentity.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string>

#include "core/AppObject.h"
#include "core/TextHelpers.h"

namespace {

constexpr std::array<uint8_t, 11> kPeripheralCodes = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 25};

int ProductIdIsOneOf(std::initializer_list<std::string_view> ids) {
    if (!g_lpApp) return 0;
    std::string productId = g_lpApp->str_ProductID.Get();
    return std::any_of(ids.begin(), ids.end(),
                       [&](std::string_view id) { return IsSameStringNoCase(productId, id); })
               ? 1
               : 0;
}

}  // namespace

int CompareVersion(std::string_view a, std::string_view b) {
    if (a.size() != 4 || b.size() != 4) return -1;
    for (size_t i = 0; i < 4; ++i) {
        auto x = static_cast<signed char>(a[i]);
        auto y = static_cast<signed char>(b[i]);
        if (x != y) return x < y ? 1 : 2;
    }
    return 0;
}

int IsP5xKModel() { return ProductIdIsOneOf({"P51K", "P53K", "P55K"}); }
int IsP62KModel() { return ProductIdIsOneOf({"P62K"}); }
int IsT18DModel() { return ProductIdIsOneOf({"T18D"}); }
int IsN2xVModel() { return ProductIdIsOneOf({"N27V", "N25V", "N23V"}); }

uint8_t IsMultiChannel() { return g_lpApp ? g_lpApp->by_MultiChannel.load() : 0; }

int HasDeviceCapability(uint32_t mask) {
    return g_lpApp && (g_lpApp->dw_Capability.load() & mask) != 0 ? 1 : 0;
}

uint8_t PeripheralCodeToIndex(uint8_t code) {
    auto it = std::find(kPeripheralCodes.begin(), kPeripheralCodes.end(), code);
    return it == kPeripheralCodes.end() ? 0 : static_cast<uint8_t>(it - kPeripheralCodes.begin());
}

uint8_t IndexToPeripheralCode(uint8_t index) {
    return index < kPeripheralCodes.size() ? kPeripheralCodes[index] : 0;
}
