#pragma once
// The device configuration window: the tree sheet with the pages of the connected device's
// family, EXIT, APPLY and REBOOT. The main window opens it beside itself (modeless) and
// owns the object, which outlives its window: EXIT, APPLY and closing only close the window;
// the main window deletes the object.
//
// APPLY runs the pages' appliers in a fixed order (each only for a page that was shown),
// copies the local settings back, creates the record and snapshot folders, rebuilds the
// control-device list where the Peripheral or Device page changed it, and closes.
#include <QRect>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/WindowMessage.h"
#include "settings/SheetPages.h"
#include "sheet/ApplyBaseline.h"
#include "sheet/PageSheet.h"
#include "sheet/TreePropSheet.h"

class QPushButton;
namespace ormidon {
class WindowMessageTarget;
}

class MySystemDialog : public CTreePropSheet, public PageSheet {
  public:
    static constexpr int kIdExit = 8000;
    static constexpr int kIdApply = 8001;
    static constexpr int kIdReboot = 8002;
    static constexpr uint32_t kStringCaption = 3027;
    static constexpr uint32_t kMsgApplyPppoeWithoutDdns = 4101;
    static constexpr uint32_t kMsgSendTimeout = 4064;
    static constexpr uint32_t kApplyNetworkPause = 3000;

    MySystemDialog(const QString& caption, SheetHost* host, int startPage);
    ~MySystemDialog() override;

    int OnInitDialog() override;
    // Builds and shows the window (modeless). Once per object.
    void Create();
    bool IsWindowOpen() const override { return m_bWindowOpen; }

    void OnClickOK();
    void OnClickApply();
    void OnClickReboot();
    // Shows the Network Backup page when the sheet has it; 0.
    int OnGotoNetworkBackup();
    ormidon::WindowHandle Handle() const override;

    int DisableButtons() override;
    int EnableButtons() override;

    CPropertyPage* Page(PageKind kind) const;
    // The page whose caption is `caption`; nullptr for none.
    CPropertyPage* PageByCaption(const QString& caption) const;
    ApplyBaseline& Baseline() override { return m_baseline; }
    SheetLocalSettings& LocalSettings() override { return m_local; }
    SheetHost* MainWindowHost() const override { return Host(); }

    // The buttons' rectangles in a client area of `width` x `height` at display scale `s`.
    static QRect ButtonRect(int id, int width, int height, double scale);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void AddPages();
    // Runs the applier of the page of `kind` when that page has a window; its result, else 0.
    int ApplyPage(PageKind kind);
    // One applier per page, named as APPLY runs them.
    int ApplyAccountPage();
    int ApplyAlarmPages();
    int ApplyMailPage();
    int ApplyFTPPage();
    int ApplyDevicePage();
    int ApplyDetectionPage();
    int ApplyCameraPage();
    int ApplyDNSPage();
    int ApplyPeripheralPage();
    int ApplySNTPPage();
    int ApplyToolBoxPage();
    int ApplyTimerRecordPage();
    int ApplyDVRDatePage();
    int ApplyDVRRecordPage();
    // Non-zero when it sent the address settings.
    int ApplyNetworkPage();
    bool PppoeWithoutDdns() const;
    void CopyLocalSettings();
    void RebuildFromPeripherals();
    void RebuildFromRs485();
    void CloseWindow();
    void SetButtonsEnabled(bool enabled);

    std::vector<std::unique_ptr<CPropertyPage>> m_pages;
    ApplyBaseline m_baseline;
    SheetLocalSettings m_local;
    QPushButton* m_btnExit = nullptr;
    QPushButton* m_btnApply = nullptr;
    QPushButton* m_btnReboot = nullptr;
    ormidon::WindowMessageTarget* m_messageTarget = nullptr;
    bool m_bWindowOpen = false;
    bool m_bCreated = false;
};
