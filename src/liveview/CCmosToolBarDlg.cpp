#include "liveview/CCmosToolBarDlg.h"

#include <QPainter>

#include "core/AppMessages.h"
#include "core/AppObject.h"
#include "core/StringTable.h"
#include "liveview/WindowCommand.h"
#include "platform/MessageBox.h"
#include "platform/window/BitmapFile.h"
#include "platform/window/ControlId.h"
#include "platform/window/SkinnedWindow.h"
#include "platform/window/WindowMessageTarget.h"
#include "widgets/CVtxButton.h"

namespace {

constexpr const char* kBackgroundFile = "BMP\\CMOS\\ToolBarBG.bmp";

// The buttons top to bottom, 30 x 30 each at x 6, 34 pixels apart from y 10.
constexpr int kButtonLeft = 6;
constexpr int kButtonTop = 10;
constexpr int kButtonPitch = 34;
constexpr int kButtonSide = 30;

// The frame modes' pictures: off ("_UP") and on ("_DOWN"); each state's hover picture
// is its normal one.
constexpr std::array<std::array<const char*, 2>, CCmosToolBarDlg::kModeCount> kModePictures = {{
    {"BMP\\CMOS\\FullFrame_UP.bmp", "BMP\\CMOS\\FullFrame_DOWN.bmp"},
    {"BMP\\CMOS\\QFrame_LT_UP.bmp", "BMP\\CMOS\\QFrame_LT_DOWN.bmp"},
    {"BMP\\CMOS\\QFrame_RT_UP.bmp", "BMP\\CMOS\\QFrame_RT_DOWN.bmp"},
    {"BMP\\CMOS\\QFrame_LB_UP.bmp", "BMP\\CMOS\\QFrame_LB_DOWN.bmp"},
    {"BMP\\CMOS\\QFrame_RB_UP.bmp", "BMP\\CMOS\\QFrame_RB_DOWN.bmp"},
    {"BMP\\CMOS\\QFrame_CN_UP.bmp", "BMP\\CMOS\\QFrame_CN_DOWN.bmp"},
}};

// The mirror buttons: flat, then focus and selected.
constexpr std::array<std::array<const char*, 2>, 2> kMirrorPictures = {{
    {"BMP\\CMOS\\CMOS_HR_UP.bmp", "BMP\\CMOS\\CMOS_HR_DOWN.bmp"},
    {"BMP\\CMOS\\CMOS_VR_UP.bmp", "BMP\\CMOS\\CMOS_VR_DOWN.bmp"},
}};

// The reply is not examined; a longer one still fails the request.
constexpr size_t kReplySize = 256;

}  // namespace

CCmosToolBarDlg::CCmosToolBarDlg(QWidget* parent) : SkinnedDialog(parent) {
    setWindowFlag(Qt::Tool, true);
    m_messageTarget = new ormidon::WindowMessageTarget(
        [this](uint32_t message, ormidon::WParam wParam, ormidon::LParam) {
            if (message == WM_CMOSSTATUS) OnSensorState(static_cast<uint8_t>(wParam & 0xFF));
        },
        this);
    resize(kWindowSize);
}

CCmosToolBarDlg::~CCmosToolBarDlg() {
    // Reports that arrive from now on find no window.
    if (g_lpApp) {
        ormidon::WindowHandle handle = Handle();
        g_lpApp->h_CmosToolBarHandle.compare_exchange_strong(handle, 0);
    }
}

ormidon::WindowHandle CCmosToolBarDlg::Handle() const { return m_messageTarget->Handle(); }

int CCmosToolBarDlg::OnInitDialog() {
    m_background = ormidon::LoadBitmapFile(kBackgroundFile);
    if (m_background.isNull()) return 0;
    for (int i = 0; i < kButtonCount; ++i) {
        const int id = kIdFullFrame + i;
        auto* button = new CVtxButton(this);
        ormidon::SetControlId(button, id);
        button->setGeometry(kButtonLeft, kButtonTop + i * kButtonPitch, kButtonSide, kButtonSide);
        button->setToolTip(QString::fromUtf8(LoadResourceString(static_cast<uint32_t>(id))));
        if (i < kModeCount) {
            const auto& [up, down] = kModePictures[static_cast<size_t>(i)];
            const std::array<const char*, 4> files = {up, up, down, down};
            button->LoadButtonBitmap(2, files, CVtxButton::kStyleCycle);
            connect(button, &CVtxButton::clicked, this, [this, i] { OnZoomMode(i); });
        } else {
            const auto& [flat, down] = kMirrorPictures[static_cast<size_t>(i - kModeCount)];
            button->LoadButtonBitmap(flat, down, down, CVtxButton::kStylePush);
            connect(button, &CVtxButton::clicked, this,
                    id == kIdHorizontalRotate ? &CCmosToolBarDlg::OnHorizontalRotate
                                              : &CCmosToolBarDlg::OnVerticalRotate);
        }
        button->show();
        m_buttons[static_cast<size_t>(i)] = button;
    }
    UpdateModeButtons();
    return 1;
}

CVtxButton* CCmosToolBarDlg::Button(int id) const {
    const int i = id - kIdFullFrame;
    return i >= 0 && i < kButtonCount ? m_buttons[static_cast<size_t>(i)] : nullptr;
}

void CCmosToolBarDlg::UpdateModeButtons() {
    for (int i = 0; i < kModeCount; ++i) {
        if (CVtxButton* button = m_buttons[static_cast<size_t>(i)]) {
            button->SetState(i == m_byMode ? 1 : 0);
        }
    }
}

int CCmosToolBarDlg::OnSensorState(uint8_t status) {
    const uint8_t mode = status & 0x0F;
    const uint8_t horizontal = (status & 0x80) ? 1 : 0;
    const uint8_t vertical = (status & 0x40) ? 1 : 0;
    if (mode != m_byMode || horizontal != m_byHorizontal || vertical != m_byVertical) {
        m_byMode = mode;
        m_byHorizontal = horizontal;
        m_byVertical = vertical;
        UpdateModeButtons();
    }
    return 0;
}

void CCmosToolBarDlg::SendSensorRequest(uint8_t index, CCgiRequest& request) {
    char reply[kReplySize];
    uint32_t length = 0;
    if (!SendWindowCommand(index, request, reply, &length)) {
        ormidon::ShowMessage(kStrSendCommandTimeout);
    }
}

void CCmosToolBarDlg::OnZoomMode(int n) {
    // The click stepped the clicked button on; the buttons go back to the reported mode
    // until the device reports the new one.
    UpdateModeButtons();
    CCgiRequest request = WindowCommandRequest(CGI_OV9653ZOOM);
    request.AddIntParam("MODE", n);
    SendSensorRequest(CGI_OV9653ZOOM, request);
}

void CCmosToolBarDlg::SendRotate(const char* firstKey, int firstValue, const char* secondKey,
                                 int secondValue) {
    CCgiRequest request = WindowCommandRequest(CGI_OV9653ROTATE);
    request.AddIntParam(firstKey, firstValue);
    request.AddIntParam(secondKey, secondValue);
    SendSensorRequest(CGI_OV9653ROTATE, request);
}

void CCmosToolBarDlg::OnHorizontalRotate() {
    SendRotate("HR", m_byHorizontal ? 0 : 1, "VR", m_byVertical);
}

void CCmosToolBarDlg::OnVerticalRotate() {
    SendRotate("VR", m_byVertical ? 0 : 1, "HR", m_byHorizontal);
}

void CCmosToolBarDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    ormidon::DrawStretched(painter, m_background, QRect(QPoint(0, 0), kWindowSize));
}
