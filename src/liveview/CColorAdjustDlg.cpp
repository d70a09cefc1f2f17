#include "liveview/CColorAdjustDlg.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QSlider>
#include <algorithm>
#include <optional>
#include <string_view>

#include "core/DeviceIdentity.h"
#include "core/StringTable.h"
#include "core/TextHelpers.h"
#include "liveview/WindowCommand.h"
#include "net/LoginReply.h"
#include "platform/MessageBox.h"
#include "platform/window/BitmapFile.h"
#include "platform/window/ControlId.h"
#include "platform/window/SkinnedWindow.h"
#include "widgets/CVtxButton.h"

const std::array<ColorLabelButton_Struct, 3> ColorLabelButtonTable = {{
    {15, 47, 35, 67, 8523, 8523, "BMP\\Dialog_Brightness.bmp"},
    {15, 87, 35, 107, 8524, 8524, "BMP\\Dialog_Contrast.bmp"},
    {15, 127, 35, 147, 8525, 8525, "BMP\\Dialog_Hue.bmp"},
}};

namespace {

constexpr QRect kWindowRect(0, 0, 304, 196);
constexpr int kRegionCorner = 5;
constexpr QRect kApplyRect(125, 160, 88, 25);
constexpr QRect kOKRect(216, 160, 44, 25);
constexpr QRect kDefaultRect(34, 160, 88, 25);
constexpr QRect kCloseRect(280, 8, 13, 13);

// Rows: top edge; slider at x 60 (150 x 20), number field at x 240 (40 x 20), "-" at x 50
// and "+" at x 215.
constexpr std::array<int, 3> kRowTop = {47, 87, 127};
constexpr int kSliderLeft = 60;
constexpr QSize kSliderSize(150, 20);
constexpr int kEditLeft = 240;
constexpr QSize kEditSize(40, 20);
constexpr int kMinusLeft = 50;
constexpr int kPlusLeft = 215;

constexpr int kValueMax = 255;
constexpr int kSliderPage = 10;

// The frame pictures in load order and the area each is stretched into.
struct SkinPiece {
    const char* file;
    QRect area;
};
constexpr std::array<SkinPiece, 9> kSkinPieces = {{
    {"BMP\\TitleLeft.bmp", QRect(0, 0, 10, 32)},
    {"BMP\\TitleRight.bmp", QRect(294, 0, 10, 32)},
    {"BMP\\TilteBar_ess.bmp", QRect(10, 0, 284, 32)},
    {"BMP\\LeftSide_ess.bmp", QRect(0, 32, 10, 151)},
    {"BMP\\RightSide_ess.bmp", QRect(294, 32, 10, 151)},
    {"BMP\\BottomLeft.bmp", QRect(0, 183, 10, 13)},
    {"BMP\\BottomRight.bmp", QRect(294, 183, 10, 13)},
    {"BMP\\Bottom_ess.bmp", QRect(10, 183, 284, 13)},
    {"BMP\\Player_Logo.bmp", QRect(10, 7, 21, 15)},
}};

constexpr QRgb kInteriorColour = 0xDDDDDD;

// The P62K, N2xV and T18D families count brightness and hue from the middle of the range;
// the multi-channel DVRs count all three values as they show them.
bool CountsFromMiddle() { return IsP62KModel() || IsN2xVModel() || IsT18DModel(); }

// Moves a brightness or hue value by half the range 0 to 255; the same step turns a shown
// value back into the device's.
int ShiftHalfRange(int value) { return value < 128 ? value + 128 : value - 128; }

int ClampValue(int value) { return std::clamp(value, 0, kValueMax); }

// The number at the start of `text` as "%d" reads it (blanks, a sign, digits; a value too
// large for an int held at its largest); nothing when the text holds no number there.
std::optional<int> ReadNumber(std::string_view text) {
    const size_t start = text.find_first_not_of(" \t\r\n\v\f");
    if (start == std::string_view::npos) return std::nullopt;
    text.remove_prefix(start);
    const size_t digit = text[0] == '+' || text[0] == '-' ? 1 : 0;
    if (digit >= text.size() || text[digit] < '0' || text[digit] > '9') return std::nullopt;
    return ReplyNumber(text);
}

}  // namespace

