#pragma once
// The "Detection" page of the DVR family: for each channel its motion detection (DETECT,
// LS, SS, TS, RE and the area, in "DVRLIVE") and its alarm input type (in "ALARM"). One
// channel is edited at a time in CMotionEditDlg, after the recorder was asked to show that
// channel live; an accepted edit goes into the records at once, and the applier sends the
// changed records.
#include <QString>
#include <array>
#include <cstdint>

#include "settings/MotionGrid.h"
#include "sheet/PropertyPage.h"

namespace sheet {
class ReportList;
}

class DetectionPage : public CPropertyPage {
  public:
    static constexpr int kIdList = 1413;
    static constexpr int kIdEdit = 1068;
    static constexpr std::size_t kChannels = 16;

    explicit DetectionPage(PageSheet& sheet);

    int Apply() override;
    // Edits the selected channel; `silent` (the double click) says nothing without one.
    void OnEdit(bool silent = false);

    static QString DetectText(uint8_t value);
    // The ALARM text of a stored value, by the device's capability.
    static QString AlarmText(uint8_t value);

  protected:
    void OnInitDialog() override;

  private:
    void SetRowTexts(int row);
    void ShowChannelLive(int channel);

    sheet::ReportList* m_list = nullptr;
    std::array<uint8_t, kChannels> m_byDetect{};
    std::array<uint8_t, kChannels> m_byLs{};
    std::array<uint8_t, kChannels> m_bySs{};
    std::array<uint8_t, kChannels> m_byTs{};
    std::array<uint8_t, kChannels> m_byRe{};
    std::array<uint8_t, kChannels> m_byAlarm{};
    std::array<motiongrid::Grid, kChannels> m_byArea{};
    bool m_bLiveChanged = false;
    bool m_bAlarmChanged = false;
};
