#include "backup/AlarmPropertyPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "core/AppObject.h"
#include "core/ConfigRecords.h"
#include "core/DeviceIdentity.h"
#include "net/SysConfig.h"
#include "platform/MessageBox.h"
#include "sheet/PageSheet.h"
#include "sheet/PageToolkit.h"

namespace {

// Radio buttons the page checks itself.
QRadioButton* Radio(QWidget* parent, int id, const QString& text, const QRect& rect) {
    QRadioButton* radio = sheet::MakeRadio(parent, id, text, sheet::Scaled(rect));
    radio->setAutoExclusive(false);
    return radio;
}

}  // namespace

AlarmPropertyPage::AlarmPropertyPage(PageSheet& sheet) : CPropertyPage(sheet, PageKind::Alarm) {}

void AlarmPropertyPage::OnInitDialog() {
    using namespace sheet;
    MakeGroup(this, 0, "Alarm Method", Scaled(QRect(10, 8, 360, 48)));
    m_enable = Radio(this, kIdEnable, "Enable", QRect(25, 27, 70, 20));
    m_disable = Radio(this, kIdDisable, "Disable", QRect(100, 27, 70, 20));
    m_email = MakeCheck(this, kIdEmail, "Email", Scaled(QRect(200, 27, 70, 20)));
    m_ftp = MakeCheck(this, kIdFtp, "FTP", Scaled(QRect(280, 27, 70, 20)));
    MakeLabel(this, 0, "Post Number :", Scaled(QRect(15, 68, 100, 20)));
    m_postNumber =
        MakeCombo(this, kIdPostNumber, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"},
                  Scaled(QRect(120, 65, 90, 24)));
    MakeLabel(this, 0, "Alarm Duration :", Scaled(QRect(15, 100, 100, 20)));
    m_duration = MakeCombo(this, kIdDuration, {}, Scaled(QRect(120, 97, 120, 24)));
    QPushButton* refresh =
        MakeButton(this, kIdRefresh, "Alarm\nRefresh", Scaled(QRect(290, 65, 80, 56)));
    QLabel* recordLabel =
        MakeLabel(this, kIdRecordLabel, "Alarm Trigger Record :", Scaled(QRect(15, 132, 140, 20)));
    m_recordOn = Radio(this, kIdRecordOn, "ON", QRect(160, 132, 50, 20));
    m_recordOff = Radio(this, kIdRecordOff, "OFF", QRect(215, 132, 50, 20));
    m_autoSwitch = MakeCheck(this, kIdAutoSwitch, "Auto switch to alarm video",
                             Scaled(QRect(15, 160, 250, 20)));
    QGroupBox* sourceGroup = MakeGroup(this, kIdSourceGroup, "Alarm Video Source Definition",
                                       Scaled(QRect(10, 185, 360, 80)));
    QLabel* ch1 = MakeLabel(this, 1476, "CH1 Source :", Scaled(QRect(20, 208, 85, 20)));
    QLabel* ch2 = MakeLabel(this, 1477, "CH2 Source :", Scaled(QRect(20, 236, 85, 20)));
    const char* captions[] = {"1", "2", "3", "4 (Alarm)"};
    for (int input = 0; input < 4; ++input) {
        const int left = 110 + 62 * input;
        for (int row = 0; row < 2; ++row) {
            m_sources[static_cast<std::size_t>(2 * input + row)] =
                Radio(this, kIdFirstSource + 2 * input + row, captions[input],
                      QRect(left, 208 + 28 * row, input == 3 ? 80 : 55, 20));
        }
    }

    const std::span<const uint8_t> alarm = g_lpApp->m_Cfg_ALARM;
    for (const AlarmDuration& duration : AlarmDurations()) m_duration->addItem(duration.text);
    m_values.nDurationIndex = AlarmDurationIndex(
        static_cast<uint16_t>(ReadUInt(alarm, AlarmRecordLayout::wAlarmDuration)));
    const uint32_t postNumber = ReadUInt(alarm, AlarmRecordLayout::byPostNumber);
    m_values.nPostNumberIndex = postNumber == 0 ? 0 : static_cast<int>(postNumber) - 1;
    m_values.byAlarmMethod =
        static_cast<uint8_t>(ReadUInt(alarm, AlarmRecordLayout::byAlarmMethod));
    m_values.byVideoSource =
        static_cast<uint8_t>(ReadUInt(alarm, AlarmRecordLayout::byVideoSource));
    ShowMethod();

    const bool recordRow = IsP62KModel() != 0 || IsN2xVModel() != 0;
    for (QWidget* control : {static_cast<QWidget*>(recordLabel), static_cast<QWidget*>(m_recordOn),
                             static_cast<QWidget*>(m_recordOff)})
        control->setVisible(recordRow);
    ShowRecord();

    const bool sources = IsP62KModel() != 0;
    for (QWidget* control : {static_cast<QWidget*>(sourceGroup), static_cast<QWidget*>(ch1),
                             static_cast<QWidget*>(ch2)})
        control->setVisible(sources);
    for (QRadioButton* button : m_sources) button->setVisible(sources);
    if (sources) ShowSources();

    SheetLocalSettings& local = Sheet().LocalSettings();
    const bool autoSwitch = IsP5xKModel() != 0 && IsMultiChannel() != 0;
    m_autoSwitch->setVisible(autoSwitch);
    if (autoSwitch) local.byAlarmAutoSwitchVideo = g_lpApp->CSettingINI.m_byAlarmAutoSwitchVideo;
    m_autoSwitch->setChecked(local.byAlarmAutoSwitchVideo != 0);
    UpdateData(false);

    connect(m_enable, &QRadioButton::clicked, this, [this] { OnEnableAlarm(); });
    connect(m_disable, &QRadioButton::clicked, this, [this] { OnDisableAlarm(); });
    connect(m_email, &QCheckBox::clicked, this, [this] { OnEmail(); });
    connect(m_ftp, &QCheckBox::clicked, this, [this] { OnFtp(); });
    connect(m_recordOn, &QRadioButton::clicked, this, [this] {
        Sheet().LocalSettings().byAlarmRecord = 1;
        ShowRecord();
    });
    connect(m_recordOff, &QRadioButton::clicked, this, [this] {
        Sheet().LocalSettings().byAlarmRecord = 0;
        ShowRecord();
    });
    connect(m_autoSwitch, &QCheckBox::clicked, this, [this] {
        uint8_t& value = Sheet().LocalSettings().byAlarmAutoSwitchVideo;
        value = value != 0 ? 0 : 1;
        m_autoSwitch->setChecked(value != 0);
    });
    for (int input = 0; input < 4; ++input)
        for (int row = 0; row < 2; ++row)
            connect(m_sources[static_cast<std::size_t>(2 * input + row)], &QRadioButton::clicked,
                    this, [this, input, row] { OnSource(input + 1, row == 1); });
    connect(refresh, &QPushButton::clicked, this, [] { g_lpApp->m_RTPH_Struct.CheckEvent(); });
}

