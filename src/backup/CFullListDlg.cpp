#include "backup/CFullListDlg.h"

#include <QCheckBox>
#include <QPushButton>

#include "backup/SearchListPreset.h"
#include "platform/MessageBox.h"
#include "platform/window/WindowMessageTarget.h"
#include "sheet/PageSheet.h"
#include "sheet/PageToolkit.h"
#include "sheet/PropertyPage.h"

CFullListDlg::CFullListDlg(CPropertyPage* page, const std::vector<SearchListEntry>& entries,
                           const QString& title, uint8_t hddIndex, uint8_t listType)
    : QDialog(page, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_page(page),
      m_entries(entries),
      m_byHddIndex(hddIndex),
      m_byListType(listType) {
    using namespace sheet;
    setWindowTitle(title);
    setFixedSize(Scaled(560), Scaled(360));
    m_list = new ReportList(this, kIdList,
                            {{"NO.", Scaled(40)},
                             {"EVENT", Scaled(100)},
                             {"CHANNEL", Scaled(120)},
                             {"TIME", Scaled(250)}},
                            Scaled(QRect(10, 10, 540, 280)));
    m_list->headerItem()->setTextAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 1; column < 4; ++column)
        m_list->headerItem()->setTextAlignment(column, Qt::AlignCenter);
    m_checkAlarm = MakeCheck(this, kIdAlarm, "ALARM", Scaled(QRect(10, 300, 80, 20)));
    m_checkManual = MakeCheck(this, kIdManual, "MANUAL", Scaled(QRect(95, 300, 80, 20)));
    m_checkMotion = MakeCheck(this, kIdMotion, "MOTION", Scaled(QRect(180, 300, 80, 20)));
    m_checkSystem = MakeCheck(this, kIdSystem, "SYSTEM", Scaled(QRect(265, 300, 80, 20)));
    m_checkTimer = MakeCheck(this, kIdTimer, "TIMER", Scaled(QRect(350, 300, 80, 20)));
    auto* download = MakeButton(this, kIdDownload, "Download", Scaled(QRect(380, 325, 80, 26)));
    auto* exit = MakeButton(this, kIdExit, "Exit", Scaled(QRect(470, 325, 80, 26)));
    download->setAutoDefault(false);
    exit->setAutoDefault(false);

    // The timer box is never shown: timer recordings show with all four kinds.
    m_checkTimer->hide();
    m_bShowTimer = false;
    const struct {
        QCheckBox* box;
        bool* member;
        uint8_t listType;  // the list type that shows only this kind
    } filters[] = {
        {m_checkManual, &m_bShowManual, 1},
        {m_checkSystem, &m_bShowSystem, 2},
        {m_checkAlarm, &m_bShowAlarm, 3},
        {m_checkMotion, &m_bShowMotion, 4},
    };
    const bool all = m_byListType == 0 || m_byListType >= kSearchListTypeCount;
    for (const auto& filter : filters) {
        *filter.member = all || m_byListType == filter.listType;
        filter.box->setChecked(*filter.member);
        filter.box->setEnabled(all || m_byListType == filter.listType);
        QCheckBox* box = filter.box;
        bool* member = filter.member;
        connect(box, &QCheckBox::clicked, this,
                [this, box, member] { OnFilterClicked(box, *member); });
    }

    connect(download, &QPushButton::clicked, this, [this] { OnDownload(); });
    connect(exit, &QPushButton::clicked, this, [this] { reject(); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        const int row = m_list->indexOfTopLevelItem(item);
        if (row >= 0) Choose(row);
    });
    Rebuild();
}

bool CFullListDlg::Shows(const SearchListEntry& entry) const {
    switch (SearchListKindOf(entry.Kind())) {
        case SearchListKind::Alarm:
            return m_bShowAlarm;
        case SearchListKind::Motion:
            return m_bShowMotion;
        case SearchListKind::Manual:
            return m_bShowManual;
        case SearchListKind::System:
            return m_bShowSystem;
        case SearchListKind::Timer:
            return m_bShowAlarm && m_bShowMotion && m_bShowManual && m_bShowSystem;
        case SearchListKind::Other:
            break;
    }
    return false;
}

void CFullListDlg::Rebuild() {
    m_list->clear();
    m_rowEntries.clear();
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const SearchListEntry& entry = m_entries[i];
        if (!Shows(entry)) continue;
        const QString number = QString::asprintf("%2d", static_cast<int>(m_rowEntries.size()) + 1);
        const int row = m_list->AddRow({number, QString::fromStdString(SearchListEventText(entry)),
                                        QString::fromStdString(SearchListChannelText(entry)),
                                        QString::fromStdString(SearchListTimeText(entry))});
        if (QTreeWidgetItem* item = m_list->topLevelItem(row)) {
            for (int column = 1; column < 4; ++column)
                item->setTextAlignment(column, Qt::AlignCenter);
        }
        m_rowEntries.push_back(i);
    }
}

void CFullListDlg::OnFilterClicked(QCheckBox* box, bool& member) {
    member = !member;
    Rebuild();
    box->setChecked(member);
}

const SearchListEntry* CFullListDlg::EntryOfRow(int row) const {
    if (m_entries.empty()) return nullptr;
    if (row >= 0 && static_cast<std::size_t>(row) < m_rowEntries.size())
        return &m_entries[m_rowEntries[static_cast<std::size_t>(row)]];
    return &m_entries.front();
}

void CFullListDlg::OnDownload() {
    const int row = m_list->SelectedRow();
    if (row < 0) {
        ormidon::ShowMessage(kMsgSelectItem);
        return;
    }
    Choose(row);
}

void CFullListDlg::Choose(int row) {
    const SearchListEntry* entry = EntryOfRow(row);
    if (entry == nullptr) return;
    g_BackupPreset = BackupPresetOf(*entry, m_byHddIndex);
    if (m_page != nullptr)
        ormidon::WindowMessageTarget::PostTo(m_page->Sheet().Handle(), WM_GOTONETWORKBACKUP, 0, 0);
    done(0);
}
