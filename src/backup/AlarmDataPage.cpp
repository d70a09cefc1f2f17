#include "backup/AlarmDataPage.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "backup/AlarmDatabaseList.h"
#include "core/PlaybackProgram.h"
#include "platform/MessageBox.h"
#include "platform/window/ControlId.h"
#include "record/RecordFileAccess.h"
#include "record/SystemConfig.h"
#include "sheet/PageToolkit.h"

namespace {

constexpr uint32_t kMsgNothingToDelete = 4045;
constexpr uint32_t kMsgSelectToDelete = 4086;
constexpr uint32_t kMsgPlayerFailed = 4108;

SystemConfig& Database() { return g_SystemConfig; }

const AlarmDBItem_Struct* EntryOfRow(int row) {
    const int entry = AlarmEntryOfRow(Database(), row);
    return entry < 0 ? nullptr
                     : &Database().m_lpAlarmDBItem_Struct[static_cast<std::size_t>(entry)];
}

}  // namespace

AlarmDataPage::AlarmDataPage(PageSheet& sheet) : CPropertyPage(sheet, PageKind::AlarmList) {}

void AlarmDataPage::OnInitDialog() {
    using namespace sheet;
    m_ListCtrl = new ReportList(this, kIdList,
                                {{"NO.", Scaled(40)},
                                 {"IP Address", Scaled(90)},
                                 {"Time", Scaled(130)},
                                 {"Frame", Scaled(100)}},
                                Scaled(QRect(10, 10, 360, 160)));
    MakeLabel(this, 0, "Path : ", Scaled(QRect(10, 180, 40, 20)));
    m_editPath = new QPlainTextEdit(this);
    ormidon::SetControlId(m_editPath, kIdPath);
    m_editPath->setGeometry(Scaled(QRect(55, 178, 315, 44)));
    m_editPath->setReadOnly(true);
    QPushButton* play = MakeButton(this, kIdPlay, "Play", Scaled(QRect(10, 232, 80, 24)));
    QPushButton* refresh = MakeButton(this, kIdRefresh, "Refresh", Scaled(QRect(100, 232, 80, 24)));
    QPushButton* remove = MakeButton(this, kIdDelete, "Delete", Scaled(QRect(190, 232, 80, 24)));
    QPushButton* clear =
        MakeButton(this, kIdClearAll, "Clear All", Scaled(QRect(280, 232, 80, 24)));
    connect(play, &QPushButton::clicked, this, [this] { OnPlay(); });
    connect(refresh, &QPushButton::clicked, this, [this] { LoadAlarmDatabase(); });
    connect(remove, &QPushButton::clicked, this, [this] { OnDelete(); });
    connect(clear, &QPushButton::clicked, this, [this] { OnClearAll(); });
    connect(m_ListCtrl, &QTreeWidget::itemClicked, this, [this] { OnClickList(); });
    connect(m_ListCtrl, &QTreeWidget::itemDoubleClicked, this, [this] { OnDblClkList(); });
    LoadAlarmDatabase();
}

bool AlarmDataPage::LoadAlarmDatabase() {
    m_ListCtrl->clear();
    const AlarmListLoad load = LoadAlarmList(Database());
    if (load == AlarmListLoad::HeaderUnreadable) ormidon::ShowMessageText(kReadFailedText);
    if (load != AlarmListLoad::Loaded) return false;
    if (Database().m_wAlarmDBCount == 0) return true;
    FillRows();
    SelectRow(0);
    return true;
}

void AlarmDataPage::FillRows() {
    m_ListCtrl->clear();
    for (int row = 0;; ++row) {
        const AlarmDBItem_Struct* item = EntryOfRow(row);
        if (item == nullptr) break;
        m_ListCtrl->AddRow({QString::asprintf("%d", row + 1), QString::fromStdString(item->source),
                            QString::fromStdString(AlarmTimeText(item->date)),
                            QString::asprintf("%lu", static_cast<unsigned long>(item->frames))});
    }
}

void AlarmDataPage::SelectRow(int row) {
    const AlarmDBItem_Struct* item = EntryOfRow(row);
    if (item == nullptr) {
        m_strPath.clear();
    } else {
        m_strPath = QString::fromStdString(AlarmPathText(*item));
        m_ListCtrl->SelectRow(row);
    }
    ShowPath();
}

void AlarmDataPage::ShowPath() { m_editPath->setPlainText(m_strPath); }

void AlarmDataPage::OnClickList() {
    if (Database().m_wAlarmDBCount == 0) return;
    const AlarmDBItem_Struct* item = EntryOfRow(m_ListCtrl->SelectedRow());
    if (item == nullptr) return;
    m_strPath = QString::fromStdString(AlarmPathText(*item));
    ShowPath();
}

void AlarmDataPage::OnDblClkList() {
    if (Database().m_wAlarmDBCount == 0) return;
    const AlarmDBItem_Struct* item = EntryOfRow(m_ListCtrl->SelectedRow());
    if (item == nullptr || !CanOpenRecordFile(item->path)) return;
    m_strPath = QString::fromStdString(item->path);
    PlayAlarmRecord();
    ShowPath();
}

void AlarmDataPage::OnPlay() {
    if (Database().m_wAlarmDBCount == 0) return;
    if (m_strPath.isEmpty() || !CanOpenRecordFile(m_strPath.toStdString())) return;
    PlayAlarmRecord();
}

void AlarmDataPage::PlayAlarmRecord() {
    // The path goes as one argument, blanks and all.
    if (!StartPlaybackProgram({m_strPath.toStdString()})) ormidon::ShowMessage(kMsgPlayerFailed);
}

void AlarmDataPage::OnDelete() {
    if (Database().m_wAlarmDBCount == 0) {
        ormidon::ShowMessage(kMsgNothingToDelete);
        return;
    }
    const int row = m_ListCtrl->SelectedRow();
    if (row < 0 || EntryOfRow(row) == nullptr) {
        ormidon::ShowMessage(kMsgSelectToDelete);
        return;
    }
    // A failed rewrite leaves the file as it was, and the reload shows it so.
    RemoveAlarmRow(Database(), row);
    m_ListCtrl->clear();
    m_strPath.clear();
    if (LoadAlarmList(Database()) == AlarmListLoad::HeaderUnreadable)
        ormidon::ShowMessageText(kReadFailedText);
    FillRows();
    const int left = m_ListCtrl->topLevelItemCount();
    SelectRow(row < left - 1 ? row : 0);
}

void AlarmDataPage::OnClearAll() {
    if (Database().m_wAlarmDBCount == 0) return;
    RemoveAllAlarmRows(Database());
    m_strPath.clear();
    LoadAlarmDatabase();
    ShowPath();
}