void AlarmPropertyPage::UpdateData(bool save) {
    if (m_duration == nullptr) return;
    if (save) {
        // A list without a choice keeps the value read.
        if (sheet::ComboIndex(m_duration) >= 0)
            m_values.nDurationIndex = sheet::ComboIndex(m_duration);
        if (sheet::ComboIndex(m_postNumber) >= 0)
            m_values.nPostNumberIndex = sheet::ComboIndex(m_postNumber);
        return;
    }
    sheet::SetComboIndex(m_duration, m_values.nDurationIndex);
    sheet::SetComboIndex(m_postNumber, m_values.nPostNumberIndex);
}

void AlarmPropertyPage::ShowMethod() {
    const uint8_t method = m_values.byAlarmMethod;
    m_enable->setChecked(method != 0);
    m_disable->setChecked(method == 0);
    m_email->setChecked(method == 1 || method == 3);
    m_ftp->setChecked(method == 2 || method == 3);
    m_email->setEnabled(method != 0);
    m_ftp->setEnabled(method != 0);
}

void AlarmPropertyPage::ShowRecord() {
    const uint8_t record = Sheet().LocalSettings().byAlarmRecord;
    m_recordOn->setChecked(record != 0);
    m_recordOff->setChecked(record == 0);
}

void AlarmPropertyPage::ShowSources() {
    for (int input = 0; input < 4; ++input) {
        const bool toChannel2 = (m_values.byVideoSource >> input) & 1;
        m_sources[static_cast<std::size_t>(2 * input)]->setChecked(!toChannel2);
        m_sources[static_cast<std::size_t>(2 * input + 1)]->setChecked(toChannel2);
    }
}

void AlarmPropertyPage::OnEnableAlarm() {
    m_values.byAlarmMethod = 1;
    ShowMethod();
}

void AlarmPropertyPage::OnDisableAlarm() {
    m_values.byAlarmMethod = 0;
    ShowMethod();
}

void AlarmPropertyPage::OnEmail() {
    m_values.byAlarmMethod = AlarmMethodAfterEmail(m_values.byAlarmMethod);
    ShowMethod();
}

void AlarmPropertyPage::OnFtp() {
    m_values.byAlarmMethod = AlarmMethodAfterFtp(m_values.byAlarmMethod);
    ShowMethod();
}

void AlarmPropertyPage::OnSource(int input, bool toChannel2) {
    if (input < 1 || input > 4) return;
    const uint8_t bit = static_cast<uint8_t>(1u << (input - 1));
    m_values.byVideoSource = static_cast<uint8_t>(toChannel2 ? (m_values.byVideoSource | bit)
                                                             : (m_values.byVideoSource & ~bit));
    ShowSources();
}

int AlarmPropertyPage::Apply() {
    if (!HasWindow()) return 0;
    UpdateData(true);
    if (!ApplyAlarmValues(g_lpApp->m_Cfg_ALARM, Sheet().Baseline(), m_values)) return 0;
    if (SetSysCfg(CFG_ALARM, g_lpApp->m_Cfg_ALARM.data(),
                  static_cast<int>(g_lpApp->m_Cfg_ALARM.size()), 0) == 0)
        ormidon::ShowMessage(PageSheet::kMsgChangeFailed);
    return 0;
}
