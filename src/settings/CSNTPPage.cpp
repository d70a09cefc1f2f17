#include "settings/CSNTPPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/AppObject.h"
#include "core/ConfigRecords.h"
#include "core/SessionCookie.h"
#include "core/StringTable.h"
#include "net/CgiCommand.h"
#include "net/HalvoSendCommand.h"
#include "net/SysConfig.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/window/WindowMessageTarget.h"
#include "settings/DeviceText.h"
#include "settings/MySystemDialog.h"
#include "sheet/PageToolkit.h"

namespace {

CAppObject& App() { return *g_lpApp; }
std::span<uint8_t> Sntp() { return App().m_Cfg_SNTP; }

QString Text(uint32_t id) {
    const std::string_view text = LoadResourceString(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The offset at the start of a zone text: "(GMT-03:30) ..." or "(GMT) ...".
CSNTPPage::ZoneOffset ParseZoneText(std::string_view text) {
    CSNTPPage::ZoneOffset offset;
    constexpr std::string_view kPrefix = "(GMT";
    if (text.substr(0, kPrefix.size()) != kPrefix || text.size() < 10) return offset;
    const char sign = text[4];
    if (sign != '+' && sign != '-') return offset;
    const auto digit = [&text](std::size_t i) { return text[i] - '0'; };
    const int hour = digit(5) * 10 + digit(6);
    const int minute = digit(8) * 10 + digit(9);
    const int factor = sign == '-' ? -1 : 1;
    offset.hour = factor * hour;
    offset.minute = factor * minute;
    return offset;
}

}  // namespace

CSNTPPage::CSNTPPage(PageSheet& sheet) : CPropertyPage(sheet, PageKind::ServerTime) {
    m_target = new ormidon::WindowMessageTarget(
        [this](uint32_t message, ormidon::WParam, ormidon::LParam) {
            if (message == WM_SYNCTIMEDONE) OnSyncTimeDone();
        },
        this);
}

CSNTPPage::ZoneOffset CSNTPPage::ZoneOffsetOf(int index) {
    if (index < 0 || index >= kZones) return {};
    return ParseZoneText(LoadResourceString(kFirstZoneString + static_cast<uint32_t>(index)));
}

QString CSNTPPage::HostNameCharacters(const QString& text) {
    QString kept;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
            u == '.' || u == '-')
            kept += c;
    }
    return kept;
}

bool CSNTPPage::IsSendableServer(std::string_view server) {
    if (server.find_first_not_of(' ') == std::string_view::npos) return false;
    for (const char c : server) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '&' || c == '?' || c == '#' || c == '%')
            return false;
    }
    return true;
}

void CSNTPPage::OnInitDialog() {
    using namespace sheet;
    m_radioServer = MakeRadio(this, kIdFromServer, "Correct time from SNTP server",
                              Scaled(QRect(20, 20, 300, 22)));
    m_radioUser =
        MakeRadio(this, kIdByUser, "Correct time by user", Scaled(QRect(20, 50, 300, 22)));
    MakeLabel(this, kIdZoneLabel, "GMT:", Scaled(QRect(20, 102, 70, 20)));
    m_comboZone = MakeCombo(this, kIdZone, {}, Scaled(QRect(95, 100, 300, 22)));
    MakeLabel(this, kIdServerLabel, "SNTP Server:", Scaled(QRect(20, 142, 92, 20)));
    m_checkManual = MakeCheck(this, kIdManualServer, "", Scaled(QRect(114, 142, 18, 20)));
    m_editServer = MakeTextEdit(this, kIdServer, kMaxServerChars, Scaled(QRect(134, 140, 170, 22)));
    m_checkAutomatic =
        MakeCheck(this, kIdAutomatic, "  Automatic", Scaled(QRect(312, 142, 100, 20)));
    QPushButton* sync = MakeButton(this, kIdSyncTime, "Sync Time", Scaled(QRect(20, 190, 90, 26)));

    // The pickers and their labels, each placed by the display scale.
    const int s100 = Scaled(100);
    m_date = MakeDatePicker(this, kIdDate, "yyyy / MM / dd", QRect(s100, s100, 120, 20));
    m_time = MakeTimePicker(this, kIdTime, "HH : mm : ss", QRect(s100, s100 + 40, 120, 20));
    MakeLabel(this, kIdDateLabel, "Date", QRect(Scaled(40), s100, 50, 20));
    MakeLabel(this, kIdTimeLabel, "Time", QRect(Scaled(40), s100 + 40, 50, 20));
    const ormidon::LocalTime now = ormidon::LocalNow();
    m_date->setDate(QDate(now.year, now.month, now.day));
    m_time->setTime(QTime(now.hour, now.minute, now.second));

    for (int i = 0; i < kZones; ++i)
        m_comboZone->addItem(Text(kFirstZoneString + static_cast<uint32_t>(i)));

    connect(m_radioServer, &QRadioButton::clicked, this, [this] { OnFromServer(); });
    connect(m_radioUser, &QRadioButton::clicked, this, [this] { OnByUser(); });
    connect(m_checkAutomatic, &QCheckBox::clicked, this, [this] { OnAutomatic(); });
    connect(m_checkManual, &QCheckBox::clicked, this, [this] { OnManualServer(); });
    connect(sync, &QPushButton::clicked, this, [this] { OnSyncTime(); });
    connect(m_editServer, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString kept = HostNameCharacters(text);
        if (kept != text) m_editServer->setText(kept);
    });

    const std::span<const uint8_t> sntp = Sntp();
    m_byMode = static_cast<uint8_t>(ReadUInt(sntp, SntpRecord::bySntpMode));
    m_strServer = ReadText(sntp, SntpRecord::szSntpServer);
    const int zone = static_cast<int>(ReadUInt(sntp, SntpRecord::byZoneIndex));
    // A byte outside the table shows no choice.
    m_nZoneIndex = zone < kZones ? zone : -1;
    ShowMode(m_byMode == 1);
    ShowAutomatic(m_strServer.empty());
    UpdateData(false);
}

