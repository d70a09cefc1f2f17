#pragma once
// Changes a section of the simulated recorder and the application record's copy of it
// alike, as if the sheet had read the changed bytes: for pages that are shown after it.
#include <cstring>
#include <functional>
#include <string>

#include "core/AppObject.h"
#include "core/ConfigSection.h"
#include "net/SysConfig.h"
#include "sim/SimulatedRecorder.h"

namespace ormidon::test {

// The section's bytes after `change`; empty when the recorder has no such section.
inline std::string PatchSection(sim::SimulatedRecorder& device, CAppObject& app,
                                ConfigOption option,
                                const std::function<void(std::string&)>& change) {
    const std::string name(g_ConfigSections[option].name);
    std::string bytes = device.Section(name).value_or("");
    if (bytes.empty()) return bytes;
    change(bytes);
    const std::span<uint8_t> block = ConfigBlockOf(app, option);
    if (!device.SetSection(name, bytes) || block.size() != bytes.size()) return {};
    std::memcpy(block.data(), bytes.data(), bytes.size());
    return bytes;
}

}  // namespace ormidon::test
