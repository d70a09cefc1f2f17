#pragma once
// The recorder's firmware upgrade. "/GetVersion.cgi" names the firmware; "/UpgradeFW.cgi"
// takes a part in pieces, each the body of one request ("Upgrade=Start&FileSize=n" first,
// "Upgrade=Finished&Type=t" last, a one-piece part ends with its Start); "/UpgradeFW2.cgi"
// takes a part raw behind its head ("FILESIZE=n&Type=t") and answers once all of it came.
// Parts are put together per session, checked against their announced size and kept for
// the tests. "/UpgradeFW.cgi?Upgrade=Cancel" and "/CancelUPFW.cgi" drop the session's open
// part and are counted. The upgrade's keep-alive ("/Getvideo.cgi" with "Fake=1") is held
// open and silent. Tests script faults per piece, per raw part and on the keep-alive.
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/HttpServer.h"

namespace ormidon::sim {

struct FirmwareUpgradeScript {
    // The k-th "/UpgradeFW.cgi" piece (1-based, counted from SetScript) is answered with
    // `pieceStatus` and not taken; 0 for none.
    int statusAtPiece = 0;
    int pieceStatus = 404;
    // The k-th piece is taken, then the connection closes without an answer; 0 for none.
    int dropAtPiece = 0;
    // A raw part's connection is reset after this many of its bytes.
    std::optional<uint64_t> cutRawAfter = std::nullopt;
    // No answer after a raw part: the connection stays silent until stalls end.
    bool stallRawReply = false;
    // The keep-alive is answered 403 and closed.
    bool refuseKeepAlive = false;
    // A device that reboots on its last part: the keep-alives are closed as the part that
    // asks for the reboot completes, before that part is answered.
    bool closeKeepAliveOnReboot = false;
    // The "/GetVersion.cgi" body; nothing: the firmware version as "1.0.7.0".
    std::optional<std::string> versionReply = std::nullopt;
};

struct ReceivedFirmwarePart {
    std::string session;
    std::string path;           // "/UpgradeFW.cgi" or "/UpgradeFW2.cgi"
    std::string startType;      // "Type" of the Start piece, if any
    std::string type;           // "Type" of the Finished piece or of the raw head
    uint64_t declaredSize = 0;  // FileSize / FILESIZE
    std::string bytes;
    bool complete = false;  // exactly the declared size arrived and the part was closed
    bool reboot = false;
    int requests = 0;  // pieces (1 for a raw part)
};

class FirmwareUpgradeService {
  public:
    using SessionCheck = std::function<bool(const HttpRequest&, Responder&)>;
    // `firmware` gives the recorder's firmware version for "/GetVersion.cgi".
    void InstallRoutes(HttpServer& server, SessionCheck refuseWithoutSession,
                       std::function<std::string()> firmware);
    // The keep-alive of an upgrade: the live route hands over requests with "Fake=1".
    void KeepAlive(const HttpRequest& request, Responder& responder);

    void SetScript(FirmwareUpgradeScript script);
    // Parts closed so far, in the order they were closed (complete or not).
    std::vector<ReceivedFirmwarePart> Parts() const;
    void ClearParts();
    int Cancels() const { return m_cancels.load(); }
    int KeepAlivesHeld() const { return m_keepAlivesHeld.load(); }
    int KeepAlivesRefused() const { return m_keepAlivesRefused.load(); }
    // Keep-alive connections open now.
    int KeepAlivesOpen() const { return m_keepAlivesOpen.load(); }

  private:
    void Piece(const HttpRequest& request, Responder& responder);
    void RawPart(const HttpRequest& request, Responder& responder);
    void Cancel(const HttpRequest& request);
    static std::string SessionOf(const HttpRequest& request);
    // A part asking for the reboot completed: closes the held keep-alives when scripted.
    void CloseKeepAlivesOnReboot();

    std::function<std::string()> m_firmware;
    mutable std::mutex m_mutex;
    FirmwareUpgradeScript m_script;
    int m_pieces = 0;
    std::map<std::string, ReceivedFirmwarePart> m_open;  // by session
    std::vector<ReceivedFirmwarePart> m_parts;
    std::vector<Responder*> m_held;  // keep-alives held open now
    std::atomic<int> m_cancels{0};
    std::atomic<int> m_keepAlivesHeld{0};
    std::atomic<int> m_keepAlivesRefused{0};
    std::atomic<int> m_keepAlivesOpen{0};
};

}  // namespace ormidon::sim
