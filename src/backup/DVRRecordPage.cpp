#include "backup/DVRRecordPage.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

#include "backup/DVRDatePage.h"
#include "core/AppObject.h"
#include "core/DeviceIdentity.h"
#include "platform/MessageBox.h"
#include "sheet/PageSheet.h"
#include "sheet/PageToolkit.h"
#include "sheet/SheetHost.h"

namespace {

constexpr uint32_t kMsgReadFailed = 4065;

bool HasDvrCommands() {
    return IsP5xKModel() != 0 &&
           CompareVersion(DVRDatePage::kFirstFirmware, g_lpApp->str_FWVersion.Get()) != 2;
}

// Radio buttons that the page checks itself: no automatic exclusivity, so a value the
// page cannot show leaves both unchecked.
QRadioButton* Radio(QWidget* parent, int id, const QString& text, const QRect& rect) {
    QRadioButton* radio = sheet::MakeRadio(parent, id, text, sheet::Scaled(rect));
    radio->setAutoExclusive(false);
    return radio;
}

}  // namespace

DVRRecordPage::DVRRecordPage(PageSheet& sheet) : CPropertyPage(sheet, PageKind::DVRRecord) {}

void DVRRecordPage::OnInitDialog() {
    using namespace sheet;
    struct Row {
        const char* title;
        int yes, no, ips;
    };
    const Row rows[] = {{"MANUAL RECORD", kIdManualYes, kIdManualNo, kIdManualIps},
                        {"EVENT RECORD", kIdEventYes, kIdEventNo, kIdEventIps},
                        {"TIMER RECORD", kIdTimerYes, kIdTimerNo, kIdTimerIps},
                        {"OVERWRITE", kIdOverwriteYes, kIdOverwriteNo, 0}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const int top = 8 + 42 * static_cast<int>(i);
        MakeGroup(this, 0, rows[i].title, Scaled(QRect(10, top, 360, 38)));
        m_yes[i] = Radio(this, rows[i].yes, "YES", QRect(25, top + 15, 55, 18));
        m_no[i] = Radio(this, rows[i].no, "NO", QRect(85, top + 15, 55, 18));
        if (rows[i].ips != 0) {
            MakeLabel(this, 0, "IPS :", Scaled(QRect(180, top + 15, 40, 18)));
            QComboBox* list =
                MakeCombo(this, rows[i].ips, {}, Scaled(QRect(225, top + 12, 80, 22)));
            (i == 0 ? m_manualIps : i == 1 ? m_eventIps : m_timerIps) = list;
        }
    }
    MakeGroup(this, 0, "RECORD IMG SIZE", Scaled(QRect(10, 176, 360, 38)));
    m_mode[0] = Radio(this, kIdFrame, "FRAME", QRect(25, 191, 70, 18));
    m_mode[1] = Radio(this, kIdField, "FIELD", QRect(105, 191, 70, 18));
    m_mode[2] = Radio(this, kIdCif, "CIF", QRect(185, 191, 70, 18));
    MakeGroup(this, 0, "RECORD QUALITY", Scaled(QRect(10, 218, 175, 42)));
    m_quality = MakeCombo(this, kIdQuality, {"BEST", "HIGH", "NORMAL", "BASIC"},
                          Scaled(QRect(25, 233, 120, 22)));
    MakeGroup(this, 0, "TOTAL IPS SHARE", Scaled(QRect(195, 218, 175, 42)));
    m_fix = Radio(this, kIdFix, "FIX", QRect(210, 236, 60, 18));
    m_group = Radio(this, kIdGroup, "GROUP", QRect(280, 236, 70, 18));
    m_controls = {m_yes[0],  m_no[0],   m_manualIps, m_yes[1], m_no[1], m_eventIps,
                  m_yes[2],  m_no[2],   m_timerIps,  m_yes[3], m_no[3], m_mode[0],
                  m_mode[1], m_mode[2], m_quality,   m_fix,    m_group};

    if (!HasDvrCommands() || GetRecordSetting() == 0) {
        for (QWidget* control : m_controls) control->setEnabled(false);
        if (HasDvrCommands()) ormidon::ShowMessage(kMsgReadFailed);
        return;
    }
    SheetHost* host = Sheet().MainWindowHost();
    m_nChannelClass = ChannelClassOf(host != nullptr ? host->ChannelCount() : 0);
    const uint8_t support = m_form.read.bySupportMode;
    m_mode[0]->setVisible((support & 0x01) != 0);
    m_mode[1]->setVisible((support & 0x02) != 0);
    m_mode[2]->setVisible((support & 0x04) != 0);
    FillIpsLists();
    ShowChoices();
    m_bEnabled = true;

    uint8_t* values[] = {&m_form.manual, &m_form.event, &m_form.timer, &m_form.overwrite};
    for (std::size_t i = 0; i < m_yes.size(); ++i) {
        uint8_t* value = values[i];
        connect(m_yes[i], &QRadioButton::clicked, this, [this, value] {
            *value = 1;
            ShowChoices();
        });
        connect(m_no[i], &QRadioButton::clicked, this, [this, value] {
            *value = 0;
            ShowChoices();
        });
    }
    for (int mode = 0; mode < 3; ++mode)
        connect(m_mode[static_cast<std::size_t>(mode)], &QRadioButton::clicked, this,
                [this, mode] { OnMode(mode); });
    const auto onRate = [this](QComboBox* list, int& index) {
        connect(list, &QComboBox::currentIndexChanged, this, [this, &index](int chosen) {
            if (!m_bFilling && chosen >= 0) index = chosen;
        });
    };
    onRate(m_manualIps, m_form.manualRate);
    onRate(m_eventIps, m_form.eventRate);
    onRate(m_timerIps, m_form.timerRate);
    connect(m_quality, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_bFilling && index >= 0) m_form.quality = QualityCodeOf(index);
    });
    connect(m_fix, &QRadioButton::clicked, this, [this] {
        m_form.recordFix = 1;
        ShowChoices();
    });
    connect(m_group, &QRadioButton::clicked, this, [this] {
        m_form.recordFix = 0;
        ShowChoices();
    });
}

