#include "liveview/CSelectPTZDeviceDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <cmath>

#include "core/AppObject.h"
#include "core/StringTable.h"
#include "platform/window/ControlId.h"

namespace {

constexpr uint32_t kStrBackToControlCenter = 3204;  // ESC's tooltip
constexpr int kTooltipMaxLength = 80;

constexpr QSize kWindowSize(278, 88);
constexpr QRect kSelectLabelRect(10, 10, 90, 22);
constexpr QRect kNumberRect(104, 10, 60, 22);
constexpr QRect kPtzLabelRect(172, 10, 40, 22);
constexpr QRect kEscRect(4, 42, 62, 37);
constexpr QRect kOkRect(70, 42, 98, 37);
constexpr QRect kCancelRect(172, 42, 98, 37);

// The screen's scale against the 96 dots per inch that the positions are given in.
double DpiScale() {
    const float scale = g_lpApp ? g_lpApp->fl_DPIScale.load() : 0.0f;
    return scale > 0.0f ? scale : 1.0;
}

QRect Scaled(const QRect& rect, double scale) {
    return QRect(static_cast<int>(std::lround(rect.x() * scale)),
                 static_cast<int>(std::lround(rect.y() * scale)),
                 static_cast<int>(std::lround(rect.width() * scale)),
                 static_cast<int>(std::lround(rect.height() * scale)));
}

QPushButton* MakeButton(QWidget* parent, const char* text, int id, const QRect& rect) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    ormidon::SetControlId(button, id);
    button->setAutoDefault(false);
    button->setGeometry(rect);
    return button;
}

}  // namespace

CSelectPTZDeviceDlg::CSelectPTZDeviceDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Select PTZ device");
    setFixedSize(kWindowSize);

    m_selectLabel = new QLabel("SELECT  NO :", this);
    ormidon::SetControlId(m_selectLabel, 1334);
    m_selectLabel->setGeometry(kSelectLabelRect);
    m_editNumber = new QLineEdit(this);
    ormidon::SetControlId(m_editNumber, kIdNumber);
    m_editNumber->setGeometry(kNumberRect);
    // Digits only, and few enough that the number always fits.
    m_editNumber->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]{0,9}"), m_editNumber));
    m_ptzLabel = new QLabel("PTZ", this);
    ormidon::SetControlId(m_ptzLabel, 1335);
    m_ptzLabel->setGeometry(kPtzLabelRect);

    m_btnEsc = MakeButton(this, "ESC", kIdEsc, kEscRect);
    m_btnOk = MakeButton(this, "OK", kIdOk, kOkRect);
    m_btnOk->setDefault(true);
    m_btnCancel = MakeButton(this, "CANCEL", kIdCancel, kCancelRect);
    connect(m_btnOk, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(m_btnCancel, &QPushButton::clicked, this, [this] { done(kIdCancel); });
    connect(m_btnEsc, &QPushButton::clicked, this, [this] { done(kResultEsc); });
}

CSelectPTZDeviceDlg::~CSelectPTZDeviceDlg() = default;

int CSelectPTZDeviceDlg::DoModal() {
    OnInitDialog();
    return exec();
}

void CSelectPTZDeviceDlg::OnInitDialog() {
    const C_ControlD* devices = g_lpApp ? &g_lpApp->C_ControlD : nullptr;
    // The window and everything in it follow the screen's scale together, so CANCEL, larger
    // on a big screen, stays inside the window beside OK.
    const double scale = DpiScale();
    setFixedSize(Scaled(QRect(QPoint(0, 0), kWindowSize), scale).size());
    m_selectLabel->setGeometry(Scaled(kSelectLabelRect, scale));
    m_editNumber->setGeometry(Scaled(kNumberRect, scale));
    m_ptzLabel->setGeometry(Scaled(kPtzLabelRect, scale));
    m_btnEsc->setGeometry(Scaled(kEscRect, scale));
    m_btnOk->setGeometry(Scaled(kOkRect, scale));
    m_btnCancel->setGeometry(Scaled(kCancelRect, scale));
    if (devices != nullptr && devices->IsCurrentMaster() == 1) m_btnEsc->hide();
    const std::string_view tip = LoadResourceString(kStrBackToControlCenter);
    m_btnEsc->setToolTip(QString::fromUtf8(tip.substr(0, kTooltipMaxLength)));
    const int current = devices != nullptr ? devices->GetCurrentIndexInKind() + 1 : 1;
    m_editNumber->setText(QString::number(current));
}

void CSelectPTZDeviceDlg::OnOK() {
    bool ok = false;
    const int number = m_editNumber->text().toInt(&ok);
    m_nNumber = ok ? number : 0;
    done(kIdOk);
}
