#include "sheet/TreePropSheet.h"

#include <QFont>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMetaObject>
#include <QPainter>
#include <QPointer>
#include <QShortcut>
#include <QStackedWidget>
#include <QStyle>
#include <QTreeWidget>
#include <algorithm>
#include <functional>
#include <system_error>

#include "core/AppObject.h"
#include "core/DeviceIdentity.h"
#include "platform/window/ColumnFit.h"
#include "platform/window/ControlId.h"
#include "sheet/PageFrame.h"
#include "sheet/PageToolkit.h"
#include "sheet/PropertyPage.h"
#include "sheet/SheetHost.h"

namespace {

// The page area where the framework's tab control would be, before the sheet grows by the
// tree's width and the band below.
constexpr int kPageMargin = 7;
constexpr int kPageAreaWidth = 440;
constexpr int kPageAreaHeight = 340;
constexpr int kExtraHeight = 80;
// The sheet's height is measured as the window the framework made for the pages: below the
// page area the row of its buttons (a 23-pixel button and a margin, growing with the screen's
// scale), around it the window's frame (caption and borders).
constexpr int kButtonRowHeight = 30;
constexpr int kWindowFrameHeight = 26;

// Item data: the page's index, -1 for a node without a page.
constexpr int kPageRole = Qt::UserRole;

// The pane width that shows every item of `tree` whole: the widest item with its
// indentation, the frame and room for a vertical scroll bar.
int TreeWidthForItems(const QTreeWidget* tree) {
    return ormidon::ColumnWidthForTexts(tree, 0) + 2 * tree->frameWidth() +
           tree->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, tree);
}

QColor FromColorRef(uint32_t colorRef) {
    return QColor(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF);
}

// A 3-D frame: top and left edges in one colour, bottom and right in the other.
void Draw3dRect(QPainter& painter, const QRect& rect, const QColor& topLeft,
                const QColor& bottomRight) {
    if (rect.width() <= 0 || rect.height() <= 0) return;
    painter.setPen(topLeft);
    painter.drawLine(rect.left(), rect.top(), rect.right(), rect.top());
    painter.drawLine(rect.left(), rect.top(), rect.left(), rect.bottom());
    painter.setPen(bottomRight);
    painter.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
    painter.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
}

int PageIndexOf(const QTreeWidgetItem* item) {
    return item != nullptr ? item->data(0, kPageRole).toInt() : -1;
}

}  // namespace

SheetPlacement PlaceBesideMainWindow(const QRect& mainWindow, const QSize& sheet,
                                     const QSize& workArea) {
    const int mainRight = mainWindow.x() + mainWindow.width();
    if (mainRight + sheet.width() <= workArea.width())
        return {mainWindow.topLeft(), QPoint(mainRight - 2, mainWindow.y())};
    if (mainWindow.width() + sheet.width() <= workArea.width()) {
        const int x = (workArea.width() - mainWindow.width() - sheet.width()) / 2;
        const int y = (workArea.height() - mainWindow.height()) / 2;
        return {QPoint(x, y), QPoint(x + mainWindow.width() - 2, y)};
    }
    const int x = (workArea.width() - sheet.width()) / 2;
    const int y = std::max(0, (workArea.height() - sheet.height()) / 2);
    return {mainWindow.topLeft(), QPoint(x, y)};
}

QString SplitTreePath(QString& path) {
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = path.indexOf("::", from);
        if (at < 0) {
            QString whole = path;
            path.clear();
            return whole;
        }
        qsizetype backslashes = 0;
        while (at - backslashes - 1 >= 0 && path[at - backslashes - 1] == '\\') ++backslashes;
        if (at > 0 && backslashes % 2 == 1) {
            from = at + 1;
            continue;
        }
        QString first = path.left(at);
        first.replace("\\::", "::");
        first.replace("\\\\", "\\");
        path = path.mid(at + 2);
        return first;
    }
}

CTreePropSheet::CTreePropSheet(const QString& caption, SheetHost* host, int startPage)
    : QDialog(host != nullptr ? host->HostWindow() : nullptr, Qt::Window),
      m_host(host),
      m_nStartPage(startPage) {
    setWindowTitle(caption);
    setModal(false);
}

CTreePropSheet::~CTreePropSheet() { StopProgress(); }

