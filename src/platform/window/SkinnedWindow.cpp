#include "platform/window/SkinnedWindow.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>
#include <QWindow>

namespace ormidon {
namespace {

// Moves the window with the pointer while the left button is held after a press on its
// body. The platform's own move is asked for first (it also works where the window
// manager places windows); where the platform has none, the window follows the pointer.
class BodyDragFilter : public QObject {
  public:
    explicit BodyDragFilter(QWidget* window) : QObject(window), window_(window) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != window_) return false;
        switch (event->type()) {
            case QEvent::MouseButtonPress: {
                auto* mouse = static_cast<QMouseEvent*>(event);
                if (mouse->button() != Qt::LeftButton) break;
                QWindow* handle = window_->windowHandle();
                if (handle != nullptr && handle->startSystemMove()) break;
                dragging_ = true;
                grabOffset_ = mouse->globalPosition().toPoint() - window_->pos();
                break;
            }
            case QEvent::MouseMove: {
                auto* mouse = static_cast<QMouseEvent*>(event);
                if (dragging_ && (mouse->buttons() & Qt::LeftButton)) {
                    window_->move(mouse->globalPosition().toPoint() - grabOffset_);
                }
                break;
            }
            case QEvent::MouseButtonRelease:
                if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                    dragging_ = false;
                }
                break;
            default:
                break;
        }
        return false;  // the window still handles its mouse events itself
    }

  private:
    QWidget* window_;
    bool dragging_ = false;
    QPoint grabOffset_;
};

}  // namespace

void MakeFrameless(QWidget* window) { window->setWindowFlag(Qt::FramelessWindowHint, true); }

QRegion RoundRectRegion(const QRect& rect, int ellipseWidth, int ellipseHeight) {
    QPainterPath path;
    path.addRoundedRect(QRectF(rect), ellipseWidth / 2.0, ellipseHeight / 2.0);
    return QRegion(path.toFillPolygon().toPolygon());
}

void SetRoundRectRegion(QWidget* window, const QRect& rect, int ellipseWidth, int ellipseHeight) {
    window->setMask(RoundRectRegion(rect, ellipseWidth, ellipseHeight));
}

void EnableBodyDrag(QWidget* window) { window->installEventFilter(new BodyDragFilter(window)); }

void DrawStretched(QPainter& painter, const QImage& bitmap, const QRect& target) {
    if (bitmap.isNull() || target.isEmpty()) return;
    painter.drawImage(target, bitmap, bitmap.rect());
}

}  // namespace ormidon
