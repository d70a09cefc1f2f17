#pragma once
// The recorder's configuration: fixed-size byte blocks ("sections") by name, filled with test
// data for the chosen product and firmware. Bytes that no field claims are non-zero, so a
// client that fails to send a block back exactly as it read it is caught.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/DeviceIdentity.h"

namespace ormidon::sim {

class ConfigStore {
  public:
    struct SectionInfo {
        std::string_view name;
        std::size_t size;
    };
    // Every section in option order ("INF" is option 0, "PERI" option 16). "ONLINE" is not
    // stored: the recorder builds it from the users logged in.
    static const std::vector<SectionInfo>& Sections();
    static std::optional<std::size_t> SizeOf(std::string_view name);

    // Fresh test data for this identity and these accounts; `webAddress` (host order) and
    // `webPort` go where SetWebAddress puts them.
    void Reset(const DeviceIdentity& identity, const std::vector<Account>& accounts,
               uint32_t webAddress, uint16_t webPort);

    // The device's address (host order) and web port as "IP" reports them; the address is
    // also the dynamic-DNS host name of "SMTP".
    void SetWebAddress(uint32_t webAddress, uint16_t webPort);

    std::optional<std::string> Section(std::string_view name) const;
    // False for an unknown or unstored section or a block of the wrong size.
    bool SetSection(std::string_view name, std::string bytes);
    // The "ALL" reply: the family's sections back to back, then `online`.
    std::string All(std::string_view productId, std::string_view online) const;

    // The sender address of a device that stores it in two pieces.
    static constexpr const char* kSplitMailFrom = "recorder.alarms@localhost";

  private:
    void SeedFields(const DeviceIdentity& identity);

    std::map<std::string, std::string, std::less<>> m_sections;
};

}  // namespace ormidon::sim
