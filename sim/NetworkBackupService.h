#pragma once
// The recorder's network backup: "/NetworkBk.cgi" answers with the recording of one channel
// from one disk as frames of an 8-byte header (u32 LE length, u32 LE type) and data: Size MB
// in 2048-byte type-3 frames, then the type-1 end frame (Size 0: the end frame alone).
// The recording is a record file of exactly that size (sim/BackupRecording.h): the test
// picture of the requested channel at the requested time. "/CancelNB.cgi" ends the session's
// running backup. Tests script the reply's faults.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "sim/BackupRecording.h"
#include "sim/HttpServer.h"

namespace ormidon::sim {

struct NetworkBackupScript {
    // Instead of data: the refusal frame (type 6).
    bool refuse = false;
    // A type-2 frame without payload between the first and the second data frames.
    bool otherFrame = false;
    // An HTTP head before the frames; 0 for none. Not 200: the head alone.
    int httpStatus = 0;
    // The connection closes (or stalls, with `stall`) after this many reply bytes.
    std::optional<uint64_t> cutAfter = std::nullopt;
    bool stall = false;
    // The first data frame announces this length instead of its own (garbage).
    std::optional<uint32_t> firstLength = std::nullopt;
    // One byte per write.
    bool byteByByte = false;
    // Data beyond Size: this many more bytes.
    uint64_t extraBytes = 0;
    // Runs before each write with the reply bytes sent so far (a test holds the reply until
    // it is ready).
    std::function<void(uint64_t sent)> beforeWrite = {};
    // Runs before "/CancelNB.cgi" is answered (a test holds the answer back).
    std::function<void()> beforeCancelReply = {};
};

class NetworkBackupService {
  public:
    using SessionCheck = std::function<bool(const HttpRequest&, Responder&)>;
    void InstallRoutes(HttpServer& server, SessionCheck refuseWithoutSession);

    void SetScript(NetworkBackupScript script);
    NetworkBackupScript Script() const;
    // Backups ended by "/CancelNB.cgi" so far.
    int Cancels() const { return m_cancels.load(); }
    // Of those, the ones whose client was still there for the answer.
    int CancelsAnswered() const { return m_cancelsAnswered.load(); }

  private:
    void Serve(const HttpRequest& request, Responder& responder);

    mutable std::mutex m_mutex;
    NetworkBackupScript m_script;
    std::atomic<int> m_cancels{0};
    std::atomic<int> m_cancelsAnswered{0};
    std::atomic<uint64_t> m_cancelGeneration{0};
};

}  // namespace ormidon::sim
