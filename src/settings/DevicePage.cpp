#include "settings/DevicePage.h"

#include <QPushButton>

#include "core/AppObject.h"
#include "core/ConfigRecords.h"
#include "platform/MessageBox.h"
#include "settings/CPTZDeviceEditDlg.h"
#include "settings/DvrChannelPages.h"
#include "settings/MySystemDialog.h"
#include "sheet/PageToolkit.h"

namespace {

constexpr uint32_t kMsgNothingToEdit = 4046;

std::span<uint8_t> Rs485() { return g_lpApp->m_Cfg_RS485; }

}  // namespace

DevicePage::DevicePage(PageSheet& sheet) : CPropertyPage(sheet, PageKind::Device) {}

QString DevicePage::DeviceText(uint8_t device) { return device == 1 ? "PTZ" : "CAMERA"; }

QString DevicePage::ProtocolText(uint8_t protocol) { return protocol == 1 ? "P-D" : "NORMAL"; }

void DevicePage::OnInitDialog() {
    using namespace sheet;
    using dvrpages::ResourceText;
    m_list = new ReportList(this, kIdList,
                            {{"NO.", Scaled(40)},
                             {ResourceText(8540), Scaled(70)},
                             {ResourceText(8541), Scaled(30)},
                             {ResourceText(8542), Scaled(80)},
                             {ResourceText(8543), Scaled(50)}},
                            Scaled(QRect(10, 10, 300, 250)));
    QPushButton* edit = MakeButton(this, kIdEdit, "Edit", Scaled(QRect(320, 10, 60, 24)));
    connect(edit, &QPushButton::clicked, this, [this] { OnEdit(false); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { OnEdit(true); });

    const std::span<const uint8_t> rs485 = Rs485();
    for (std::size_t i = 0; i < kChannels; ++i) {
        m_byId[i] = static_cast<uint8_t>(ReadUInt(rs485, Rs485Record::byPtzId, i));
        m_byDevice[i] = static_cast<uint8_t>(ReadUInt(rs485, Rs485Record::byPtzDevice, i));
        m_byProtocol[i] = static_cast<uint8_t>(ReadUInt(rs485, Rs485Record::byPtzProtocol, i));
        m_dwBaudRate[i] = ReadUInt(rs485, Rs485Record::dwPtzBaudRate, i);
    }
    const int count = dvrpages::ChannelCount();
    for (int row = 0; row < count; ++row) {
        m_list->AddRow({dvrpages::RowNumberText(row + 1)});
        SetRowTexts(row);
    }
}

void DevicePage::SetRowTexts(int row) {
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (item == nullptr) return;
    const auto i = static_cast<std::size_t>(row);
    item->setText(1, DeviceText(m_byDevice[i]));
    item->setText(2, QString::number(m_byId[i]));
    item->setText(3, ProtocolText(m_byProtocol[i]));
    item->setText(4, QString::number(m_dwBaudRate[i]));
}

void DevicePage::OnEdit(bool silent) {
    if (m_list == nullptr) return;
    const int row = m_list->SelectedRow();
    if (row < 0 || row >= static_cast<int>(kChannels)) {
        if (!silent) ormidon::ShowMessage(kMsgNothingToEdit);
        return;
    }
    const auto n = static_cast<std::size_t>(row);
    CPTZDeviceEditDlg dialog(this);
    dialog.m_strNumber = dvrpages::RowNumberText(row + 1);
    dialog.m_nDevice = m_byDevice[n];
    dialog.m_nProtocol = m_byProtocol[n];
    dialog.m_nId = m_byId[n];
    dialog.m_nRate = CPTZDeviceEditDlg::IndexOfBaudRate(m_dwBaudRate[n]);
    if (sheet::RunChildDialog(dialog) != QDialog::Accepted) return;

    if (dialog.m_nId != m_byId[n]) {
        m_byId[n] = static_cast<uint8_t>(dialog.m_nId);
        m_bChanged = true;
    }
    // A list left without a choice (a stored value the list does not know) keeps the value.
    if (dialog.m_nDevice >= 0 && dialog.m_nDevice != m_byDevice[n]) {
        m_byDevice[n] = static_cast<uint8_t>(dialog.m_nDevice);
        m_bChanged = true;
    }
    if (dialog.m_nProtocol >= 0 && dialog.m_nProtocol != m_byProtocol[n]) {
        m_byProtocol[n] = static_cast<uint8_t>(dialog.m_nProtocol);
        m_bChanged = true;
    }
    if (dialog.m_nRate >= 0 &&
        dialog.m_nRate < static_cast<int>(std::size(CPTZDeviceEditDlg::kBaudRates))) {
        const uint32_t rate = CPTZDeviceEditDlg::kBaudRates[dialog.m_nRate];
        if (rate != m_dwBaudRate[n]) {
            m_dwBaudRate[n] = rate;
            m_bChanged = true;
        }
    }
    if (m_bChanged) SetRowTexts(row);
}

int DevicePage::Apply() {
    PageSheet& sheet = Sheet();
    sheet.m_bDeviceListChanged = false;
    if (HasWindow() && m_bChanged) {
        const std::span<uint8_t> rs485 = Rs485();
        for (std::size_t i = 0; i < kChannels; ++i) {
            WriteUInt(rs485, Rs485Record::byPtzDevice, m_byDevice[i], i);
            WriteUInt(rs485, Rs485Record::byPtzId, m_byId[i], i);
            WriteUInt(rs485, Rs485Record::byPtzProtocol, m_byProtocol[i], i);
            WriteUInt(rs485, Rs485Record::dwPtzBaudRate, m_dwBaudRate[i], i);
        }
        sheet.m_bDeviceListChanged = true;
    }
    if (!sheet.m_bDeviceListChanged) return 1;
    return dvrpages::SendSection(CFG_RS485) ? 1 : 0;
}
