#include "backup/DownloadFilePage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "backup/BackupPlayerHandOff.h"
#include "backup/BackupPreset.h"
#include "backup/CCDBurner.h"
#include "backup/CDownloadProgressDlg.h"
#include "core/AppObject.h"
#include "core/KernelMailbox.h"
#include "core/ServerAddress.h"
#include "core/SessionCookie.h"
#include "core/StringTable.h"
#include "net/NetworkBackupDownload.h"
#include "platform/AsciiCase.h"
#include "platform/MessageBox.h"
#include "sheet/PageSheet.h"
#include "sheet/PageToolkit.h"
#include "widgets/CDlgGetPath.h"

namespace {

DownloadFilePage::DownloadRunner g_downloadRunner;
DownloadFilePage::DiscSetupRunner g_discSetupRunner;

std::string NoFolderText() {
    return std::string(LoadResourceString(DownloadFilePage::kMsgNoFolder));
}

// What a cancelled download left, counted in the file itself.
QString CancelledNote(const std::filesystem::path& file, bool fileMade) {
    if (!fileMade) return "Download cancelled: no file was made.";
    const QString name = QString::fromStdString(file.filename().string());
    const std::optional<uint64_t> size = KeptBackupBytes(file);
    if (!size) return QString("Download cancelled: %1 cannot be read.").arg(name);
    if (*size == 0) return QString("Download cancelled: empty file kept: %1").arg(name);
    return QString("Download cancelled: incomplete file kept: %1 (%2 bytes)")
        .arg(name, QString::number(*size));
}

}  // namespace

DownloadFilePage::DownloadFilePage(PageSheet& sheet)
    : CPropertyPage(sheet, PageKind::NetworkBackup) {}

DownloadFilePage::~DownloadFilePage() = default;

void DownloadFilePage::SetDownloadRunner(DownloadRunner runner) {
    g_downloadRunner = std::move(runner);
}

void DownloadFilePage::SetDiscSetupRunner(DiscSetupRunner runner) {
    g_discSetupRunner = std::move(runner);
}

uint8_t DownloadFilePage::SlotOfRow(const DvrHddBitmap& bitmap, int row) {
    if (row < 0) return 0;
    int seen = 0;
    for (int slot = 0; slot < 256; ++slot) {
        if ((bitmap.bySlotMap[slot / 8] & (1u << (slot % 8))) == 0) continue;
        if (seen++ == row) return static_cast<uint8_t>(slot);
    }
    return 0;
}

