#include "settings/ToolBoxPropertyPage.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <cstring>

#include "backup/CDVRServerLogDlg.h"
#include "backup/CServerLogDlg.h"
#include "core/AppObject.h"
#include "core/ConfigRecords.h"
#include "core/DeviceIdentity.h"
#include "core/TextHelpers.h"
#include "net/DeviceInfo.h"
#include "net/SysConfig.h"
#include "platform/MessageBox.h"
#include "platform/window/WindowMessageTarget.h"
#include "settings/MySystemDialog.h"
#include "sheet/PageToolkit.h"
#include "sheet/ProgressSlot.h"

namespace {

constexpr int kTurboSteps = 30;

CAppObject& App() { return *g_lpApp; }

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Cut(std::string text, std::size_t chars) {
    if (text.size() > chars) text.resize(chars);
    return text;
}

// The two halves of "Server Log$Cancel".
std::array<QString, 2> ServerLogTexts() {
    std::array<char, kSplitStringSize> first{};
    std::array<char, kSplitStringSize> second{};
    LoadSplitString(ToolBoxPropertyPage::kStringServerLog, first, second);
    return {QString::fromUtf8(first.data()), QString::fromUtf8(second.data())};
}

// P62K before "1007" and the N2xV keep no log the client can read.
bool HasServerLog() {
    if (IsN2xVModel()) return false;
    return !(IsP62KModel() && !FirmwareAtLeast("1007"));
}

bool HasChannelNames() { return IsP62KModel() && FirmwareAtLeast("1010"); }

}  // namespace

ToolBoxPropertyPage::ToolBoxPropertyPage(PageSheet& sheet)
    : CPropertyPage(sheet, PageKind::General) {
    m_target = new ormidon::WindowMessageTarget(
        [this](uint32_t message, ormidon::WParam wParam, ormidon::LParam) {
            if (message == WM_SERVERLOGDONE) OnServerLogDone(wParam);
        },
        this);
    m_owner.hWnd = m_target->Handle();
}

ToolBoxPropertyPage::~ToolBoxPropertyPage() {
    StopThreadSlot(m_fetch, kFetchStopBoundMs, "GetServerLogThread");
}

ormidon::WindowHandle ToolBoxPropertyPage::Handle() const { return m_owner.hWnd; }

QString ToolBoxPropertyPage::FirmwareText(std::string_view version) {
    QStringList parts;
    for (std::size_t i = 0; i < std::min<std::size_t>(version.size(), 4); ++i)
        parts << Latin1(version.substr(i, 1));
    return parts.join('.');
}

QString ToolBoxPropertyPage::MacText(std::string_view mac) {
    QStringList pairs;
    for (std::size_t i = 0; i < std::min<std::size_t>(mac.size(), 12); i += 2)
        pairs << Latin1(mac.substr(i, 2));
    return pairs.join(':');
}

