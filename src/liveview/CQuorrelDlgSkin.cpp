// The main window's skin: backgrounds and icons, the pictures of its buttons per bitmap
// family, and the TURBO command, which gives the joystick, zoom and focus keys their
// turbo pictures.
#include <string>
#include <vector>

#include "core/AppObject.h"
#include "core/DisplayMode.h"
#include "core/TextHelpers.h"
#include "core/UserClassTable.h"
#include "liveview/CQuorrelDlg.h"
#include "liveview/SkinNames.h"
#include "platform/window/BitmapFile.h"
#include "platform/window/UiThread.h"
#include "widgets/CVtxButton.h"

namespace {

// Entry of the Power button (8311) in a user-class row.
constexpr int kUserClassPowerEntry = 8;
// The TURBO key, whose state shows the turbo mode.
constexpr int kTurboKey = 59;

// The image groups of a remote key: three names per family (normal, hover, third), and
// for a two-state key the quartet of the N families in entries 0-3, of the P families
// in entries 6-9.
constexpr int kPFamilyQuartet = 6;

bool IsPFamily(BitmapFamily family) { return family == kFamilyPVga || family == kFamilyPQvga; }

int LoadPushSet(CVtxButton* button, const PushImageSet& set) {
    return button->LoadButtonBitmap(SkinFile(set.flat), SkinFile(set.focus), SkinFile(set.selected),
                                    set.style);
}

int LoadTwoStateSet(CVtxButton* button, const char* const* names, uint16_t style) {
    std::vector<std::string> files;
    std::vector<const char*> pointers;
    files.reserve(4);
    for (int i = 0; i < 4; ++i) files.push_back(SkinFile(names[i] != nullptr ? names[i] : ""));
    for (const std::string& file : files) pointers.push_back(file.c_str());
    return button->LoadButtonBitmap(2, pointers, style);
}

BitmapFamily FamilyOfCurrentMode() {
    return BitmapFamilyOfMode(g_lpApp ? g_lpApp->w_DisplayMode.load() : 0);
}

}  // namespace

int CQuorrelDlg::LoadBackgroundBitmaps() {
    for (int slot : kBackgroundLoadOrder) {
        const SlotBackgroundNames names = BackgroundNamesOfSlot(slot);
        const auto index = static_cast<size_t>(slot);
        m_hBackground[index] = ormidon::LoadBitmapFile(SkinFile(names.panelClosed));
        if (m_hBackground[index].isNull()) return 0;
        m_hBackgroundPanel[index] = ormidon::LoadBitmapFile(SkinFile(names.panelOpen));
        if (m_hBackgroundPanel[index].isNull()) return 0;
        m_hStatusBar[index] = ormidon::LoadBitmapFile(SkinFile(names.statusBar));
        if (m_hStatusBar[index].isNull()) return 0;
    }
    m_hOnlineUserIcon = ormidon::LoadBitmapFile(SkinFile(kOnlineUserIcon));
    if (m_hOnlineUserIcon.isNull()) return 0;
    m_hAlarmIcon = ormidon::LoadBitmapFile(SkinFile(kAlarmIcon));
    return m_hAlarmIcon.isNull() ? 0 : 1;
}

// Gives remote key `key` its pictures of `family`: a push key its normal and hover
// pictures (the third picture in every state under kKeyThirdImage), a two-state key the
// quartet of the N or P families.
void CQuorrelDlg::LoadRemoteKeyImages(BitmapFamily family, int key) {
    CVtxButton* button = m_btnRemote[static_cast<size_t>(key)];
    if (button == nullptr) return;
    const RemoteButton_Struct& row = CurrentKind().Buttons[key];
    if (row.wStyle == kKeyStyleTwoState) {
        const int first = IsPFamily(family) ? kPFamilyQuartet : 0;
        LoadTwoStateSet(button, row.lpBitmapFiles + first, kKeyStyleTwoState);
        return;
    }
    const int group = 3 * static_cast<int>(family);
    const char* normal = row.lpBitmapFiles[group];
    const char* hover = row.lpBitmapFiles[group + 1];
    if (row.wFlags & kKeyThirdImage) normal = hover = row.lpBitmapFiles[group + 2];
    if (normal == nullptr || hover == nullptr) return;
    LoadPushSet(button, {normal, hover, hover, kKeyStylePush});
}

