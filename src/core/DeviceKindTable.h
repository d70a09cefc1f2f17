#pragma once
// The device kinds that the remote-control panel can steer over RS-485: the connected
// recorder itself, a recorder on its bus, or a pan-tilt-zoom camera behind it. Each
// kind says which of the 68 remote keys it has, where each key sits in each bitmap
// family, which images and tooltip it wears and which command id its click sends.
//
// The table is built into the program. At start-up BindControlDevices gives each kind
// its RS-485 command set from CtrlFile.ini, and the main window's initialisation may
// clear the flags of a few keys; from then on it is only read.
#include <array>
#include <cstdint>

struct ControlDevice_Struct;

// The image and geometry variants of the main window, in the order of a key's four
// rectangles and four image groups. The family slot of a display mode is the mode
// modulo 6.
enum BitmapFamily : int { kFamilyNVga = 0, kFamilyNQvga = 1, kFamilyPVga = 2, kFamilyPQvga = 3 };
constexpr int kBitmapFamilyCount = 4;

constexpr int kRemoteKeyCount = 68;
constexpr int kDeviceKindCount = 26;
constexpr int kKeyBitmapCount = 12;  // three images for each of the four families

// A rectangle in main-window client pixels; right and bottom lie just outside it.
struct KeyRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
    friend constexpr bool operator==(const KeyRect&, const KeyRect&) = default;
};

// Flag bits of a remote key.
enum RemoteKeyFlag : uint16_t {
    kKeyEnabled = 0x1,              // enabled when shown; its images are loaded
    kKeyPresent = 0x2,              // placed and shown when the panel is open
    kKeyReloadPerFamily = 0x4,      // its images differ between families
    kKeyThirdImage = 0x10,          // shows its third image in every state (no kind sets it)
    kKeyAdminOnly = 0x20,           // shown only to user level 30
    kKeyRank30 = 0x40,              // shown only to a user class of rank 30 or more
    kKeyTooltipFirstHalf = 0x80,    // tooltip: text before "$" of the control id's string
    kKeyTooltipSecondHalf = 0x100,  // tooltip: text after "$"
    kKeyNoPelcoParams = 0x200,      // the RS-485 sender leaves the Pelco parameters out
};

enum RemoteKeyStyle : uint16_t { kKeyStylePush = 2, kKeyStyleTwoState = 64 };

// Kinds that the panel, the PTZ control and the RS-485 sender tell apart.
constexpr uint8_t kDeviceKindCamera = 0;
constexpr uint8_t kDeviceKindPtz = 8;
constexpr uint8_t kDeviceKindPtzSlave = 11;
constexpr uint8_t kDeviceKindPtzPelco = 18;
constexpr uint8_t kDeviceKindPtzPelcoD = 25;

// Class flag of a kind: the camera, which has no panel.
constexpr uint32_t kKindClassCamera = 0x2;

// One remote key of a kind; its position in the kind's array is its key code.
struct RemoteButton_Struct {
    KeyRect rcFamily[kBitmapFamilyCount];  // N_VGA, N_QVGA, P_VGA, P_QVGA
    uint16_t wFlags;
    uint16_t wTooltipId;  // string id of the tooltip when neither half flag is set
    // Per family (N_VGA, N_QVGA, P_VGA, P_QVGA): normal, hover, third image. A
    // two-state key uses entries 0-3 (N families) and 6-9 (P families) as state 0
    // normal, state 0 hover, state 1 normal, state 1 hover; the other four are null.
    const char* lpBitmapFiles[kKeyBitmapCount];
    uint16_t wStyle;
    uint16_t wControlId;  // window id of the key's button and the command it sends
    uint16_t wKeyCode;
};

struct DeviceKind_Struct {
    RemoteButton_Struct Buttons[kRemoteKeyCount];
    const char* lpName;  // matched, ignoring case, against the names of CtrlFile.ini
    uint32_t dwClassFlags;
    uint32_t dwKindNumber;               // the row index
    ControlDevice_Struct* lpCommandSet;  // null until BindControlDevices finds a match
};

using DeviceKindArray = std::array<DeviceKind_Struct, kDeviceKindCount>;

// The 26 kinds, indexed by the kind that control-device entries carry.
extern DeviceKindArray DeviceKindTable;

// The table as built into the program, before any binding or flag change.
DeviceKindArray BuildDeviceKindTable();

// True for a kind whose class flags mark the camera (no panel).
bool IsCameraKind(const DeviceKind_Struct& kind);
