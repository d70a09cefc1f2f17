#pragma once
// The "Alarm" page: the device's alarm reaction in the "ALARM" section (report method,
// pictures per alarm, duration and, on a P62K, which input feeds which video channel), and
// two local choices of the settings ("Alarm Trigger Record", "Alarm auto switch video"),
// kept in the sheet's local settings. The refresh button clears the current alarm word.
// The applier writes what differs from the baseline and sends the section.
#include <QList>
#include <array>

#include "backup/AlarmSettings.h"
#include "sheet/PropertyPage.h"

class QCheckBox;
class QComboBox;
class QRadioButton;

class AlarmPropertyPage : public CPropertyPage {
  public:
    static constexpr int kIdEnable = 1292;
    static constexpr int kIdDisable = 1293;
    static constexpr int kIdDuration = 1294;
    static constexpr int kIdPostNumber = 1296;
    static constexpr int kIdEmail = 1318;
    static constexpr int kIdFtp = 1319;
    static constexpr int kIdRecordLabel = 1440;
    static constexpr int kIdRecordOn = 1441;
    static constexpr int kIdRecordOff = 1442;
    static constexpr int kIdAutoSwitch = 1461;
    static constexpr int kIdSourceGroup = 1355;
    // Input k (1-4): its "CH1" button kIdFirstSource + 2(k-1), its "CH2" button one above.
    static constexpr int kIdFirstSource = 1478;
    static constexpr int kIdRefresh = 1068;

    explicit AlarmPropertyPage(PageSheet& sheet);

    // ApplyAlarmPages: sends ALARM when a value changed; 4012 when the send failed. 0.
    int Apply() override;
    void UpdateData(bool save) override;

    void OnEnableAlarm();
    void OnDisableAlarm();
    void OnEmail();
    void OnFtp();
    void OnSource(int input, bool toChannel2);

    const AlarmPageValues& Values() const { return m_values; }

  protected:
    void OnInitDialog() override;

  private:
    void ShowMethod();
    void ShowSources();
    void ShowRecord();

    AlarmPageValues m_values;
    QComboBox* m_duration = nullptr;
    QComboBox* m_postNumber = nullptr;
    QRadioButton* m_enable = nullptr;
    QRadioButton* m_disable = nullptr;
    QCheckBox* m_email = nullptr;
    QCheckBox* m_ftp = nullptr;
    QRadioButton* m_recordOn = nullptr;
    QRadioButton* m_recordOff = nullptr;
    QCheckBox* m_autoSwitch = nullptr;
    std::array<QRadioButton*, 8> m_sources{};
};
