#include "SkinPainter.h"

#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "Symbols.h"

namespace ormidon::skin {
namespace {

// The palette.
const QColor kTitleBand(0x1B, 0x24, 0x30);  // window title bars
const QColor kToolBand(0x24, 0x31, 0x40);   // main window's tool row, sensor bar
const QColor kChromeLine(0x34, 0x46, 0x5A);
const QColor kChromeText(0xE9, 0xEE, 0xF3);
const QColor kChromeInk(0xB4, 0xBF, 0xCB);  // symbols on chrome at rest
const QColor kDimInk(0x56, 0x63, 0x70);     // refused buttons
const QColor kBody(0xC8, 0xD0, 0xD9);       // main window around the picture
const QColor kStatus(0xEE, 0xF2, 0xF6);
const QColor kStatusLine(0xB7, 0xC1, 0xCC);
const QColor kKey(0x2E, 0x3A, 0x48);
const QColor kKeyText(0xE9, 0xEE, 0xF3);
const QColor kAccent(0x2F, 0x80, 0xED);
const QColor kAccentLight(0x5A, 0x9B, 0xF2);
const QColor kAccentDark(0x1E, 0x63, 0xC4);
const QColor kAmber(0xF2, 0xA2, 0x33);
const QColor kAmberLight(0xF7, 0xBD, 0x63);
const QColor kAmberText(0x2A, 0x1A, 0x00);
const QColor kRed(0xE5, 0x48, 0x4D);
const QColor kRedLight(0xEE, 0x6E, 0x72);
const QColor kGreen(0x2D, 0xB3, 0x6A);
const QColor kGreenLight(0x4F, 0xC9, 0x85);
const QColor kPaper(0xEE, 0xF2, 0xF6);         // login window inside
const QColor kColourInside(0xDD, 0xDD, 0xDD);  // the colour window paints its inside so
const QColor kProgressTrack(157, 216, 244);    // the login window's progress bar

constexpr int kLoginWidth = 304, kLoginHeight = 341;
constexpr int kColourWidth = 304, kColourHeight = 196;

// No label text is set smaller than this (pixel size of the font).
constexpr int kMinTextPixels = 8;
// Side of the square the joystick keys' arrows are drawn in.
constexpr double kArrowSide = 16;

bool IsSymbol(std::string_view label) { return !label.empty() && label.front() == '@'; }

bool IsJoystickArrow(std::string_view label) {
    return label == "@up" || label == "@down" || label == "@left" || label == "@right";
}

QString ToQString(std::string_view label) {
    return QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size()));
}

// The colour of a two-state button's second state, by what it stands for.
QColor OnColour(std::string_view label, bool hover) {
    if (label == "@turbo") return hover ? kAmberLight : kAmber;
    if (label == "@bell" || label == "@rec") return hover ? kRedLight : kRed;
    if (label == "P") return hover ? kGreenLight : kGreen;
    return hover ? kAccentLight : kAccent;
}

class Canvas {
  public:
    Canvas(const SkinBitmap& bitmap, const QColor& ground, const QString& sans,
           const QString& condensed)
        : image_(bitmap.width, bitmap.height, QImage::Format_RGB32),
          sans_(sans),
          condensed_(condensed) {
        image_.fill(ground);
        painter_.begin(&image_);
        painter_.setRenderHint(QPainter::Antialiasing, true);
        painter_.setRenderHint(QPainter::TextAntialiasing, true);
    }
    ~Canvas() {
        if (painter_.isActive()) painter_.end();
    }

    QImage Take() {
        painter_.end();
        return image_;
    }
    QPainter& P() { return painter_; }
    QRectF Rect() const { return QRectF(0, 0, image_.width(), image_.height()); }

    void RoundBox(const QRectF& box, double radius, const QColor& fill) {
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(fill);
        painter_.drawRoundedRect(box, radius, radius);
    }