void DownloadFilePage::OnInitDialog() {
    using namespace sheet;
    auto* group = MakeGroup(this, 0, "Start Backup Time", Scaled(QRect(10, 8, 420, 58)));
    m_pDateCtrl = MakeDatePicker(group, kIdDate, "yyyy / MM / dd", Scaled(QRect(20, 22, 120, 20)));
    m_pTimeCtrl = MakeTimePicker(group, kIdTime, "HH : mm : ss", Scaled(QRect(160, 22, 120, 20)));
    const QDateTime now = QDateTime::currentDateTime();
    m_pDateCtrl->setDateTime(now);
    m_pTimeCtrl->setDateTime(now);

    MakeLabel(this, 0, "Backup Size : ", Scaled(QRect(20, 80, 90, 20)));
    m_pSize = new DigitEdit(this, kIdSize, 3, 0, kMaxSizeMB);
    m_pSize->setGeometry(Scaled(QRect(110, 78, 60, 22)));
    MakeLabel(this, 0, "MB", Scaled(QRect(175, 80, 30, 20)));
    MakeLabel(this, 0, "Channel : ", Scaled(QRect(230, 80, 70, 20)));
    m_pChannel = new DigitEdit(this, kIdChannel, 2, 0, 99);
    m_pChannel->setGeometry(Scaled(QRect(300, 78, 60, 22)));
    MakeLabel(this, 0, "HDD Num : ", Scaled(QRect(20, 112, 90, 20)));
    m_pHdd = MakeCombo(this, kIdHdd, {}, Scaled(QRect(110, 110, 120, 22)));
    auto* pathButton = MakeButton(this, kIdFilePath, "File Path :", Scaled(QRect(20, 144, 85, 24)));
    m_pPath = MakeTextEdit(this, kIdPath, 1024, Scaled(QRect(110, 145, 320, 22)));
    m_pPath->setReadOnly(true);
    m_pDynamic =
        MakeCheck(this, kIdDynamicDownload, "Dynamic Download", Scaled(QRect(20, 180, 160, 20)));
    m_pCopyToCD = MakeCheck(this, kIdCopyToCD, "Copy to CD", Scaled(QRect(200, 180, 120, 20)));
    auto* start = MakeButton(this, kIdStart, "Start", Scaled(QRect(330, 210, 100, 26)));
    // What the last download left when it did not end by itself.
    m_pNote = MakeLabel(this, 0, {}, Scaled(QRect(20, 246, 410, 40)));
    m_pNote->setWordWrap(true);

    m_pPlayTimer = new QTimer(this);
    m_pPlayTimer->setSingleShot(true);
    connect(m_pPlayTimer, &QTimer::timeout, this, [this] { PlayDownloadedFile(); });
    connect(m_pSize, &QLineEdit::textEdited, this, [this] { OnSizeChange(); });
    connect(m_pChannel, &QLineEdit::textEdited, this, [this] { OnChannelChange(); });
    connect(pathButton, &QPushButton::clicked, this, [this] { OnFilePath(); });
    // clicked, not toggled: the handlers set the mark themselves.
    connect(m_pDynamic, &QCheckBox::clicked, this, [this] { OnDynamicDownload(); });
    connect(m_pCopyToCD, &QCheckBox::clicked, this, [this] { OnCopyToCD(); });
    connect(start, &QPushButton::clicked, this, [this] { OnButtonStart(); });

    const SheetLocalSettings& local = Sheet().LocalSettings();
    if (local.strNetworkFileDirectory.empty()) {
        m_strFilePath = NoFolderText();
    } else {
        SetFolder(local.strNetworkFileDirectory);
        MakeBackupFileName();
    }

    const std::optional<DvrHddBitmap> disks = FetchDvrDiskList();
    if (!disks) {
        // Without the disk list every Start is refused (4107).
        m_pHdd->setEnabled(false);
        UpdateData(false);
        return;
    }
    m_byHddBitmap = *disks;
    for (const DvrDisk& disk : DvrDisksOf(m_byHddBitmap)) {
        m_pHdd->addItem(QString::fromStdString(disk.name));
        m_nHddIndex = 0;
    }
    m_bDynamicDownload = local.dwDynamicDownloadOption != 0;
    m_bCopyToCD = g_lpApp->CSettingINI.m_dwWriteCDOption != 0;
    if (m_pHdd->count() == 0) m_pHdd->setEnabled(false);
    UpdateData(false);
}

void DownloadFilePage::UpdateData(bool save) {
    if (!HasWindow() || m_pSize == nullptr) return;
    if (save) {
        m_nHddIndex = sheet::ComboIndex(m_pHdd);
        if (const std::optional<uint32_t> size = m_pSize->Value())
            m_nBackupSize = static_cast<int>(std::min<uint32_t>(*size, kMaxSizeMB));
        if (const std::optional<uint32_t> channel = m_pChannel->Value())
            m_nChannel = static_cast<int>(std::min<uint32_t>(*channel, 99));
        m_bDynamicDownload = m_pDynamic->isChecked();
        m_bCopyToCD = m_pCopyToCD->isChecked();
        return;
    }
    sheet::SetComboIndex(m_pHdd, m_nHddIndex);
    m_pSize->SetValue(static_cast<uint32_t>(m_nBackupSize));
    m_pChannel->SetValue(static_cast<uint32_t>(m_nChannel));
    m_pPath->setText(QString::fromStdString(m_strFilePath));
    m_pDynamic->setChecked(m_bDynamicDownload);
    m_pCopyToCD->setChecked(m_bCopyToCD);
}

void DownloadFilePage::SetFolder(const std::string& folder) {
    m_strFolder = folder;
    if (m_strFolder.size() > 1 && (m_strFolder.back() == '/' || m_strFolder.back() == '\\'))
        m_strFolder.pop_back();
}

