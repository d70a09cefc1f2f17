#include "sim/ConfigStore.h"

#include <algorithm>
#include <cstring>

#include "sim/DottedAddress.h"

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
                        uint32_t webAddress, uint16_t webPort) {
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
    PutBytes(ip, 0x08, {255, 0, 0, 0});
    PutBytes(ip, 0x0C, {127, 0, 0, 1});
    PutBytes(ip, 0x16, {0, 4});
    SetWebAddress(webAddress, webPort);

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
    SeedFields(identity);
}

// Plausible values in every field the client reads or writes, so that only reserved bytes
// keep the filler. Every server and mail address is on this computer: servers at loopback
// addresses, mailboxes at "localhost".
void ConfigStore::SeedFields(const DeviceIdentity& identity) {
    const bool camera = IsCameraFamily(identity.productId);

    std::string& inf = m_sections["INF"];
    PutText(inf, 0x18, 8, identity.productId);

    std::string& dns = m_sections["DNS"];
    PutBytes(dns, 0x03, {0});
    PutBytes(dns, 0x04, {127, 0, 0, 53});

    std::string& smtp = m_sections["SMTP"];
    PutBytes(smtp, 0x04, {2, 1});
    PutText(smtp, 0x08, 64, "127.0.0.25");
    PutText(smtp, 0x58, 16, "dyndns");
    PutText(smtp, 0x68, 16, "ddns-user");
    PutText(smtp, 0x78, 16, "ddns-pass");
    PutText(smtp, 0x88, 48, "alarm1@localhost");
    PutText(smtp, 0xB8, 48, "alarm2@localhost");
    PutText(smtp, 0xE8, 48, "");
    PutText(smtp, 0x118, 48, "");
    PutText(smtp, 0x178, 32, "smtp-user");
    PutText(smtp, 0x198, 32, "smtp-pass");

    std::string& ftp = m_sections["FTP"];
    PutText(ftp, 0x04, 32, "127.0.0.21");
    PutText(ftp, 0x24, 16, "ftp-user");
    PutText(ftp, 0x34, 16, "ftp-pass");
    PutText(ftp, 0x44, 32, "/alarm");
    PutU16(ftp, 0x64, 21);

    std::string& sntp = m_sections["SNTP"];
    PutBytes(sntp, 0x02, {8, 0});
    PutBytes(sntp, 0x05, {52, 1});
    PutText(sntp, 0x08, 28, "127.0.0.123");

    // The sender address, split where the firmware keeps a longer one in two pieces.
    const MailFromTail tail = MailFromTailOf(identity);
    if (tail == MailFromTail::None) {
        PutText(smtp, 0x48, 16, "alarm@localhost");
    } else {
        PutText(smtp, 0x48, 16, std::string_view(kSplitMailFrom).substr(0, 15));
        const std::string_view rest = std::string_view(kSplitMailFrom).substr(15);
        if (tail == MailFromTail::Sntp) {
            PutText(sntp, 0x08, 28, rest);
        } else {
            std::string& system = m_sections["SYSTEM"];
            PutText(system, 0x04, 28, rest);
        }
    }
    if (tail != MailFromTail::System) PutText(m_sections["SYSTEM"], 0x04, 16, "");

    std::string& rs485 = m_sections["RS485"];
    if (camera) {
        if (!IsOlderFirmware(identity.firmwareVersion, "1010") && identity.productId == "P62K") {
            PutText(rs485, 0x2C, 8, "CH1");
            PutText(rs485, 0x34, 8, "CH2");
        }
    } else {
        // PTZ heads on channels 1 to 3 at addresses 1 to 3, the third speaking the other
        // protocol: the cameras that scripts/demo puts on the recorder's bus.
        for (std::size_t channel = 0; channel < 16; ++channel) {
            rs485[0x0C + channel] = static_cast<char>(channel + 1);
            rs485[0x1C + channel] = static_cast<char>(channel < 3 ? 1 : 0);
            rs485[0x2C + channel] = static_cast<char>(channel == 2 ? 1 : 0);
            PutU32(rs485, 0x3C + 4 * channel, 9600);
        }
    }

    std::string& alarm = m_sections["ALARM"];
    PutBytes(alarm, 0x02, {3, 1});
    PutBytes(alarm, 0x05, {3});
    PutU16(alarm, 0x06, camera ? 30 : 10);
    for (std::size_t channel = 0; channel < 16; ++channel)
        alarm[0x08 + channel] = static_cast<char>(channel % 3);
    if (identity.productId == "P62K") PutBytes(alarm, 0x09, {0x0C});

    std::string& live = m_sections["DVRLIVE"];
    for (std::size_t channel = 0; channel < 16; ++channel) {
        live[0x004 + channel] = static_cast<char>(0x80);
        live[0x014 + channel] = static_cast<char>(0x80);
        live[0x024 + channel] = static_cast<char>(0x80);
        live[0x034 + channel] = static_cast<char>(0x80);
        live[0x054 + channel] = 0;
        PutText(live, 0x074 + 6 * channel, 6, "CAM" + std::to_string(channel + 1));
        live[0x134 + channel] = static_cast<char>(channel % 2);
        live[0x144 + channel] = 8;
        live[0x154 + channel] = 8;
        live[0x164 + channel] = 8;
        live[0x174 + channel] = 30;
        std::fill_n(live.begin() + static_cast<std::ptrdiff_t>(0x184 + 24 * channel), 24, '\0');
    }

    std::string& rec = m_sections["DVRREC"];
    for (std::size_t channel = 0; channel < 16; ++channel) rec[0x14 + channel] = 1;
    for (std::size_t slot = 0; slot < 7; ++slot) {
        rec[0x57 + slot] = static_cast<char>(slot == 0 ? 10 : 0);
        PutU16(rec, 0x5E + 2 * slot, slot == 0 ? 8 * 256 : 0);
        PutU16(rec, 0x6C + 2 * slot, slot == 0 ? 18 * 256 + 30 : 0);
    }

    std::string& peri = m_sections["PERI"];
    PutBytes(peri, 0x02, {8, 0});
    PutU32(peri, 0x04, 9600);
    PutU32(peri, 0x08, 2400);
    PutBytes(peri, 0x0C, {1, 2});
}

void ConfigStore::SetWebAddress(uint32_t webAddress, uint16_t webPort) {
    std::string& ip = m_sections.at("IP");
    PutBytes(ip, 0x04,
             {static_cast<uint8_t>(webAddress >> 24), static_cast<uint8_t>(webAddress >> 16),
              static_cast<uint8_t>(webAddress >> 8), static_cast<uint8_t>(webAddress)});
    PutU16(ip, 0x10, webPort);
    // The dynamic-DNS host name is where the client turns after a switch to PPPoE or DHCP:
    // the recorder's own address.
    PutText(m_sections.at("SMTP"), 0x148, 48, DottedAddress(webAddress));
}

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
