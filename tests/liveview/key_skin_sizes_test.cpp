#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "core/DeviceKindTable.h"
#include "liveview/SkinNames.h"
#include "skin/SkinTable.h"

namespace {

using ormidon::skin::FindSkinBitmap;
using ormidon::skin::kSkinBitmaps;

// Remote keys paint their pictures 1:1 into their rectangles, so every picture a key can
// wear must exist in the skin with exactly the size of that key's rectangle, in every
// kind and family that shows the key.
TEST(KeySkinSizes, EveryKeyPictureHasTheSizeOfItsRectangle) {
    const DeviceKindArray kinds = BuildDeviceKindTable();
    std::set<std::string> reported;
    auto check = [&](const std::string& base, const KeyRect& rc, int kind, int key, int family) {
        const std::string file = SkinFile(base);
        const auto index = FindSkinBitmap(file);
        const std::string where = file + " (kind " + std::to_string(kind) + ", key " +
                                  std::to_string(key) + ", family " + std::to_string(family) + ")";
        if (!index) {
            if (reported.insert(file).second) ADD_FAILURE() << "not in the skin: " << where;
            return;
        }
        const int width = rc.right - rc.left, height = rc.bottom - rc.top;
        // SLOW of kind 15 reaches lower than the other keys in P_QVGA; its picture fills
        // the top of it.
        const bool tallerThanItsPicture = kind == 15 && key == 52 && family == kFamilyPQvga;
        const int pictureHeight = kSkinBitmaps[*index].height;
        if (kSkinBitmaps[*index].width != width ||
            (tallerThanItsPicture ? pictureHeight > height : pictureHeight != height)) {
            if (reported.insert(file + std::to_string(width) + "x" + std::to_string(height))
                    .second) {
                ADD_FAILURE() << where << ": picture " << kSkinBitmaps[*index].width << " x "
                              << kSkinBitmaps[*index].height << ", rectangle " << width << " x "
                              << height;
            }
        }
    };
    for (int kind = 0; kind < kDeviceKindCount; ++kind) {
        for (int key = 0; key < kRemoteKeyCount; ++key) {
            const RemoteButton_Struct& button = kinds[kind].Buttons[key];
            if ((button.wFlags & kKeyPresent) == 0) continue;
            for (int f = 0; f < kBitmapFamilyCount; ++f) {
                const auto family = static_cast<BitmapFamily>(f);
                const KeyRect& rc = button.rcFamily[f];
                if (button.wStyle == kKeyStyleTwoState) {
                    const int first = f == kFamilyNVga || f == kFamilyNQvga ? 0 : 6;
                    for (int i = first; i < first + 4; ++i) {
                        check(button.lpBitmapFiles[i], rc, kind, key, f);
                    }
                } else {
                    check(button.lpBitmapFiles[3 * f], rc, kind, key, f);
                    check(button.lpBitmapFiles[3 * f + 1], rc, kind, key, f);
                }
                if (HasTurboImages(key)) {
                    for (TurboLoad load : {TurboLoad::FamilyLoad, TurboLoad::TurboCommand}) {
                        const PushImageSet set = TurboKeyImages(family, key, load);
                        for (const std::string& name : {set.flat, set.focus, set.selected}) {
                            check(name, rc, kind, key, f);
                        }
                    }
                }
            }
        }
    }
}

}  // namespace
