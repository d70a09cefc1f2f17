#include "sheet/PropertyPage.h"

#include <QLabel>
#include <QVBoxLayout>

#include "platform/window/ControlId.h"

CPropertyPage::CPropertyPage(PageSheet& sheet, PageKind kind) : m_sheet(sheet), m_kind(kind) {
    setObjectName(Caption());
}

void CPropertyPage::CreatePageWindow() {
    if (m_bHasWindow) return;
    m_bHasWindow = true;
    OnInitDialog();
}

QWidget* CPropertyPage::Control(int id) const { return ormidon::FindControl(this, id); }

void CPlaceholderPage::OnInitDialog() {
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(Caption(), this);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
}
