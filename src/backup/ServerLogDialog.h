#pragma once
// What the two "Server Log" windows share: the report list of fetched event log records
// ("NO.", "EVENT", "TIME" and a family's extra column) and the filter check boxes, each
// switching its event bits in the filter mask. Rows are numbered from 1 in buffer order
// over the records that pass the filter; 0 and 0xFFFF never do.
#include <QDialog>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <span>
#include <vector>

#include "net/ServerLog.h"

class QCheckBox;
class QPushButton;

namespace sheet {
class ReportList;
}

class ServerLogDialog : public QDialog {
  public:
    static constexpr int kIdList = 1435;
    static constexpr uint32_t kHiddenEvent = 0xFFFF;

    struct FilterBox {
        int id;
        const char* caption;
        uint32_t bits;
    };

    // The fetched records: `count` whole records of `bytes` (not owned; read while the
    // window lives), fewer when the bytes hold fewer.
    void SetRecords(std::span<const uint8_t> bytes, uint32_t count);

    // Builds the list and the boxes and fills the list; true.
    bool OnInitDialog();

    uint32_t FilterMask() const { return m_dwFilterMask; }
    // Toggles a filter box's flag and bits, refills the list, writes the flags back.
    void OnFilterClicked(int id);
    sheet::ReportList* List() const { return m_list; }
    int RowCount() const;
    QString RowText(int row, int column) const;

    // "%.2d-%.2d-%.2d %.2d:%.2d:%.2d" of the six time bytes.
    static QString TimeText(const ServerLogRecord& record);

  protected:
    ServerLogDialog(QWidget* parent, uint32_t initialMask, std::vector<FilterBox> boxes);

    // The texts of one row behind its number.
    virtual QStringList RowTexts(const ServerLogRecord& record) const = 0;
    // The list's extra columns after "NO.", "EVENT", "TIME".
    virtual bool HasChannelColumn() const = 0;
    // Places the family's buttons at the window's bottom edge `top`.
    virtual void AddButtons(int top) = 0;

    void Fill();

  private:
    std::vector<FilterBox> m_boxes;
    std::vector<QCheckBox*> m_checks;
    std::vector<bool> m_checked;
    uint32_t m_dwFilterMask;
    std::span<const uint8_t> m_records;
    uint32_t m_dwRecordCount = 0;
    sheet::ReportList* m_list = nullptr;
};
