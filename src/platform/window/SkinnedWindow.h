#pragma once
// Helpers for the skinned windows: no system frame, a window region with rounded corners,
// dragged by any point of the body, frame pieces stretched from bitmaps.
#include <QImage>
#include <QRect>
#include <QRegion>

class QPainter;
class QWidget;

namespace ormidon {

// Turns `window` into a top-level window without the system frame and title bar.
void MakeFrameless(QWidget* window);

// The region of rectangle `rect` whose corners are rounded by ellipses of
// `ellipseWidth` x `ellipseHeight` pixels.
QRegion RoundRectRegion(const QRect& rect, int ellipseWidth, int ellipseHeight);

// Gives `window` that region (its shape on screen and where it takes the mouse).
void SetRoundRectRegion(QWidget* window, const QRect& rect, int ellipseWidth, int ellipseHeight);

// From now on a left-button press on the body of `window` (on the window itself, or on a
// child that leaves the press to it) drags the window like a caption would. The window's
// own mouse handling still sees the press.
void EnableBodyDrag(QWidget* window);

// Draws the whole of `bitmap` stretched into `target`; a missing (null) bitmap draws nothing.
void DrawStretched(QPainter& painter, const QImage& bitmap, const QRect& target);

}  // namespace ormidon
