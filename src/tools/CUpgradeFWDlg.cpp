#include "tools/CUpgradeFWDlg.h"

#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <cstdint>
#include <memory>
#include <new>
#include <system_error>
#include <utility>

#include "core/AppObject.h"
#include "core/DeviceIdentity.h"
#include "core/ServerAddress.h"
#include "core/SessionCookie.h"
#include "net/CgiCommand.h"
#include "net/DeviceInfo.h"
#include "net/HalvoSendCommand.h"
#include "platform/MessageBox.h"
#include "platform/window/ControlId.h"
#include "platform/window/WindowMessageTarget.h"
#include "tools/CDlgGetPath.h"

namespace {

constexpr uint32_t kStringReadFailed = 4057;  // "Read Firmware file is failed"
constexpr uint32_t kStringNoPartFile = 4111;  // "The directory is not contain any firmware file..."
constexpr uint16_t kCommandSeconds = 15;
// The remembered package folder before any file was chosen.
constexpr std::string_view kUnknownFolder = "UnKnown";

CUpgradeFWDlg::FileAnswer& FileAnswerHook() {
    static CUpgradeFWDlg::FileAnswer answer;
    return answer;
}

// Dialog units of the window's layout to pixels (its font's units are 2 x 2 pixels).
QRect Dlu(int x, int y, int width, int height) { return {2 * x, 2 * y, 2 * width, 2 * height}; }

bool IsUnknownFolder(std::string folder) {
    if (!folder.empty() && folder.back() == '/') folder.pop_back();
    return folder == kUnknownFolder;
}

// Hands the worker's reports to the window's thread.
class WindowListener final : public FirmwareTransferListener {
  public:
    WindowListener(QObject* window, ormidon::WindowHandle handle)
        : m_window(window), m_handle(handle) {}
    void OnUpgradeMessage(uint32_t message) override {
        ormidon::PostWindowMessage(m_handle, message);
    }
    void OnProgress(uint32_t percent) override {
        QMetaObject::invokeMethod(m_window, "OnTransferProgress", Qt::QueuedConnection,
                                  Q_ARG(int, static_cast<int>(percent)));
    }
    void OnHideProgress() override {
        QMetaObject::invokeMethod(m_window, "OnTransferHideProgress", Qt::QueuedConnection);
    }

  private:
    QObject* m_window;  // outlives the worker: the window joins it before it goes
    ormidon::WindowHandle m_handle;
};

}  // namespace

void CUpgradeFWDlg::SetFileAnswer(FileAnswer answer) { FileAnswerHook() = std::move(answer); }

CUpgradeFWDlg::CUpgradeFWDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Upgrade Firware"));
    // A modal frame without a system menu.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(Dlu(0, 0, 198, 82).size());

    auto* versionLabel = new QLabel(QStringLiteral("Version:"), this);
    versionLabel->setGeometry(Dlu(6, 8, 31, 9));
    m_pVersion = new QLabel(this);
    m_pVersion->setGeometry(Dlu(39, 8, 98, 11));
    ormidon::SetControlId(m_pVersion, kIdVersion);
    auto* pathLabel = new QLabel(QStringLiteral("File path:"), this);
    pathLabel->setGeometry(Dlu(6, 24, 32, 9));
    ormidon::SetControlId(pathLabel, kIdPathLabel);
    m_pPath = new QLineEdit(this);
    m_pPath->setReadOnly(true);
    m_pPath->setGeometry(Dlu(39, 23, 121, 12));
    ormidon::SetControlId(m_pPath, kIdPath);
    m_btnFind = new QPushButton(QStringLiteral("Find..."), this);
    m_btnFind->setGeometry(Dlu(166, 23, 27, 11));
    ormidon::SetControlId(m_btnFind, kIdFind);
    m_ctlProgress = new QProgressBar(this);
    m_ctlProgress->setGeometry(Dlu(8, 43, 183, 13));
    m_ctlProgress->setTextVisible(false);
    m_ctlProgress->setRange(0, 100);
    m_ctlProgress->hide();
    ormidon::SetControlId(m_ctlProgress, kIdProgress);
    m_btnUpgrade = new QPushButton(QStringLiteral("Upgrade"), this);
    m_btnUpgrade->setGeometry(Dlu(46, 64, 31, 14));
    ormidon::SetControlId(m_btnUpgrade, kIdUpgrade);
    m_btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_btnCancel->setGeometry(Dlu(122, 64, 32, 14));
    ormidon::SetControlId(m_btnCancel, kIdCancel);
    // No button is the default one.
    for (QPushButton* button : {m_btnFind, m_btnUpgrade, m_btnCancel}) {
        button->setDefault(false);
        button->setAutoDefault(false);
    }
    connect(m_btnFind, &QPushButton::clicked, this, &CUpgradeFWDlg::OnFindButton);
    connect(m_btnUpgrade, &QPushButton::clicked, this, &CUpgradeFWDlg::OnUpgradeButton);
    connect(m_btnCancel, &QPushButton::clicked, this, &CUpgradeFWDlg::OnCancel);

    m_pTarget = new ormidon::WindowMessageTarget(
        [this](uint32_t message, ormidon::WParam, ormidon::LParam) { OnWindowMessage(message); },
        this);
}

