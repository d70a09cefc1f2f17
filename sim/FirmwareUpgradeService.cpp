#include "sim/FirmwareUpgradeService.h"

#include <charconv>
#include <climits>

#include "sim/Responder.h"

namespace ormidon::sim {

namespace {

// A raw upload whose client stays silent this long is given up.
constexpr std::chrono::milliseconds kRawIdle{30000};
constexpr std::size_t kRawReadBytes = 65536;

std::optional<uint64_t> SizeParam(const HttpRequest& request, std::string_view name) {
    const std::string* text = request.Param(name);
    if (text == nullptr || text->empty()) return std::nullopt;
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc() || end != text->data() + text->size()) return std::nullopt;
    return value;
}

std::string ParamOr(const HttpRequest& request, std::string_view name) {
    const std::string* value = request.Param(name);
    return value != nullptr ? *value : std::string();
}

std::string DottedVersion(const std::string& firmware) {
    std::string text;
    for (char c : firmware) {
        if (!text.empty()) text += '.';
        text += c;
    }
    return text;
}

}  // namespace

void FirmwareUpgradeService::InstallRoutes(HttpServer& server, SessionCheck refuseWithoutSession,
                                           std::function<std::string()> firmware) {
    m_firmware = std::move(firmware);
    server.SetRoute("/GetVersion.cgi",
                    [this, refuseWithoutSession](const HttpRequest& r, Responder& w) {
                        if (refuseWithoutSession(r, w)) return;
                        std::optional<std::string> reply;
                        {
                            std::lock_guard lock(m_mutex);
                            reply = m_script.versionReply;
                        }
                        w.Reply(200, reply ? *reply : DottedVersion(m_firmware()));
                    });
    server.SetRoute("/UpgradeFW.cgi",
                    [this, refuseWithoutSession](const HttpRequest& r, Responder& w) {
                        if (!refuseWithoutSession(r, w)) Piece(r, w);
                    });
    server.SetRoute("/UpgradeFW2.cgi",
                    [this, refuseWithoutSession](const HttpRequest& r, Responder& w) {
                        if (!refuseWithoutSession(r, w)) RawPart(r, w);
                    });
    server.SetRoute("/CancelUPFW.cgi",
                    [this, refuseWithoutSession](const HttpRequest& r, Responder& w) {
                        if (refuseWithoutSession(r, w)) return;
                        Cancel(r);
                        w.Reply(200);
                    });
}

void FirmwareUpgradeService::KeepAlive(const HttpRequest&, Responder& responder) {
    bool refuse;
    {
        std::lock_guard lock(m_mutex);
        refuse = m_script.refuseKeepAlive;
    }
    if (refuse) {
        responder.Reply(403);
        ++m_keepAlivesRefused;
        return;
    }
    ++m_keepAlivesHeld;
    ++m_keepAlivesOpen;
    {
        std::lock_guard lock(m_mutex);
        m_held.push_back(&responder);
    }
    responder.HoldOpen();
    {
        std::lock_guard lock(m_mutex);
        std::erase(m_held, &responder);
    }
    --m_keepAlivesOpen;
}

void FirmwareUpgradeService::CloseKeepAlivesOnReboot() {
    std::lock_guard lock(m_mutex);
    if (!m_script.closeKeepAliveOnReboot) return;
    for (Responder* held : m_held) held->Hangup();
}

void FirmwareUpgradeService::SetScript(FirmwareUpgradeScript script) {
    std::lock_guard lock(m_mutex);
    m_script = std::move(script);
    m_pieces = 0;
}

std::vector<ReceivedFirmwarePart> FirmwareUpgradeService::Parts() const {
    std::lock_guard lock(m_mutex);
    return m_parts;
}

void FirmwareUpgradeService::ClearParts() {
    std::lock_guard lock(m_mutex);
    m_parts.clear();
    m_open.clear();
}

std::string FirmwareUpgradeService::SessionOf(const HttpRequest& request) {
    return ParamOr(request, "Cookie");
}

void FirmwareUpgradeService::Cancel(const HttpRequest& request) {
    std::lock_guard lock(m_mutex);
    m_open.erase(SessionOf(request));
    ++m_cancels;
}

