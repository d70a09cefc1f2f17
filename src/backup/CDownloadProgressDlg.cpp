#include "backup/CDownloadProgressDlg.h"

#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>

#include "backup/CCDBurner.h"
#include "core/DeviceIdentity.h"
#include "core/SessionCookie.h"
#include "core/StringTable.h"
#include "net/CgiCommand.h"
#include "net/DeviceInfo.h"
#include "net/HalvoSendCommand.h"
#include "platform/window/ControlId.h"
#include "settings/ProgressSlot.h"

namespace {

// Hands the download's reports to the window's thread and the sheet's progress bar.
class WindowListener final : public NetworkBackupListener {
  public:
    WindowListener(QObject* window, const std::stop_token& stop, bool holdFinished)
        : m_window(window), m_stop(stop), m_holdFinished(holdFinished) {}
    void OnStatus(int status, uint32_t percent) override {
        // With disc writing the finished status follows the burn.
        if (m_holdFinished && status == kBackupFinished) return;
        Post(status, percent);
    }
    void Post(int status, uint32_t percent) {
        QMetaObject::invokeMethod(m_window, "OnDownloadStatus", Qt::QueuedConnection,
                                  Q_ARG(int, status), Q_ARG(unsigned, percent));
    }
    void OnProgress(uint32_t command, uint32_t value) override {
        PostProgressCommand(command, value, m_stop);
    }

  private:
    QObject* m_window;
    const std::stop_token& m_stop;  // the worker's, which outlives the listener
    bool m_holdFinished;
};

}  // namespace

CDownloadProgressDlg::CDownloadProgressDlg(QWidget* parent, NetworkBackupJob job, bool tellDevice)
    : QDialog(parent), m_job(std::move(job)), m_bTellDevice(tellDevice) {
    setWindowTitle("DVR-Network Backup");
    setFixedSize(360, 120);
    m_pStatus = new QLabel(this);
    m_pStatus->setGeometry(25, 12, 320, 30);
    QFont font("Arial");
    font.setPixelSize(18);
    m_pStatus->setFont(font);
    ormidon::SetControlId(m_pStatus, kIdStatus);
    m_pProgress = new QProgressBar(this);
    m_pProgress->setGeometry(25, 48, 310, 16);
    m_pProgress->hide();  // the sheet's bar shows the progress
    ormidon::SetControlId(m_pProgress, kIdProgress);
    m_pPlay = new QPushButton("PLAY", this);
    m_pPlay->setGeometry(60, 80, 100, 28);
    m_pPlay->setEnabled(false);
    m_pPlay->hide();
    ormidon::SetControlId(m_pPlay, kIdPlay);
    m_pCancel = new QPushButton("Cancel", this);
    m_pCancel->setGeometry(200, 80, 100, 28);
    ormidon::SetControlId(m_pCancel, kIdCancel);
    connect(m_pCancel, &QPushButton::clicked, this, &CDownloadProgressDlg::OnCancel);
    connect(m_pPlay, &QPushButton::clicked, this, &CDownloadProgressDlg::OnPlay);
}

CDownloadProgressDlg::~CDownloadProgressDlg() {
    StopWorker();
    m_cancelThread.Join(kJoinBoundMs);
}

bool CDownloadProgressDlg::OnInitDialog() {
    if (m_thread.Joinable()) return true;
    m_thread = ormidon::Thread([this](std::stop_token stop) {
        WindowListener listener(this, stop, m_pDiscWriter != nullptr);
        int status = RunNetworkBackup(m_job, stop, listener);
        if (status == kBackupFinished || status == kBackupNoData) m_bFinished = true;
        if (status == kBackupFinished && m_pDiscWriter != nullptr) {
            listener.Post(kBackupWritingDisc, 0);
            m_pDiscWriter->Burn(stop);
            listener.Post(kBackupFinished, 0);
        }
    });
    return m_thread.Joinable();
}

bool CDownloadProgressDlg::DeviceStopsBackupOnCancel() {
    return IsP5xKModel() && FirmwareAtLeast("1043");
}

QString CDownloadProgressDlg::StatusText() const { return m_pStatus->text(); }

QString CDownloadProgressDlg::StatusTextOf(int status) {
    switch (status) {
        case kBackupRequestFailed:
            return QString::fromUtf8(LoadResourceString(4065));
        case kBackupFileFailed:
            return QString::fromUtf8(LoadResourceString(4105));
        case kBackupReceiveFailed:
            return QString::fromUtf8(LoadResourceString(4106));
        case kBackupNoData:
            return QString::fromUtf8(LoadResourceString(4107));
        case kBackupFinished:
            return "Download process is finished";
        case kBackupRefused:
            return QString::fromUtf8(LoadResourceString(4115));
        case kBackupWritingDisc:
            return "Writing cd ...";
        default:
            return {};
    }
}

void CDownloadProgressDlg::OnDownloadStatus(int status, unsigned percent) {
    if (status == kBackupProgress) {
        m_pProgress->setValue(static_cast<int>(percent));
        return;
    }
    m_nLastStatus = status;
    m_statuses.push_back(status);
    m_pStatus->setText(StatusTextOf(status));
    if (status != kBackupWritingDisc) m_pCancel->setText("Exit");
    if (status == kBackupFinished) {
        m_pPlay->setEnabled(true);
        m_pPlay->show();
    }
    show();
}

void CDownloadProgressDlg::StopWorker() {
    m_thread.RequestStop();
    m_thread.Join(kJoinBoundMs);
}

void CDownloadProgressDlg::OnCancel() {
    const bool unfinished = !m_bFinished.load();
    if (!unfinished && m_pDiscWriter != nullptr) {
        // A disc may be being written: the burn ends on the abort and the bar with it.
        m_pDiscWriter->Abort();
        PostProgressCommand(PROGRESS_END);
    }
    StopWorker();
    if (unfinished && m_bTellDevice && !m_cancelThread.Joinable()) {
        // The device's answer is not waited for on the window's thread.
        m_cancelThread = ormidon::Thread([](std::stop_token stop) {
            CCgiRequest request(CGI_CANCELNB);
            const std::string cookie = GetSessionCookie();
            if (!cookie.empty()) request.AddParam("Cookie", cookie);
            if (!request.IsValid()) return;
            HalvoSendCommand(CGI_CANCELNB, request.GetBuffer(), request.GetLength(), nullptr, 0,
                             nullptr, 0, nullptr, 0, nullptr, 15, 15, 0, stop);
        });
    }
    done(kResultClosed);
}

void CDownloadProgressDlg::OnPlay() {
    StopWorker();
    done(kResultPlay);
}
