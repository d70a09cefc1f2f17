#pragma once
// A property sheet whose tabs are a tree of pages on the left; a page frame names the
// current page above it. The sheet places itself beside the main window, paints a title
// band under the tree and shows the progress bar that workers drive (ProgressSlot.h).
//
// Pages are kept in an ordered list (tab order). A page builds its controls the first
// time it is shown. Leaving a page asks its OnKillActive first; a refusal keeps the page
// and the tree's selection.
#include <QDialog>
#include <QRect>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "sheet/PageLayout.h"
#include "sheet/ProgressSlot.h"

class CPageFrame;
class CPageFrameWnd;
class CPropertyPage;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;
class SheetHost;

// Where the sheet and the main window go, all in screen pixels.
struct SheetPlacement {
    QPoint mainWindow;  // unchanged unless the two are centred together
    QPoint sheet;
};
SheetPlacement PlaceBesideMainWindow(const QRect& mainWindow, const QSize& sheet,
                                     const QSize& workArea);

// Splits the first element off a tree path ("a::b::c"): "\::" stands for "::" in an
// element and "\\" for a backslash.
QString SplitTreePath(QString& path);

class CTreePropSheet : public QDialog {
  public:
    static constexpr int kTreeControlId = 0x7eee;
    static constexpr int kFrameControlId = 0xffff;

    CTreePropSheet(const QString& caption, SheetHost* host, int startPage);
    ~CTreePropSheet() override;

    // Builds the tree, the frame and the progress machinery and places the sheet. Once.
    virtual int OnInitDialog();

    void AddPage(CPropertyPage* page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int index) const;
    int GetPageIndex(const CPropertyPage* page) const;
    // The page shown; -1 for none.
    int GetActiveIndex() const { return m_nActivePage; }
    CPropertyPage* GetActivePage() const { return GetPage(m_nActivePage); }
    // Shows page `index`, after the current page agreed to go; builds it on first showing.
    // False when the current page refused or the index is not a page.
    bool SetActivePage(int index);
    bool SetActivePage(const CPropertyPage* page) { return SetActivePage(GetPageIndex(page)); }

    void SelectNextPage();
    void SelectPreviousPage();

    QTreeWidget* PageTree() const { return m_pwndPageTree; }
    CPageFrame* PageFrame() const;
    const QRect& ProgressRect() const { return m_rcProgress; }
    const QRect& TitleRect() const { return m_rcTitle; }
    // The layout table the tree was built from (none for a device of no family).
    const std::optional<PageLayoutTable>& PageLayout() const { return m_pageLayout; }

    // The bar's state, as the progress thread leaves it.
    int ProgressTotal() const { return m_nProgressTotal; }
    int ProgressPos() const { return m_nProgressPos; }
    bool ProgressShown() const { return m_bProgressShown; }

    // The text shown by the frame for a node without a page: `format` with its one "%s"
    // replaced by the caption, taken as it stands.
    virtual QString FormatNoPageMessage(const QString& format, const QString& caption) const;
    void SetNoPageMessage(const QString& format) { m_strNoPageMessage = format; }

    // The title in the band under the tree, by device family.
    static QString TitleText();

  protected:
    SheetHost* Host() const { return m_host; }
    // Stops the progress thread and lets the mailbox go; waiting writers return.
    void StopProgress();
    std::shared_ptr<ProgressSlot> ProgressMailbox() const { return m_ProgressSlot; }

    void paintEvent(QPaintEvent* event) override;

  private:
    void RefillPageTree();
    QTreeWidgetItem* InsertTreePath(QString path, QTreeWidgetItem* parent);
    QTreeWidgetItem* FindPageItem(int index) const;
    void SelectPageItem(int index);
    void UpdateFrameCaption();
    bool DeactivateCurrentPage();
    void OnTreeSelection(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void SelectItem(QTreeWidgetItem* item);
    // The progress thread's commands: 1 begin, 2 total, 3 position, 4 end; each leaves the
    // bar's state for the UI thread to paint.
    void OnProgressCommand(uint32_t command, uint32_t value);
    void ProgressBegin();
    void ProgressSetRange(uint32_t total);
    void ProgressSetPos(uint32_t position);
    void ProgressEnd();
    void PaintProgress(QPainter& painter, int position, int total, bool withFill);
    void PaintTitle(QPainter& painter);

    SheetHost* m_host;
    int m_nStartPage;
    std::vector<CPropertyPage*> m_pages;
    int m_nActivePage = -1;
    QRect m_rcProgress;
    QRect m_rcTitle;
    QRect m_rcSheet;
    QRect m_rcMainWnd;
    std::shared_ptr<ProgressSlot> m_ProgressSlot;
    std::unique_ptr<ProgressThread> m_hProgressThread;
    std::atomic<int> m_nProgressTotal{0};
    std::atomic<int> m_nProgressPos{0};
    std::atomic<bool> m_bProgressShown{false};
    QTreeWidget* m_pwndPageTree = nullptr;
    CPageFrameWnd* m_pFrame = nullptr;
    QStackedWidget* m_pageStack = nullptr;
    QWidget* m_noPage = nullptr;
    bool m_bInSelChanging = false;
    QString m_strNoPageMessage;
    int m_nTreeWidth = 150;
    std::optional<PageLayoutTable> m_pageLayout;
    bool m_bInitialised = false;
};
