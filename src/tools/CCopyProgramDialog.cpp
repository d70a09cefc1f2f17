#include "tools/CCopyProgramDialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <cstdio>

#include "core/ProgramCopy.h"
#include "core/ProgramFileTable.h"
#include "platform/MessageBox.h"
#include "platform/window/ControlId.h"
#include "platform/window/WindowTimers.h"

namespace {

// Failures named one by one in the report; the rest are counted.
constexpr size_t kNamedFailures = 12;

std::string Report(const ProgramCopy& copy, const std::string& destination) {
    const auto& failures = copy.Failures();
    std::string text = "The copy in " + destination + " is incomplete (" +
                       std::to_string(failures.size()) +
                       (failures.size() == 1 ? " failure):" : " failures):");
    for (size_t i = 0; i < failures.size() && i < kNamedFailures; ++i) {
        text += "\n" + failures[i].name + ": " + failures[i].reason;
    }
    if (failures.size() > kNamedFailures) {
        text += "\n... and " + std::to_string(failures.size() - kNamedFailures) + " more";
    }
    text += "\n" + std::to_string(copy.Copied()) + " files were copied";
    if (copy.Absent() != 0) {
        text += "; " + std::to_string(copy.Absent()) + " of the list are not in the program folder";
    }
    return text + ".";
}

}  // namespace

CCopyProgramDialog::CCopyProgramDialog(QWidget* parent, std::string sourcePath,
                                       std::string destPath)
    : QDialog(parent), m_strSourcePath(std::move(sourcePath)), m_strDestPath(std::move(destPath)) {
    setWindowTitle(QStringLiteral("Copy Program"));
    setFixedSize(330, 92);
    m_Progress = new QProgressBar(this);
    ormidon::SetControlId(m_Progress, kIdProgress);
    m_Progress->setGeometry(12, 14, 270, 22);
    m_Progress->setTextVisible(false);
    m_pPercent = new QLabel(this);
    ormidon::SetControlId(m_pPercent, kIdPercent);
    m_pPercent->setGeometry(286, 14, 40, 22);
    m_btnOk = new QPushButton(QStringLiteral("OK"), this);
    ormidon::SetControlId(m_btnOk, kIdOk);
    m_btnOk->setGeometry(125, 52, 80, 28);
    m_btnOk->setDefault(true);
    connect(m_btnOk, &QPushButton::clicked, this, [this] { done(kIdOk); });
    m_pTimers = new ormidon::WindowTimers(
        [this](uint32_t id) {
            if (id == kCopyTimer) CopyTimerProc();
        },
        this);
}

CCopyProgramDialog::~CCopyProgramDialog() = default;

int CCopyProgramDialog::DoModal() {
    OnInitDialog();
    return exec();
}

void CCopyProgramDialog::showEvent(QShowEvent* event) {
    OnInitDialog();
    QDialog::showEvent(event);
}

void CCopyProgramDialog::OnInitDialog() {
    if (m_fInitialised) return;
    m_fInitialised = true;
    m_Progress->setRange(0, 100);
    ShowPercent(0);
    m_pTimers->SetTimer(kCopyTimer, kCopyDelayMs);
    m_btnOk->setEnabled(false);
}

void CCopyProgramDialog::done(int result) {
    m_pTimers->KillTimer(kCopyTimer);
    QDialog::done(result);
}

void CCopyProgramDialog::ShowPercent(int percent) {
    char text[16];
    std::snprintf(text, sizeof text, "%3d%%", percent);
    m_strPercent = text;
    m_pPercent->setText(QString::fromLatin1(text));
    m_Progress->setValue(percent);
}

void CCopyProgramDialog::CopyTimerProc() {
    // Runs once.
    m_pTimers->KillTimer(kCopyTimer);
    ProgramCopy copy(m_strSourcePath, m_strDestPath);
    if (const std::optional<std::string> refusal = copy.Refusal()) {
        ormidon::ShowMessageText(*refusal);
        m_btnOk->setEnabled(true);
        return;
    }
    copy.Prepare();
    const size_t rows = ProgramFileTable.size();
    for (size_t i = 0; i < rows; ++i) {
        copy.CopyRow(i);
        ShowPercent(static_cast<int>((i + 1) * 100 / rows));
        // The copy holds the window's thread: the bar is painted as it moves.
        m_Progress->repaint();
        m_pPercent->repaint();
        if (m_OnRowCopied) m_OnRowCopied(i);
    }
    copy.WriteSettings();
    m_fDone = true;
    if (!copy.Failures().empty()) ormidon::ShowMessageText(Report(copy, copy.DestinationFolder()));
    m_btnOk->setEnabled(true);
}
