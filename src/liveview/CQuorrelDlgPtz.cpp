// The main window's PTZ commands: the camera list of a multi-channel DVR, the PTZ control
// key with its device picker, the hot-point click; and the camera-sensor tool bar that a
// T18D device gets beside the window.
#include "core/AppObject.h"
#include "core/DeviceIdentity.h"
#include "liveview/CCmosToolBarDlg.h"
#include "liveview/CQuorrelDlg.h"
#include "liveview/CSelectPTZDeviceDlg.h"
#include "liveview/HotPoint.h"
#include "liveview/PtzControl.h"
#include "platform/window/SkinnedWindow.h"
#include "widgets/CVtxButton.h"

namespace {

// The camera-sensor tool bar: corners cut by ellipses of this size, and how far it reaches
// over the main window's left edge.
constexpr int kCmosCornerEllipse = 10;
constexpr int kCmosOverlap = 2;

// PTZ control as the main window shows it: the picker, and key 60.
class MainWindowPtzView final : public PtzControlView {
  public:
    explicit MainWindowPtzView(CQuorrelDlg& window) : m_window(window) {}

    int RunDevicePicker(int& number) override {
        CSelectPTZDeviceDlg picker;
        const int result = picker.DoModal();
        number = picker.m_nNumber;
        return result;
    }
    int PtzKeyState() const override { return Key() ? Key()->GetState() : 0; }
    void SetPtzKeyState(int state) override { m_window.SetPtzControlButtonState(state); }
    std::string PtzKeyTooltip() const override {
        return Key() ? Key()->toolTip().toStdString() : std::string();
    }
    void SetPtzKeyTooltip(std::string_view text) override {
        if (CVtxButton* key = Key()) {
            key->setToolTip(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        }
    }
    void RefreshRemotePanel() override { m_window.RefreshRemotePanel(); }

  private:
    CVtxButton* Key() const { return m_window.RemoteButton(CQuorrelDlg::kKeyPtzControl); }

    CQuorrelDlg& m_window;
};

}  // namespace

int CQuorrelDlg::QueryPtzSlaves() { return QueryPtzSlaveList(); }

void CQuorrelDlg::OnPtzControl() {
    MainWindowPtzView view(*this);
    RunPtzControl(view);
}

int CQuorrelDlg::OnHotPointClick() {
    // Windowed, the grid lies over the picture; in full screen over the whole window,
    // which then covers the work area.
    const LayoutRect& video = Layout().rcVideo;
    const bool fullScreen = m_bFullScreen != 0;
    const LayoutRect reference =
        fullScreen ? LayoutRect{0, 0, m_rcWork.width(), m_rcWork.height()} : video;
    return SendHotPointClick(reference, video, fullScreen);
}

void CQuorrelDlg::CreateCmosToolBar() {
    if (!g_lpApp || !IsT18DModel() || m_pCmosToolBar != nullptr) return;
    m_pCmosToolBar = new CCmosToolBarDlg(this);
    m_pCmosToolBar->OnInitDialog();
    m_pCmosToolBar->show();
    PlaceCmosToolBar();
    const QSize size = m_pCmosToolBar->size();
    ormidon::SetRoundRectRegion(m_pCmosToolBar, QRect(QPoint(0, 0), size), kCmosCornerEllipse,
                                kCmosCornerEllipse);
    g_lpApp->h_CmosToolBarHandle = m_pCmosToolBar->Handle();
}

// The tool bar hangs on the main window's left edge, overlapping it by two pixels, and stays
// above it.
void CQuorrelDlg::PlaceCmosToolBar() {
    if (m_pCmosToolBar == nullptr) return;
    const QRect frame = frameGeometry();
    m_pCmosToolBar->move(frame.left() - m_pCmosToolBar->width() + kCmosOverlap, frame.top());
    m_pCmosToolBar->raise();
}
