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
#include "settings/ApplyBaseline.h"
#include "settings/SheetPages.h"
#include "settings/TreePropSheet.h"

class QPushButton;
namespace ormidon {
class WindowMessageTarget;
}

// Message ids of the sheet.
inline constexpr uint32_t WM_GOTONETWORKBACKUP = 0x415;
inline constexpr uint32_t WM_SYNCTIMEDONE = 0x41c;

// What APPLY copies into the settings; the main window fills the first values when it
// opens the sheet, the rest start from the settings. Pages read and change them here, so
// an unopened page writes back what was there.
struct SheetLocalSettings {
    // File Path page.
    std::string strRecordDir;
    std::string strSnapshotDir;
    std::string strAlarmWavFile;
    // Alarm page.
    uint8_t byAlarmRecord = 0;
    uint8_t byAlarmAutoSwitchVideo = 0;
    // General page: the turbo step's list index (the setting minus one).
    int nTurboStepIndex = 0;
    // Network Backup page: copied only when the page was shown.
    int32_t dwDynamicDownloadOption = 0;
    bool bNetworkFileDirectoryChanged = false;
    std::string strNetworkFileDirectory;
    // Search List page: each copied only when marked changed.
    bool bSearchListTypeChanged = false;
    uint8_t bySearchListType = 0;
    bool bSearchListHDDChanged = false;
    uint16_t wSearchListHDD = 0;
    bool bSearchListMaxNumberChanged = false;
    uint16_t wSearchListMaxNumber = 0;
};

class MySystemDialog : public CTreePropSheet {
  public:
    static constexpr int kIdExit = 8000;
    static constexpr int kIdApply = 8001;
    static constexpr int kIdReboot = 8002;
    static constexpr uint32_t kStringCaption = 3027;
    static constexpr uint32_t kMsgApplyPppoeWithoutDdns = 4101;
    static constexpr uint32_t kMsgSendTimeout = 4064;
    static constexpr uint32_t kMsgChangeFailed = 4012;
    static constexpr uint32_t kApplyNetworkPause = 3000;

    MySystemDialog(const QString& caption, SheetHost* host, int startPage);
    ~MySystemDialog() override;

    int OnInitDialog() override;
    // Builds and shows the window (modeless). Once per object.
    void Create();
    // True while the window is open (between Create and EXIT, APPLY or closing).
    bool IsWindowOpen() const { return m_bWindowOpen; }

    void OnClickOK();
    void OnClickApply();
    void OnClickReboot();
    // Shows the Network Backup page when the sheet has it; 0.
    int OnGotoNetworkBackup();
    // Where WM_GOTONETWORKBACKUP is posted.
    ormidon::WindowHandle Handle() const;

    int DisableButtons();
    int EnableButtons();

    CPropertyPage* Page(PageKind kind) const;
    // The page whose caption is `caption`; nullptr for none.
    CPropertyPage* PageByCaption(const QString& caption) const;
    ApplyBaseline& Baseline() { return m_baseline; }
    SheetLocalSettings& LocalSettings() { return m_local; }
    // The main window, for pages that ask it for something (the Detection page has it show
    // a channel live).
    SheetHost* MainWindowHost() const { return Host(); }

    // Set by the Device and Peripheral appliers; APPLY rebuilds the control-device list.
    bool m_bDeviceListChanged = false;
    bool m_bPeripheralChanged = false;

    // The buttons' rectangles in a client area of `width` x `height` at display scale `s`.
    static QRect ButtonRect(int id, int width, int height, double scale);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void AddPages();
    void ApplyPage(PageKind kind);
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
