#pragma once
// The alarm recorder: writes "ALARM_MJPEG_" record files while the device reports an event
// in the frame headers. The header parsers open a recording at the first header with an event
// and ask for its end at the first header without one. A recording begins with the frames of
// the pre-record ring (those of the current connection, at most 20, oldest first) and goes on
// with every frame fed; each file it writes gets its own alarm-database entry when finished.
//
// The record thread lives from one login to the next (CreateThread / CloseThread). A
// pipeline stop, a stop request of the thread, StopRecord or a failed write finish the file
// and its entry; after StopRecord or a failed write no recording opens before the next
// CreateThread.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>

#include "platform/Event.h"
#include "record/PreRecordBuffer.h"
#include "record/RecordFile.h"
#include "record/RecorderBase.h"
#include "record/SystemConfig.h"

class CAlarmRecord : public RecorderBase {
  public:
    CAlarmRecord(CPreRecordBuffer& ring, SystemConfig& alarmDB);
    // Ends the thread, which finishes a recording in progress.
    ~CAlarmRecord();

    // Starts the record thread for a new connection, from a clean state: the pre-record
    // count starts again, a stop of the last connection is forgotten. The thread ends when
    // `pipelineEnd` (the live pipeline's stop event) is set, or on CloseThread. False when
    // the system gives no thread: then no start is taken before the next CreateThread.
    bool CreateThread(ormidon::Event& pipelineEnd);

    // Creates a new alarm file in `recordPath` and starts the recording. 0 when a recording
    // runs already, StopRecord was called, no record thread takes the start, or the file
    // cannot be created (then nothing is marked active).
    int OpenRecordFile(std::string_view recordPath);
    // Asks the thread to finish the recording; waits up to kStopAnswerMs for it. 1.
    int RequestStop();
    // Finishes the recording as RequestStop, and opens no other before the next
    // CreateThread. 1.
    int StopRecord();

    // 1 from OpenRecordFile until the thread finished the recording.
    std::atomic<uint32_t> m_fAlarmRecordActive{0};

  private:
    void Alarm_Record_Thread(std::stop_token stop, ormidon::Event& pipelineEnd);
    // Takes frames until the recording ends; true when the thread should end too.
    bool Record(std::stop_token stop, ormidon::Event& pipelineEnd);
    // ALARM_RECORD_THREAD_BACKUP: the header and the pre-record frames.
    bool WriteBackup();
    // ALARM_RECORD_THREAD_FRAME: the newest frame, in a new file after kMaxFramesPerRecordFile.
    bool WriteNewest();
    bool WriteSlot(uint16_t slot);
    // Finishes the file and appends its alarm-database entry; false when a write failed.
    bool FinishFile();
    // Frames fed since the thread was created, stopping at 21.
    uint16_t PreRecordCount() const;

    CPreRecordBuffer& ring_;
    SystemConfig& alarmDB_;
    // The fetch thread creates the first file of a recording, the record thread the others.
    RecordFile m_RecordFile;
    std::string recordFolder_;
    RecordHeader_Struct headerTemplate_;
    std::atomic<uint32_t> m_fStopRequested{0};
    uint64_t fedAtThreadStart_ = 0;
    bool backupWritten_ = false;

    // Whether a record thread takes starts; changed with its lock held, so that a start is
    // either taken or refused.
    std::mutex startLock_;
    bool threadTakesStarts_ = false;
    bool openFailureReported_ = false;
};
