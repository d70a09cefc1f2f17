#pragma once
// The apply baseline: every value the pages can change, taken from the section records when
// the sheet opens, in the form the page holds it. An applier rewrites a section field only
// where its page differs from this.
#include <array>
#include <cstdint>
#include <string>

class CAppObject;

struct ApplyBaseline {
    uint32_t dwIPAddress = 0;  // first byte of the dotted text highest
    uint32_t dwGateway = 0;
    uint32_t dwNetMask = 0;
    uint16_t wWebPort = 0;
    uint8_t byIPType = 0;
    int nBitRate = 0;
    std::string strPppoeUserName;
    std::string strPppoePassword;
    uint32_t dwDNSServer = 0;
    int nAutoDNS = 0;
    int nDDNSEnable = 0;
    std::string strDDNSUserName;
    std::string strDDNSPassword;
    std::string strDDNSDomain;
    // "custom" 0, "dyndns" 1, "statdns" 2; another text is 0 on a device with capability
    // 0x200 or 0x80 and stays 0 (the DDNS page's "custom") otherwise.
    int nDDNSProvider = 0;
    std::string strMailFrom;  // joined with its continuation where the device has one
    std::string strSmtpServer;
    std::string strSmtpPassword;
    std::string strSmtpUserName;
    uint8_t bySmtpVerify = 0;
    std::string strFtpServer;  // each FTP text empty when longer than the page allows
    std::string strFtpUserName;
    std::string strFtpPassword;
    std::string strFtpDirectory;
    uint16_t wFtpPort = 0;
    std::string strSntpServer;
    int nZoneIndex = 0;
    uint8_t bySntpMode = 0;
    uint8_t bySntpAutoServer = 0;  // 1 when the server text is empty
    int nAlarmPostNumber = 0;      // ALARM byte 0x02 minus one (0 for 0)
    uint8_t byAlarmResolution = 0;
    uint8_t byAlarmMethod = 0;
    uint8_t byVideoSource = 0;
    int nAlarmDuration = 0;  // index into the family's duration list
    std::array<int, 2> nPeriId{};
    std::array<int, 2> nPeriModel{};  // PeripheralCodeToIndex of the codes
    std::array<int, 2> nPeriBaud{};   // 2400 0 ... 115200 6, other 0
    // What the General page shows: P5xK at most 8 characters, P62K from "1010" the field
    // cut to 8 as well (the page holds no more), others empty.
    std::string strTitle;
    std::array<std::string, 2> strChannelName;  // P62K from "1010": at most 3 characters
    std::array<uint8_t, 7> byTimerDay{};        // P5xK: DVRREC timer slots, byte for byte
    std::array<uint8_t, 14> byTimerStart{};
    std::array<uint8_t, 14> byTimerEnd{};
};

// Takes the baseline from the records and terminates SMTP's server, sender, user name and
// password texts in the record itself (their last bytes become zero).
ApplyBaseline CopyOriginalConfig(CAppObject& app);

// The index of a baud rate in 2400, 4800, 9600, 19200, 38400, 57600, 115200; 0 for another.
int BaudRateIndex(uint32_t baud);
