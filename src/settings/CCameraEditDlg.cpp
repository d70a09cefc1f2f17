#include "settings/CCameraEditDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/MessageBox.h"
#include "sheet/PageToolkit.h"

namespace {

sheet::DigitEdit* MakeByteEdit(QWidget* parent, int id, const QRect& rect) {
    auto* edit = new sheet::DigitEdit(parent, id, 3, 0, 255);
    edit->setGeometry(rect);
    return edit;
}

// An emptied field keeps the member's last value.
void TakeValue(const sheet::DigitEdit* edit, int& member) {
    if (const std::optional<uint32_t> value = edit->Value())
        member = static_cast<int>(std::min<uint32_t>(*value, 255));
}

}  // namespace

CCameraEditDlg::CCameraEditDlg(QWidget* parent) : QDialog(parent) {
    using namespace sheet;
    setWindowTitle("Edit");
    setFixedSize(Scaled(520), Scaled(64));
    m_labelNumber = MakeLabel(this, kIdNumber, QString(), Scaled(QRect(8, 24, 20, 20)));
    MakeLabel(this, 0, "TITLE", Scaled(QRect(30, 4, 70, 16)));
    m_editTitle = MakeTextEdit(this, kIdTitle, 32767, Scaled(QRect(30, 22, 70, 24)));
    MakeLabel(this, 0, "BR", Scaled(QRect(106, 4, 40, 16)));
    m_editBrightness = MakeByteEdit(this, kIdBrightness, Scaled(QRect(106, 22, 40, 24)));
    MakeLabel(this, 0, "CT", Scaled(QRect(150, 4, 40, 16)));
    m_editContrast = MakeByteEdit(this, kIdContrast, Scaled(QRect(150, 22, 40, 24)));
    MakeLabel(this, 0, "ST", Scaled(QRect(194, 4, 40, 16)));
    m_editSaturation = MakeByteEdit(this, kIdSaturation, Scaled(QRect(194, 22, 40, 24)));
    MakeLabel(this, 0, "HUE", Scaled(QRect(238, 4, 40, 16)));
    m_editHue = MakeByteEdit(this, kIdHue, Scaled(QRect(238, 22, 40, 24)));
    MakeLabel(this, 0, "COV", Scaled(QRect(284, 4, 60, 16)));
    m_comboCov = MakeCombo(this, kIdCov, {"NO", "YES"}, Scaled(QRect(284, 22, 64, 24)));
    MakeLabel(this, 0, "REC", Scaled(QRect(354, 4, 60, 16)));
    m_comboRec = MakeCombo(this, kIdRec, {"NO", "YES"}, Scaled(QRect(354, 22, 64, 24)));
    QPushButton* ok = MakeButton(this, kIdOk, "OK", Scaled(QRect(430, 20, 80, 28)));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(m_editTitle, &QLineEdit::textEdited, this, [this] { OnTitleEdited(); });
}

void CCameraEditDlg::showEvent(QShowEvent* event) {
    if (!m_bInitialised) {
        m_bInitialised = true;
        UpdateData(false);
    }
    QDialog::showEvent(event);
}

void CCameraEditDlg::UpdateData(bool save) {
    if (!save) {
        m_labelNumber->setText(m_strNumber);
        m_editTitle->setText(m_strTitle.left(kTitleChars));
        m_editBrightness->SetValue(static_cast<uint32_t>(std::clamp(m_nBrightness, 0, 255)));
        m_editContrast->SetValue(static_cast<uint32_t>(std::clamp(m_nContrast, 0, 255)));
        m_editSaturation->SetValue(static_cast<uint32_t>(std::clamp(m_nSaturation, 0, 255)));
        m_editHue->SetValue(static_cast<uint32_t>(std::clamp(m_nHue, 0, 255)));
        sheet::SetComboIndex(m_comboCov, m_nCov);
        sheet::SetComboIndex(m_comboRec, m_nRec);
        return;
    }
    m_strTitle = m_editTitle->text().left(kTitleChars);
    TakeValue(m_editBrightness, m_nBrightness);
    TakeValue(m_editContrast, m_nContrast);
    TakeValue(m_editSaturation, m_nSaturation);
    TakeValue(m_editHue, m_nHue);
    m_nCov = sheet::ComboIndex(m_comboCov);
    m_nRec = sheet::ComboIndex(m_comboRec);
}

QString CCameraEditDlg::FilterTitle(const QString& text) {
    QString kept;
    for (QChar c : text) {
        if (c >= QChar('a') && c <= QChar('z')) c = QChar(c.unicode() - 'a' + 'A');
        if ((c >= QChar('0') && c <= QChar('9')) || (c >= QChar('A') && c <= QChar('Z'))) kept += c;
    }
    return kept;
}

void CCameraEditDlg::OnTitleEdited() {
    const QString text = m_editTitle->text();
    const bool tooLong = text.size() > kTitleChars;
    // A cut text is filtered at once too, so the field never holds a character the
    // recorder cannot show.
    const QString kept = FilterTitle(text.left(kTitleChars));
    if (kept != text) {
        m_editTitle->setText(kept);
        m_editTitle->setCursorPosition(static_cast<int>(kept.size()));
    }
    // One message for a run of refused characters: the keys typed on after the seventh
    // (while the box is up, or after it) bring no second box, at OK or anywhere. The next
    // refusal after the title was shortened says it again.
    if (tooLong && !m_bRefusalShown) {
        m_bRefusalShown = true;
        ormidon::ShowMessage(kMsgTitleTooLong);
    }
    if (kept.size() < kTitleChars) m_bRefusalShown = false;
}

void CCameraEditDlg::OnOK() {
    UpdateData(true);
    done(QDialog::Accepted);
}
