#include "sim/NetworkBackupService.h"

#include <algorithm>

#include "sim/Responder.h"

namespace ormidon::sim {

namespace {

constexpr std::size_t kBlock = 2048;
// Frames gathered into one write, so a large backup goes out at the connection's pace.
constexpr std::size_t kFramesPerWrite = 32;

void AppendU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

}  // namespace

void NetworkBackupService::InstallRoutes(HttpServer& server, SessionCheck refuseWithoutSession) {
    server.SetRoute("/NetworkBk.cgi", [this, refuseWithoutSession](const HttpRequest& r,
                                                                   Responder& w) {
        if (!refuseWithoutSession(r, w)) Serve(r, w);
    });
    server.SetRoute("/CancelNB.cgi", [this, refuseWithoutSession](const HttpRequest& r,
                                                                  Responder& w) {
        if (refuseWithoutSession(r, w)) return;
        ++m_cancels;
        ++m_cancelGeneration;
        if (const NetworkBackupScript script = Script(); script.beforeCancelReply)
            script.beforeCancelReply();
        if (!w.PeerHungUp() && w.Reply(200)) ++m_cancelsAnswered;
    });
}

void NetworkBackupService::SetScript(NetworkBackupScript script) {
    std::lock_guard lock(m_mutex);
    m_script = script;
}

NetworkBackupScript NetworkBackupService::Script() const {
    std::lock_guard lock(m_mutex);
    return m_script;
}

void NetworkBackupService::Serve(const HttpRequest& request, Responder& responder) {
    const NetworkBackupScript script = Script();
    const uint64_t generation = m_cancelGeneration.load();
    auto number = [&](const char* name, int lowest, int highest) {
        return request.NumberParam(name, lowest, highest).value_or(0);
    };
    const BackupTime time{number("Year", 0, 9999), number("Month", 0, 99), number("Day", 0, 99),
                          number("Hour", 0, 99),   number("Minute", 0, 99),
                          number("Second", 0, 99)};
    const int channel = number("CH", 0, 255);
    const uint64_t total =
        static_cast<uint64_t>(number("Size", 0, 100000)) * 1024 * 1024 + script.extraBytes;
    const BackupRecording recording(channel, time, total);

    uint64_t sent = 0;
    // Writes as scripted; false once the reply must end here.
    auto write = [&](std::string_view bytes) {
        if (script.beforeWrite) script.beforeWrite(sent);
        if (m_cancelGeneration.load() != generation) return false;
        if (script.cutAfter && sent + bytes.size() > *script.cutAfter) {
            std::size_t keep = static_cast<std::size_t>(*script.cutAfter - sent);
            if (keep > 0) responder.WriteRaw(bytes.substr(0, keep));
            if (script.stall) responder.Stall();
            return false;
        }
        sent += bytes.size();
        if (!script.byteByByte) return responder.WriteRaw(bytes);
        for (char c : bytes) {
            if (!responder.WriteRaw(std::string_view(&c, 1))) return false;
        }
        return true;
    };

    if (script.httpStatus != 0) {
        std::string head = "HTTP/1.1 " + std::to_string(script.httpStatus) + " " +
                           std::string(ReasonPhrase(script.httpStatus)) + "\r\n\r\n";
        if (!write(head) || script.httpStatus != 200) return;
    }
    if (script.refuse) {
        std::string frame;
        AppendU32(frame, 0);
        AppendU32(frame, 6);
        write(frame);
        return;
    }
    std::string batch;
    uint64_t offset = 0;
    std::size_t frames = 0;
    while (offset < total) {
        std::size_t length = static_cast<std::size_t>(std::min<uint64_t>(kBlock, total - offset));
        AppendU32(batch, frames == 0 && script.firstLength ? *script.firstLength
                                                           : static_cast<uint32_t>(length));
        AppendU32(batch, 3);
        recording.Read(offset, length, batch);
        offset += length;
        if (++frames == 1 && script.otherFrame) {
            AppendU32(batch, 0);
            AppendU32(batch, 2);
        }
        if (frames % kFramesPerWrite == 0) {
            if (!write(batch)) return;
            batch.clear();
        }
    }
    AppendU32(batch, 0);
    AppendU32(batch, 1);
    write(batch);
}

}  // namespace ormidon::sim