void FirmwareUpgradeService::Piece(const HttpRequest& request, Responder& responder) {
    const std::string upgrade = ParamOr(request, "Upgrade");
    if (upgrade == "Cancel") {
        Cancel(request);
        responder.Reply(200);
        return;
    }
    const std::string session = SessionOf(request);
    int status = 200;
    bool drop = false;
    bool rebooting = false;
    {
        std::lock_guard lock(m_mutex);
        const int piece = ++m_pieces;
        if (piece == m_script.statusAtPiece) {
            status = m_script.pieceStatus;
        } else {
            drop = piece == m_script.dropAtPiece;
            auto open = m_open.find(session);
            if (upgrade == "Start") {
                const std::optional<uint64_t> size = SizeParam(request, "FileSize");
                ReceivedFirmwarePart part;
                part.session = session;
                part.path = request.path;
                part.startType = ParamOr(request, "Type");
                part.declaredSize = size.value_or(0);
                part.bytes = request.body;
                part.requests = 1;
                if (!size || part.bytes.size() > *size) {
                    status = 400;
                } else if (part.bytes.size() == *size) {
                    // The whole part in one piece: no Finished follows.
                    part.complete = true;
                    part.type = part.startType;
                    m_parts.push_back(std::move(part));
                    m_open.erase(session);
                } else {
                    m_open[session] = std::move(part);
                }
            } else if (open == m_open.end()) {
                status = 400;
            } else {
                ReceivedFirmwarePart& part = open->second;
                part.bytes += request.body;
                ++part.requests;
                if (part.bytes.size() > part.declaredSize) status = 400;
                if (upgrade == "Finished") {
                    part.type = ParamOr(request, "Type");
                    part.reboot = ParamOr(request, "Reboot") == "1";
                    part.complete = part.bytes.size() == part.declaredSize;
                    if (!part.complete) status = 400;
                    rebooting = part.complete && part.reboot;
                    m_parts.push_back(std::move(part));
                    m_open.erase(open);
                } else if (status != 200) {
                    m_parts.push_back(std::move(part));
                    m_open.erase(open);
                }
            }
        }
    }
    if (rebooting) CloseKeepAlivesOnReboot();
    if (drop) {
        responder.Abort();
        return;
    }
    responder.Reply(status);
}

void FirmwareUpgradeService::RawPart(const HttpRequest& request, Responder& responder) {
    const std::optional<uint64_t> size = SizeParam(request, "FILESIZE");
    if (!size || *size > static_cast<uint64_t>(INT_MAX)) {
        responder.Reply(400);
        return;
    }
    FirmwareUpgradeScript script;
    {
        std::lock_guard lock(m_mutex);
        script = m_script;
    }
    ReceivedFirmwarePart part;
    part.session = SessionOf(request);
    part.path = request.path;
    part.type = ParamOr(request, "Type");
    part.reboot = ParamOr(request, "REBOOT") == "1";
    part.declaredSize = *size;
    part.requests = 1;
    const uint64_t wanted = std::min(*size, script.cutRawAfter.value_or(*size));
    part.bytes.reserve(static_cast<std::size_t>(wanted));
    std::string buffer(kRawReadBytes, '\0');
    while (part.bytes.size() < wanted) {
        const std::size_t room =
            static_cast<std::size_t>(std::min<uint64_t>(wanted - part.bytes.size(), kRawReadBytes));
        const std::size_t n = responder.ReadRaw(buffer.data(), room, kRawIdle);
        if (n == 0) break;
        part.bytes.append(buffer.data(), n);
    }
    part.complete = part.bytes.size() == *size;
    const bool complete = part.complete;
    if (part.complete && part.reboot) CloseKeepAlivesOnReboot();
    {
        std::lock_guard lock(m_mutex);
        m_parts.push_back(std::move(part));
    }
    if (!complete) {
        responder.Abort();
    } else if (script.stallRawReply) {
        responder.Stall();
    } else {
        responder.Reply(200, "OK");
    }
}

}  // namespace ormidon::sim
