#include "backup/CWriteCDSettingDlg.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <algorithm>

#include "backup/CCDBurner.h"
#include "backup/CDriveWaitDlg.h"
#include "core/AppObject.h"
#include "platform/MessageBox.h"
#include "platform/window/ControlId.h"

namespace {

int32_t* Setting(int32_t CSettingINI::*field) {
    return g_lpApp != nullptr ? &(g_lpApp->CSettingINI.*field) : nullptr;
}

template <typename Control>
Control* Place(QWidget* parent, Control* control, int id, int x, int y, int w, int h) {
    control->setParent(parent);
    control->setGeometry(x, y, w, h);
    ormidon::SetControlId(control, id);
    return control;
}

}  // namespace

CWriteCDSettingDlg::CWriteCDSettingDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Write CD Setting");
    setFixedSize(420, 250);
    (new QLabel("Available Device :", this))->setGeometry(16, 18, 130, 22);
    m_pDrives = Place(this, new QComboBox, kIdDrives, 150, 16, 250, 24);
    m_pCloseDisc = Place(this, new QCheckBox("Close Disc"), kIdCloseDisc, 150, 50, 120, 22);
    m_pImportSession =
        Place(this, new QCheckBox("Import Last Session"), kIdImportSession, 280, 50, 130, 22);
    m_pImportSession->hide();
    m_pImportSession->setEnabled(false);
    m_pCd = Place(this, new QRadioButton("CD"), kIdCd, 280, 50, 50, 22);
    m_pDvd = Place(this, new QRadioButton("DVD"), kIdDvd, 330, 50, 60, 22);
    for (QRadioButton* radio : {m_pCd, m_pDvd}) {
        radio->hide();
        radio->setEnabled(false);
    }
    (new QLabel("SOURCE FILE :", this))->setGeometry(16, 88, 130, 22);
    m_pSource = Place(this, new QLineEdit, kIdSource, 150, 86, 250, 24);
    m_pSource->setReadOnly(true);
    m_pAppendPlayer =
        Place(this, new QCheckBox("Append Player "), kIdAppendPlayer, 150, 120, 200, 22);
    (new QLabel("FILE NAME :", this))->setGeometry(16, 156, 130, 22);
    m_pFileName = Place(this, new QLineEdit, kIdFileName, 150, 154, 250, 24);
    auto* ok = Place(this, new QPushButton("OK"), kIdOk, 60, 200, 120, 30);
    auto* cancel =
        Place(this, new QPushButton("CANCEL WRITING CD"), kIdCancelWriting, 220, 200, 160, 30);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { done(kResultOk); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(kResultCancel); });
    // Close Disc and Append Player write through to their settings at once; the name and the
    // drive row are read as they change.
    connect(m_pCloseDisc, &QCheckBox::toggled, this, [this](bool on) {
        m_bCloseDisc = on;
        if (auto* option = Setting(&CSettingINI::m_dwWriteCDCloseOption)) *option = on ? 1 : 0;
    });
    connect(m_pAppendPlayer, &QCheckBox::toggled, this, [this](bool on) {
        if (m_pWriter != nullptr) m_pWriter->SetAppendPlayer(on);
    });
    connect(m_pFileName, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_strFileName = text.toStdString(); });
    connect(m_pDrives, &QComboBox::currentIndexChanged, this, [this](int row) {
        m_nDriveRow = std::max(row, 0);
        // A name cut to fit shows whole as the box's tooltip.
        m_pDrives->setToolTip(row >= 0 ? m_pDrives->itemData(row, Qt::ToolTipRole).toString()
                                       : QString());
    });
}

void CWriteCDSettingDlg::FillDrives() {
    m_pDrives->clear();
    // The room the box draws the chosen drive's name in.
    QStyleOptionComboBox option;
    option.initFrom(m_pDrives);
    option.frame = true;
    const int width =
        m_pDrives->style()
            ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, m_pDrives)
            .adjusted(1, 0, -1, 0)
            .width();
    const QFontMetrics metrics = m_pDrives->fontMetrics();
    std::vector<std::string> rows = m_driveNames;
    for (const auto& busy : m_busyDriveNames) {
        if (std::find(rows.begin(), rows.end(), busy) == rows.end()) rows.push_back(busy);
    }
    auto* model = qobject_cast<QStandardItemModel*>(m_pDrives->model());
    int first = -1;
    int widest = 0;
    for (size_t row = 0; row < rows.size(); ++row) {
        const int index = static_cast<int>(row);
        const QString whole = QString::fromStdString(rows[row]);
        const bool busy = std::find(m_busyDriveNames.begin(), m_busyDriveNames.end(), rows[row]) !=
                          m_busyDriveNames.end();
        if (busy) {
            // Never chosen, so only seen in the list, whole, with why it cannot be chosen.
            const QString text = whole + kBusyDriveNote;
            m_pDrives->addItem(text);
            widest = std::max(widest, metrics.horizontalAdvance(text));
            if (model != nullptr) model->item(index)->setEnabled(false);
            continue;
        }
        // Whole when it fits, else cut in the middle, where paths differ least.
        const QString text = metrics.elidedText(whole, Qt::ElideMiddle, width);
        m_pDrives->addItem(text);
        if (text != whole) m_pDrives->setItemData(index, whole, Qt::ToolTipRole);
        if (first < 0) first = index;
    }
    if (m_bDrivesHeldBack) {
        // Why a burner that is there is missing: it cannot be chosen, only read.
        const QString text = kHeldBackRow;
        m_pDrives->addItem(text);
        widest = std::max(widest, metrics.horizontalAdvance(text));
        if (model != nullptr) model->item(m_pDrives->count() - 1)->setEnabled(false);
    }
    // The list opens wide enough for the notes of busy drives.
    if (widest > 0) m_pDrives->view()->setMinimumWidth(widest + 2 * metrics.averageCharWidth());
    m_pDrives->setCurrentIndex(std::max(first, 0));
    m_nDriveRow = std::max(first, 0);
    m_pDrives->setToolTip(m_pDrives->itemData(m_nDriveRow, Qt::ToolTipRole).toString());
}

