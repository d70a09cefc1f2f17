#include "settings/SheetPages.h"

#include "core/AppObject.h"
#include "core/DeviceIdentity.h"
#include "sheet/PropertyPage.h"

// The page classes: a page plugs in by making its line here and its case below live.
// The blank lines keep each page's line apart from its neighbours' for merges.
#include "settings/NetworkConfigPage.h"

#include "settings/MailPropertyPage.h"

#include "settings/FTPPropertyPage.h"

#include "settings/AccountPropertyPage.h"

#include "settings/CPeripheralPage.h"

#include "settings/ToolBoxPropertyPage.h"

#include "backup/RecordPage.h"

#include "backup/AlarmPropertyPage.h"

#include "settings/COnlineUserPage.h"

#include "backup/AlarmDataPage.h"

#include "settings/CSNTPPage.h"

#include "settings/CDNSPage.h"

#include "settings/DevicePage.h"

#include "settings/DetectionPage.h"

#include "settings/CameraPage.h"

#include "backup/DownloadFilePage.h"

#include "backup/CEventPage.h"

#include "backup/TimerRecordPage.h"

#include "backup/DVRDatePage.h"

#include "backup/DVRRecordPage.h"

namespace {

bool HasRetrDvr() { return g_lpApp != nullptr && g_lpApp->C_ControlD.HasRetrDvr() != 0; }

}  // namespace

std::vector<PageKind> FamilyPages() {
    using enum PageKind;
    if (IsP5xKModel()) {
        std::vector<PageKind> pages = {Network, DDNS,      Mail,          FTP,        Camera,
                                       Device,  Detection, NetworkBackup, SearchList, TimerRecord,
                                       DVRDate, DVRRecord, Alarm};
        if (HasRetrDvr()) pages.push_back(AlarmList);
        pages.insert(pages.end(), {General, Account, OnlineUserInfo, FilePath});
        return pages;
    }
    if (IsP62KModel())
        return {Network,   DDNS,    Mail,    FTP,        ServerTime,     Alarm,
                AlarmList, General, Account, Peripheral, OnlineUserInfo, FilePath};
    if (IsT18DModel())
        return {Network, DDNS,    Mail,           FTP,     ServerTime, Alarm, AlarmList,
                General, Account, OnlineUserInfo, FilePath};
    if (IsN2xVModel())
        return {Network, Mail, FTP, Alarm, General, Account, OnlineUserInfo, FilePath};
    return {};
}

std::unique_ptr<CPropertyPage> CreateSheetPage(PageKind kind, PageSheet& sheet) {
    switch (kind) {
        case PageKind::Network:
            return std::make_unique<NetworkConfigPage>(sheet);

        case PageKind::Mail:
            return std::make_unique<MailPropertyPage>(sheet);

        case PageKind::FTP:
            return std::make_unique<FTPPropertyPage>(sheet);

        case PageKind::Account:
            return std::make_unique<AccountPropertyPage>(sheet);

        case PageKind::Peripheral:
            return std::make_unique<CPeripheralPage>(sheet);

        case PageKind::General:
            return std::make_unique<ToolBoxPropertyPage>(sheet);

        case PageKind::FilePath:
            return std::make_unique<RecordPage>(sheet);

        case PageKind::Alarm:
            return std::make_unique<AlarmPropertyPage>(sheet);

        case PageKind::OnlineUserInfo:
            return std::make_unique<COnlineUserPage>(sheet);

        case PageKind::AlarmList:
            return std::make_unique<AlarmDataPage>(sheet);

        case PageKind::ServerTime:
            return std::make_unique<CSNTPPage>(sheet);

        case PageKind::DDNS:
            return std::make_unique<CDNSPage>(sheet);

        case PageKind::Device:
            return std::make_unique<DevicePage>(sheet);

        case PageKind::Detection:
            return std::make_unique<DetectionPage>(sheet);

        case PageKind::Camera:
            return std::make_unique<CameraPage>(sheet);

        case PageKind::NetworkBackup:
            return std::make_unique<DownloadFilePage>(sheet);

        case PageKind::SearchList:
            return std::make_unique<CEventPage>(sheet);

        case PageKind::TimerRecord:
            return std::make_unique<TimerRecordPage>(sheet);

        case PageKind::DVRDate:
            return std::make_unique<DVRDatePage>(sheet);

        case PageKind::DVRRecord:
            return std::make_unique<DVRRecordPage>(sheet);

        default:
            return std::make_unique<CPlaceholderPage>(sheet, kind);
    }
}
