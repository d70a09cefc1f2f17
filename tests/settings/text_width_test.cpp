// Texts our layout must not cut: every page name in the sheet's tree and every column title
// and cell of the pages' lists is shown whole, at the display scales 1.0 and 1.5, for each
// family's sheet.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QHeaderView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "../support/SettingsSheetHarness.h"

namespace {

using ormidon::test::SettingsSheetTest;

class TextWidthTest : public SettingsSheetTest {};

// Depth of `item` below the top level.
int Depth(const QTreeWidgetItem* item) {
    int depth = 0;
    for (item = item->parent(); item != nullptr; item = item->parent()) ++depth;
    return depth;
}

// The width a text needs in a cell, measured with the list's font, with the item margins.
int Needed(const QTreeWidget* list, const QString& text) {
    return QFontMetrics(list->font()).horizontalAdvance(text) + 6;
}

TEST_F(TextWidthTest, TreeItemsAndListColumnsShowTheirTextsWhole) {
    for (const double scale : {1.0, 1.5}) {
        for (const char* product : {"P51K", "P62K", "T18D", "N27V"}) {
            SCOPED_TRACE(std::string(product) + " at scale " + std::to_string(scale));
            app.fl_DPIScale = static_cast<float>(scale);
            OpenSheet({.product = product});
            QTreeWidget* tree = sheet->PageTree();
            ASSERT_NE(tree, nullptr);
            for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) {
                const QTreeWidgetItem* item = *it;
                const int needed =
                    tree->indentation() * (Depth(item) + 1) + Needed(tree, item->text(0));
                EXPECT_LE(needed, tree->viewport()->width()) << item->text(0).toStdString();
            }
            if (std::string(product) == "P51K") {
                ormidon::testing::SaveScreenshot(
                    sheet.get(), scale == 1.0 ? "settings-sheet-tree" : "settings-sheet-tree-1.5");
            }
            for (int page = 0; page < sheet->GetPageCount(); ++page) {
                sheet->SetActivePage(page);
                ormidon::testing::ProcessEventsFor(2);
                for (const QTreeWidget* list : sheet->GetPage(page)->findChildren<QTreeWidget*>()) {
                    const QString caption = sheet->GetPage(page)->Caption();
                    for (int column = 0; column < list->columnCount(); ++column) {
                        const QString title = list->headerItem()->text(column);
                        EXPECT_LE(Needed(list, title) + 2, list->columnWidth(column))
                            << caption.toStdString() << ": column " << title.toStdString();
                        for (int row = 0; row < list->topLevelItemCount(); ++row) {
                            const QString text = list->topLevelItem(row)->text(column);
                            EXPECT_LE(Needed(list, text), list->columnWidth(column))
                                << caption.toStdString() << ": " << text.toStdString();
                        }
                    }
                }
            }
            sheet.reset();
        }
    }
}

}  // namespace
