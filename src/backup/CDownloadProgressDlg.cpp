#include "backup/CDownloadProgressDlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "backup/BackupPlayerHandOff.h"
#include "backup/CCDBurner.h"
#include "core/DeviceIdentity.h"
#include "core/SessionCookie.h"
#include "core/StringTable.h"
#include "net/CgiCommand.h"
#include "net/DeviceInfo.h"
#include "net/HalvoSendCommand.h"
#include "platform/window/ControlId.h"
#include "platform/window/WindowMessageTarget.h"
#include "sheet/ProgressSlot.h"

namespace {

// A player that holds the shared lock this long is dropped from the download.
constexpr uint32_t kPlayerLockBoundMs = 10'000;

// Hands the download's reports to the window's thread and the sheet's progress bar, and,
// during a Dynamic Download, tells the player how much of the file is ready.
class WindowListener final : public NetworkBackupListener {
  public:
    WindowListener(ormidon::WindowHandle window, const std::stop_token& stop,
                   ormidon::PlayerLink* link, bool holdFinished)
        : m_window(window), m_stop(stop), m_link(link), m_holdFinished(holdFinished) {}
    void OnStatus(int status, uint32_t percent) override {
        // With disc writing the finished status follows the burn.
        if (m_holdFinished && status == kBackupFinished) return;
        Post(status, percent);
    }
    void Post(int status, uint32_t percent) {
        ormidon::WindowMessageTarget::PostTo(m_window, WM_DOWNLOADSTATUS,
                                             static_cast<ormidon::WParam>(status),
                                             static_cast<ormidon::LParam>(percent));
    }
    void OnProgress(uint32_t command, uint32_t value) override {
        PostProgressCommand(command, value, m_stop);
    }
    bool LockFile(const std::stop_token& stop) override {
        if (m_link == nullptr || m_dropped) return true;
        switch (m_link->LockMutex(kPlayerLockBoundMs, stop)) {
            case ormidon::PlayerLink::LockResult::Locked:
                m_locked = true;
                return true;
            case ormidon::PlayerLink::LockResult::Stopped:
                return false;
            case ormidon::PlayerLink::LockResult::TimedOut:
                // The player keeps the file to itself: the download goes on without it.
                m_link->DropPlayer();
                m_dropped = true;
                return true;
            case ormidon::PlayerLink::LockResult::NoMutex:
                return true;
        }
        return true;
    }
    void UnlockFile() override {
        if (m_locked) m_link->UnlockMutex();
        m_locked = false;
    }
    void OnData(uint64_t totalBytes) override {
        m_total = totalBytes;
        if (Following() && m_total > m_notified + m_link->dw_BackupPlayerBufferSize.load())
            NotifyData();
    }
    // The player's notices at the download's end.
    void Finish(int status) {
        if (m_link == nullptr || m_dropped) return;
        switch (status) {
            case kBackupFinished:
                if (!Following()) return;
                if (m_total > m_notified) NotifyData();
                m_link->Send(ormidon::WM_DOWNLOADEND, 0, 0);
                return;
            case kBackupRequestFailed:
            case kBackupReceiveFailed:
                m_link->Send(ormidon::WM_DOWNLOADSTOP, 0, ormidon::kStopNetworkFailure);
                return;
            case kBackupFileFailed:
                m_link->Send(ormidon::WM_DOWNLOADSTOP, 0, ormidon::kStopFileFailure);
                return;
            default:
                if (Following()) m_link->Send(ormidon::WM_DOWNLOADEND, 1, 0);
                return;
        }
    }

  private:
    // The player acknowledged this download and did not stop it.
    bool Following() const {
        return m_link != nullptr && !m_dropped && m_link->f_BackupPlayerAck.load() != 0 &&
               m_link->f_BackupPlayerStop.load() == 0;
    }
    void NotifyData() {
        m_link->Send(ormidon::WM_DOWNLOADDATA, 0, m_total - m_notified);
        m_notified = m_total;
    }

    ormidon::WindowHandle m_window;
    const std::stop_token& m_stop;  // the worker's, which outlives the listener
    ormidon::PlayerLink* m_link;
    bool m_holdFinished;
    bool m_dropped = false;
    bool m_locked = false;
    uint64_t m_total = 0;
    uint64_t m_notified = 0;
};

ormidon::PlayerLink* FollowingLink() { return &BackupPlayerLink(); }

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
    m_pTarget = new ormidon::WindowMessageTarget(
        [this](uint32_t message, ormidon::WParam wParam, ormidon::LParam lParam) {
            if (message == WM_DOWNLOADSTATUS)
                OnDownloadStatus(static_cast<int>(wParam), static_cast<unsigned>(lParam));
        },
        this);
}

CDownloadProgressDlg::~CDownloadProgressDlg() {
    StopWorker();
    m_cancelThread.Join(kJoinBoundMs);
}

bool CDownloadProgressDlg::OnInitDialog() {
    if (m_thread.Joinable()) return true;
    ormidon::PlayerLink* link = FollowingLink();
    if (link != nullptr) {
        link->f_BackupPlayerAck = 0;
        link->f_BackupPlayerStop = 0;
        link->dw_BackupPlayerBufferSize = 0;
        if (link->h_BackupPlayerWnd.load() != 0)
            link->Send(ormidon::WM_DOWNLOADSTART, 0, reinterpret_cast<uintptr_t>(this));
    }
    m_thread =
        ormidon::Thread([this, link](std::stop_token stop) { DownloadFileThread(stop, link); });
    return m_thread.Joinable();
}

void CDownloadProgressDlg::DownloadFileThread(std::stop_token stop, ormidon::PlayerLink* link) {
    WindowListener listener(m_pTarget->Handle(), stop, link, m_pDiscWriter != nullptr);
    int status = RunNetworkBackup(m_job, stop, listener);
    if (status == kBackupFinished || status == kBackupNoData) m_bFinished = true;
    listener.Finish(status);
    if (status == kBackupFinished && m_pDiscWriter != nullptr) {
        listener.Post(kBackupWritingDisc, 0);
        m_pDiscWriter->Burn(stop);
        listener.Post(kBackupFinished, 0);
    }
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
        // A player that follows the download plays it already.
        const ormidon::PlayerLink* link = FollowingLink();
        const bool playerFollows = link != nullptr && link->f_BackupPlayerAck.load() != 0 &&
                                   link->f_BackupPlayerStop.load() == 0;
        m_pPlay->setEnabled(true);
        m_pPlay->setVisible(!playerFollows);
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