CUpgradeFWDlg::~CUpgradeFWDlg() {
    // The worker reports to this window: it goes first.
    StopTransfers(kCloseBoundMs);
}

int CUpgradeFWDlg::DoModal() {
    OnInitDialog();
    return exec();
}

void CUpgradeFWDlg::showEvent(QShowEvent* event) {
    OnInitDialog();
    QDialog::showEvent(event);
}

CUpgradeFWDlg::Family CUpgradeFWDlg::DeviceFamily() {
    if (IsP62KModel() || IsN2xVModel() || IsT18DModel()) return Family::kPackage;
    if (IsP5xKModel()) return Family::kParts;
    return Family::kNone;
}

FirmwareProtocol CUpgradeFWDlg::DeviceProtocol() {
    switch (DeviceFamily()) {
        case Family::kPackage:
            return IsP62KModel() && FirmwareAtLeast("1013") ? FirmwareProtocol::kRaw
                                                            : FirmwareProtocol::kCommand;
        case Family::kParts:
            return FirmwareAtLeast("1070") ? FirmwareProtocol::kRaw : FirmwareProtocol::kCommand;
        default:
            return FirmwareProtocol::kCommand;
    }
}

void CUpgradeFWDlg::OnInitDialog() {
    if (m_fInitialised) return;
    m_fInitialised = true;
    m_ctlProgress->hide();
    m_ctlProgress->setRange(0, 100);
    m_family = DeviceFamily();
    CSettingINI& settings = g_lpApp->CSettingINI;
    if (m_family == Family::kPackage) {
        m_strFirmwarePath = settings.m_strUpgradeFWPath + "KERNEL.BIN";
        m_strFirmwareVersion = FirmwareVersionText(g_lpApp->str_FWVersion.Get());
    } else if (m_family == Family::kParts) {
        CCgiRequest request(CGI_GETVERSION);
        const std::string cookie = GetSessionCookie();
        if (!cookie.empty()) request.AddParam("Cookie", cookie);
        std::string reply;
        if (SendCommandForText(CGI_GETVERSION, request, reply, kCommandSeconds)) {
            // Shown as the text that arrived, up to a zero byte.
            m_strFirmwareVersion = reply.substr(0, reply.find('\0'));
        }
        // The folder and the table do not depend on the answer: a failed query still
        // leaves the window able to upgrade.
        m_strFirmwarePath = settings.m_strUpgradeDVRFWPath;
        m_pPartTable = FirmwarePartTableFor(g_lpApp->str_ProductID.Get());
    }
    ShowMembers();
}

void CUpgradeFWDlg::ShowMembers() {
    m_pVersion->setText(QString::fromStdString(m_strFirmwareVersion));
    m_pPath->setText(QString::fromStdString(m_strFirmwarePath));
}