int CWriteCDSettingDlg::Prepare(const std::string& sourcePath,
                                const std::vector<std::string>& driveNames, uint32_t mediaType,
                                uint64_t sizeBytes, CCDBurner& writer) {
    writer.SetSourceSize(sizeBytes);
    m_pWriter = &writer;
    m_strSource = sourcePath;
    const size_t slash = sourcePath.find_last_of('/');
    m_strFolder = slash == std::string::npos ? std::string() : sourcePath.substr(0, slash + 1);
    m_strFileName = slash == std::string::npos ? sourcePath : sourcePath.substr(slash + 1);
    m_driveNames = driveNames;
    m_busyDriveNames = writer.BusyDriveNames();
    m_bDrivesHeldBack = writer.DrivesHeldBack();
    m_dwMediaType = mediaType;
    if (driveNames.empty()) return 0;
    OnInitDialog();
    return 1;
}

void CWriteCDSettingDlg::OnInitDialog() {
    m_pSource->setText(QString::fromStdString(m_strSource));
    m_pFileName->setText(QString::fromStdString(m_strFileName));
    FillDrives();
    const int32_t* close = Setting(&CSettingINI::m_dwWriteCDCloseOption);
    m_pCloseDisc->setChecked(close != nullptr && *close != 0);
    m_bCloseDisc = m_pCloseDisc->isChecked();
    (m_dwMediaType == 1 ? m_pCd : m_pDvd)->setChecked(true);
    m_pAppendPlayer->setChecked(false);
    if (m_pWriter != nullptr) m_pWriter->SetAppendPlayer(false);
    // Append Player is offered only when there is a player package to append.
    const bool player = m_pWriter != nullptr && m_pWriter->PlayerSetupAvailable();
    m_pAppendPlayer->setEnabled(player);
    m_pAppendPlayer->setToolTip(player ? QString() : QString(kNoPlayerSetupTip));
}

DiscSetupResult RunWriteCDSetup(CCDBurner& writer, const std::string& filePath, int sizeMB,
                                QWidget* parent,
                                const std::function<int(CWriteCDSettingDlg&)>& run) {
    // A burn that a closed window left running owns the writer until it returns.
    if (writer.InUse()) {
        ormidon::ShowMessageText(CCDBurner::kStillFinishingText, ormidon::kMbOk);
        return DiscSetupResult::Busy;
    }
    // The drives are read on a worker while a window says so; the operator may give up.
    const DriveWorkRunner drive = [parent](std::function<void(std::stop_token)> work) {
        return RunDriveWorkWithWindow(parent, std::move(work));
    };
    const int ready = writer.Init(filePath, WriteCDProgressCallback, drive);
    if (ready == CCDBurner::kGivenUp) return DiscSetupResult::Cancelled;
    if (ready == 0) return DiscSetupResult::InitFailed;
    while (true) {
        CWriteCDSettingDlg dialog(parent);
        if (dialog.Prepare(filePath, writer.DriveNames(), writer.MediaType(),
                           static_cast<uint64_t>(std::max(sizeMB, 0)) * 1024 * 1024, writer) == 0) {
            return DiscSetupResult::Cancelled;
        }
        const int answer = run ? run(dialog) : dialog.exec();
        if (answer != CWriteCDSettingDlg::kResultOk) return DiscSetupResult::Cancelled;
        writer.SetTarget(dialog.DriveRow(), dialog.CloseDisc(), dialog.Folder(), dialog.FileName());
        const int checked = writer.CheckTarget(drive);
        if (checked == CCDBurner::kGivenUp) return DiscSetupResult::Cancelled;
        if (checked != 0) return DiscSetupResult::Ready;
    }
}
