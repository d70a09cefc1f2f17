#include "platform/window/QtMessageBoxSink.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QThread>
#include <algorithm>

namespace ormidon {

struct QtMessageBoxSink::Pending {
    explicit Pending(uint32_t boxFlags) : flags(boxFlags) {}
    const uint32_t flags;
    std::mutex mutex;
    std::condition_variable_any answered;
    bool done = false;
    int answer = kIdOk;

    void Answer(int value) {
        std::lock_guard lock(mutex);
        if (done) return;
        done = true;
        answer = value;
        answered.notify_all();
    }
};

QtMessageBoxSink::QtMessageBoxSink(TextLookup text, QObject* parent)
    : QObject(parent), text_(std::move(text)) {}

QtMessageBoxSink::~QtMessageBoxSink() { Close(); }

int QtMessageBoxSink::RefusingAnswer(uint32_t flags) {
    switch (flags & 0xF) {
        case kMbOkCancel:
            return kIdCancel;
        case kMbYesNo:
            return kIdNo;
        default:
            return kIdOk;
    }
}

int QtMessageBoxSink::Show(uint32_t stringId, uint32_t flags, std::stop_token stop) {
    std::string text = text_ ? text_(stringId) : std::string();
    if (text.empty()) text = "Message " + std::to_string(stringId);
    return ShowText(text, flags, std::move(stop));
}

int QtMessageBoxSink::ShowText(const std::string& text, uint32_t flags, std::stop_token stop) {
    if (QThread::currentThread() == thread()) {
        {
            std::lock_guard lock(mutex_);
            if (closed_) return RefusingAnswer(flags);
        }
        return ShowOnUiThread(text, flags);
    }

    auto pending = std::make_shared<Pending>(flags);
    {
        std::lock_guard lock(mutex_);
        if (closed_) return RefusingAnswer(flags);
        pending_.push_back(pending);
    }
    // The queued call dies with this sink; Close answers the waiting worker in that case.
    QMetaObject::invokeMethod(
        this,
        [this, pending, text, flags] {
            {
                std::lock_guard lock(pending->mutex);
                if (pending->done) return;  // closed while it waited in the queue
            }
            pending->Answer(ShowOnUiThread(text, flags));
        },
        Qt::QueuedConnection);

    std::unique_lock wait(pending->mutex);
    if (!pending->answered.wait(wait, stop, [&] { return pending->done; })) {
        // Stopped first: the queued call finds the box answered and drops it.
        pending->done = true;
        pending->answer = RefusingAnswer(flags);
    }
    const int answer = pending->answer;
    wait.unlock();

    std::lock_guard lock(mutex_);
    pending_.erase(std::remove(pending_.begin(), pending_.end(), pending), pending_.end());
    return answer;
}

int QtMessageBoxSink::ShowOnUiThread(const std::string& text, uint32_t flags) {
    QMessageBox box;
    box.setWindowTitle(QGuiApplication::applicationDisplayName());
    box.setText(QString::fromStdString(text));
    QMessageBox::StandardButton escapeButton = QMessageBox::Ok;
    switch (flags & 0xF) {
        case kMbOkCancel:
            box.setIcon(QMessageBox::Question);
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            escapeButton = QMessageBox::Cancel;
            break;
        case kMbYesNo:
            box.setIcon(QMessageBox::Question);
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            escapeButton = QMessageBox::No;
            break;
        default:
            box.setIcon(QMessageBox::Warning);
            box.setStandardButtons(QMessageBox::Ok);
            break;
    }
    box.setEscapeButton(escapeButton);

    open_.push_back(&box);
    const int pressed = box.exec();
    open_.erase(std::remove(open_.begin(), open_.end(), &box), open_.end());

    switch (pressed) {
        case QMessageBox::Ok:
            return kIdOk;
        case QMessageBox::Cancel:
            return kIdCancel;
        case QMessageBox::Yes:
            return kIdYes;
        case QMessageBox::No:
            return kIdNo;
        default:
            return RefusingAnswer(flags);  // closed by Close()
    }
}

void QtMessageBoxSink::Close() {
    std::vector<std::shared_ptr<Pending>> pending;
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        pending = pending_;
    }
    // A waiting worker gets the refusing answer; its box, if already on screen, is closed
    // below and its late answer is ignored.
    for (const auto& box : pending) box->Answer(RefusingAnswer(box->flags));
    if (QThread::currentThread() == thread()) {
        for (QMessageBox* box : std::vector<QMessageBox*>(open_)) box->done(-1);
    }
}

}  // namespace ormidon