void CSNTPPage::ShowMode(bool fromServer) {
    m_radioServer->setChecked(fromServer);
    m_radioUser->setChecked(!fromServer);
    for (int id : {kIdDate, kIdTime, kIdDateLabel, kIdTimeLabel})
        Control(id)->setVisible(!fromServer);
    for (int id : {kIdZoneLabel, kIdServerLabel, kIdAutomatic, kIdManualServer, kIdServer, kIdZone})
        Control(id)->setVisible(fromServer);
}

void CSNTPPage::ShowAutomatic(bool automatic) {
    m_checkAutomatic->setChecked(automatic);
    m_checkManual->setChecked(!automatic);
    m_editServer->setEnabled(!automatic);
    m_byAutoServer = automatic ? 1 : 0;
}

void CSNTPPage::OnFromServer() {
    m_byMode = 1;
    ShowMode(true);
}

void CSNTPPage::OnByUser() {
    m_byMode = 0;
    ShowMode(false);
}

void CSNTPPage::OnAutomatic() { ShowAutomatic(true); }

void CSNTPPage::OnManualServer() { ShowAutomatic(false); }

void CSNTPPage::UpdateData(bool save) {
    if (m_comboZone == nullptr) return;
    if (save) {
        m_nZoneIndex = sheet::ComboIndex(m_comboZone);
        // The edit filters what the operator types; a name read from the device, which the
        // edit may show cut, is kept as it was read.
        m_strServer = settings::DeviceBytes(
            sheet::OperatorText(m_editServer, settings::DeviceText(m_strServer)));
        return;
    }
    sheet::SetComboIndex(m_comboZone, m_nZoneIndex);
    m_editServer->setText(settings::DeviceText(m_strServer));
}

int CSNTPPage::ValidZone() const {
    return m_nZoneIndex >= 0 && m_nZoneIndex < kZones ? m_nZoneIndex : -1;
}

void CSNTPPage::OnSyncTime() {
    UpdateData(true);
    if (m_byMode == 1 && ValidZone() < 0) {
        ormidon::ShowMessageText(kNoZoneText);
        return;
    }
    if (m_byMode == 1 && m_byAutoServer == 0 && !IsSendableServer(m_strServer)) {
        ormidon::ShowMessageText(kUnsafeServerText);
        return;
    }
    CCgiRequest request(CGI_SYNCTIME);
    const std::string cookie = GetSessionCookie();
    if (!cookie.empty()) request.AddParam("Cookie", cookie);
    request.AddIntParam("Mode", m_byMode);
    if (m_byMode == 1) {
        request.AddIntParam("ServerMode", m_byAutoServer);
        if (m_byAutoServer != 0) {
            m_strServer.clear();
            m_editServer->clear();
        } else {
            request.AddParam("Server", m_strServer);
        }
        const ZoneOffset offset = ZoneOffsetOf(m_nZoneIndex);
        request.AddIntParam("NationID", m_nZoneIndex);
        request.AddIntParam("Hour", offset.hour);
        request.AddIntParam("Minute", offset.minute);
    } else {
        const QDate date = m_date->date();
        const QTime time = m_time->time();
        request.AddParam("Year", QString::asprintf("%04d", date.year()).toStdString());
        request.AddIntParam("Month", date.month());
        request.AddIntParam("Day", date.day());
        request.AddIntParam("Hour", time.hour());
        request.AddIntParam("Minute", time.minute());
        request.AddIntParam("Second", time.second());
    }
    // Handled once this handler has returned, whatever the request's outcome.
    ormidon::WindowMessageTarget::PostTo(m_target->Handle(), WM_SYNCTIMEDONE, 0, 0);
    const bool sent =
        request.IsValid() &&
        HalvoSendCommand(CGI_SYNCTIME, request.GetBuffer(), request.GetLength(), nullptr, 0,
                         nullptr, 0, nullptr, 0, nullptr, kSyncSeconds, kSyncSeconds) != 0;
    if (!sent) ormidon::ShowMessage(kMsgSendTimeout);
}