void DownloadFilePage::MakeBackupFileName() {
    // Without a folder the page keeps asking for one rather than name a file at the root.
    if (m_strFolder.empty()) {
        m_strFilePath = NoFolderText();
        return;
    }
    const std::string folder = m_strFolder == "/" ? std::string() : m_strFolder;
    char name[64];
    for (int n = 1; n <= 9999; ++n) {
        std::snprintf(name, sizeof name, "/CH%.2d_%.4d.dvr", m_nChannel, n);
        const std::string candidate = folder + name;
        if (!BackupNameTaken(candidate)) {
            m_strFilePath = candidate;
            return;
        }
    }
    std::snprintf(name, sizeof name, "/CH%.2d_Temp.dvr", m_nChannel);
    m_strFilePath = folder + name;
}

void DownloadFilePage::OnSetActive() { ApplyPreset(); }

void DownloadFilePage::ApplyPreset() {
    if (g_BackupPreset.valid == 0) return;
    const BackupPreset preset = g_BackupPreset;
    g_BackupPreset = BackupPreset{};
    if (!HasWindow()) return;

    // A preset that names no real moment, disk row or channel is dropped whole.
    const QDate date(2000 + preset.year, preset.month, preset.day);
    const QTime time(preset.hour, preset.minute, preset.second);
    const bool sound = date.isValid() && preset.hour < 24 && preset.minute < 60 &&
                       preset.second < 60 && time.isValid() && preset.hddIndex < m_pHdd->count() &&
                       preset.channel <= 16;
    if (!sound) return;

    UpdateData(true);
    if (preset.channel != 0) {
        m_nChannel = preset.channel;
        MakeBackupFileName();
    }
    m_nHddIndex = preset.hddIndex;
    m_pDateCtrl->setDateTime(QDateTime(date, QTime(0, 0, 0)));
    m_pTimeCtrl->setDateTime(QDateTime(date, time));
    UpdateData(false);
}

void DownloadFilePage::OnSizeChange() {
    if (m_pSize->text().isEmpty()) return;
    const std::optional<uint32_t> value = sheet::ParseDigits(m_pSize->text());
    if (!value) return;
    m_nBackupSize = static_cast<int>(std::min<uint32_t>(*value, kMaxSizeMB));
    UpdateData(false);
}

void DownloadFilePage::OnChannelChange() {
    UpdateData(true);
    MakeBackupFileName();
    UpdateData(false);
}

void DownloadFilePage::OnFilePath() {
    CDlgGetPath picker(this);
    picker.SetPath(m_strFolder.empty() ? std::string() : m_strFolder + "/");
    if (picker.DoModal() == CDlgGetPath::kIdOk) {
        SetFolder(picker.GetPath());
        MakeBackupFileName();
        m_bFolderChanged = true;
        SheetLocalSettings& local = Sheet().LocalSettings();
        local.strNetworkFileDirectory = m_strFolder;
        local.bNetworkFileDirectoryChanged = true;
    }
    UpdateData(false);
}

void DownloadFilePage::OnDynamicDownload() {
    m_bDynamicDownload = !m_bDynamicDownload;
    Sheet().LocalSettings().dwDynamicDownloadOption = m_bDynamicDownload ? 1 : 0;
    g_lpApp->CSettingINI.m_dwDynamicDownloadOption = m_bDynamicDownload ? 1 : 0;
    m_pDynamic->setChecked(m_bDynamicDownload);
}

void DownloadFilePage::OnCopyToCD() {
    m_bCopyToCD = !m_bCopyToCD;
    g_lpApp->CSettingINI.m_dwWriteCDOption = m_bCopyToCD ? 1 : 0;
    m_pCopyToCD->setChecked(m_bCopyToCD);
}

DiscSetupResult DownloadFilePage::PrepareDiscCopy() {
    return RunWriteCDSetup(AppDiscWriter(), m_strFilePath, m_nBackupSize, this, g_discSetupRunner);
}