void CTreePropSheet::StopProgress() {
    if (m_ProgressSlot) ClearProgressSlot(m_ProgressSlot.get());
    if (m_hProgressThread) m_hProgressThread->Stop();
    m_hProgressThread.reset();
}

CPageFrame* CTreePropSheet::PageFrame() const { return m_pFrame; }

void CTreePropSheet::AddPage(CPropertyPage* page) {
    if (page != nullptr) m_pages.push_back(page);
}

CPropertyPage* CTreePropSheet::GetPage(int index) const {
    return index >= 0 && index < GetPageCount() ? m_pages[static_cast<std::size_t>(index)]
                                                : nullptr;
}

int CTreePropSheet::GetPageIndex(const CPropertyPage* page) const {
    const auto found = std::find(m_pages.begin(), m_pages.end(), page);
    return found == m_pages.end() ? -1 : static_cast<int>(found - m_pages.begin());
}

int CTreePropSheet::OnInitDialog() {
    if (m_bInitialised) return 1;
    m_bInitialised = true;

    // The tree first: the pane is as wide as its longest item needs (150 at least), so no
    // page name is cut at any scale or font.
    m_pwndPageTree = new QTreeWidget(this);
    m_pwndPageTree->setObjectName("PageTree");
    ormidon::SetControlId(m_pwndPageTree, kTreeControlId);
    m_pwndPageTree->setHeaderHidden(true);
    RefillPageTree();
    m_nTreeWidth = std::max(m_nTreeWidth, TreeWidthForItems(m_pwndPageTree) + 5);

    // T: the page area, in client coordinates, before the sheet grows.
    const QRect pageArea(kPageMargin, kPageMargin, sheet::Scaled(kPageAreaWidth),
                         sheet::Scaled(kPageAreaHeight));
    const int pageBottom = pageArea.y() + pageArea.height();
    // S: the window with its frame, grown by the tree's width and the band below. The
    // window's own size leaves the frame out.
    const QSize sheetSize(pageArea.x() + pageArea.width() + kPageMargin + m_nTreeWidth,
                          pageBottom + kPageMargin + sheet::Scaled(kButtonRowHeight) +
                              kWindowFrameHeight + kExtraHeight);
    setFixedSize(sheetSize.width(), sheetSize.height() - kWindowFrameHeight);

    // The frame, moved right by the tree's width with every other child.
    m_pFrame = new CPageFrameWnd(this);
    ormidon::SetControlId(m_pFrame, kFrameControlId);
    m_pFrame->setGeometry(pageArea.translated(m_nTreeWidth, 0));
    m_pFrame->EnableCaption(true);
    m_pFrame->SetCaptionHeight(fontMetrics().height() + 8);
    m_pageStack = new QStackedWidget(m_pFrame);
    m_pageStack->setGeometry(m_pFrame->GetMessageRect());
    m_noPage = new QWidget(m_pageStack);
    m_pageStack->addWidget(m_noPage);
    m_pageStack->hide();

    // Beside the main window.
    if (m_host != nullptr && m_host->HostWindow() != nullptr) {
        QWidget* main = m_host->HostWindow();
        const QRect mainRect = main->frameGeometry();
        const SheetPlacement place =
            PlaceBesideMainWindow(mainRect, sheetSize, m_host->WorkArea().size());
        if (place.mainWindow != mainRect.topLeft()) main->move(place.mainWindow);
        move(place.sheet);
        m_rcMainWnd = QRect(place.mainWindow, mainRect.size());
    }
    m_rcSheet = QRect(pos(), sheetSize);

    // The tree, and below it the title band; the progress bar under the pages.
    const int scaledBand = sheet::Scaled(28.0);
    const QRect tree(pageArea.x(), pageArea.y(), m_nTreeWidth - 5, pageArea.height() + scaledBand);
    const int treeRight = tree.x() + tree.width();
    const int treeBottom = tree.y() + tree.height();
    m_rcProgress = QRect(QPoint(treeRight + 15, pageBottom + 15),
                         QPoint(sheetSize.width() - 15 - 1, pageBottom + 40 - 1));
    m_rcTitle = QRect(QPoint(tree.x() + 2, treeBottom + 10),
                      QPoint(treeRight - 2 - 1, sheetSize.height() - 40 - 1));

    m_pwndPageTree->setGeometry(tree);
    connect(m_pwndPageTree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
                OnTreeSelection(current, previous);
            });

    auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    next->setContext(Qt::WindowShortcut);
    connect(next, &QShortcut::activated, this, [this] { SelectNextPage(); });
    for (QKeySequence keys : {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab)}) {
        auto* previous = new QShortcut(keys, this);
        previous->setContext(Qt::WindowShortcut);
        connect(previous, &QShortcut::activated, this, [this] { SelectPreviousPage(); });
    }

    if (GetPageCount() > 0) SetActivePage(std::clamp(m_nStartPage, 0, GetPageCount() - 1));

    // Without its thread the sheet has no mailbox: workers then report no progress.
    auto slot = std::make_shared<ProgressSlot>();
    try {
        m_hProgressThread = std::make_unique<ProgressThread>(
            slot, [this](uint32_t command, uint32_t value) { OnProgressCommand(command, value); });
        m_ProgressSlot = std::move(slot);
    } catch (const std::system_error&) {
    }
    return 1;
}

