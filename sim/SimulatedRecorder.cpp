#include "sim/SimulatedRecorder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <utility>

namespace ormidon::sim {

namespace {

// Commands that the recorder accepts and, for now, answers with an empty 200.
constexpr const char* kPlainCommands[] = {
    "/Setbrcssa.cgi",        "/Periodcommand.cgi", "/UpgradeFW.cgi",      "/GetOnlineUser.cgi",
    "/SetHalvo.cgi",         "/Reboot.cgi",        "/Getlog.cgi",         "/GetDvrHDD.cgi",
    "/NetworkBk.cgi",        "/SyncTime.cgi",      "/GetSearchList.cgi",  "/GetVersion.cgi",
    "/CancelNB.cgi",         "/GetDvrName.cgi",    "/getDefaultLang.cgi", "/getIndexLang.cgi",
    "/ClearLog.cgi",         "/GetDvrDate.cgi",    "/SetDvrDate.cgi",     "/GetRecordSetting.cgi",
    "/SetRecordSetting.cgi", "/CancelUPFW.cgi",    "/SetBuzzer.cgi",      "/SearchPlayBack.cgi",
};

constexpr std::size_t kOnlineEntryBytes = 24;
constexpr std::size_t kOnlineEntries = 5;

std::vector<std::pair<std::string, std::string>> DefaultDeviceInfo() {
    return {{"LIFETIME", "-1"},       {"MULTICH", "0"},         {"VIDEOMODE", "0"},
            {"Boot-Version", "1.02"}, {"2041-Version", "2.10"}, {"FPGA-Version", "1.05"}};
}

bool IsDvrFamily(const DeviceIdentity& identity) {
    return identity.productId == "P51K" || identity.productId == "P53K" ||
           identity.productId == "P55K";
}

}  // namespace

SimulatedRecorder::SimulatedRecorder(RecorderSetup setup)
    : m_setup(std::move(setup)), m_deviceInfo(DefaultDeviceInfo()) {
    m_config.Reset(m_setup.identity, m_setup.accounts, HttpServer::kLoopback, 0);
    m_events.Reset(IsDvrFamily(m_setup.identity));
    InstallRoutes();
}

SimulatedRecorder::~SimulatedRecorder() { Stop(); }

bool SimulatedRecorder::Start(uint16_t port, uint32_t address) {
    if (!m_server.Start(port, address)) return false;
    std::lock_guard lock(m_mutex);
    m_config.SetWebAddress(m_server.Address(), m_server.Port());
    return true;
}

void SimulatedRecorder::Stop() { m_server.Stop(); }

void SimulatedRecorder::InstallRoutes() {
    m_server.SetRoute("/Login.cgi", [this](const HttpRequest& r, Responder& w) { Login(r, w); });
    m_server.SetRoute("/Getdeviceinfo.cgi",
                      [this](const HttpRequest& r, Responder& w) { DeviceInfoQuery(r, w); });
    m_server.SetRoute("/GetSysCfg.cgi",
                      [this](const HttpRequest& r, Responder& w) { GetConfig(r, w); });
    m_server.SetRoute("/SetSysCfg.cgi",
                      [this](const HttpRequest& r, Responder& w) { SetConfig(r, w); });
    m_server.SetRoute("/Getvideo.cgi",
                      [this](const HttpRequest& r, Responder& w) { Stream(r, w); });
    // Channels 0 (all) to 16; resolutions 0 (full) to 2 (quarter, where the family has
    // one); qualities 0 (high) to 2 (low).
    m_server.SetRoute("/SetChannel.cgi", [this](const HttpRequest& r, Responder& w) {
        SetSessionNumber(r, w, "CH", &Session::channel, 16);
    });
    m_server.SetRoute("/Setresolution.cgi", [this](const HttpRequest& r, Responder& w) {
        SetSessionNumber(r, w, "RES", &Session::resolution, 2);
    });
    m_server.SetRoute("/Setquality.cgi", [this](const HttpRequest& r, Responder& w) {
        SetSessionNumber(r, w, "QUA", &Session::quality, 2);
    });
    for (const char* path : kPlainCommands) {
        m_server.SetRoute(path, [this](const HttpRequest& r, Responder& w) {
            if (!RefuseWithoutSession(r, w)) w.Reply(200);
        });
    }
    m_controls.InstallRoutes(m_server, [this](const HttpRequest& r, Responder& w) {
        return RefuseWithoutSession(r, w);
    });
    // After the plain commands, whose empty answers these replace.
    m_backup.InstallRoutes(m_server, [this](const HttpRequest& r, Responder& w) {
        return RefuseWithoutSession(r, w);
    });
    m_disks.InstallRoutes(m_server, [this](const HttpRequest& r, Responder& w) {
        return RefuseWithoutSession(r, w);
    });
    m_events.InstallRoutes(m_server, [this](const HttpRequest& r, Responder& w) {
        return RefuseWithoutSession(r, w);
    });
    m_firmware.InstallRoutes(
        m_server, [this](const HttpRequest& r, Responder& w) { return RefuseWithoutSession(r, w); },
        [this] { return Identity().firmwareVersion; });
    m_dvr.InstallRoutes(m_server, [this](const HttpRequest& r, Responder& w) {
        return RefuseWithoutSession(r, w);
    });
    m_recordings.InstallRoutes(m_server, [this](const HttpRequest& r, Responder& w) {
        return RefuseWithoutSession(r, w);
    });
}

void SimulatedRecorder::SetIdentity(DeviceIdentity identity) {
    std::lock_guard lock(m_mutex);
    m_setup.identity = std::move(identity);
    m_config.Reset(m_setup.identity, m_setup.accounts, m_server.Address(), m_server.Port());
    m_events.Reset(IsDvrFamily(m_setup.identity));
}

DeviceIdentity SimulatedRecorder::Identity() const {
    std::lock_guard lock(m_mutex);
    return m_setup.identity;
}

void SimulatedRecorder::SetAccounts(std::vector<Account> accounts) {
    std::lock_guard lock(m_mutex);
    m_setup.accounts = std::move(accounts);
    m_config.Reset(m_setup.identity, m_setup.accounts, m_server.Address(), m_server.Port());
}

void SimulatedRecorder::SetMaxSessions(std::size_t maxSessions) {
    std::lock_guard lock(m_mutex);
    m_setup.maxSessions = maxSessions;
}

void SimulatedRecorder::SetCheckSession(bool check) {
    std::lock_guard lock(m_mutex);
    m_setup.checkSession = check;
}

void SimulatedRecorder::SetDeviceInfo(const std::string& key, std::string value) {
    std::lock_guard lock(m_mutex);
    for (auto& entry : m_deviceInfo) {
        if (entry.first == key) {
            entry.second = std::move(value);
            return;
        }
    }
    m_deviceInfo.emplace_back(key, std::move(value));
}

void SimulatedRecorder::RemoveDeviceInfo(const std::string& key) {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_deviceInfo, [&](const auto& entry) { return entry.first == key; });
}

