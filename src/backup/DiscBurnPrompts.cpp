#include "backup/DiscBurnPrompts.h"

#include <QFileDialog>
#include <QStringList>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/window/UiThread.h"

namespace {

// "Name (*.x)|*.x|Other (*.*)|*.*" → "Name (*.x);;Other (*.*)": each pair's shown text.
QString QtFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|', Qt::SkipEmptyParts);
    QStringList shown;
    for (qsizetype i = 0; i < parts.size(); i += 2) shown << parts[i];
    return shown.join(";;");
}

std::string AskNow(const std::string& suggested, const std::string& filter) {
    return QFileDialog::getSaveFileName(nullptr, QString(), QString::fromStdString(suggested),
                                        QtFilter(filter))
        .toStdString();
}

}  // namespace

std::string QtDiscBurnPrompts::AskImageFile(const std::string& suggested, const std::string& filter,
                                            std::stop_token stop) {
    if (ormidon::IsUiThread()) return AskNow(suggested, filter);
    struct Pending {
        std::mutex mutex;
        std::condition_variable_any answered;
        bool done = false;
        std::string file;
    };
    auto pending = std::make_shared<Pending>();
    const bool queued = ormidon::RunOnUiThread([pending, suggested, filter] {
        {
            std::lock_guard lock(pending->mutex);
            if (pending->done) return;  // the burn stopped waiting
        }
        std::string file = AskNow(suggested, filter);
        std::lock_guard lock(pending->mutex);
        pending->file = std::move(file);
        pending->done = true;
        pending->answered.notify_all();
    });
    if (!queued) return {};
    std::unique_lock lock(pending->mutex);
    if (!pending->answered.wait(lock, stop, [&] { return pending->done; })) {
        pending->done = true;
        return {};
    }
    return pending->file;
}
