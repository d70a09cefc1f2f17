#pragma once
// The user recorder: writes "USER_MJPEG_" record files between two presses of the main
// window's RECORD button. A recording starts with the first frame handed over after the
// start (no pre-record frames) and goes on across a re-login in the same file: the record
// thread ends with the live pipeline and leaves the file open, and RestartRecord sets the
// next login's thread going on it.
//
// StopRecord finishes the file whether or not a record thread is running; a failed write
// finishes it too. No alarm-database entry is made for a user recording.
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

class CUserRecord : public RecorderBase {
  public:
    explicit CUserRecord(CPreRecordBuffer& ring);
    // Ends the thread and finishes a recording in progress.
    ~CUserRecord();

    // Starts the record thread of a login. A recording in progress is kept; it goes on once
    // RestartRecord or OpenRecordFile gives the start. False when the system gives no
    // thread: then no frame is handed over before the next CreateThread.
    bool CreateThread(ormidon::Event& pipelineEnd);

    // Creates a new user file in `recordPath` and starts the recording. 0 when a recording
    // runs already or the file cannot be created.
    int OpenRecordFile(std::string_view recordPath);
    // Finishes the recording: the thread finishes it when it runs (waiting up to
    // kStopAnswerMs), otherwise it is finished here. 1.
    int StopRecord();
    // After a re-login: the new thread goes on with the open file (no new header, serials
    // and index go on). 1 when a file is open, else 0.
    int RestartRecord();

    // True while a user file is open.
    bool IsRecording() const;

  private:
    enum class Outcome { Written, Failed, NoFile };

    void Jpeg_User_Record_Thread(std::stop_token stop, ormidon::Event& pipelineEnd);
    // Records from each start to its stop, until the pipeline stops.
    void TakeFrames(std::stop_token stop, ormidon::Event& pipelineEnd);
    // Starts taking frames for the open file. Called with fileLock_ held.
    void StartLocked();
    // Writes the newest frame (after the header on the first one; in a new file after
    // kMaxFramesPerRecordFile).
    Outcome WriteNewest();

    CPreRecordBuffer& ring_;
    // The file and its settings; the record thread, the window thread and shut-down reach it.
    mutable std::mutex fileLock_;
    RecordFile m_RecordFile;
    std::string recordFolder_;
    RecordHeader_Struct headerTemplate_;
    // True while the thread takes frames for the file; changed with fileLock_ held.
    bool threadRecording_ = false;
    // True from a CreateThread that started the thread until the thread ends; changed with
    // fileLock_ held.
    bool threadAlive_ = false;
};
