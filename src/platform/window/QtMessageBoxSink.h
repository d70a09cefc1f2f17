#pragma once
// Message boxes shown by Qt. A box raised on a worker thread is shown on the UI thread
// while the worker waits for the answer; a box raised on the UI thread runs its own
// modal loop at once.
#include <QObject>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/MessageBox.h"

class QMessageBox;

namespace ormidon {

class QtMessageBoxSink : public QObject, public MessageBoxSink {
    Q_OBJECT
  public:
    // `text` gives the text of a string id (the program passes the string table).
    using TextLookup = std::function<std::string(uint32_t stringId)>;

    // Create on the UI thread.
    explicit QtMessageBoxSink(TextLookup text, QObject* parent = nullptr);
    ~QtMessageBoxSink() override;

    // A worker whose stop is requested while its box waits gets the refusing answer at
    // once; a box not yet on screen is then dropped, one already on screen stays until it
    // is answered and its answer is ignored.
    int Show(uint32_t stringId, uint32_t flags, std::stop_token stop) override;
    int ShowText(const std::string& text, uint32_t flags, std::stop_token stop) override;

    // Answers every box still open or waiting with its refusing answer (OK for an OK box,
    // cancel, no) and answers later boxes the same way without showing them. Shut-down
    // runs it before it joins the worker threads, so none of them waits for a box.
    void Close();

  private:
    struct Pending;

    int ShowOnUiThread(const std::string& text, uint32_t flags);
    static int RefusingAnswer(uint32_t flags);

    TextLookup text_;
    std::mutex mutex_;
    bool closed_ = false;
    std::vector<std::shared_ptr<Pending>> pending_;  // worker boxes not yet answered
    std::vector<QMessageBox*> open_;                 // boxes on screen (UI thread only)
};

}  // namespace ormidon