void ToolBoxPropertyPage::OnInitDialog() {
    using namespace sheet;
    MakeLabel(this, 1436, "Firmware Version:", Scaled(QRect(20, 20, 110, 20)));
    m_firmware = MakeLabel(this, kIdFirmware, "0.8.0.0", Scaled(QRect(135, 20, 120, 20)));
    MakeLabel(this, 0, "Mac address :", Scaled(QRect(20, 48, 110, 20)));
    m_mac = MakeLabel(this, kIdMac, "", Scaled(QRect(135, 48, 160, 20)));
    MakeLabel(this, 0, "Turbo step :", Scaled(QRect(20, 78, 110, 20)));
    m_comboTurbo = MakeCombo(this, kIdTurboStep, {}, Scaled(QRect(135, 76, 60, 22)));
    for (int step = 1; step <= kTurboSteps; ++step) m_comboTurbo->addItem(QString::number(step));
    MakeLabel(this, kIdTitleLabel, "Title :", Scaled(QRect(20, 110, 110, 20)));
    m_editTitle = MakeTextEdit(this, kIdTitle, static_cast<int>(SystemRecord::kTitleChars),
                               Scaled(QRect(135, 108, 100, 22)));
    MakeLabel(this, kIdCh1Label, "CH1 Name:", Scaled(QRect(20, 140, 110, 20)));
    m_editCh1 = MakeTextEdit(this, kIdCh1Name, static_cast<int>(Rs485Record::kChannelNameChars),
                             Scaled(QRect(135, 138, 60, 22)));
    MakeLabel(this, kIdCh2Label, "CH2 Name:", Scaled(QRect(20, 170, 110, 20)));
    m_editCh2 = MakeTextEdit(this, kIdCh2Name, static_cast<int>(Rs485Record::kChannelNameChars),
                             Scaled(QRect(135, 168, 60, 22)));
    MakeLabel(this, kIdLogLimitLabel, "MAX LOG LIST :", Scaled(QRect(20, 206, 110, 20)));
    m_editLogLimit = new DigitEdit(this, kIdLogLimit, 4, 0, kMaxLogLimit);
    m_editLogLimit->setGeometry(Scaled(QRect(135, 204, 60, 22)));
    m_btnServerLog =
        MakeButton(this, kIdServerLog, ServerLogTexts()[0], Scaled(QRect(210, 202, 100, 26)));
    connect(m_btnServerLog, &QPushButton::clicked, this, [this] { OnServerLog(); });
    connect(m_editLogLimit, &QLineEdit::textEdited, this, [this] { OnLogLimitEdited(); });

    CAppObject& app = App();
    m_firmware->setText(FirmwareText(app.str_FWVersion.Get()));
    const uint8_t step = app.by_TurboRepeatStep.load();
    SetComboIndex(m_comboTurbo, step >= 1 && step <= kTurboSteps ? step - 1 : -1);
    m_mac->setText(MacText(app.sz_MACAddress.Get()));

    if (!HasServerLog()) {
        for (int id : {kIdServerLog, kIdLogLimitLabel, kIdLogLimit}) Control(id)->hide();
    }
    const auto hideChannelNames = [this] {
        for (int id : {kIdCh1Label, kIdCh2Label, kIdCh1Name, kIdCh2Name}) Control(id)->hide();
    };
    if (!IsP5xKModel() && !IsP62KModel()) {
        for (int id : {kIdTitleLabel, kIdTitle}) Control(id)->hide();
        hideChannelNames();
    } else {
        m_strTitle =
            Cut(ReadText(app.m_Cfg_SYSTEM, SystemRecord::szSystemName), SystemRecord::kTitleChars);
        m_bChannelNames = HasChannelNames();
        if (m_bChannelNames) {
            m_strCh1Name = Cut(ReadText(app.m_Cfg_RS485, Rs485Record::szCh1Name),
                               Rs485Record::kChannelNameChars);
            m_strCh2Name = Cut(ReadText(app.m_Cfg_RS485, Rs485Record::szCh2Name),
                               Rs485Record::kChannelNameChars);
        } else {
            hideChannelNames();
        }
    }
    UpdateData(false);
}

void ToolBoxPropertyPage::UpdateData(bool save) {
    if (m_editLogLimit == nullptr) return;
    if (!save) {
        m_editLogLimit->SetValue(static_cast<uint32_t>(m_owner.nLogLimit.load()));
        m_editTitle->setText(Latin1(m_strTitle));
        m_editCh1->setText(Latin1(m_strCh1Name));
        m_editCh2->setText(Latin1(m_strCh2Name));
        return;
    }
    if (const std::optional<uint32_t> limit = m_editLogLimit->Value())
        m_owner.nLogLimit = static_cast<int>(std::min<uint32_t>(*limit, kMaxLogLimit));
    m_strTitle = m_editTitle->text().toLatin1().toStdString();
    m_strCh1Name = m_editCh1->text().toLatin1().toStdString();
    m_strCh2Name = m_editCh2->text().toLatin1().toStdString();
    // A list without a choice keeps the stored step.
    if (const int index = sheet::ComboIndex(m_comboTurbo); index >= 0)
        Sheet().LocalSettings().nTurboStepIndex = index;
}

void ToolBoxPropertyPage::OnLogLimitEdited() {
    if (const std::optional<uint32_t> limit = m_editLogLimit->Value())
        m_owner.nLogLimit = static_cast<int>(std::min<uint32_t>(*limit, kMaxLogLimit));
}

void ToolBoxPropertyPage::SetButtonText(bool cancel) {
    if (m_btnServerLog != nullptr) m_btnServerLog->setText(ServerLogTexts()[cancel ? 1 : 0]);
}

