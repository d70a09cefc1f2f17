#include "tools/CAddressBookDialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <algorithm>

#include "core/AppObject.h"
#include "platform/FileAside.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/window/ControlId.h"

namespace {

constexpr uint32_t kStringSelectSetting = 4052;  // "Please select a setting"
constexpr uint32_t kStringEmptyRow = 4079;       // "User name & ip address cant be empty,try again"
constexpr uint32_t kStringPortRange =
    4053;  // "Port number can't be out of range 1 ~ 9999,try again"
constexpr uint32_t kStringSelectItem = 4050;       // "Please select an item"
constexpr uint32_t kStringNothingToSelect = 4037;  // "It couldn't select any data"
constexpr int kMaxPort = 9999;
constexpr int kUserNameLength = 15;
constexpr int kPageRows = 5;

enum Column { kUser, kAddress, kPort, kComment };

// Columns: left and width; the lists, their headers and the edit row share them.
constexpr int kColumnLeft[] = {10, 124, 298, 362};
constexpr int kColumnWidth[] = {110, 170, 60, 150};
constexpr const char* kHeaders[] = {"User", "IP Address", "Port", "Comment"};
constexpr int kListTop = 30;
constexpr int kListHeight = 202;
constexpr int kEditTop = 240;
constexpr int kButtonTop = 282;

std::filesystem::path ProgramFolderPath() {
    if (g_lpApp != nullptr && !g_lpApp->CSettingINI.m_strProgramPath.empty()) {
        return g_lpApp->CSettingINI.m_strProgramPath;
    }
    return ormidon::ProgramFolder();
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

std::string Describe(const std::filesystem::path& file) { return file.string(); }

}  // namespace

CAddressBookDialog::CAddressBookDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("IP Address Book"));
    setFixedSize(540, 322);

    const int listIds[] = {kIdUserList, kIdAddressList, kIdPortList, kIdCommentList};
    const int editIds[] = {kIdUserEdit, kIdAddressEdit, kIdPortEdit, kIdCommentEdit};
    for (int column = 0; column < 4; ++column) {
        auto* header = new QLabel(QString::fromLatin1(kHeaders[column]), this);
        header->setGeometry(kColumnLeft[column], 8, kColumnWidth[column], 20);

        auto* list = new QListWidget(this);
        ormidon::SetControlId(list, listIds[column]);
        list->setGeometry(kColumnLeft[column], kListTop, kColumnWidth[column], kListHeight);
        list->setUniformItemSizes(true);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        // The lists move together, by the row scroll bar.
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        connect(list, &QListWidget::currentRowChanged, this, [this, column] {
            if (!m_fSyncing) OnSelchangeList(column);
        });
        m_Lists[column] = list;
        // A wheel turn over one list moves them all.
        connect(list->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int top) {
            for (QListWidget* other : m_Lists) other->verticalScrollBar()->setValue(top);
        });

        auto* edit = new QLineEdit(this);
        ormidon::SetControlId(edit, editIds[column]);
        edit->setGeometry(kColumnLeft[column], kEditTop, kColumnWidth[column], 26);
        edit->setMaxLength(static_cast<int>(kIPRecordTextSize - 1));
        m_Edits[column] = edit;
    }
    m_Edits[kUser]->setMaxLength(kUserNameLength);
    m_Edits[kPort]->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]{0,9}"), m_Edits[kPort]));

    m_sbRows = new QScrollBar(Qt::Vertical, this);
    ormidon::SetControlId(m_sbRows, kIdRowScroll);
    m_sbRows->setGeometry(516, kListTop, 16, kListHeight);
    m_sbRows->setSingleStep(1);
    m_sbRows->setPageStep(kPageRows);
    m_sbRows->setRange(0, 0);
    connect(m_sbRows, &QScrollBar::valueChanged, this, [this](int position) {
        if (!m_fSyncing) OnVScroll(position);
    });

    const auto makeButton = [this](const char* text, int id, int left,
                                   void (CAddressBookDialog::*handler)()) {
        auto* button = new QPushButton(QString::fromLatin1(text), this);
        ormidon::SetControlId(button, id);
        button->setGeometry(left, kButtonTop, 92, 30);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
        return button;
    };
    m_Buttons = {makeButton("ADD", kIdAdd, 10, &CAddressBookDialog::OnAdd),
                 makeButton("DELETE", kIdDelete, 114, &CAddressBookDialog::OnDelete),
                 makeButton("EDIT", kIdEdit, 218, &CAddressBookDialog::OnEditButton),
                 makeButton("SELECT", kIdSelect, 322, &CAddressBookDialog::OnSelect), nullptr};
    m_Buttons[4] = new QPushButton(QStringLiteral("CANCEL"), this);
    ormidon::SetControlId(m_Buttons[4], kIdCancel);
    m_Buttons[4]->setGeometry(426, kButtonTop, 92, 30);
    m_Buttons[4]->setDefault(true);
    connect(m_Buttons[4], &QPushButton::clicked, this, [this] { done(kIdCancel); });
    m_btnApply = makeButton("OK", kIdApply, 426, &CAddressBookDialog::OnApply);
    // Tab goes through the edit row as it is seen, left to right, then to its OK.
    setTabOrder(m_Edits[kUser], m_Edits[kAddress]);
    setTabOrder(m_Edits[kAddress], m_Edits[kPort]);
    setTabOrder(m_Edits[kPort], m_Edits[kComment]);
    setTabOrder(m_Edits[kComment], m_btnApply);
}

