#pragma once
// The "Online User Info" page: who is logged in to the device (section "ONLINE"), read
// when the sheet opened and again with the refresh button. It sends nothing.
#include <QString>
#include <cstdint>

#include "sheet/PropertyPage.h"

namespace sheet {
class ReportList;
}

class COnlineUserPage : public CPropertyPage {
  public:
    static constexpr int kIdList = 1349;
    static constexpr int kIdRefresh = 1311;
    static constexpr uint32_t kMsgGetConfigError = 4029;

    explicit COnlineUserPage(PageSheet& sheet);

    void OnInfoRefresh();
    int RowCount() const { return m_nRowCount; }
    // The picture size of resolution code `code` (0 full, 1 half, 2 quarter) on the
    // connected device; empty for another code.
    static QString ResolutionText(uint8_t code);

  protected:
    void OnInitDialog() override;

  private:
    void FillRows();

    sheet::ReportList* m_list = nullptr;
    int m_nRowCount = 0;
    bool m_bChannelColumn = false;
};