std::vector<std::pair<std::string, std::string>> SimulatedRecorder::DeviceInfo() const {
    std::lock_guard lock(m_mutex);
    return m_deviceInfo;
}

std::optional<std::string> SimulatedRecorder::Section(std::string_view name) const {
    std::lock_guard lock(m_mutex);
    return m_config.Section(name);
}

bool SimulatedRecorder::SetSection(std::string_view name, std::string bytes) {
    std::lock_guard lock(m_mutex);
    return m_config.SetSection(name, std::move(bytes));
}

void SimulatedRecorder::SetOnlineOverride(std::optional<std::string> online) {
    std::lock_guard lock(m_mutex);
    m_onlineOverride = std::move(online);
}

void SimulatedRecorder::SetColourReply(std::string reply) {
    m_controls.SetColourReplyOverride(std::move(reply));
}

std::optional<SimulatedRecorder::SessionView> SimulatedRecorder::SessionState(
    const std::string& sessionId) const {
    std::lock_guard lock(m_mutex);
    for (const Session& session : m_sessions) {
        if (session.id == sessionId) {
            return SessionView{session.resolution, session.quality,
                               static_cast<uint8_t>(session.channel)};
        }
    }
    return std::nullopt;
}

std::vector<std::string> SimulatedRecorder::Sessions() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> ids;
    for (const Session& session : m_sessions) ids.push_back(session.id);
    return ids;
}

std::string SimulatedRecorder::OpenSession(const std::string& userName) {
    std::lock_guard lock(m_mutex);
    for (const Account& account : m_setup.accounts) {
        if (account.userName == userName) {
            m_sessions.push_back({NewSessionId(), account});
            return m_sessions.back().id;
        }
    }
    return "";
}

void SimulatedRecorder::EndSessions() {
    std::lock_guard lock(m_mutex);
    m_sessions.clear();
}

