#include "backup/TimerRecordPage.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>

#include "backup/DVRDatePage.h"
#include "core/AppObject.h"
#include "core/DeviceIdentity.h"
#include "net/SysConfig.h"
#include "platform/MessageBox.h"
#include "sheet/PageSheet.h"
#include "sheet/PageToolkit.h"

namespace {

const QDate kAnyDate(2006, 1, 1);

}  // namespace

TimerRecordPage::TimerRecordPage(PageSheet& sheet) : CPropertyPage(sheet, PageKind::TimerRecord) {}

void TimerRecordPage::OnInitDialog() {
    using namespace sheet;
    const QStringList days = {"OFF", "SUN", "MON",     "TUE",     "WED",  "THU",
                              "FRI", "SAT", "MON-FRI", "SAT-SUN", "DAILY"};
    for (std::size_t i = 0; i < kTimerSlots; ++i) {
        const int top = 12 + 34 * static_cast<int>(i);
        const int slot = static_cast<int>(i);
        MakeLabel(this, 0, QString("%1.").arg(slot + 1), Scaled(QRect(15, top + 3, 20, 20)));
        m_days[i] = MakeCombo(this, kIdFirstDay + slot, {}, Scaled(QRect(40, top, 100, 24)));
        m_days[i]->addItems(days);
        m_days[i]->setCurrentIndex(-1);
        m_starts[i] = MakeTimePicker(this, kIdFirstTime + 2 * slot, "HH : mm",
                                     Scaled(QRect(155, top, 85, 24)));
        MakeLabel(this, 0, "-", Scaled(QRect(247, top + 3, 10, 20)));
        m_ends[i] = MakeTimePicker(this, kIdFirstTime + 2 * slot + 1, "HH : mm",
                                   Scaled(QRect(262, top, 85, 24)));
    }
    const bool older = IsP5xKModel() == 0 || CompareVersion(DVRDatePage::kFirstFirmware,
                                                            g_lpApp->str_FWVersion.Get()) == 2;
    if (older) {
        for (std::size_t i = 0; i < kTimerSlots; ++i)
            for (QWidget* control :
                 {static_cast<QWidget*>(m_days[i]), static_cast<QWidget*>(m_starts[i]),
                  static_cast<QWidget*>(m_ends[i])})
                control->setEnabled(false);
        return;
    }
    m_stored = ReadTimerSlots(g_lpApp->m_Cfg_DVRREC);
    const auto show = [](QDateTimeEdit* picker, uint16_t word) {
        if (IsShowableTimerWord(word))
            picker->setDateTime(QDateTime(kAnyDate, QTime(word >> 8, word & 0xFF)));
    };
    for (std::size_t i = 0; i < kTimerSlots; ++i) {
        // A day code past the list shows no choice.
        sheet::SetComboIndex(m_days[i], m_stored.byDay[i]);
        show(m_starts[i], m_stored.wStart[i]);
        show(m_ends[i], m_stored.wEnd[i]);
    }
    // From here on a change of a control is the operator's choice.
    for (std::size_t i = 0; i < kTimerSlots; ++i) {
        connect(m_days[i], &QComboBox::currentIndexChanged, this, [this, i](int index) {
            if (index >= 0) m_choices.day[i] = static_cast<uint8_t>(index);
        });
        connect(m_starts[i], &QDateTimeEdit::timeChanged, this, [this, i](const QTime& t) {
            m_choices.start[i] = TimerWord(t.hour(), t.minute());
        });
        connect(m_ends[i], &QDateTimeEdit::timeChanged, this,
                [this, i](const QTime& t) { m_choices.end[i] = TimerWord(t.hour(), t.minute()); });
    }
    m_bEnabled = true;
}

int TimerRecordPage::Apply() {
    if (!HasWindow() || !m_bEnabled) return 1;
    const TimerSlots chosen = ChosenTimerSlots(m_stored, m_choices);
    if (chosen == BaselineTimerSlots(Sheet().Baseline())) return 1;
    WriteTimerSlots(g_lpApp->m_Cfg_DVRREC, chosen);
    if (SetSysCfg(CFG_DVRREC, g_lpApp->m_Cfg_DVRREC.data(),
                  static_cast<int>(g_lpApp->m_Cfg_DVRREC.size()), 0) == 0)
        ormidon::ShowMessage(PageSheet::kMsgChangeFailed);
    return 1;
}
