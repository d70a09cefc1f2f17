#pragma once
// A page of the settings sheet.
//
// How a page plugs in:
// 1. The page class derives from CPropertyPage and is constructed with (PageSheet&) (the
//    sheet as its pages see it, sheet/PageSheet.h), passing its PageKind
//    (sheet/PageKind.h) to this base; its tab caption comes from the kind. The object exists from
//    the sheet's construction, without controls.
// 2. OnInitDialog builds the page's controls (the toolkit of sheet/PageToolkit.h gives
//    them their numeric ids) and fills them from the section records of the application
//    record (core/ConfigRecords.h). It runs once, when the page is first shown; a page the
//    operator never opened has no window (HasWindow() false).
// 3. OnSetActive runs at every showing; OnKillActive answers false to keep the page (the
//    tree keeps its selection).
// 4. Apply is the page's applier. APPLY runs the appliers in the sheet's fixed order, each
//    only for a page that has a window; it compares the page with the baseline
//    (sheet.Baseline(), sheet/ApplyBaseline.h) or its own change flags, rewrites only
//    changed fields, sends each changed section whole with SetSysCfg and reports a failed
//    send itself (as a rule string 4012). The Network page's applier answers non-zero when
//    it sent the address settings. Pages whose values APPLY copies into the settings
//    (File Path, Alarm, General, Network Backup, Search List) keep them in
//    sheet.LocalSettings(), which holds them also while the page has no window.
// 5. The page's line in CreateSheetPage (settings/SheetPages.cpp) makes the sheet build it
//    instead of a placeholder; nothing else of the sheet changes.
#include <QString>
#include <QWidget>

#include "sheet/PageKind.h"

class PageSheet;

class CPropertyPage : public QWidget {
  public:
    CPropertyPage(PageSheet& sheet, PageKind kind);

    PageKind Kind() const { return m_kind; }
    QString Caption() const { return QString::fromUtf8(PageCaption(m_kind)); }
    PageSheet& Sheet() { return m_sheet; }

    // True once the page was shown and built its controls.
    bool HasWindow() const { return m_bHasWindow; }
    // Builds the controls (OnInitDialog) on the first call.
    void CreatePageWindow();

    virtual void OnSetActive() {}
    virtual bool OnKillActive() { return true; }
    // Moves the controls' values into the page's fields (save) or back.
    virtual void UpdateData(bool /*save*/) {}
    // The applier; see above.
    virtual int Apply() { return 0; }
    // The sheet's window goes (EXIT, APPLY or closing): a page stops its workers here.
    virtual void OnSheetClose() {}

    // What APPLY's PPPoE check reads from a page with a window; -1 where the page holds no
    // such choice. The Network page answers its address type (0 static, 1 PPPoE, 2 DHCP),
    // the DDNS page its dynamic-DNS switch (1 on, 0 off).
    virtual int ChosenAddressType() const { return -1; }
    virtual int ChosenDDNSEnable() const { return -1; }

    // The control with that id below the page.
    QWidget* Control(int id) const;

  protected:
    virtual void OnInitDialog() {}

  private:
    PageSheet& m_sheet;
    PageKind m_kind;
    bool m_bHasWindow = false;
};

// The page of a kind whose class is not built yet: its caption in the middle.
class CPlaceholderPage : public CPropertyPage {
  public:
    CPlaceholderPage(PageSheet& sheet, PageKind kind) : CPropertyPage(sheet, kind) {}

  protected:
    void OnInitDialog() override;
};