    // Text or symbol, centred in `box`, as large as fits.
    void Label(std::string_view label, const QRectF& box, const QColor& ink, bool bold = true) {
        if (label.empty()) return;
        if (IsSymbol(label)) {
            const double side = std::min(box.width(), box.height());
            const QRectF square(box.center().x() - side / 2, box.center().y() - side / 2, side,
                                side);
            DrawSymbol(painter_, label.substr(1), square, ink);
            return;
        }
        const QString text = ToQString(label);
        const bool narrow = text.size() > 3 || box.width() < box.height() * 1.2;
        QFont font(narrow ? condensed_ : sans_);
        font.setBold(bold);
        font.setHintingPreference(QFont::PreferFullHinting);
        // As large as fits, never below the smallest legible size: a long text that does
        // not fit in bold at that size is set in the lighter, narrower regular weight, and
        // one still too wide is narrowed to the box, keeping its height.
        const auto advance = [&] { return QFontMetricsF(font).horizontalAdvance(text); };
        const auto fits = [&] { return advance() <= box.width(); };
        int size = static_cast<int>(std::min(box.height() * 0.62, 14.0));
        for (; size > kMinTextPixels; --size) {
            font.setPixelSize(size);
            if (fits()) break;
        }
        size = std::max(size, kMinTextPixels);
        font.setPixelSize(size);
        if (!fits()) font.setBold(false);
        painter_.setFont(font);
        painter_.setPen(ink);
        if (fits()) {
            painter_.drawText(box, Qt::AlignCenter, text);
            return;
        }
        const double narrowing = box.width() / advance();
        painter_.save();
        painter_.translate(box.center().x(), 0);
        painter_.scale(narrowing, 1);
        painter_.drawText(
            QRectF(-box.width() / narrowing / 2, box.top(), box.width() / narrowing, box.height()),
            Qt::AlignCenter, text);
        painter_.restore();
    }

    void Text(const QString& text, const QRectF& box, const QColor& ink, int pixelSize, bool bold,
              Qt::Alignment align) {
        QFont font(sans_);
        font.setPixelSize(pixelSize);
        font.setBold(bold);
        painter_.setFont(font);
        painter_.setPen(ink);
        painter_.drawText(box, align, text);
    }

  private:
    QImage image_;
    QPainter painter_;
    QString sans_;
    QString condensed_;
};

// The program's mark: a blue rounded square holding a lens.
void Mark(QPainter& p, const QRectF& box) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawRoundedRect(box, box.width() * 0.22, box.width() * 0.22);
    const QPointF c = box.center();
    const double r = box.height() * 0.30;
    p.setBrush(Qt::white);
    p.drawEllipse(c, r, r);
    p.setBrush(kAccentDark);
    p.drawEllipse(c, r * 0.55, r * 0.55);
    p.restore();
}

QImage PaintWindowBackground(const SkinBitmap& b, const QString& sans, const QString& condensed) {
    Canvas canvas(b, kBody, sans, condensed);
    QPainter& p = canvas.P();
    const double w = b.width;
    p.fillRect(QRectF(0, 0, w, 30), kTitleBand);
    p.fillRect(QRectF(0, 30, w, 32), kToolBand);
    p.fillRect(QRectF(0, 61, w, 1), kChromeLine);
    Mark(p, QRectF(9, 7, 16, 16));
    canvas.Text("Ormidon", QRectF(31, 4, 120, 22), kChromeText, 13, true,
                Qt::AlignLeft | Qt::AlignVCenter);
    // A soft edge along the bottom, where the window region rounds its corners.
    p.fillRect(QRectF(0, b.height - 3, w, 3), kBody.darker(108));
    return canvas.Take();
}

QImage PaintStatusBar(const SkinBitmap& b, const QString& sans, const QString& condensed) {
    Canvas canvas(b, kStatus, sans, condensed);
    canvas.P().fillRect(QRectF(0, 0, b.width, 1), kStatusLine);
    canvas.P().fillRect(QRectF(0, b.height - 1, b.width, 1), kStatusLine.darker(110));
    return canvas.Take();
}

