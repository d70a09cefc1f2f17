#include "liveview/CQuorrelDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>

#include "core/AppMessages.h"
#include "core/AppObject.h"
#include "core/AppResources.h"
#include "core/DeviceIdentity.h"
#include "core/TextHelpers.h"
#include "liveview/RetrKeyButton.h"
#include "platform/MessageBox.h"
#include "platform/window/ControlId.h"
#include "platform/window/UiThread.h"
#include "platform/window/WindowMessageTarget.h"
#include "record/AlarmSound.h"
#include "settings/MySystemDialog.h"
#include "sheet/SheetHost.h"
#include "widgets/CVtxButton.h"

namespace {

// Posted by the window to itself: run the work that other threads queued for it.
constexpr uint32_t kWmRunPendingWork = ormidon::kWmUser + 0x300;

// Message box shown when the window cannot be built against the device.
constexpr uint32_t kMsgCouldNotConnect = 4034;

}  // namespace

CQuorrelDlg::CQuorrelDlg(QWidget* parent) : SkinnedDialog(parent) {
    m_messageTarget = new ormidon::WindowMessageTarget(
        [this](uint32_t message, ormidon::WParam wParam, ormidon::LParam lParam) {
            OnWindowMessage(message, wParam, lParam);
        },
        this);
    setWindowTitle("Ormidon");
    setMouseTracking(true);
    // The paint fills the background itself, and not under a new frame, which covers it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (g_lpApp) g_lpApp->w_DisplayMode = 0;
    // Every click in the window, on its buttons too, silences the alarm sound.
    qApp->installEventFilter(this);
}

CQuorrelDlg::~CQuorrelDlg() {
    // The sheet is a child window: it goes before Qt would delete it with this window.
    DeleteSystemDialog();
    qApp->removeEventFilter(this);
    if (g_lpApp) {
        if (m_retrKey) g_lpApp->C_ControlD.SetRetrKeyView(nullptr);
        LiveView* self = this;
        g_lpApp->lp_MainDialog.compare_exchange_strong(self, nullptr);
        ormidon::WindowHandle handle = Handle();
        g_lpApp->h_MainDialogHandle.compare_exchange_strong(handle, 0);
    }
}

ormidon::WindowHandle CQuorrelDlg::Handle() const { return m_messageTarget->Handle(); }

int CQuorrelDlg::DoModal() {
    if (!OnInitDialog()) {
        ormidon::ShowMessage(kMsgCouldNotConnect);
        DestroyWindow();
        return result();
    }
    return exec();
}

int CQuorrelDlg::DestroyWindow() {
    if (m_bClosing || !g_lpApp) return 1;
    CAppObject& app = *g_lpApp;
    // Recorders first, so an open recording is finished, not cut.
    app.m_AlarmRecord.StopRecord();
    app.m_UserRecord.StopRecord();
    app.m_SchRecord.StopRecord();
    // Both end every thread, also one that overruns its bound, so the close always goes on.
    ExitLoginResource();
    ExitProcessResource();
    app.CSettingINI.SaveSetting();
    // Every worker thread has ended and been joined, so no pause is needed before the
    // window goes: nothing reaches it from now on.
    app.h_EndofShowImageEvent.Set();
    LiveView* self = this;
    app.lp_MainDialog.compare_exchange_strong(self, nullptr);
    m_bClosing = true;
    done(0);
    return 1;
}

void CQuorrelDlg::closeEvent(QCloseEvent* event) {
    // The window manager's close (the close button, Alt+F4) takes the orderly path too.
    if (m_bClosing) {
        event->accept();
        return;
    }
    event->ignore();
    DestroyWindow();
}

void CQuorrelDlg::OnCancel() {
    if (m_bFullScreen) LeaveFullScreen();
}

// ---- Work from other threads

void CQuorrelDlg::RunOnWindowThread(std::function<void()> work) {
    if (ormidon::IsUiThread()) {
        work();
        return;
    }
    {
        std::lock_guard lock(m_workLock);
        m_pendingWork.push_back(std::move(work));
    }
    ormidon::PostWindowMessage(Handle(), kWmRunPendingWork);
}

