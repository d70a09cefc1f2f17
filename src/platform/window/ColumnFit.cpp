#include "platform/window/ColumnFit.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QStyleOptionViewItem>
#include <algorithm>

namespace ormidon {

namespace {

// Depth of `index` below the root: 0 for a top-level item.
int Depth(QModelIndex index) {
    int depth = 0;
    for (index = index.parent(); index.isValid(); index = index.parent()) ++depth;
    return depth;
}

// The widest item of `parent`'s rows (and their expanded children) in `column`.
int WidestItem(const QTreeView* view, const QModelIndex& parent, int column) {
    const QAbstractItemModel* model = view->model();
    int widest = 0;
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, column, parent);
        if (view->isRowHidden(row, parent)) continue;
        widest = std::max(widest, ItemWidthForText(view, index));
        const QModelIndex first = model->index(row, 0, parent);
        if (model->hasChildren(first) && view->isExpanded(first)) {
            widest = std::max(widest, WidestItem(view, first, column));
        }
    }
    return widest;
}

}  // namespace

int ItemWidthForText(const QTreeView* view, const QModelIndex& index) {
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.font = view->font();
    option.widget = view;
    int width = view->itemDelegateForIndex(index)->sizeHint(option, index).width();
    if (index.column() == 0) {
        width += view->indentation() * (Depth(index) + (view->rootIsDecorated() ? 1 : 0));
    }
    return width;
}

void FitColumnsToRow(QTreeView* view, const QModelIndex& index) {
    const QAbstractItemModel* model = view->model();
    if (model == nullptr || !index.isValid()) return;
    for (int column = 0; column < model->columnCount(index.parent()); ++column) {
        const int needed = ItemWidthForText(view, index.siblingAtColumn(column));
        if (view->columnWidth(column) < needed) view->setColumnWidth(column, needed);
    }
}

int ColumnWidthForTexts(const QTreeView* view, int column) {
    if (view->model() == nullptr) return 0;
    const int header = view->isHeaderHidden() ? 0 : view->header()->sectionSizeHint(column);
    return std::max(header, WidestItem(view, QModelIndex(), column));
}

void FitColumnsToTexts(QTreeView* view) {
    if (view->model() == nullptr) return;
    for (int column = 0; column < view->model()->columnCount(); ++column) {
        const int needed = ColumnWidthForTexts(view, column);
        if (view->columnWidth(column) < needed) view->setColumnWidth(column, needed);
    }
}

}  // namespace ormidon
