#include "backup/CDownloadProgressDlg.h"

#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <mutex>
#include <optional>
#include <system_error>

#include "backup/BackupPlayerHandOff.h"
#include "backup/CCDBurner.h"
#include "backup/DiscLayer.h"
#include "core/DeviceIdentity.h"
#include "core/SessionCookie.h"
#include "core/StringTable.h"
#include "net/CgiCommand.h"
#include "net/DeviceInfo.h"
#include "net/HalvoSendCommand.h"
#include "platform/Event.h"
#include "platform/WaitAny.h"
#include "platform/window/ControlId.h"
#include "sheet/ProgressSlot.h"

// What the window shares with its worker, which may outlive the window when it is inside
// a drive: the window is reached only through here, and not once it is gone.
struct CDownloadProgressDlg::WorkerState {
    std::mutex mutex;
    CDownloadProgressDlg* window = nullptr;  // null once the window is gone
    // Set once the player heard of the download: the worker waits for it before it starts.
    ormidon::Event started{true, false};
    std::atomic<bool> finished{false};     // the device's end frame came
    std::atomic<bool> playerPlays{false};  // a following player was told all is there
    std::atomic<bool> inDrive{false};      // the worker is writing the disc
    std::atomic<bool> fileMade{false};     // the download made its file
    std::atomic<int> disc{kNoDisc};        // what became of the disc to be written
    // The progress bar of the sheet the download began under; a later sheet's is never
    // driven by this download.
    std::shared_ptr<ProgressSlot> progress;

    void Post(int status, uint32_t percent, bool keptFile) {
        std::lock_guard lock(mutex);
        if (window == nullptr) return;
        QMetaObject::invokeMethod(window, "OnDownloadStatus", Qt::QueuedConnection,
                                  Q_ARG(int, status), Q_ARG(unsigned, percent),
                                  Q_ARG(bool, keptFile));
    }
};

namespace {

// A player that holds the shared lock this long is dropped from the download.
constexpr uint32_t kPlayerLockBoundMs = 10'000;
// The join of a worker that writes the disc: it is aborted, but the drive may not let go.
constexpr uint32_t kDriveJoinBoundMs = 200;

// Hands the download's reports to the window's thread and the sheet's progress bar, and,
// during a Dynamic Download, tells the player how much of the file is ready.
class WindowListener final : public NetworkBackupListener {
  public:
    WindowListener(std::shared_ptr<CDownloadProgressDlg::WorkerState> state,
                   const std::stop_token& stop, ormidon::PlayerLink* link)
        : m_state(std::move(state)), m_stop(stop), m_link(link) {}
    void OnStatus(int status, uint32_t percent) override {
        // The finished status follows the player's end notice and any disc writing.
        if (status == kBackupFinished) return;
        // An end short of the whole recording tells what the kept file holds.
        const bool partial = status != kBackupProgress && status != kBackupFinished;
        Post(status, percent, partial && m_state->fileMade);
    }
    void Post(int status, uint32_t percent, bool keptFile = false) {
        m_state->Post(status, percent, keptFile);
    }
    void OnFileCreated() override { m_state->fileMade = true; }
    void OnProgress(uint32_t command, uint32_t value) override {
        // The end reaches the bar also after a stop, or the bar stays at its last percent;
        // it waits only for the slot, which the sheet frees or gives up as it goes.
        PostProgressCommandTo(m_state->progress, command, value,
                              command == PROGRESS_END ? std::stop_token{} : m_stop);
    }
    void OnDeviceLeftSending() override { m_deviceLeftSending = true; }
    bool DeviceLeftSending() const { return m_deviceLeftSending; }
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
    // The player's notices at the download's end. True when a following player was told
    // that the whole download is in the file: it plays the file already.
    bool Finish(int status) {
        if (m_link == nullptr || m_dropped) return false;
        switch (status) {
            case kBackupFinished:
                if (!Following()) return false;
                if (m_total > m_notified) NotifyData();
                return m_link->Send(ormidon::WM_DOWNLOADEND, 0, 0);
            case kBackupRequestFailed:
            case kBackupReceiveFailed:
                m_link->Send(ormidon::WM_DOWNLOADSTOP, 0, ormidon::kStopNetworkFailure);
                return false;
            case kBackupFileFailed:
                m_link->Send(ormidon::WM_DOWNLOADSTOP, 0, ormidon::kStopFileFailure);
                return false;
            default:
                if (Following()) m_link->Send(ormidon::WM_DOWNLOADEND, 1, 0);
                return false;
        }
    }

