#pragma once
// CAddressBookDialog, "IP Address Book": the devices the operator logs in to, one row each
// of user name, address, web port and comment, kept in IPRecord.dat in the program folder.
// The rows are read when the window opens and written back whole when it closes. SELECT
// hands the selected row back (result 100); the login window copies it into its edits.
//
// A row refused by OK stays in the edit row as typed, the edit at fault focused; Escape
// gives the row up. ADD starts with an empty edit row.
//
// A file that cannot be read is reported by name and record and moved aside unchanged
// (IPRecord.dat.bad); the window then ends with -1 and writes nothing.
#include <QDialog>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "core/IPRecordFile.h"

class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollBar;

class CAddressBookDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kIdUserList = 1232;
    static constexpr int kIdAddressList = 1233;
    static constexpr int kIdRowScroll = 1234;
    static constexpr int kIdCommentList = 1235;
    static constexpr int kIdPortList = 1242;
    static constexpr int kIdUserEdit = 1238;
    static constexpr int kIdAddressEdit = 1042;
    static constexpr int kIdPortEdit = 1240;
    static constexpr int kIdCommentEdit = 1239;
    static constexpr int kIdApply = 1244;
    static constexpr int kIdAdd = 1118;
    static constexpr int kIdDelete = 1117;
    static constexpr int kIdEdit = 1119;
    static constexpr int kIdSelect = 1029;
    static constexpr int kIdCancel = 1;  // "CANCEL", the default button, ends with 1
    static constexpr int kResultSelected = 100;
    static constexpr int kResultFailed = -1;
    static constexpr int kResultClosed = 2;
    static constexpr int kVisibleRows = 10;

    explicit CAddressBookDialog(QWidget* parent = nullptr);
    ~CAddressBookDialog() override;

    // Reads the file and runs the window: 100 (SELECT), 1 (CANCEL, Enter), 2 (Escape,
    // close), -1 (the file could not be read, or nothing to select).
    int DoModal();

    // Reads the file into the lists; false when the window must end with -1 at once.
    bool OnInitDialog();

    // The row chosen by SELECT.
    std::string m_strUser;
    std::string m_strAddress;
    std::string m_strComment;
    std::string m_strMajorPort;
    int m_iMajorPort = 0;

    int m_iUserNumber = 0;
    int m_iSelected = -1;
    int m_fAddMode = 0;  // 1 add, 2 edit
    bool m_fEditRowShown = false;

    void done(int result) override;
    // Escape and the window manager's close end the window with 2.
    void reject() override { done(kResultClosed); }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void OnSelchangeList(int list);
    void OnVScroll(int position);
    void OnAdd();
    void OnEditButton();
    void OnApply();
    void OnDelete();
    void OnSelect();

    void AppendRow(const IPRecord& row);
    // Scroll range and bar after the row count changed; selects `row` in every list.
    void ShowRowCount(int row);
    void SelectRow(int row);
    int SelectedRow() const;
    void ShowEditRow(bool shown);
    void SetListsEnabled(bool enabled);
    // The edit row's texts; false (after the message, with the edit at fault) when they
    // cannot be stored.
    bool ReadEditRow(IPRecord& row, QLineEdit*& fault);
    void SaveRows();

    std::filesystem::path m_RecordFile;
    // Whether the rows go back to the file when the window closes.
    bool m_fWriteBack = false;
    bool m_fClosed = false;
    bool m_fSyncing = false;

    std::vector<IPRecord> m_Rows;
    std::array<QListWidget*, 4> m_Lists;  // user, address, port, comment
    QScrollBar* m_sbRows;
    std::array<QLineEdit*, 4> m_Edits;  // user, address, port, comment
    QPushButton* m_btnApply;
    std::array<QPushButton*, 5> m_Buttons;  // ADD, DELETE, EDIT, SELECT, CANCEL
};
