#pragma once
// The pages of the settings sheet: which kinds each device family gets, and the factory
// table that makes a page object of each kind (sheet/PageKind.h).
#include <memory>
#include <vector>

#include "sheet/PageKind.h"

class CPropertyPage;
class PageSheet;

// The pages of the connected device's family, in tab order; empty for a device of no family.
std::vector<PageKind> FamilyPages();

// Makes the page object of `kind` for `sheet`: the page class when it is built, else a
// placeholder page that shows its caption.
std::unique_ptr<CPropertyPage> CreateSheetPage(PageKind kind, PageSheet& sheet);
