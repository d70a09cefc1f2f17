#pragma once
// The "Date" page of a P5xK recorder from firmware "1058": the recorder's clock, its date
// format and its daylight-saving rule, read once with "/GetDvrDate.cgi" when the page is
// first shown; the applier sends "/SetDvrDate.cgi" with every value and four change flags
// when one of them is set. The values and what is sent: backup/DvrDateSetting.h.
#include <QList>

#include "backup/DvrDateSetting.h"
#include "sheet/PropertyPage.h"

class QComboBox;
class QDateTimeEdit;
class QRadioButton;

class DVRDatePage : public CPropertyPage {
  public:
    static constexpr int kIdDate = 1480;
    static constexpr int kIdTime = 1481;
    static constexpr int kIdFormat = 1195;
    static constexpr int kIdOn = 1482;
    static constexpr int kIdOff = 1483;
    static constexpr int kIdStartWeek = 1497;
    static constexpr int kIdStartDay = 1504;
    static constexpr int kIdStartMonth = 1505;
    static constexpr int kIdStartTime = 1499;
    static constexpr int kIdEndWeek = 1500;
    static constexpr int kIdEndDay = 1506;
    static constexpr int kIdEndMonth = 1507;
    static constexpr int kIdEndTime = 1502;
    static constexpr int kIdAdjust = 1503;
    // The firmware from which the recorder has the page's commands.
    static constexpr const char* kFirstFirmware = "1058";

    explicit DVRDatePage(PageSheet& sheet);

    // ApplyDVRDatePage: 1 sent or nothing to send, 0 the request failed (4012 shown).
    int Apply() override;
    // 1 read and parsed, 0 the request failed.
    int GetDvrDate();

    bool IsFilled() const { return m_bEnabled; }
    const DvrDateValues& ReadValues() const { return m_read; }
    // The date picker's display format for a FORMAT index.
    static QString DateFormatOf(int format);

  protected:
    void OnInitDialog() override;

  private:
    void Fill();
    void ConnectChoices();
    void SetDaylight(int on);

    DvrDateValues m_read;
    DvrDateChoices m_choices;
    bool m_bEnabled = false;
    QDateTimeEdit* m_date = nullptr;
    QDateTimeEdit* m_time = nullptr;
    QComboBox* m_format = nullptr;
    QRadioButton* m_on = nullptr;
    QRadioButton* m_off = nullptr;
    QComboBox* m_startWeek = nullptr;
    QComboBox* m_startDay = nullptr;
    QComboBox* m_startMonth = nullptr;
    QDateTimeEdit* m_startTime = nullptr;
    QComboBox* m_endWeek = nullptr;
    QComboBox* m_endDay = nullptr;
    QComboBox* m_endMonth = nullptr;
    QDateTimeEdit* m_endTime = nullptr;
    QDateTimeEdit* m_adjust = nullptr;
    QList<QWidget*> m_controls;
};
