#include "ContactSheet.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace ormidon::skin {
namespace {

constexpr int kSheetWidth = 1600;
constexpr int kMargin = 16;
constexpr int kGap = 10;
constexpr int kCaption = 14;
QSize ShownSize(const QImage& picture, int maxPicture) {
    const QSize size = picture.size();
    if (maxPicture <= 0 || (size.width() <= maxPicture && size.height() <= maxPicture)) {
        return size;
    }
    return size.scaled(maxPicture, maxPicture, Qt::KeepAspectRatio);
}

struct Placed {
    const SheetItem* item;
    QRect cell;
};

}  // namespace

QImage ContactSheet(const std::vector<SheetItem>& items, const QString& title, int maxPicture) {
    QFont captionFont;
    captionFont.setPixelSize(10);
    const QFontMetrics metrics(captionFont);

    // Flow the cells into rows.
    std::vector<Placed> placed;
    int x = kMargin, y = kMargin + 34, rowHeight = 0;
    for (const SheetItem& item : items) {
        const QSize shown = ShownSize(item.picture, maxPicture);
        const int captionWidth = std::min(metrics.horizontalAdvance(item.name), 240);
        const int width = std::max({shown.width(), captionWidth, 40});
        const int height = shown.height() + kCaption + 4;
        if (x + width > kSheetWidth - kMargin && x > kMargin) {
            x = kMargin;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        placed.push_back({&item, QRect(x, y, width, height)});
        x += width + kGap;
        rowHeight = std::max(rowHeight, height);
    }
    const int sheetHeight = y + rowHeight + kMargin;

    QImage sheet(kSheetWidth, sheetHeight, QImage::Format_RGB32);
    sheet.fill(QColor(0xF4, 0xF6, 0xF8));
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    QFont titleFont;
    titleFont.setPixelSize(18);
    titleFont.setBold(true);
    painter.setFont(titleFont);
    painter.setPen(QColor(0x1B, 0x24, 0x30));
    painter.drawText(QRect(kMargin, kMargin, kSheetWidth, 26), Qt::AlignLeft | Qt::AlignVCenter,
                     title);

    painter.setFont(captionFont);
    for (const Placed& p : placed) {
        const QSize shown = ShownSize(p.item->picture, maxPicture);
        const QRect target(p.cell.topLeft(), shown);
        painter.drawImage(target, p.item->picture);
        painter.setPen(QColor(0xC0, 0xC8, 0xD0));
        painter.drawRect(target.adjusted(-1, -1, 0, 0));
        painter.setPen(QColor(0x3A, 0x46, 0x54));
        const QString caption = metrics.elidedText(p.item->name, Qt::ElideMiddle, p.cell.width());
        painter.drawText(QRect(p.cell.left(), target.bottom() + 3, p.cell.width(), kCaption),
                         Qt::AlignLeft | Qt::AlignTop, caption);
    }
    painter.end();
    return sheet;
}

}  // namespace ormidon::skin
