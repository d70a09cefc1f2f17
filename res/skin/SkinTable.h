#pragma once
// Every skin bitmap that the windows load by name, with the size it must have and how the
// skin generator draws it. Sizes follow the rectangles of the window layouts: buttons are
// painted 1:1 from their pictures, so a key's picture is exactly as large as its
// rectangle. Paths are relative to the program folder; the windows name them with "\"
// and without regard to case ("BMP\LOGIN\spacer.bmp").
//
// Remote keys match the rectangles of the device-kind table: most keys 18 x 18, AUTO,
// ESC and ACTION/PRESET 32 x 18, the playback keys 24 x 24, the joystick keys as the
// layout gives them, the toggles and ENTER 14 x 14, continuous zoom 19 x 18.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace ormidon::skin {

// What a bitmap is: the generator draws each kind its own way.
enum class Look : uint8_t {
    WindowBackground,  // main-window background, the whole window
    StatusBar,         // main-window status bar, stretched over its rectangle
    StatusIcon,        // alarm and online-user icons on the status bar
    TitleButton,       // minimize, full screen, close, help on a title bar
    ToolButton,        // function-bar and power buttons on the main window's tool band
    PanelToggle,       // opens or closes the remote-control panel
    Key,               // remote-control key
    ChannelTab,        // channel-bar button
    ChannelArrow,      // channel-bar page arrow
    ColourFrame,       // piece of the colour window's frame, cut at (x, y)
    Logo,              // the program's mark on the colour window's title bar
    DialogButton,      // text button of the colour window
    DialogLabel,       // row label of the colour window
    CmosBackground,    // camera-sensor tool bar background
    CmosButton,        // camera-sensor tool bar button
    LoginFrame,        // piece of the login window (background and frame), cut at (x, y)
    LoginProgress,     // block that runs along the login progress bar
    LoginDigit,        // a character of the version number on the login title bar
    LoginButton,       // login window button
    LoginLabel,        // icon beside a login edit
};

// Which state of its button a picture shows.
enum class Mood : uint8_t {
    Normal,      // at rest
    Hover,       // pointer over it (the remote keys also show it while pressed)
    Pressed,     // held down
    Disabled,    // refused to this user
    On,          // second state of a two-state button: selected, running, switched on
    OnHover,     // second state with the pointer over it
    Turbo,       // joystick, zoom and focus keys while TURBO is on
    TurboHover,  // the same with the pointer over it
};

struct SkinBitmap {
    std::string_view file;  // relative to the program folder, "/" between folders
    int width;
    int height;
    Look look;
    Mood mood;
    std::string_view label;  // text on it, or "@name" of a drawn symbol
    int x = 0;               // pieces of a whole window: where the piece sits in it
    int y = 0;
};

