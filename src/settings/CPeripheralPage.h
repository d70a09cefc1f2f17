#pragma once
// The "Peripheral" page: the two serial devices of a P62K (section "PERI"): baud rate, ID
// and model of each. A changed ID or model makes the sheet rebuild the control-device list
// after APPLY; a changed baud rate alone is only sent.
#include <array>
#include <cstdint>

#include "sheet/PropertyPage.h"

class QComboBox;

namespace sheet {
class DigitEdit;
}

class CPeripheralPage : public CPropertyPage {
  public:
    static constexpr int kIdBaud[2] = {1301, 1304};
    static constexpr int kIdId[2] = {1040, 1041};
    static constexpr int kIdModel[2] = {1302, 1303};

    explicit CPeripheralPage(PageSheet& sheet);

    void UpdateData(bool save) override;
    // 1; 0 when PERI could not be sent.
    int Apply() override;

  protected:
    void OnInitDialog() override;

  private:
    std::array<QComboBox*, 2> m_baud{};
    std::array<sheet::DigitEdit*, 2> m_id{};
    std::array<QComboBox*, 2> m_model{};
    std::array<int, 2> m_nBaud{};
    std::array<int, 2> m_nId{};
    std::array<int, 2> m_nModel{};
};
