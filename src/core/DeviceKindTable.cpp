#include "core/DeviceKindTable.h"

#include <cstdlib>

namespace {

// ---------------------------------------------------------------------------------
// The 68 keys, the same in every kind except where the per-kind rules further down
// say otherwise. The tooltip of a key is the string of its control id.

// clang-format off
constexpr uint16_t kControlIds[kRemoteKeyCount] = {
    8250, 8251, 8252, 8253, 8254, 8255, 8256, 8257,  //  0- 7 CH 1 - CH 8
    8258, 8259, 8260, 8261, 8262, 8263, 8264, 8265,  //  8-15 CH 9 - CH 16
    8322, 8321, 8271, 8272, 8273, 8280, 8281, 8282,  // 16-23 PIP, Quad, 4/9/16 CUT, PIP, POP, Multi CUT
    8283, 8319, 8285, 8286, 8287, 8288, 8291, 8292,  // 24-31 AUTO, search, VCR, LIVE, QUAD, FREEZE, ZOOM
    8289, 8290, 8313, 8314, 8323, 8324, 8325, 8326,  // 32-39 FOCUS, +, -, remote record, reboot, escape, enter
    8327, 8328, 8220, 8222, 8223, 8224, 8225, 8226,  // 40-47 stop record, record, ZOOM, SELECT, LOCK, SEARCH, ENTER, STOP
    8227, 8228, 8229, 8230, 8231, 8232, 8240, 8241,  // 48-55 RECORD, REW, FAST, PAUSE, SLOW, PLAY, LEFT, UP
    8242, 8243, 8244, 8310, 8312, 8331, 8350, 8351,  // 56-63 MENU, DOWN, RIGHT, TURBO, PTZ, R.E.T.R., zoom max
    8353, 8354, 8355, 8356,                          // 64-67 digital zoom, set, sequence, ACTION/PRESET
};

// Images of a push key: normal and hover for the VGA families, then for the QVGA
// families, then the third image of each (null: the normal image). The P families use
// the N names, except for the joystick keys below.
struct PushImages {
    const char* vga;
    const char* vgaHover;
    const char* qvga;
    const char* qvgaHover;
    const char* vgaThird = nullptr;
    const char* qvgaThird = nullptr;
};

constexpr PushImages kPushImages[kRemoteKeyCount] = {
    {"ch1", "ch1_a", "ch1", "ch1_a"},          {"ch2", "ch2_a", "ch2", "ch2_a"},
    {"ch3", "ch3_a", "ch3", "ch3_a"},          {"ch4", "ch4_a", "ch4", "ch4_a"},
    {"ch5", "ch5_a", "ch5", "ch5_a"},          {"ch6", "ch6_a", "ch6", "ch6_a"},
    {"ch7", "ch7_a", "ch7", "ch7_a"},          {"ch8", "ch8_a", "ch8", "ch8_a"},
    {"ch9", "ch9_a", "ch9", "ch9_a"},          {"ch10", "ch10_a", "ch10", "ch10_a"},
    {"ch11", "ch11_a", "ch11", "ch11_a"},      {"ch12", "ch12_a", "ch12", "ch12_a"},
    {"ch13", "ch13_a", "ch13", "ch13_a"},      {"ch14", "ch14_a", "ch14", "ch14_a"},
    {"ch15", "ch15_a", "ch15", "ch15_a"},      {"ch16", "ch16_a", "ch16", "ch16_a"},
    /* 16 */ {"Second_Col_pip", "Second_Col_pip_over", "Second_Col_pip", "Second_Col_pip_over"},
    /* 17 */ {"cut4", "cut4_a", "cut4", "cut4_a"},
    /* 18 */ {"cut4", "cut4_a", "cut4", "cut4_a"},
    /* 19 */ {"cut9", "cut9_a", "cut9", "cut9_a"},
    /* 20 */ {"cut16", "cut16_a", "cut16", "cut16_a"},
    /* 21 */ {"Second_Col_pip", "Second_Col_pip_over", "Second_Col_pip", "Second_Col_pip_over"},
    /* 22 */ {"Second_Col_pop", "Second_Col_pop_over", "Second_Col_pop", "Second_Col_pop_over"},
    /* 23 */ {"Second_Col_71013", "Second_Col_71013_over", "Second_Col_71013", "Second_Col_71013_over"},
    /* 24 */ {"Second_Col_auto", "Second_Col_auto_over", "Second_Col_auto", "Second_Col_auto_over"},
    /* 25 */ {"Second_Col_esc", "Second_Col_esc_over", "Second_Col_esc", "Second_Col_esc_over"},
    /* 26 */ {"Second_Col_vcr", "Second_Col_vcr_over", "Second_Col_vcr", "Second_Col_vcr_over"},
    /* 27 */ {"Second_Col_live", "Second_Col_live_over", "Second_Col_live", "Second_Col_live_over"},
    /* 28 */ {"cut4", "cut4_a", "cut4", "cut4_a"},
    /* 29 */ {"Second_Col_freeze", "Second_Col_freeze_over", "Second_Col_freeze", "Second_Col_freeze_over"},
    /* 30 */ {"2Col_zoom_in", "2Col_zoom_in_a", "2Col_zoom_in", "2Col_zoom_in_a"},
    /* 31 */ {"2Col_zoom_out", "2Col_zoom_out_a", "2Col_zoom_out", "2Col_zoom_out_a"},
    /* 32 */ {"2Col_focus_in", "2Col_focus_in_a", "2Col_focus_in", "2Col_focus_in_a"},
    /* 33 */ {"2Col_focus_out", "2Col_focus_out_a", "2Col_focus_out", "2Col_focus_out_a"},
    /* 34 */ {"2Col_pluse", "2Col_pluse_a", "2Col_pluse", "2Col_pluse_a", "2pluse", "2pluse"},
    /* 35 */ {"2Col_minus", "2Col_minus_a", "2Col_minus", "2Col_minus_a"},
    /* 36 */ {"Second_Col_Power_Reset", "Second_Col_Power_Reset_over", "Second_Col_Power_Reset", "Second_Col_Power_Reset_over"},
    /* 37 */ {"Second_Col_Reboot", "Second_Col_Reboot_over", "Second_Col_Reboot", "Second_Col_Reboot_over"},
    /* 38 */ {"Second_Col_esc", "Second_Col_esc_over", "Second_Col_esc", "Second_Col_esc_over"},
    /* 39 */ {"Second_Col_Enter", "Second_Col_Enter_over", "Second_Col_Enter", "Second_Col_Enter_over"},
    /* 40 */ {"VGA_stop_recording", "VGA_stop_recording_over", "QVGA_stop_recording", "QVGA_stop_recording_over"},
    /* 41 */ {"VGA_recording", "VGA_recording_over", "QVGA_recording", "QVGA_recording_over"},
    /* 42 */ {"VGA_room", "VGA_room_over", "room", "room_a", "zoom_n_vga", "zoom_n_qvga"},
    /* 43 */ {"VGA_select", "VGA_select_over", "select", "select_a", "select_n_vga", "select_n_qvga"},
    /* 44 */ {"VGA_lock", "VGA_lock_over", "lock", "lock_a", "lock_n_vga", "lock_n_qvga"},
    /* 45 */ {"VGA_search", "VGA_search_over", "search", "search_a", "search_n_vga", "search_n_qvga"},
    /* 46 */ {"control_panel_enter", "control_panel_enter_down", "control_panel_enter", "control_panel_enter_down"},
    /* 47 */ {"VGA_stop", "VGA_stop_over", "QVGA_stop", "QVGA_stop_a", "stop_n_vga", "stop_n_qvga"},
    /* 48 */ {"VGA_recording", "VGA_recording_over", "QVGA_recording", "QVGA_recording_over"},
    /* 49 */ {"VGA_rew", "VGA_rew_over", "QVGA_rew", "QVGA_rew_a", "rew_n_vga", "rew_n_qvga"},
    /* 50 */ {"VGA_fast", "VGA_fast_over", "QVGA_fast", "QVGA_fast_a", "fast_n_vga", "fast_n_qvga"},
    /* 51 */ {"VGA_pause", "VGA_pause_over", "QVGA_pause", "QVGA_pause_a", "pause_n_vga", "pause_n_qvga"},
    /* 52 */ {"VGA_slow", "VGA_slow_over", "QVGA_slow", "QVGA_slow_a", "slow_n_vga", "slow_n_qvga"},
    /* 53 */ {"VGA_play", "VGA_play_over", "QVGA_play", "QVGA_play_a", "play_n_vga", "play_n_qvga"},
    /* 54 */ {"N_VGA_LEFT", "N_VGA_LEFT_OVER", "N_QVGA_LEFT", "N_QVGA_LEFT_OVER"},
    /* 55 */ {"N_VGA_UP", "N_VGA_UP_OVER", "N_QVGA_UP", "N_QVGA_UP_OVER"},
    /* 56 */ {"N_VGA_MENU", "N_VGA_MENU_OVER", "N_QVGA_MENU", "N_QVGA_MENU_OVER"},
    /* 57 */ {"N_VGA_DOWN", "N_VGA_DOWN_OVER", "N_QVGA_DOWN", "N_QVGA_DOWN_OVER"},
    /* 58 */ {"N_VGA_RIGHT", "N_VGA_RIGHT_OVER", "N_QVGA_RIGHT", "N_QVGA_RIGHT_OVER"},
    /* 59-61: two-state keys, below */ {nullptr, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr}, {nullptr, nullptr, nullptr, nullptr},
    /* 62 */ {"zoom_in_max", "zoom_in_max_a", "zoom_in_max", "zoom_in_max_a"},
    /* 63 */ {"zoom_out_max", "zoom_out_max_a", "zoom_out_max", "zoom_out_max_a"},
    /* 64 */ {"digital_zoom", "digital_zoom_over", "digital_zoom", "digital_zoom_over"},
    /* 65 */ {"control_panel_set", "control_panel_set_down", "control_panel_set", "control_panel_set_down"},
    /* 66 */ {"sequence", "sequence_over", "sequence", "sequence_over"},
    /* 67 */ {"sequence", "sequence_over", "sequence", "sequence_over"},
};

// The joystick keys 54-58 in the P families.
constexpr PushImages kJoystickPImages[5] = {
    {"P_VGA_LEFT", "P_VGA_LEFT_OVER", "P_QVGA_LEFT", "P_QVGA_LEFT_OVER"},
    {"P_VGA_UP", "P_VGA_UP_OVER", "P_QVGA_UP", "P_QVGA_UP_OVER"},
    {"P_VGA_MENU", "P_VGA_MENU_OVER", "P_QVGA_MENU", "P_QVGA_MENU_OVER"},
    {"P_VGA_DOWN", "P_VGA_DOWN_OVER", "P_QVGA_DOWN", "P_QVGA_DOWN_OVER"},
    {"P_VGA_RIGHT", "P_VGA_RIGHT_OVER", "P_QVGA_RIGHT", "P_QVGA_RIGHT_OVER"},
};

// Images of a two-state key, the same in every family.
struct TwoStateImages {
    const char* off;
    const char* offHover;
    const char* on;
    const char* onHover;
};
constexpr TwoStateImages kTurboImages = {"tubro_close", "tubro_close_over", "tubro", "tubro_over"};
constexpr TwoStateImages kPtzImages = {"ptz_off", "ptz_off_over", "ptz_on", "ptz_on_over"};
constexpr TwoStateImages kRetrImages = {"alarm_enable_close", "alarm_enable_close_over", "alarm_enable", "alarm_enable_over"};
constexpr TwoStateImages kActionPresetImages = {"ptz_action", "ptz_action", "ptz_preset", "ptz_preset"};

// Where a key sits in the N_VGA and N_QVGA families. Most keys have one place in every
// kind. The keys marked Flow take the next free place on the kind's flow line, in key
// code order (see PlaceFlowKeys); for them only the size counts. Keys that no kind
// shows have no place.
struct Place {
    KeyRect rc;
    bool flows;
};
constexpr Place At(int32_t l, int32_t t, int32_t r, int32_t b) { return {{l, t, r, b}, false}; }
constexpr Place Flow(int32_t w, int32_t h) { return {{0, 0, w, h}, true}; }
constexpr Place None() { return {{0, 0, 0, 0}, false}; }

struct KeyPlaces {
    Place nVga;
    Place nQvga;
};

constexpr KeyPlaces kPlaces[kRemoteKeyCount] = {
    // Channel keys: one row of 18 x 18 keys, 19 pixels apart.
    /*  0 */ {At(  8, 568,  26, 586), At(  9, 328,  27, 346)},
    /*  1 */ {At( 27, 568,  45, 586), At( 28, 328,  46, 346)},
    /*  2 */ {At( 46, 568,  64, 586), At( 47, 328,  65, 346)},
    /*  3 */ {At( 65, 568,  83, 586), At( 66, 328,  84, 346)},
    /*  4 */ {At( 84, 568, 102, 586), At( 85, 328, 103, 346)},
    /*  5 */ {At(103, 568, 121, 586), At(104, 328, 122, 346)},
    /*  6 */ {At(122, 568, 140, 586), At(123, 328, 141, 346)},
    /*  7 */ {At(141, 568, 159, 586), At(142, 328, 160, 346)},
    /*  8 */ {At(160, 568, 178, 586), At(161, 328, 179, 346)},
    /*  9 */ {At(179, 568, 197, 586), At(180, 328, 198, 346)},
    /* 10 */ {At(198, 568, 216, 586), At(199, 328, 217, 346)},
    /* 11 */ {At(217, 568, 235, 586), At(218, 328, 236, 346)},
    /* 12 */ {At(236, 568, 254, 586), At(237, 328, 255, 346)},
    /* 13 */ {At(255, 568, 273, 586), At(256, 328, 274, 346)},
    /* 14 */ {At(274, 568, 292, 586), At(275, 328, 293, 346)},
    /* 15 */ {At(293, 568, 311, 586), At(294, 328, 312, 346)},
    /* 16 */ {None(),                  None()},
    /* 17 */ {None(),                  None()},
    /* 18 */ {Flow(18, 18),            Flow(18, 18)},
    /* 19 */ {Flow(18, 18),            Flow(18, 18)},
    /* 20 */ {At(  8, 592,  26, 610), At(  9, 370,  27, 388)},
    /* 21 */ {Flow(18, 18),            Flow(18, 18)},
    /* 22 */ {Flow(18, 18),            Flow(18, 18)},
    /* 23 */ {None(),                  None()},
    /* 24 */ {Flow(32, 18),            Flow(32, 18)},
    /* 25 */ {At( 27, 592,  59, 610), At( 28, 370,  60, 388)},
    /* 26 */ {None(),                  None()},
    /* 27 */ {None(),                  None()},
    /* 28 */ {Flow(18, 18),            Flow(18, 18)},
    /* 29 */ {None(),                  None()},
    // Zoom and focus of the PTZ kinds, behind AUTO.
    /* 30 */ {At(345, 568, 363, 586), At( 42, 349,  60, 367)},
    /* 31 */ {At(364, 568, 382, 586), At( 61, 349,  79, 367)},
    /* 32 */ {At(383, 568, 401, 586), At( 80, 349,  98, 367)},
    /* 33 */ {At(402, 568, 420, 586), At( 99, 349, 117, 367)},
    /* 34 */ {Flow(18, 18),            Flow(18, 18)},
    /* 35 */ {Flow(18, 18),            Flow(18, 18)},
    /* 36 */ {None(),                  None()},
    /* 37 */ {None(),                  None()},
    /* 38 */ {None(),                  None()},
    /* 39 */ {At( 60, 592,  74, 606), At( 61, 370,  75, 384)},  // ENTER's 14 x 14 picture
    /* 40 */ {None(),                  None()},
    /* 41 */ {At(158, 619, 176, 637), At(159, 395, 177, 413)},  // RECORD's picture, as key 48
    /* 42 */ {At( 79, 592,  97, 610), At( 80, 370,  98, 388)},
    /* 43 */ {At( 98, 592, 116, 610), At( 99, 370, 117, 388)},
    /* 44 */ {Flow(18, 18),            Flow(18, 18)},
    /* 45 */ {Flow(18, 18),            Flow(18, 18)},
    /* 46 */ {At(578, 578, 592, 592), At(260, 357, 274, 371)},
    // Playback keys: one row of 24 x 24 keys.
    /* 47 */ {At(133, 616, 157, 640), At(134, 392, 158, 416)},
    /* 48 */ {Flow(18, 18),            Flow(18, 18)},
    /* 49 */ {At(  8, 616,  32, 640), At(  9, 392,  33, 416)},
    /* 50 */ {At( 33, 616,  57, 640), At( 34, 392,  58, 416)},
    /* 51 */ {At( 58, 616,  82, 640), At( 59, 392,  83, 416)},
    /* 52 */ {At( 83, 616, 107, 640), At( 84, 392, 108, 416)},
    /* 53 */ {At(108, 616, 132, 640), At(109, 392, 133, 416)},
    // The joystick cross with ENTER, TURBO, PTZ control and R.E.T.R. at its corners.
    /* 54 */ {At(580, 600, 601, 623), At(262, 379, 283, 402)},
    /* 55 */ {At(610, 577, 631, 595), At(292, 356, 313, 374)},
    /* 56 */ {At(610, 600, 631, 623), At(292, 379, 313, 402)},
    /* 57 */ {At(610, 627, 631, 645), At(292, 406, 313, 424)},
    /* 58 */ {At(639, 600, 657, 623), At(321, 379, 338, 402)},
    /* 59 */ {At(649, 578, 663, 592), At(331, 357, 345, 371)},
    /* 60 */ {At(578, 629, 592, 643), At(260, 409, 274, 423)},
    /* 61 */ {At(649, 629, 663, 643), At(331, 409, 345, 423)},
    /* 62 */ {At(421, 568, 440, 586), At(118, 349, 137, 367)},
    /* 63 */ {At(441, 568, 460, 586), At(138, 349, 157, 367)},
    /* 64 */ {Flow(18, 18),            Flow(18, 18)},
    /* 65 */ {Flow(18, 18),            Flow(18, 18)},
    /* 66 */ {Flow(18, 18),            Flow(18, 18)},
    /* 67 */ {At(470, 568, 502, 586), At(165, 349, 197, 367)},
};

// Where the flow line of a kind starts: in N_VGA behind the channel keys of the first
// row, in N_QVGA at the start of the second row.
constexpr int32_t kFlowStartNVga[2] = {8, 568};
constexpr int32_t kFlowStartNQvga[2] = {9, 349};

// The P families repeat the N ones lower in the window.
constexpr int32_t kPVgaShift = 96;
constexpr int32_t kPQvgaShift = 48;
// Two keys that do not follow that rule.
constexpr KeyRect kRightKeyPQvga = {321, 427, 339, 448};
constexpr int32_t kSlowKeyPQvgaBottomKind15 = 471;

// ---------------------------------------------------------------------------------
// The 26 kinds: name, class flags, the keys shown (present) and the flags of the
// shown keys that are neither 3 nor 7.

struct KindRow {
    const char* name;
    uint32_t classFlags;
    const char* keysShown;   // key codes and ranges, comma separated
    const char* otherFlags;  // "key: flags" pairs, comma separated
};

constexpr KindRow kKinds[kDeviceKindCount] = {
    /*  0 */ {"CAMERA",                  3, "",                                                  ""},
    /*  1 */ {"1CH DVR",                 1, "45-59",                                             "59: 0x10b"},
    /*  2 */ {"4CH DVR (FULL)",          1, "0-3, 34-35, 42, 44-59",                             "59: 0x10b"},
    /*  3 */ {"4CH DVR (BASIC)",         1, "0-3, 22, 34-35, 44-59",                             "59: 0x10b"},
    /*  4 */ {"4CH DMR",                 1, "0-3, 18, 21, 42, 44-59",                            "59: 0x10b"},
    /*  5 */ {"9CH DMR",                 1, "0-8, 18-19, 21, 42-44, 46-59",                      "59: 0x10b"},
    /*  6 */ {"16CH DMR",                1, "0-15, 18-21, 42-44, 46-59",                         "59: 0x10b"},
    /*  7 */ {"4CH DQR",                 1, "0-3, 24, 28, 44-59",                                "59: 0x10b"},
    /*  8 */ {"PTZ",                     1, "0-15, 24, 30-33, 46, 54-59, 62-63",                 "59: 0x10b"},
    /*  9 */ {"4CH MEPG2 DVR",           1, "0-3, 34-35, 39, 41-42, 44-45, 47, 49-59",           "59: 0x10b"},
    /* 10 */ {"4CH NETWORK DVR",         0, "0-3, 34-35, 42, 44-59",                             "59: 0x10b"},
    /* 11 */ {"PTZ SLAVE",               0, "0-15, 24, 30-33, 46, 54-60, 62-63",                 "59: 0x10b, 60: 0x10b"},
    /* 12 */ {"4CH NETWORK DVR (BASIC)", 0, "0-3, 21-22, 28, 44-59",                             "59: 0x10b"},
    /* 13 */ {"9CH NETWORK DMR",         0, "0-8, 18-19, 21, 42-44, 46-59",                      "59: 0x10b"},
    /* 14 */ {"16CH NETWORK DMR",        0, "0-15, 18-20, 25, 34-35, 45-60, 64-66",              ""},
    /* 15 */ {"4CH NETWORK MEPG2 DVR",   1, "0-3, 34-35, 39, 41-42, 44-45, 47, 49-61",           "44: 0x47, 59: 0x10b, 60: 0x103, 61: 0x23"},
    /* 16 */ {"N30V",                    1, "0-3, 34-35, 39, 41-42, 44-45, 47, 49-60",           "44: 0x47, 59: 0x10b, 60: 0x103"},
    /* 17 */ {"PTZ SLAVE BASIC",         0, "0-15, 24, 30-33, 46, 54-60, 62-64",                 "59: 0x10b, 60: 0x10b"},
    /* 18 */ {"PTZ PELCO",               0, "0-15, 24, 30-33, 46, 54-60, 62-63, 67",             "24: 0x203, 59: 0x10b, 60: 0x10b, 67: 0x8b"},
    /* 19 */ {"HQN 914 DVR",             0, "0-15, 18-20, 25, 34-35, 45-61, 64-66",              ""},
    /* 20 */ {"8CH NETWORK DMR",         0, "0-7, 18-20, 25, 34-35, 45-60, 64-66",               ""},
    /* 21 */ {"4CH NETWORK DMR",         0, "0-3, 18, 25, 34-35, 45-60, 64-66",                  "59: 0x10b"},
    /* 22 */ {"HQN 912 DVR",             0, "0-7, 18-20, 25, 34-35, 45-61, 64-66",               ""},
    /* 23 */ {"HQN 910 DVR",             0, "0-3, 18, 25, 34-35, 45-61, 64-66",                  "59: 0x10b"},
    /* 24 */ {"16CH NETWORK DVR",        0, "0-15, 18-21, 42-44, 46-59",                         "59: 0x10b"},
    /* 25 */ {"PTZ PELCO D",             0, "0-15, 24, 30-33, 46, 54-59, 62-63, 67",             "24: 0x203, 59: 0x10b, 67: 0x8b"},
};
// clang-format on

// Further per-kind differences.
constexpr bool IsPtzKind(int kind) {
    return kind == 8 || kind == 11 || kind == 17 || kind == 18 || kind == 25;
}
constexpr bool HasActionPresetKey(int kind) { return kind == 18 || kind == 25; }
constexpr bool HasEightCutKey(int kind) { return kind == 20 || kind == 22; }
constexpr bool HasPlainPlusMinus(int kind) { return kind == 14 || (kind >= 19 && kind <= 23); }
constexpr bool HasPanelEnterKey(int kind) { return kind == 9 || kind == 15 || kind == 16; }

constexpr uint16_t kPresetTooltip1 = 8333;  // "Preset 1" to "Preset 16"
constexpr uint16_t kEightCutId = 8573;      // "8 CUT"

// Keys whose images differ between the families: they are reloaded on each change.
constexpr bool ImagesDifferPerFamily(int key) {
    return (key >= 40 && key <= 45) || (key >= 47 && key <= 58);
}

// ---------------------------------------------------------------------------------

// Calls `visit(key)` for each key of a list such as "0-3, 34-35, 42".
template <typename Visit>
void ForEachListedKey(const char* list, Visit visit) {
    const char* p = list;
    while (*p != '\0') {
        char* end = nullptr;
        long first = std::strtol(p, &end, 10);
        long last = first;
        p = end;
        if (*p == '-') {
            last = std::strtol(p + 1, &end, 10);
            p = end;
        }
        for (long key = first; key <= last; ++key) visit(static_cast<int>(key));
        while (*p == ',' || *p == ' ') ++p;
    }
}

// Calls `visit(key, flags)` for each pair of a list such as "59: 0x10b, 60: 0x103".
template <typename Visit>
void ForEachFlagPair(const char* list, Visit visit) {
    const char* p = list;
    while (*p != '\0') {
        char* end = nullptr;
        long key = std::strtol(p, &end, 10);
        p = end + 1;  // the colon
        long flags = std::strtol(p, &end, 0);
        p = end;
        visit(static_cast<int>(key), static_cast<uint16_t>(flags));
        while (*p == ',' || *p == ' ') ++p;
    }
}

void SetPushImages(RemoteButton_Struct& button, const PushImages& n, const PushImages& p) {
    const char* vgaThird = n.vgaThird ? n.vgaThird : n.vga;
    const char* qvgaThird = n.qvgaThird ? n.qvgaThird : n.qvga;
    const char* files[kKeyBitmapCount] = {
        n.vga, n.vgaHover, vgaThird, n.qvga, n.qvgaHover, qvgaThird,
        p.vga, p.vgaHover, vgaThird, p.qvga, p.qvgaHover, qvgaThird,
    };
    for (int i = 0; i < kKeyBitmapCount; ++i) button.lpBitmapFiles[i] = files[i];
    button.wStyle = kKeyStylePush;
}

void SetTwoStateImages(RemoteButton_Struct& button, const TwoStateImages& images) {
    const char* files[kKeyBitmapCount] = {
        images.off, images.offHover, images.on, images.onHover, nullptr, nullptr,
        images.off, images.offHover, images.on, images.onHover, nullptr, nullptr,
    };
    for (int i = 0; i < kKeyBitmapCount; ++i) button.lpBitmapFiles[i] = files[i];
    button.wStyle = kKeyStyleTwoState;
}

void SetImages(RemoteButton_Struct& button, int kind, int key) {
    switch (key) {
        case 20:
            if (HasEightCutKey(kind)) {
                constexpr PushImages kCut8 = {"cut8", "cut8_a", "cut8", "cut8_a"};
                SetPushImages(button, kCut8, kCut8);
                return;
            }
            break;
        case 34:
            if (HasPlainPlusMinus(kind)) {
                constexpr PushImages kPlus = {"pluse", "pluse_a", "pluse", "pluse_a"};
                SetPushImages(button, kPlus, kPlus);
                return;
            }
            break;
        case 35:
            if (HasPlainPlusMinus(kind)) {
                constexpr PushImages kMinus = {"minus", "minus_a", "minus", "minus_a"};
                SetPushImages(button, kMinus, kMinus);
                return;
            }
            break;
        case 39:
            if (HasPanelEnterKey(kind)) {
                SetPushImages(button, kPushImages[46], kPushImages[46]);
                return;
            }
            break;
        case 59:
            SetTwoStateImages(button, kTurboImages);
            return;
        case 60:
            SetTwoStateImages(button, kPtzImages);
            return;
        case 61:
            SetTwoStateImages(button, kRetrImages);
            return;
        case 67:
            if (HasActionPresetKey(kind)) {
                SetTwoStateImages(button, kActionPresetImages);
                return;
            }
            break;
        default:
            break;
    }
    const bool joystick = key >= 54 && key <= 58;
    SetPushImages(button, kPushImages[key],
                  joystick ? kJoystickPImages[key - 54] : kPushImages[key]);
}

bool Overlaps(const KeyRect& a, const KeyRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool IsShown(const DeviceKind_Struct& kind, int key) {
    return (kind.Buttons[key].wFlags & kKeyPresent) != 0;
}

bool Flows(int family, int key) {
    return family == kFamilyNVga ? kPlaces[key].nVga.flows : kPlaces[key].nQvga.flows;
}

// The first fixed key of `kind` shown in `family` that `rc` would cover; null if none.
const KeyRect* FirstFixedOverlap(const DeviceKind_Struct& kind, int family, const KeyRect& rc) {
    for (int key = 0; key < kRemoteKeyCount; ++key) {
        if (!IsShown(kind, key) || Flows(family, key)) continue;
        const KeyRect& fixed = kind.Buttons[key].rcFamily[family];
        if (Overlaps(rc, fixed)) return &fixed;
    }
    return nullptr;
}

// Places the flow keys of one kind in one N family: from the family's start point, in
// key code order, each key one pixel to the right of the key before it, stepping over
// the fixed keys that the kind shows there.
void PlaceFlowKeys(DeviceKind_Struct& kind, int family, const int32_t start[2]) {
    int32_t x = start[0];
    for (int key = 0; key < kRemoteKeyCount; ++key) {
        if (!IsShown(kind, key) || !Flows(family, key)) continue;
        const KeyRect size = family == kFamilyNVga ? kPlaces[key].nVga.rc : kPlaces[key].nQvga.rc;
        KeyRect rc = {x, start[1], x + size.right, start[1] + size.bottom};
        while (const KeyRect* fixed = FirstFixedOverlap(kind, family, rc)) {
            rc.left = fixed->right + 1;
            rc.right = rc.left + size.right;
        }
        kind.Buttons[key].rcFamily[family] = rc;
        x = rc.right + 1;
    }
}

// `rc` moved down by `dy`; a key without a place keeps none.
KeyRect Shifted(const KeyRect& rc, int32_t dy) {
    if (rc == KeyRect{}) return rc;
    return {rc.left, rc.top + dy, rc.right, rc.bottom + dy};
}

DeviceKind_Struct BuildKind(int kindIndex) {
    const KindRow& row = kKinds[kindIndex];
    DeviceKind_Struct kind{};
    kind.lpName = row.name;
    kind.dwClassFlags = row.classFlags;
    kind.dwKindNumber = static_cast<uint32_t>(kindIndex);
    kind.lpCommandSet = nullptr;

    for (int key = 0; key < kRemoteKeyCount; ++key) {
        RemoteButton_Struct& button = kind.Buttons[key];
        button.wKeyCode = static_cast<uint16_t>(key);
        button.wControlId = kControlIds[key];
        button.wTooltipId = kControlIds[key];
        if (key == 20 && HasEightCutKey(kindIndex))
            button.wControlId = button.wTooltipId = kEightCutId;
        if (key < 16 && IsPtzKind(kindIndex))
            button.wTooltipId = static_cast<uint16_t>(kPresetTooltip1 + key);
        SetImages(button, kindIndex, key);
        // Flow keys get their place below, once the kind's keys are known.
        if (!kPlaces[key].nVga.flows) button.rcFamily[kFamilyNVga] = kPlaces[key].nVga.rc;
        if (!kPlaces[key].nQvga.flows) button.rcFamily[kFamilyNQvga] = kPlaces[key].nQvga.rc;
    }

    ForEachListedKey(row.keysShown, [&kind](int key) {
        const bool reload = ImagesDifferPerFamily(key);
        kind.Buttons[key].wFlags = kKeyEnabled | kKeyPresent | (reload ? kKeyReloadPerFamily : 0);
    });
    ForEachFlagPair(row.otherFlags,
                    [&kind](int key, uint16_t flags) { kind.Buttons[key].wFlags = flags; });

    PlaceFlowKeys(kind, kFamilyNVga, kFlowStartNVga);
    PlaceFlowKeys(kind, kFamilyNQvga, kFlowStartNQvga);

    for (RemoteButton_Struct& button : kind.Buttons) {
        button.rcFamily[kFamilyPVga] = Shifted(button.rcFamily[kFamilyNVga], kPVgaShift);
        button.rcFamily[kFamilyPQvga] = Shifted(button.rcFamily[kFamilyNQvga], kPQvgaShift);
    }
    kind.Buttons[58].rcFamily[kFamilyPQvga] = kRightKeyPQvga;
    if (kindIndex == 15) kind.Buttons[52].rcFamily[kFamilyPQvga].bottom = kSlowKeyPQvgaBottomKind15;
    return kind;
}

}  // namespace

DeviceKindArray BuildDeviceKindTable() {
    DeviceKindArray table{};
    for (int kind = 0; kind < kDeviceKindCount; ++kind) table[kind] = BuildKind(kind);
    return table;
}

DeviceKindArray DeviceKindTable = BuildDeviceKindTable();

bool IsCameraKind(const DeviceKind_Struct& kind) {
    return (kind.dwClassFlags & kKindClassCamera) != 0;
}
