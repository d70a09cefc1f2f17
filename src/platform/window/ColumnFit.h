#pragma once
// Widths of list and tree columns that show their texts whole: a column narrower than its
// header text or than one of its items' texts (with the indentation of the first column of
// a tree) is widened to it; wider columns stay as they are.
#include <QTreeView>

namespace ormidon {

// The width column `column` of `view` needs for its header and every item shown.
int ColumnWidthForTexts(const QTreeView* view, int column);

// Widens every column of `view` that is narrower than ColumnWidthForTexts.
void FitColumnsToTexts(QTreeView* view);

// The width the item at `index` needs, indentation included.
int ItemWidthForText(const QTreeView* view, const QModelIndex& index);
// Widens the columns narrower than the items of the row of `index` (a row just added).
void FitColumnsToRow(QTreeView* view, const QModelIndex& index);

}  // namespace ormidon
