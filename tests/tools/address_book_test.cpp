// The address book window over a program folder of the test's own: rows read and written
// back, the row scroll bar, adding, editing, deleting and selecting with their messages,
// files that cannot be used, and the login window filled from the book.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "../support/EngineHarness.h"
#include "../support/TempFolder.h"
#include "core/AppObject.h"
#include "core/IPRecordFile.h"
#include "platform/window/ControlId.h"
#include "platform/window/testing/WindowTesting.h"
#include "tools/CAddressBookDialog.h"
#include "tools/LoginDialog.h"

namespace {

namespace fs = std::filesystem;
using ormidon::FindControl;
using Book = CAddressBookDialog;

IPRecord Row(int i) {
    return {"user" + std::to_string(i), "10.0.0." + std::to_string(i),
            "comment " + std::to_string(i), static_cast<uint16_t>(8000 + i)};
}

std::vector<IPRecord> Rows(int count) {
    std::vector<IPRecord> rows;
    for (int i = 0; i < count; ++i) rows.push_back(Row(i));
    return rows;
}

class AddressBookTest : public ormidon::testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        scope.App().CSettingINI.m_strProgramPath = folder.path().string() + "/";
        file = folder / "IPRecord.dat";
    }

    void Store(const std::vector<IPRecord>& rows) { ASSERT_TRUE(SaveIPRecordFile(file, rows)); }
    std::vector<IPRecord> Stored() { return LoadIPRecordFile(file).rows; }

    // Opens a new window without a modal loop; false when it ended at once.
    bool Open() {
        book = std::make_unique<Book>();
        result.reset();
        QObject::connect(book.get(), &QDialog::finished, [this](int r) { result = r; });
        if (!book->OnInitDialog()) return false;
        book->open();
        return true;
    }
    QListWidget* List(int id) { return FindControl<QListWidget>(book.get(), id); }
    QLineEdit* Edit(int id) { return FindControl<QLineEdit>(book.get(), id); }
    QScrollBar* Bar() { return FindControl<QScrollBar>(book.get(), Book::kIdRowScroll); }
    void Click(int id) { FindControl<QAbstractButton>(book.get(), id)->click(); }
    void Press(QWidget* target, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    }
    // The selected row of each list, in the order user, address, port, comment.
    std::vector<int> SelectedRows() {
        std::vector<int> rows;
        for (int id :
             {Book::kIdUserList, Book::kIdAddressList, Book::kIdPortList, Book::kIdCommentList})
            rows.push_back(List(id)->currentRow());
        return rows;
    }
    void TypeRow(const char* user, const char* address, const char* port, const char* comment) {
        Edit(Book::kIdUserEdit)->setText(user);
        Edit(Book::kIdAddressEdit)->setText(address);
        Edit(Book::kIdPortEdit)->setText(port);
        Edit(Book::kIdCommentEdit)->setText(comment);
    }

    ormidon::test::RecordingMessageBoxes boxes;
    ormidon::test::AppRecordScope scope;
    ormidon::test::TempFolder folder;
    fs::path file;
    std::unique_ptr<Book> book;
    std::optional<int> result;
};

TEST_F(AddressBookTest, RowsAreShownInStepAndTheBarScrollsThemPastTen) {
    Store(Rows(10));
    ASSERT_TRUE(Open());
    EXPECT_EQ(List(Book::kIdUserList)->count(), 10);
    EXPECT_EQ(List(Book::kIdPortList)->item(3)->text(), "8003");
    EXPECT_EQ(SelectedRows(), (std::vector<int>{9, 9, 9, 9}));  // the last row
    EXPECT_FALSE(Bar()->isEnabled());
    book.reset();

    Store(Rows(20));
    ASSERT_TRUE(Open());
    EXPECT_TRUE(Bar()->isEnabled());
    EXPECT_EQ(Bar()->value(), 19);
    struct Step {
        QAbstractSlider::SliderAction action;
        int row;
    };
    for (const Step step : {Step{QAbstractSlider::SliderPageStepSub, 14},
                            Step{QAbstractSlider::SliderSingleStepSub, 13},
                            Step{QAbstractSlider::SliderPageStepAdd, 18},
                            Step{QAbstractSlider::SliderPageStepAdd, 19},
                            Step{QAbstractSlider::SliderToMinimum, 0}}) {
        Bar()->triggerAction(step.action);
        EXPECT_EQ(SelectedRows(), std::vector<int>(4, step.row));
    }
    // A click in one list selects the row in all.
    List(Book::kIdCommentList)->setCurrentRow(7);
    EXPECT_EQ(SelectedRows(), std::vector<int>(4, 7));
    EXPECT_EQ(Bar()->value(), 7);
    ormidon::testing::SaveScreenshot(book.get(), "address-book");
}

