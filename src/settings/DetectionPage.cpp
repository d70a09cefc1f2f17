#include "settings/DetectionPage.h"

#include <QPushButton>
#include <cstring>

#include "core/AppObject.h"
#include "core/ConfigRecords.h"
#include "core/DeviceIdentity.h"
#include "platform/MessageBox.h"
#include "settings/CMotionEditDlg.h"
#include "settings/DvrChannelPages.h"
#include "settings/MySystemDialog.h"
#include "sheet/PageToolkit.h"
#include "sheet/SheetHost.h"

namespace {

constexpr uint32_t kMsgNothingToEdit = 4046;
constexpr uint32_t kCapabilityNcNo = 0x80;

std::span<uint8_t> Live() { return g_lpApp->m_Cfg_DVRLIVE; }
std::span<uint8_t> Alarm() { return g_lpApp->m_Cfg_ALARM; }

}  // namespace

using dvrpages::Store;

DetectionPage::DetectionPage(PageSheet& sheet) : CPropertyPage(sheet, PageKind::Detection) {}

QString DetectionPage::DetectText(uint8_t value) { return value == 1 ? "ON" : "OFF"; }

QString DetectionPage::AlarmText(uint8_t value) {
    const bool ncNo = HasDeviceCapability(kCapabilityNcNo) != 0;
    switch (value) {
        case 0:
            return ncNo ? "N.O." : "LOW";
        case 1:
            return ncNo ? "N.C." : "HIGH";
        default:
            return "OFF";
    }
}

