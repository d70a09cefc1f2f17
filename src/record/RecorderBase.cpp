#include "record/RecorderBase.h"

#include <cstdio>
#include <system_error>

#include "core/AppObject.h"
#include "core/ServerAddress.h"

bool RecorderBase::CloseThread() {
    if (!thread_.Joinable()) return true;
    thread_.RequestStop();
    if (thread_.Join(kThreadEndBoundMs)) return true;
    thread_.Join(ormidon::kInfinite);
    return false;
}

bool RecorderBase::StartThread(ormidon::Thread::Function function) {
    CloseThread();
    try {
        thread_ = ormidon::Thread(std::move(function));
    } catch (const std::system_error&) {
        // The system gives no thread: the recorder stays without one.
        return false;
    }
    return thread_.Joinable();
}

bool RecorderBase::AskToStopAndWait() {
    h_StopRequestEvent.Set();
    return h_StoppedEvent.Wait(kStopAnswerMs);
}

void RecorderBase::ResetStopEvents() {
    h_StopRequestEvent.Reset();
    h_StoppedEvent.Reset();
}

RecordHeader_Struct NewRecordHeader(RecordType type) {
    RecordHeader_Struct header;
    header.recordType = type;
    if (g_lpApp != nullptr) header.userName = g_lpApp->CSettingINI.m_strUsername;
    header.deviceAddress = RecordDeviceAddress(RecordSourceAddress());
    return header;
}

std::string RecordSourceAddress() { return g_lpApp != nullptr ? GetServerName() : std::string(); }

void PrintRecordFailure(bool opening) {
    std::fputs(opening ? "@@@@@@@@@@@ Open record file failed,error @@@@@@@@@@@@ \n"
                       : "@@@@@@@@@@@ Write record file failed,error @@@@@@@@@@@@ \n",
               stdout);
    std::fflush(stdout);
}
