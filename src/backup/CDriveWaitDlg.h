#pragma once
// CDriveWaitDlg: the small window that tells the operator that a drive is being read while
// a worker does it (the drive scan, the check of a target). Drive calls can block for as
// long as a drive takes, so the UI thread never makes them: it runs this window, which
// closes itself once the work is done. Cancel, Esc and the close button give the work up:
// its stop is requested and the window closes at once; a worker still inside the drive
// goes to the disc layer's keeper instead of being waited for.
#include <QDialog>
#include <atomic>
#include <functional>
#include <memory>
#include <stop_token>

#include "backup/CCDBurner.h"

class QLabel;
class QTimer;

class CDriveWaitDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kIdText = 1448;
    static constexpr int kIdCancel = 2;
    static constexpr const char* kText = "Reading the drive ...";

    explicit CDriveWaitDlg(QWidget* parent = nullptr);

    // Runs `work` on a worker and this window until it is done. GivenUp when the operator
    // gave it up first; NotStarted, without showing the window, when no worker could start.
    DriveWork Run(std::function<void(std::stop_token)> work);

  private:
    QLabel* m_pText;
    QTimer* m_pPoll;
    std::shared_ptr<std::atomic<bool>> m_done;
};

// A DriveWorkRunner (CCDBurner.h) that shows CDriveWaitDlg over `parent`.
DriveWork RunDriveWorkWithWindow(QWidget* parent, std::function<void(std::stop_token)> work);
