#include "core/ControlFile.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>

#include "core/AppObject.h"
#include "core/TextHelpers.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"

namespace {

constexpr std::string_view kControlFileName = "CtrlFile.ini";

// A control file is a few ten kilobytes; anything far larger is not one.
constexpr std::streamsize kMaxControlFileSize = 4 * 1024 * 1024;

// The sections of the file, by position. A command section at position p holds the
// command of key code p - 2.
constexpr std::array<std::string_view, 73> kKeywords = {
    "[DEVICE NUMBER]",
    "[DEVICE NAME]",
    "[CH1]",
    "[CH2]",
    "[CH3]",
    "[CH4]",
    "[CH5]",
    "[CH6]",
    "[CH7]",
    "[CH8]",
    "[CH9]",
    "[CH10]",
    "[CH11]",
    "[CH12]",
    "[CH13]",
    "[CH14]",
    "[CH15]",
    "[CH16]",
    "[UP_PIP]",
    "[UP_QUAD]",
    "[4CUT]",
    "[9CUT]",
    "[16CUT]",
    "[PIP]",
    "[POP]",
    "[71013]",
    "[AUTO]",
    "[ESC]",
    "[VCR]",
    "[LIVE]",
    "[QUAD]",
    "[FREEZE]",
    "[ZOOM_IN]",
    "[ZOOM_OUT]",
    "[FOCUS_IN]",
    "[FOCUS_OUT]",
    "[PLUSE]",
    "[MINUS]",
    "[REMOTE_RECORD]",
    "[REBOOT]",
    "[ESCAPE]",
    "[SEC_ENTER]",
    "[STOP_RECORD]",
    "[RECORDING]",
    "[ZOOM]",
    "[SELECT]",
    "[LOCK]",
    "[SEARCH]",
    "[ENTER]",
    "[STOP]",
    "[RECORD]",
    "[REW]",
    "[FAST]",
    "[PAUSE]",
    "[SLOW]",
    "[PLAY]",
    "[JOYSTICK_LEFT]",
    "[JOYSTICK_UP]",
    "[JOYSTICK_MENU]",
    "[JOYSTICK_DOWN]",
    "[JOYSTICK_RIGHT]",
    "[TURBO]",
    "[PTZ]",
    "[ALARM]",
    "[ZOOM_IN_MAX]",
    "[ZOOM_OUT_MAX]",
    "[DIGITAL_ZOOM]",
    "[SET]",
    "[SEQUENCE]",
    "[PARAMETER]",
    "[POWER]",
    "[EOF]",
    "[DISPLAY]",
};

constexpr int kNoSection = -1;
constexpr int kSectionDeviceNumber = 0;
constexpr int kSectionDeviceName = 1;
constexpr int kFirstCommandSection = 2;
constexpr int kLastCommandSection = 68;
constexpr int kSectionParameter = 69;
constexpr int kSectionPower = 70;
constexpr int kSectionEof = 71;
constexpr int kSectionDisplay = 72;

int FindSection(std::string_view line) {
    auto it = std::find(kKeywords.begin(), kKeywords.end(), line);
    return it == kKeywords.end() ? kNoSection : static_cast<int>(it - kKeywords.begin());
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

// The character at `i`; past the end of the line a character that is no digit.
char At(std::string_view line, size_t i) { return i < line.size() ? line[i] : '\0'; }

// A decimal number after leading blanks, up to the first other character; large
// values stop growing instead of overflowing.
uint32_t ReadDecimal(std::string_view line) {
    size_t i = 0;
    while (i < line.size() && line[i] == ' ') ++i;
    uint32_t value = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        value = std::min<uint32_t>(value * 10 + static_cast<uint32_t>(line[i] - '0'), 100000000);
    }
    return value;
}

// "%n ... Xhh": parameter byte n (0-9) becomes hh. False when the line has no such pair.
bool ParseParameter(std::string_view line, uint8_t (&parameters)[kControlParameterCount]) {
    const size_t percent = line.find('%');
    if (percent == std::string_view::npos) return false;
    const char digit = At(line, percent + 1);
    if (digit < '0' || digit > '9') return false;
    const size_t x = line.find('X', percent + 2);
    if (x == std::string_view::npos) return false;
    parameters[digit - '0'] = HexPairToByte(At(line, x + 1), At(line, x + 2));
    return true;
}

// The parser's state between lines.
class ControlFileParser {
  public:
    explicit ControlFileParser(ControlDeviceRecords& records) : m_records(records) {}

    // Handles one reduced line; true when it was "END" under [EOF].
    bool Line(std::string_view line) {
        if (line.empty() || line.front() == ';') return false;
        if (line.front() == '[') {
            m_section = FindSection(line);
            return false;
        }
        if (m_section == kSectionEof) return line == "END";
        DataLine(line);
        return false;
    }

    // The number of records that got a name; records beyond it stay unused.
    uint32_t NamedRecords() const { return m_named; }

  private:
    void DataLine(std::string_view line) {
        if (m_section == kNoSection) return Refuse();
        if (m_section == kSectionDeviceNumber) return DeviceNumber(line);
        if (m_section == kSectionDeviceName) return DeviceName(line);

        // Every other section belongs to the record opened last.
        if (!m_current) return Refuse();
        if (m_section >= kFirstCommandSection && m_section <= kLastCommandSection) {
            ControlCommand_Struct& slot = m_current->Commands[m_section - kFirstCommandSection];
            slot.lpOwner = m_current;
            ParseControlCommand(slot, line);
        } else if (m_section == kSectionParameter) {
            if (!ParseParameter(line, m_current->byParameters)) Refuse();
        } else if (m_section == kSectionPower) {
            m_current->Power.lpOwner = m_current;
            ParseControlCommand(m_current->Power, line);
        } else if (m_section == kSectionDisplay) {
            m_current->byDisplay = static_cast<uint8_t>(std::min<uint32_t>(ReadDecimal(line), 255));
        }
    }

