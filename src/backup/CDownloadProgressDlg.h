#pragma once
// CDownloadProgressDlg: the "DVR-Network Backup" window of one network backup. Its worker
// runs the download (NetworkBackupDownload) and hands each status to the window's thread;
// the window shows the status texts and turns Cancel into Exit once the download has ended.
// Cancel (also Esc and the close button) is a request: the worker's socket wakes, the
// worker ends and is joined within a bound. Whenever the download ends while the device
// may still be sending (a cancel, a stall, a file that cannot be written), a device that
// can stop its side of the backup is told so from a worker of its own, which runs to its
// own bound after the window has gone. A worker
// that writes a disc is aborted; when the drive does not let go within its bound, the
// window closes anyway and the disc layer's keeper joins the worker later.
// The window takes the keyboard when it opens and when the download ends, never in between.
// While a player follows the download, the window stays above the player's windows
// without taking the keyboard from them, so that Cancel stays in reach.
#include <QDialog>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include "net/NetworkBackupDownload.h"
#include "platform/Thread.h"

class CCDBurner;
namespace ormidon {
class PlayerLink;
}  // namespace ormidon
class QLabel;
class QProgressBar;
class QPushButton;

class CDownloadProgressDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kIdCancel = 2;
    static constexpr int kIdProgress = 1447;
    static constexpr int kIdPlay = 1068;
    static constexpr int kIdStatus = 1448;
    // Results of the window: PLAY, and Cancel or Exit.
    static constexpr int kResultPlay = 255;
    static constexpr int kResultClosed = 0;
    // The bound of the worker's join when the window goes.
    static constexpr uint32_t kJoinBoundMs = 1200;

    // `job` names the device, the stretch and the file, which the download makes new.
    // `tellDevice`: Cancel also asks the device to stop its side ("/CancelNB.cgi").
    CDownloadProgressDlg(QWidget* parent, NetworkBackupJob job, bool tellDevice);
    ~CDownloadProgressDlg() override;

    // "Copy to CD": a finished download is then written by `writer` on the worker, between
    // the statuses "Writing cd ..." and the finished one. Set before OnInitDialog.
    void SetDiscWriter(CCDBurner* writer) { m_pDiscWriter = writer; }

    // Starts the download; false when its worker cannot start (nothing was asked of the
    // device or the player then). Called before the window is shown.
    bool OnInitDialog();

    // The status the window shows now, "" before the first one.
    QString StatusText() const;
    // Under the status, after an end short of the whole recording: what the kept file holds.
    QString NoteText() const;
    bool Finished() const;
    // The download made its file (it stays, whatever the end).
    bool FileMade() const;
    int LastStatus() const { return m_nLastStatus; }
    // Every status shown so far, in order (progress excluded).
    const std::vector<int>& Statuses() const { return m_statuses; }
    // The worker ended and was joined, or was left to the disc layer's keeper.
    bool WorkerEnded() const { return !m_thread.Joinable(); }
    // The worker was inside a drive when the window closed and went to the keeper.
    bool WorkerKept() const { return m_bWorkerKept; }
    // The operator cancelled before the download ended.
    bool Cancelled() const { return m_bCancelled; }

    struct WorkerState;

    // True when the connected device stops its side of a backup on "/CancelNB.cgi": a DVR
    // from firmware "1043" on.
    static bool DeviceStopsBackupOnCancel();

    // The text of a status for the window; empty for progress.
    static QString StatusTextOf(int status);
    // What became of the disc after "Copy to CD".
    enum DiscOutcome : int { kNoDisc = -1, kDiscNotWritten = 0, kDiscWritten = 1 };
    // The note under the finished status: whether the disc was written; empty without one.
    static QString DiscText(int disc);
    // The note on the kept file of a download that ended short, with what the file holds.
    static QString KeptFileText(const std::filesystem::path& file);

  public slots:
    void OnCancel();
    void OnPlay();
    // Esc and the title bar's close button: Cancel.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // The worker's WM_DOWNLOADSTATUS report, a queued call on the window's thread;
    // `keptFile`: the download ended short and its file stays.
    Q_INVOKABLE void OnDownloadStatus(int status, unsigned percent, bool keptFile);
    void StopWorker();
    // The worker: the transfer, then the disc when one is to be written. It holds its own
    // copies, since it may outlive the window (in a drive).
    static void DownloadFileThread(std::shared_ptr<WorkerState> state, const NetworkBackupJob& job,
                                   CCDBurner* writer, ormidon::PlayerLink* link, bool tellDevice,
                                   std::stop_token stop);

    NetworkBackupJob m_job;
    CCDBurner* m_pDiscWriter = nullptr;
    bool m_bTellDevice;
    // A player's window was on the screen when the download started.
    bool m_bAbovePlayer = false;
    std::shared_ptr<WorkerState> m_state;
    bool m_bWorkerKept = false;
    bool m_bCancelled = false;
    int m_nLastStatus = -1;
    std::vector<int> m_statuses;
    QLabel* m_pStatus;
    QLabel* m_pNote;
    QProgressBar* m_pProgress;
    QPushButton* m_pCancel;
    QPushButton* m_pPlay;
    ormidon::Thread m_thread;
};