QImage PaintKey(const SkinBitmap& b, const QString& sans, const QString& condensed) {
    Canvas canvas(b, kBody, sans, condensed);
    const QRectF box = canvas.Rect().adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = std::min(b.width, b.height) <= 14 ? 2 : 3;
    QColor fill = kKey, ink = kKeyText;
    switch (b.mood) {
        case Mood::Hover:
        case Mood::Pressed:
            fill = kAccent;
            ink = Qt::white;
            break;
        case Mood::Turbo:
            fill = kAmber;
            ink = kAmberText;
            break;
        case Mood::TurboHover:
            fill = kAmberLight;
            ink = kAmberText;
            break;
        case Mood::On:
        case Mood::OnHover:
            fill = OnColour(b.label, b.mood == Mood::OnHover);
            ink = Qt::white;
            break;
        case Mood::Disabled:
            ink = kDimInk;
            break;
        default:
            break;
    }
    canvas.RoundBox(box, radius, fill);
    // A hairline of light along the top edge gives the flat key a little body.
    canvas.P().setPen(QPen(fill.lighter(125), 1));
    canvas.P().drawLine(QPointF(radius, 1), QPointF(b.width - radius, 1));
    if (b.label == "@rec" && b.mood == Mood::Normal) ink = kRed;
    const double pad = std::min(b.width, b.height) <= 14 ? 2 : 3;
    if (b.label.substr(0, 4) == "@cut" && b.width >= 2 * b.height) {
        // Split-screen keys: the screen split as a grid, then the number of pictures.
        const double side = b.height - 2 * pad;
        DrawSymbol(canvas.P(), b.label.substr(1), QRectF(pad + 1, pad, side, side), ink);
        canvas.Label(b.label.substr(4),
                     QRectF(pad + side + 1, pad, b.width - side - 2 * pad - 1, side), ink);
        return canvas.Take();
    }
    if (IsJoystickArrow(b.label)) {
        // The four joystick keys differ in size; their arrows are one size all the same.
        const QPointF centre = canvas.Rect().center();
        DrawSymbol(canvas.P(), b.label.substr(1),
                   QRectF(centre.x() - kArrowSide / 2, centre.y() - kArrowSide / 2, kArrowSide,
                          kArrowSide),
                   ink);
        return canvas.Take();
    }
    // Symbols fill a little more of the key than text does; text takes all but the edge.
    const double inset = IsSymbol(b.label) ? (b.height >= 18 ? pad - 1 : pad) : 1;
    canvas.Label(b.label, canvas.Rect().adjusted(inset, inset, -inset, -inset), ink);
    return canvas.Take();
}

QImage PaintToolButton(const SkinBitmap& b, const QString& sans, const QString& condensed) {
    Canvas canvas(b, kToolBand, sans, condensed);
    const QRectF box = canvas.Rect().adjusted(1, 1, -1, -1);
    QColor ink = kChromeInk;
    // A symbol sits inside a margin; a word ("QVGA", "HIGH") takes the key's whole width.
    QRectF labelBox = IsSymbol(b.label) ? canvas.Rect().adjusted(5, 5, -5, -5)
                                        : canvas.Rect().adjusted(1, 5, -1, -5);
    switch (b.mood) {
        case Mood::Hover:
            canvas.RoundBox(box, 5, kAccent);
            ink = Qt::white;
            break;
        case Mood::Pressed:
            canvas.RoundBox(box, 5, kAccentDark);
            ink = Qt::white;
            labelBox.translate(0, 1);
            break;
        case Mood::On:
        case Mood::OnHover:
            canvas.RoundBox(box, 5, OnColour(b.label, b.mood == Mood::OnHover));
            ink = Qt::white;
            break;
        case Mood::Disabled:
            ink = kDimInk;
            break;
        default:
            if (b.label == "@rec") ink = kRed;
            break;
    }
    canvas.Label(b.label, labelBox, ink);
    return canvas.Take();
}

QImage PaintTitleButton(const SkinBitmap& b, const QString& sans, const QString& condensed) {
    Canvas canvas(b, kTitleBand, sans, condensed);
    QColor ink = kChromeInk;
    if (b.mood == Mood::Hover) {
        canvas.RoundBox(canvas.Rect(), 2.5, b.label == "@close" ? kRed : kAccent);
        ink = Qt::white;
    }
    canvas.Label(b.label, canvas.Rect().adjusted(1.5, 1.5, -1.5, -1.5), ink);
    return canvas.Take();
}

QImage PaintPanelToggle(const SkinBitmap& b, const QString& sans, const QString& condensed) {
    Canvas canvas(b, kBody, sans, condensed);
    QPainter& p = canvas.P();
    p.setPen(Qt::NoPen);
    p.setBrush(b.mood == Mood::Hover ? kAccent : kKey);
    p.drawEllipse(canvas.Rect().adjusted(2, 2, -2, -2));
    canvas.Label(b.label, canvas.Rect().adjusted(8, 8, -8, -8), Qt::white);
    return canvas.Take();
}