CColorAdjustDlg::CColorAdjustDlg(QWidget* parent) : SkinnedDialog(parent) {
    auto makeButton = [this](int id) {
        auto* button = new CVtxButton(this);
        ormidon::SetControlId(button, id);
        return button;
    };
    m_btnApply = makeButton(kIdApply);
    m_btnOK = makeButton(kIdOK);
    m_btnDefault = makeButton(kIdDefault);
    connect(m_btnApply, &CVtxButton::clicked, this, [this] { OnOK(); });
    connect(m_btnOK, &CVtxButton::clicked, this, [this] { OnCancel(); });
    connect(m_btnDefault, &CVtxButton::clicked, this, [this] { OnDefault(); });

    const std::array<int, 3> sliderIds = {kIdSliderBrightness, kIdSliderContrast, kIdSliderHue};
    const std::array<int, 3> editIds = {kIdEditBrightness, kIdEditContrast, kIdEditHue};
    const std::array<int*, 3> sliders = {&m_nSliderBrightness, &m_nSliderContrast, &m_nSliderHue};
    const std::array<int*, 3> edits = {&m_nEditBrightness, &m_nEditContrast, &m_nEditHue};
    const std::array<void (CColorAdjustDlg::*)(), 3> changeHandlers = {
        &CColorAdjustDlg::OnChangeBrightness, &CColorAdjustDlg::OnChangeContrast,
        &CColorAdjustDlg::OnChangeHue};
    for (size_t i = 0; i < m_rows.size(); ++i) {
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setTickPosition(QSlider::NoTicks);
        ormidon::SetControlId(slider, sliderIds[i]);
        auto* edit = new QLineEdit(this);
        ormidon::SetControlId(edit, editIds[i]);
        m_rows[i] = {sliders[i], edits[i], slider, edit};
        const int id = sliderIds[i];
        connect(slider, &QSlider::valueChanged, this, [this, id] { OnHScroll(id); });
        connect(edit, &QLineEdit::textChanged, this, changeHandlers[i]);
    }
}

CColorAdjustDlg::~CColorAdjustDlg() = default;

int CColorAdjustDlg::DoModal() {
    OnInitDialog();
    return exec();
}

int CColorAdjustDlg::OnInitDialog() {
    ExchangeToControls();
    setGeometry(kWindowRect);
    ormidon::SetRoundRectRegion(this, kWindowRect, kRegionCorner, kRegionCorner);
    // Centred in the desktop's work area.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect work = screen->availableGeometry();
        move(work.left() + ((work.width() - kWindowRect.width()) >> 1),
             work.top() + ((work.height() - kWindowRect.height()) >> 1));
    }
    raise();

    for (size_t i = 0; i < kSkinPieces.size(); ++i) {
        m_skin[i] = ormidon::LoadBitmapFile(kSkinPieces[i].file);
        if (m_skin[i].isNull()) return 0;
    }

    m_btnApply->LoadButtonBitmap(LoadResourceString(4210), LoadResourceString(4211),
                                 LoadResourceString(4211), CVtxButton::kStylePush);
    for (size_t i = 0; i < m_rows.size(); ++i) {
        m_rows[i].sliderControl->setGeometry(QRect(QPoint(kSliderLeft, kRowTop[i]), kSliderSize));
        m_rows[i].editControl->setGeometry(QRect(QPoint(kEditLeft, kRowTop[i]), kEditSize));
    }
    m_btnApply->setGeometry(kApplyRect);
    m_btnOK->LoadButtonBitmap(LoadResourceString(4208), LoadResourceString(4209),
                              LoadResourceString(4209), CVtxButton::kStylePush);
    m_btnOK->setGeometry(kOKRect);
    m_btnDefault->LoadButtonBitmap(LoadResourceString(4212), LoadResourceString(4213),
                                   LoadResourceString(4213), CVtxButton::kStylePush);
    m_btnDefault->setGeometry(kDefaultRect);

    m_btnClose = new CVtxButton(this);
    ormidon::SetControlId(m_btnClose, kIdClose);
    m_btnClose->setGeometry(kCloseRect);
    m_btnClose->LoadButtonBitmap("BMP\\Title_Bar_Close.bmp", "BMP\\Title_Bar_Close_a.bmp",
                                 "BMP\\Title_Bar_Close_a.bmp", CVtxButton::kStyleHover);
    connect(m_btnClose, &CVtxButton::clicked, this, [this] { OnTitleClose(); });
    m_btnClose->show();

    m_bExchanging = true;
    for (Row& row : m_rows) {
        row.sliderControl->setRange(0, kValueMax);
        row.sliderControl->setPageStep(kSliderPage);
        row.sliderControl->setTickInterval(1);
    }
    m_bExchanging = false;

    // The device's values as the rows show them; a value outside 0 to 255 shows as the
    // nearest end of the range.
    const bool fromMiddle = CountsFromMiddle();
    m_nEditBrightness = ClampValue(fromMiddle ? ShiftHalfRange(m_nBrightness) : m_nBrightness);
    m_nEditContrast = ClampValue(m_nContrast);
    m_nEditHue = ClampValue(fromMiddle ? ShiftHalfRange(m_nHue) : m_nHue);
    for (Row& row : m_rows) *row.slider = *row.edit;
    m_bValuesShown = true;

    for (size_t i = 0; i < ColorLabelButtonTable.size(); ++i) {
        const ColorLabelButton_Struct& label = ColorLabelButtonTable[i];
        auto* button = new CVtxButton(this);
        ormidon::SetControlId(button, label.wControlId);
        button->setGeometry(label.left, label.top, label.right - label.left,
                            label.bottom - label.top);
        button->setToolTip(QString::fromUtf8(LoadResourceString(label.wTooltipId)));
        button->LoadButtonBitmap(label.lpBitmapFile, CVtxButton::kStyleSingle);
        button->show();
        m_btnLabel[i] = button;
    }
    ExchangeToControls();
    return 1;
}