  private:
    // The player acknowledged this download, did not stop it, and is still there: a player
    // that was dropped or whose link closed follows nothing.
    bool Following() const {
        return m_link != nullptr && !m_dropped && m_link->f_BackupPlayerAck.load() != 0 &&
               m_link->f_BackupPlayerStop.load() == 0 && m_link->PlayerConnected();
    }
    void NotifyData() {
        m_link->Send(ormidon::WM_DOWNLOADDATA, 0, m_total - m_notified);
        m_notified = m_total;
    }

    std::shared_ptr<CDownloadProgressDlg::WorkerState> m_state;
    const std::stop_token& m_stop;  // the worker's, which outlives the listener
    ormidon::PlayerLink* m_link;
    bool m_dropped = false;
    bool m_locked = false;
    bool m_deviceLeftSending = false;
    uint64_t m_total = 0;
    uint64_t m_notified = 0;
};

ormidon::PlayerLink* FollowingLink() { return &BackupPlayerLink(); }

// Asks the device to stop its side of the backup ("/CancelNB.cgi") on a worker of its own,
// which the disc layer's keeper holds: it runs to the request's own bound (15 s each way),
// whatever becomes of the window and the download's worker, and ends early only when the
// program ends. The device's answer is not reported either way.
void TellDeviceToStopBackup() {
    const auto send = [](std::stop_token stop) {
        CCgiRequest request(CGI_CANCELNB);
        const std::string cookie = GetSessionCookie();
        if (!cookie.empty()) request.AddParam("Cookie", cookie);
        if (!request.IsValid()) return;
        HalvoSendCommand(CGI_CANCELNB, request.GetBuffer(), request.GetLength(), nullptr, 0,
                         nullptr, 0, nullptr, 0, nullptr, 15, 15, 0, stop);
    };
    try {
        KeepRunningWorker(ormidon::Thread(send));
    } catch (const std::system_error&) {
        // No thread for it: the download's worker sends it itself, off the window's thread
        // all the same, and is left to the keeper when the window does not wait for it.
        send({});
    }
}

}  // namespace

CDownloadProgressDlg::CDownloadProgressDlg(QWidget* parent, NetworkBackupJob job, bool tellDevice)
    : QDialog(parent),
      m_job(std::move(job)),
      m_bTellDevice(tellDevice),
      m_state(std::make_shared<WorkerState>()) {
    m_state->window = this;
    setWindowTitle("DVR-Network Backup");
    setFixedSize(360, 120);
    m_pStatus = new QLabel(this);
    m_pStatus->setGeometry(25, 12, 320, 30);
    QFont font("Arial");
    font.setPixelSize(18);
    m_pStatus->setFont(font);
    ormidon::SetControlId(m_pStatus, kIdStatus);
    // Under the status: what the kept file holds when the download ended short.
    m_pNote = new QLabel(this);
    m_pNote->setGeometry(25, 44, 320, 30);
    QFont noteFont("Arial");
    noteFont.setPixelSize(12);
    m_pNote->setFont(noteFont);
    m_pNote->setWordWrap(true);
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
    std::lock_guard lock(m_state->mutex);
    m_state->window = nullptr;
}

bool CDownloadProgressDlg::OnInitDialog() {
    if (m_thread.Joinable()) return true;
    ormidon::PlayerLink* link = FollowingLink();
    m_state->progress = CurrentProgressSlot();
    // The worker owns copies of what it needs: it may outlive the window (in a drive). It
    // waits until the player heard of the download, so that a worker that cannot start
    // leaves the player untold.
    try {
        m_thread = ormidon::Thread([state = m_state, job = m_job, writer = m_pDiscWriter, link,
                                    tellDevice = m_bTellDevice](std::stop_token stop) {
            if (ormidon::WaitAny({&state->started}, ormidon::kInfinite, stop).status !=
                ormidon::WaitStatus::Signalled)
                return;
            DownloadFileThread(state, job, writer, link, tellDevice, stop);
        });
    } catch (const std::system_error&) {
        return false;
    }
    if (link != nullptr) {
        link->f_BackupPlayerAck = 0;
        link->f_BackupPlayerStop = 0;
        link->dw_BackupPlayerBufferSize = 0;
        if (link->h_BackupPlayerWnd.load() != 0) {
            link->Send(ormidon::WM_DOWNLOADSTART, 0, reinterpret_cast<uintptr_t>(this));
            // The player's windows take the keyboard as they open: a window manager keeps
            // this one above them, without the keyboard.
            m_bAbovePlayer = true;
            const bool shown = isVisible();
            setWindowFlag(Qt::WindowStaysOnTopHint, true);
            if (shown) show();  // a new flag hides a shown window
        }
    }
    m_state->started.Set();
    return true;
}

