#pragma once
// The "DVR" (camera) page of the DVR family: for each channel its title, picture
// adjustments BR, CT, SU, HU and COV switch (in "DVRLIVE") and its REC switch (in
// "DVRREC"). One channel is edited at a time (CCameraEditDlg); an accepted edit goes into
// the records at once, and the applier sends the changed records.
#include <array>
#include <cstdint>

#include "sheet/PropertyPage.h"

namespace sheet {
class ReportList;
}

class CameraPage : public CPropertyPage {
  public:
    static constexpr int kIdList = 1425;
    static constexpr int kIdEdit = 1068;
    static constexpr std::size_t kChannels = 16;
    static constexpr std::size_t kTitleBytes = 6;

    explicit CameraPage(PageSheet& sheet);

    int Apply() override;
    // Edits the selected channel (the button and the double click alike).
    void OnEdit();

    static QString SwitchText(uint8_t value);

  protected:
    void OnInitDialog() override;

  private:
    QString TitleText(std::size_t channel) const;
    void SetRowTexts(int row);

    sheet::ReportList* m_list = nullptr;
    std::array<std::array<uint8_t, kTitleBytes>, kChannels> m_szTitle{};
    std::array<uint8_t, kChannels> m_byBrightness{};
    std::array<uint8_t, kChannels> m_byContrast{};
    std::array<uint8_t, kChannels> m_bySaturation{};
    std::array<uint8_t, kChannels> m_byHue{};
    std::array<uint8_t, kChannels> m_byCov{};
    std::array<uint8_t, kChannels> m_byRecord{};
    bool m_bLiveChanged = false;
    bool m_bRecordChanged = false;
};