CAddressBookDialog::~CAddressBookDialog() { SaveRows(); }

int CAddressBookDialog::DoModal() {
    if (!OnInitDialog()) {
        done(kResultFailed);
        return kResultFailed;
    }
    return exec();
}

bool CAddressBookDialog::OnInitDialog() {
    m_sbRows->setEnabled(false);
    ShowEditRow(false);

    m_RecordFile = ProgramFolderPath() / kIPRecordFileName;
    const std::string name = Describe(m_RecordFile);
    IPRecordBook book = LoadIPRecordFile(m_RecordFile);
    switch (book.status) {
        case IPRecordBook::Status::kOk:
            break;
        case IPRecordBook::Status::kOpenFailed:
            ormidon::ShowMessageText("The address book " + name +
                                     " cannot be opened: " + book.error + ".");
            return false;
        case IPRecordBook::Status::kReadFailed:
        case IPRecordBook::Status::kBadRecord: {
            // Nothing is written back; the file is kept for whoever can mend it.
            std::string text = "The address book " + name + " cannot be read: record " +
                               std::to_string(book.badRecord + 1) +
                               (book.status == IPRecordBook::Status::kBadRecord
                                    ? " is damaged."
                                    : " could not be read (" + book.error + ").");
            const ormidon::AsideResult aside = ormidon::MoveFileAside(m_RecordFile);
            text += aside.path.empty()
                        ? " The file could not be moved aside (" + aside.error +
                              ") and stays as it was."
                        : " The file was moved unchanged to " + aside.path.string() + ".";
            ormidon::ShowMessageText(text);
            return false;
        }
    }

    m_fWriteBack = true;
    if (book.tailBytes != 0) {
        // The next writing drops the partial record, so the file as it was is kept first.
        std::string text = "The address book " + name + " ends in a partial record of " +
                           std::to_string(book.tailBytes) + " bytes, which is not loaded.";
        const ormidon::AsideResult aside = ormidon::CopyFileAside(m_RecordFile);
        if (aside.path.empty()) {
            m_fWriteBack = false;
            text += " A copy could not be kept (" + aside.error +
                    "), so the file will not be rewritten.";
        } else {
            text += " A copy of the file was kept as " + aside.path.string() + ".";
        }
        ormidon::ShowMessageText(text);
    }
    for (const IPRecord& row : book.rows) {
        AppendRow(row);
        ShowRowCount(m_iUserNumber - 1);
    }
    return true;
}

