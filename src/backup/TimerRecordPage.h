#pragma once
// The "Timer Record" page of a P5xK recorder: the seven weekly timer slots of the DVRREC
// record, a day list and a start and an end time each. Below firmware "1058" its controls
// are disabled and it changes nothing. The applier writes the slots into DVRREC and sends
// the record when they differ from those the sheet opened with.
#include <QList>
#include <array>

#include "backup/TimerRecordSlots.h"
#include "sheet/PropertyPage.h"

class QComboBox;
class QDateTimeEdit;

class TimerRecordPage : public CPropertyPage {
  public:
    // Slot i: day list kIdFirstDay + i, start picker kIdFirstTime + 2i, end + 2i + 1.
    static constexpr int kIdFirstDay = 1195;
    static constexpr int kIdFirstTime = 1479;

    explicit TimerRecordPage(PageSheet& sheet);

    // ApplyTimerRecordPage: 1 in every case; a failed send shows 4012.
    int Apply() override;

    bool IsFilled() const { return m_bEnabled; }

  protected:
    void OnInitDialog() override;

  private:
    TimerSlots m_stored;
    TimerChoices m_choices;
    bool m_bEnabled = false;
    std::array<QComboBox*, kTimerSlots> m_days{};
    std::array<QDateTimeEdit*, kTimerSlots> m_starts{};
    std::array<QDateTimeEdit*, kTimerSlots> m_ends{};
};