    // The records are allocated once; a second count would drop the records that the
    // lines read so far filled in.
    void DeviceNumber(std::string_view line) {
        if (m_records.lpDevices) return Refuse();
        const uint32_t count = std::min(ReadDecimal(line), kMaxControlDevices);
        m_records.lpDevices = std::make_unique<ControlDevice_Struct[]>(count);
        m_records.dwCount = count;
    }

    void DeviceName(std::string_view line) {
        if (m_named >= m_records.dwCount) return Refuse();
        m_current = &m_records.lpDevices[m_named++];
        m_current->strName.assign(line.substr(0, kControlNameMax));
    }

    static void Refuse() { ormidon::ShowMessage(kStrUnsupportedCommand); }

    ControlDeviceRecords& m_records;
    int m_section = kNoSection;
    ControlDevice_Struct* m_current = nullptr;
    uint32_t m_named = 0;
};

}  // namespace

uint8_t HexPairToByte(char high, char low) {
    return static_cast<uint8_t>(HexDigit(high) * 16 + HexDigit(low));
}

size_t ReadControlFileLine(std::string_view data, char (&line)[kControlLineBufferSize]) {
    size_t kept = 0;
    size_t i = 0;
    for (; i < data.size(); ++i) {
        char c = data[i];
        if (c == '\n') {
            ++i;
            break;
        }
        if (c < 0x20 || c > 0x7e || kept == kControlLineBufferSize - 1) continue;
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        line[kept++] = c;
    }
    line[kept] = '\0';
    return i;
}

bool ParseControlCommand(ControlCommand_Struct& command, std::string_view line) {
    command.dwVariableMask = 0;
    command.Bytes.clear();
    size_t x = line.find('X');
    if (x == std::string_view::npos) {
        ormidon::ShowMessage(kStrInputServerCommand);
        return false;
    }
    const uint8_t count = HexPairToByte(At(line, x + 1), At(line, x + 2));
    command.Bytes.assign(count, 0);
    for (uint32_t j = 0; j < count; ++j) {
        x = line.find('X', x + 1);
        if (x == std::string_view::npos) {
            ormidon::ShowMessage(kStrInputServerCommand);
            return false;
        }
        if (At(line, x + 1) == '%') {
            // The mask has room for bytes 0-31 only; a later variable would be sent as
            // its bare code, so the command is not kept.
            if (j >= kControlVariableBytes) {
                command.Bytes.clear();
                command.dwVariableMask = 0;
                ormidon::ShowMessage(kStrInputServerCommand);
                return false;
            }
            command.dwVariableMask |= 1u << j;
        }
        command.Bytes[j] = HexPairToByte(At(line, x + 1), At(line, x + 2));
    }
    return true;
}

int ParseControlFile(std::string_view data, ControlDeviceRecords& records) {
    ControlFileParser parser(records);
    char line[kControlLineBufferSize];
    bool ended = false;
    while (!data.empty() && !ended) {
        const size_t used = ReadControlFileLine(data, line);
        data.remove_prefix(used);
        ended = parser.Line(line);
    }
    // Records that a name never opened are not devices of the file.
    records.dwCount = parser.NamedRecords();
    return ended ? 1 : 0;
}

int ReadControlFile(const std::filesystem::path& path, ControlDeviceRecords& records) {
    std::string data;
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    const std::streamsize size = file ? static_cast<std::streamsize>(file.tellg()) : -1;
    if (size >= 0 && size <= kMaxControlFileSize) {
        data.resize(static_cast<size_t>(size));
        file.seekg(0);
        file.read(data.data(), size);
    }
    if (size < 0 || size > kMaxControlFileSize || file.gcount() != size ||
        ParseControlFile(data, records) == 0) {
        ormidon::ShowMessage(kStrOpenControlFileFailed);
        return 0;
    }
    return 1;
}

int LoadControlFile() {
    if (!g_lpApp) return 0;
    const std::filesystem::path folder = ormidon::ProgramFolder();
    const std::filesystem::path file =
        ormidon::FindFileNoCase(folder, kControlFileName).value_or(folder / kControlFileName);
    ControlDeviceRecords records;
    const int result = ReadControlFile(file, records);
    g_lpApp->dw_ControlDeviceCount = records.dwCount;
    g_lpApp->lp_ControlDevices = std::move(records.lpDevices);
    return result;
}

void BindControlDevices(DeviceKindArray& table, ControlDevice_Struct* devices, uint32_t count) {
    for (DeviceKind_Struct& kind : table) {
        kind.lpCommandSet = nullptr;
        for (uint32_t i = 0; i < count; ++i) {
            if (IsSameStringNoCase(kind.lpName, devices[i].strName)) {
                kind.lpCommandSet = &devices[i];
                break;
            }
        }
    }
}

int BindControlDevices() {
    if (g_lpApp) {
        BindControlDevices(DeviceKindTable, g_lpApp->lp_ControlDevices.get(),
                           g_lpApp->dw_ControlDeviceCount);
    }
    return 1;
}