const SimulatedRecorder::Session* SimulatedRecorder::FindSession(const HttpRequest& request) const {
    const std::string* cookie = request.Param("Cookie");
    if (cookie == nullptr) return nullptr;
    for (const Session& session : m_sessions) {
        if (session.id == *cookie) return &session;
    }
    return nullptr;
}

SimulatedRecorder::Session* SimulatedRecorder::FindSession(const HttpRequest& request) {
    return const_cast<Session*>(std::as_const(*this).FindSession(request));
}

bool SimulatedRecorder::RefuseWithoutSession(const HttpRequest& request,
                                             Responder& responder) const {
    bool refuse;
    {
        std::lock_guard lock(m_mutex);
        refuse = m_setup.checkSession && FindSession(request) == nullptr;
    }
    if (refuse) responder.Reply(401);
    return refuse;
}

std::string SimulatedRecorder::NewSessionId() {
    static std::mt19937_64 generator{std::random_device{}()};
    char id[17];
    std::snprintf(id, sizeof id, "%08X%08X", static_cast<unsigned>(generator() & 0xFFFFFFFF),
                  static_cast<unsigned>(++m_sessionCounter & 0xFFFFFFFF));
    return id;
}

void SimulatedRecorder::Login(const HttpRequest& request, Responder& responder) {
    const std::string* user = request.Param("Username");
    const std::string* password = request.Param("Password");
    int status = 401;
    std::string body;
    {
        std::lock_guard lock(m_mutex);
        auto account =
            std::find_if(m_setup.accounts.begin(), m_setup.accounts.end(), [&](const Account& a) {
                return user != nullptr && password != nullptr && a.userName == *user &&
                       a.password == *password;
            });
        if (account != m_setup.accounts.end()) {
            if (m_setup.maxSessions != 0 && m_sessions.size() >= m_setup.maxSessions) {
                status = 202;
            } else {
                status = 200;
                m_sessions.push_back({NewSessionId(), *account});
                const DeviceIdentity& id = m_setup.identity;
                body = "Session-ID=" + m_sessions.back().id +
                       ";Firmware-Version=" + id.firmwareVersion + ";Product-ID=" + id.productId +
                       ";MAC-Address=" + id.macAddress + ";Host-Name=" + id.hostName + ";";
            }
        }
    }
    responder.Reply(status, body);
}

void SimulatedRecorder::DeviceInfoQuery(const HttpRequest& request, Responder& responder) {
    std::string body;
    {
        std::lock_guard lock(m_mutex);
        Session* session = FindSession(request);
        if (session != nullptr) {
            // The stream of this session uses the header layout, resolution, quality and
            // channel asked for here.
            const auto number = [&](const char* key) {
                const std::string* value = request.Param(key);
                return value != nullptr ? std::atoi(value->c_str()) : 0;
            };
            session->newHeader = number("NEWHR");
            session->resolution = number("RES");
            session->quality = number("QUA");
            session->channel = std::clamp(number("CH"), 0, 16);
        }
        bool haveLevel = false;
        for (const auto& [key, value] : m_deviceInfo) {
            body += key + "=" + value + ";";
            haveLevel = haveLevel || key == "USERLEVEL";
        }
        if (!haveLevel) {
            body += "USERLEVEL=" + std::to_string(session ? session->account.level : 30) + ";";
        }
    }
    if (!RefuseWithoutSession(request, responder)) responder.Reply(200, body);
}

std::string SimulatedRecorder::OnlineBytes() const {
    if (m_onlineOverride) return *m_onlineOverride;
    std::string online;
    for (std::size_t i = 0; i < m_sessions.size() && i < kOnlineEntries; ++i) {
        std::string entry(kOnlineEntryBytes, '\0');
        const std::string& name = m_sessions[i].account.userName;
        std::copy_n(name.begin(), std::min<std::size_t>(name.size(), 16), entry.begin());
        entry[16] = 127;
        entry[19] = 1;
        entry[20] = static_cast<char>(m_sessions[i].account.level);
        entry[21] = static_cast<char>(m_sessions[i].channel);
        entry[22] = static_cast<char>(m_sessions[i].resolution);
        entry[23] = static_cast<char>(m_sessions[i].quality);
        online += entry;
    }
    return online;
}