TEST_F(AddressBookTest, AddEditDeleteWithTheirChecks) {
    ASSERT_TRUE(Open());  // no file yet: an empty book
    Click(Book::kIdEdit);
    Click(Book::kIdDelete);
    Click(Book::kIdSelect);
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4052, 4052, 4050}));

    struct Typed {
        const char* user;
        const char* address;
        const char* port;
        uint32_t message;  // 0: stored
    };
    const Typed typed[] = {
        {"", "10.1.1.1", "80", 4079},     {"admin", "", "80", 4079},
        {"admin", "10.1.1.1", "0", 4053}, {"admin", "10.1.1.1", "10000", 4053},
        {"admin", "10.1.1.1", "", 4053},  {"admin", "10.1.1.1", "9999", 0},
        {"second", "dvr.local", "1", 0},
    };
    for (const Typed& t : typed) {
        SCOPED_TRACE(std::string(t.user) + "|" + t.address + "|" + t.port);
        Click(Book::kIdAdd);
        EXPECT_TRUE(Edit(Book::kIdUserEdit)->isVisibleTo(book.get()));
        EXPECT_FALSE(
            FindControl<QAbstractButton>(book.get(), Book::kIdAdd)->isVisibleTo(book.get()));
        TypeRow(t.user, t.address, t.port, "note");
        const std::size_t shown = boxes.Ids().size();
        Click(Book::kIdApply);
        // A refused row stays in the edit row as typed.
        EXPECT_EQ(Edit(Book::kIdUserEdit)->isVisibleTo(book.get()), t.message != 0);
        EXPECT_EQ(Edit(Book::kIdUserEdit)->text(), t.message ? t.user : "");
        // A stored row says nothing; a refused one its message.
        if (t.message == 0) {
            EXPECT_EQ(boxes.Ids().size(), shown);
        } else {
            ASSERT_EQ(boxes.Ids().size(), shown + 1);
            EXPECT_EQ(boxes.Ids().back(), t.message);
        }
    }
    ASSERT_EQ(book->m_iUserNumber, 2);
    EXPECT_EQ(SelectedRows(), std::vector<int>(4, 1));  // the new row

    // EDIT fills the edit row from the row and replaces it in place.
    List(Book::kIdUserList)->setCurrentRow(0);
    Click(Book::kIdEdit);
    EXPECT_EQ(Edit(Book::kIdAddressEdit)->text(), "10.1.1.1");
    EXPECT_FALSE(List(Book::kIdUserList)->isEnabled());
    Edit(Book::kIdAddressEdit)->setText("10.2.2.2");
    Press(Edit(Book::kIdAddressEdit), Qt::Key_Return);  // Enter stores the row
    EXPECT_FALSE(result.has_value());
    EXPECT_TRUE(List(Book::kIdUserList)->isEnabled());
    EXPECT_EQ(List(Book::kIdAddressList)->item(0)->text(), "10.2.2.2");
    EXPECT_EQ(List(Book::kIdAddressList)->count(), 2);

    Click(Book::kIdDelete);
    ASSERT_EQ(book->m_iUserNumber, 1);
    EXPECT_EQ(List(Book::kIdUserList)->item(0)->text(), "second");

    // Enter while browsing ends the window with 1, and the rows are written back.
    Press(List(Book::kIdUserList), Qt::Key_Return);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Stored(), (std::vector<IPRecord>{{"second", "dvr.local", "note", 1}}));

    // Deleting the last row leaves an empty file.
    ASSERT_TRUE(Open());
    Click(Book::kIdDelete);
    EXPECT_EQ(List(Book::kIdUserList)->count(), 0);
    book->reject();
    EXPECT_EQ(result, 2);
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(fs::file_size(file), 0u);
}

