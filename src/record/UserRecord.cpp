#include "record/UserRecord.h"

#include "platform/WaitAny.h"
#include "record/RecordFileName.h"

CUserRecord::CUserRecord(CPreRecordBuffer& ring) : ring_(ring) {}

CUserRecord::~CUserRecord() {
    CloseThread();
    std::lock_guard lock(fileLock_);
    m_RecordFile.Finish();
}

bool CUserRecord::CreateThread(ormidon::Event& pipelineEnd) {
    CloseThread();
    // Frames are handed over only once a thread runs to write them. The lock is held across
    // the start (the last thread was joined above), so a thread that ends at once clears the
    // flag after it was set, not before.
    std::lock_guard lock(fileLock_);
    if (!StartThread([this, &pipelineEnd](std::stop_token stop) {
            Jpeg_User_Record_Thread(stop, pipelineEnd);
        })) {
        return false;
    }
    threadAlive_ = true;
    return true;
}

int CUserRecord::OpenRecordFile(std::string_view recordPath) {
    std::lock_guard lock(fileLock_);
    if (m_RecordFile.IsOpen()) return 0;
    recordFolder_ = RecordFolder(recordPath);
    headerTemplate_ = NewRecordHeader(kUserRecording);
    const std::string name = RecordFileBaseName(kUserRecording, ormidon::LocalNow(), {});
    if (!m_RecordFile.Create(recordFolder_, name, headerTemplate_)) return 0;
    ResetStopEvents();
    StartLocked();
    return 1;
}

int CUserRecord::StopRecord() {
    bool threadRecording = false;
    {
        std::lock_guard lock(fileLock_);
        if (!m_RecordFile.IsOpen()) return 1;
        threadRecording = threadRecording_;
    }
    if (threadRecording) AskToStopAndWait();
    // Without a thread recording (the stream is gone, or the start was not taken yet), or
    // with one that did not answer in time, the file is finished here; a thread that
    // records then finds no file and stops taking frames itself.
    {
        std::lock_guard lock(fileLock_);
        if (m_RecordFile.IsOpen() && !m_RecordFile.Finish()) PrintRecordFailure(false);
        h_StartEvent.Reset();
        threadRecording = threadRecording_;
    }
    if (!threadRecording) m_HandOver.StopTaking();
    return 1;
}

int CUserRecord::RestartRecord() {
    std::lock_guard lock(fileLock_);
    if (!m_RecordFile.IsOpen()) return 0;
    StartLocked();
    return 1;
}

void CUserRecord::StartLocked() {
    // With a thread to take it, the next frame fed is handed over at once; otherwise the
    // start waits for the next login's thread.
    if (threadAlive_) m_HandOver.StartTaking();
    h_StartEvent.Set();
}

bool CUserRecord::IsRecording() const {
    std::lock_guard lock(fileLock_);
    return m_RecordFile.IsOpen();
}

void CUserRecord::Jpeg_User_Record_Thread(std::stop_token stop, ormidon::Event& pipelineEnd) {
    TakeFrames(stop, pipelineEnd);
    {
        std::lock_guard lock(fileLock_);
        threadAlive_ = false;
    }
    m_HandOver.StopTaking();
}

void CUserRecord::TakeFrames(std::stop_token stop, ormidon::Event& pipelineEnd) {
    for (;;) {
        const ormidon::WaitResult started =
            ormidon::WaitAny({&h_StartEvent, &pipelineEnd}, ormidon::kInfinite, stop);
        if (started.status != ormidon::WaitStatus::Signalled || started.index != 0) return;
        {
            std::lock_guard lock(fileLock_);
            if (!m_RecordFile.IsOpen()) continue;  // stopped before the thread took the start
            threadRecording_ = true;
        }
        m_HandOver.StartTaking();
        bool stopRequested = false;
        for (;;) {
            const ormidon::WaitResult woken =
                ormidon::WaitAny({&h_StopRequestEvent, &pipelineEnd, &m_HandOver.FrameReady()},
                                 ormidon::kInfinite, stop);
            if (woken.status != ormidon::WaitStatus::Signalled || woken.index != 2) {
                // A pipeline stop keeps the file open for the next login's thread, unless a
                // stop was asked for as well.
                stopRequested =
                    (woken.status == ormidon::WaitStatus::Signalled && woken.index == 0) ||
                    h_StopRequestEvent.Wait(0);
                break;
            }
            const Outcome outcome = WriteNewest();
            m_HandOver.FrameDone();
            if (outcome == Outcome::Failed) PrintRecordFailure(false);
            if (outcome != Outcome::Written) break;
        }
        m_HandOver.StopTaking();
        bool fileOpen = false;
        {
            std::lock_guard lock(fileLock_);
            if (stopRequested && !m_RecordFile.Finish()) PrintRecordFailure(false);
            threadRecording_ = false;
            fileOpen = m_RecordFile.IsOpen();
        }
        if (fileOpen) return;  // suspended until the next login
        h_StoppedEvent.Set();
    }
}

CUserRecord::Outcome CUserRecord::WriteNewest() {
    std::lock_guard lock(fileLock_);
    if (!m_RecordFile.IsOpen()) return Outcome::NoFile;
    const uint16_t newest = ring_.NewestSlot();
    bool written = true;
    if (m_RecordFile.FrameCount() >= kMaxFramesPerRecordFile) {
        const std::string name = RecordFileBaseName(kUserRecording, ormidon::LocalNow(), {});
        written =
            m_RecordFile.Finish() && m_RecordFile.Create(recordFolder_, name, headerTemplate_);
    }
    written = written && (m_RecordFile.HeaderWritten() || m_RecordFile.WriteHeader());
    written = written && m_RecordFile.WriteFrame(ring_.Descriptor(newest), ring_.SlotBytes(newest));
    if (!written) {
        m_RecordFile.Finish();
        return Outcome::Failed;
    }
    return Outcome::Written;
}