void CUpgradeFWDlg::OnFindButton() {
    m_strFirmwarePath = m_pPath->text().toStdString();
    CSettingINI& settings = g_lpApp->CSettingINI;
    if (m_family == Family::kPackage) {
        const std::string start = IsUnknownFolder(settings.m_strUpgradeFWPath)
                                      ? std::string()
                                      : settings.m_strUpgradeFWPath;
        std::string chosen;
        if (FileAnswerHook()) {
            chosen = FileAnswerHook()(start);
        } else {
            QFileDialog dialog(nullptr, QString(), QString::fromStdString(start),
                               QStringLiteral("Kernel Firmware files (*.BIN)"));
            dialog.setFileMode(QFileDialog::ExistingFile);
            dialog.setDefaultSuffix(QStringLiteral("BIN"));
            // "*.BIN" matches the files of any letter case.
            dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
            if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
                chosen = dialog.selectedFiles().front().toStdString();
            }
        }
        if (chosen.empty()) return;
        m_strFirmwarePath = chosen;
        const std::size_t slash = chosen.rfind('/');
        settings.m_strUpgradeFWPath =
            slash == std::string::npos ? chosen : chosen.substr(0, slash + 1);
    } else if (m_family == Family::kParts) {
        CDlgGetPath picker(this);
        picker.SetPath(m_strFirmwarePath);
        if (picker.DoModal() != CDlgGetPath::kIdOk) return;
        std::string folder = picker.GetPath();
        // "/" itself is kept as "", which the loader reads as the root again.
        if (!folder.empty() && folder.back() == '/') folder.pop_back();
        m_strFirmwarePath = folder;
        settings.m_strUpgradeDVRFWPath = folder;
    }
    ShowMembers();
}

void CUpgradeFWDlg::OnUpgradeButton() {
    if (m_family == Family::kPackage) OnFwdlgUpgrade();
    if (m_family == Family::kParts) OnUpgradePartsButton();
}

void CUpgradeFWDlg::OnFwdlgUpgrade() {
    // The running worker sends the previous job: it stops before anything is read anew.
    StopTransfers(kStopBoundMs);
    FirmwarePackage package;
    uint32_t refusal;
    try {
        refusal = ReadFirmwarePackage(m_strFirmwarePath, package);
    } catch (const std::bad_alloc&) {
        refusal = kStringReadFailed;
    }
    if (refusal != 0) {
        ormidon::ShowMessage(refusal);
        return;
    }
    m_ctlProgress->setValue(0);
    m_ctlProgress->show();
    StartTransfer(MakePackageTransfer(std::move(package), DeviceProtocol()),
                  g_lpApp->h_UpgradeFirmwareThread);
}

void CUpgradeFWDlg::OnUpgradePartsButton() {
    StopTransfers(kStopBoundMs);
    if (!m_pPartTable) m_pPartTable = FirmwarePartTableFor(g_lpApp->str_ProductID.Get());
    if (!m_pPartTable) {
        ormidon::ShowMessage(kStringNoPartFile);
        return;
    }
    uint64_t total = 0;
    std::size_t loaded = 0;
    try {
        loaded = LoadFirmwareParts(m_strFirmwarePath, *m_pPartTable, total);
    } catch (const std::bad_alloc&) {
        for (FirmwarePart& part : *m_pPartTable) {
            part.loaded = false;
            part.data = {};
        }
        ormidon::ShowMessage(kStringReadFailed);
        return;
    }
    // Empty files alone would send nothing, not even the reboot.
    if (loaded == 0 || total == 0) {
        ormidon::ShowMessage(kStringNoPartFile);
        return;
    }
    for (const FirmwarePart& part : *m_pPartTable) {
        // The size fields of the protocols are 32-bit signed.
        if (part.loaded && part.data.size() > static_cast<std::size_t>(INT32_MAX)) {
            ormidon::ShowMessage(kStringReadFailed);
            return;
        }
    }
    m_ctlProgress->setValue(0);
    m_ctlProgress->show();
    StartTransfer(MakePartsTransfer(*m_pPartTable, DeviceProtocol()), m_hPartsThread);
}