void CTreePropSheet::RefillPageTree() {
    m_pwndPageTree->clear();
    m_pageLayout = PageLayoutForDevice();
    if (!m_pageLayout) return;
    PageLayoutTable& rows = *m_pageLayout;
    for (int i = 0; i < GetPageCount(); ++i) {
        const QString text = m_pages[static_cast<std::size_t>(i)]->Caption();
        const auto row = std::find_if(rows.begin(), rows.end(), [&text](const PageLayoutRow& r) {
            return text == QString::fromUtf8(r.pszPageCaption);
        });
        // A tab without a row ends the tree; it can be reached only by code.
        if (row == rows.end()) break;
        QTreeWidgetItem* parent = nullptr;
        if (row->pszParentCaption != nullptr) {
            for (const PageLayoutRow& other : rows)
                if (qstrcmp(other.pszPageCaption, row->pszParentCaption) == 0)
                    row->hParentItem = other.hItem;
            parent = row->hParentItem;
        }
        row->hItem = InsertTreePath(text, parent);
        if (row->hItem != nullptr) row->hItem->setData(0, kPageRole, i);
    }
    m_pwndPageTree->expandAll();
}

QTreeWidgetItem* CTreePropSheet::InsertTreePath(QString path, QTreeWidgetItem* parent) {
    const QString element = SplitTreePath(path);
    QTreeWidgetItem* item = nullptr;
    const int children = parent ? parent->childCount() : m_pwndPageTree->topLevelItemCount();
    for (int i = 0; i < children && item == nullptr; ++i) {
        QTreeWidgetItem* child = parent ? parent->child(i) : m_pwndPageTree->topLevelItem(i);
        if (child->text(0) == element) item = child;
    }
    if (item == nullptr) {
        item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_pwndPageTree);
        item->setText(0, element);
        item->setData(0, kPageRole, -1);
    }
    return path.isEmpty() ? item : InsertTreePath(path, item);
}

QTreeWidgetItem* CTreePropSheet::FindPageItem(int index) const {
    if (m_pwndPageTree == nullptr || index < 0 || index >= GetPageCount()) return nullptr;
    QTreeWidgetItemIterator it(m_pwndPageTree);
    for (; *it != nullptr; ++it)
        if (PageIndexOf(*it) == index) return *it;
    return nullptr;
}

void CTreePropSheet::SelectPageItem(int index) { SelectItem(FindPageItem(index)); }

void CTreePropSheet::SelectItem(QTreeWidgetItem* item) {
    if (item != nullptr && m_pwndPageTree != nullptr) m_pwndPageTree->setCurrentItem(item);
}

bool CTreePropSheet::DeactivateCurrentPage() {
    CPropertyPage* current = GetActivePage();
    if (current == nullptr || !current->isVisible()) {
        m_nActivePage = -1;
        if (m_pageStack) m_pageStack->hide();
        return true;
    }
    if (!current->OnKillActive()) return false;
    m_pageStack->setCurrentWidget(m_noPage);
    m_pageStack->hide();
    m_nActivePage = -1;
    return true;
}