QImage PaintStatusIcon(const SkinBitmap& b, const QString& sans, const QString& condensed) {
    Canvas canvas(b, kStatus, sans, condensed);
    const QColor ink = b.label == "@bell" ? kRed : QColor(0x3A, 0x46, 0x54);
    DrawSymbol(canvas.P(), b.label.substr(1), QRectF(0, 1.5, 13, 13), ink);
    return canvas.Take();
}

QImage PaintChannelTab(const SkinBitmap& b, const QString& sans, const QString& condensed) {
    Canvas canvas(b, kToolBand, sans, condensed);
    const QRectF box = canvas.Rect().adjusted(1.5, 1.5, -1.5, -1.5);
    QColor fill(0x2B, 0x3A, 0x4B), edge(0x3C, 0x4F, 0x63), ink(0xC9, 0xD3, 0xDD);
    switch (b.mood) {
        case Mood::Hover:
            fill = QColor(0x35, 0x49, 0x5E);
            edge = kAccent;
            ink = Qt::white;
            break;
        case Mood::On:
            fill = edge = kAccent;
            ink = Qt::white;
            break;
        case Mood::OnHover:
            fill = edge = kAccentLight;
            ink = Qt::white;
            break;
        default:
            break;
    }
    canvas.P().setPen(QPen(edge, 1));
    canvas.P().setBrush(fill);
    canvas.P().drawRoundedRect(box, 4, 4);
    canvas.Label(b.label, canvas.Rect().adjusted(4, 6, -4, -6), ink);
    return canvas.Take();
}

QImage PaintChannelArrow(const SkinBitmap& b, const QString& sans, const QString& condensed) {
    Canvas canvas(b, kToolBand, sans, condensed);
    DrawSymbol(canvas.P(), b.label.substr(1), QRectF(-3.5, 0, 16, 16),
               b.mood == Mood::Hover ? kAccentLight : kChromeInk);
    return canvas.Take();
}