// clang-format off
inline constexpr SkinBitmap kSkinBitmaps[] = {
    // Main window: backgrounds with the panel closed and open, status bars, status icons
    {"BMP/N_VGA_BG.bmp", 722, 608, Look::WindowBackground, Mood::Normal, ""},
    {"BMP/N_VGA_BG_EX.bmp", 722, 680, Look::WindowBackground, Mood::Normal, ""},
    {"BMP/N_QVGA_BG.bmp", 370, 366, Look::WindowBackground, Mood::Normal, ""},
    {"BMP/N_QVGA_BG_EX.bmp", 370, 461, Look::WindowBackground, Mood::Normal, ""},
    {"BMP/P_VGA_BG.bmp", 722, 705, Look::WindowBackground, Mood::Normal, ""},
    {"BMP/P_VGA_BG_EX.bmp", 722, 776, Look::WindowBackground, Mood::Normal, ""},
    {"BMP/P_QVGA_BG.bmp", 370, 414, Look::WindowBackground, Mood::Normal, ""},
    {"BMP/P_QVGA_BG_EX.bmp", 370, 509, Look::WindowBackground, Mood::Normal, ""},
    {"BMP/VGA_Status_Bar.bmp", 708, 20, Look::StatusBar, Mood::Normal, ""},
    {"BMP/StatusBar.bmp", 356, 20, Look::StatusBar, Mood::Normal, ""},
    {"BMP/Online_User_ICON.bmp", 13, 16, Look::StatusIcon, Mood::Normal, "@user"},
    {"BMP/alarm.bmp", 13, 16, Look::StatusIcon, Mood::Normal, "@bell"},
    // Title-bar buttons (also the colour window's close button)
    {"BMP/Title_Bar_Hide.bmp", 13, 13, Look::TitleButton, Mood::Normal, "@min"},
    {"BMP/Title_Bar_Hide_a.bmp", 13, 13, Look::TitleButton, Mood::Hover, "@min"},
    {"BMP/Title_Bar_Fullscreen.bmp", 13, 13, Look::TitleButton, Mood::Normal, "@max"},
    {"BMP/Title_Bar_Fullscreen_a.bmp", 13, 13, Look::TitleButton, Mood::Hover, "@max"},
    {"BMP/Title_Bar_Close.bmp", 13, 13, Look::TitleButton, Mood::Normal, "@close"},
    {"BMP/Title_Bar_Close_a.bmp", 13, 13, Look::TitleButton, Mood::Hover, "@close"},
    {"BMP/Title_Bar_Help.bmp", 13, 13, Look::TitleButton, Mood::Normal, "@help"},
    {"BMP/Title_Bar_Help_a.bmp", 13, 13, Look::TitleButton, Mood::Hover, "@help"},
    // Power button and the panel open (PANELUP) and close (PANELDOWN) buttons
    {"BMP/power.bmp", 26, 26, Look::ToolButton, Mood::Normal, "@power"},
    {"BMP/power_over.bmp", 26, 26, Look::ToolButton, Mood::Hover, "@power"},
    {"BMP/power_down.bmp", 26, 26, Look::ToolButton, Mood::Pressed, "@power"},
    {"BMP/N_VGA_PANELUP.bmp", 32, 32, Look::PanelToggle, Mood::Normal, "@chevdown"},
    {"BMP/N_VGA_PANELUP_OVER.bmp", 32, 32, Look::PanelToggle, Mood::Hover, "@chevdown"},
    {"BMP/N_VGA_PANELDOWN.bmp", 32, 32, Look::PanelToggle, Mood::Normal, "@chevup"},
    {"BMP/N_VGA_PANELDOWN_OVER.bmp", 32, 32, Look::PanelToggle, Mood::Hover, "@chevup"},
    {"BMP/N_QVGA_PANELUP.bmp", 32, 32, Look::PanelToggle, Mood::Normal, "@chevdown"},
    {"BMP/N_QVGA_PANELUP_OVER.bmp", 32, 32, Look::PanelToggle, Mood::Hover, "@chevdown"},
    {"BMP/N_QVGA_PANELDOWN.bmp", 32, 32, Look::PanelToggle, Mood::Normal, "@chevup"},
    {"BMP/N_QVGA_PANELDOWN_OVER.bmp", 32, 32, Look::PanelToggle, Mood::Hover, "@chevup"},
    {"BMP/P_VGA_PANELUP.bmp", 32, 32, Look::PanelToggle, Mood::Normal, "@chevdown"},
    {"BMP/P_VGA_PANELUP_OVER.bmp", 32, 32, Look::PanelToggle, Mood::Hover, "@chevdown"},
    {"BMP/P_VGA_PANELDOWN.bmp", 32, 32, Look::PanelToggle, Mood::Normal, "@chevup"},
    {"BMP/P_VGA_PANELDOWN_OVER.bmp", 32, 32, Look::PanelToggle, Mood::Hover, "@chevup"},
    {"BMP/P_QVGA_PANELUP.bmp", 32, 32, Look::PanelToggle, Mood::Normal, "@chevdown"},
    {"BMP/P_QVGA_PANELUP_OVER.bmp", 32, 32, Look::PanelToggle, Mood::Hover, "@chevdown"},
    {"BMP/P_QVGA_PANELDOWN.bmp", 32, 32, Look::PanelToggle, Mood::Normal, "@chevup"},
    {"BMP/P_QVGA_PANELDOWN_OVER.bmp", 32, 32, Look::PanelToggle, Mood::Hover, "@chevup"},
    // Remote keys: channel keys 0-15
    {"BMP/ch1.bmp", 18, 18, Look::Key, Mood::Normal, "1"},
    {"BMP/ch1_a.bmp", 18, 18, Look::Key, Mood::Hover, "1"},
    {"BMP/ch2.bmp", 18, 18, Look::Key, Mood::Normal, "2"},
    {"BMP/ch2_a.bmp", 18, 18, Look::Key, Mood::Hover, "2"},
    {"BMP/ch3.bmp", 18, 18, Look::Key, Mood::Normal, "3"},
    {"BMP/ch3_a.bmp", 18, 18, Look::Key, Mood::Hover, "3"},
    {"BMP/ch4.bmp", 18, 18, Look::Key, Mood::Normal, "4"},
    {"BMP/ch4_a.bmp", 18, 18, Look::Key, Mood::Hover, "4"},
    {"BMP/ch5.bmp", 18, 18, Look::Key, Mood::Normal, "5"},
    {"BMP/ch5_a.bmp", 18, 18, Look::Key, Mood::Hover, "5"},
    {"BMP/ch6.bmp", 18, 18, Look::Key, Mood::Normal, "6"},
    {"BMP/ch6_a.bmp", 18, 18, Look::Key, Mood::Hover, "6"},
    {"BMP/ch7.bmp", 18, 18, Look::Key, Mood::Normal, "7"},
    {"BMP/ch7_a.bmp", 18, 18, Look::Key, Mood::Hover, "7"},
    {"BMP/ch8.bmp", 18, 18, Look::Key, Mood::Normal, "8"},
    {"BMP/ch8_a.bmp", 18, 18, Look::Key, Mood::Hover, "8"},
    {"BMP/ch9.bmp", 18, 18, Look::Key, Mood::Normal, "9"},
    {"BMP/ch9_a.bmp", 18, 18, Look::Key, Mood::Hover, "9"},
    {"BMP/ch10.bmp", 18, 18, Look::Key, Mood::Normal, "10"},
    {"BMP/ch10_a.bmp", 18, 18, Look::Key, Mood::Hover, "10"},
    {"BMP/ch11.bmp", 18, 18, Look::Key, Mood::Normal, "11"},
    {"BMP/ch11_a.bmp", 18, 18, Look::Key, Mood::Hover, "11"},
    {"BMP/ch12.bmp", 18, 18, Look::Key, Mood::Normal, "12"},
    {"BMP/ch12_a.bmp", 18, 18, Look::Key, Mood::Hover, "12"},
    {"BMP/ch13.bmp", 18, 18, Look::Key, Mood::Normal, "13"},
    {"BMP/ch13_a.bmp", 18, 18, Look::Key, Mood::Hover, "13"},
    {"BMP/ch14.bmp", 18, 18, Look::Key, Mood::Normal, "14"},
    {"BMP/ch14_a.bmp", 18, 18, Look::Key, Mood::Hover, "14"},
    {"BMP/ch15.bmp", 18, 18, Look::Key, Mood::Normal, "15"},
    {"BMP/ch15_a.bmp", 18, 18, Look::Key, Mood::Hover, "15"},
    {"BMP/ch16.bmp", 18, 18, Look::Key, Mood::Normal, "16"},
    {"BMP/ch16_a.bmp", 18, 18, Look::Key, Mood::Hover, "16"},
    // Remote keys: second-column keys and split-screen keys
    {"BMP/Second_Col_pip.bmp", 18, 18, Look::Key, Mood::Normal, "@pip"},
    {"BMP/Second_Col_pip_over.bmp", 18, 18, Look::Key, Mood::Hover, "@pip"},
    {"BMP/Second_Col_pop.bmp", 18, 18, Look::Key, Mood::Normal, "@pop"},
    {"BMP/Second_Col_pop_over.bmp", 18, 18, Look::Key, Mood::Hover, "@pop"},
    {"BMP/Second_Col_71013.bmp", 32, 18, Look::Key, Mood::Normal, "MULTI"},
    {"BMP/Second_Col_71013_over.bmp", 32, 18, Look::Key, Mood::Hover, "MULTI"},
    {"BMP/Second_Col_auto.bmp", 32, 18, Look::Key, Mood::Normal, "AUTO"},
    {"BMP/Second_Col_auto_over.bmp", 32, 18, Look::Key, Mood::Hover, "AUTO"},
    {"BMP/Second_Col_esc.bmp", 32, 18, Look::Key, Mood::Normal, "ESC"},
    {"BMP/Second_Col_esc_over.bmp", 32, 18, Look::Key, Mood::Hover, "ESC"},
    {"BMP/Second_Col_vcr.bmp", 32, 18, Look::Key, Mood::Normal, "VCR"},
    {"BMP/Second_Col_vcr_over.bmp", 32, 18, Look::Key, Mood::Hover, "VCR"},
    {"BMP/Second_Col_live.bmp", 32, 18, Look::Key, Mood::Normal, "LIVE"},
    {"BMP/Second_Col_live_over.bmp", 32, 18, Look::Key, Mood::Hover, "LIVE"},
    {"BMP/Second_Col_freeze.bmp", 32, 18, Look::Key, Mood::Normal, "FREEZE"},
    {"BMP/Second_Col_freeze_over.bmp", 32, 18, Look::Key, Mood::Hover, "FREEZE"},
    {"BMP/Second_Col_Power_Reset.bmp", 32, 18, Look::Key, Mood::Normal, "RESET"},
    {"BMP/Second_Col_Power_Reset_over.bmp", 32, 18, Look::Key, Mood::Hover, "RESET"},
    {"BMP/Second_Col_Reboot.bmp", 32, 18, Look::Key, Mood::Normal, "REBOOT"},
    {"BMP/Second_Col_Reboot_over.bmp", 32, 18, Look::Key, Mood::Hover, "REBOOT"},
    {"BMP/Second_Col_Enter.bmp", 32, 18, Look::Key, Mood::Normal, "ENTER"},
    {"BMP/Second_Col_Enter_over.bmp", 32, 18, Look::Key, Mood::Hover, "ENTER"},
    {"BMP/cut4.bmp", 18, 18, Look::Key, Mood::Normal, "@cut4"},
    {"BMP/cut4_a.bmp", 18, 18, Look::Key, Mood::Hover, "@cut4"},
    {"BMP/cut8.bmp", 18, 18, Look::Key, Mood::Normal, "@cut8"},
    {"BMP/cut8_a.bmp", 18, 18, Look::Key, Mood::Hover, "@cut8"},
    {"BMP/cut9.bmp", 18, 18, Look::Key, Mood::Normal, "@cut9"},
    {"BMP/cut9_a.bmp", 18, 18, Look::Key, Mood::Hover, "@cut9"},
    {"BMP/cut16.bmp", 18, 18, Look::Key, Mood::Normal, "@cut16"},
    {"BMP/cut16_a.bmp", 18, 18, Look::Key, Mood::Hover, "@cut16"},
    // Remote keys: zoom and focus (plain and turbo), plus and minus, enter and set
    {"BMP/2Col_zoom_in.bmp", 18, 18, Look::Key, Mood::Normal, "T"},
    {"BMP/2Col_zoom_in_a.bmp", 18, 18, Look::Key, Mood::Hover, "T"},
    {"BMP/2Col_zoom_out.bmp", 18, 18, Look::Key, Mood::Normal, "W"},
    {"BMP/2Col_zoom_out_a.bmp", 18, 18, Look::Key, Mood::Hover, "W"},
    {"BMP/2Col_focus_in.bmp", 18, 18, Look::Key, Mood::Normal, "N"},
    {"BMP/2Col_focus_in_a.bmp", 18, 18, Look::Key, Mood::Hover, "N"},
    {"BMP/2Col_focus_out.bmp", 18, 18, Look::Key, Mood::Normal, "F"},
    {"BMP/2Col_focus_out_a.bmp", 18, 18, Look::Key, Mood::Hover, "F"},
    {"BMP/2Col_zoom_turbo_in.bmp", 18, 18, Look::Key, Mood::Turbo, "T"},
    {"BMP/2Col_zoom_turbo_in_a.bmp", 18, 18, Look::Key, Mood::TurboHover, "T"},
    {"BMP/2Col_zoom_turbo_out.bmp", 18, 18, Look::Key, Mood::Turbo, "W"},
    {"BMP/2Col_zoom_turbo_out_a.bmp", 18, 18, Look::Key, Mood::TurboHover, "W"},
    {"BMP/2Col_focus_turbo_in.bmp", 18, 18, Look::Key, Mood::Turbo, "N"},
    {"BMP/2Col_focus_turbo_in_a.bmp", 18, 18, Look::Key, Mood::TurboHover, "N"},
    {"BMP/2Col_focus_turbo_out.bmp", 18, 18, Look::Key, Mood::Turbo, "F"},
    {"BMP/2Col_focus_turbo_out_a.bmp", 18, 18, Look::Key, Mood::TurboHover, "F"},
    {"BMP/2Col_pluse.bmp", 18, 18, Look::Key, Mood::Normal, "+"},
    {"BMP/2Col_pluse_a.bmp", 18, 18, Look::Key, Mood::Hover, "+"},
    {"BMP/2Col_minus.bmp", 18, 18, Look::Key, Mood::Normal, "-"},
    {"BMP/2Col_minus_a.bmp", 18, 18, Look::Key, Mood::Hover, "-"},
    {"BMP/pluse.bmp", 18, 18, Look::Key, Mood::Normal, "+"},
    {"BMP/pluse_a.bmp", 18, 18, Look::Key, Mood::Hover, "+"},
    {"BMP/minus.bmp", 18, 18, Look::Key, Mood::Normal, "-"},
    {"BMP/minus_a.bmp", 18, 18, Look::Key, Mood::Hover, "-"},
    {"BMP/control_panel_enter.bmp", 14, 14, Look::Key, Mood::Normal, "@enter"},
    {"BMP/control_panel_enter_down.bmp", 14, 14, Look::Key, Mood::Hover, "@enter"},
    {"BMP/control_panel_set.bmp", 18, 18, Look::Key, Mood::Normal, "@set"},
    {"BMP/control_panel_set_down.bmp", 18, 18, Look::Key, Mood::Hover, "@set"},
    // Remote keys: recording, playback and DVR keys of the VGA families
    {"BMP/VGA_stop_recording.bmp", 18, 18, Look::Key, Mood::Normal, "@stoprec"},
    {"BMP/VGA_stop_recording_over.bmp", 18, 18, Look::Key, Mood::Hover, "@stoprec"},
    {"BMP/VGA_recording.bmp", 18, 18, Look::Key, Mood::Normal, "@rec"},
    {"BMP/VGA_recording_over.bmp", 18, 18, Look::Key, Mood::Hover, "@rec"},
    {"BMP/VGA_room.bmp", 18, 18, Look::Key, Mood::Normal, "@zoom"},
    {"BMP/VGA_room_over.bmp", 18, 18, Look::Key, Mood::Hover, "@zoom"},
    {"BMP/VGA_select.bmp", 18, 18, Look::Key, Mood::Normal, "@select"},
    {"BMP/VGA_select_over.bmp", 18, 18, Look::Key, Mood::Hover, "@select"},
    {"BMP/VGA_lock.bmp", 18, 18, Look::Key, Mood::Normal, "@lock"},
    {"BMP/VGA_lock_over.bmp", 18, 18, Look::Key, Mood::Hover, "@lock"},
    {"BMP/VGA_search.bmp", 18, 18, Look::Key, Mood::Normal, "@search"},
    {"BMP/VGA_search_over.bmp", 18, 18, Look::Key, Mood::Hover, "@search"},
    {"BMP/VGA_stop.bmp", 24, 24, Look::Key, Mood::Normal, "@stop"},
    {"BMP/VGA_stop_over.bmp", 24, 24, Look::Key, Mood::Hover, "@stop"},
    {"BMP/VGA_rew.bmp", 24, 24, Look::Key, Mood::Normal, "@rew"},
    {"BMP/VGA_rew_over.bmp", 24, 24, Look::Key, Mood::Hover, "@rew"},
    {"BMP/VGA_fast.bmp", 24, 24, Look::Key, Mood::Normal, "@ff"},
    {"BMP/VGA_fast_over.bmp", 24, 24, Look::Key, Mood::Hover, "@ff"},
    {"BMP/VGA_pause.bmp", 24, 24, Look::Key, Mood::Normal, "@pause"},
    {"BMP/VGA_pause_over.bmp", 24, 24, Look::Key, Mood::Hover, "@pause"},
    {"BMP/VGA_slow.bmp", 24, 24, Look::Key, Mood::Normal, "@slow"},
    {"BMP/VGA_slow_over.bmp", 24, 24, Look::Key, Mood::Hover, "@slow"},
    {"BMP/VGA_play.bmp", 24, 24, Look::Key, Mood::Normal, "@play"},
    {"BMP/VGA_play_over.bmp", 24, 24, Look::Key, Mood::Hover, "@play"},
    // Remote keys: the same keys of the QVGA families
    {"BMP/QVGA_stop_recording.bmp", 18, 18, Look::Key, Mood::Normal, "@stoprec"},
    {"BMP/QVGA_stop_recording_over.bmp", 18, 18, Look::Key, Mood::Hover, "@stoprec"},
    {"BMP/QVGA_recording.bmp", 18, 18, Look::Key, Mood::Normal, "@rec"},
    {"BMP/QVGA_recording_over.bmp", 18, 18, Look::Key, Mood::Hover, "@rec"},
    {"BMP/room.bmp", 18, 18, Look::Key, Mood::Normal, "@zoom"},
    {"BMP/room_a.bmp", 18, 18, Look::Key, Mood::Hover, "@zoom"},
    {"BMP/select.bmp", 18, 18, Look::Key, Mood::Normal, "@select"},
    {"BMP/select_a.bmp", 18, 18, Look::Key, Mood::Hover, "@select"},
    {"BMP/lock.bmp", 18, 18, Look::Key, Mood::Normal, "@lock"},
    {"BMP/lock_a.bmp", 18, 18, Look::Key, Mood::Hover, "@lock"},
    {"BMP/search.bmp", 18, 18, Look::Key, Mood::Normal, "@search"},
    {"BMP/search_a.bmp", 18, 18, Look::Key, Mood::Hover, "@search"},
    {"BMP/QVGA_stop.bmp", 24, 24, Look::Key, Mood::Normal, "@stop"},
    {"BMP/QVGA_stop_a.bmp", 24, 24, Look::Key, Mood::Hover, "@stop"},
    {"BMP/QVGA_rew.bmp", 24, 24, Look::Key, Mood::Normal, "@rew"},
    {"BMP/QVGA_rew_a.bmp", 24, 24, Look::Key, Mood::Hover, "@rew"},
    {"BMP/QVGA_fast.bmp", 24, 24, Look::Key, Mood::Normal, "@ff"},
    {"BMP/QVGA_fast_a.bmp", 24, 24, Look::Key, Mood::Hover, "@ff"},
    {"BMP/QVGA_pause.bmp", 24, 24, Look::Key, Mood::Normal, "@pause"},
    {"BMP/QVGA_pause_a.bmp", 24, 24, Look::Key, Mood::Hover, "@pause"},
    {"BMP/QVGA_slow.bmp", 24, 24, Look::Key, Mood::Normal, "@slow"},
    {"BMP/QVGA_slow_a.bmp", 24, 24, Look::Key, Mood::Hover, "@slow"},
    {"BMP/QVGA_play.bmp", 24, 24, Look::Key, Mood::Normal, "@play"},
    {"BMP/QVGA_play_a.bmp", 24, 24, Look::Key, Mood::Hover, "@play"},
    // Remote keys: joystick per family, plain and turbo (MENU has no turbo image)
    {"BMP/N_VGA_LEFT.bmp", 21, 23, Look::Key, Mood::Normal, "@left"},
    {"BMP/N_VGA_LEFT_OVER.bmp", 21, 23, Look::Key, Mood::Hover, "@left"},
    {"BMP/N_VGA_UP.bmp", 21, 18, Look::Key, Mood::Normal, "@up"},
    {"BMP/N_VGA_UP_OVER.bmp", 21, 18, Look::Key, Mood::Hover, "@up"},
    {"BMP/N_VGA_MENU.bmp", 21, 23, Look::Key, Mood::Normal, "@menu"},
    {"BMP/N_VGA_MENU_OVER.bmp", 21, 23, Look::Key, Mood::Hover, "@menu"},
    {"BMP/N_VGA_DOWN.bmp", 21, 18, Look::Key, Mood::Normal, "@down"},
    {"BMP/N_VGA_DOWN_OVER.bmp", 21, 18, Look::Key, Mood::Hover, "@down"},
    {"BMP/N_VGA_RIGHT.bmp", 18, 23, Look::Key, Mood::Normal, "@right"},
    {"BMP/N_VGA_RIGHT_OVER.bmp", 18, 23, Look::Key, Mood::Hover, "@right"},
    {"BMP/N_VGA_LEFT_TURBO.bmp", 21, 23, Look::Key, Mood::Turbo, "@left"},
    {"BMP/N_VGA_LEFT_TURBO_OVER.bmp", 21, 23, Look::Key, Mood::TurboHover, "@left"},
    {"BMP/N_VGA_UP_TURBO.bmp", 21, 18, Look::Key, Mood::Turbo, "@up"},
    {"BMP/N_VGA_UP_TURBO_OVER.bmp", 21, 18, Look::Key, Mood::TurboHover, "@up"},
    {"BMP/N_VGA_DOWN_TURBO.bmp", 21, 18, Look::Key, Mood::Turbo, "@down"},
    {"BMP/N_VGA_DOWN_TURBO_OVER.bmp", 21, 18, Look::Key, Mood::TurboHover, "@down"},
    {"BMP/N_VGA_RIGHT_TURBO.bmp", 18, 23, Look::Key, Mood::Turbo, "@right"},
    {"BMP/N_VGA_RIGHT_TURBO_OVER.bmp", 18, 23, Look::Key, Mood::TurboHover, "@right"},
    {"BMP/N_QVGA_LEFT.bmp", 21, 23, Look::Key, Mood::Normal, "@left"},
    {"BMP/N_QVGA_LEFT_OVER.bmp", 21, 23, Look::Key, Mood::Hover, "@left"},
    {"BMP/N_QVGA_UP.bmp", 21, 18, Look::Key, Mood::Normal, "@up"},
    {"BMP/N_QVGA_UP_OVER.bmp", 21, 18, Look::Key, Mood::Hover, "@up"},
    {"BMP/N_QVGA_MENU.bmp", 21, 23, Look::Key, Mood::Normal, "@menu"},
    {"BMP/N_QVGA_MENU_OVER.bmp", 21, 23, Look::Key, Mood::Hover, "@menu"},
    {"BMP/N_QVGA_DOWN.bmp", 21, 18, Look::Key, Mood::Normal, "@down"},
    {"BMP/N_QVGA_DOWN_OVER.bmp", 21, 18, Look::Key, Mood::Hover, "@down"},
    {"BMP/N_QVGA_RIGHT.bmp", 17, 23, Look::Key, Mood::Normal, "@right"},
    {"BMP/N_QVGA_RIGHT_OVER.bmp", 17, 23, Look::Key, Mood::Hover, "@right"},
    {"BMP/N_QVGA_LEFT_TURBO.bmp", 21, 23, Look::Key, Mood::Turbo, "@left"},
    {"BMP/N_QVGA_LEFT_TURBO_OVER.bmp", 21, 23, Look::Key, Mood::TurboHover, "@left"},
    {"BMP/N_QVGA_UP_TURBO.bmp", 21, 18, Look::Key, Mood::Turbo, "@up"},
    {"BMP/N_QVGA_UP_TURBO_OVER.bmp", 21, 18, Look::Key, Mood::TurboHover, "@up"},
    {"BMP/N_QVGA_DOWN_TURBO.bmp", 21, 18, Look::Key, Mood::Turbo, "@down"},
    {"BMP/N_QVGA_DOWN_TURBO_OVER.bmp", 21, 18, Look::Key, Mood::TurboHover, "@down"},
    {"BMP/N_QVGA_RIGHT_TURBO.bmp", 17, 23, Look::Key, Mood::Turbo, "@right"},
    {"BMP/N_QVGA_RIGHT_TURBO_OVER.bmp", 17, 23, Look::Key, Mood::TurboHover, "@right"},
    {"BMP/P_VGA_LEFT.bmp", 21, 23, Look::Key, Mood::Normal, "@left"},
    {"BMP/P_VGA_LEFT_OVER.bmp", 21, 23, Look::Key, Mood::Hover, "@left"},
    {"BMP/P_VGA_UP.bmp", 21, 18, Look::Key, Mood::Normal, "@up"},
    {"BMP/P_VGA_UP_OVER.bmp", 21, 18, Look::Key, Mood::Hover, "@up"},
    {"BMP/P_VGA_MENU.bmp", 21, 23, Look::Key, Mood::Normal, "@menu"},
    {"BMP/P_VGA_MENU_OVER.bmp", 21, 23, Look::Key, Mood::Hover, "@menu"},
    {"BMP/P_VGA_DOWN.bmp", 21, 18, Look::Key, Mood::Normal, "@down"},
    {"BMP/P_VGA_DOWN_OVER.bmp", 21, 18, Look::Key, Mood::Hover, "@down"},
    {"BMP/P_VGA_RIGHT.bmp", 18, 23, Look::Key, Mood::Normal, "@right"},
    {"BMP/P_VGA_RIGHT_OVER.bmp", 18, 23, Look::Key, Mood::Hover, "@right"},
    {"BMP/P_VGA_LEFT_TURBO.bmp", 21, 23, Look::Key, Mood::Turbo, "@left"},
    {"BMP/P_VGA_LEFT_TURBO_OVER.bmp", 21, 23, Look::Key, Mood::TurboHover, "@left"},
    {"BMP/P_VGA_UP_TURBO.bmp", 21, 18, Look::Key, Mood::Turbo, "@up"},
    {"BMP/P_VGA_UP_TURBO_OVER.bmp", 21, 18, Look::Key, Mood::TurboHover, "@up"},
    {"BMP/P_VGA_DOWN_TURBO.bmp", 21, 18, Look::Key, Mood::Turbo, "@down"},
    {"BMP/P_VGA_DOWN_TURBO_OVER.bmp", 21, 18, Look::Key, Mood::TurboHover, "@down"},
    {"BMP/P_VGA_RIGHT_TURBO.bmp", 18, 23, Look::Key, Mood::Turbo, "@right"},
    {"BMP/P_VGA_RIGHT_TURBO_OVER.bmp", 18, 23, Look::Key, Mood::TurboHover, "@right"},
    {"BMP/P_QVGA_LEFT.bmp", 21, 23, Look::Key, Mood::Normal, "@left"},
    {"BMP/P_QVGA_LEFT_OVER.bmp", 21, 23, Look::Key, Mood::Hover, "@left"},
    {"BMP/P_QVGA_UP.bmp", 21, 18, Look::Key, Mood::Normal, "@up"},
    {"BMP/P_QVGA_UP_OVER.bmp", 21, 18, Look::Key, Mood::Hover, "@up"},
    {"BMP/P_QVGA_MENU.bmp", 21, 23, Look::Key, Mood::Normal, "@menu"},
    {"BMP/P_QVGA_MENU_OVER.bmp", 21, 23, Look::Key, Mood::Hover, "@menu"},
    {"BMP/P_QVGA_DOWN.bmp", 21, 18, Look::Key, Mood::Normal, "@down"},
    {"BMP/P_QVGA_DOWN_OVER.bmp", 21, 18, Look::Key, Mood::Hover, "@down"},
    {"BMP/P_QVGA_RIGHT.bmp", 18, 21, Look::Key, Mood::Normal, "@right"},
    {"BMP/P_QVGA_RIGHT_OVER.bmp", 18, 21, Look::Key, Mood::Hover, "@right"},
    {"BMP/P_QVGA_LEFT_TURBO.bmp", 21, 23, Look::Key, Mood::Turbo, "@left"},
    {"BMP/P_QVGA_LEFT_TURBO_OVER.bmp", 21, 23, Look::Key, Mood::TurboHover, "@left"},
    {"BMP/P_QVGA_UP_TURBO.bmp", 21, 18, Look::Key, Mood::Turbo, "@up"},
    {"BMP/P_QVGA_UP_TURBO_OVER.bmp", 21, 18, Look::Key, Mood::TurboHover, "@up"},
    {"BMP/P_QVGA_DOWN_TURBO.bmp", 21, 18, Look::Key, Mood::Turbo, "@down"},
    {"BMP/P_QVGA_DOWN_TURBO_OVER.bmp", 21, 18, Look::Key, Mood::TurboHover, "@down"},
    {"BMP/P_QVGA_RIGHT_TURBO.bmp", 18, 21, Look::Key, Mood::Turbo, "@right"},
    {"BMP/P_QVGA_RIGHT_TURBO_OVER.bmp", 18, 21, Look::Key, Mood::TurboHover, "@right"},
    // Remote keys: two-state keys TURBO, PTZ control, R.E.T.R. (off, then on) and ACTION/PRESET
    {"BMP/tubro_close.bmp", 14, 14, Look::Key, Mood::Normal, "@turbo"},
    {"BMP/tubro_close_over.bmp", 14, 14, Look::Key, Mood::Hover, "@turbo"},
    {"BMP/tubro.bmp", 14, 14, Look::Key, Mood::On, "@turbo"},
    {"BMP/tubro_over.bmp", 14, 14, Look::Key, Mood::OnHover, "@turbo"},
    {"BMP/ptz_off.bmp", 14, 14, Look::Key, Mood::Normal, "P"},
    {"BMP/ptz_off_over.bmp", 14, 14, Look::Key, Mood::Hover, "P"},
    {"BMP/ptz_on.bmp", 14, 14, Look::Key, Mood::On, "P"},
    {"BMP/ptz_on_over.bmp", 14, 14, Look::Key, Mood::OnHover, "P"},
    {"BMP/alarm_enable_close.bmp", 14, 14, Look::Key, Mood::Normal, "@bell"},
    {"BMP/alarm_enable_close_over.bmp", 14, 14, Look::Key, Mood::Hover, "@bell"},
    {"BMP/alarm_enable.bmp", 14, 14, Look::Key, Mood::On, "@bell"},
    {"BMP/alarm_enable_over.bmp", 14, 14, Look::Key, Mood::OnHover, "@bell"},
    {"BMP/ptz_action.bmp", 32, 18, Look::Key, Mood::Normal, "ACTION"},
    {"BMP/ptz_preset.bmp", 32, 18, Look::Key, Mood::On, "PRESET"},
    // Remote keys: continuous zoom, digital zoom, sequence
    {"BMP/zoom_in_max.bmp", 19, 18, Look::Key, Mood::Normal, "@zoommax"},
    {"BMP/zoom_in_max_a.bmp", 19, 18, Look::Key, Mood::Hover, "@zoommax"},
    {"BMP/zoom_out_max.bmp", 19, 18, Look::Key, Mood::Normal, "@zoommin"},
    {"BMP/zoom_out_max_a.bmp", 19, 18, Look::Key, Mood::Hover, "@zoommin"},
    {"BMP/digital_zoom.bmp", 18, 18, Look::Key, Mood::Normal, "@dzoom"},
    {"BMP/digital_zoom_over.bmp", 18, 18, Look::Key, Mood::Hover, "@dzoom"},
    {"BMP/sequence.bmp", 18, 18, Look::Key, Mood::Normal, "@seq"},
    {"BMP/sequence_over.bmp", 18, 18, Look::Key, Mood::Hover, "@seq"},
    // Function bar: allowed pictures, then the refused "_n" pictures
    {"BMP/link.bmp", 26, 26, Look::ToolButton, Mood::Normal, "@link"},
    {"BMP/link_over.bmp", 26, 26, Look::ToolButton, Mood::Hover, "@link"},
    {"BMP/link_off.bmp", 26, 26, Look::ToolButton, Mood::Normal, "@unlink"},
    {"BMP/link_off_over.bmp", 26, 26, Look::ToolButton, Mood::Hover, "@unlink"},
    {"BMP/qvga.bmp", 26, 26, Look::ToolButton, Mood::Normal, "QVGA"},
    {"BMP/qvga_over.bmp", 26, 26, Look::ToolButton, Mood::Hover, "QVGA"},
    {"BMP/vga.bmp", 26, 26, Look::ToolButton, Mood::Normal, "VGA"},
    {"BMP/vga_over.bmp", 26, 26, Look::ToolButton, Mood::Hover, "VGA"},
    {"BMP/high.bmp", 26, 26, Look::ToolButton, Mood::Normal, "HIGH"},
    {"BMP/high_over.bmp", 26, 26, Look::ToolButton, Mood::Hover, "HIGH"},
    {"BMP/mid.bmp", 26, 26, Look::ToolButton, Mood::Normal, "MID"},
    {"BMP/mid_over.bmp", 26, 26, Look::ToolButton, Mood::Hover, "MID"},
    {"BMP/low.bmp", 26, 26, Look::ToolButton, Mood::Normal, "LOW"},
    {"BMP/low_over.bmp", 26, 26, Look::ToolButton, Mood::Hover, "LOW"},
    {"BMP/Image_Quality.bmp", 26, 26, Look::ToolButton, Mood::Normal, "@colour"},
    {"BMP/Image_Quality_over.bmp", 26, 26, Look::ToolButton, Mood::Hover, "@colour"},
    {"BMP/snapshoot.bmp", 26, 26, Look::ToolButton, Mood::Normal, "@camera"},
    {"BMP/snapshoot_over.bmp", 26, 26, Look::ToolButton, Mood::Hover, "@camera"},
    {"BMP/snapshoot_down.bmp", 26, 26, Look::ToolButton, Mood::Pressed, "@camera"},
    {"BMP/Record_Button.bmp", 26, 26, Look::ToolButton, Mood::Normal, "@rec"},
    {"BMP/Record_Button_over.bmp", 26, 26, Look::ToolButton, Mood::Hover, "@rec"},
    {"BMP/Recording_Button.bmp", 26, 26, Look::ToolButton, Mood::On, "@rec"},
    {"BMP/Recording_Button_over.bmp", 26, 26, Look::ToolButton, Mood::OnHover, "@rec"},
    {"BMP/system_setting.bmp", 26, 26, Look::ToolButton, Mood::Normal, "@gear"},
    {"BMP/system_setting_over.bmp", 26, 26, Look::ToolButton, Mood::Hover, "@gear"},
    {"BMP/link_n.bmp", 26, 26, Look::ToolButton, Mood::Disabled, "@link"},
    {"BMP/link_off_n.bmp", 26, 26, Look::ToolButton, Mood::Disabled, "@unlink"},
    {"BMP/qvga_n.bmp", 26, 26, Look::ToolButton, Mood::Disabled, "QVGA"},
    {"BMP/vga_n.bmp", 26, 26, Look::ToolButton, Mood::Disabled, "VGA"},
    {"BMP/high_n.bmp", 26, 26, Look::ToolButton, Mood::Disabled, "HIGH"},
    {"BMP/mid_n.bmp", 26, 26, Look::ToolButton, Mood::Disabled, "MID"},
    {"BMP/low_n.bmp", 26, 26, Look::ToolButton, Mood::Disabled, "LOW"},
    {"BMP/Image_Quality_n.bmp", 26, 26, Look::ToolButton, Mood::Disabled, "@colour"},
    {"BMP/snapshoot_n.bmp", 26, 26, Look::ToolButton, Mood::Disabled, "@camera"},
    {"BMP/Record_Button_n.bmp", 26, 26, Look::ToolButton, Mood::Disabled, "@rec"},
    {"BMP/system_setting_n.bmp", 26, 26, Look::ToolButton, Mood::Disabled, "@gear"},
    // Channel bar: "Enable" marks the shown channel, "Disable" the others; page arrows
    {"BMP/Channel_dvr_Enable.bmp", 40, 28, Look::ChannelTab, Mood::On, "DVR"},
    {"BMP/Channel_dvr_Enable_over.bmp", 40, 28, Look::ChannelTab, Mood::OnHover, "DVR"},
    {"BMP/Channel_dvr_Disable.bmp", 40, 28, Look::ChannelTab, Mood::Normal, "DVR"},
    {"BMP/Channel_dvr_Disable_over.bmp", 40, 28, Look::ChannelTab, Mood::Hover, "DVR"},
    {"BMP/Channel_1_Enable.bmp", 35, 28, Look::ChannelTab, Mood::On, "1"},
    {"BMP/Channel_1_Enable_over.bmp", 35, 28, Look::ChannelTab, Mood::OnHover, "1"},
    {"BMP/Channel_1_Disable.bmp", 35, 28, Look::ChannelTab, Mood::Normal, "1"},
    {"BMP/Channel_1_Disable_over.bmp", 35, 28, Look::ChannelTab, Mood::Hover, "1"},
    {"BMP/Channel_2_Enable.bmp", 35, 28, Look::ChannelTab, Mood::On, "2"},
    {"BMP/Channel_2_Enable_over.bmp", 35, 28, Look::ChannelTab, Mood::OnHover, "2"},
    {"BMP/Channel_2_Disable.bmp", 35, 28, Look::ChannelTab, Mood::Normal, "2"},
    {"BMP/Channel_2_Disable_over.bmp", 35, 28, Look::ChannelTab, Mood::Hover, "2"},
    {"BMP/Channel_3_Enable.bmp", 35, 28, Look::ChannelTab, Mood::On, "3"},
    {"BMP/Channel_3_Enable_over.bmp", 35, 28, Look::ChannelTab, Mood::OnHover, "3"},
    {"BMP/Channel_3_Disable.bmp", 35, 28, Look::ChannelTab, Mood::Normal, "3"},
    {"BMP/Channel_3_Disable_over.bmp", 35, 28, Look::ChannelTab, Mood::Hover, "3"},
    {"BMP/Channel_4_Enable.bmp", 35, 28, Look::ChannelTab, Mood::On, "4"},
    {"BMP/Channel_4_Enable_over.bmp", 35, 28, Look::ChannelTab, Mood::OnHover, "4"},
    {"BMP/Channel_4_Disable.bmp", 35, 28, Look::ChannelTab, Mood::Normal, "4"},
    {"BMP/Channel_4_Disable_over.bmp", 35, 28, Look::ChannelTab, Mood::Hover, "4"},
    {"BMP/Channel_5_Enable.bmp", 35, 28, Look::ChannelTab, Mood::On, "5"},
    {"BMP/Channel_5_Enable_over.bmp", 35, 28, Look::ChannelTab, Mood::OnHover, "5"},
    {"BMP/Channel_5_Disable.bmp", 35, 28, Look::ChannelTab, Mood::Normal, "5"},
    {"BMP/Channel_5_Disable_over.bmp", 35, 28, Look::ChannelTab, Mood::Hover, "5"},
    {"BMP/Channel_6_Enable.bmp", 35, 28, Look::ChannelTab, Mood::On, "6"},
    {"BMP/Channel_6_Enable_over.bmp", 35, 28, Look::ChannelTab, Mood::OnHover, "6"},
    {"BMP/Channel_6_Disable.bmp", 35, 28, Look::ChannelTab, Mood::Normal, "6"},
    {"BMP/Channel_6_Disable_over.bmp", 35, 28, Look::ChannelTab, Mood::Hover, "6"},
    {"BMP/Channel_7_Enable.bmp", 35, 28, Look::ChannelTab, Mood::On, "7"},
    {"BMP/Channel_7_Enable_over.bmp", 35, 28, Look::ChannelTab, Mood::OnHover, "7"},
    {"BMP/Channel_7_Disable.bmp", 35, 28, Look::ChannelTab, Mood::Normal, "7"},
    {"BMP/Channel_7_Disable_over.bmp", 35, 28, Look::ChannelTab, Mood::Hover, "7"},
    {"BMP/Channel_8_Enable.bmp", 35, 28, Look::ChannelTab, Mood::On, "8"},
    {"BMP/Channel_8_Enable_over.bmp", 35, 28, Look::ChannelTab, Mood::OnHover, "8"},
    {"BMP/Channel_8_Disable.bmp", 35, 28, Look::ChannelTab, Mood::Normal, "8"},
    {"BMP/Channel_8_Disable_over.bmp", 35, 28, Look::ChannelTab, Mood::Hover, "8"},
    {"BMP/Channel_9_Enable.bmp", 35, 28, Look::ChannelTab, Mood::On, "9"},
    {"BMP/Channel_9_Enable_over.bmp", 35, 28, Look::ChannelTab, Mood::OnHover, "9"},
    {"BMP/Channel_9_Disable.bmp", 35, 28, Look::ChannelTab, Mood::Normal, "9"},
    {"BMP/Channel_9_Disable_over.bmp", 35, 28, Look::ChannelTab, Mood::Hover, "9"},
    {"BMP/Channel_10_Enable.bmp", 35, 28, Look::ChannelTab, Mood::On, "10"},
    {"BMP/Channel_10_Enable_over.bmp", 35, 28, Look::ChannelTab, Mood::OnHover, "10"},
    {"BMP/Channel_10_Disable.bmp", 35, 28, Look::ChannelTab, Mood::Normal, "10"},
    {"BMP/Channel_10_Disable_over.bmp", 35, 28, Look::ChannelTab, Mood::Hover, "10"},
    {"BMP/Channel_11_Enable.bmp", 35, 28, Look::ChannelTab, Mood::On, "11"},
    {"BMP/Channel_11_Enable_over.bmp", 35, 28, Look::ChannelTab, Mood::OnHover, "11"},
    {"BMP/Channel_11_Disable.bmp", 35, 28, Look::ChannelTab, Mood::Normal, "11"},
    {"BMP/Channel_11_Disable_over.bmp", 35, 28, Look::ChannelTab, Mood::Hover, "11"},
    {"BMP/Channel_12_Enable.bmp", 35, 28, Look::ChannelTab, Mood::On, "12"},
    {"BMP/Channel_12_Enable_over.bmp", 35, 28, Look::ChannelTab, Mood::OnHover, "12"},
    {"BMP/Channel_12_Disable.bmp", 35, 28, Look::ChannelTab, Mood::Normal, "12"},
    {"BMP/Channel_12_Disable_over.bmp", 35, 28, Look::ChannelTab, Mood::Hover, "12"},
    {"BMP/Channel_13_Enable.bmp", 35, 28, Look::ChannelTab, Mood::On, "13"},
    {"BMP/Channel_13_Enable_over.bmp", 35, 28, Look::ChannelTab, Mood::OnHover, "13"},
    {"BMP/Channel_13_Disable.bmp", 35, 28, Look::ChannelTab, Mood::Normal, "13"},
    {"BMP/Channel_13_Disable_over.bmp", 35, 28, Look::ChannelTab, Mood::Hover, "13"},
    {"BMP/Channel_14_Enable.bmp", 35, 28, Look::ChannelTab, Mood::On, "14"},
    {"BMP/Channel_14_Enable_over.bmp", 35, 28, Look::ChannelTab, Mood::OnHover, "14"},
    {"BMP/Channel_14_Disable.bmp", 35, 28, Look::ChannelTab, Mood::Normal, "14"},
    {"BMP/Channel_14_Disable_over.bmp", 35, 28, Look::ChannelTab, Mood::Hover, "14"},
    {"BMP/Channel_15_Enable.bmp", 35, 28, Look::ChannelTab, Mood::On, "15"},
    {"BMP/Channel_15_Enable_over.bmp", 35, 28, Look::ChannelTab, Mood::OnHover, "15"},
    {"BMP/Channel_15_Disable.bmp", 35, 28, Look::ChannelTab, Mood::Normal, "15"},
    {"BMP/Channel_15_Disable_over.bmp", 35, 28, Look::ChannelTab, Mood::Hover, "15"},
    {"BMP/Channel_16_Enable.bmp", 35, 28, Look::ChannelTab, Mood::On, "16"},
    {"BMP/Channel_16_Enable_over.bmp", 35, 28, Look::ChannelTab, Mood::OnHover, "16"},
    {"BMP/Channel_16_Disable.bmp", 35, 28, Look::ChannelTab, Mood::Normal, "16"},
    {"BMP/Channel_16_Disable_over.bmp", 35, 28, Look::ChannelTab, Mood::Hover, "16"},
    {"BMP/Channel_Left.bmp", 9, 16, Look::ChannelArrow, Mood::Hover, "@left"},
    {"BMP/Channel_Left_Down.bmp", 9, 16, Look::ChannelArrow, Mood::Normal, "@left"},
    {"BMP/Channel_Right.bmp", 9, 16, Look::ChannelArrow, Mood::Hover, "@right"},
    {"BMP/Channel_Right_Down.bmp", 9, 16, Look::ChannelArrow, Mood::Normal, "@right"},
    // Colour window: frame pieces (cut from the whole frame), logo, buttons, row labels
    {"BMP/TitleLeft.bmp", 10, 32, Look::ColourFrame, Mood::Normal, "", 0, 0},
    {"BMP/TitleRight.bmp", 10, 32, Look::ColourFrame, Mood::Normal, "", 294, 0},
    {"BMP/TilteBar_ess.bmp", 284, 32, Look::ColourFrame, Mood::Normal, "", 10, 0},
    {"BMP/LeftSide_ess.bmp", 10, 151, Look::ColourFrame, Mood::Normal, "", 0, 32},
    {"BMP/RightSide_ess.bmp", 10, 151, Look::ColourFrame, Mood::Normal, "", 294, 32},
    {"BMP/BottomLeft.bmp", 10, 13, Look::ColourFrame, Mood::Normal, "", 0, 183},
    {"BMP/BottomRight.bmp", 10, 13, Look::ColourFrame, Mood::Normal, "", 294, 183},
    {"BMP/Bottom_ess.bmp", 284, 13, Look::ColourFrame, Mood::Normal, "", 10, 183},
    {"BMP/Player_Logo.bmp", 21, 15, Look::Logo, Mood::Normal, ""},
    {"BMP/Dialog_ok.bmp", 44, 25, Look::DialogButton, Mood::Normal, "OK"},
    {"BMP/Dialog_ok_over.bmp", 44, 25, Look::DialogButton, Mood::Hover, "OK"},
    {"BMP/Dialog_apply.bmp", 88, 25, Look::DialogButton, Mood::Normal, "Apply"},
    {"BMP/Dialog_apply_over.bmp", 88, 25, Look::DialogButton, Mood::Hover, "Apply"},
    {"BMP/Dialog_default.bmp", 88, 25, Look::DialogButton, Mood::Normal, "Default"},
    {"BMP/Dialog_default_over.bmp", 88, 25, Look::DialogButton, Mood::Hover, "Default"},
    {"BMP/Dialog_Brightness.bmp", 20, 20, Look::DialogLabel, Mood::Normal, "@sun"},
    {"BMP/Dialog_Contrast.bmp", 20, 20, Look::DialogLabel, Mood::Normal, "@contrast"},
    {"BMP/Dialog_Hue.bmp", 20, 20, Look::DialogLabel, Mood::Normal, "@hue"},
    // Camera-sensor tool bar: background, frame-mode buttons (UP off, DOWN on), mirror buttons
    {"BMP/CMOS/ToolBarBG.bmp", 45, 300, Look::CmosBackground, Mood::Normal, ""},
    {"BMP/CMOS/FullFrame_UP.bmp", 30, 30, Look::CmosButton, Mood::Normal, "@full"},
    {"BMP/CMOS/FullFrame_DOWN.bmp", 30, 30, Look::CmosButton, Mood::On, "@full"},
    {"BMP/CMOS/QFrame_LT_UP.bmp", 30, 30, Look::CmosButton, Mood::Normal, "@qlt"},
    {"BMP/CMOS/QFrame_LT_DOWN.bmp", 30, 30, Look::CmosButton, Mood::On, "@qlt"},
    {"BMP/CMOS/QFrame_RT_UP.bmp", 30, 30, Look::CmosButton, Mood::Normal, "@qrt"},
    {"BMP/CMOS/QFrame_RT_DOWN.bmp", 30, 30, Look::CmosButton, Mood::On, "@qrt"},
    {"BMP/CMOS/QFrame_LB_UP.bmp", 30, 30, Look::CmosButton, Mood::Normal, "@qlb"},
    {"BMP/CMOS/QFrame_LB_DOWN.bmp", 30, 30, Look::CmosButton, Mood::On, "@qlb"},
    {"BMP/CMOS/QFrame_RB_UP.bmp", 30, 30, Look::CmosButton, Mood::Normal, "@qrb"},
    {"BMP/CMOS/QFrame_RB_DOWN.bmp", 30, 30, Look::CmosButton, Mood::On, "@qrb"},
    {"BMP/CMOS/QFrame_CN_UP.bmp", 30, 30, Look::CmosButton, Mood::Normal, "@qcn"},
    {"BMP/CMOS/QFrame_CN_DOWN.bmp", 30, 30, Look::CmosButton, Mood::On, "@qcn"},
    {"BMP/CMOS/CMOS_HR_UP.bmp", 30, 30, Look::CmosButton, Mood::Normal, "@mirrorh"},
    {"BMP/CMOS/CMOS_HR_DOWN.bmp", 30, 30, Look::CmosButton, Mood::Pressed, "@mirrorh"},
    {"BMP/CMOS/CMOS_VR_UP.bmp", 30, 30, Look::CmosButton, Mood::Normal, "@mirrorv"},
    {"BMP/CMOS/CMOS_VR_DOWN.bmp", 30, 30, Look::CmosButton, Mood::Pressed, "@mirrorv"},
    // Login window: background and frame pieces (cut from the whole window at their place)
    {"BMP/LOGIN/spacer.bmp", 304, 341, Look::LoginFrame, Mood::Normal, "", 0, 0},
    {"BMP/LOGIN/left_top.bmp", 21, 34, Look::LoginFrame, Mood::Normal, "", 0, 0},
    {"BMP/LOGIN/right_top.bmp", 26, 34, Look::LoginFrame, Mood::Normal, "", 278, 0},
    {"BMP/LOGIN/left_down.bmp", 25, 22, Look::LoginFrame, Mood::Normal, "", 0, 319},
    {"BMP/LOGIN/right_down.bmp", 24, 22, Look::LoginFrame, Mood::Normal, "", 280, 319},
    {"BMP/LOGIN/top_middle1.bmp", 257, 12, Look::LoginFrame, Mood::Normal, "", 21, 0},
    {"BMP/LOGIN/top_middle2.bmp", 257, 22, Look::LoginFrame, Mood::Normal, "", 21, 12},
    {"BMP/LOGIN/left_middle.bmp", 21, 285, Look::LoginFrame, Mood::Normal, "", 0, 34},
    {"BMP/LOGIN/right_middle.bmp", 26, 285, Look::LoginFrame, Mood::Normal, "", 278, 34},
    {"BMP/LOGIN/down_middle.bmp", 255, 22, Look::LoginFrame, Mood::Normal, "", 25, 319},
    // Login window: progress block, version digits
    {"BMP/LOGIN/running.bmp", 20, 12, Look::LoginProgress, Mood::Normal, ""},
    {"BMP/LOGIN/login_0.bmp", 10, 20, Look::LoginDigit, Mood::Normal, "0"},
    {"BMP/LOGIN/login_1.bmp", 10, 20, Look::LoginDigit, Mood::Normal, "1"},
    {"BMP/LOGIN/login_2.bmp", 10, 20, Look::LoginDigit, Mood::Normal, "2"},
    {"BMP/LOGIN/login_3.bmp", 10, 20, Look::LoginDigit, Mood::Normal, "3"},
    {"BMP/LOGIN/login_4.bmp", 10, 20, Look::LoginDigit, Mood::Normal, "4"},
    {"BMP/LOGIN/login_5.bmp", 10, 20, Look::LoginDigit, Mood::Normal, "5"},
    {"BMP/LOGIN/login_6.bmp", 10, 20, Look::LoginDigit, Mood::Normal, "6"},
    {"BMP/LOGIN/login_7.bmp", 10, 20, Look::LoginDigit, Mood::Normal, "7"},
    {"BMP/LOGIN/login_8.bmp", 10, 20, Look::LoginDigit, Mood::Normal, "8"},
    {"BMP/LOGIN/login_9.bmp", 10, 20, Look::LoginDigit, Mood::Normal, "9"},
    {"BMP/LOGIN/login_point.bmp", 10, 20, Look::LoginDigit, Mood::Normal, "."},
    // Login window: tool buttons, Connect and Cancel, edit labels
    {"BMP/LOGIN/address.bmp", 34, 34, Look::LoginButton, Mood::Normal, "@book"},
    {"BMP/LOGIN/address_over.bmp", 34, 34, Look::LoginButton, Mood::Hover, "@book"},
    {"BMP/LOGIN/address_down.bmp", 34, 34, Look::LoginButton, Mood::Pressed, "@book"},
    {"BMP/LOGIN/search.bmp", 34, 34, Look::LoginButton, Mood::Normal, "@search"},
    {"BMP/LOGIN/search_over.bmp", 34, 34, Look::LoginButton, Mood::Hover, "@search"},
    {"BMP/LOGIN/search_down.bmp", 34, 34, Look::LoginButton, Mood::Pressed, "@search"},
    {"BMP/LOGIN/player.bmp", 34, 34, Look::LoginButton, Mood::Normal, "@play"},
    {"BMP/LOGIN/player_over.bmp", 34, 34, Look::LoginButton, Mood::Hover, "@play"},
    {"BMP/LOGIN/player_down.bmp", 34, 34, Look::LoginButton, Mood::Pressed, "@play"},
    {"BMP/LOGIN/copy.bmp", 34, 34, Look::LoginButton, Mood::Normal, "@copy"},
    {"BMP/LOGIN/copy_over.bmp", 34, 34, Look::LoginButton, Mood::Hover, "@copy"},
    {"BMP/LOGIN/copy_down.bmp", 34, 34, Look::LoginButton, Mood::Pressed, "@copy"},
    {"BMP/LOGIN/download.BMP", 34, 34, Look::LoginButton, Mood::Normal, "@upgrade"},
    {"BMP/LOGIN/download_over.bmp", 34, 34, Look::LoginButton, Mood::Hover, "@upgrade"},
    {"BMP/LOGIN/download_down.bmp", 34, 34, Look::LoginButton, Mood::Pressed, "@upgrade"},
    {"BMP/LOGIN/enter.bmp", 32, 32, Look::LoginButton, Mood::Normal, "@connect"},
    {"BMP/LOGIN/enter_over.bmp", 32, 32, Look::LoginButton, Mood::Hover, "@connect"},
    {"BMP/LOGIN/enter_down.bmp", 32, 32, Look::LoginButton, Mood::Pressed, "@connect"},
    {"BMP/LOGIN/cancel.bmp", 32, 32, Look::LoginButton, Mood::Normal, "@cancel"},
    {"BMP/LOGIN/cancel_over.bmp", 32, 32, Look::LoginButton, Mood::Hover, "@cancel"},
    {"BMP/LOGIN/cancel_down.bmp", 32, 32, Look::LoginButton, Mood::Pressed, "@cancel"},
    {"BMP/LOGIN/name.BMP", 28, 28, Look::LoginLabel, Mood::Normal, "@user"},
    {"BMP/LOGIN/password.BMP", 28, 28, Look::LoginLabel, Mood::Normal, "@key"},
    {"BMP/LOGIN/ip.BMP", 28, 28, Look::LoginLabel, Mood::Normal, "@globe"},
    {"BMP/LOGIN/port.BMP", 28, 28, Look::LoginLabel, Mood::Normal, "@plug"},
};
// clang-format on

