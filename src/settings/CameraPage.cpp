#include "settings/CameraPage.h"

#include <QPushButton>
#include <algorithm>
#include <cstring>

#include "core/AppObject.h"
#include "core/ConfigRecords.h"
#include "platform/MessageBox.h"
#include "settings/CCameraEditDlg.h"
#include "settings/DvrChannelPages.h"
#include "settings/MySystemDialog.h"
#include "sheet/PageToolkit.h"

namespace {

constexpr uint32_t kMsgNothingToEdit = 4046;

std::span<uint8_t> Live() { return g_lpApp->m_Cfg_DVRLIVE; }
std::span<uint8_t> Rec() { return g_lpApp->m_Cfg_DVRREC; }

}  // namespace

using dvrpages::Store;

CameraPage::CameraPage(PageSheet& sheet) : CPropertyPage(sheet, PageKind::Camera) {}

QString CameraPage::SwitchText(uint8_t value) { return value == 1 ? "YES" : "NO"; }

void CameraPage::OnInitDialog() {
    using namespace sheet;
    using dvrpages::ResourceText;
    m_list = new ReportList(this, kIdList,
                            {{"NO.", Scaled(35)},
                             {ResourceText(8560), Scaled(65)},
                             {ResourceText(8561), Scaled(30)},
                             {ResourceText(8562), Scaled(30)},
                             {ResourceText(8563), Scaled(30)},
                             {ResourceText(8564), Scaled(30)},
                             {ResourceText(8565), Scaled(40)},
                             {ResourceText(8566), Scaled(35)}},
                            Scaled(QRect(10, 10, 315, 250)));
    QPushButton* edit = MakeButton(this, kIdEdit, "Edit", Scaled(QRect(330, 10, 50, 24)));
    connect(edit, &QPushButton::clicked, this, [this] { OnEdit(); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { OnEdit(); });

    const std::span<const uint8_t> live = Live();
    const std::span<const uint8_t> rec = Rec();
    for (std::size_t i = 0; i < kChannels; ++i) {
        const RecordField title = DvrLiveRecord::szTitle.Element(i);
        std::memcpy(m_szTitle[i].data(), live.data() + title.offset, kTitleBytes);
        m_byBrightness[i] = static_cast<uint8_t>(ReadUInt(live, DvrLiveRecord::byBrightness, i));
        m_byContrast[i] = static_cast<uint8_t>(ReadUInt(live, DvrLiveRecord::byContrast, i));
        m_bySaturation[i] = static_cast<uint8_t>(ReadUInt(live, DvrLiveRecord::bySaturation, i));
        m_byHue[i] = static_cast<uint8_t>(ReadUInt(live, DvrLiveRecord::byHue, i));
        m_byCov[i] = static_cast<uint8_t>(ReadUInt(live, DvrLiveRecord::byCov, i));
        m_byRecord[i] = static_cast<uint8_t>(ReadUInt(rec, DvrRecRecord::byRecord, i));
    }
    const int count = dvrpages::ChannelCount();
    for (int row = 0; row < count; ++row) {
        m_list->AddRow({dvrpages::RowNumberText(row + 1)});
        SetRowTexts(row);
    }
}

QString CameraPage::TitleText(std::size_t channel) const {
    // A six-character title fills its bytes without a terminating zero.
    const auto& bytes = m_szTitle[channel];
    const auto end = std::find(bytes.begin(), bytes.end(), uint8_t{0});
    return QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()),
                               static_cast<qsizetype>(end - bytes.begin()));
}

void CameraPage::SetRowTexts(int row) {
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (item == nullptr) return;
    const auto i = static_cast<std::size_t>(row);
    item->setText(1, TitleText(i));
    item->setText(2, QString::number(m_byBrightness[i]));
    item->setText(3, QString::number(m_byContrast[i]));
    item->setText(4, QString::number(m_bySaturation[i]));
    item->setText(5, QString::number(m_byHue[i]));
    item->setText(6, SwitchText(m_byCov[i]));
    item->setText(7, SwitchText(m_byRecord[i]));
}

void CameraPage::OnEdit() {
    if (m_list == nullptr) return;
    const int row = m_list->SelectedRow();
    if (row < 0 || row >= static_cast<int>(kChannels)) {
        ormidon::ShowMessage(kMsgNothingToEdit);
        return;
    }
    const auto n = static_cast<std::size_t>(row);
    CCameraEditDlg dialog(this);
    dialog.m_strNumber = QString::number(row + 1);
    dialog.m_strTitle = TitleText(n);
    dialog.m_nBrightness = m_byBrightness[n];
    dialog.m_nContrast = m_byContrast[n];
    dialog.m_nSaturation = m_bySaturation[n];
    dialog.m_nHue = m_byHue[n];
    dialog.m_nCov = m_byCov[n];
    dialog.m_nRec = m_byRecord[n];
    if (sheet::RunChildDialog(dialog) != QDialog::Accepted) return;

    m_bLiveChanged |= Store(m_byBrightness[n], dialog.m_nBrightness);
    m_bLiveChanged |= Store(m_byContrast[n], dialog.m_nContrast);
    m_bLiveChanged |= Store(m_bySaturation[n], dialog.m_nSaturation);
    m_bLiveChanged |= Store(m_byHue[n], dialog.m_nHue);
    const QString title = dialog.m_strTitle.left(static_cast<int>(kTitleBytes));
    if (title != TitleText(n)) {
        m_szTitle[n].fill(0);
        const QByteArray bytes = title.toLatin1();
        std::copy_n(bytes.begin(), std::min<qsizetype>(bytes.size(), kTitleBytes),
                    m_szTitle[n].begin());
        m_bLiveChanged = true;
    }
    // A list left without a choice (a stored value it does not know) keeps the value.
    if (dialog.m_nCov >= 0) m_bLiveChanged |= Store(m_byCov[n], dialog.m_nCov);
    if (dialog.m_nRec >= 0) m_bRecordChanged |= Store(m_byRecord[n], dialog.m_nRec);
    if (!m_bLiveChanged && !m_bRecordChanged) return;

    const std::span<uint8_t> live = Live();
    const RecordField titleField = DvrLiveRecord::szTitle.Element(n);
    std::memcpy(live.data() + titleField.offset, m_szTitle[n].data(), kTitleBytes);
    WriteUInt(live, DvrLiveRecord::byBrightness, m_byBrightness[n], n);
    WriteUInt(live, DvrLiveRecord::byContrast, m_byContrast[n], n);
    WriteUInt(live, DvrLiveRecord::bySaturation, m_bySaturation[n], n);
    WriteUInt(live, DvrLiveRecord::byHue, m_byHue[n], n);
    WriteUInt(live, DvrLiveRecord::byCov, m_byCov[n], n);
    WriteUInt(Rec(), DvrRecRecord::byRecord, m_byRecord[n], n);
    SetRowTexts(row);
}

int CameraPage::Apply() {
    if (!HasWindow()) return 1;
    if (m_bLiveChanged && !dvrpages::SendSection(CFG_DVRLIVE)) return 0;
    if (m_bRecordChanged && !dvrpages::SendSection(CFG_DVRREC)) return 0;
    return 1;
}
