#include "sim/DvrDisks.h"

#include "sim/Responder.h"

namespace ormidon::sim {

void DvrDisks::InstallRoutes(HttpServer& server, SessionCheck refuseWithoutSession) {
    server.SetRoute("/GetDvrHDD.cgi", [this, refuseWithoutSession](const HttpRequest& r,
                                                                   Responder& w) {
        if (!refuseWithoutSession(r, w)) w.Reply(200, Reply());
    });
}

void DvrDisks::SetSlots(std::vector<int> slots, int slaveFlag) {
    std::lock_guard lock(m_mutex);
    m_slots = std::move(slots);
    m_slaveFlag = slaveFlag;
}

void DvrDisks::SetReplyOverride(std::optional<std::string> reply) {
    std::lock_guard lock(m_mutex);
    m_override = std::move(reply);
}

std::string DvrDisks::Reply() const {
    std::lock_guard lock(m_mutex);
    if (m_override) return *m_override;
    std::string reply(33, '\0');
    for (int slot : m_slots) {
        if (slot >= 0 && slot < 256) reply[slot / 8] = static_cast<char>(reply[slot / 8] | 1 << (slot % 8));
    }
    reply[32] = static_cast<char>(m_slaveFlag);
    return reply;
}

}  // namespace ormidon::sim
