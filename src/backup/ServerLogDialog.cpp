#include "backup/ServerLogDialog.h"

#include <QCheckBox>
#include <QHeaderView>
#include <algorithm>

#include "core/StringTable.h"
#include "sheet/PageToolkit.h"

namespace {

QString Text(uint32_t id) {
    const std::string_view text = LoadResourceString(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr int kBoxesPerRow = 3;
constexpr int kBoxWidth = 140;
constexpr int kBoxHeight = 20;

}  // namespace

ServerLogDialog::ServerLogDialog(QWidget* parent, uint32_t initialMask,
                                 std::vector<FilterBox> boxes)
    : QDialog(parent),
      m_boxes(std::move(boxes)),
      m_checked(m_boxes.size(), true),
      m_dwFilterMask(initialMask) {
    setWindowTitle("Server Log");
}

void ServerLogDialog::SetRecords(std::span<const uint8_t> bytes, uint32_t count) {
    m_records = bytes;
    m_dwRecordCount =
        std::min<uint32_t>(count, static_cast<uint32_t>(bytes.size() / kServerLogRecordBytes));
}

bool ServerLogDialog::OnInitDialog() {
    using sheet::Scaled;
    const int listWidth = HasChannelColumn() ? 460 : 420;
    if (HasChannelColumn()) {
        m_list = new sheet::ReportList(
            this, kIdList, {{"NO.", 40}, {Text(8570), 210}, {Text(8571), 150}, {Text(8572), 40}},
            Scaled(QRect(10, 10, listWidth, 260)));
    } else {
        m_list = new sheet::ReportList(this, kIdList,
                                       {{"NO.", 40}, {Text(8570), 210}, {Text(8571), 150}},
                                       Scaled(QRect(10, 10, listWidth, 260)));
    }
    m_list->header()->setDefaultAlignment(Qt::AlignCenter);

    const int boxesTop = 280;
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        const int row = static_cast<int>(i) / kBoxesPerRow;
        const int column = static_cast<int>(i) % kBoxesPerRow;
        QCheckBox* check = sheet::MakeCheck(
            this, m_boxes[i].id, m_boxes[i].caption,
            Scaled(QRect(10 + column * kBoxWidth, boxesTop + row * (kBoxHeight + 4), kBoxWidth - 4,
                         kBoxHeight)));
        check->setChecked(true);
        const int id = m_boxes[i].id;
        connect(check, &QCheckBox::clicked, this, [this, id] { OnFilterClicked(id); });
        m_checks.push_back(check);
    }
    const int rows = (static_cast<int>(m_boxes.size()) + kBoxesPerRow - 1) / kBoxesPerRow;
    const int buttonsTop = boxesTop + rows * (kBoxHeight + 4) + 8;
    AddButtons(buttonsTop);
    setFixedSize(Scaled(listWidth + 20), Scaled(buttonsTop + 24 + 10));
    Fill();
    return true;
}

void ServerLogDialog::OnFilterClicked(int id) {
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        if (m_boxes[i].id != id) continue;
        m_checked[i] = !m_checked[i];
        m_dwFilterMask ^= m_boxes[i].bits;
    }
    Fill();
    for (std::size_t i = 0; i < m_checks.size(); ++i) m_checks[i]->setChecked(m_checked[i]);
}

void ServerLogDialog::Fill() {
    if (m_list == nullptr) return;
    m_list->clear();
    int shown = 0;
    for (uint32_t i = 0; i < m_dwRecordCount; ++i) {
        const ServerLogRecord record = ReadServerLogRecord(m_records, i);
        if ((record.event_id & m_dwFilterMask) == 0 || record.event_id == kHiddenEvent) continue;
        QStringList texts{QString::asprintf("%2d", shown + 1)};
        texts << RowTexts(record);
        const int row = m_list->AddRow(texts);
        if (QTreeWidgetItem* item = m_list->topLevelItem(row)) {
            for (int column = 0; column < m_list->columnCount(); ++column)
                item->setTextAlignment(column, Qt::AlignCenter);
        }
        ++shown;
    }
}

int ServerLogDialog::RowCount() const {
    return m_list != nullptr ? m_list->topLevelItemCount() : 0;
}

QString ServerLogDialog::RowText(int row, int column) const {
    return m_list != nullptr ? m_list->Text(row, column) : QString();
}

QString ServerLogDialog::TimeText(const ServerLogRecord& record) {
    const uint8_t* t = record.event_time;
    return QString::asprintf("%.2d-%.2d-%.2d %.2d:%.2d:%.2d", t[0], t[1], t[2], t[3], t[4], t[5]);
}
