#include "sheet/ApplyBaseline.h"

#include <algorithm>

#include "core/AppObject.h"
#include "core/ConfigRecords.h"
#include "core/DeviceIdentity.h"
#include "net/DeviceInfo.h"
#include "sheet/AlarmDurations.h"

namespace {

std::string EmptyWhenLonger(std::string text, std::size_t limit) {
    return text.size() > limit ? std::string() : text;
}

std::string Cut(std::string text, std::size_t limit) {
    if (text.size() > limit) text.resize(limit);
    return text;
}

}  // namespace

int BaudRateIndex(uint32_t baud) {
    constexpr uint32_t kRates[] = {2400, 4800, 9600, 19200, 38400, 57600, 115200};
    const auto* found = std::find(std::begin(kRates), std::end(kRates), baud);
    return found == std::end(kRates) ? 0 : static_cast<int>(found - kRates);
}

ApplyBaseline CopyOriginalConfig(CAppObject& app) {
    ApplyBaseline base;
    base.dwIPAddress = ReadIPv4(app.m_Cfg_IP, IpRecord::byIPAddress);
    base.dwGateway = ReadIPv4(app.m_Cfg_IP, IpRecord::byGateway);
    base.dwNetMask = ReadIPv4(app.m_Cfg_IP, IpRecord::byNetMask);
    base.wWebPort = static_cast<uint16_t>(ReadUInt(app.m_Cfg_IP, IpRecord::wWebPort));
    base.byIPType = static_cast<uint8_t>(ReadUInt(app.m_Cfg_IP, IpRecord::byIPType));
    base.nBitRate = static_cast<int>(ReadUInt(app.m_Cfg_IP, IpRecord::byBitRate));

    const std::span<const uint8_t> pppoe = PppoeBlock(app);
    base.strPppoeUserName = ReadText(pppoe, PppoeUserNameField());
    base.strPppoePassword = ReadText(pppoe, PppoePasswordField());

    base.dwDNSServer = ReadIPv4(app.m_Cfg_DNS, DnsRecord::byDNSServer);
    base.nAutoDNS = static_cast<int>(ReadUInt(app.m_Cfg_DNS, DnsRecord::byAutoDNS));

    // Every later reader of these texts sees them terminated.
    for (RecordField field : {SmtpRecord::szSmtpServer, SmtpRecord::szMailFrom,
                              SmtpRecord::szSmtpUserName, SmtpRecord::szSmtpPassword})
        app.m_Cfg_SMTP[field.End() - 1] = 0;

    const std::span<const uint8_t> smtp = app.m_Cfg_SMTP;
    base.nDDNSEnable = static_cast<int>(ReadUInt(smtp, SmtpRecord::byDDNSEnable));
    base.strDDNSUserName = ReadText(smtp, SmtpRecord::szDDNSUserName);
    base.strDDNSPassword = ReadText(smtp, SmtpRecord::szDDNSPassword);
    base.strDDNSDomain = ReadText(smtp, SmtpRecord::szDDNSDomain);
    const std::string provider = ReadText(smtp, SmtpRecord::szDDNSProvider);
    if (provider == "dyndns") {
        base.nDDNSProvider = 1;
    } else if (provider == "statdns") {
        base.nDDNSProvider = 2;
    } else {
        // "custom", a capability provider, or an unknown text the page shows as "custom".
        base.nDDNSProvider = 0;
    }
    base.strMailFrom = ReadMailFrom(app);
    base.strSmtpServer = ReadText(smtp, SmtpRecord::szSmtpServer);
    base.strSmtpPassword = ReadText(smtp, SmtpRecord::szSmtpPassword);
    base.strSmtpUserName = ReadText(smtp, SmtpRecord::szSmtpUserName);
    base.bySmtpVerify = static_cast<uint8_t>(ReadUInt(smtp, SmtpRecord::bySmtpVerify));

    const std::span<const uint8_t> ftp = app.m_Cfg_FTP;
    base.strFtpServer = EmptyWhenLonger(ReadText(ftp, FtpRecord::szFtpServer), 31);
    base.strFtpUserName = EmptyWhenLonger(ReadText(ftp, FtpRecord::szFtpUserName), 15);
    base.strFtpPassword = EmptyWhenLonger(ReadText(ftp, FtpRecord::szFtpPassword), 15);
    base.strFtpDirectory = EmptyWhenLonger(ReadText(ftp, FtpRecord::szFtpDirectory), 31);
    base.wFtpPort = static_cast<uint16_t>(ReadUInt(ftp, FtpRecord::wFtpPort));

    const std::span<const uint8_t> sntp = app.m_Cfg_SNTP;
    base.strSntpServer = ReadText(sntp, SntpRecord::szSntpServer);
    base.nZoneIndex = static_cast<int>(ReadUInt(sntp, SntpRecord::byZoneIndex));
    base.bySntpMode = static_cast<uint8_t>(ReadUInt(sntp, SntpRecord::bySntpMode));
    base.bySntpAutoServer = base.strSntpServer.empty() ? 1 : 0;

    const std::span<const uint8_t> alarm = app.m_Cfg_ALARM;
    const uint8_t postNumber = alarm[AlarmRecordLayout::byPostNumber.offset];
    base.nAlarmPostNumber = postNumber == 0 ? 0 : postNumber - 1;
    base.byAlarmResolution = alarm[AlarmRecordLayout::byAlarmResolution.offset];
    base.byAlarmMethod = alarm[AlarmRecordLayout::byAlarmMethod.offset];
    base.byVideoSource = alarm[AlarmRecordLayout::byVideoSource.offset];
    base.nAlarmDuration = AlarmDurationIndex(
        static_cast<uint16_t>(ReadUInt(alarm, AlarmRecordLayout::wAlarmDuration)));

    const std::span<const uint8_t> peri = app.m_Cfg_PERI;
    for (std::size_t device = 0; device < 2; ++device) {
        base.nPeriId[device] = static_cast<int>(ReadUInt(peri, PeriRecord::byPeriId, device));
        base.nPeriModel[device] = PeripheralCodeToIndex(
            static_cast<uint8_t>(ReadUInt(peri, PeriRecord::byPeriModel, device)));
        base.nPeriBaud[device] = BaudRateIndex(ReadUInt(peri, PeriRecord::dwPeriBaudRate, device));
    }

    const bool newP62K = IsP62KModel() && FirmwareAtLeast("1010");
    if (IsP5xKModel() || newP62K) {
        // What the General page shows, so an unchanged page sends nothing.
        base.strTitle =
            Cut(ReadText(app.m_Cfg_SYSTEM, SystemRecord::szSystemName), SystemRecord::kTitleChars);
    }
    if (newP62K) {
        base.strChannelName[0] =
            Cut(ReadText(app.m_Cfg_RS485, Rs485Record::szCh1Name), Rs485Record::kChannelNameChars);
        base.strChannelName[1] =
            Cut(ReadText(app.m_Cfg_RS485, Rs485Record::szCh2Name), Rs485Record::kChannelNameChars);
    }
    if (IsP5xKModel()) {
        const auto copy = [&app](RecordField field, auto& into) {
            std::copy_n(app.m_Cfg_DVRREC.begin() + static_cast<std::ptrdiff_t>(field.offset),
                        into.size(), into.begin());
        };
        copy(DvrRecRecord::byTimerDay, base.byTimerDay);
        copy(DvrRecRecord::wTimerStart, base.byTimerStart);
        copy(DvrRecRecord::wTimerEnd, base.byTimerEnd);
    }
    return base;
}