void CAddressBookDialog::AppendRow(const IPRecord& row) {
    m_Rows.push_back(row);
    m_Lists[kUser]->addItem(Text(row.userName));
    m_Lists[kAddress]->addItem(Text(row.address));
    m_Lists[kPort]->addItem(QString::number(row.port));
    m_Lists[kComment]->addItem(Text(row.comment));
    ++m_iUserNumber;
}

void CAddressBookDialog::ShowRowCount(int row) {
    m_fSyncing = true;
    m_sbRows->setRange(0, std::max(0, m_iUserNumber - 1));
    m_sbRows->setValue(row);
    m_fSyncing = false;
    m_sbRows->setEnabled(m_iUserNumber > kVisibleRows);
    SelectRow(row);
}

void CAddressBookDialog::SelectRow(int row) {
    m_fSyncing = true;
    for (QListWidget* list : m_Lists) {
        list->setCurrentRow(row);
        if (QListWidgetItem* item = list->item(row)) list->scrollToItem(item);
    }
    m_fSyncing = false;
}

int CAddressBookDialog::SelectedRow() const {
    const int row = m_Lists[kUser]->currentRow();
    const QListWidgetItem* item = m_Lists[kUser]->item(row);
    return item != nullptr && item->isSelected() ? row : -1;
}

void CAddressBookDialog::OnSelchangeList(int list) {
    m_iSelected = m_Lists[list]->currentRow();
    if (m_iSelected >= 0 && m_iSelected < m_iUserNumber) SelectRow(m_iSelected);
    m_fSyncing = true;
    m_sbRows->setValue(m_iSelected);
    m_fSyncing = false;
    m_sbRows->setEnabled(m_iUserNumber > kVisibleRows);
}

void CAddressBookDialog::OnVScroll(int position) {
    // The bar steps by 1 for a line and 5 for a page and follows the thumb.
    position = std::clamp(position, 0, std::max(0, m_iUserNumber - 1));
    SelectRow(position);
}

void CAddressBookDialog::ShowEditRow(bool shown) {
    for (QLineEdit* edit : m_Edits) edit->setVisible(shown);
    m_btnApply->setVisible(shown);
    for (QPushButton* button : m_Buttons) button->setVisible(!shown);
    m_fEditRowShown = shown;
}

void CAddressBookDialog::SetListsEnabled(bool enabled) {
    for (QListWidget* list : m_Lists) list->setEnabled(enabled);
}

void CAddressBookDialog::OnAdd() {
    m_fAddMode = 1;
    // A new row starts empty: what was typed for the last one is not carried over.
    for (QLineEdit* edit : m_Edits) edit->clear();
    ShowEditRow(true);
    m_Edits[kUser]->setFocus();
}

void CAddressBookDialog::OnEditButton() {
    const int row = SelectedRow();
    if (row < 0) {
        ormidon::ShowMessage(kStringSelectSetting);
        return;
    }
    m_fAddMode = 2;
    const IPRecord& record = m_Rows[static_cast<size_t>(row)];
    m_Edits[kUser]->setText(Text(record.userName));
    m_Edits[kAddress]->setText(Text(record.address));
    m_Edits[kPort]->setText(QString::number(record.port));
    m_Edits[kComment]->setText(Text(record.comment));
    m_iMajorPort = record.port;
    ShowEditRow(true);
    SetListsEnabled(false);
    m_Edits[kUser]->setFocus();
}