int DVRRecordPage::GetRecordSetting() {
    DvrRecordValues read;
    if (::GetRecordSetting(read) == 0) return 0;
    m_form = DvrRecordForm(read);
    return 1;
}

void DVRRecordPage::FillIpsLists() {
    m_bFilling = true;
    const std::array<int, 4> numbers =
        IpsNumbers(m_nChannelClass, m_form.read.byVideoType, m_form.ListMode());
    for (QComboBox* list : {m_manualIps, m_eventIps, m_timerIps}) {
        list->clear();
        for (int number : numbers) list->addItem(QString::asprintf("%d", number));
    }
    m_bFilling = false;
}

void DVRRecordPage::ShowChoices() {
    m_bFilling = true;
    const uint8_t values[] = {m_form.manual, m_form.event, m_form.timer, m_form.overwrite};
    for (std::size_t i = 0; i < m_yes.size(); ++i) {
        m_yes[i]->setChecked(values[i] != 0);
        m_no[i]->setChecked(values[i] == 0);
    }
    sheet::SetComboIndex(m_manualIps, m_form.manualRate);
    sheet::SetComboIndex(m_eventIps, m_form.eventRate);
    sheet::SetComboIndex(m_timerIps, m_form.timerRate);
    for (std::size_t mode = 0; mode < m_mode.size(); ++mode)
        m_mode[mode]->setChecked(std::size_t{m_form.recMode} == mode);
    sheet::SetComboIndex(m_quality, QualityIndexOf(m_form.quality));
    m_fix->setChecked(m_form.recordFix != 0);
    m_group->setChecked(m_form.recordFix == 0);
    m_fix->setEnabled(m_form.ipsShareEnabled);
    m_group->setEnabled(m_form.ipsShareEnabled);
    m_bFilling = false;
}

void DVRRecordPage::OnMode(int mode) {
    const uint8_t before = m_form.recMode;
    m_form.ChooseMode(mode);
    if (m_form.recMode != before) FillIpsLists();
    ShowChoices();
}

int DVRRecordPage::Apply() {
    if (!HasWindow() || !m_bEnabled) return 1;
    if (SetRecordSetting(m_form) == 0) {
        ormidon::ShowMessage(PageSheet::kMsgChangeFailed);
        return 0;
    }
    return 1;
}
