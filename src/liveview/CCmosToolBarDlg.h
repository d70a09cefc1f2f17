#pragma once
// CCmosToolBarDlg: the narrow skinned tool bar beside the main window of a T18D device,
// whose camera sensor can show its whole frame or one of five quarter frames and mirror
// the picture. Six buttons choose the frame mode ("/OV9653Zoom.cgi"), two mirror the
// picture ("/OV9653Rotate.cgi"). The buttons show what the device reports in its frame
// headers (WM_CMOSSTATUS), never what was last asked for.
//
// The main window creates it with itself as parent, places it beside itself and hands
// Handle() to the frame-header reactions. UI thread only; WM_CMOSSTATUS may be posted
// from any thread.
#include <QImage>
#include <array>
#include <cstdint>

#include "net/CgiCommand.h"
#include "platform/WindowMessage.h"
#include "platform/window/SkinnedDialog.h"

class CVtxButton;

namespace ormidon {
class WindowMessageTarget;
}

class CCmosToolBarDlg : public ormidon::SkinnedDialog {
    Q_OBJECT
  public:
    static constexpr int kIdFullFrame = 8600;  // 8600-8605: frame modes 0-5
    static constexpr int kIdHorizontalRotate = 8606;
    static constexpr int kIdVerticalRotate = 8607;
    static constexpr int kModeCount = 6;
    static constexpr int kButtonCount = 8;
    static constexpr QSize kWindowSize{45, 300};

    explicit CCmosToolBarDlg(QWidget* parent = nullptr);
    ~CCmosToolBarDlg() override;

    // Loads the background and creates the buttons; 1, or 0 (no buttons) when the
    // background cannot be loaded.
    int OnInitDialog();

    // Where WM_CMOSSTATUS is posted.
    ormidon::WindowHandle Handle() const;

    // The device's report: frame mode in the low four bits, 0x80 mirrored horizontally,
    // 0x40 vertically. Returns 0.
    int OnSensorState(uint8_t status);
    void UpdateModeButtons();
    void OnZoomMode(int n);
    void OnHorizontalRotate();
    void OnVerticalRotate();

    uint8_t Mode() const { return m_byMode; }
    bool HorizontalFlag() const { return m_byHorizontal != 0; }
    bool VerticalFlag() const { return m_byVertical != 0; }
    // Button `id` (8600-8607); null before OnInitDialog created it.
    CVtxButton* Button(int id) const;

  protected:
    // Enter and Escape leave the tool bar open.
    void OnOK() override {}
    void OnCancel() override {}
    void paintEvent(QPaintEvent* event) override;

  private:
    // "/OV9653Rotate.cgi" with the two flags in the order given.
    void SendRotate(const char* firstKey, int firstValue, const char* secondKey, int secondValue);
    void SendSensorRequest(uint8_t index, CCgiRequest& request);

    ormidon::WindowMessageTarget* m_messageTarget = nullptr;
    QImage m_background;
    std::array<CVtxButton*, kButtonCount> m_buttons{};
    uint8_t m_byMode = 0;
    uint8_t m_byHorizontal = 0;
    uint8_t m_byVertical = 0;
};
