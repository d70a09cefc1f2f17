// The folder picker over a folder tree of the test's own: the volumes it is given, folders
// read on expansion in name order under their own names, the expand mark of an empty
// folder, the start path opened, and the path handed back.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "../support/TempFolder.h"
#include "platform/window/ControlId.h"
#include "platform/window/testing/WindowTesting.h"
#include "widgets/CDlgGetPath.h"

namespace {

namespace fs = std::filesystem;
using ormidon::FindControl;

QStringList ChildTexts(const QTreeWidgetItem* item) {
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i) texts << item->child(i)->text(0);
    return texts;
}

QTreeWidgetItem* Child(QTreeWidgetItem* item, const QString& text) {
    for (int i = 0; i < item->childCount(); ++i) {
        if (item->child(i)->text(0) == text) return item->child(i);
    }
    return nullptr;
}

class FolderPickerTest : public ormidon::testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        for (const char* folder : {"disk/alpha", "disk/beta/inner", "disk/DATA", "disk/Data",
                                   "disk/empty", "stick/photos"}) {
            fs::create_directories(temp / folder);
        }
        ormidon::test::WriteFile(temp / "disk/file.txt", "not a folder");
        disk = (temp / "disk").string();
        CDlgGetPath::SetVolumeSource([this] {
            return std::vector<ormidon::Volume>{
                {"/", "/", ormidon::Volume::Kind::Root},
                {"disk", disk, ormidon::Volume::Kind::Home},
                {"stick", temp / "stick", ormidon::Volume::Kind::Removable}};
        });
        picker = std::make_unique<CDlgGetPath>();
    }
    void TearDown() override {
        picker.reset();
        CDlgGetPath::SetVolumeSource({});
        CDlgGetPath::SetModalAnswer({});
    }

    // Runs the picker from `start`; once it shows, does `act` with it. The run's result.
    int Run(const std::string& start, const std::function<void(CDlgGetPath&)>& act) {
        picker->SetPath(start);
        QTimer::singleShot(0, picker.get(), [&] { act(*picker); });
        return picker->DoModal();
    }
    void Press(int id) { FindControl<QPushButton>(picker.get(), id)->click(); }
    QTreeWidget* Tree() { return FindControl<QTreeWidget>(picker.get(), CDlgGetPath::kIdTree); }

    ormidon::test::TempFolder temp;
    std::string disk;
    std::unique_ptr<CDlgGetPath> picker;
};

TEST_F(FolderPickerTest, OpensAtTheStartPathWithFoldersInNameOrder) {
    const int result = Run(disk + "/beta/inner", [&](CDlgGetPath& dialog) {
        QTreeWidget* tree = Tree();
        ASSERT_NE(tree, nullptr);
        ASSERT_EQ(tree->topLevelItemCount(), 3);
        EXPECT_EQ(tree->topLevelItem(2)->text(0), "stick");
        QTreeWidgetItem* top = tree->topLevelItem(1);
        EXPECT_TRUE(top->isExpanded());
        // Both spellings, each under its own name; files are no items.
        EXPECT_EQ(ChildTexts(top), (QStringList{"alpha", "beta", "DATA", "Data", "empty"}));
        ASSERT_NE(tree->currentItem(), nullptr);
        EXPECT_EQ(tree->currentItem()->text(0), "inner");
        EXPECT_EQ(tree->currentItem()->parent()->text(0), "beta");
        // Not read yet: an expand mark on every folder.
        QTreeWidgetItem* empty = Child(top, "empty");
        EXPECT_EQ(empty->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
        empty->setExpanded(true);
        EXPECT_EQ(empty->childCount(), 0);
        EXPECT_EQ(empty->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
        EXPECT_EQ(tree->currentItem(), empty);  // expanding selects
        ormidon::testing::SaveScreenshot(&dialog, "folder-picker");

        tree->setCurrentItem(Child(top, "Data"));
        Press(CDlgGetPath::kIdOk);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(picker->GetPath(), disk + "/Data/");
}

TEST_F(FolderPickerTest, LeftAloneTheStartPathComesBackAsGiven) {
    struct Case {
        std::string start;
        const char* selected;  // what the opening selects, or nullptr
    };
    const Case cases[] = {
        {disk + "/alpha", "alpha"},
        {disk + "/beta/missing/deeper", "beta"},  // as far as it exists
        {disk + "/data", "DATA"},                 // no exact spelling: the first folded one
        {"relative/path", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        picker = std::make_unique<CDlgGetPath>();
        QString selected;
        EXPECT_EQ(Run(c.start,
                      [&](CDlgGetPath&) {
                          if (Tree()->currentItem()) selected = Tree()->currentItem()->text(0);
                          Press(CDlgGetPath::kIdOk);
                      }),
                  1);
        EXPECT_EQ(selected, c.selected ? QString(c.selected) : QString());
        EXPECT_EQ(picker->GetPath(), c.start);
    }
}

TEST_F(FolderPickerTest, ARootVolumeAndCancel) {
    EXPECT_EQ(Run(disk,
                  [&](CDlgGetPath&) {
                      Tree()->setCurrentItem(Tree()->topLevelItem(2));
                      picker->reject();  // Escape
                  }),
              2);
    picker = std::make_unique<CDlgGetPath>();
    EXPECT_EQ(Run(disk,
                  [&](CDlgGetPath&) {
                      Tree()->setCurrentItem(Tree()->topLevelItem(0));
                      Press(CDlgGetPath::kIdOk);
                  }),
              1);
    EXPECT_EQ(picker->GetPath(), "/");
}

TEST_F(FolderPickerTest, AnAnswerStandsInForTheOperator) {
    CDlgGetPath::SetModalAnswer([&](CDlgGetPath& dialog) {
        EXPECT_TRUE(dialog.SelectPath((temp / "stick/photos").string()));
        EXPECT_FALSE(dialog.isVisible());
        return 1;
    });
    picker->SetPath(disk);
    EXPECT_EQ(picker->DoModal(), 1);
    EXPECT_EQ(picker->GetPath(), (temp / "stick/photos").string() + "/");
}

}  // namespace
