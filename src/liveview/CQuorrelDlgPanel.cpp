// The main window's remote-control panel: the keys of the device that the panel steers
// now (the connected device, a recorder on its bus or a PTZ camera behind it), laid out,
// shown and explained for that device's kind, the bitmap family and the user class; the
// commands that open and close the panel; the remote keys and the toggles R.E.T.R. and
// ACTION/PRESET; the Power button.
#include <QString>

#include "backup/CPlaybackSearchDlg.h"
#include "core/AppObject.h"
#include "core/DeviceIdentity.h"
#include "core/DeviceKindTable.h"
#include "core/StringTable.h"
#include "core/TextHelpers.h"
#include "core/UserClassTable.h"
#include "liveview/CQuorrelDlg.h"
#include "liveview/HotPoint.h"
#include "liveview/WindowCommand.h"
#include "net/Rs485Sender.h"
#include "platform/MessageBox.h"
#include "platform/window/ControlId.h"
#include "platform/window/SkinnedWindow.h"
#include "platform/window/UiThread.h"
#include "sheet/PageToolkit.h"
#include "widgets/CVtxButton.h"

namespace {

constexpr uint32_t kStrCouldNotConnect = 4034;  // "It couldn't connect to device"
// Opening and closing the panel round the window's corners by this much.
constexpr int kPanelCornerEllipse = 20;

// Keys by key code.
constexpr int kKeyMenu = 56;
constexpr int kKeyActionPreset = 67;

// The joystick arrows and the zoom and focus keys repeat their command under TURBO.
bool RepeatsUnderTurbo(int key) {
    return (key >= 30 && key <= 33) || key == 54 || key == 55 || key == 57 || key == 58;
}

bool UserClassEnables(uint32_t controlId) {
    return IsControlEnabledForUserClass(g_lpApp ? g_lpApp->by_UserClass.load() : 0, controlId);
}

// The half of a two-part string (first or second) for a toggle's tooltip.
QString SplitText(uint32_t id, bool first) {
    char firstHalf[kSplitStringSize];
    char secondHalf[kSplitStringSize];
    LoadSplitString(id, firstHalf, secondHalf);
    return QString::fromUtf8(first ? firstHalf : secondHalf);
}

}  // namespace

QString CQuorrelDlg::RemoteKeyTooltip(const RemoteButton_Struct& key) {
    if (key.wFlags & (kKeyTooltipFirstHalf | kKeyTooltipSecondHalf)) {
        return SplitText(key.wControlId, (key.wFlags & kKeyTooltipFirstHalf) != 0);
    }
    return QString::fromUtf8(LoadResourceString(key.wTooltipId));
}

QRect CQuorrelDlg::PanelRect() const {
    const LayoutMode_Struct& row = Layout();
    const int top = row.rcWindowPanel.top + row.rcVideo.bottom;
    return QRect(row.rcWindowPanel.left, top, row.rcWindowPanel.Width(),
                 row.rcWindowPanel.bottom - top);
}

void CQuorrelDlg::HideRemoteKey(int controlId) {
    for (CVtxButton* button : m_btnRemote) {
        if (button != nullptr && ormidon::ControlIdOf(button) == controlId) button->hide();
    }
}

// The keys' tooltips for `kind`, and the toggles' from their state. A key whose id under
// this kind is not the id its button was made with has no window under it and keeps its
// tooltip.
void CQuorrelDlg::SetPanelTooltips(const DeviceKind_Struct& kind) {
    CAppObject& app = *g_lpApp;
    for (const RemoteButton_Struct& key : kind.Buttons) {
        if (QWidget* button = ormidon::FindControl(this, key.wControlId)) {
            button->setToolTip(RemoteKeyTooltip(key));
        }
    }
    const auto setTip = [this](int id, const QString& text) {
        if (QWidget* button = ormidon::FindControl(this, id)) button->setToolTip(text);
    };
    setTip(kIdPtzControl, SplitText(kIdPtzControl, app.C_ControlD.IsCurrentMaster() != 1));
    setTip(kIdTurbo, SplitText(kIdTurbo, app.f_TurboMode != 0));
    setTip(kIdRetr, SplitText(kIdRetr, app.C_ControlD.GetRetrState() != 0));
    setTip(kIdActionPreset, SplitText(kIdActionPreset, app.f_PresetMode == 0));
}