inline constexpr std::size_t kSkinBitmapCount = sizeof(kSkinBitmaps) / sizeof(kSkinBitmaps[0]);

// Test skins give every bitmap its own solid colour (0xRRGGBB), so a test can tell from a
// pixel which file a window shows. Multiplying by an odd number is one-to-one on 24 bits,
// so no two bitmaps share a colour.
constexpr uint32_t TestColourAt(std::size_t index) {
    return static_cast<uint32_t>((0x204060 + (index + 1) * 0x9E3779) & 0xFFFFFF);
}

// True when `a` and `b` name the same file: letter case and "\" or "/" do not matter.
constexpr bool SameSkinFile(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char ca = a[i] == '\\' ? '/' : a[i];
        char cb = b[i] == '\\' ? '/' : b[i];
        if (ca >= 'A' && ca <= 'Z') ca = static_cast<char>(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z') cb = static_cast<char>(cb - 'A' + 'a');
        if (ca != cb) return false;
    }
    return true;
}

// The table index of the file a window names ("BMP\ch1.bmp"), if the skin has it.
constexpr std::optional<std::size_t> FindSkinBitmap(std::string_view file) {
    for (std::size_t i = 0; i < kSkinBitmapCount; ++i) {
        if (SameSkinFile(kSkinBitmaps[i].file, file)) return i;
    }
    return std::nullopt;
}

// The test colour of the file a window names, if the skin has it.
constexpr std::optional<uint32_t> TestColourOf(std::string_view file) {
    const std::optional<std::size_t> index = FindSkinBitmap(file);
    if (!index) return std::nullopt;
    return TestColourAt(*index);
}

}  // namespace ormidon::skin
