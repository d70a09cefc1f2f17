#pragma once
// The "Full List" window: the entries of one recording-list download, filtered by kind with
// four check boxes. "Download" (or a double click on a row) leaves the chosen recording in
// the backup preset and asks the settings sheet to show its Network Backup page.
#include <QDialog>
#include <QString>
#include <cstdint>
#include <vector>

#include "net/SearchList.h"

class QCheckBox;
class CPropertyPage;

namespace sheet {
class ReportList;
}

class CFullListDlg : public QDialog {
  public:
    static constexpr int kIdList = 1458;
    static constexpr int kIdAlarm = 1462;
    static constexpr int kIdManual = 1460;
    static constexpr int kIdMotion = 1463;
    static constexpr int kIdSystem = 1456;
    static constexpr int kIdTimer = 1464;
    static constexpr int kIdDownload = 1068;
    static constexpr int kIdExit = 1;
    static constexpr uint32_t kMsgSelectItem = 4050;

    // `page` is the Search List page, whose sheet gets the request to show the Network
    // Backup page; the entries stay the page's.
    CFullListDlg(CPropertyPage* page, const std::vector<SearchListEntry>& entries,
                 const QString& title, uint8_t hddIndex, uint8_t listType);

    void OnDownload();
    // The entry a shown row stands for; the first entry when the row shows none.
    const SearchListEntry* EntryOfRow(int row) const;
    sheet::ReportList* List() const { return m_list; }

  private:
    void OnFilterClicked(QCheckBox* box, bool& member);
    void Rebuild();
    bool Shows(const SearchListEntry& entry) const;
    void Choose(int row);

    CPropertyPage* m_page;
    const std::vector<SearchListEntry>& m_entries;
    uint8_t m_byHddIndex;
    uint8_t m_byListType;
    sheet::ReportList* m_list = nullptr;
    QCheckBox* m_checkAlarm = nullptr;
    QCheckBox* m_checkManual = nullptr;
    QCheckBox* m_checkMotion = nullptr;
    QCheckBox* m_checkSystem = nullptr;
    QCheckBox* m_checkTimer = nullptr;
    bool m_bShowAlarm = false;
    bool m_bShowManual = false;
    bool m_bShowMotion = false;
    bool m_bShowSystem = false;
    bool m_bShowTimer = false;
    // The entry of each shown row.
    std::vector<std::size_t> m_rowEntries;
};