bool CTreePropSheet::SetActivePage(int index) {
    CPropertyPage* page = GetPage(index);
    if (page == nullptr) return false;
    if (index == m_nActivePage && page->isVisible()) return true;
    if (!DeactivateCurrentPage()) return false;
    if (!page->HasWindow()) {
        m_pageStack->addWidget(page);
        page->CreatePageWindow();
    }
    m_nActivePage = index;
    m_pageStack->setCurrentWidget(page);
    m_pageStack->show();
    page->show();
    page->OnSetActive();
    // The tree follows a page chosen by code.
    if (!m_bInSelChanging) {
        QTreeWidgetItem* item = FindPageItem(index);
        if (item != nullptr && m_pwndPageTree->currentItem() != item) {
            m_bInSelChanging = true;
            m_pwndPageTree->setCurrentItem(item);
            m_bInSelChanging = false;
        }
    }
    UpdateFrameCaption();
    return true;
}

void CTreePropSheet::OnTreeSelection(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
    if (m_bInSelChanging) return;
    m_bInSelChanging = true;
    const int index = PageIndexOf(current);
    const bool changed = index < 0 ? DeactivateCurrentPage() : SetActivePage(index);
    if (!changed && previous != nullptr) {
        // The page refused: the tree keeps its old selection.
        m_pwndPageTree->setCurrentItem(previous);
    }
    m_pwndPageTree->setFocus();
    m_bInSelChanging = false;
    UpdateFrameCaption();
}

void CTreePropSheet::UpdateFrameCaption() {
    if (m_pFrame == nullptr || m_pwndPageTree == nullptr) return;
    const CPropertyPage* current = GetActivePage();
    const bool pageShown = current != nullptr && m_pageStack->isVisible();
    QTreeWidgetItem* selected = m_pwndPageTree->currentItem();
    if (selected == nullptr) return;
    QString caption = selected->text(0);
    if (m_pageLayout) {
        for (const PageLayoutRow& row : *m_pageLayout)
            if (row.hItem == selected && row.pszFrameCaption != nullptr)
                caption = QString::fromUtf8(row.pszFrameCaption);
    }
    if (!pageShown) m_pFrame->SetMessageText(FormatNoPageMessage(m_strNoPageMessage, caption));
    if (m_pFrame->IsCaptionEnabled()) m_pFrame->SetCaption(caption);
}

QString CTreePropSheet::FormatNoPageMessage(const QString& format, const QString& caption) const {
    QString text = format;
    const qsizetype at = text.indexOf("%s");
    if (at >= 0) text.replace(at, 2, caption);
    return text;
}

void CTreePropSheet::SelectNextPage() {
    QTreeWidgetItem* item = m_pwndPageTree ? m_pwndPageTree->currentItem() : nullptr;
    if (item == nullptr) return;
    QTreeWidgetItem* next = nullptr;
    if (item->childCount() > 0) {
        next = item->child(0);
    } else {
        for (QTreeWidgetItem* at = item; at != nullptr && next == nullptr; at = at->parent()) {
            QTreeWidgetItem* parent = at->parent();
            const int count = parent ? parent->childCount() : m_pwndPageTree->topLevelItemCount();
            const int position =
                parent ? parent->indexOfChild(at) : m_pwndPageTree->indexOfTopLevelItem(at);
            if (position + 1 < count)
                next = parent ? parent->child(position + 1)
                              : m_pwndPageTree->topLevelItem(position + 1);
        }
        if (next == nullptr) next = m_pwndPageTree->topLevelItem(0);
    }
    SelectItem(next);
}

void CTreePropSheet::SelectPreviousPage() {
    QTreeWidgetItem* item = m_pwndPageTree ? m_pwndPageTree->currentItem() : nullptr;
    if (item == nullptr) return;
    const auto lastDescendant = [](QTreeWidgetItem* at) {
        while (at->childCount() > 0) at = at->child(at->childCount() - 1);
        return at;
    };
    QTreeWidgetItem* parent = item->parent();
    const int position =
        parent ? parent->indexOfChild(item) : m_pwndPageTree->indexOfTopLevelItem(item);
    QTreeWidgetItem* previous = nullptr;
    if (position > 0) {
        previous = lastDescendant(parent ? parent->child(position - 1)
                                         : m_pwndPageTree->topLevelItem(position - 1));
    } else if (parent != nullptr) {
        previous = parent;
    } else {
        previous =
            lastDescendant(m_pwndPageTree->topLevelItem(m_pwndPageTree->topLevelItemCount() - 1));
    }
    SelectItem(previous);
}

