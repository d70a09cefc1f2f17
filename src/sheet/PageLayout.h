#pragma once
// Where each page of the settings sheet sits in its tree, per device family: twenty rows
// of page caption, parent caption and the caption its frame shows instead of the item text.
#include <QTreeWidgetItem>
#include <array>
#include <cstdint>
#include <optional>

struct PageLayoutRow {
    QTreeWidgetItem* hItem = nullptr;        // this row's item, written while the tree is built
    QTreeWidgetItem* hParentItem = nullptr;  // the parent row's item
    const char* pszPageCaption;
    const char* pszParentCaption;  // nullptr for a top-level node
    uint32_t dwFamilyMask;
    const char* pszFrameCaption;  // nullptr: the item text
};

inline constexpr std::size_t kPageLayoutRows = 20;
using PageLayoutTable = std::array<PageLayoutRow, kPageLayoutRows>;

// The table of the connected device's family (by its product id), none for a device of
// no family. Each sheet keeps its own copy: the rows carry that sheet's items.
std::optional<PageLayoutTable> PageLayoutForDevice();