int CQuorrelDlg::LoadSkinBitmaps(uint16_t displayMode, int withTitle) {
    if (withTitle && g_lpApp) {
        for (int i = 0; i < kTitleButtonCount; ++i) {
            LoadPushSet(m_btnTitle[static_cast<size_t>(i)], TitleButtonImages(i));
        }
        // Keys get their first pictures in an N family, whatever the video standard; the
        // family load below gives the per-family keys the pictures of their family.
        const BitmapFamily first =
            g_lpApp->CSettingINI.m_dwImageResolution == 0 ? kFamilyNVga : kFamilyNQvga;
        const DeviceKind_Struct& kind = CurrentKind();
        for (int key = 0; key < kRemoteKeyCount; ++key) {
            CVtxButton* button = m_btnRemote[static_cast<size_t>(key)];
            if ((kind.Buttons[key].wFlags & kKeyEnabled) && button && !button->IsLoaded()) {
                const bool twoState = kind.Buttons[key].wStyle == kKeyStyleTwoState;
                LoadRemoteKeyImages(twoState ? kFamilyNVga : first, key);
            }
        }
        const uint8_t userClass = g_lpApp->by_UserClass;
        if (userClass < kUserClassCount &&
            UserClassTable[userClass].dwEnabled[kUserClassPowerEntry] != 0) {
            LoadPushSet(m_btnPower, PowerButtonImages());
        }
        m_FunctionBar.LoadBitmaps();
        const BitmapFamily family = BitmapFamilyOfMode(displayMode);
        LoadPushSet(m_btnCameraTool1, PanelOpenImages(family));
        LoadPushSet(m_btnCameraTool2, PanelCloseImages(family));
    }
    // The modes of the P62K and T18D families get their family from the remote-panel
    // refresh, which the initialisation runs later.
    if (displayMode < 6) LoadFamilyPanelBitmaps(BitmapFamilyOfMode(displayMode));
    return 1;
}

int CQuorrelDlg::LoadFamilyPanelBitmaps(BitmapFamily family) {
    const DeviceKind_Struct& kind = CurrentKind();
    const bool turbo = g_lpApp && g_lpApp->f_TurboMode != 0;
    for (int key = 0; key < kRemoteKeyCount; ++key) {
        CVtxButton* button = m_btnRemote[static_cast<size_t>(key)];
        if (button == nullptr) continue;
        const uint16_t flags = kind.Buttons[key].wFlags;
        if (turbo && HasTurboImages(key)) {
            LoadPushSet(button, TurboKeyImages(family, key, TurboLoad::FamilyLoad));
        } else if ((flags & kKeyReloadPerFamily) ||
                   ((flags & kKeyEnabled) && !button->IsLoaded())) {
            LoadRemoteKeyImages(family, key);
        }
    }
    LoadPushSet(m_btnCameraTool1, PanelOpenImages(family));
    LoadPushSet(m_btnCameraTool2, PanelCloseImages(family));
    return 1;
}

int CQuorrelDlg::LoadNVGAPanelBitmaps() { return LoadFamilyPanelBitmaps(kFamilyNVga); }
int CQuorrelDlg::LoadNQVGAPanelBitmaps() { return LoadFamilyPanelBitmaps(kFamilyNQvga); }
int CQuorrelDlg::LoadPVGAPanelBitmaps() { return LoadFamilyPanelBitmaps(kFamilyPVga); }
int CQuorrelDlg::LoadPQVGAPanelBitmaps() { return LoadFamilyPanelBitmaps(kFamilyPQvga); }

void CQuorrelDlg::OnTurbo() {
    if (!g_lpApp) return;
    char turboOn[kSplitStringSize];
    char turboOff[kSplitStringSize];
    LoadSplitString(kIdTurbo, turboOn, turboOff);
    const bool on = g_lpApp->f_TurboMode == 0;
    g_lpApp->f_TurboMode = on ? 1 : 0;

    CVtxButton* turboKey = m_btnRemote[kTurboKey];
    const BitmapFamily family = FamilyOfCurrentMode();
    if (on && turboKey) {
        turboKey->SetState(1);
        turboKey->setToolTip(turboOn);
    }
    // The keys change whether or not the current kind shows them.
    for (int key = 0; key < kRemoteKeyCount; ++key) {
        CVtxButton* button = m_btnRemote[static_cast<size_t>(key)];
        if (button == nullptr || !HasTurboImages(key)) continue;
        LoadPushSet(button, on ? TurboKeyImages(family, key, TurboLoad::TurboCommand)
                               : PlainTurboKeyImages(family, key));
    }
    if (!on && turboKey) {
        turboKey->SetState(0);
        turboKey->setToolTip(turboOff);
    }
    update(PanelRect());
}
