#pragma once
// The sheet as its pages see it. Every page is constructed with it; the settings sheet
// window (settings/MySystemDialog.h) implements it, so the pages of any folder reach their
// sheet without knowing the window that holds them.
#include <cstdint>
#include <string>

#include "platform/WindowMessage.h"

class SheetHost;
struct ApplyBaseline;

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

class PageSheet {
  public:
    // The string an applier shows when the device refused a section.
    static constexpr uint32_t kMsgChangeFailed = 4012;

    virtual ~PageSheet() = default;

    // True while the window is open (between Create and EXIT, APPLY or closing).
    virtual bool IsWindowOpen() const = 0;
    // Where WM_GOTONETWORKBACKUP is posted.
    virtual ormidon::WindowHandle Handle() const = 0;
    // The values the pages had when the sheet opened; appliers compare with them.
    virtual ApplyBaseline& Baseline() = 0;
    // What APPLY copies into the settings, kept also while a page has no window.
    virtual SheetLocalSettings& LocalSettings() = 0;
    // The main window, for pages that ask it for something (the Detection page has it show
    // a channel live).
    virtual SheetHost* MainWindowHost() const = 0;
    // Turns EXIT, APPLY and REBOOT off and on again.
    virtual int DisableButtons() = 0;
    virtual int EnableButtons() = 0;

    // Set by the Device and Peripheral appliers; APPLY rebuilds the control-device list.
    bool m_bDeviceListChanged = false;
    bool m_bPeripheralChanged = false;

  protected:
    PageSheet() = default;
    PageSheet(const PageSheet&) = default;
    PageSheet& operator=(const PageSheet&) = default;
};