void CQuorrelDlg::RunPendingWork() {
    std::vector<std::function<void()>> work;
    {
        std::lock_guard lock(m_workLock);
        work.swap(m_pendingWork);
    }
    for (auto& item : work) item();
}

// ---- Messages and commands

void CQuorrelDlg::OnWindowMessage(uint32_t message, ormidon::WParam wParam,
                                  ormidon::LParam lParam) {
    switch (message) {
        case kWmRunPendingWork:
            RunPendingWork();
            break;
        case ormidon::kWmCommand:
            OnCommand(static_cast<int>(wParam & 0xFFFF));
            break;
        case WM_SHOWMESSAGEID:
            ormidon::ShowMessage(static_cast<uint32_t>(wParam));
            break;
        case WM_LIFETIMEUP:
            OnCommand(kIdTitleClose);
            break;
        case WM_REDRAWDATETIME:
            OnUpdateOverlayRect();
            break;
        case WM_SHOWSTATUS:
            OnShowStatus(wParam, lParam);
            break;
        case WM_POSTALARMAUDIO:
            OnPlayAlarmSound(lParam);
            break;
        case WM_PTZHOTPOINT:
            OnHotPointClick();
            break;
        default:
            break;
    }
}

void CQuorrelDlg::OnCommand(int id) {
    switch (id) {
        case kIdTitleMinimize:
            showMinimized();
            break;
        case kIdTitleFullScreen:
            // The next drawn frame lays the window out for full screen.
            m_bFullScreen = 1;
            m_bFullScreenPending = 1;
            break;
        case kIdTitleClose:
            DestroyWindow();
            break;
        case kIdTurbo:
            OnTurbo();
            break;
        default:
            if (!OnBarCommand(id)) OnPanelCommand(id);
            break;
    }
}

int CQuorrelDlg::OnShowStatus(ormidon::WParam wParam, ormidon::LParam lParam) {
    switch (lParam) {
        case kStatusElapsed: {
            const int seconds = static_cast<int>(wParam);
            SetStatusText("ESCAPED TIME:  " + FormatTwoDigits(seconds / 60) + ":" +
                          FormatTwoDigits(seconds % 60));
            break;
        }
        case kStatusLoginStart:
            SetStatusText("Start login");
            break;
        case 2:
            SetStatusText("Server is too busy!! Try later !!");
            break;
        case kStatusLoginFailed:
            SetStatusText("Login process is failed,wait a moment !!");
            break;
        case kStatusConnectButtonOff:
            SetFunctionButtonState(1, 0);
            break;
        case kStatusConnectButtonOn:
            SetFunctionButtonState(1, 1);
            break;
        case kStatusTooManyUsers:
            SetStatusText(
                "System relogin too many user.Wait for 40 sec!!\nApplication will try again.");
            break;
        case 8:
            if (!m_bFullScreen) RepaintStatus();
            break;
        default:
            break;
    }
    return 0;
}

// ---- Texts

void CQuorrelDlg::SetStatusText(std::string_view text) {
    if (m_bFullScreen) return;
    {
        std::lock_guard lock(m_textLock);
        m_strStatus.assign(text);
    }
    RepaintStatus();
}

void CQuorrelDlg::ClearOverlayTexts() {
    {
        std::lock_guard lock(m_textLock);
        m_strFrameRate.clear();
        m_strDataRate.clear();
    }
    RepaintStatus();
}

void CQuorrelDlg::ClearAlarmChannelText() {
    {
        std::lock_guard lock(m_textLock);
        m_strAlarmText.clear();
    }
    RepaintStatus();
}

std::string CQuorrelDlg::StatusText() const {
    std::lock_guard lock(m_textLock);
    return m_strStatus;
}

std::string CQuorrelDlg::InfoText() const {
    std::lock_guard lock(m_textLock);
    return m_strInfoText;
}

