// The main window's geometry: placing the controls for the display mode, the family
// switches on a change of picture size, and full screen.
#include <algorithm>

#include "core/AppObject.h"
#include "core/DeviceIdentity.h"
#include "core/DisplayMode.h"
#include "core/UserClassTable.h"
#include "liveview/CQuorrelDlg.h"
#include "platform/window/ControlId.h"
#include "platform/window/SkinnedWindow.h"
#include "platform/window/UiThread.h"
#include "widgets/CVtxButton.h"

namespace {

// Corner ellipses of the window's region.
constexpr int kCornerEllipse = 15;

// Entries of a user-class row: the eight controls that the class enables or disables.
constexpr int kUserClassPanelOpenEntry = 6;
constexpr int kUserClassPanelCloseEntry = 7;

const UserClass_Struct& CurrentUserClass() {
    const uint8_t row = g_lpApp ? g_lpApp->by_UserClass.load() : 0;
    return UserClassTable[row < kUserClassCount ? row : 3];
}

bool UserClassEnables(int entry) { return CurrentUserClass().dwEnabled[entry] != 0; }

}  // namespace

const LayoutMode_Struct& CQuorrelDlg::Layout() const {
    return LayoutOfMode(g_lpApp ? g_lpApp->w_DisplayMode.load() : 0);
}

const DeviceKind_Struct& CQuorrelDlg::CurrentKind() const {
    const uint8_t kind = g_lpApp ? g_lpApp->C_ControlD.GetCurrentKind() : 0;
    return DeviceKindTable[kind < kDeviceKindCount ? kind : 0];
}

void CQuorrelDlg::PlaceWindow(const LayoutRect& rect, bool centre) {
    QPoint topLeft = pos();
    if (centre) {
        topLeft = QPoint(m_rcWork.left() + (m_rcWork.width() - rect.Width()) / 2,
                         m_rcWork.top() + (m_rcWork.height() - rect.Height()) / 2);
    }
    // The whole window stays inside the work area (its top-left corner first where it is
    // larger), so a mode that grows it never leaves the panel or its keys off-screen.
    const auto inside = [](int at, int size, int begin, int room) {
        return std::max(begin, std::min(at, begin + room - size));
    };
    topLeft = QPoint(inside(topLeft.x(), rect.Width(), m_rcWork.left(), m_rcWork.width()),
                     inside(topLeft.y(), rect.Height(), m_rcWork.top(), m_rcWork.height()));
    setGeometry(QRect(topLeft, QSize(rect.Width(), rect.Height())));
    ormidon::SetRoundRectRegion(this, QRect(0, 0, rect.Width(), rect.Height()), kCornerEllipse,
                                kCornerEllipse);
    if (centre) raise();
}

void CQuorrelDlg::HideRemoteKeys() {
    for (CVtxButton* button : m_btnRemote) {
        if (button != nullptr) button->hide();
    }
}

