#pragma once
// The simulated recorder: an HTTP server on a loopback address that answers the device's CGI
// commands as a recorder would. Tests start it in-process; the ormidon-sim program runs it for the
// demo.
//
// It knows the protocol only as a device speaks it and shares no code with the client.
// Later features add routes to Server(); tests script faults and read the request log there.
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sim/ConfigStore.h"
#include "sim/DeviceControls.h"
#include "sim/DeviceIdentity.h"
#include "sim/DvrDisks.h"
#include "sim/DvrSettings.h"
#include "sim/EventLog.h"
#include "sim/FirmwareUpgradeService.h"
#include "sim/HttpServer.h"
#include "sim/LiveVideo.h"
#include "sim/NetworkBackupService.h"
#include "sim/RecordingList.h"

namespace ormidon::sim {

struct RecorderSetup {
    DeviceIdentity identity;
    std::vector<Account> accounts = {{"admin", "admin", 30}};
    // Logins beyond this many sessions get status 202; 0 means no limit.
    std::size_t maxSessions = 0;
    // Commands other than the login need the "Cookie" of a session, else status 401.
    bool checkSession = true;
};

class SimulatedRecorder {
  public:
    explicit SimulatedRecorder(RecorderSetup setup = {});
    ~SimulatedRecorder();

    // Listens on `address` (host order, a loopback address; 127.0.0.1 by default) and
    // `port` (0: a free port), which "IP" then reports; false when that fails.
    bool Start(uint16_t port = 0, uint32_t address = HttpServer::kLoopback);
    void Stop();
    uint16_t Port() const { return m_server.Port(); }
    uint32_t Address() const { return m_server.Address(); }
    // Listens also at `address` (host order) and `port`, as after a new address was set; an
    // address outside the loopback net cannot be taken here, its port is heard on
    // 127.0.0.1. True when the recorder listens there.
    bool Follow(uint32_t address, uint16_t port);
    // Routes, scripted faults and the request log.
    HttpServer& Server() { return m_server; }
    // The live stream: frame rate, picture size, event bits and stream faults.
    LiveVideo& Video() { return m_video; }
    // PTZ cameras, RS-485 bodies, R.E.T.R., camera sensor and picture colour.
    DeviceControls& Controls() { return m_controls; }
    NetworkBackupService& Backup() { return m_backup; }
    DvrDisks& Disks() { return m_disks; }
    // The event log, fresh for the family at each identity change.
    EventLog& Events() { return m_events; }
    // Version query, firmware parts by both protocols, cancels and the upgrade's keep-alive.
    FirmwareUpgradeService& Firmware() { return m_firmware; }
    // The DVR's clock and recording settings ("/GetDvrDate.cgi", "/GetRecordSetting.cgi").
    DvrSettings& Dvr() { return m_dvr; }
    RecordingList& Recordings() { return m_recordings; }

    // Identity and accounts; each resets the configuration to fresh test data.
    void SetIdentity(DeviceIdentity identity);
    DeviceIdentity Identity() const;
    void SetAccounts(std::vector<Account> accounts);
    void SetMaxSessions(std::size_t maxSessions);
    void SetCheckSession(bool check);

    // The "/Getdeviceinfo.cgi" answer, "KEY=value;" in this order. "USERLEVEL" comes from the
    // session's account unless it is set here.
    void SetDeviceInfo(const std::string& key, std::string value);
    void RemoveDeviceInfo(const std::string& key);
    std::vector<std::pair<std::string, std::string>> DeviceInfo() const;

    std::optional<std::string> Section(std::string_view name) const;
    bool SetSection(std::string_view name, std::string bytes);
    // Replaces the "ONLINE" bytes built from the sessions (any length, for tests).
    void SetOnlineOverride(std::optional<std::string> online);

    // Replaces the "/GetColor.cgi" answer, which otherwise reports the colour last set.
    void SetColourReply(std::string reply);

    // What a session asked for: resolution and quality ("/Getdeviceinfo.cgi",
    // "/Setresolution.cgi", "/Setquality.cgi") and the channel shown ("CH" of
    // "/Getdeviceinfo.cgi", "/SetChannel.cgi"). nullopt for an unknown session.
    struct SessionView {
        int resolution = 0;
        int quality = 0;
        int channel = 0;
    };
    std::optional<SessionView> SessionState(const std::string& sessionId) const;

    // Opens a session for an account as a login would and returns its id (empty when there
    // is no such account); for tests that start logged in.
    std::string OpenSession(const std::string& userName);
    // Session ids handed out by logins, oldest first.
    std::vector<std::string> Sessions() const;
    void EndSessions();

  private:
    struct Session {
        std::string id;
        Account account;
        // From the session's device-information query: "NEWHR" (0 when absent); "RES",
        // "QUA" and "CH" there or from their own commands later.
        int newHeader = 0;
        int resolution = 0;
        int quality = 0;
        int channel = 0;
    };

    void InstallRoutes();
    void Login(const HttpRequest& request, Responder& responder);
    void DeviceInfoQuery(const HttpRequest& request, Responder& responder);
    void GetConfig(const HttpRequest& request, Responder& responder);
    void SetConfig(const HttpRequest& request, Responder& responder);
    void Stream(const HttpRequest& request, Responder& responder);
    // "/SetChannel.cgi", "/Setresolution.cgi", "/Setquality.cgi": one number of the session.
    void SetSessionNumber(const HttpRequest& request, Responder& responder, const char* key,
                          int Session::*field, int largest);
    // What the stream of `sessionId` shows now; `last` when the session has gone.
    StreamShape ShapeOf(const std::string& sessionId, const StreamShape& last) const;
    // The session named by the request's "Cookie"; nullptr when none matches. Locked.
    const Session* FindSession(const HttpRequest& request) const;
    Session* FindSession(const HttpRequest& request);
    // Refuses the request (401) when sessions are checked and it has none. Locked.
    bool RefuseWithoutSession(const HttpRequest& request, Responder& responder) const;
    std::string OnlineBytes() const;
    // Listens also at the address and port of a stored "IP" section.
    void FollowAddress(const std::string& ip);

    std::string NewSessionId();

    HttpServer m_server;
    LiveVideo m_video;
    DeviceControls m_controls;
    NetworkBackupService m_backup;
    DvrDisks m_disks;
    EventLog m_events;
    FirmwareUpgradeService m_firmware;
    DvrSettings m_dvr;
    RecordingList m_recordings;
    mutable std::mutex m_mutex;
    RecorderSetup m_setup;
    ConfigStore m_config;
    std::vector<std::pair<std::string, std::string>> m_deviceInfo;
    std::optional<std::string> m_onlineOverride;
    std::vector<Session> m_sessions;
    uint64_t m_sessionCounter = 0;
};

}  // namespace ormidon::sim