std::string CQuorrelDlg::AlarmText() const {
    std::lock_guard lock(m_textLock);
    return m_strAlarmText;
}

void CQuorrelDlg::RepaintStatus() {
    RunOnWindowThread([this] {
        if (!m_bFullScreen) update(Layout().rcStatus.ToQRect());
    });
}

void CQuorrelDlg::InvalidateWindow() {
    RunOnWindowThread([this] { update(); });
}

// ---- Buttons that other parts of the window drive

void CQuorrelDlg::SetFunctionButtonState(uint32_t actionMask, int state) {
    m_FunctionBar.SetButtonState(actionMask, static_cast<uint8_t>(state));
}

int CQuorrelDlg::ShowFunctionBar(int show) { return m_FunctionBar.Show(show); }

void CQuorrelDlg::SetPtzControlButtonState(int state) {
    // The re-login thread calls this: finding the key reads the buttons, so the whole
    // search runs on the window's thread.
    RunOnWindowThread([this, state] {
        for (CVtxButton* button : m_btnRemote) {
            if (button != nullptr && ormidon::ControlIdOf(button) == kIdPtzControl) {
                button->SetState(state);
            }
        }
    });
}

CVtxButton* CQuorrelDlg::RemoteButton(int key) const {
    return key >= 0 && key < kRemoteKeyCount ? m_btnRemote[static_cast<size_t>(key)] : nullptr;
}

CVtxButton* CQuorrelDlg::TitleButton(int i) const {
    return i >= 0 && i < kTitleButtonCount ? m_btnTitle[static_cast<size_t>(i)] : nullptr;
}

// ---- Mouse and keyboard

void CQuorrelDlg::StoreMousePosition(const QPoint& position, bool move) {
    if (!g_lpApp) return;
    CAppObject& app = *g_lpApp;
    app.dw_MouseX = static_cast<uint32_t>(position.x());
    app.dw_MouseY = static_cast<uint32_t>(position.y());
    if (move && app.by_HotPointMode != 1) {
        app.w_HotPointMouseX = static_cast<uint16_t>(position.x());
        app.w_HotPointMouseY = static_cast<uint16_t>(position.y());
    }
}

void CQuorrelDlg::mouseMoveEvent(QMouseEvent* event) {
    StoreMousePosition(event->position().toPoint(), true);
    SkinnedDialog::mouseMoveEvent(event);
}

void CQuorrelDlg::mousePressEvent(QMouseEvent* event) {
    StoreMousePosition(event->position().toPoint(), false);
    if (event->button() == Qt::LeftButton) OnLeftButtonDown();
    SkinnedDialog::mousePressEvent(event);
}

void CQuorrelDlg::mouseReleaseEvent(QMouseEvent* event) {
    StoreMousePosition(event->position().toPoint(), false);
    SkinnedDialog::mouseReleaseEvent(event);
}

void CQuorrelDlg::OnLeftButtonDown() {
    // A click on the picture aims the camera when the hot point is on.
    if (g_lpApp && g_lpApp->by_HotPointMode == 2 && g_lpApp->f_VideoServerConnected) {
        ormidon::PostWindowMessage(Handle(), WM_PTZHOTPOINT, 0, 0);
    }
}

void CQuorrelDlg::moveEvent(QMoveEvent* event) {
    // The camera-sensor tool bar goes along.
    PlaceCmosToolBar();
    SkinnedDialog::moveEvent(event);
}

bool CQuorrelDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || (widget != this && !isAncestorOf(widget))) return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton || !g_lpApp) return false;
    CAppObject& app = *g_lpApp;
    if (app.f_AlarmWavPlaying.exchange(0) != 0) app.h_StopAlarmWavEvent.Set();
    // In full screen the window covers the work area and is not dragged: the press is
    // handled here, before the body drag sees it.
    if (widget == this && m_bFullScreen) {
        StoreMousePosition(mouse->position().toPoint(), false);
        OnLeftButtonDown();
        return true;
    }
    return false;
}