// Typing a row as the operator does: Tab goes through the edits left to right, a refused
// port keeps the row with the port edit focused, Escape gives a row up, and ADD starts empty.
TEST_F(AddressBookTest, TheEditRowIsTypedInScreenOrderAndARefusedRowIsKept) {
    ASSERT_TRUE(Open());
    book->activateWindow();
    Click(Book::kIdAdd);
    const struct {
        int id;
        const char* text;
    } fields[] = {{Book::kIdUserEdit, "admin"},
                  {Book::kIdAddressEdit, "127.0.0.1"},
                  {Book::kIdPortEdit, "70000"},
                  {Book::kIdCommentEdit, "demo"}};
    for (const auto& field : fields) {
        ASSERT_EQ(book->focusWidget(), Edit(field.id)) << field.text;
        QTest::keyClicks(book->focusWidget(), field.text);
        QTest::keyClick(book->focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(book->focusWidget(), FindControl<QWidget>(book.get(), Book::kIdApply));
    Click(Book::kIdApply);
    EXPECT_EQ(boxes.Ids().back(), 4053u);
    EXPECT_TRUE(Edit(Book::kIdPortEdit)->isVisibleTo(book.get()));
    EXPECT_EQ(book->focusWidget(), Edit(Book::kIdPortEdit));
    for (const auto& field : fields) EXPECT_EQ(Edit(field.id)->text(), field.text);
    EXPECT_EQ(List(Book::kIdUserList)->count(), 0);

    QTest::keyClicks(book->focusWidget(), "8080");  // over the selected port
    Click(Book::kIdApply);
    ASSERT_EQ(List(Book::kIdUserList)->count(), 1);
    EXPECT_EQ(List(Book::kIdPortList)->item(0)->text(), "8080");
    EXPECT_EQ(List(Book::kIdAddressList)->item(0)->text(), "127.0.0.1");

    Click(Book::kIdAdd);
    for (const auto& field : fields) EXPECT_EQ(Edit(field.id)->text(), "");
    QTest::keyClicks(book->focusWidget(), "other");
    QTest::keyClick(book->focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(result.has_value());
    EXPECT_FALSE(Edit(Book::kIdUserEdit)->isVisibleTo(book.get()));
    EXPECT_EQ(List(Book::kIdUserList)->count(), 1);
}

TEST_F(AddressBookTest, SelectHandsTheRowToTheLoginWindow) {
    Store(Rows(3));
    const fs::path previous = fs::current_path();
    fs::current_path(ORMIDON_TEST_SKIN_DIR);  // the login window's buttons
    LoginDialog login;
    login.m_strUserName = "old";
    login.m_strPortText = "80";
    login.open();
    FindControl<QLineEdit>(&login, LoginDialog::kIdPassword)->setText("typed");
    int seen = 0;
    QTimer::singleShot(0, [&] {
        auto* shown = qobject_cast<Book*>(QApplication::activeModalWidget());
        ASSERT_NE(shown, nullptr);
        seen = FindControl<QListWidget>(shown, Book::kIdUserList)->count();
        FindControl<QListWidget>(shown, Book::kIdAddressList)->setCurrentRow(1);
        FindControl<QAbstractButton>(shown, Book::kIdSelect)->click();
    });
    FindControl<QAbstractButton>(&login, LoginDialog::kIdAddressBook)->click();
    fs::current_path(previous);
    EXPECT_EQ(seen, 3);
    EXPECT_EQ(FindControl<QLineEdit>(&login, LoginDialog::kIdUserName)->text(), "user1");
    EXPECT_EQ(FindControl<QLineEdit>(&login, LoginDialog::kIdServerAddress)->text(), "10.0.0.1");
    EXPECT_EQ(FindControl<QLineEdit>(&login, LoginDialog::kIdPort)->text(), "8001");
    EXPECT_EQ(FindControl<QLineEdit>(&login, LoginDialog::kIdPassword)->text(), "typed");
    EXPECT_EQ(Stored(), Rows(3));
    EXPECT_TRUE(boxes.Ids().empty());
}

TEST_F(AddressBookTest, ADamagedFileIsMovedAsideUnchangedAndNothingWritten) {
    std::string bytes = ormidon::test::ReadFile((Store(Rows(3)), file));
    bytes[400 + 132] = 0;  // record 2's address check word
    ormidon::test::WriteFile(file, bytes);
    EXPECT_EQ(Book().DoModal(), -1);
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_NE(boxes.Texts()[0].find(file.string()), std::string::npos);
    EXPECT_NE(boxes.Texts()[0].find("record 2"), std::string::npos);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(ormidon::test::ReadFile(folder / "IPRecord.dat.bad"), bytes);

    // A file that cannot be opened at all.
    fs::create_directory(file);
    EXPECT_EQ(Book().DoModal(), -1);
    EXPECT_EQ(boxes.Texts().size(), 2u);
    EXPECT_TRUE(fs::is_directory(file));
}

TEST_F(AddressBookTest, APartialTailIsKeptAsideBeforeTheRewriteDropsIt) {
    Store(Rows(2));
    const std::string bytes = ormidon::test::ReadFile(file) + std::string(200, 'x');
    ormidon::test::WriteFile(file, bytes);
    ASSERT_TRUE(Open());
    EXPECT_EQ(List(Book::kIdUserList)->count(), 2);
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_NE(boxes.Texts()[0].find("200 bytes"), std::string::npos);
    EXPECT_EQ(ormidon::test::ReadFile(folder / "IPRecord.dat.bad"), bytes);
    book.reset();
    EXPECT_EQ(fs::file_size(file), 800u);
}

TEST_F(AddressBookTest, AFailedSaveSaysSoAndKeepsWhatIsThere) {
    ASSERT_TRUE(Open());
    Click(Book::kIdAdd);
    TypeRow("admin", "10.1.1.1", "80", "");
    Click(Book::kIdApply);
    fs::create_directories(file / "in-the-way");
    book->reject();
    EXPECT_EQ(result, 2);
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_NE(boxes.Texts()[0].find("could not be saved"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(file / "in-the-way"));
}

}  // namespace
