// IniFile over arbitrary text: the text comes back byte for byte, lookups agree with one
// another, and a key that SetString accepts reads back as written, also after a reload.
#include <string>
#include <string_view>

#include "FuzzTarget.h"
#include "platform/IniFile.h"

namespace {

using ormidon::IniFile;

// The value a reader gets back for a written value: trimmed of blanks and tabs, then without
// a pair of matching quotes around it.
std::string ReadBack(std::string_view value) {
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

void CheckLookups(const IniFile& ini, std::string_view section, std::string_view key) {
    constexpr std::string_view kMissing = "\x01missing\x01";
    const bool has = ini.HasKey(section, key);
    const std::string value = ini.GetString(section, key, kMissing);
    FUZZ_CHECK(has || value == kMissing);
    FUZZ_CHECK(ini.GetInt(section, key, -12345) ==
               (has ? ormidon::ParseProfileInt(value) : -12345));
}

std::string_view Text(fuzz::Input& in, std::size_t size) {
    const auto bytes = in.Take(size);
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

std::vector<FuzzBytes> FuzzSeeds() {
    const std::string_view files[] = {
        "[Ormidon]\r\nUsername=admin\r\nServerPort=80\r\n",
        "[ormidon]\nUSERNAME=admin\n",
        "[ Ormidon ]\n  Username  =  admin  \n",
        "[Ormidon]\nUsername=\"  quoted  \"\n",
        "[Ormidon]\nUsername=first\nUsername=second\n",
        "[Other]\nUsername=x\n[Ormidon]\n\n;comment\nA=1\n\n[Next]\nB=2",
        "\xEF\xBB\xBF[Ormidon]\nUsername=bom\r",
    };
    std::vector<FuzzBytes> seeds;
    for (std::string_view file : files) {
        seeds.push_back(fuzz::Seed().U8(7).U8(8).U8(5).Append("OrmidonUsernameguest").Append(file));
        seeds.push_back(fuzz::Seed().U8(4).U8(1).U8(3).Append("NewXv=\"1\"").Append(file));
    }
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::size_t sectionSize = in.U8(), keySize = in.U8(), valueSize = in.U8();
    const std::string section(Text(in, sectionSize));
    const std::string key(Text(in, keySize));
    const std::string value(Text(in, valueSize));
    const std::string text(in.RestText());

    IniFile ini;
    ini.SetText(text);
    FUZZ_CHECK(ini.Text() == text);
    CheckLookups(ini, section, key);
    CheckLookups(ini, "Ormidon", "Username");

    if (!ini.SetString(section, key, value)) {
        FUZZ_CHECK(ini.Text() == text);
        return 0;
    }
    FUZZ_CHECK(ini.HasKey(section, key));
    FUZZ_CHECK(ini.GetString(section, key, {}) == ReadBack(value));
    IniFile reloaded;
    reloaded.SetText(ini.Text());
    FUZZ_CHECK(reloaded.Text() == ini.Text());
    FUZZ_CHECK(reloaded.GetString(section, key, {}) == ReadBack(value));
    return 0;
}