bool CAddressBookDialog::ReadEditRow(IPRecord& row, QLineEdit*& fault) {
    row.userName = m_Edits[kUser]->text().toStdString();
    row.address = m_Edits[kAddress]->text().toStdString();
    row.comment = m_Edits[kComment]->text().toStdString();
    bool number = false;
    m_iMajorPort = m_Edits[kPort]->text().toInt(&number);
    if (!number) m_iMajorPort = 0;
    if (row.userName.empty() || row.address.empty()) {
        fault = m_Edits[row.userName.empty() ? kUser : kAddress];
        ormidon::ShowMessage(kStringEmptyRow);
        return false;
    }
    if (m_iMajorPort < 1 || m_iMajorPort > kMaxPort) {
        fault = m_Edits[kPort];
        ormidon::ShowMessage(kStringPortRange);
        return false;
    }
    row.port = static_cast<uint16_t>(m_iMajorPort);
    return true;
}

void CAddressBookDialog::OnApply() {
    if (!m_fEditRowShown) return;
    const bool editing = m_fAddMode == 2;
    const int row = SelectedRow();
    IPRecord record;
    QLineEdit* fault = nullptr;
    if (!ReadEditRow(record, fault)) {
        // The row stays as typed, for the operator to mend the field at fault.
        if (fault != nullptr) {
            fault->setFocus();
            fault->selectAll();
        }
        return;
    }
    ShowEditRow(false);
    SetListsEnabled(true);
    for (QLineEdit* edit : m_Edits) edit->clear();

    if (editing && row >= 0) {
        m_Rows[static_cast<size_t>(row)] = record;
        m_Lists[kUser]->item(row)->setText(Text(record.userName));
        m_Lists[kAddress]->item(row)->setText(Text(record.address));
        m_Lists[kPort]->item(row)->setText(QString::number(record.port));
        m_Lists[kComment]->item(row)->setText(Text(record.comment));
        SelectRow(row);
        return;
    }
    if (editing) return;
    AppendRow(record);
    ShowRowCount(m_iUserNumber - 1);
}

void CAddressBookDialog::OnDelete() {
    const int row = SelectedRow();
    if (row < 0) {
        ormidon::ShowMessage(kStringSelectSetting);
        return;
    }
    m_fSyncing = true;
    m_Rows.erase(m_Rows.begin() + row);
    for (QListWidget* list : m_Lists) delete list->takeItem(row);
    m_fSyncing = false;
    --m_iUserNumber;
    if (m_iUserNumber > 0) {
        ShowRowCount(m_iUserNumber - 1);
    } else {
        m_sbRows->setEnabled(false);
    }
}

void CAddressBookDialog::OnSelect() {
    m_iSelected = SelectedRow();
    if (m_iSelected < 0) {
        ormidon::ShowMessage(kStringSelectItem);
        return;
    }
    if (m_iUserNumber == 0) {
        ormidon::ShowMessage(kStringNothingToSelect);
        done(kResultFailed);
        return;
    }
    const IPRecord& record = m_Rows[static_cast<size_t>(m_iSelected)];
    m_strUser = record.userName;
    m_strAddress = record.address;
    m_strComment = record.comment;
    m_strMajorPort = std::to_string(record.port);
    m_iMajorPort = record.port;
    done(kResultSelected);
}

void CAddressBookDialog::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (event->key() == Qt::Key_Escape && m_fEditRowShown) {
        // Escape gives up the row being typed instead of ending the window.
        ShowEditRow(false);
        SetListsEnabled(true);
        for (QLineEdit* edit : m_Edits) edit->clear();
        return;
    }
    if (enter && m_fEditRowShown) {
        // Enter stores the typed row instead of ending the window and losing it.
        OnApply();
        return;
    }
    if (enter) {
        done(kIdCancel);
        return;
    }
    QDialog::keyPressEvent(event);  // Escape: reject()
}

void CAddressBookDialog::done(int result) {
    SaveRows();
    QDialog::done(result);
}

void CAddressBookDialog::SaveRows() {
    if (!m_fWriteBack || m_fClosed) return;
    m_fClosed = true;
    if (!SaveIPRecordFile(m_RecordFile, m_Rows)) {
        ormidon::ShowMessageText("The address book could not be saved to " +
                                 Describe(m_RecordFile) + ". The file keeps its earlier rows.");
    }
}
