#pragma once
// The "Record Setting" page of a P5xK recorder from firmware "1058": manual, event and
// timer recording with their rates (IPS), overwriting, the image size, the quality and the
// IPS sharing, read once with "/GetRecordSetting.cgi" when the page is first shown. Once
// filled, every APPLY sends "/SetRecordSetting.cgi" (its IPS-share flag is always set).
// The values, the image-size rules and the request: backup/DvrRecordSetting.h.
#include <QList>
#include <array>

#include "backup/DvrRecordSetting.h"
#include "sheet/PropertyPage.h"

class QComboBox;
class QRadioButton;

class DVRRecordPage : public CPropertyPage {
  public:
    static constexpr int kIdManualYes = 1483;
    static constexpr int kIdManualNo = 1484;
    static constexpr int kIdManualIps = 1195;
    static constexpr int kIdEventYes = 1485;
    static constexpr int kIdEventNo = 1486;
    static constexpr int kIdEventIps = 1198;
    static constexpr int kIdTimerYes = 1487;
    static constexpr int kIdTimerNo = 1488;
    static constexpr int kIdTimerIps = 1197;
    static constexpr int kIdOverwriteYes = 1489;
    static constexpr int kIdOverwriteNo = 1490;
    static constexpr int kIdFrame = 1491;
    static constexpr int kIdField = 1492;
    static constexpr int kIdCif = 1493;
    static constexpr int kIdQuality = 1494;
    static constexpr int kIdFix = 1496;
    static constexpr int kIdGroup = 1497;

    explicit DVRRecordPage(PageSheet& sheet);

    // ApplyDVRRecordPage: 1 sent or nothing to send, 0 the request failed (4012 shown).
    int Apply() override;
    // 1 read and parsed, 0 the request failed.
    int GetRecordSetting();

    bool IsFilled() const { return m_bEnabled; }
    const DvrRecordForm& Form() const { return m_form; }

  protected:
    void OnInitDialog() override;

  private:
    void FillIpsLists();
    void ShowChoices();
    void OnMode(int mode);

    DvrRecordForm m_form;
    bool m_bEnabled = false;
    int m_nChannelClass = 2;
    std::array<QRadioButton*, 4> m_yes{};
    std::array<QRadioButton*, 4> m_no{};
    QComboBox* m_manualIps = nullptr;
    QComboBox* m_eventIps = nullptr;
    QComboBox* m_timerIps = nullptr;
    std::array<QRadioButton*, 3> m_mode{};
    QComboBox* m_quality = nullptr;
    QRadioButton* m_fix = nullptr;
    QRadioButton* m_group = nullptr;
    QList<QWidget*> m_controls;
    bool m_bFilling = false;
};