QString CTreePropSheet::TitleText() {
    if (g_lpApp == nullptr) return {};
    const std::string product = g_lpApp->str_ProductID.Get();
    if (IsP62KModel() || IsT18DModel()) return "Video Server";
    if (product == "P51K") return "16CH DVR";
    if (product == "P53K") return "8CH DVR";
    if (product == "P55K") return "4CH DVR";
    if (IsN2xVModel()) return "DVR Setting";
    return {};
}

void CTreePropSheet::ProgressBegin() {
    m_nProgressPos = 0;
    m_bProgressShown = true;
}

void CTreePropSheet::ProgressSetRange(uint32_t total) {
    m_nProgressPos = 0;
    m_nProgressTotal = static_cast<int>(total);
}

void CTreePropSheet::ProgressSetPos(uint32_t position) {
    m_nProgressPos = static_cast<int>(position);
}

void CTreePropSheet::ProgressEnd() {
    m_nProgressPos = 0;
    m_bProgressShown = false;
}

void CTreePropSheet::OnProgressCommand(uint32_t command, uint32_t value) {
    switch (command) {
        case PROGRESS_START:
            ProgressBegin();
            break;
        case PROGRESS_SET_TOTAL:
            ProgressSetRange(value);
            return;  // nothing drawn
        case PROGRESS_SET_POS:
            ProgressSetPos(value);
            break;
        case PROGRESS_END:
            ProgressEnd();
            break;
        default:
            return;
    }
    // Only the UI thread paints; a sheet already gone drops the request.
    QMetaObject::invokeMethod(
        this, [this] { update(); }, Qt::QueuedConnection);
}

void CTreePropSheet::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    PaintTitle(painter);
    if (m_bProgressShown) PaintProgress(painter, m_nProgressPos, m_nProgressTotal, true);
}

void CTreePropSheet::PaintTitle(QPainter& painter) {
    if (m_rcTitle.width() <= 0 || m_rcTitle.height() <= 0) return;
    painter.fillRect(m_rcTitle, FromColorRef(0x803200));
    Draw3dRect(painter, m_rcTitle, FromColorRef(0xe66400), FromColorRef(0x401900));
    Draw3dRect(painter, m_rcTitle.adjusted(1, 1, -1, -1), FromColorRef(0xe66400),
               FromColorRef(0x401900));
    QFont font("Times New Roman");
    font.setItalic(true);
    font.setWeight(QFont::Normal);
    font.setPixelSize(std::max(1, m_rcTitle.height() * 7 / 10));
    // A title wider than the band is made smaller until it fits whole.
    const QString title = TitleText();
    const int room = std::max(1, m_rcTitle.width() - 4);
    for (int advance = QFontMetrics(font).horizontalAdvance(title);
         advance > room && font.pixelSize() > 1;
         advance = QFontMetrics(font).horizontalAdvance(title)) {
        font.setPixelSize(
            std::max(1, std::min(font.pixelSize() - 1, font.pixelSize() * room / advance)));
    }
    painter.save();
    painter.setFont(font);
    painter.setPen(FromColorRef(0x00ffff));
    painter.drawText(
        QRect(m_rcTitle.x(), m_rcTitle.y() + 3, m_rcTitle.width(), m_rcTitle.height() - 3),
        Qt::AlignHCenter | Qt::AlignTop, title);
    painter.restore();
}

void CTreePropSheet::PaintProgress(QPainter& painter, int position, int total, bool withFill) {
    const QRect& bar = m_rcProgress;
    if (bar.width() <= 0 || bar.height() <= 0) return;
    painter.fillRect(bar, FromColorRef(0xff6400));
    Draw3dRect(painter, bar, FromColorRef(0xff6400), FromColorRef(0x401900));
    Draw3dRect(painter, bar.adjusted(1, 1, -1, -1), FromColorRef(0xff6400), FromColorRef(0x401900));
    const ProgressLook look = ComputeProgressLook(bar, position, total);
    if (withFill && look.fill > 0) {
        const QRect fill(bar.left() + 2, bar.top() + 3, look.fill, bar.height() - 6);
        painter.fillRect(fill, FromColorRef(0x00ffc4));
        Draw3dRect(painter, fill, FromColorRef(0x008064), FromColorRef(0x00ffff));
    }
    painter.setPen(look.textInsideFill ? FromColorRef(0xff6400) : FromColorRef(0x00ffc4));
    painter.drawText(QPoint(look.textX, bar.top() + 3 + painter.fontMetrics().ascent()),
                     QString("%1 %").arg(look.percent, 3));
}