QImage PaintDialogButton(const SkinBitmap& b, const QString& sans, const QString& condensed) {
    Canvas canvas(b, kColourInside, sans, condensed);
    const bool hover = b.mood == Mood::Hover;
    QColor fill = kKey, ink = Qt::white, edge = Qt::transparent;
    if (b.label == "Apply") {
        fill = hover ? kAccentDark : kAccent;
    } else if (b.label == "Default") {
        fill = hover ? QColor(0xE2, 0xE8, 0xEE) : QColor(0xF6, 0xF8, 0xFA);
        edge = QColor(0x9A, 0xA5, 0xB1);
        ink = kKey;
    } else if (hover) {
        fill = kKey.lighter(130);
    }
    canvas.P().setPen(edge == Qt::transparent ? QPen(Qt::NoPen) : QPen(edge, 1));
    canvas.P().setBrush(fill);
    canvas.P().drawRoundedRect(canvas.Rect().adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    canvas.Text(ToQString(b.label), canvas.Rect().translated(0, hover ? 1 : 0), ink, 12, true,
                Qt::AlignCenter);
    return canvas.Take();
}

QImage PaintDialogLabel(const SkinBitmap& b, const QString& sans, const QString& condensed) {
    Canvas canvas(b, kColourInside, sans, condensed);
    canvas.Label(b.label, canvas.Rect().adjusted(1, 1, -1, -1), kKey);
    return canvas.Take();
}

QImage PaintCmosBackground(const SkinBitmap& b, const QString& sans, const QString& condensed) {
    Canvas canvas(b, kToolBand, sans, condensed);
    canvas.P().fillRect(QRectF(0, 0, b.width, 1), kChromeLine);
    canvas.P().fillRect(QRectF(b.width - 1, 0, 1, b.height), kTitleBand);
    // The mode buttons sit in one group, the two mirror buttons in another below it.
    canvas.P().fillRect(QRectF(8, 245.5 - 3, b.width - 16, 1), kChromeLine);
    return canvas.Take();
}

QImage PaintCmosButton(const SkinBitmap& b, const QString& sans, const QString& condensed) {
    Canvas canvas(b, kToolBand, sans, condensed);
    QColor fill = kKey;
    QRectF labelBox = canvas.Rect().adjusted(4, 4, -4, -4);
    if (b.mood == Mood::On) fill = kAccent;
    if (b.mood == Mood::Pressed) {
        fill = kAccentDark;
        labelBox.translate(0, 1);
    }
    canvas.RoundBox(canvas.Rect().adjusted(0.5, 0.5, -0.5, -0.5), 4, fill);
    canvas.Label(b.label, labelBox, b.mood == Mood::Normal ? kKeyText : Qt::white);
    return canvas.Take();
}

QImage PaintLoginProgress(const SkinBitmap& b, const QString& sans, const QString& condensed) {
    Canvas canvas(b, kProgressTrack, sans, condensed);
    QLinearGradient shade(0, 0, 0, b.height);
    shade.setColorAt(0, kAccentLight);
    shade.setColorAt(1, kAccentDark);
    canvas.P().setPen(Qt::NoPen);
    canvas.P().setBrush(shade);
    canvas.P().drawRoundedRect(canvas.Rect().adjusted(1, 1, -1, -1), 3, 3);
    return canvas.Take();
}

QImage PaintLoginDigit(const SkinBitmap& b, const QString& sans, const QString& condensed) {
    Canvas canvas(b, kTitleBand, sans, condensed);
    if (b.label == ".") {
        canvas.P().setPen(Qt::NoPen);
        canvas.P().setBrush(kChromeText);
        canvas.P().drawEllipse(QPointF(5, 15), 1.6, 1.6);
    } else {
        canvas.Text(ToQString(b.label), QRectF(0, 0, 10, 20), kChromeText, 13, true,
                    Qt::AlignCenter);
    }
    return canvas.Take();
}

QImage PaintLoginButton(const SkinBitmap& b, const QString& sans, const QString& condensed) {
    Canvas canvas(b, kPaper, sans, condensed);
    QPainter& p = canvas.P();
    const bool round = b.label == "@connect" || b.label == "@cancel";
    const bool hover = b.mood == Mood::Hover, pressed = b.mood == Mood::Pressed;
    QRectF labelBox = canvas.Rect().adjusted(7, 7, -7, -7);
    if (pressed) labelBox.translate(0, 1);
    QColor ink = kAccent;
    if (round) {
        const QColor base = b.label == "@connect" ? kGreen : kRed;
        p.setPen(Qt::NoPen);
        p.setBrush(pressed ? base.darker(120) : hover ? base.lighter(115) : base);
        p.drawEllipse(canvas.Rect().adjusted(1, 1, -1, -1));
        ink = Qt::white;
    } else {
        QColor fill = Qt::white, edge(0xC9, 0xD2, 0xDC);
        if (hover) fill = edge = kAccent;
        if (pressed) fill = edge = kAccentDark;
        if (hover || pressed) ink = Qt::white;
        p.setPen(QPen(edge, 1));
        p.setBrush(fill);
        p.drawRoundedRect(canvas.Rect().adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    }
    canvas.Label(b.label, labelBox, ink);
    return canvas.Take();
}

QImage PaintLoginLabel(const SkinBitmap& b, const QString& sans, const QString& condensed) {
    Canvas canvas(b, kPaper, sans, condensed);
    canvas.RoundBox(canvas.Rect().adjusted(0.5, 0.5, -0.5, -0.5), 5, QColor(0xDC, 0xE3, 0xEA));
    canvas.Label(b.label, canvas.Rect().adjusted(5, 5, -5, -5), QColor(0x3A, 0x46, 0x54));
    return canvas.Take();
}

}  // namespace

SkinPainter::SkinPainter(const QString& fontFolder) {
    const int sans = QFontDatabase::addApplicationFont(QDir(fontFolder).filePath("DejaVuSans.ttf"));
    QFontDatabase::addApplicationFont(QDir(fontFolder).filePath("DejaVuSans-Bold.ttf"));
    const int condensed = QFontDatabase::addApplicationFont(
        QDir(fontFolder).filePath("DejaVuSansCondensed-Bold.ttf"));
    fontsLoaded_ = sans >= 0 && condensed >= 0;
    sans_ = sans >= 0 ? QFontDatabase::applicationFontFamilies(sans).value(0) : QString();
    condensed_ =
        condensed >= 0 ? QFontDatabase::applicationFontFamilies(condensed).value(0) : sans_;
    loginWindow_ = PaintLoginWindow();
    colourWindow_ = PaintColourWindow();
}

QImage SkinPainter::PaintLoginWindow() const {
    const SkinBitmap whole{"", kLoginWidth, kLoginHeight, Look::LoginFrame, Mood::Normal, ""};
    Canvas canvas(whole, kTitleBand, sans_, condensed_);
    QPainter& p = canvas.P();
    p.fillRect(QRectF(2, 34, kLoginWidth - 4, 285), kPaper);
    p.fillRect(QRectF(2, 319, kLoginWidth - 4, 20), QColor(0xE1, 0xE7, 0xED));
    p.fillRect(QRectF(2, 319, kLoginWidth - 4, 1), QColor(0xD0, 0xD8, 0xE0));
    p.fillRect(QRectF(30, 92, kLoginWidth - 60, 1), QColor(0xD5, 0xDC, 0xE3));
    // The version digits sit at y 13 to 33 (drawn by the window); the name lines up with them.
    Mark(p, QRectF(12, 15, 16, 16));
    canvas.Text("Ormidon", QRectF(34, 12, 120, 22), kChromeText, 14, true,
                Qt::AlignLeft | Qt::AlignVCenter);
    return canvas.Take();
}

QImage SkinPainter::PaintColourWindow() const {
    const SkinBitmap whole{"", kColourWidth, kColourHeight, Look::ColourFrame, Mood::Normal, ""};
    Canvas canvas(whole, QColor(0xC3, 0xCB, 0xD4), sans_, condensed_);
    QPainter& p = canvas.P();
    p.fillRect(QRectF(0, 0, kColourWidth, 32), kTitleBand);
    p.fillRect(QRectF(10, 32, 284, 151), kColourInside);
    p.setPen(QColor(0xAE, 0xB8, 0xC3));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(9.5, 31.5, 285, 152));
    p.setPen(QColor(0x8C, 0x97, 0xA3));
    p.drawRect(QRectF(0.5, 0.5, kColourWidth - 1, kColourHeight - 1));
    canvas.Text("Brightness / Contrast / Hue", QRectF(38, 5, 230, 20), kChromeText, 12, true,
                Qt::AlignLeft | Qt::AlignVCenter);
    return canvas.Take();
}

