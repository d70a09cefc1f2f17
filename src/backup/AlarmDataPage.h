#pragma once
// The "Alarm List" page: the local alarm recordings noted in the alarm database, the path
// of the chosen one, Play (the playback program on that path), Delete and Clear All. It
// works on the one database object g_SystemConfig; after every removal it loads the file
// again, so the list always shows what the file holds. The rules: backup/AlarmDatabaseList.h.
#include <QString>

#include "sheet/PropertyPage.h"

class QPlainTextEdit;

namespace sheet {
class ReportList;
}

class AlarmDataPage : public CPropertyPage {
  public:
    static constexpr int kIdList = 1364;
    static constexpr int kIdPath = 1040;
    static constexpr int kIdPlay = 1367;
    static constexpr int kIdRefresh = 1311;
    static constexpr int kIdDelete = 1068;
    static constexpr int kIdClearAll = 1365;
    static constexpr const char* kReadFailedText = "Read alarm database file is failed";

    explicit AlarmDataPage(PageSheet& sheet);

    // True when the list shows the file, false when the file was rejected (moved aside).
    bool LoadAlarmDatabase();
    void OnClickList();
    void OnDblClkList();
    void OnPlay();
    void OnDelete();
    void OnClearAll();
    void PlayAlarmRecord();

    const QString& PathText() const { return m_strPath; }

  protected:
    void OnInitDialog() override;

  private:
    void FillRows();
    // Shows `row`'s path and selects it; an empty path when there is no such row.
    void SelectRow(int row);
    void ShowPath();

    sheet::ReportList* m_ListCtrl = nullptr;
    QPlainTextEdit* m_editPath = nullptr;
    QString m_strPath;
};
