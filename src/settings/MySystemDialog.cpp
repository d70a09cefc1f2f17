#include "settings/MySystemDialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <filesystem>
#include <system_error>

#include "backup/BackupPreset.h"
#include "core/AppObject.h"
#include "core/ConfigRecords.h"
#include "core/DeviceIdentity.h"
#include "core/SessionCookie.h"
#include "core/StringTable.h"
#include "net/CgiCommand.h"
#include "net/HalvoSendCommand.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/window/ControlId.h"
#include "platform/window/WindowMessageTarget.h"
#include "sheet/PropertyPage.h"
#include "sheet/SheetHost.h"

namespace {

constexpr uint16_t kRebootSeconds = 15;
constexpr uint8_t kKindCamera = 0;
constexpr uint8_t kKindPtzSlave = 11;
constexpr uint8_t kKindPtzPelco = 18;

QString StringText(uint32_t id) {
    const std::string_view text = LoadResourceString(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool CameraFamily() { return IsP62KModel() || IsT18DModel(); }

}  // namespace

MySystemDialog::MySystemDialog(const QString& caption, SheetHost* host, int startPage)
    : CTreePropSheet(caption, host, startPage) {
    if (g_lpApp != nullptr) {
        const CSettingINI& settings = g_lpApp->CSettingINI;
        m_local.strRecordDir = settings.m_strRecordPath;
        m_local.strSnapshotDir = settings.m_strSnapshotPath;
        m_local.strAlarmWavFile = settings.m_strTriggerWavPath;
        m_local.byAlarmRecord = settings.m_byAlarmTriggerRecord;
        m_local.byAlarmAutoSwitchVideo = settings.m_byAlarmAutoSwitchVideo;
        m_local.nTurboStepIndex = g_lpApp->by_TurboRepeatStep.load() - 1;
        m_local.dwDynamicDownloadOption = settings.m_dwDynamicDownloadOption;
        m_local.strNetworkFileDirectory = settings.m_strNetworkFileDirectory;
        m_local.bySearchListType = settings.m_bySearchListType;
        m_local.wSearchListHDD = settings.m_wSearchListHDD;
        m_local.wSearchListMaxNumber = settings.m_wSearchListMaxNumber;
    }
    AddPages();
    m_messageTarget = new ormidon::WindowMessageTarget(
        [this](uint32_t message, ormidon::WParam, ormidon::LParam) {
            if (message == WM_GOTONETWORKBACKUP) OnGotoNetworkBackup();
        },
        this);
}

ormidon::WindowHandle MySystemDialog::Handle() const { return m_messageTarget->Handle(); }

MySystemDialog::~MySystemDialog() {
    if (g_lpApp != nullptr) g_lpApp->f_SystemDialogOpen.exchange(0);
    // Workers waiting for the progress slot give up before the pages go.
    StopProgress();
    m_pages.clear();
}

void MySystemDialog::AddPages() {
    g_BackupPreset = BackupPreset{};
    for (PageKind kind : FamilyPages()) {
        m_pages.push_back(CreateSheetPage(kind, *this));
        AddPage(m_pages.back().get());
    }
    m_bDeviceListChanged = false;
    m_bPeripheralChanged = false;
}

CPropertyPage* MySystemDialog::Page(PageKind kind) const {
    for (int i = 0; i < GetPageCount(); ++i)
        if (GetPage(i)->Kind() == kind) return GetPage(i);
    return nullptr;
}

CPropertyPage* MySystemDialog::PageByCaption(const QString& caption) const {
    for (int i = 0; i < GetPageCount(); ++i)
        if (GetPage(i)->Caption() == caption) return GetPage(i);
    return nullptr;
}

QRect MySystemDialog::ButtonRect(int id, int width, int height, double scale) {
    double offset = 340;
    if (id == kIdReboot) offset = 220;
    if (id == kIdApply) offset = 100;
    const int left = static_cast<int>(width - offset * scale);
    const int top = static_cast<int>(height - 27 * scale);
    return QRect(left, top, static_cast<int>(80 * scale), static_cast<int>(22 * scale));
}

int MySystemDialog::OnInitDialog() {
    const int result = CTreePropSheet::OnInitDialog();
    SetProgressSlot(ProgressMailbox());
    if (g_lpApp != nullptr) m_baseline = CopyOriginalConfig(*g_lpApp);

    const float dpi = g_lpApp != nullptr ? g_lpApp->fl_DPIScale.load() : 0.0f;
    const double scale = dpi > 0.0f ? dpi : 1.0;
    const auto makeButton = [this, scale](int id) {
        auto* button = new QPushButton(StringText(static_cast<uint32_t>(id)), this);
        ormidon::SetControlId(button, id);
        button->setGeometry(ButtonRect(id, width(), height(), scale));
        button->setAutoDefault(false);
        return button;
    };
    m_btnExit = makeButton(kIdExit);
    connect(m_btnExit, &QPushButton::clicked, this, [this] { OnClickOK(); });
    if (CameraFamily()) {
        m_btnReboot = makeButton(kIdReboot);
        connect(m_btnReboot, &QPushButton::clicked, this, [this] { OnClickReboot(); });
    }
    if (IsP5xKModel() || IsN2xVModel() || CameraFamily()) {
        m_btnApply = makeButton(kIdApply);
        connect(m_btnApply, &QPushButton::clicked, this, [this] { OnClickApply(); });
    }
    // No close box: the sheet ends by its buttons.
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    setWindowFlag(Qt::WindowSystemMenuHint, false);
    return result;
}

void MySystemDialog::Create() {
    if (m_bCreated) return;
    m_bCreated = true;
    OnInitDialog();
    m_bWindowOpen = true;
    show();
}

void MySystemDialog::CloseWindow() {
    if (!m_bWindowOpen) return;
    m_bWindowOpen = false;
    if (g_lpApp != nullptr) g_lpApp->f_SystemDialogOpen.exchange(0);
    for (const std::unique_ptr<CPropertyPage>& page : m_pages) page->OnSheetClose();
    hide();
}

void MySystemDialog::closeEvent(QCloseEvent* event) {
    CloseWindow();
    event->accept();
}

void MySystemDialog::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape do not end the sheet: only its buttons do.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    CTreePropSheet::keyPressEvent(event);
}

void MySystemDialog::OnClickOK() { CloseWindow(); }

void MySystemDialog::SetButtonsEnabled(bool enabled) {
    for (QPushButton* button : {m_btnExit, m_btnApply, m_btnReboot})
        if (button != nullptr) button->setEnabled(enabled);
}

int MySystemDialog::DisableButtons() {
    SetButtonsEnabled(false);
    return 1;
}

int MySystemDialog::EnableButtons() {
    SetButtonsEnabled(true);
    return 1;
}

int MySystemDialog::OnGotoNetworkBackup() {
    if (CPropertyPage* page = Page(PageKind::NetworkBackup); page != nullptr) SetActivePage(page);
    return 0;
}

void MySystemDialog::OnClickReboot() {
    CCgiRequest request(CGI_REBOOT);
    const std::string cookie = GetSessionCookie();
    if (!cookie.empty()) request.AddParam("Cookie", cookie);
    const bool sent =
        request.IsValid() &&
        HalvoSendCommand(CGI_REBOOT, request.GetBuffer(), request.GetLength(), nullptr, 0, nullptr,
                         0, nullptr, 0, nullptr, kRebootSeconds, kRebootSeconds) != 0;
    if (!sent) ormidon::ShowMessage(kMsgSendTimeout);
}

int MySystemDialog::ApplyPage(PageKind kind) {
    CPropertyPage* page = Page(kind);
    return page != nullptr && page->HasWindow() ? page->Apply() : 0;
}

// The appliers, in the order APPLY runs them; each is its page's Apply.
int MySystemDialog::ApplyAccountPage() { return ApplyPage(PageKind::Account); }
int MySystemDialog::ApplyAlarmPages() { return ApplyPage(PageKind::Alarm); }
int MySystemDialog::ApplyMailPage() { return ApplyPage(PageKind::Mail); }
int MySystemDialog::ApplyFTPPage() { return ApplyPage(PageKind::FTP); }
int MySystemDialog::ApplyDevicePage() { return ApplyPage(PageKind::Device); }
int MySystemDialog::ApplyDetectionPage() { return ApplyPage(PageKind::Detection); }
int MySystemDialog::ApplyCameraPage() { return ApplyPage(PageKind::Camera); }
int MySystemDialog::ApplyDNSPage() { return ApplyPage(PageKind::DDNS); }
int MySystemDialog::ApplyPeripheralPage() { return ApplyPage(PageKind::Peripheral); }
int MySystemDialog::ApplySNTPPage() { return ApplyPage(PageKind::ServerTime); }
int MySystemDialog::ApplyToolBoxPage() { return ApplyPage(PageKind::General); }
int MySystemDialog::ApplyTimerRecordPage() { return ApplyPage(PageKind::TimerRecord); }
int MySystemDialog::ApplyDVRDatePage() { return ApplyPage(PageKind::DVRDate); }
int MySystemDialog::ApplyDVRRecordPage() { return ApplyPage(PageKind::DVRRecord); }
int MySystemDialog::ApplyNetworkPage() { return ApplyPage(PageKind::Network); }

bool MySystemDialog::PppoeWithoutDdns() const {
    if (g_lpApp == nullptr) return false;
    int addressType = ReadUInt(g_lpApp->m_Cfg_IP, IpRecord::byIPType);
    if (const CPropertyPage* network = Page(PageKind::Network);
        network != nullptr && network->HasWindow() && network->ChosenAddressType() >= 0)
        addressType = network->ChosenAddressType();
    int ddns = static_cast<int>(ReadUInt(g_lpApp->m_Cfg_SMTP, SmtpRecord::byDDNSEnable));
    if (const CPropertyPage* page = Page(PageKind::DDNS);
        page != nullptr && page->HasWindow() && page->ChosenDDNSEnable() >= 0)
        ddns = page->ChosenDDNSEnable();
    return addressType == IpRecord::kPppoe && ddns == 0;
}

void MySystemDialog::OnClickApply() {
    if (g_lpApp == nullptr) return;
    // The shown page must agree to be left first, as for a change of page: a page with a
    // value missing (an empty port) keeps the sheet open instead of dropping its changes.
    if (CPropertyPage* active = GetActivePage(); active != nullptr && !active->OnKillActive())
        return;
    // The N2xV's Network page is never applied, and it has no DDNS page to switch dynamic
    // DNS on: the check would refuse its every APPLY.
    if (!IsN2xVModel() && PppoeWithoutDdns()) {
        ormidon::ShowMessage(kMsgApplyPppoeWithoutDdns);
        return;
    }

    ApplyAccountPage();
    ApplyAlarmPages();
    ApplyMailPage();
    ApplyFTPPage();
    ApplyDevicePage();
    ApplyDetectionPage();
    ApplyCameraPage();
    ApplyDNSPage();
    if (CameraFamily()) {
        ApplyPeripheralPage();
        ApplySNTPPage();
    }
    if (CPropertyPage* general = Page(PageKind::General);
        general != nullptr && general->HasWindow()) {
        general->UpdateData(true);
        if (IsP5xKModel() || IsP62KModel()) ApplyToolBoxPage();
    }
    if (IsP5xKModel()) {
        ApplyTimerRecordPage();
        ApplyDVRDatePage();
        ApplyDVRRecordPage();
    }
    // The following requests already go to the new address and port.
    if (!IsN2xVModel() && ApplyNetworkPage() != 0) ormidon::Sleep(kApplyNetworkPause);

    CopyLocalSettings();
    if (m_bPeripheralChanged) RebuildFromPeripherals();
    if (m_bDeviceListChanged) RebuildFromRs485();
    CloseWindow();
}

void MySystemDialog::CopyLocalSettings() {
    CSettingINI& settings = g_lpApp->CSettingINI;
    settings.m_strRecordPath = m_local.strRecordDir;
    settings.m_strSnapshotPath = m_local.strSnapshotDir;
    settings.m_strTriggerWavPath = m_local.strAlarmWavFile;
    settings.m_byAlarmTriggerRecord = m_local.byAlarmRecord;
    settings.m_byAlarmAutoSwitchVideo = m_local.byAlarmAutoSwitchVideo;
    if (const CPropertyPage* backup = Page(PageKind::NetworkBackup);
        backup != nullptr && backup->HasWindow())
        settings.m_dwDynamicDownloadOption = m_local.dwDynamicDownloadOption;
    g_lpApp->by_TurboRepeatStep = static_cast<uint8_t>(m_local.nTurboStepIndex + 1);

    // An existing folder, or one that cannot be made, is no failure here.
    std::error_code ignored;
    if (!settings.m_strRecordPath.empty())
        std::filesystem::create_directory(settings.m_strRecordPath, ignored);
    if (!settings.m_strSnapshotPath.empty())
        std::filesystem::create_directory(settings.m_strSnapshotPath, ignored);

    if (m_local.bNetworkFileDirectoryChanged)
        settings.m_strNetworkFileDirectory = m_local.strNetworkFileDirectory;
    if (m_local.bSearchListTypeChanged) settings.m_bySearchListType = m_local.bySearchListType;
    if (m_local.bSearchListHDDChanged) settings.m_wSearchListHDD = m_local.wSearchListHDD;
    if (m_local.bSearchListMaxNumberChanged)
        settings.m_wSearchListMaxNumber = m_local.wSearchListMaxNumber;
}

void MySystemDialog::RebuildFromPeripherals() {
    C_ControlD& devices = g_lpApp->C_ControlD;
    const std::span<const uint8_t> peri = g_lpApp->m_Cfg_PERI;
    devices.Clear();
    for (std::size_t device = 0; device < 2; ++device) {
        devices.AddDevice(ReadUInt(peri, PeriRecord::dwPeriBaudRate, device),
                          static_cast<uint8_t>(ReadUInt(peri, PeriRecord::byPeriId, device)),
                          static_cast<uint8_t>(ReadUInt(peri, PeriRecord::byPeriModel, device)),
                          kRoleMaster);
    }
    devices.MakeCurrent(kRoleMaster, g_lpApp->CSettingINI.m_bySelectedChannel == 1 ? 0 : 1);
    if (Host() != nullptr) Host()->RefreshRemotePanel();
}

void MySystemDialog::RebuildFromRs485() {
    C_ControlD& devices = g_lpApp->C_ControlD;
    const std::span<const uint8_t> rs485 = g_lpApp->m_Cfg_RS485;
    const auto addChannels = [&](uint16_t role) {
        for (std::size_t channel = 0; channel < Rs485Record::kChannels; ++channel) {
            const bool ptz = ReadUInt(rs485, Rs485Record::byPtzDevice, channel) == 1;
            const bool pelco = ReadUInt(rs485, Rs485Record::byPtzProtocol, channel) == 1;
            const uint8_t kind = ptz ? (pelco ? kKindPtzPelco : kKindPtzSlave) : kKindCamera;
            devices.AddDevice(ReadUInt(rs485, Rs485Record::dwPtzBaudRate, channel),
                              static_cast<uint8_t>(ReadUInt(rs485, Rs485Record::byPtzId, channel)),
                              kind, role);
        }
    };
    const uint8_t wasMaster = devices.IsCurrentMaster();
    const uint8_t indexInKind = devices.GetCurrentIndexInKind();
    if (IsP5xKModel() && IsMultiChannel() != 0) {
        const uint8_t masterKind = devices.GetMasterKind(0);
        devices.Clear();
        devices.AddDevice(0, 0, masterKind, kRoleMaster);
        addChannels(kRoleMaster);
        devices.MakeCurrent(kRoleMaster, indexInKind);
    } else {
        devices.RemoveSlaves();
        addChannels(kRoleSlave);
        if (wasMaster == 0) {
            const uint8_t kind = devices.GetSlaveKind(indexInKind);
            if (kind == kKindPtzSlave || kind == kKindPtzPelco) {
                devices.MakeCurrent(kRoleSlave, indexInKind);
            } else {
                if (Host() != nullptr) Host()->ResetPtzControlKey();
                devices.MakeCurrent(kRoleMaster, 0);
            }
        }
    }
    if (Host() != nullptr) Host()->RefreshRemotePanel();
}
