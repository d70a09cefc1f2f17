#pragma once
// CQuorrelDlg: the main window, in which the operator watches the live picture of the
// device the login connected to. A borderless, skinned window whose modal run is the
// program's main loop after the login.
//
// Threads: the window's widgets belong to the UI thread. The engine reaches the window
// through LiveView from its own threads: DrawFrame composes each frame on the kernel
// message thread into an image that the UI thread paints; SetStatusText may come from
// any thread; layout requests from the compose and re-login threads are carried out on
// the UI thread. Numbered messages from worker threads arrive through the window's
// message target (h_MainDialogHandle).
#include <QImage>
#include <QRect>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/DeviceKindTable.h"
#include "core/LiveView.h"
#include "liveview/ChannelBar.h"
#include "liveview/ColourReply.h"
#include "liveview/FunctionBar.h"
#include "liveview/LayoutTable.h"
#include "liveview/ScreenFrames.h"
#include "platform/WindowMessage.h"
#include "platform/window/SkinnedDialog.h"

class CAppObject;
struct BgrPicture;
class CCmosToolBarDlg;
class RetrKeyButton;
class CVtxButton;
class MySystemDialog;
class QPainter;
class SheetHost;

namespace ormidon {
class WindowMessageTarget;
}

class CQuorrelDlg : public ormidon::SkinnedDialog, public LiveView {
    Q_OBJECT
  public:
    // Control ids of the window's own buttons.
    static constexpr int kIdPanelOpen = 8192;
    static constexpr int kIdPanelClose = 8193;
    static constexpr int kIdTitleMinimize = 8200;
    static constexpr int kIdTitleFullScreen = 8201;
    static constexpr int kIdTitleClose = 8202;
    static constexpr int kIdTitleInfo = 8203;
    static constexpr int kIdTurbo = 8310;
    static constexpr int kIdPower = 8311;
    static constexpr int kIdPtzControl = 8312;
    static constexpr int kIdPlaybackSearch = 8319;
    static constexpr int kIdRetr = 8331;
    static constexpr int kIdActionPreset = 8356;
    static constexpr int kTitleButtonCount = 3;
    // Key code of the PTZ control key (control kIdPtzControl), which the PTZ commands show
    // and hide themselves.
    static constexpr int kKeyPtzControl = 60;
    // The function bar's buttons.
    static constexpr int kIdColour = 999;
    static constexpr int kIdConnect = 1002;
    static constexpr int kIdSnapshot = 1004;
    static constexpr int kIdRecord = 1005;
    static constexpr int kIdSystemConfig = 1006;
    static constexpr int kIdResolution = 1007;
    static constexpr int kIdQuality = 1008;

    explicit CQuorrelDlg(QWidget* parent = nullptr);
    ~CQuorrelDlg() override;

    // Builds the window and runs it until it closes. A window whose initialisation
    // failed reports it and closes through the orderly path.
    int DoModal();

    // The initialisation against the device; 1 when the window was fully built.
    int OnInitDialog();
    // The orderly close: stops the recorders and every thread, saves the settings and
    // ends the modal run. 0 (the window stays) when a thread could not be stopped.
    int DestroyWindow();

    // ---- LiveView (any thread unless stated)
    void DrawFrame() override;  // kernel message thread
    // Compose thread.
    ScreenRows ScreenRowsFor(uint16_t width, uint16_t height) override;
    void SetStatusText(std::string_view text) override;
    void ClearOverlayTexts() override;
    void ClearAlarmChannelText() override;
    void SetFunctionButtonState(uint32_t actionMask, int state) override;
    void SetPtzControlButtonState(int state) override;
    void RefreshRemotePanel() override;
    void ArrangeControls() override;
    void InvalidateWindow() override;
    void SetImageSize(uint16_t width, uint16_t height) override;
    void SelectChannel(uint8_t channel) override;
    void RequestChannel(uint8_t channel) override;

    int ShowFunctionBar(int show);

    // ---- Layout (UI thread)
    int SetNVGAMode();
    int SetNQVGAMode();
    int SetPVGAMode();
    int SetPQVGAMode();
    void LeaveFullScreen();

