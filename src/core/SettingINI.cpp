#include "core/SettingINI.h"

#include <cstring>
#include <initializer_list>
#include <optional>
#include <system_error>
#include <type_traits>
#include <variant>

#include "core/AppObject.h"
#include "platform/IniFile.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"

namespace {

constexpr uint32_t IDS_READ_DESKTOP_PATH_ERROR = 4056;  // "Read DeskTop Path Error!!"
constexpr std::string_view kSettingFileName = "Setting.ini";
constexpr std::string_view kDefaultServerName = "192.168.1.10";
constexpr std::string_view kAlarmWaveName = "alarm.wav";
constexpr size_t kMaxTextLength = CSettingINI::kMaxTextBytes;

// "Turbo repeat step" lives in the application record, not in the settings object.
struct TurboRepeatStep {};
// "RETR Alarm Record" is written but never read: it is 1 after every load.
struct WrittenOnly {
    uint8_t CSettingINI::*member;
};

using Field =
    std::variant<int32_t CSettingINI::*, uint32_t CSettingINI::*, uint16_t CSettingINI::*,
                 uint8_t CSettingINI::*, std::string CSettingINI::*, TurboRepeatStep, WrittenOnly>;

struct SettingKey {
    std::string_view name;
    Field field;
    // The value of a missing number key; none: the member keeps its current value.
    std::optional<int> loadDefault;
};

// Every key of the file, in the order SaveSetting writes them. Texts are loaded by
// LoadSetting itself (their defaults and fix-ups depend on one another).
const SettingKey kKeys[] = {
    {"brightness", &CSettingINI::m_dwBrightness, std::nullopt},
    {"contrast", &CSettingINI::m_dwContrast, std::nullopt},
    {"saturation", &CSettingINI::m_dwSaturation, std::nullopt},
    {"Image Resolution", &CSettingINI::m_dwImageResolution, 1},
    {"Username", &CSettingINI::m_strUsername, std::nullopt},
    {"Server Name", &CSettingINI::m_strServerName, std::nullopt},
    {"ServerPort", &CSettingINI::m_wWebPort, std::nullopt},
    {"Sub Port Number", &CSettingINI::m_dwSubPortNumber, std::nullopt},
    {"Zoom Ratio", &CSettingINI::m_wZoomRatio, 100},
    {"Frame Rate", &CSettingINI::m_wFrameRate, 30},
    {"Target Bit Rate", &CSettingINI::m_wTargetBitRate, 400},
    {"Peak Bit Rate", &CSettingINI::m_wPeakBitRate, 450},
    {"Control Bit Rate Type", &CSettingINI::m_wControlBitRateType, 1},
    {"Resolution Type", &CSettingINI::m_byResolutionType, 3},
    {"Image Quility", &CSettingINI::m_byImageQuality, 0},
    {"Selected Channel", &CSettingINI::m_bySelectedChannel, 1},
    {"Dynamic Download Option", &CSettingINI::m_dwDynamicDownloadOption, 0},
    {"Write CD Option", &CSettingINI::m_dwWriteCDOption, 0},
    {"Write CD Close Option", &CSettingINI::m_dwWriteCDCloseOption, 0},
    {"Last Connection MAC1", &CSettingINI::m_wLastConnectionMAC1, 255},
    {"Last Connection MAC2", &CSettingINI::m_wLastConnectionMAC2, 255},
    {"Alarm Trigger Record", &CSettingINI::m_byAlarmTriggerRecord, 1},
    {"RETR Alarm Record", WrittenOnly{&CSettingINI::m_byRetrAlarmRecord}, std::nullopt},
    {"Alarm Enable Button", &CSettingINI::m_wAlarmEnableButton, 3},
    {"Turbo repeat step", TurboRepeatStep{}, 5},
    {"Alarm Trigger Quality", &CSettingINI::m_dwAlarmTriggerQuality, 0},
    {"Alarm Trigger Resolution", &CSettingINI::m_dwAlarmTriggerResolution, 1},
    {"Trigger Wav Path LOWORD", &CSettingINI::m_dwTriggerWavPathLoword, 0},
    {"Trigger Close Time Hour", &CSettingINI::m_byTriggerCloseHour, 0},
    {"Trigger Close Time Min", &CSettingINI::m_byTriggerCloseMin, 0},
    {"Trigger Close Time date", &CSettingINI::m_byTriggerCloseDate, 0},
    {"Alarm auto switch video", &CSettingINI::m_byAlarmAutoSwitchVideo, 0},
    {"Search List HDD", &CSettingINI::m_wSearchListHDD, 0},
    {"Search List Type", &CSettingINI::m_bySearchListType, 0},
    {"Search List Max Number", &CSettingINI::m_wSearchListMaxNumber, 128},
    {CSettingINI::kKeyRecordPath, &CSettingINI::m_strRecordPath, std::nullopt},
    {CSettingINI::kKeySnapshotPath, &CSettingINI::m_strSnapshotPath, std::nullopt},
    {"Upgrade FW Path", &CSettingINI::m_strUpgradeFWPath, std::nullopt},
    {"Upgrade DVR FW Path", &CSettingINI::m_strUpgradeDVRFWPath, std::nullopt},
    {CSettingINI::kKeyTriggerWavPath, &CSettingINI::m_strTriggerWavPath, std::nullopt},
    {"Network File Directory", &CSettingINI::m_strNetworkFileDirectory, std::nullopt},
};
static_assert(std::size(kKeys) == 41);

std::string_view KeyName(std::string CSettingINI::*member) {
    for (const SettingKey& key : kKeys) {
        auto* text = std::get_if<std::string CSettingINI::*>(&key.field);
        if (text && *text == member) return key.name;
    }
    return {};
}

// Cuts a text to the bytes the reader's buffer held (or `limit`), without splitting a UTF-8
// character.
std::string Bounded(std::string text, size_t limit = kMaxTextLength) {
    if (text.size() <= limit) return text;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    return text;
}

std::string WithTrailingSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

// A folder text that ends in "/" and still fits the reader's buffer: a full one gives up its
// last character for the slash.
std::string BoundedFolder(std::string folder) {
    if (!folder.empty() && folder.back() == '/') return folder;
    return Bounded(std::move(folder), kMaxTextLength - 1) + '/';
}

}  // namespace

