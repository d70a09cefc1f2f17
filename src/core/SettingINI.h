#pragma once
// The operator's settings: device address, web port and user name, image, alarm,
// recording, search-list and disc options, and the folders for recordings, snapshots,
// firmware and downloads. Loaded once at start-up from Setting.ini in the program
// folder (section "Ormidon", 41 keys) and written back when the main window closes
// and when a firmware upgrade starts. Every part of the program reads the members
// directly.
//
// Folders end with "/" where a trailing separator is part of the value (the program
// folder, "Upgrade FW Path"). The password is kept in memory only.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

class CSettingINI {
  public:
    // The section and the key names, as other code that writes a Setting.ini uses them.
    static constexpr std::string_view kSection = "Ormidon";
    static constexpr std::string_view kKeyRecordPath = "Record Path";
    static constexpr std::string_view kKeySnapshotPath = "Snapshot Path";
    static constexpr std::string_view kKeyTriggerWavPath = "Trigger Wav Path";
    // Texts were read into a 256-byte buffer: a text keeps at most this many bytes.
    static constexpr std::size_t kMaxTextBytes = 255;

    CSettingINI();

    // Reads Setting.ini of the program folder; a missing file or key gives the
    // default. Creates the record and snapshot folders (one level). Always true.
    bool LoadSetting();
    // Writes the 41 keys into Setting.ini, each replaced in place or appended to the
    // section; other keys and lines of the file stay. False when the file could not
    // be written.
    bool SaveSetting();

    // The file LoadSetting reads and SaveSetting writes.
    std::filesystem::path SettingFilePath() const;

    int32_t m_dwBrightness;
    int32_t m_dwContrast;
    int32_t m_dwSaturation;
    int32_t m_dwImageResolution;
    std::string m_strUsername;
    std::string m_strServerName;
    uint16_t m_wWebPort;
    int32_t m_dwSubPortNumber;
    uint16_t m_wZoomRatio;
    uint16_t m_wFrameRate = 30;
    uint16_t m_wTargetBitRate = 400;
    uint16_t m_wPeakBitRate = 450;
    uint16_t m_wControlBitRateType = 1;
    uint8_t m_byResolutionType = 3;
    uint8_t m_byImageQuality = 0;
    uint8_t m_bySelectedChannel = 1;
    int32_t m_dwDynamicDownloadOption = 0;
    int32_t m_dwWriteCDOption = 0;
    int32_t m_dwWriteCDCloseOption = 0;
    uint16_t m_wLastConnectionMAC1 = 255;  // fifth byte of the last device's MAC address
    uint16_t m_wLastConnectionMAC2 = 255;  // sixth byte
    uint8_t m_byAlarmTriggerRecord = 1;
    uint8_t m_byRetrAlarmRecord = 1;  // written only; 1 after every load
    uint16_t m_wAlarmEnableButton = 3;
    int32_t m_dwAlarmTriggerQuality = 0;
    int32_t m_dwAlarmTriggerResolution = 1;
    uint32_t m_dwTriggerWavPathLoword = 0;
    uint8_t m_byTriggerCloseHour = 0;
    uint8_t m_byTriggerCloseMin = 0;
    uint8_t m_byTriggerCloseDate = 0;
    uint8_t m_byAlarmAutoSwitchVideo = 0;
    uint16_t m_wSearchListHDD = 0;
    uint8_t m_bySearchListType = 0;
    uint16_t m_wSearchListMaxNumber = 128;
    std::string m_strRecordPath;
    std::string m_strSnapshotPath;
    std::string m_strUpgradeFWPath;     // always ends with "/" after loading
    std::string m_strUpgradeDVRFWPath;  // never ends with "/" after loading
    std::string m_strTriggerWavPath;
    std::string m_strNetworkFileDirectory;

    // Not stored in the file.
    std::string m_strPassword;
    // The device's host name when the address was typed as a name (the sender then
    // keeps the resolved address in m_strServerName); saved as "Server Name" when set.
    char m_szServerName[256];
    std::string m_strDesktopPath;  // default of the four folder keys
    std::string m_strProgramPath;  // the program folder, ending with "/"
};