void DetectionPage::OnInitDialog() {
    using namespace sheet;
    using dvrpages::ResourceText;
    m_list = new ReportList(this, kIdList,
                            {{"NO.", Scaled(35)},
                             {ResourceText(8550), Scaled(60)},
                             {ResourceText(8552), Scaled(30)},
                             {ResourceText(8553), Scaled(30)},
                             {ResourceText(8554), Scaled(30)},
                             {ResourceText(8555), Scaled(30)},
                             {ResourceText(8556), Scaled(60)}},
                            Scaled(QRect(10, 10, 300, 250)));
    QPushButton* edit = MakeButton(this, kIdEdit, "Edit", Scaled(QRect(320, 10, 60, 24)));
    connect(edit, &QPushButton::clicked, this, [this] { OnEdit(false); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { OnEdit(true); });

    const std::span<const uint8_t> live = Live();
    const std::span<const uint8_t> alarm = Alarm();
    for (std::size_t i = 0; i < kChannels; ++i) {
        m_byDetect[i] = static_cast<uint8_t>(ReadUInt(live, DvrLiveRecord::byMotionDetect, i));
        m_byLs[i] = static_cast<uint8_t>(ReadUInt(live, DvrLiveRecord::byMotionLs, i));
        m_bySs[i] = static_cast<uint8_t>(ReadUInt(live, DvrLiveRecord::byMotionSs, i));
        m_byTs[i] = static_cast<uint8_t>(ReadUInt(live, DvrLiveRecord::byMotionTs, i));
        m_byRe[i] = static_cast<uint8_t>(ReadUInt(live, DvrLiveRecord::byMotionRe, i));
        const RecordField area = DvrLiveRecord::byMotionArea.Element(i);
        std::memcpy(m_byArea[i].data(), live.data() + area.offset, motiongrid::kBytes);
        // A type the lists do not know is shown "OFF" but kept as stored.
        m_byAlarm[i] =
            static_cast<uint8_t>(ReadUInt(alarm, AlarmRecordLayout::byAlarmInputType, i));
    }
    const int count = dvrpages::ChannelCount();
    for (int row = 0; row < count; ++row) {
        m_list->AddRow({dvrpages::RowNumberText(row + 1)});
        SetRowTexts(row);
    }
}

void DetectionPage::SetRowTexts(int row) {
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (item == nullptr) return;
    const auto i = static_cast<std::size_t>(row);
    item->setText(1, DetectText(m_byDetect[i]));
    item->setText(2, QString::number(m_byLs[i]));
    item->setText(3, QString::number(m_bySs[i]));
    item->setText(4, QString::number(m_byTs[i]));
    item->setText(5, QString::number(m_byRe[i]));
    item->setText(6, AlarmText(m_byAlarm[i]));
}

void DetectionPage::ShowChannelLive(int channel) {
    SheetHost* host = Sheet().MainWindowHost();
    if (host == nullptr || g_lpApp == nullptr) return;
    if (g_lpApp->C_ControlD.IsCurrentMaster() == 0 || IsP5xKModel() == 0) return;
    if (IsMultiChannel() == 0 || host->CurrentChannel() == 0) {
        host->SendRemoteKey(0, channel);
    } else {
        host->SetChannel(static_cast<uint8_t>(channel + 1));
    }
}

void DetectionPage::OnEdit(bool silent) {
    if (m_list == nullptr) return;
    const int row = m_list->SelectedRow();
    if (row < 0 || row >= static_cast<int>(kChannels)) {
        if (!silent) ormidon::ShowMessage(kMsgNothingToEdit);
        return;
    }
    ShowChannelLive(row);

    const auto n = static_cast<std::size_t>(row);
    CMotionEditDlg dialog(this);
    dialog.m_nAlarm = m_byAlarm[n];
    dialog.m_nDetect = m_byDetect[n];
    dialog.m_strNumber = dvrpages::RowNumberText(row + 1);
    dialog.m_nLs = m_byLs[n];
    dialog.m_nSs = m_bySs[n];
    dialog.m_nTs = m_byTs[n];
    dialog.m_nRe = m_byRe[n];
    dialog.m_byArea = m_byArea[n];
    const int result = sheet::RunChildDialog(dialog);
    dialog.StopPreview();
    if (result != QDialog::Accepted) return;

    // A list left without a choice (a stored value it does not know) keeps the value.
    if (dialog.m_nAlarm >= 0) m_bAlarmChanged |= Store(m_byAlarm[n], dialog.m_nAlarm);
    if (dialog.m_nDetect >= 0) m_bLiveChanged |= Store(m_byDetect[n], dialog.m_nDetect);
    m_bLiveChanged |= Store(m_byLs[n], dialog.m_nLs);
    m_bLiveChanged |= Store(m_bySs[n], dialog.m_nSs);
    m_bLiveChanged |= Store(m_byTs[n], dialog.m_nTs);
    m_bLiveChanged |= Store(m_byRe[n], dialog.m_nRe);
    if (dialog.m_byArea != m_byArea[n]) {
        m_byArea[n] = dialog.m_byArea;
        m_bLiveChanged = true;
    }

    if (m_bLiveChanged) {
        const std::span<uint8_t> live = Live();
        WriteUInt(live, DvrLiveRecord::byMotionDetect, m_byDetect[n], n);
        WriteUInt(live, DvrLiveRecord::byMotionLs, m_byLs[n], n);
        WriteUInt(live, DvrLiveRecord::byMotionSs, m_bySs[n], n);
        WriteUInt(live, DvrLiveRecord::byMotionTs, m_byTs[n], n);
        WriteUInt(live, DvrLiveRecord::byMotionRe, m_byRe[n], n);
        const RecordField area = DvrLiveRecord::byMotionArea.Element(n);
        std::memcpy(live.data() + area.offset, m_byArea[n].data(), motiongrid::kBytes);
    }
    if (m_bAlarmChanged) WriteUInt(Alarm(), AlarmRecordLayout::byAlarmInputType, m_byAlarm[n], n);
    SetRowTexts(row);
}

int DetectionPage::Apply() {
    if (!HasWindow()) return 1;
    if (m_bLiveChanged && !dvrpages::SendSection(CFG_DVRLIVE)) return 0;
    if (m_bAlarmChanged && !dvrpages::SendSection(CFG_ALARM)) return 0;
    return 1;
}
