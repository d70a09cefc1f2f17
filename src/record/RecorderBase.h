#pragma once
// What the alarm, user and schedule recorders share: the lock-step with the pre-record ring,
// the start, stop-request and stopped events, and the record thread.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Event.h"
#include "platform/Thread.h"
#include "record/RecordFormat.h"
#include "record/RingHandOver.h"

class RecorderBase {
  public:
    // How long a stop request waits for the record thread to finish its file.
    static constexpr uint32_t kStopAnswerMs = 500;
    // How long a record thread may take to end once asked: it finishes an open file first.
    static constexpr uint32_t kThreadEndBoundMs = 2000;

    RecorderBase() = default;
    RecorderBase(const RecorderBase&) = delete;
    RecorderBase& operator=(const RecorderBase&) = delete;

    RingHandOver& HandOver() { return m_HandOver; }

    // Asks the record thread to end and joins it. False when it overran its bound (it is
    // joined all the same). True at once without a thread.
    bool CloseThread();

  protected:
    // Stops a thread that still runs, then starts `function` as the record thread. False
    // when the system gives no thread.
    bool StartThread(ormidon::Thread::Function function);
    // Sets the stop request and waits up to kStopAnswerMs for the stopped event; true when
    // it came.
    bool AskToStopAndWait();
    // Forgets a stop request and a stopped answer of an earlier recording.
    void ResetStopEvents();

    RingHandOver m_HandOver;
    ormidon::Event h_StartEvent;
    ormidon::Event h_StopRequestEvent;
    ormidon::Event h_StoppedEvent;

  private:
    ormidon::Thread thread_;
};

// The record header of a new file: its type, the "Username" setting and the device address
// of the "Server Name" setting.
RecordHeader_Struct NewRecordHeader(RecordType type);

// The "Server Name" setting: the device address kept in record headers and alarm-database
// entries; empty without an application record.
std::string RecordSourceAddress();

// A record file that could not be created or written, on the standard output.
void PrintRecordFailure(bool opening);