void CUpgradeFWDlg::StartTransfer(FirmwareTransferJob job, ThreadSlot& slot) {
    job.address = GetServerName();
    job.port = g_lpApp->CSettingINI.m_wWebPort;
    job.cookie = GetSessionCookie();
    job.hostAddress = g_strLocalIPAddress.Get();
    // The job belongs to the worker and lives as long as it.
    auto shared = std::make_shared<const FirmwareTransferJob>(std::move(job));
    const ormidon::WindowHandle handle = m_pTarget->Handle();
    bool started = false;
    try {
        started = slot.Start([this, shared, handle](std::stop_token stop) {
            WindowListener listener(this, handle);
            RunFirmwareTransfer(*shared, stop, listener);
        });
    } catch (const std::system_error&) {
        started = false;
    }
    if (started) {
        g_lpApp->CSettingINI.SaveSetting();
        return;
    }
    // Nothing went out: the window stays ready for another press.
    m_ctlProgress->setValue(0);
    m_ctlProgress->hide();
    ormidon::ShowMessage(kStringUpgradeError);
}

void CUpgradeFWDlg::StopTransfers(uint32_t boundMs) {
    StopThreadSlot(m_hPartsThread, boundMs, "m_hPartsThread");
    if (g_lpApp != nullptr) {
        StopThreadSlot(g_lpApp->h_UpgradeFirmwareThread, boundMs, "h_UpgradeFirmwareThread");
    }
}

bool CUpgradeFWDlg::TransferRunning() const {
    return m_hPartsThread.IsRunning() ||
           (g_lpApp != nullptr && g_lpApp->h_UpgradeFirmwareThread.IsRunning());
}

void CUpgradeFWDlg::OnCancel() {
    if (m_family == Family::kNone || m_fClosing) return;
    m_ctlProgress->setValue(0);
    m_ctlProgress->hide();
    StopTransfers(kStopBoundMs);
    // The device drops what it received so far; sent also when nothing was.
    const bool raw = DeviceProtocol() == FirmwareProtocol::kRaw;
    const uint8_t index = raw ? CGI_CANCELUPFW : CGI_UPGRADEFW;
    CCgiRequest request(index);
    if (!raw) request.AddParam("Upgrade", "Cancel");
    const std::string cookie = GetSessionCookie();
    if (!cookie.empty()) request.AddParam("Cookie", cookie);
    if (request.IsValid()) {
        HalvoSendCommand(index, request.GetBuffer(), request.GetLength(), nullptr, 0, nullptr, 0,
                         nullptr, 0, nullptr, kCommandSeconds, kCommandSeconds);
    }
    m_btnUpgrade->setEnabled(true);
    m_fClosing = true;
    done(0);
}

void CUpgradeFWDlg::OnOK() {
    if (TransferRunning()) return;
    done(1);
}

void CUpgradeFWDlg::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers() == Qt::NoModifier) {
        // A push button with the focus takes Enter; otherwise it is the window's OK.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            if (button->isEnabled()) button->click();
        } else {
            OnOK();
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

void CUpgradeFWDlg::OnWindowMessage(uint32_t message) {
    switch (message) {
        case WM_UPGRADEENABLE:
            m_btnUpgrade->setEnabled(true);
            break;
        case WM_UPGRADEDISABLE:
            m_btnUpgrade->setEnabled(false);
            break;
        case WM_UPGRADECLOSE:
            if (!m_fClosing) {
                m_fClosing = true;
                done(0);
            }
            break;
        default:
            break;
    }
}

void CUpgradeFWDlg::OnTransferProgress(int percent) { m_ctlProgress->setValue(percent); }

void CUpgradeFWDlg::OnTransferHideProgress() {
    m_ctlProgress->setValue(0);
    m_ctlProgress->hide();
}
