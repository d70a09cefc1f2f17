#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "core/DeviceKindTable.h"
#include "core/StringTable.h"

namespace {

bool Shown(const DeviceKind_Struct& kind, int key) {
    return (kind.Buttons[key].wFlags & kKeyPresent) != 0;
}

// The panel of each family: the window with the panel open, below the video rectangle,
// for every display mode of that family (layout table of the main window).
struct ModeLayout {
    int family;
    int32_t right, bottom;  // window with the panel
    int32_t videoBottom;
};
constexpr ModeLayout kModes[] = {
    {kFamilyNVga, 722, 680, 552},  {kFamilyNVga, 722, 680, 566},  {kFamilyNVga, 722, 680, 566},
    {kFamilyNQvga, 370, 461, 318}, {kFamilyNQvga, 370, 461, 324}, {kFamilyNQvga, 370, 461, 324},
    {kFamilyPVga, 722, 776, 648},  {kFamilyPVga, 722, 776, 660},  {kFamilyPVga, 722, 776, 660},
    {kFamilyPQvga, 370, 509, 366}, {kFamilyPQvga, 370, 509, 372}, {kFamilyPQvga, 370, 509, 372},
};

bool Inside(const KeyRect& rc, const ModeLayout& mode) {
    return rc.left >= 0 && rc.right <= mode.right && rc.top >= mode.videoBottom &&
           rc.bottom <= mode.bottom && rc.left < rc.right && rc.top < rc.bottom;
}

bool Overlap(const KeyRect& a, const KeyRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

TEST(DeviceKindTable, RowsAndKeysAreNumberedByPosition) {
    const DeviceKindArray table = BuildDeviceKindTable();
    EXPECT_STREQ(table[0].lpName, "CAMERA");
    EXPECT_STREQ(table[9].lpName, "4CH MEPG2 DVR");
    EXPECT_STREQ(table[25].lpName, "PTZ PELCO D");
    for (int k = 0; k < kDeviceKindCount; ++k) {
        EXPECT_EQ(table[k].dwKindNumber, static_cast<uint32_t>(k));
        EXPECT_EQ(table[k].lpCommandSet, nullptr);
        EXPECT_EQ(IsCameraKind(table[k]), k == 0) << k;
        for (int key = 0; key < kRemoteKeyCount; ++key) {
            EXPECT_EQ(table[k].Buttons[key].wKeyCode, key);
        }
    }
}

TEST(DeviceKindTable, EachKeyIsShownByTheStatedNumberOfKinds) {
    // key code -> number of kinds that show it
    int expected[kRemoteKeyCount] = {};
    for (int key = 0; key <= 3; ++key) expected[key] = 24;
    for (int key = 4; key <= 7; ++key) expected[key] = 13;
    expected[8] = 11;
    for (int key = 9; key <= 15; ++key) expected[key] = 9;
    expected[18] = 11, expected[19] = 8, expected[20] = 6, expected[21] = 6, expected[22] = 2;
    expected[24] = 6, expected[25] = 6, expected[28] = 2;
    for (int key = 30; key <= 33; ++key) expected[key] = 5;
    expected[34] = 12, expected[35] = 12, expected[39] = 3, expected[41] = 3, expected[42] = 10;
    expected[43] = 4, expected[44] = 13, expected[45] = 16, expected[46] = 22, expected[47] = 20;
    expected[48] = 17;
    for (int key = 49; key <= 53; ++key) expected[key] = 20;
    for (int key = 54; key <= 59; ++key) expected[key] = 25;
    expected[60] = 11, expected[61] = 4, expected[62] = 5, expected[63] = 5, expected[64] = 7;
    expected[65] = 6, expected[66] = 6, expected[67] = 2;

    const DeviceKindArray table = BuildDeviceKindTable();
    for (int key = 0; key < kRemoteKeyCount; ++key) {
        int count = 0;
        for (const DeviceKind_Struct& kind : table) count += Shown(kind, key) ? 1 : 0;
        EXPECT_EQ(count, expected[key]) << "key " << key;
    }
}

TEST(DeviceKindTable, FlagsAreThreeOrSevenUnlessListed) {
    const DeviceKindArray table = BuildDeviceKindTable();
    struct Listed {
        int kind, key;
        uint16_t flags;
    };
    const Listed listed[] = {
        {1, 59, 0x10b},  {11, 60, 0x10b}, {14, 59, 0x3},   {15, 44, 0x47},
        {15, 60, 0x103}, {15, 61, 0x23},  {18, 24, 0x203}, {18, 67, 0x8b},
        {25, 67, 0x8b},  {19, 61, 0x3},   {2, 42, 0x7},    {2, 0, 0x3},
    };
    for (const Listed& l : listed) {
        EXPECT_EQ(table[l.kind].Buttons[l.key].wFlags, l.flags) << l.kind << "/" << l.key;
    }
    for (const DeviceKind_Struct& kind : table) {
        for (const RemoteButton_Struct& button : kind.Buttons) {
            if (!Shown(kind, button.wKeyCode)) {
                EXPECT_EQ(button.wFlags, 0);
            }
        }
    }
}

TEST(DeviceKindTable, ShownKeysLieInsideThePanelAndDoNotOverlap) {
    const DeviceKindArray table = BuildDeviceKindTable();
    for (const DeviceKind_Struct& kind : table) {
        for (int key = 0; key < kRemoteKeyCount; ++key) {
            if (!Shown(kind, key)) continue;
            for (const ModeLayout& mode : kModes) {
                EXPECT_TRUE(Inside(kind.Buttons[key].rcFamily[mode.family], mode))
                    << kind.lpName << " key " << key << " family " << mode.family;
            }
            for (int other = key + 1; other < kRemoteKeyCount; ++other) {
                if (!Shown(kind, other)) continue;
                for (int f = 0; f < kBitmapFamilyCount; ++f) {
                    EXPECT_FALSE(
                        Overlap(kind.Buttons[key].rcFamily[f], kind.Buttons[other].rcFamily[f]))
                        << kind.lpName << " keys " << key << " and " << other << " family " << f;
                }
            }
        }
    }
}

TEST(DeviceKindTable, PFamiliesRepeatTheNFamiliesLower) {
    const DeviceKindArray table = BuildDeviceKindTable();
    for (int k = 0; k < kDeviceKindCount; ++k) {
        for (int key = 0; key < kRemoteKeyCount; ++key) {
            if (!Shown(table[k], key)) continue;
            const KeyRect* rc = table[k].Buttons[key].rcFamily;
            const KeyRect& nv = rc[kFamilyNVga];
            const KeyRect& nq = rc[kFamilyNQvga];
            EXPECT_EQ(rc[kFamilyPVga], (KeyRect{nv.left, nv.top + 96, nv.right, nv.bottom + 96}));
            KeyRect pq = {nq.left, nq.top + 48, nq.right, nq.bottom + 48};
            if (key == 58) pq = {321, 427, 339, 448};
            if (key == 52 && k == 15) pq.bottom = 471;
            EXPECT_EQ(rc[kFamilyPQvga], pq) << k << "/" << key;
        }
    }
}

TEST(DeviceKindTable, OnlyTheListedKeysMoveBetweenKinds) {
    const std::set<int> moving = {18, 19, 21, 22, 24, 28, 34, 35, 44, 45, 48, 64, 65, 66};
    const DeviceKindArray table = BuildDeviceKindTable();
    for (int key = 0; key < kRemoteKeyCount; ++key) {
        if (moving.count(key)) continue;
        const RemoteButton_Struct* first = nullptr;
        for (const DeviceKind_Struct& kind : table) {
            if (!Shown(kind, key)) continue;
            if (!first) first = &kind.Buttons[key];
            for (int f = 0; f < kBitmapFamilyCount; ++f) {
                if (key == 52 && f == kFamilyPQvga) continue;  // kind 15's own bottom
                EXPECT_EQ(kind.Buttons[key].rcFamily[f], first->rcFamily[f])
                    << kind.lpName << " " << key;
            }
        }
    }
}

TEST(DeviceKindTable, PtzSlaveRowMatchesItsKnownPlaces) {
    const DeviceKindArray table = BuildDeviceKindTable();
    const DeviceKind_Struct& kind = table[11];
    auto at = [&kind](int key, int family) { return kind.Buttons[key].rcFamily[family]; };
    EXPECT_EQ(at(0, kFamilyNVga), (KeyRect{8, 568, 26, 586}));
    EXPECT_EQ(at(15, kFamilyNVga), (KeyRect{293, 568, 311, 586}));
    EXPECT_EQ(at(0, kFamilyNQvga), (KeyRect{9, 328, 27, 346}));
    EXPECT_EQ(at(15, kFamilyNQvga), (KeyRect{294, 328, 312, 346}));
    EXPECT_EQ(at(24, kFamilyNVga), (KeyRect{312, 568, 344, 586}));
    EXPECT_EQ(at(24, kFamilyNQvga), (KeyRect{9, 349, 41, 367}));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(at(30 + i, kFamilyNVga), (KeyRect{345 + 19 * i, 568, 363 + 19 * i, 586}));
        EXPECT_EQ(at(30 + i, kFamilyNQvga), (KeyRect{42 + 19 * i, 349, 60 + 19 * i, 367}));
    }
    EXPECT_EQ(at(46, kFamilyNVga), (KeyRect{578, 578, 592, 592}));
    EXPECT_EQ(at(46, kFamilyNQvga), (KeyRect{260, 357, 274, 371}));
    EXPECT_EQ(at(54, kFamilyNVga), (KeyRect{580, 600, 601, 623}));
    EXPECT_EQ(at(55, kFamilyNQvga), (KeyRect{292, 356, 313, 374}));
    EXPECT_EQ(at(57, kFamilyNVga), (KeyRect{610, 627, 631, 645}));
    EXPECT_EQ(at(58, kFamilyNQvga), (KeyRect{321, 379, 338, 402}));
    EXPECT_EQ(at(59, kFamilyNVga), (KeyRect{649, 578, 663, 592}));
    EXPECT_EQ(at(60, kFamilyNQvga), (KeyRect{260, 409, 274, 423}));
    EXPECT_EQ(at(62, kFamilyNVga), (KeyRect{421, 568, 440, 586}));
    EXPECT_EQ(at(63, kFamilyNQvga), (KeyRect{138, 349, 157, 367}));
}

TEST(DeviceKindTable, PerKindTooltipsIdsAndImages) {
    const DeviceKindArray table = BuildDeviceKindTable();
    // PTZ kinds name their channel keys as presets.
    for (int k : {8, 11, 17, 18, 25}) {
        EXPECT_EQ(table[k].Buttons[0].wTooltipId, 8333);
        EXPECT_EQ(table[k].Buttons[15].wTooltipId, 8348);
        EXPECT_EQ(table[k].Buttons[0].wControlId, 8250);
    }
    EXPECT_EQ(table[6].Buttons[0].wTooltipId, 8250);
    // 8 CUT in the eight-channel kinds.
    EXPECT_EQ(table[20].Buttons[20].wControlId, 8573);
    EXPECT_EQ(table[22].Buttons[20].wTooltipId, 8573);
    EXPECT_STREQ(table[22].Buttons[20].lpBitmapFiles[0], "cut8");
    EXPECT_EQ(table[19].Buttons[20].wControlId, 8273);
    // Per-kind images of keys 34 and 39.
    EXPECT_STREQ(table[14].Buttons[34].lpBitmapFiles[0], "pluse");
    EXPECT_STREQ(table[2].Buttons[34].lpBitmapFiles[0], "2Col_pluse");
    EXPECT_STREQ(table[15].Buttons[39].lpBitmapFiles[1], "control_panel_enter_down");
    // The joystick keys take their P images in the P families.
    EXPECT_STREQ(table[2].Buttons[54].lpBitmapFiles[0], "N_VGA_LEFT");
    EXPECT_STREQ(table[2].Buttons[54].lpBitmapFiles[9], "P_QVGA_LEFT");
    EXPECT_STREQ(table[2].Buttons[47].lpBitmapFiles[4], "QVGA_stop_a");
    // Two-state keys: state 0 and state 1 pairs at 0-3 and 6-9.
    const RemoteButton_Struct& actionPreset = table[18].Buttons[67];
    EXPECT_EQ(actionPreset.wStyle, kKeyStyleTwoState);
    EXPECT_STREQ(actionPreset.lpBitmapFiles[2], "ptz_preset");
    EXPECT_STREQ(actionPreset.lpBitmapFiles[8], "ptz_preset");
    EXPECT_EQ(actionPreset.lpBitmapFiles[4], nullptr);
    EXPECT_EQ(table[2].Buttons[67].wStyle, kKeyStylePush);
    EXPECT_STREQ(table[2].Buttons[59].lpBitmapFiles[0], "tubro_close");
}

TEST(DeviceKindTable, EveryShownKeyHasItsTooltipText) {
    const DeviceKindArray table = BuildDeviceKindTable();
    for (const DeviceKind_Struct& kind : table) {
        for (const RemoteButton_Struct& button : kind.Buttons) {
            if (!Shown(kind, button.wKeyCode)) continue;
            EXPECT_FALSE(LoadResourceString(button.wTooltipId).empty())
                << kind.lpName << " key " << button.wKeyCode;
        }
    }
    EXPECT_EQ(LoadResourceString(table[20].Buttons[20].wTooltipId), "8 CUT");
    EXPECT_EQ(LoadResourceString(table[11].Buttons[3].wTooltipId), "Preset 4");
}
