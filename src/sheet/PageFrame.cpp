#include "sheet/PageFrame.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QPalette>

void CPageFrame::EnableCaption(bool enable) {
    m_bCaptionEnabled = enable;
    SafeInvalidateRect(GetCaptionRect());
}

void CPageFrame::SetCaptionHeight(int height) {
    m_nCaptionHeight = height;
    SafeInvalidateRect(GetCaptionRect());
}

void CPageFrame::SetCaption(const QString& text, const QIcon& icon) {
    m_strCaption = text;
    m_hCaptionIcon = icon;
    SafeInvalidateRect(GetCaptionRect());
}

void CPageFrame::SetMessageText(const QString& text) {
    m_strMessage = text;
    SafeInvalidateRect(GetMessageRect());
}

void CPageFrame::SetMessageFormat(uint32_t flags) {
    m_uMessageFormat = flags;
    SafeInvalidateRect(GetMessageRect());
}

void CPageFrame::Draw(QPainter& painter) {
    if (m_bCaptionEnabled) DrawCaption(painter, GetCaptionRect(), m_strCaption, m_hCaptionIcon);
    DrawMessage(painter, GetMessageRect(), m_strMessage, m_uMessageFormat);
}

QRect CPageFrame::ClientRect() {
    QWidget* window = GetWnd();
    return window ? window->rect() : QRect();
}

QRect CPageFrame::GetMessageRect() {
    QRect rect = ClientRect();
    if (m_bCaptionEnabled) rect.setTop(rect.top() + m_nCaptionHeight);
    return rect;
}

void CPageFrame::DrawMessage(QPainter& painter, const QRect& rect, const QString& text,
                             uint32_t /*flags*/) {
    painter.save();
    painter.setFont(QApplication::font());
    painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, text);
    painter.restore();
}

QRect CPageFrame::GetCaptionRect() {
    QRect rect = ClientRect();
    rect.setHeight(m_bCaptionEnabled ? m_nCaptionHeight : 0);
    return rect;
}

void CPageFrame::DrawCaption(QPainter&, const QRect&, const QString&, const QIcon&) {}

void CPageFrame::SafeInvalidateRect(const QRect& rect) {
    QWidget* window = GetWnd();
    if (window != nullptr) window->update(rect);
}

CPageFrameWnd::CPageFrameWnd(QWidget* parent) : QWidget(parent) {
    setObjectName("Page Frame");
    setAutoFillBackground(true);
}

QRect CPageFrameWnd::GetMessageRect() {
    QRect rect = this->rect();
    if (m_bCaptionEnabled) rect.setTop(rect.top() + m_nCaptionHeight + 1);
    return rect;
}

QColor CPageFrameWnd::InactiveCaptionColour() { return QColor(0xbf, 0xcd, 0xdb); }
QColor CPageFrameWnd::CaptionTextColour() { return QColor(0x00, 0x00, 0x00); }

void CPageFrameWnd::DrawCaption(QPainter& painter, const QRect& rect, const QString& text,
                                const QIcon& icon) {
    if (rect.width() <= 0 || rect.height() <= 0) return;
    // From the inactive caption colour on the left to what is already on the right end.
    const QColor left = InactiveCaptionColour();
    QColor right = palette().color(QPalette::Window);
    if (QPaintDevice* device = painter.device(); device != nullptr) {
        if (auto* image = dynamic_cast<QImage*>(device);
            image != nullptr && image->rect().contains(rect.right(), rect.top()))
            right = image->pixelColor(rect.right(), rect.top());
    }
    const double width = rect.width();
    const double stepR = (right.red() - left.red()) / width;
    const double stepG = (right.green() - left.green()) / width;
    const double stepB = (right.blue() - left.blue()) / width;
    double r = left.red(), g = left.green(), b = left.blue();
    for (int x = rect.left(); x <= rect.right(); ++x) {
        painter.setPen(QColor(static_cast<int>(r), static_cast<int>(g), static_cast<int>(b)));
        painter.drawLine(x, rect.top(), x, rect.bottom());
        r += stepR;
        g += stepG;
        b += stepB;
    }
    QRect textRect = rect;
    if (!icon.isNull()) {
        const QSize size = icon.actualSize(QSize(16, 16));
        icon.paint(&painter, 3, rect.center().y() - size.height() / 2, size.width(), size.height());
        textRect.setLeft(textRect.left() + size.width() + 3);
    }
    textRect.setLeft(textRect.left() + 2);
    painter.save();
    painter.setPen(CaptionTextColour());
    painter.setFont(QFontDatabase::systemFont(QFontDatabase::TitleFont));
    const QString shown = painter.fontMetrics().elidedText(text, Qt::ElideRight, textRect.width());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    painter.restore();
}

void CPageFrameWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Draw(painter);
}
