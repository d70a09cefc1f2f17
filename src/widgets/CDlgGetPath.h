#pragma once
// CDlgGetPath, "Destination Path": the operator picks a folder in a tree. The top level
// holds the volumes (the root, the home folder, removable media); a folder's children are
// read when it is first expanded, and a folder without sub-folders loses its expand mark.
// Folders are shown under their own names, sorted by name, and each item keeps the path
// it was read from, so the answer names exactly the folder that was picked.
//
// SetPath gives the start path, which the tree opens expanded and selected; GetPath, after
// OK, is the selected folder's path ending in "/", or the start path unchanged when the
// operator left the selection alone.
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "platform/Volumes.h"

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class CDlgGetPath : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kIdTree = 1315;

    explicit CDlgGetPath(QWidget* parent = nullptr);
    ~CDlgGetPath() override;

    void SetPath(const std::string& path);
    std::string GetPath() const { return m_strPath; }

    // Runs the window: 1 (OK) or 2 (CANCEL, Escape, close).
    int DoModal();

    // Fills the top level and walks to the start path; runs once, on the first DoModal or
    // showing.
    void OnInitDialog();

    // Selects the item of folder `path`, reading and expanding the folders on the way; true
    // when the whole path was found.
    bool SelectPath(const std::string& path);

    QTreeWidget* Tree() const { return m_Tree; }

    // Where the top level comes from; tests replace it. An empty function restores the
    // system's volumes.
    using VolumeSource = std::function<std::vector<ormidon::Volume>()>;
    static void SetVolumeSource(VolumeSource source);

    // When set, DoModal opens the tree and hands the window to `answer` instead of running
    // a modal loop; the answer may select a folder and returns the result (1 or 2). Lets
    // the tests of the windows that ask for a folder answer the picker.
    using ModalAnswer = std::function<int(CDlgGetPath& picker)>;
    static void SetModalAnswer(ModalAnswer answer);

    void done(int result) override;
    // Enter is OK; Escape and the window manager's close are CANCEL.
    void accept() override { done(kIdOk); }
    void reject() override { done(kIdCancel); }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void OnItemExpanding(QTreeWidgetItem* item);
    void PopulateTree(QTreeWidgetItem* item);
    QTreeWidgetItem* InsertItem(QTreeWidgetItem* parent, const std::string& name,
                                const std::string& path, int image, int selectedImage);
    void ShowImage(QTreeWidgetItem* item, int role);
    // The folder of an item, ending in "/".
    static std::string GetItemPath(const QTreeWidgetItem* item);
    // The walk of SelectPath; the deepest item found on the way, or nullptr.
    QTreeWidgetItem* WalkTo(const std::string& path, bool& complete);

    QTreeWidget* m_Tree;
    QPushButton* m_btnOk;
    std::vector<QIcon> m_ImageList;
    std::string m_strPath;
    bool m_fInitialised = false;
    bool m_fClosed = false;
    // The operator changed the selection (the opening's own walk does not count).
    bool m_fSelectionTouched = false;
    bool m_fWalking = false;
};