void CQuorrelDlg::RefreshRemotePanel() {
    if (!ormidon::IsUiThread()) {
        RunOnWindowThread([this] { RefreshRemotePanel(); });
        return;
    }
    if (!g_lpApp || !m_bInitialised) return;
    CAppObject& app = *g_lpApp;

    // The pictures of the family that the video standard and the resolution setting give.
    const bool pal = app.by_VideoMode != 0;
    const int32_t resolution = app.CSettingINI.m_dwImageResolution;
    if (resolution == 0) {
        LoadFamilyPanelBitmaps(pal ? kFamilyPVga : kFamilyNVga);
    } else if (resolution == 1 || resolution == 2) {
        LoadFamilyPanelBitmaps(pal ? kFamilyPQvga : kFamilyNQvga);
    }

    const DeviceKind_Struct& kind = CurrentKind();
    if (app.lp_MainDialog) SetPanelTooltips(kind);

    // Full screen shows no controls; leaving it lays them out again.
    if (!m_bFullScreen) {
        const bool camera = IsCameraKind(kind);
        if (camera && m_bPanelOpen) {
            // A camera has no panel: the window closes it.
            m_bPanelOpen = 0;
            PlaceWindow(Layout().rcWindow, true);
            HideRemoteKeys();
            m_btnCameraTool1->hide();
            m_btnCameraTool2->hide();
        } else if (camera || m_bPanelOpen) {
            PlaceRemoteKeys(false, !camera);
            m_btnCameraTool1->hide();
            m_btnCameraTool2->setVisible(UserClassEnables(kIdPanelClose));
        } else {
            HideRemoteKeys();
            m_btnCameraTool1->setVisible(UserClassEnables(kIdPanelOpen));
            m_btnCameraTool2->hide();
        }
        if (IsMultiChannel()) HideRemoteKey(kIdPtzControl);
    }
    app.by_HotPointMode = HotPointModeForKind(app.C_ControlD.GetCurrentKind());
    update(PanelRect());
}

// Opening and closing set the state, so a second open leaves the panel open.
void CQuorrelDlg::ShowPanel(bool open) {
    m_bPanelOpen = open ? 1 : 0;
    const LayoutMode_Struct& row = Layout();
    const LayoutRect& rect = open ? row.rcWindowPanel : row.rcWindow;
    PlaceWindow(rect, false);
    ormidon::SetRoundRectRegion(this, QRect(0, 0, rect.Width(), rect.Height()), kPanelCornerEllipse,
                                kPanelCornerEllipse);
    m_btnCameraTool2->setVisible(open);
    m_btnCameraTool1->setVisible(!open);
    if (open) {
        PlaceRemoteKeys(true);
    } else {
        HideRemoteKeys();
    }
    update(PanelRect());
}

void CQuorrelDlg::OnCameraToolButton() { ShowPanel(true); }

void CQuorrelDlg::OnCameraToolButtonDown() { ShowPanel(false); }

void CQuorrelDlg::OnRemoteKey(int key) {
    if (!g_lpApp || key < 0 || key >= kRemoteKeyCount) return;
    CAppObject& app = *g_lpApp;
    // The DVRs open their menu only to a SUPERVISOR.
    if (key == kKeyMenu && app.by_UserClass != 0 && IsP5xKModel()) return;
    const uint32_t turbo = RepeatsUnderTurbo(key) ? static_cast<uint32_t>(app.f_TurboMode) : 0;
    SendRemoteKey(turbo, static_cast<uint16_t>(key));
}

void CQuorrelDlg::OnRetr() {
    CCgiRequest request = WindowCommandRequest(CGI_SETRETR);
    const bool on = g_lpApp && g_lpApp->C_ControlD.GetRetrState() != 0;
    request.AddParam("SET", on ? "0" : "1");
    // The new state comes back with the frame headers, which update the key.
    if (!SendWindowCommand(CGI_SETRETR, request)) ormidon::ShowMessage(kStrSendCommandFailed);
}

void CQuorrelDlg::OnPower() {
    if (!g_lpApp) return;
    if (!g_lpApp->f_Connected) {
        ormidon::ShowMessage(kStrCouldNotConnect);
        return;
    }
    const DeviceKind_Struct& kind = CurrentKind();
    if (kind.lpCommandSet == nullptr) {
        ormidon::ShowMessage(kStrNoCommandProtocol);
        return;
    }
    SendControlCommand(&kind.lpCommandSet->Power, 1, 0);
}

void CQuorrelDlg::OnActionPreset() {
    if (!g_lpApp) return;
    CAppObject& app = *g_lpApp;
    CVtxButton* key = m_btnRemote[kKeyActionPreset];
    const bool preset = app.f_PresetMode == 0;
    app.f_PresetMode = preset ? 1 : 0;
    if (key != nullptr) {
        key->SetState(preset ? 1 : 0);
        key->setToolTip(SplitText(kIdActionPreset, !preset));
    }
}

void CQuorrelDlg::OnPlaybackSearch() {
    // Without a parent, as its own window; its result is not used.
    CPlaybackSearchDlg dialog;
    sheet::RunChildDialog(dialog);
}

bool CQuorrelDlg::OnPanelCommand(int id) {
    switch (id) {
        case kIdPanelOpen:
            OnCameraToolButton();
            return true;
        case kIdPanelClose:
            OnCameraToolButtonDown();
            return true;
        case kIdTitleInfo:
            OnTitleInfo();
            return true;
        case kIdPower:
            OnPower();
            return true;
        case kIdPtzControl:
            OnPtzControl();
            return true;
        case kIdPlaybackSearch:
            OnPlaybackSearch();
            return true;
        case kIdRetr:
            OnRetr();
            return true;
        case kIdActionPreset:
            OnActionPreset();
            return true;
        default:
            break;
    }
    // A remote key: its button's id is the one of the kind current when it was made.
    for (int key = 0; key < kRemoteKeyCount; ++key) {
        const CVtxButton* button = m_btnRemote[static_cast<size_t>(key)];
        if (button != nullptr && ormidon::ControlIdOf(button) == id) {
            OnRemoteKey(key);
            return true;
        }
    }
    return false;
}