    // ---- Skin (UI thread, or a thread that holds the window's layout)
    int LoadBackgroundBitmaps();
    int LoadSkinBitmaps(uint16_t displayMode, int withTitle);
    int LoadNVGAPanelBitmaps();
    int LoadNQVGAPanelBitmaps();
    int LoadPVGAPanelBitmaps();
    int LoadPQVGAPanelBitmaps();
    void OnTurbo();

    // ---- Commands and messages (UI thread)
    void OnCommand(int id);

    // ---- Remote-control panel and PTZ (UI thread)
    void OnCameraToolButton();      // 8192: open the panel
    void OnCameraToolButtonDown();  // 8193: close it
    void OnTitleInfo() {}           // 8203
    // The remote key of key code `key` (its button was clicked).
    void OnRemoteKey(int key);
    void OnRetr();
    void OnPower();
    void OnActionPreset();
    void OnPlaybackSearch();
    // On a multi-channel DVR: the cameras on its bus become the masters behind it, so the
    // channel commands run this before they ask for a channel. 1, or 0 after a failure.
    int QueryPtzSlaves();
    // The channel the window starts on: the saved one.
    uint8_t StartChannel() const;
    void OnPtzControl();
    // WM_PTZHOTPOINT: the click at w_HotPointMouseX/Y aims the steered camera. 0.
    int OnHotPointClick();
    void OnWindowMessage(uint32_t message, ormidon::WParam wParam, ormidon::LParam lParam);
    int OnShowStatus(ormidon::WParam wParam, ormidon::LParam lParam);
    // Reads the device's configuration sections into the record: 1 when all arrived.
    int FetchConfigSections();
    // The function bar's and the channel bar's commands; false for another id.
    bool OnBarCommand(int id);
    void OnLogin();
    void OnRecord();
    void OnSnapshoot();
    void OnSystemConfig();
    void OnResol();
    void OnQuility();
    void OnColor();
    int OnUpdateOverlayRect();