QImage SkinPainter::Paint(const SkinBitmap& b) const {
    switch (b.look) {
        case Look::WindowBackground:
            return PaintWindowBackground(b, sans_, condensed_);
        case Look::StatusBar:
            return PaintStatusBar(b, sans_, condensed_);
        case Look::StatusIcon:
            return PaintStatusIcon(b, sans_, condensed_);
        case Look::TitleButton:
            return PaintTitleButton(b, sans_, condensed_);
        case Look::ToolButton:
            return PaintToolButton(b, sans_, condensed_);
        case Look::PanelToggle:
            return PaintPanelToggle(b, sans_, condensed_);
        case Look::Key:
            return PaintKey(b, sans_, condensed_);
        case Look::ChannelTab:
            return PaintChannelTab(b, sans_, condensed_);
        case Look::ChannelArrow:
            return PaintChannelArrow(b, sans_, condensed_);
        case Look::ColourFrame:
            return colourWindow_.copy(b.x, b.y, b.width, b.height);
        case Look::Logo: {
            Canvas canvas(b, kTitleBand, sans_, condensed_);
            Mark(canvas.P(), QRectF(3, 0, 15, 15));
            return canvas.Take();
        }
        case Look::DialogButton:
            return PaintDialogButton(b, sans_, condensed_);
        case Look::DialogLabel:
            return PaintDialogLabel(b, sans_, condensed_);
        case Look::CmosBackground:
            return PaintCmosBackground(b, sans_, condensed_);
        case Look::CmosButton:
            return PaintCmosButton(b, sans_, condensed_);
        case Look::LoginFrame:
            return loginWindow_.copy(b.x, b.y, b.width, b.height);
        case Look::LoginProgress:
            return PaintLoginProgress(b, sans_, condensed_);
        case Look::LoginDigit:
            return PaintLoginDigit(b, sans_, condensed_);
        case Look::LoginButton:
            return PaintLoginButton(b, sans_, condensed_);
        case Look::LoginLabel:
            return PaintLoginLabel(b, sans_, condensed_);
    }
    return {};
}

}  // namespace ormidon::skin