CSettingINI::CSettingINI()
    : m_dwBrightness(0),
      m_dwContrast(96),
      m_dwSaturation(0),
      m_dwImageResolution(0),
      m_strUsername("admin"),
      m_strServerName(kDefaultServerName),
      m_wWebPort(80),
      m_dwSubPortNumber(8888),
      m_wZoomRatio(100),
      m_strPassword("tusqe"),
      m_szServerName{} {}

std::filesystem::path CSettingINI::SettingFilePath() const {
    std::filesystem::path folder = m_strProgramPath.empty()
                                       ? ormidon::ProgramFolder()
                                       : std::filesystem::path(m_strProgramPath);
    // The file may have been copied in with another spelling of its name.
    return ormidon::FindFileNoCase(folder, kSettingFileName).value_or(folder / kSettingFileName);
}

bool CSettingINI::LoadSetting() {
    m_strProgramPath = WithTrailingSlash(ormidon::ProgramFolder().string());
    const ormidon::IniFile ini(SettingFilePath());
    auto readText = [&](std::string CSettingINI::*member, std::string_view fallback) {
        this->*member = Bounded(ini.GetString(kSection, KeyName(member), fallback));
    };

    for (const SettingKey& key : kKeys) {
        std::visit(
            [&](auto field) {
                using F = decltype(field);
                if constexpr (std::is_same_v<F, TurboRepeatStep>) {
                    int step = ini.GetInt(kSection, key.name, *key.loadDefault);
                    if (g_lpApp) g_lpApp->by_TurboRepeatStep = static_cast<uint8_t>(step);
                } else if constexpr (std::is_same_v<F, WrittenOnly>) {
                    this->*field.member = 1;
                } else if constexpr (!std::is_same_v<F, std::string CSettingINI::*>) {
                    using Member = std::remove_reference_t<decltype(this->*field)>;
                    int fallback = key.loadDefault.value_or(static_cast<int>(this->*field));
                    // Only the bits that fit the member survive.
                    this->*field = static_cast<Member>(ini.GetInt(kSection, key.name, fallback));
                }
            },
            key.field);
    }
    readText(&CSettingINI::m_strUsername, m_strUsername);
    readText(&CSettingINI::m_strServerName, kDefaultServerName);

    std::filesystem::path desktop = ormidon::DesktopFolder();
    if (desktop.empty()) {
        ormidon::ShowMessage(IDS_READ_DESKTOP_PATH_ERROR);
    } else {
        m_strDesktopPath = desktop.string();
    }
    readText(&CSettingINI::m_strRecordPath, m_strDesktopPath);
    readText(&CSettingINI::m_strSnapshotPath, m_strDesktopPath);
    readText(&CSettingINI::m_strUpgradeFWPath, m_strDesktopPath);
    readText(&CSettingINI::m_strUpgradeDVRFWPath, m_strDesktopPath);
    readText(&CSettingINI::m_strNetworkFileDirectory,
             WithTrailingSlash(ormidon::HomeFolder().string()));

    m_strUpgradeFWPath = BoundedFolder(std::move(m_strUpgradeFWPath));
    // Every closing "/" goes, so that the folder saved loads back as it is.
    while (!m_strUpgradeDVRFWPath.empty() && m_strUpgradeDVRFWPath.back() == '/') {
        m_strUpgradeDVRFWPath.pop_back();
    }
    readText(&CSettingINI::m_strTriggerWavPath, m_strProgramPath + std::string(kAlarmWaveName));

    if (m_strRecordPath.empty()) m_strRecordPath = m_strDesktopPath;
    if (m_strSnapshotPath.empty()) m_strSnapshotPath = m_strDesktopPath;
    // One level each; a folder that exists already, or cannot be made, is left as it is.
    for (const std::string* folder : {&m_strRecordPath, &m_strSnapshotPath}) {
        std::error_code ec;
        if (!folder->empty()) std::filesystem::create_directory(*folder, ec);
    }
    return true;
}

bool CSettingINI::SaveSetting() {
    ormidon::IniFile ini(SettingFilePath());
    for (const SettingKey& key : kKeys) {
        std::visit(
            [&](auto field) {
                using F = decltype(field);
                if constexpr (std::is_same_v<F, TurboRepeatStep>) {
                    uint8_t step = g_lpApp ? g_lpApp->by_TurboRepeatStep.load() : *key.loadDefault;
                    ini.SetInt(kSection, key.name, step);
                } else if constexpr (std::is_same_v<F, WrittenOnly>) {
                    ini.SetInt(kSection, key.name, this->*field.member);
                } else if constexpr (std::is_same_v<F, std::string CSettingINI::*>) {
                    // A device address typed as a host name is saved as that name.
                    bool hostName = field == &CSettingINI::m_strServerName && m_szServerName[0];
                    std::string_view text =
                        hostName ? std::string_view(m_szServerName,
                                                    strnlen(m_szServerName, sizeof m_szServerName))
                                 : std::string_view(this->*field);
                    ini.SetString(kSection, key.name, text);
                } else {
                    // 8/16-bit members and the LOWORD as unsigned, the others signed.
                    ini.SetInt(kSection, key.name, this->*field);
                }
            },
            key.field);
    }
    return ini.Save();
}