bool CSNTPPage::WriteZone(bool onlyWhenStoredDiffers) {
    const int zone = ValidZone();
    const std::span<uint8_t> sntp = Sntp();
    if (zone < 0) return false;
    if (onlyWhenStoredDiffers &&
        static_cast<uint32_t>(zone) == ReadUInt(sntp, SntpRecord::byZoneIndex))
        return false;
    const ZoneOffset offset = ZoneOffsetOf(zone);
    WriteUInt(sntp, SntpRecord::cZoneHour, static_cast<uint8_t>(offset.hour));
    WriteUInt(sntp, SntpRecord::cZoneMinute, static_cast<uint8_t>(offset.minute));
    WriteUInt(sntp, SntpRecord::byZoneIndex, static_cast<uint32_t>(zone));
    return true;
}

void CSNTPPage::OnSyncTimeDone() {
    if (!HasWindow()) return;
    ApplyBaseline& base = Sheet().Baseline();
    const ApplyBaseline before = base;
    base.bySntpMode = m_byMode;
    base.nZoneIndex = m_nZoneIndex;
    base.bySntpAutoServer = m_byAutoServer;
    base.strSntpServer = m_strServer;

    const std::span<uint8_t> sntp = Sntp();
    bool written = false;
    if (m_byMode != ReadUInt(sntp, SntpRecord::bySntpMode)) {
        WriteUInt(sntp, SntpRecord::bySntpMode, m_byMode);
        written = true;
    }
    const std::string stored = ReadText(sntp, SntpRecord::szSntpServer);
    if (m_byAutoServer != 0 && !stored.empty()) {
        WriteText(sntp, SntpRecord::szSntpServer, "");
        written = true;
    } else if (m_byAutoServer == 0 && m_strServer != stored) {
        WriteText(sntp, SntpRecord::szSntpServer, m_strServer);
        written = true;
    }
    if (WriteZone(true)) written = true;
    if (!written) return;
    if (SetSysCfg(CFG_SNTP, sntp.data(), static_cast<int>(sntp.size()), 0) != 1) {
        // The device did not take it: APPLY compares with the old baseline and sends again.
        base = before;
        ormidon::ShowMessage(kMsgChangeFailed);
    }
}

int CSNTPPage::Apply() {
    if (!HasWindow()) return 0;
    UpdateData(true);
    const ApplyBaseline& base = Sheet().Baseline();
    const std::span<uint8_t> sntp = Sntp();
    bool marked = false;
    if (m_byAutoServer != base.bySntpAutoServer) {
        WriteText(sntp, SntpRecord::szSntpServer, m_byAutoServer != 0 ? "" : m_strServer);
        marked = true;
    } else if (m_byAutoServer != 0 && m_strServer != base.strSntpServer) {
        WriteText(sntp, SntpRecord::szSntpServer, "");
        marked = true;
    } else if (m_strServer != base.strSntpServer) {
        WriteText(sntp, SntpRecord::szSntpServer, m_strServer);
        marked = true;
    }
    if (m_nZoneIndex != base.nZoneIndex && WriteZone(false)) marked = true;
    if (m_byMode != base.bySntpMode) {
        WriteUInt(sntp, SntpRecord::bySntpMode, m_byMode);
        marked = true;
    }
    if (!marked) return 0;
    if (SetSysCfg(CFG_SNTP, sntp.data(), static_cast<int>(sntp.size()), 0) != 1)
        ormidon::ShowMessage(kMsgChangeFailed);
    return 0;
}