void CDownloadProgressDlg::DownloadFileThread(std::shared_ptr<WorkerState> state,
                                              const NetworkBackupJob& job, CCDBurner* writer,
                                              ormidon::PlayerLink* link, bool tellDevice,
                                              std::stop_token stop) {
    WindowListener listener(state, stop, link);
    int status = RunNetworkBackup(job, stop, listener);
    // A device left sending refuses the next backup until it is told to stop.
    if (tellDevice && listener.DeviceLeftSending()) TellDeviceToStopBackup();
    if (status == kBackupFinished || status == kBackupNoData) state->finished = true;
    state->playerPlays = listener.Finish(status);
    if (status != kBackupFinished) return;
    if (writer != nullptr) {
        listener.Post(kBackupWritingDisc, 0);
        state->inDrive = true;
        bool written = false;
        writer->Burn(stop, &written);
        state->disc = written ? kDiscWritten : kDiscNotWritten;
        state->inDrive = false;
    }
    listener.Post(kBackupFinished, 0);
}

bool CDownloadProgressDlg::DeviceStopsBackupOnCancel() {
    return IsP5xKModel() && FirmwareAtLeast("1043");
}

QString CDownloadProgressDlg::StatusText() const { return m_pStatus->text(); }
QString CDownloadProgressDlg::NoteText() const { return m_pNote->text(); }

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

QString CDownloadProgressDlg::DiscText(int disc) {
    switch (disc) {
        case kDiscWritten:
            return "The disc was written.";
        case kDiscNotWritten:
            return "The disc was not written.";
        default:
            return {};
    }
}

QString CDownloadProgressDlg::KeptFileText(const std::filesystem::path& file) {
    const QString name = QString::fromStdString(file.filename().string());
    const std::optional<uint64_t> kept = KeptBackupBytes(file);
    if (!kept) return QString("%1 cannot be read.").arg(name);
    if (*kept == 0) return QString("Empty file kept: %1").arg(name);
    return QString("Incomplete file kept: %1 (%2 bytes)").arg(name, QString::number(*kept));
}

void CDownloadProgressDlg::OnDownloadStatus(int status, unsigned percent, bool keptFile) {
    // Without a window manager the player's windows cover this one as they open: every
    // report brings it back over them, leaving the keyboard where it is.
    if (m_bAbovePlayer) raise();
    if (status == kBackupProgress) {
        m_pProgress->setValue(static_cast<int>(percent));
        return;
    }
    m_nLastStatus = status;
    m_statuses.push_back(status);
    m_pStatus->setText(StatusTextOf(status));
    if (status == kBackupFinished)
        m_pNote->setText(DiscText(m_state->disc.load()));
    else
        m_pNote->setText(keptFile ? KeptFileText(m_job.file) : QString());
    if (status != kBackupWritingDisc) m_pCancel->setText("Exit");
    if (status == kBackupFinished) {
        // A player that was told the whole download is in the file plays it already.
        m_pPlay->setEnabled(true);
        m_pPlay->setVisible(!m_state->playerPlays.load());
    }
    show();
    // The end is to be read and answered: the window comes to the front with the keyboard.
    // Before it (while the disc is written) the keyboard stays with whoever has it.
    if (status != kBackupWritingDisc) {
        raise();
        activateWindow();
    }
}

void CDownloadProgressDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Opening takes the keyboard: without a window manager nothing gives it to a new window.
    // Asked once the window is on the screen, after the display's own doing.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!isVisible()) return;
            raise();
            activateWindow();
        },
        Qt::QueuedConnection);
}

bool CDownloadProgressDlg::Finished() const { return m_state->finished.load(); }
bool CDownloadProgressDlg::FileMade() const { return m_state->fileMade.load(); }

void CDownloadProgressDlg::StopWorker() {
    m_thread.RequestStop();
    if (m_thread.Join(m_state->inDrive.load() ? kDriveJoinBoundMs : kJoinBoundMs)) return;
    // Still inside the drive: the keeper joins it once the drive lets go, so the window
    // closes now. It reaches the window only through the shared state.
    KeepDiscWorker(std::move(m_thread));
    m_bWorkerKept = true;
}

void CDownloadProgressDlg::reject() {
    // Esc and the window's close button end the download as Cancel does.
    OnCancel();
}

void CDownloadProgressDlg::OnCancel() {
    const bool unfinished = !m_state->finished.load();
    if (!unfinished && m_pDiscWriter != nullptr) {
        // A disc may be being written: the burn ends on the abort and the bar with it.
        m_pDiscWriter->Abort();
        PostProgressCommand(PROGRESS_END);
    }
    // Cancelled while the download ran: the page then tells what the file kept.
    m_bCancelled = unfinished && m_nLastStatus < 0;
    // The worker ends on the stop and, when the device was left sending, tells it.
    StopWorker();
    done(kResultClosed);
}

void CDownloadProgressDlg::OnPlay() {
    StopWorker();
    done(kResultPlay);
}