int DownloadFilePage::RunDownload(bool tellDevice) {
    NetworkBackupJob job;
    job.address = GetServerName();
    job.port = g_lpApp->CSettingINI.m_wWebPort;
    job.cookie = GetSessionCookie();
    job.hostAddress = g_strLocalIPAddress.Get();
    const QDate date = m_tmStartDate.date();
    const QTime time = m_tmStartTime.time();
    job.year = date.year();
    job.month = date.month();
    job.day = date.day();
    job.hour = time.hour();
    job.minute = time.minute();
    job.second = time.second();
    job.slot = m_byHddSlot;
    job.channelIndex = m_nChannel - 1;
    job.sizeMB = m_nBackupSize;
    job.file = m_strFilePath;

    CDownloadProgressDlg window(this, job, tellDevice);
    if (m_bCopyToCD) window.SetDiscWriter(&AppDiscWriter());
    if (!window.OnInitDialog()) {
        // Nothing was asked of the device, and no file was made.
        ormidon::ShowMessageText(kDownloadNotStarted);
        return CDownloadProgressDlg::kResultClosed;
    }
    int result;
    if (g_downloadRunner) {
        window.show();
        result = g_downloadRunner(window);
    } else {
        result = window.exec();
    }
    // A partial file is never taken for a whole one: a cancel leaves its count here.
    if (window.Cancelled()) m_pNote->setText(CancelledNote(job.file, window.FileMade()));
    return result;
}

void DownloadFilePage::OnButtonStart() {
    // The download window's modal loop would let a second press start a second download.
    if (m_bInStart) return;
    m_bInStart = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_bInStart};

    UpdateData(true);
    m_pNote->clear();
    if (m_nBackupSize <= 0) {
        ormidon::ShowMessage(kMsgSizeWrong);
        return;
    }
    if (ormidon::EqualsNoCase(m_strFilePath, NoFolderText())) {
        ormidon::ShowMessage(kMsgPathInvalid);
        return;
    }
    if (m_nHddIndex < 0 || m_nChannel == 0 || m_nChannel > 16) {
        ormidon::ShowMessage(kMsgNoRecordData);
        return;
    }
    // A name in use is refused, never truncated; the download makes the file new.
    if (BackupNameTaken(m_strFilePath)) {
        ormidon::ShowMessage(kMsgPathInvalid);
        return;
    }
    if (m_bCopyToCD) {
        const DiscSetupResult setup = PrepareDiscCopy();
        // The last disc is still being written: its message was shown, nothing starts.
        if (setup == DiscSetupResult::Busy) return;
        if (setup == DiscSetupResult::InitFailed) ormidon::ShowMessage(kMsgBurnerFailed);
        if (setup != DiscSetupResult::Ready) {
            m_bCopyToCD = false;  // the stored option keeps its value
            m_pCopyToCD->setChecked(false);
        }
    }

    g_lpApp->CSettingINI.m_strNetworkFileDirectory = m_strFolder;
    Sheet().LocalSettings().strNetworkFileDirectory = m_strFolder;
    m_tmStartDate = m_pDateCtrl->dateTime();
    m_tmStartTime = m_pTimeCtrl->dateTime();
    m_byHddSlot = SlotOfRow(m_byHddBitmap, m_nHddIndex);

    const uint32_t sender = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(this));
    if (!ChooseBackupPlayer(m_bDynamicDownload, m_strFilePath, sender)) return;

    m_strDownloadedFile = m_strFilePath;
    const int result = RunDownload(CDownloadProgressDlg::DeviceStopsBackupOnCancel());
    if (result == CDownloadProgressDlg::kResultPlay)
        QMetaObject::invokeMethod(
            this, [this] { OnPlayBackupFile(); }, Qt::QueuedConnection);

    MakeBackupFileName();
    UpdateData(false);
}

void DownloadFilePage::OnPlayBackupFile() {
    // The window's thread is not held for the second: a timer hands the file over.
    if (m_pPlayTimer != nullptr) m_pPlayTimer->start(kPlayDelayMs);
}

bool DownloadFilePage::PlayPending() const {
    return m_pPlayTimer != nullptr && m_pPlayTimer->isActive();
}

void DownloadFilePage::PlayDownloadedFile() {
    if (m_pPlayTimer != nullptr) m_pPlayTimer->stop();
    PostPlayBackupFile(m_strDownloadedFile);
}

QString DownloadFilePage::NoteText() const {
    return m_pNote != nullptr ? m_pNote->text() : QString();
}