    // ---- What tests and the other window parts look at
    ormidon::WindowHandle Handle() const;
    std::string StatusText() const;
    std::string InfoText() const;
    std::string AlarmText() const;
    bool IsFullScreen() const { return m_bFullScreen != 0; }
    bool IsPanelOpen() const { return m_bPanelOpen != 0; }
    CVtxButton* RemoteButton(int key) const;
    CVtxButton* TitleButton(int i) const;
    CVtxButton* PowerButton() const { return m_btnPower; }
    CVtxButton* PanelOpenButton() const { return m_btnCameraTool1; }
    CVtxButton* PanelCloseButton() const { return m_btnCameraTool2; }
    CChannelBar& ChannelBar() { return m_ChannelBar; }
    // The settings sheet object while it exists (its window may be closed); nullptr else.
    MySystemDialog* SystemDialog() const { return lp_SystemDialog.get(); }
    // Deletes the settings sheet object (its window goes with it).
    void DeleteSystemDialog();
    CFunctionBar& FunctionBar() { return m_FunctionBar; }
    // The colour values the device answered last.
    ColourValues LastColourValues() const { return m_colourValues; }
    // The camera-sensor tool bar of a T18D device; null for other devices.
    CCmosToolBarDlg* CmosToolBar() const { return m_pCmosToolBar; }
    // The desktop work area read at initialisation.
    QRect WorkAreaRect() const { return m_rcWork; }
    // The last frame handed to the window, as the window paints it.
    QImage ShownFrame() const;
    // Frames handed to the window so far.
    uint64_t ShownFrameCount() const { return m_screenFrames.Count(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The camera-sensor tool bar goes along.
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Enter does nothing; Esc only leaves full screen.
    void OnOK() override {}
    void OnCancel() override;

  private:
    // Runs `work` on the UI thread: at once on it, else queued behind the window's
    // messages. Work queued for a window that closed is dropped with it.
    void RunOnWindowThread(std::function<void()> work);
    void RunPendingWork();

    const LayoutMode_Struct& Layout() const;
    const DeviceKind_Struct& CurrentKind() const;
    int SetFamilyMode(int (CQuorrelDlg::*loader)());
    void EnterFullScreenLayout();
    void CreateButtons();
    void PlaceWindow(const LayoutRect& rect, bool centre);
    // `keepPtzKey`: the PTZ control key (60) is moved, but keeps its visibility and state.
    void PlaceRemoteKeys(bool multiChannelRule, bool keepPtzKey = false);
    // Opens (true) or closes the panel: the window's size and corners, the two panel
    // buttons and the keys.
    void ShowPanel(bool open);
    // Below the picture: where the panel's keys lie.
    QRect PanelRect() const;
    // Handles the commands of the panel, its keys and the Power button; false for others.
    bool OnPanelCommand(int id);
    void SetPanelTooltips(const DeviceKind_Struct& kind);
    void HideRemoteKey(int controlId);
    void CreateCmosToolBar();
    void PlaceCmosToolBar();
    static QString RemoteKeyTooltip(const RemoteButton_Struct& key);
    void HideRemoteKeys();
    void ApplyUserClassToPanelButtons();
    void RepaintStatus();
    void ComposeScreenImage(CAppObject& app, BgrPicture& picture, bool fullScreen);
    void HandOverFrame(bool fullScreen);
    void UpdateStatusTexts(CAppObject& app);
    void StoreMousePosition(const QPoint& position, bool move);
    void OnLeftButtonDown();
    int LoadFamilyPanelBitmaps(BitmapFamily family);
    void LoadRemoteKeyImages(BitmapFamily family, int key);

    // The part of the window that the shown frame paints.
    QRect ShownFrameArea() const;
    void PaintFrame(QPainter& painter);
    void PaintStatusBar(QPainter& painter, const LayoutMode_Struct& row);
    void PaintOverlay(QPainter& painter, const LayoutMode_Struct& row);
    void PaintSunkenFrame(QPainter& painter, const LayoutRect& video);

    // Init steps that talk to the device.
    bool QueryDeviceInfo(uint8_t& retrState);
    void ApplyFamilyDecisions();
    void ChooseUserClass();
    void StartAutoRecord();

    // Shown when the device's configuration sections cannot be read.
    static constexpr uint32_t kMsgConfigReadFailed = 4029;

    ormidon::WindowMessageTarget* m_messageTarget = nullptr;

    std::atomic<int> m_bFullScreen{0};
    std::atomic<int> m_bFullScreenPending{0};
    std::atomic<int> m_bPanelOpen{0};
    std::atomic<bool> m_bInitialised{false};
    bool m_bClosing = false;
    QRect m_rcWork;

    // The status, information and alarm texts and the two rate texts: written from any
    // thread, read by the paint.
    mutable std::mutex m_textLock;
    std::string m_strStatus;
    std::string m_strInfoText;
    std::string m_strAlarmText;
    std::string m_strFrameRate;
    std::string m_strDataRate;

    // The composed frames and where the shown one is painted.
    ScreenFrames m_screenFrames;
    // Bytes of lp_DisplayBuffer, the work area's picture in full screen.
    size_t m_displayBufferSize = 0;
    std::atomic<bool> m_frameRepaintPosted{false};

    std::mutex m_workLock;
    std::vector<std::function<void()>> m_pendingWork;

    // Skin: per bitmap slot (display mode modulo 6).
    std::array<QImage, 6> m_hBackground;
    std::array<QImage, 6> m_hBackgroundPanel;
    std::array<QImage, 6> m_hStatusBar;
    QImage m_hOnlineUserIcon;
    QImage m_hAlarmIcon;

    std::array<CVtxButton*, kTitleButtonCount> m_btnTitle{};
    std::array<CVtxButton*, kRemoteKeyCount> m_btnRemote{};
    CVtxButton* m_btnCameraTool1 = nullptr;
    CVtxButton* m_btnCameraTool2 = nullptr;
    CVtxButton* m_btnPower = nullptr;
    CChannelBar m_ChannelBar;
    // The settings sheet, which outlives its window; the main window deletes it.
    std::unique_ptr<SheetHost> m_sheetHost;
    std::unique_ptr<MySystemDialog> lp_SystemDialog;
    CFunctionBar m_FunctionBar;
    ColourValues m_colourValues;
    CCmosToolBarDlg* m_pCmosToolBar = nullptr;
    // The R.E.T.R. key as the control-device list reports to it.
    std::unique_ptr<RetrKeyButton> m_retrKey;

    // Held by the family switches while they load the panel images.
    std::mutex m_csLayout;
};
