#include "backup/RecordPage.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/AppObject.h"
#include "core/DeviceIdentity.h"
#include "platform/MessageBox.h"
#include "sheet/PageSheet.h"
#include "sheet/PageToolkit.h"
#include "widgets/CDlgGetPath.h"

namespace {

RecordPage::WavFileAnswer g_wavFileAnswer;

// The folder edits take a pasted path whole, however long: the page itself refuses one that
// is too long for the settings file, so that a path is never stored cut.
constexpr int kFolderEditChars = 32767;

std::optional<std::string> RunWavFileDialog(QWidget* parent) {
    const QString path =
        QFileDialog::getOpenFileName(parent, "Open", QString(), "WAV files (*.wav)");
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}

}  // namespace

RecordPage::RecordPage(PageSheet& sheet) : CPropertyPage(sheet, PageKind::FilePath) {}

void RecordPage::SetWavFileAnswer(WavFileAnswer answer) { g_wavFileAnswer = std::move(answer); }

void RecordPage::OnInitDialog() {
    using namespace sheet;
    MakeLabel(this, 0, "Snapshot Path : ", Scaled(QRect(15, 20, 120, 20)));
    m_editSnapshot =
        MakeTextEdit(this, kIdSnapshotDir, kFolderEditChars, Scaled(QRect(15, 42, 270, 22)));
    QPushButton* modifySnapshot =
        MakeButton(this, kIdModifySnapshot, "Modify", Scaled(QRect(295, 41, 70, 24)));
    MakeLabel(this, 0, "Record Path : ", Scaled(QRect(15, 80, 120, 20)));
    m_editRecord =
        MakeTextEdit(this, kIdRecordDir, kFolderEditChars, Scaled(QRect(15, 102, 270, 22)));
    QPushButton* modifyRecord =
        MakeButton(this, kIdModifyRecord, "Modify", Scaled(QRect(295, 101, 70, 24)));
    QLabel* wavLabel =
        MakeLabel(this, kIdAlarmWavLabel, "Alarm Audio Path : ", Scaled(QRect(15, 140, 120, 20)));
    m_editAlarmWav =
        MakeTextEdit(this, kIdAlarmWav, kMaxPathBytes, Scaled(QRect(15, 162, 270, 22)));
    m_editAlarmWav->setReadOnly(true);
    QPushButton* modifyWav =
        MakeButton(this, kIdModifyAlarmWav, "Modify", Scaled(QRect(295, 161, 70, 24)));

    Sheet().LocalSettings().strAlarmWavFile = g_lpApp->CSettingINI.m_strTriggerWavPath;
    const bool soundRow = IsP62KModel() != 0 || IsT18DModel() != 0 || IsN2xVModel() != 0 ||
                          g_lpApp->C_ControlD.HasRetrDvr() != 0;
    for (QWidget* control : {static_cast<QWidget*>(wavLabel), static_cast<QWidget*>(m_editAlarmWav),
                             static_cast<QWidget*>(modifyWav)})
        control->setVisible(soundRow);
    UpdateData(false);

    connect(modifyRecord, &QPushButton::clicked, this, [this] { OnModifyRecordPath(); });
    connect(modifySnapshot, &QPushButton::clicked, this, [this] { OnModifySnapshotPath(); });
    connect(modifyWav, &QPushButton::clicked, this, [this] { OnModifyAlarmWav(); });
    // Each edit stores only what the operator typed into it.
    connect(m_editRecord, &QLineEdit::textEdited, this,
            [this] { OnFolderEdited(m_editRecord, Sheet().LocalSettings().strRecordDir); });
    connect(m_editSnapshot, &QLineEdit::textEdited, this,
            [this] { OnFolderEdited(m_editSnapshot, Sheet().LocalSettings().strSnapshotDir); });
}

void RecordPage::OnFolderEdited(QLineEdit* edit, std::string& folder) {
    const std::string typed = edit->text().toStdString();
    if (typed.size() <= static_cast<std::size_t>(kMaxPathBytes)) {
        folder = typed;
        return;
    }
    {
        const QSignalBlocker block(edit);
        edit->setText(QString::fromStdString(folder));
    }
    ormidon::ShowMessageText(kPathTooLongText);
}

void RecordPage::UpdateData(bool save) {
    if (m_editRecord == nullptr) return;
    SheetLocalSettings& local = Sheet().LocalSettings();
    // The local settings already hold what the operator typed (OnFolderEdited): an edit
    // that was not typed in is never read back, so a folder goes back as it was stored.
    if (save) return;
    const QSignalBlocker blockRecord(m_editRecord);
    const QSignalBlocker blockSnapshot(m_editSnapshot);
    m_editRecord->setText(QString::fromStdString(local.strRecordDir));
    m_editSnapshot->setText(QString::fromStdString(local.strSnapshotDir));
    m_editAlarmWav->setText(QString::fromStdString(local.strAlarmWavFile));
}

void RecordPage::ModifyFolder(std::string& folder) {
    CDlgGetPath picker(this);
    picker.SetPath(folder);
    if (picker.DoModal() != CDlgGetPath::kIdOk) return;
    const std::string chosen = picker.GetPath();
    if (chosen.size() > static_cast<std::size_t>(kMaxPathBytes)) {
        ormidon::ShowMessageText(kPathTooLongText);
        return;
    }
    folder = chosen;
    UpdateData(false);
}

void RecordPage::OnModifyRecordPath() { ModifyFolder(Sheet().LocalSettings().strRecordDir); }

void RecordPage::OnModifySnapshotPath() { ModifyFolder(Sheet().LocalSettings().strSnapshotDir); }

void RecordPage::OnModifyAlarmWav() {
    const std::optional<std::string> chosen =
        g_wavFileAnswer ? g_wavFileAnswer(this) : RunWavFileDialog(this);
    if (!chosen || chosen->empty()) return;
    if (chosen->size() > static_cast<std::size_t>(kMaxPathBytes)) {
        ormidon::ShowMessageText(kPathTooLongText);
        return;
    }
    Sheet().LocalSettings().strAlarmWavFile = *chosen;
    UpdateData(false);
}
