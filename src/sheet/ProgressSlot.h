#pragma once
// The settings sheet's progress bar mailbox. Workers (log fetch, list download, backup,
// disc writer) post one command at a time; the sheet's progress thread takes each command,
// updates the bar's state and has the UI thread repaint.
//
// A writer posts with PostProgressCommand, which finds the mailbox of the sheet opened
// last. When no sheet is open, or the sheet goes while the writer waits for the slot, the
// writer returns at once with false.
#include <QRect>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>

#include "platform/Event.h"
#include "platform/Semaphore.h"
#include "platform/Thread.h"

enum ProgressCommand : uint32_t {
    PROGRESS_START = 1,
    PROGRESS_SET_TOTAL = 2,
    PROGRESS_SET_POS = 3,
    PROGRESS_END = 4,
};

struct ProgressSlot {
    // Released by a writer when a command is in the slot.
    ormidon::Semaphore m_hCommandReady{0, 1};
    // Released by the thread when the slot may be written again.
    ormidon::Semaphore m_hSlotFree{1, 1};
    // Set when the sheet goes: waiting writers give up.
    ormidon::Event m_Closed{true, false};
    uint32_t dwCommand = 0;
    uint32_t dwValue = 0;
};

// Posts one command (and its value for PROGRESS_SET_TOTAL and PROGRESS_SET_POS) to the
// open sheet's mailbox; waits for the slot until it is free, the sheet goes or `stop` is
// requested. True when the command was posted.
bool PostProgressCommand(uint32_t command, uint32_t value = 0, std::stop_token stop = {});
// The same to the mailbox `slot` (a worker keeps the one of the sheet it began under); a
// slot whose sheet went, or none, takes nothing.
bool PostProgressCommandTo(const std::shared_ptr<ProgressSlot>& slot, uint32_t command,
                           uint32_t value = 0, std::stop_token stop = {});

// The mailbox of the sheet opened last; set by the sheet, cleared by it when it goes (a
// later sheet's mailbox is left alone).
void SetProgressSlot(std::shared_ptr<ProgressSlot> slot);
void ClearProgressSlot(const ProgressSlot* slot);
std::shared_ptr<ProgressSlot> CurrentProgressSlot();

// The thread that serves a mailbox: each command goes to `handler` on this thread, then the
// slot is free again. Stopping is a request and a bounded join.
class ProgressThread {
  public:
    using Handler = std::function<void(uint32_t command, uint32_t value)>;
    ProgressThread(std::shared_ptr<ProgressSlot> slot, Handler handler);
    ~ProgressThread();
    ProgressThread(const ProgressThread&) = delete;
    ProgressThread& operator=(const ProgressThread&) = delete;
    // Stops the thread and joins it within `boundMs`; true when it ended.
    bool Stop(uint32_t boundMs = 1000);

  private:
    std::shared_ptr<ProgressSlot> m_slot;
    ormidon::Thread m_thread;
};

// The body of the thread: takes each command from `slot`, hands it to `handler` and frees
// the slot again, until `stop` is requested.
void Progress_Bar_Thread(ProgressSlot& slot, const ProgressThread::Handler& handler,
                         std::stop_token stop);

// How the bar looks for a position of a total inside `bar` (the bar's rectangle): the
// fill's width, the percentage and where its text goes. A total of 0 shows 0 % and no fill;
// a position past the total shows the full bar and 100 %.
struct ProgressLook {
    int fill = 0;
    uint32_t percent = 0;
    int textX = 0;
    bool textInsideFill = false;
};
ProgressLook ComputeProgressLook(const QRect& bar, int64_t position, int64_t total);
