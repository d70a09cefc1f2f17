#pragma once
// The DVR's disk slots: "/GetDvrHDD.cgi" answers one bit per present slot (32 bytes) and a
// flag byte. Tests choose the slots, the flag, or a reply of another length.
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/HttpServer.h"

namespace ormidon::sim {

class DvrDisks {
  public:
    using SessionCheck = std::function<bool(const HttpRequest&, Responder&)>;
    void InstallRoutes(HttpServer& server, SessionCheck refuseWithoutSession);

    // Present slots 0-255; by default MASTER1 and MASTER2.
    void SetSlots(std::vector<int> slots, int slaveFlag = 0);
    // Replaces the 33-byte answer with these bytes (nullopt: back to the slots).
    void SetReplyOverride(std::optional<std::string> reply);
    std::string Reply() const;

  private:
    mutable std::mutex m_mutex;
    std::vector<int> m_slots{0, 2};
    int m_slaveFlag = 0;
    std::optional<std::string> m_override;
};

}  // namespace ormidon::sim
