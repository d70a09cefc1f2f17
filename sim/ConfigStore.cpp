#include "sim/ConfigStore.h"

#include <algorithm>
#include <cstring>

namespace ormidon::sim {

namespace {

void PutText(std::string& block, std::size_t offset, std::size_t width, std::string_view text) {
    std::fill_n(block.begin() + offset, width, '\0');
    text = text.substr(0, width);
    std::copy(text.begin(), text.end(), block.begin() + offset);
}

void PutU16(std::string& block, std::size_t offset, uint16_t value) {
    block[offset] = static_cast<char>(value & 0xFF);
    block[offset + 1] = static_cast<char>(value >> 8);
}

void PutU32(std::string& block, std::size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) block[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutBytes(std::string& block, std::size_t offset, std::initializer_list<uint8_t> bytes) {
    for (uint8_t byte : bytes) block[offset++] = static_cast<char>(byte);
}

// Non-zero filler that differs from section to section and from byte to byte.
std::string Filler(std::size_t option, std::size_t size) {
    std::string block(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        block[i] = static_cast<char>(0x40 + (option * 37 + i * 11) % 0xBF);
    }
    return block;
}

}  // namespace

const std::vector<ConfigStore::SectionInfo>& ConfigStore::Sections() {
    static const std::vector<SectionInfo> sections = {
        {"INF", 44},     {"IP", 24},    {"SECURE", 196}, {"DNS", 12},      {"SMTP", 440},
        {"FTP", 104},    {"PPPOE", 68}, {"SYSTEM", 36},  {"SNTP", 36},     {"IMG", 12},
        {"RS485", 124},  {"ALARM", 24}, {"ONLINE", 240}, {"DVRLIVE", 772}, {"DVROSD", 20},
        {"DVRREC", 132}, {"PERI", 16},
    };
    return sections;
}

std::optional<std::size_t> ConfigStore::SizeOf(std::string_view name) {
    for (const SectionInfo& section : Sections()) {
        if (section.name == name) return section.size;
    }
    return std::nullopt;
}

void ConfigStore::Reset(const DeviceIdentity& identity, const std::vector<Account>& accounts,
                        uint16_t webPort) {
    m_sections.clear();
    for (std::size_t option = 0; option < Sections().size(); ++option) {
        const SectionInfo& section = Sections()[option];
        if (section.name == "ONLINE") continue;
        m_sections.emplace(std::string(section.name), Filler(option, section.size));
    }

    std::string& inf = m_sections["INF"];
    PutU32(inf, 0x14, identity.capability);
    PutText(inf, 0x18, 8, identity.productId);

    std::string& ip = m_sections["IP"];
    PutBytes(ip, 0x04, {127, 0, 0, 1});
    PutBytes(ip, 0x08, {255, 0, 0, 0});
    PutBytes(ip, 0x0C, {127, 0, 0, 1});
    PutU16(ip, 0x10, webPort);
    PutBytes(ip, 0x16, {0, 4});

    std::string& secure = m_sections["SECURE"];
    PutBytes(secure, 0x02, {5, 0});
    for (std::size_t slot = 0; slot < 5; ++slot) {
        const Account* account = slot < accounts.size() ? &accounts[slot] : nullptr;
        PutText(secure, 0x08 + 16 * slot, 16, account ? std::string_view(account->userName) : "");
        PutText(secure, 0x58 + 16 * slot, 16, account ? std::string_view(account->password) : "");
        secure[0xA8 + slot] = static_cast<char>(account ? account->level : 0);
        PutU32(secure, 0xB0 + 4 * slot, 0xFFFFFFFFu);
    }

    std::string& pppoe = m_sections["PPPOE"];
    if (UsesNarrowPppoe(identity)) {
        PutText(pppoe, 0x24, 16, "pppoe-old");
        PutText(pppoe, 0x34, 16, "secret-old");
    } else {
        PutText(pppoe, 0x04, 32, "pppoe-user");
        PutText(pppoe, 0x24, 32, "secret");
    }

    PutText(m_sections["SYSTEM"], 0x14, 16, "SIM-DVR");
}

void ConfigStore::SetWebPort(uint16_t webPort) { PutU16(m_sections.at("IP"), 0x10, webPort); }

std::optional<std::string> ConfigStore::Section(std::string_view name) const {
    auto found = m_sections.find(name);
    if (found == m_sections.end()) return std::nullopt;
    return found->second;
}

bool ConfigStore::SetSection(std::string_view name, std::string bytes) {
    auto found = m_sections.find(name);
    if (found == m_sections.end() || found->second.size() != bytes.size()) return false;
    found->second = std::move(bytes);
    return true;
}

std::string ConfigStore::All(std::string_view productId, std::string_view online) const {
    static const char* const kCommon[] = {"INF",   "IP",     "SECURE", "DNS", "SMTP",  "FTP",
                                          "PPPOE", "SYSTEM", "SNTP",   "IMG", "RS485", "ALARM"};
    static const char* const kCamera[] = {"PERI"};
    static const char* const kDvr[] = {"DVRLIVE", "DVROSD", "DVRREC"};
    std::string all;
    for (const char* name : kCommon) all += m_sections.at(name);
    if (IsCameraFamily(productId)) {
        for (const char* name : kCamera) all += m_sections.at(name);
    } else {
        for (const char* name : kDvr) all += m_sections.at(name);
    }
    all += online;
    return all;
}

}  // namespace ormidon::sim