// Places, shows and enables the remote keys of the current kind for the open panel:
// a key the kind has sits at its rectangle of the display mode's bitmap family, is shown
// to the users its flags allow and is enabled by its flag.
void CQuorrelDlg::PlaceRemoteKeys(bool multiChannelRule, bool keepPtzKey) {
    if (!g_lpApp) return;
    const DeviceKind_Struct& kind = CurrentKind();
    const BitmapFamily family = BitmapFamilyOfMode(g_lpApp->w_DisplayMode);
    const uint16_t userLevel = g_lpApp->w_UserLevel;
    const uint8_t rank = GetUserClassRank(g_lpApp->by_UserClass);
    for (int key = 0; key < kRemoteKeyCount; ++key) {
        CVtxButton* button = m_btnRemote[static_cast<size_t>(key)];
        if (button == nullptr) continue;
        const RemoteButton_Struct& row = kind.Buttons[key];
        if ((row.wFlags & kKeyPresent) == 0) {
            button->hide();
            continue;
        }
        const KeyRect& rc = row.rcFamily[family];
        button->setGeometry(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
        if (keepPtzKey && key == kKeyPtzControl) continue;
        bool visible = true;
        if (row.wFlags & kKeyAdminOnly) {
            visible = userLevel == 30;
        } else if (row.wFlags & kKeyRank30) {
            visible = rank >= 30;
        }
        button->setVisible(visible);
        button->setEnabled((row.wFlags & kKeyEnabled) != 0);
    }
    if (multiChannelRule && IsMultiChannel()) HideRemoteKey(kIdPtzControl);
}

void CQuorrelDlg::ArrangeControls() {
    if (!ormidon::IsUiThread()) {
        RunOnWindowThread([this] { ArrangeControls(); });
        return;
    }
    if (!m_bInitialised) return;
    const LayoutMode_Struct& row = Layout();
    for (int i = 0; i < kTitleButtonCount; ++i) {
        m_btnTitle[static_cast<size_t>(i)]->setGeometry(row.TitleButtonRect(i));
    }
    m_FunctionBar.Arrange();
    m_btnPower->setGeometry(row.PowerRect());
    m_btnCameraTool1->setGeometry(row.btnPanelOpen.ToQRect());
    m_btnCameraTool2->setGeometry(row.btnPanelClose.ToQRect());
    if (m_bPanelOpen) {
        PlaceWindow(row.rcWindowPanel, false);
        PlaceRemoteKeys(true);
    } else {
        PlaceWindow(row.rcWindow, false);
        HideRemoteKeys();
    }
    update();
}

int CQuorrelDlg::SetFamilyMode(int (CQuorrelDlg::*loader)()) {
    {
        std::lock_guard lock(m_csLayout);
        (this->*loader)();
    }
    ArrangeControls();
    return 1;
}

int CQuorrelDlg::SetNVGAMode() { return SetFamilyMode(&CQuorrelDlg::LoadNVGAPanelBitmaps); }
int CQuorrelDlg::SetNQVGAMode() { return SetFamilyMode(&CQuorrelDlg::LoadNQVGAPanelBitmaps); }
int CQuorrelDlg::SetPVGAMode() { return SetFamilyMode(&CQuorrelDlg::LoadPVGAPanelBitmaps); }
int CQuorrelDlg::SetPQVGAMode() { return SetFamilyMode(&CQuorrelDlg::LoadPQVGAPanelBitmaps); }

void CQuorrelDlg::SetImageSize(uint16_t width, uint16_t height) {
    if (!g_lpApp || !g_lpApp->m_ImageSize.SetImageSize(width, height)) return;
    // The size class changed: the window follows on its own thread.
    const uint8_t index = g_lpApp->by_PrevImageSizeIndex;
    RunOnWindowThread([this, index] {
        if (IsP5xKModel()) m_ChannelBar.Arrange();
        RefreshRemotePanel();
        switch (index) {
            case 0:
                SetNVGAMode();
                break;
            case 1:
                SetNQVGAMode();
                break;
            case 2:
                SetPVGAMode();
                break;
            case 3:
                SetPQVGAMode();
                break;
            default:
                break;
        }
    });
}

void CQuorrelDlg::ApplyUserClassToPanelButtons() {
    for (int entry = 0; entry < 8; ++entry) {
        const int id = static_cast<int>(CurrentUserClass().dwControlIds[entry]);
        if (QWidget* control = ormidon::FindControl(this, id)) {
            control->setEnabled(UserClassEnables(entry));
        }
    }
}

// Runs on the UI thread once the first frame after the "Full screen" command arrived.
void CQuorrelDlg::EnterFullScreenLayout() {
    if (!m_bFullScreen) return;
    clearMask();
    setGeometry(m_rcWork);
    raise();
    for (CVtxButton* button : m_btnTitle) button->hide();
    m_ChannelBar.Show(1);
    ShowFunctionBar(0);
    m_btnPower->hide();
    m_btnCameraTool1->hide();
    m_btnCameraTool2->hide();
    HideRemoteKeys();
    update();
}

void CQuorrelDlg::LeaveFullScreen() {
    m_bFullScreen = 0;
    m_bFullScreenPending = 0;
    for (CVtxButton* button : m_btnTitle) button->show();
    m_ChannelBar.Show(0);
    ShowFunctionBar(1);
    const LayoutMode_Struct& row = Layout();
    const bool camera = IsCameraKind(CurrentKind());
    if (m_bPanelOpen) {
        ApplyUserClassToPanelButtons();
        if (camera) {
            // A camera has no panel: the window closes it.
            m_bPanelOpen = 0;
            PlaceWindow(row.rcWindow, true);
            m_btnCameraTool2->hide();
            m_btnCameraTool1->hide();
        } else {
            PlaceWindow(row.rcWindowPanel, true);
            m_btnCameraTool1->hide();
            m_btnCameraTool2->setVisible(UserClassEnables(kUserClassPanelCloseEntry));
        }
        if (m_bPanelOpen) PlaceRemoteKeys(false);
    } else {
        PlaceWindow(row.rcWindow, true);
        m_btnCameraTool1->setVisible(UserClassEnables(kUserClassPanelOpenEntry) && !camera);
        m_btnCameraTool2->hide();
    }
    update();
}
