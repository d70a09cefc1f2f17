#include "record/AlarmRecord.h"

#include <algorithm>

#include "core/SessionCookie.h"
#include "platform/WaitAny.h"
#include "record/RecordFileName.h"

CAlarmRecord::CAlarmRecord(CPreRecordBuffer& ring, SystemConfig& alarmDB)
    : ring_(ring), alarmDB_(alarmDB) {}

CAlarmRecord::~CAlarmRecord() { CloseThread(); }

bool CAlarmRecord::CreateThread(ormidon::Event& pipelineEnd) {
    CloseThread();
    h_StartEvent.Reset();
    ResetStopEvents();
    m_fStopRequested = 0;
    m_fAlarmRecordActive = 0;
    fedAtThreadStart_ = ring_.FramesFed();
    // Starts are taken only once a thread runs to take them. The lock is held across the
    // start (the last thread was joined above), so a thread that ends at once clears the
    // flag after it was set, not before.
    std::lock_guard lock(startLock_);
    if (!StartThread([this, &pipelineEnd](std::stop_token stop) {
            Alarm_Record_Thread(stop, pipelineEnd);
        })) {
        return false;
    }
    threadTakesStarts_ = true;
    return true;
}

int CAlarmRecord::OpenRecordFile(std::string_view recordPath) {
    std::lock_guard lock(startLock_);
    if (m_fStopRequested || !threadTakesStarts_ || m_fAlarmRecordActive) return 0;
    const std::string name =
        RecordFileBaseName(kAlarmRecording, ormidon::LocalNow(), GetSessionCookie());
    recordFolder_ = RecordFolder(recordPath);
    headerTemplate_ = NewRecordHeader(kAlarmRecording);
    if (!m_RecordFile.Create(recordFolder_, name, headerTemplate_)) {
        // The headers ask again with every frame of the event: one line per failed series.
        if (!openFailureReported_) PrintRecordFailure(true);
        openFailureReported_ = true;
        return 0;
    }
    openFailureReported_ = false;
    alarmDB_.AlarmDB_SetRecordPath(m_RecordFile.Path());
    backupWritten_ = false;
    ResetStopEvents();
    m_fAlarmRecordActive = 1;
    // The next frame fed is handed over, even before the thread has taken the start.
    m_HandOver.StartTaking();
    h_StartEvent.Set();
    return 1;
}

int CAlarmRecord::RequestStop() {
    if (m_fAlarmRecordActive) AskToStopAndWait();
    return 1;
}

int CAlarmRecord::StopRecord() {
    m_fStopRequested = 1;
    return RequestStop();
}

void CAlarmRecord::Alarm_Record_Thread(std::stop_token stop, ormidon::Event& pipelineEnd) {
    for (;;) {
        const ormidon::WaitResult started =
            ormidon::WaitAny({&h_StartEvent, &pipelineEnd}, ormidon::kInfinite, stop);
        if (started.status != ormidon::WaitStatus::Signalled || started.index != 0) break;
        if (Record(stop, pipelineEnd)) break;
    }
    {
        std::lock_guard lock(startLock_);
        threadTakesStarts_ = false;
    }
    // A start that came as the thread was ending: its file is finished empty.
    if (h_StartEvent.Wait(0)) {
        m_HandOver.StopTaking();
        FinishFile();
        m_fAlarmRecordActive = 0;
        h_StoppedEvent.Set();
    }
}

bool CAlarmRecord::Record(std::stop_token stop, ormidon::Event& pipelineEnd) {
    bool failed = false;
    bool pipelineEnded = false;
    for (;;) {
        // A stop request wins over a frame that is ready at the same time.
        const ormidon::WaitResult woken =
            ormidon::WaitAny({&h_StopRequestEvent, &pipelineEnd, &m_HandOver.FrameReady()},
                             ormidon::kInfinite, stop);
        if (woken.status != ormidon::WaitStatus::Signalled || woken.index != 2) {
            pipelineEnded = woken.status == ormidon::WaitStatus::Signalled && woken.index == 1;
            break;
        }
        const bool written = backupWritten_ ? WriteNewest() : WriteBackup();
        m_HandOver.FrameDone();
        if (!written) {
            failed = true;
            break;
        }
    }
    m_HandOver.StopTaking();
    if (!FinishFile()) failed = true;
    if (failed) {
        PrintRecordFailure(false);
        m_fStopRequested = 1;
    }
    m_fAlarmRecordActive = 0;
    h_StoppedEvent.Set();
    return failed || pipelineEnded || stop.stop_requested() || m_fStopRequested;
}

uint16_t CAlarmRecord::PreRecordCount() const {
    return static_cast<uint16_t>(std::min<uint64_t>(ring_.FramesFed() - fedAtThreadStart_, 21));
}

bool CAlarmRecord::WriteBackup() {
    backupWritten_ = true;
    const uint16_t newest = ring_.NewestSlot();
    alarmDB_.AlarmDB_SetRecordDate(ring_.Descriptor(newest).localTime);
    if (!m_RecordFile.WriteHeader()) return false;
    // The frames of this connection, oldest first, up to the one just handed over.
    const uint16_t count = std::min<uint16_t>(PreRecordCount(), kPreRecordSlotCount);
    for (uint16_t i = 0; i < count; ++i) {
        const uint16_t slot = (newest + kPreRecordSlotCount - count + 1 + i) % kPreRecordSlotCount;
        if (!WriteSlot(slot)) return false;
    }
    return true;
}

bool CAlarmRecord::WriteNewest() {
    const uint16_t newest = ring_.NewestSlot();
    if (m_RecordFile.FrameCount() >= kMaxFramesPerRecordFile) {
        if (!FinishFile()) return false;
        const std::string name =
            RecordFileBaseName(kAlarmRecording, ormidon::LocalNow(), GetSessionCookie());
        if (!m_RecordFile.Create(recordFolder_, name, headerTemplate_)) return false;
        alarmDB_.AlarmDB_SetRecordPath(m_RecordFile.Path());
        alarmDB_.AlarmDB_SetRecordDate(ring_.Descriptor(newest).localTime);
        if (!m_RecordFile.WriteHeader()) return false;
    }
    return WriteSlot(newest);
}

bool CAlarmRecord::WriteSlot(uint16_t slot) {
    return m_RecordFile.WriteFrame(ring_.Descriptor(slot), ring_.SlotBytes(slot));
}

bool CAlarmRecord::FinishFile() {
    if (!m_RecordFile.IsOpen()) return true;
    const uint32_t frames = m_RecordFile.FrameCount();
    const bool finished = m_RecordFile.Finish();
    alarmDB_.AlarmDB_AppendItem(frames, RecordSourceAddress());
    return finished;
}