void CColorAdjustDlg::ExchangeToControls() {
    m_bExchanging = true;
    for (const Row& row : m_rows) {
        row.sliderControl->setValue(*row.slider);
        // The same text is not set again, so an unchanged field raises no change notice.
        const QString text = QString::number(*row.edit);
        if (row.editControl->text() != text) row.editControl->setText(text);
    }
    m_bExchanging = false;
}

void CColorAdjustDlg::ExchangeFromControls() {
    for (const Row& row : m_rows) {
        *row.slider = row.sliderControl->value();
        if (auto value = ReadNumber(row.editControl->text().toStdString())) *row.edit = *value;
    }
}

void CColorAdjustDlg::OnHScroll(int sliderId) {
    if (m_bExchanging) return;
    for (Row& row : m_rows) {
        if (ormidon::ControlIdOf(row.sliderControl) != sliderId) continue;
        const int value = ClampValue(row.sliderControl->value());
        *row.slider = value;
        *row.edit = value;
    }
    ExchangeToControls();
}

void CColorAdjustDlg::OnChangeRow(Row& row) {
    if (m_bExchanging) return;
    std::string text = row.editControl->text().toStdString();
    FilterNumericString(text, kFilterDigitsOnly);
    if (auto value = ReadNumber(text)) *row.edit = *value;
    *row.edit = ClampValue(*row.edit);
    *row.slider = *row.edit;
    ExchangeToControls();
}

void CColorAdjustDlg::OnChangeBrightness() { OnChangeRow(m_rows[0]); }
void CColorAdjustDlg::OnChangeContrast() { OnChangeRow(m_rows[1]); }
void CColorAdjustDlg::OnChangeHue() { OnChangeRow(m_rows[2]); }

void CColorAdjustDlg::OnDefault() {
    const bool fromMiddle = CountsFromMiddle();
    m_nEditBrightness = fromMiddle ? 175 : 128;
    m_nEditContrast = fromMiddle ? 150 : 128;
    m_nEditHue = fromMiddle ? 130 : 128;
    for (Row& row : m_rows) *row.slider = *row.edit;
    ExchangeToControls();
}

void CColorAdjustDlg::OnTitleClose() { OnCancel(); }

void CColorAdjustDlg::OnOK() {
    if (!m_bValuesShown) return;
    ExchangeFromControls();
    const bool fromMiddle = CountsFromMiddle();
    m_nBrightness = fromMiddle ? ShiftHalfRange(m_nEditBrightness) : m_nEditBrightness;
    m_nContrast = m_nEditContrast;
    m_nHue = fromMiddle ? ShiftHalfRange(m_nEditHue) : m_nEditHue;

    CCgiRequest request = WindowCommandRequest(CGI_SETCOLOR);
    request.AddIntParam("CON", m_nContrast);
    request.AddIntParam("BRI", m_nBrightness);
    request.AddIntParam("HUE", m_nHue);
    if (!SendWindowCommand(CGI_SETCOLOR, request)) ormidon::ShowMessage(kStrSendCommandTimeout);
}

void CColorAdjustDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (size_t i = 0; i < kSkinPieces.size(); ++i) {
        ormidon::DrawStretched(painter, m_skin[i], kSkinPieces[i].area);
    }
    const QColor interior = QColor::fromRgb(kInteriorColour);
    painter.setPen(interior);
    painter.setBrush(interior);
    const QPoint corners[] = {{10, 32}, {294, 32}, {294, 183}, {10, 183}};
    painter.drawPolygon(corners, 4);

    painter.setPen(Qt::black);
    const QFontMetrics metrics = painter.fontMetrics();
    for (int top : kRowTop) {
        painter.drawText(QPoint(kMinusLeft, top + metrics.ascent()), "-");
        painter.drawText(QPoint(kPlusLeft, top + metrics.ascent()), "+");
    }
}
