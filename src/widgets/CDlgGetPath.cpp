#include "widgets/CDlgGetPath.h"

#include <QFile>
#include <QHeaderView>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/AsciiCase.h"
#include "platform/window/ControlId.h"
#include "widgets/FolderImages.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPathRole = Qt::UserRole;  // the item's folder, raw bytes
constexpr int kSelectedImageRole = Qt::UserRole + 1;
constexpr int kImageRole = Qt::UserRole + 2;
constexpr int kPopulatedRole = Qt::UserRole + 3;

CDlgGetPath::VolumeSource& VolumeSourceSlot() {
    static CDlgGetPath::VolumeSource source;
    return source;
}

CDlgGetPath::ModalAnswer& ModalAnswerSlot() {
    static CDlgGetPath::ModalAnswer answer;
    return answer;
}

std::vector<ormidon::Volume> Volumes() {
    const auto& source = VolumeSourceSlot();
    return source ? source() : ormidon::ListVolumes();
}

int VolumeImage(ormidon::Volume::Kind kind) {
    return kind == ormidon::Volume::Kind::Removable ? folder_images::kRemovableDrive
                                                    : folder_images::kFixedDrive;
}

QString DisplayName(const std::string& name) {
    return QFile::decodeName(QByteArray::fromStdString(name));
}

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

int CompareNoCase(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const char x = ormidon::LowerAscii(a[i]);
        const char y = ormidon::LowerAscii(b[i]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// By name without regard to case, then by the exact bytes, so the order is total.
bool NameBefore(const std::string& a, const std::string& b) {
    const int folded = CompareNoCase(a, b);
    return folded != 0 ? folded < 0 : a < b;
}

// The parts of a folder path ("/a/b/" gives "a", "b").
std::vector<std::string> PathParts(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

}  // namespace

CDlgGetPath::CDlgGetPath(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Destination Path"));
    resize(300, 360);

    m_Tree = new QTreeWidget(this);
    ormidon::SetControlId(m_Tree, kIdTree);
    m_Tree->setGeometry(10, 10, 280, 300);
    m_Tree->setHeaderHidden(true);
    m_Tree->setRootIsDecorated(true);
    m_Tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_Tree->setIconSize(QSize(folder_images::kWidth, folder_images::kHeight));

    m_btnOk = new QPushButton(QStringLiteral("OK"), this);
    ormidon::SetControlId(m_btnOk, kIdOk);
    m_btnOk->setGeometry(60, 320, 80, 28);
    m_btnOk->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("CANCEL"), this);
    ormidon::SetControlId(cancel, kIdCancel);
    cancel->setGeometry(160, 320, 80, 28);
    cancel->setAutoDefault(false);
    connect(m_btnOk, &QPushButton::clicked, this, [this] { done(kIdOk); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(kIdCancel); });

    connect(m_Tree, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { OnItemExpanding(item); });
    connect(m_Tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
                if (!m_fWalking) m_fSelectionTouched = true;
                // The selected image follows the selection.
                if (previous) ShowImage(previous, kImageRole);
                if (current) ShowImage(current, kSelectedImageRole);
            });
}

CDlgGetPath::~CDlgGetPath() = default;

void CDlgGetPath::SetVolumeSource(VolumeSource source) { VolumeSourceSlot() = std::move(source); }

void CDlgGetPath::SetModalAnswer(ModalAnswer answer) { ModalAnswerSlot() = std::move(answer); }

void CDlgGetPath::SetPath(const std::string& path) { m_strPath = path; }

int CDlgGetPath::DoModal() {
    OnInitDialog();
    if (const ModalAnswer& answer = ModalAnswerSlot()) {
        const int result = answer(*this);
        done(result);
        return result;
    }
    return exec();
}

void CDlgGetPath::showEvent(QShowEvent* event) {
    OnInitDialog();
    QDialog::showEvent(event);
}

void CDlgGetPath::OnInitDialog() {
    if (m_fInitialised) return;
    m_fInitialised = true;

    const QPixmap strip = QPixmap::fromImage(folder_images::Strip());
    for (int i = 0; i < folder_images::kCount; ++i) {
        m_ImageList.emplace_back(strip.copy(i * folder_images::kWidth, 0, folder_images::kWidth,
                                            folder_images::kHeight));
    }

    m_fWalking = true;
    for (const ormidon::Volume& volume : Volumes()) {
        const int image = VolumeImage(volume.kind);
        InsertItem(nullptr, volume.name, WithSlash(volume.path.string()), image, image);
    }
    if (!m_strPath.empty()) {
        bool complete = false;
        if (QTreeWidgetItem* item = WalkTo(m_strPath, complete)) {
            m_Tree->setCurrentItem(item);
            m_Tree->scrollToItem(item);
        }
    }
    m_fWalking = false;
}