void ToolBoxPropertyPage::OnServerLog() {
    UpdateData(true);
    if (m_state == FetchState::Idle) {
        StartFetch();
        return;
    }
    SetButtonText(false);
    StopFetch();
    m_state = FetchState::Idle;
    PostProgressCommand(PROGRESS_END);
}

void ToolBoxPropertyPage::StartFetch() {
    StopFetch();
    // The last log is wiped by the fetch itself, so a fetch that cannot start keeps it.
    const bool started = m_fetch.Start([this](std::stop_token stop) {
        std::fill(m_owner.recordBuffer.begin(), m_owner.recordBuffer.end(), uint8_t{0});
        m_owner.nRecordCount = 0;
        GetServerLogThread(m_owner, stop);
    });
    if (!started) {
        // No worker: the page is as before the press.
        ormidon::ShowMessageText(kServerLogNotStarted);
        return;
    }
    SetButtonText(true);
    m_state = FetchState::Fetching;
}

void ToolBoxPropertyPage::StopFetch() {
    StopThreadSlot(m_fetch, kFetchStopBoundMs, "GetServerLogThread");
}

void ToolBoxPropertyPage::OnServerLogDone(ormidon::WParam wParam) {
    if (wParam != kServerLogFetched && wParam != kServerLogEmpty && wParam != kServerLogFailed)
        return;
    // A report of a fetch that was cancelled meanwhile has nothing left to show.
    if (m_state != FetchState::Fetching) return;
    StopFetch();  // it has ended: this joins it
    if (wParam == kServerLogFetched) {
        const std::span<const uint8_t> records(m_owner.recordBuffer);
        const auto count = static_cast<uint32_t>(std::max(0, m_owner.nRecordCount.load()));
        if (IsP5xKModel()) {
            CDVRServerLogDlg window(this);
            window.SetRecords(records, count);
            window.OnInitDialog();
            sheet::RunChildDialog(window);
        } else {
            CServerLogDlg window(this);
            window.SetRecords(records, count);
            window.OnInitDialog();
            sheet::RunChildDialog(window);
        }
    }
    SetButtonText(false);
    m_state = FetchState::Idle;
}

void ToolBoxPropertyPage::OnSheetClose() {
    // Closing the sheet ends a fetch that is under way; hiding it (a minimise) does not.
    if (m_state != FetchState::Fetching) return;
    SetButtonText(false);
    StopFetch();
    m_state = FetchState::Idle;
    PostProgressCommand(PROGRESS_END);
}

int ToolBoxPropertyPage::Apply() {
    if (!HasWindow()) return 1;
    CAppObject& app = App();
    const ApplyBaseline& base = Sheet().Baseline();
    bool system = false;
    bool rs485 = false;
    if (m_strTitle != base.strTitle) {
        WriteText(app.m_Cfg_SYSTEM, SystemRecord::szSystemName, m_strTitle);
        system = true;
    }
    if (m_bChannelNames) {
        // Only a name that was changed is rewritten: the other keeps its stored bytes, also
        // a stored name longer than the page shows.
        const std::string* names[] = {&m_strCh1Name, &m_strCh2Name};
        const RecordField fields[] = {Rs485Record::szCh1Name, Rs485Record::szCh2Name};
        for (std::size_t channel = 0; channel < 2; ++channel) {
            const std::string& name = *names[channel];
            if (name == base.strChannelName[channel]) continue;
            WriteText(app.m_Cfg_RS485, fields[channel],
                      name.size() <= Rs485Record::kChannelNameChars ? name : "");
            rs485 = true;
        }
    }
    bool failed = false;
    if (system) {
        const std::span<const uint8_t> block = app.m_Cfg_SYSTEM;
        if (SetSysCfg(CFG_SYSTEM, block.data(), static_cast<int>(block.size()), 0) == 1) {
            // The live view draws the new name once the device has it.
            app.str_SystemName.Set(m_strTitle);
        } else {
            failed = true;
        }
    }
    if (rs485) {
        const std::span<const uint8_t> block = app.m_Cfg_RS485;
        if (SetSysCfg(CFG_RS485, block.data(), static_cast<int>(block.size()), 0) != 1)
            failed = true;
    }
    if (failed) ormidon::ShowMessage(kMsgChangeFailed);
    return 1;
}
