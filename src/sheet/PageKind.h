#pragma once
// The kinds of page the settings sheet can have: one kind per page class, in the sheet's
// member order, and the tab caption of each.
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