void CDlgGetPath::ShowImage(QTreeWidgetItem* item, int role) {
    const int image = item->data(0, role).toInt();
    if (image >= 0 && image < static_cast<int>(m_ImageList.size()))
        item->setIcon(0, m_ImageList[image]);
}

QTreeWidgetItem* CDlgGetPath::InsertItem(QTreeWidgetItem* parent, const std::string& name,
                                         const std::string& path, int image, int selectedImage) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_Tree);
    item->setText(0, DisplayName(name));
    item->setData(0, kPathRole, QByteArray::fromStdString(path));
    item->setData(0, kImageRole, image);
    item->setData(0, kSelectedImageRole, selectedImage);
    item->setIcon(0, m_ImageList.at(static_cast<size_t>(image)));
    // Every item first shows an expand mark; reading it tells whether it keeps one.
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

std::string CDlgGetPath::GetItemPath(const QTreeWidgetItem* item) {
    return item->data(0, kPathRole).toByteArray().toStdString();
}

void CDlgGetPath::OnItemExpanding(QTreeWidgetItem* item) {
    if (!item->data(0, kPopulatedRole).toBool()) {
        PopulateTree(item);
        if (m_Tree->currentItem() != item) m_Tree->setCurrentItem(item);
    }
}

void CDlgGetPath::PopulateTree(QTreeWidgetItem* item) {
    item->setData(0, kPopulatedRole, true);
    const std::string folder = GetItemPath(item);
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error),
         end;
         !error && it != end; it.increment(error)) {
        std::error_code kind;
        if (!it->is_directory(kind)) continue;
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end(), NameBefore);
    for (const std::string& name : names) {
        InsertItem(item, name, folder + name + '/', folder_images::kClosedFolder,
                   folder_images::kOpenFolder);
    }
    if (names.empty()) item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
}

QTreeWidgetItem* CDlgGetPath::WalkTo(const std::string& path, bool& complete) {
    complete = false;
    if (path.empty() || path[0] != '/') return nullptr;
    // The volume that holds the path most closely.
    const std::vector<std::string> wanted = PathParts(path);
    QTreeWidgetItem* best = nullptr;
    size_t bestDepth = 0;
    for (int i = 0; i < m_Tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = m_Tree->topLevelItem(i);
        const std::vector<std::string> parts = PathParts(GetItemPath(top));
        if (parts.size() > wanted.size() || (best && parts.size() <= bestDepth)) continue;
        if (std::equal(parts.begin(), parts.end(), wanted.begin())) {
            best = top;
            bestDepth = parts.size();
        }
    }
    if (!best) return nullptr;

    QTreeWidgetItem* item = best;
    for (size_t depth = bestDepth; depth < wanted.size(); ++depth) {
        if (!item->data(0, kPopulatedRole).toBool()) PopulateTree(item);
        QTreeWidgetItem* exact = nullptr;
        QTreeWidgetItem* folded = nullptr;
        for (int i = 0; i < item->childCount() && !exact; ++i) {
            QTreeWidgetItem* child = item->child(i);
            const std::vector<std::string> parts = PathParts(GetItemPath(child));
            const std::string& name = parts.back();
            if (name == wanted[depth]) {
                exact = child;
            } else if (!folded && ormidon::EqualsNoCase(name, wanted[depth])) {
                folded = child;
            }
        }
        QTreeWidgetItem* next = exact ? exact : folded;
        if (!next) return item;
        item->setExpanded(true);
        item = next;
    }
    complete = true;
    return item;
}

bool CDlgGetPath::SelectPath(const std::string& path) {
    bool complete = false;
    QTreeWidgetItem* item = WalkTo(path, complete);
    if (!item) return false;
    m_Tree->setCurrentItem(item);
    m_Tree->scrollToItem(item);
    return complete;
}

void CDlgGetPath::done(int result) {
    if (!m_fClosed) {
        m_fClosed = true;
        // Left alone, the selection is the opening's, and the start path stands as given.
        if (QTreeWidgetItem* item = m_Tree->currentItem(); item && m_fSelectionTouched) {
            m_strPath = GetItemPath(item);
        }
    }
    QDialog::done(result);
}
