#include "widgets/FolderImages.h"

#include <QPainter>
#include <QPainterPath>

namespace folder_images {
namespace {

const QColor kOutline(90, 70, 20);
const QColor kFolder(240, 200, 90);
const QColor kFolderFront(250, 220, 120);
const QColor kDrive(170, 175, 185);
const QColor kDriveDark(90, 95, 110);

void ClosedFolder(QPainter& p) {
    p.setPen(kOutline);
    p.setBrush(kFolder);
    QPainterPath tab;
    tab.moveTo(1.5, 3.5);
    tab.lineTo(6.5, 3.5);
    tab.lineTo(8.5, 5.5);
    tab.lineTo(15.5, 5.5);
    tab.lineTo(15.5, 13.5);
    tab.lineTo(1.5, 13.5);
    tab.closeSubpath();
    p.drawPath(tab);
}

void OpenFolder(QPainter& p) {
    ClosedFolder(p);
    p.setBrush(kFolderFront);
    QPolygonF front;
    front << QPointF(3.5, 7.5) << QPointF(16.5, 7.5) << QPointF(14.5, 13.5) << QPointF(1.5, 13.5);
    p.drawPolygon(front);
}

// A drive: a flat box with a light, and a mark for its kind.
void Drive(QPainter& p, int kind) {
    p.setPen(kDriveDark);
    p.setBrush(kDrive);
    p.drawRect(QRectF(1.5, 7.5, 14, 6));
    p.setPen(Qt::NoPen);
    p.setBrush(kind == kRemovableDrive ? QColor(60, 160, 60) : QColor(40, 120, 220));
    p.drawRect(QRectF(12, 10, 2, 2));
    p.setPen(kDriveDark);
    p.setBrush(Qt::NoBrush);
    switch (kind) {
        case kRemovableDrive:  // a stick's plug
            p.drawRect(QRectF(5.5, 4.5, 5, 3));
            break;
        case kNetworkDrive:  // a cable under it
            p.drawLine(QPointF(8.5, 13.5), QPointF(8.5, 15.5));
            p.drawLine(QPointF(3.5, 15.5), QPointF(13.5, 15.5));
            break;
        case kDiscDrive:  // a disc on top
            p.drawEllipse(QRectF(4.5, 1.5, 8, 6));
            break;
        case kRamDrive:  // chip legs
            for (int x = 4; x <= 12; x += 3)
                p.drawLine(QPointF(x + 0.5, 4.5), QPointF(x + 0.5, 7.5));
            break;
        default:
            break;
    }
}

// Network items: a screen, or a globe-like circle for the containers.
void Network(QPainter& p, int index) {
    p.setPen(kDriveDark);
    if (index == kComputers) {
        p.setBrush(QColor(120, 170, 230));
        p.drawRect(QRectF(2.5, 2.5, 12, 8));
        p.drawLine(QPointF(8.5, 10.5), QPointF(8.5, 13.5));
        p.drawLine(QPointF(4.5, 13.5), QPointF(12.5, 13.5));
        return;
    }
    p.setBrush(QColor::fromHsv((index - 8) * 45, 120, 220));
    p.drawEllipse(QRectF(2.5, 2.5, 12, 11));
}

}  // namespace

QImage Strip() {
    QImage strip(kWidth * kCount, kHeight, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < kCount; ++i) {
        p.save();
        p.translate(i * kWidth, 0);
        if (i == kOpenFolder) {
            OpenFolder(p);
        } else if (i == kClosedFolder) {
            ClosedFolder(p);
        } else if (i < kComputers) {
            Drive(p, i);
        } else {
            Network(p, i);
        }
        p.restore();
    }
    return strip;
}

}  // namespace folder_images
