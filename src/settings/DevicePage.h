#pragma once
// The "Device" page of the DVR family: for each camera channel the device on its RS-485
// line (camera or PTZ head), its address, protocol and baud rate, kept in "RS485". One
// channel is edited at a time (CPTZDeviceEditDlg) in working arrays; the applier copies
// them into the record, sends it and has the sheet rebuild the control-device list.
#include <QString>
#include <array>
#include <cstdint>

#include "sheet/PropertyPage.h"

namespace sheet {
class ReportList;
}

class DevicePage : public CPropertyPage {
  public:
    static constexpr int kIdList = 1404;
    static constexpr int kIdEdit = 1119;
    static constexpr std::size_t kChannels = 16;

    explicit DevicePage(PageSheet& sheet);

    int Apply() override;

    // Edits the selected channel; `silent` (the double click) says nothing without one.
    void OnEdit(bool silent = false);
    bool IsChanged() const { return m_bChanged; }

    // The list's texts of the stored values.
    static QString DeviceText(uint8_t device);
    static QString ProtocolText(uint8_t protocol);

  protected:
    void OnInitDialog() override;

  private:
    void SetRowTexts(int row);

    sheet::ReportList* m_list = nullptr;
    std::array<uint8_t, kChannels> m_byDevice{};
    std::array<uint8_t, kChannels> m_byId{};
    std::array<uint8_t, kChannels> m_byProtocol{};
    std::array<uint32_t, kChannels> m_dwBaudRate{};
    bool m_bChanged = false;
};
