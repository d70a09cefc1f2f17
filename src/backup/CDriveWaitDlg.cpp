#include "backup/CDriveWaitDlg.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>

#include "backup/DiscLayer.h"
#include "platform/Thread.h"
#include "platform/window/ControlId.h"

namespace {

// Work that ends this soon never shows the window.
constexpr auto kQuietWait = std::chrono::milliseconds(100);
// How often the window looks whether the work is done.
constexpr int kPollMs = 20;
// The bound of the join of a worker that said it is done.
constexpr uint32_t kDoneJoinBoundMs = 1000;

}  // namespace

CDriveWaitDlg::CDriveWaitDlg(QWidget* parent)
    : QDialog(parent), m_done(std::make_shared<std::atomic<bool>>(false)) {
    setWindowTitle("Write CD Setting");
    setFixedSize(300, 100);
    m_pText = new QLabel(kText, this);
    m_pText->setGeometry(20, 16, 260, 24);
    ormidon::SetControlId(m_pText, kIdText);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setGeometry(100, 56, 100, 28);
    ormidon::SetControlId(cancel, kIdCancel);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_pPoll = new QTimer(this);
    connect(m_pPoll, &QTimer::timeout, this, [this] {
        if (m_done->load()) accept();
    });
}

DriveWork CDriveWaitDlg::Run(std::function<void(std::stop_token)> work) {
    struct Signal {
        std::mutex mutex;
        std::condition_variable ended;
    };
    auto signal = std::make_shared<Signal>();
    ormidon::Thread worker;
    try {
        worker =
            ormidon::Thread([work = std::move(work), done = m_done, signal](std::stop_token stop) {
                work(stop);
                {
                    std::lock_guard lock(signal->mutex);
                    done->store(true);
                }
                signal->ended.notify_all();
            });
    } catch (const std::system_error&) {
        // No thread: the drive is not read, and the UI thread never reads it itself.
        return DriveWork::NotStarted;
    }
    bool done;
    {
        std::unique_lock lock(signal->mutex);
        done = signal->ended.wait_for(lock, kQuietWait, [&] { return m_done->load(); });
    }
    if (!done) {
        m_pPoll->start(kPollMs);
        done = exec() == QDialog::Accepted && m_done->load();
        m_pPoll->stop();
    }
    if (!done) {
        // Given up: the worker is not waited for while it may be inside the drive.
        KeepDiscWorker(std::move(worker));
        return DriveWork::GivenUp;
    }
    if (!worker.Join(kDoneJoinBoundMs)) KeepDiscWorker(std::move(worker));
    return DriveWork::Done;
}

DriveWork RunDriveWorkWithWindow(QWidget* parent, std::function<void(std::stop_token)> work) {
    CDriveWaitDlg window(parent);
    return window.Run(std::move(work));
}
