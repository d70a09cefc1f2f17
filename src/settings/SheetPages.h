#pragma once
// The pages of the settings sheet: one kind per page class, in the sheet's member order,
// and the factory table that makes a page object of each kind.
#include <memory>
#include <vector>

class CPropertyPage;
class MySystemDialog;

enum class PageKind {
    Network,         // NetworkConfigPage
    Mail,            // MailPropertyPage
    FTP,             // FTPPropertyPage
    Account,         // AccountPropertyPage
    Peripheral,      // CPeripheralPage
    General,         // ToolBoxPropertyPage
    FilePath,        // RecordPage
    Alarm,           // AlarmPropertyPage
    OnlineUserInfo,  // COnlineUserPage
    AlarmList,       // AlarmDataPage
    ServerTime,      // CSNTPPage
    DDNS,            // CDNSPage
    Device,          // DevicePage
    Detection,       // DetectionPage
    Camera,          // CameraPage ("DVR")
    NetworkBackup,   // DownloadFilePage
    SearchList,      // CEventPage
    TimerRecord,     // TimerRecordPage
    DVRDate,         // DVRDatePage
    DVRRecord,       // DVRRecordPage
    Count
};

// The tab caption of each kind ("Network", "DVR", ...).
const char* PageCaption(PageKind kind);

// The pages of the connected device's family, in tab order; empty for a device of no family.
std::vector<PageKind> FamilyPages();

// Makes the page object of `kind` for `sheet`: the page class when it is built, else a
// placeholder page that shows its caption.
std::unique_ptr<CPropertyPage> CreateSheetPage(PageKind kind, MySystemDialog& sheet);