void SimulatedRecorder::GetConfig(const HttpRequest& request, Responder& responder) {
    if (RefuseWithoutSession(request, responder)) return;
    const std::string* option = request.Param("Option");
    std::optional<std::string> body;
    {
        std::lock_guard lock(m_mutex);
        if (option == nullptr) {
        } else if (*option == "ALL") {
            body = m_config.All(m_setup.identity.productId, OnlineBytes());
        } else if (*option == "ONLINE") {
            body = OnlineBytes();
        } else {
            body = m_config.Section(*option);
        }
    }
    if (body) {
        responder.Reply(200, *body);
    } else {
        responder.Reply(400);
    }
}

void SimulatedRecorder::SetConfig(const HttpRequest& request, Responder& responder) {
    if (RefuseWithoutSession(request, responder)) return;
    const std::string* option = request.Param("Option");
    bool stored = false;
    {
        std::lock_guard lock(m_mutex);
        stored = option != nullptr && m_config.SetSection(*option, request.body);
    }
    // A device given a new port or loopback address answers there as soon as it took it,
    // so the client finds it after its change; it still answers where it was too.
    if (stored && *option == "IP") FollowAddress(request.body);
    responder.Reply(stored ? 200 : 400);
}

void SimulatedRecorder::FollowAddress(const std::string& ip) {
    if (ip.size() < 0x12) return;
    const auto byte = [&ip](std::size_t i) { return static_cast<uint8_t>(ip[i]); };
    uint32_t address = 0;
    for (std::size_t i = 4; i < 8; ++i) address = (address << 8) | byte(i);
    const uint16_t port = static_cast<uint16_t>(byte(0x10) | (byte(0x11) << 8));
    Follow(address, port);
}

bool SimulatedRecorder::Follow(uint32_t address, uint16_t port) {
    if ((address >> 24) != 127) address = 0x7F000001;
    return m_server.Listen(address, port);
}

void SimulatedRecorder::Stream(const HttpRequest& request, Responder& responder) {
    if (RefuseWithoutSession(request, responder)) return;
    // A firmware upgrade's keep-alive: no pictures, the connection only held.
    if (const std::string* fake = request.Param("Fake"); fake != nullptr && *fake == "1") {
        m_firmware.KeepAlive(request, responder);
        return;
    }
    HeaderLayout layout = HeaderLayout::kFlagWord;
    std::string sessionId;
    {
        std::lock_guard lock(m_mutex);
        const Session* session = FindSession(request);
        const int newHeader = session != nullptr ? session->newHeader : 0;
        if (newHeader == 1) layout = HeaderLayout::kVersion1;
        if (newHeader == 2) layout = HeaderLayout::kVersion2;
        if (session != nullptr) sessionId = session->id;
    }
    StreamShape last = ShapeOf(sessionId, {});
    m_video.Serve(responder, layout, [&] { return last = ShapeOf(sessionId, last); });
}

StreamShape SimulatedRecorder::ShapeOf(const std::string& sessionId,
                                       const StreamShape& last) const {
    std::lock_guard lock(m_mutex);
    const Session* session = nullptr;
    for (const Session& s : m_sessions) {
        if (s.id == sessionId) session = &s;
    }
    // A stream without a session (sessions unchecked) shows the defaults; one whose session
    // ended keeps what it showed.
    if (session == nullptr && last.width != 0) return last;
    int videoMode = 0;
    for (const auto& [key, value] : m_deviceInfo) {
        if (key == "VIDEOMODE") videoMode = std::atoi(value.c_str());
    }
    StreamShape shape;
    FamilyPictureSize(m_setup.identity.productId, videoMode,
                      session != nullptr ? session->resolution : 0, shape.width, shape.height);
    shape.quality = StreamQuality(session != nullptr ? session->quality : 0);
    shape.channel = static_cast<uint8_t>(session != nullptr ? session->channel : 0);
    shape.retrState = m_controls.RetrState();
    // Only the T18D has the camera sensor that reports its frame mode and mirroring.
    if (m_setup.identity.productId == "T18D") shape.sensorStatus = m_controls.SensorStatus();
    return shape;
}

void SimulatedRecorder::SetSessionNumber(const HttpRequest& request, Responder& responder,
                                         const char* key, int Session::*field, int largest) {
    if (RefuseWithoutSession(request, responder)) return;
    const std::optional<int> value = request.NumberParam(key, 0, largest);
    if (!value) {
        responder.Reply(400);
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        if (Session* session = FindSession(request)) session->*field = *value;
    }
    responder.Reply(200);
}

}  // namespace ormidon::sim
