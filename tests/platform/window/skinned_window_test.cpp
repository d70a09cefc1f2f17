#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include "platform/window/SkinnedDialog.h"
#include "platform/window/SkinnedWindow.h"
#include "platform/window/testing/WindowTesting.h"

namespace ormidon {
namespace {

using SkinnedWindowTest = testing::WindowTest;

TEST_F(SkinnedWindowTest, RoundRectRegionCutsItsCorners) {
    const QRegion region = RoundRectRegion(QRect(0, 0, 304, 341), 15, 15);
    EXPECT_TRUE(region.contains(QPoint(152, 170)));
    EXPECT_TRUE(region.contains(QPoint(152, 1)));  // top edge between the corners
    EXPECT_TRUE(region.contains(QPoint(1, 170)));  // left edge between the corners
    EXPECT_FALSE(region.contains(QPoint(0, 0)));   // each corner is cut
    EXPECT_FALSE(region.contains(QPoint(303, 0)));
    EXPECT_FALSE(region.contains(QPoint(0, 340)));
    EXPECT_FALSE(region.contains(QPoint(303, 340)));
    EXPECT_FALSE(region.contains(QPoint(304, 170)));  // nothing outside the rectangle
    EXPECT_TRUE(region.contains(QPoint(8, 8)));       // inside the corner's ellipse
}

void SendMouse(QWidget* widget, QEvent::Type type, QPoint local, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(local), QPointF(widget->mapToGlobal(local)), button, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

TEST_F(SkinnedWindowTest, ThePressOnTheBodyDragsTheWindowAndStillReachesIt) {
    struct Window : QWidget {
        int presses = 0;
        void mousePressEvent(QMouseEvent*) override { ++presses; }
    } window;
    MakeFrameless(&window);
    EnableBodyDrag(&window);
    window.setGeometry(100, 100, 200, 150);
    window.show();
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);

    SendMouse(&window, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
    const QPoint from = window.pos();
    SendMouse(&window, QEvent::MouseMove, {30, 40}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window.pos(), from + QPoint(20, 30));
    SendMouse(&window, QEvent::MouseButtonRelease, {30, 40}, Qt::LeftButton, Qt::NoButton);
    SendMouse(&window, QEvent::MouseMove, {60, 60}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(window.pos(), from + QPoint(20, 30));  // released: no more dragging
    EXPECT_EQ(window.presses, 1);
}

TEST_F(SkinnedWindowTest, DrawStretchedFillsTheTargetAndSkipsAMissingBitmap) {
    QImage bitmap(2, 2, QImage::Format_RGB32);
    bitmap.fill(QColor(10, 200, 30));
    QImage canvas(40, 20, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        DrawStretched(painter, bitmap, QRect(5, 5, 30, 10));
        DrawStretched(painter, QImage(), QRect(0, 0, 40, 20));
    }
    EXPECT_EQ(canvas.pixel(5, 5), bitmap.pixel(0, 0));
    EXPECT_EQ(canvas.pixel(34, 14), bitmap.pixel(0, 0));
    EXPECT_EQ(canvas.pixel(4, 4), QColor(Qt::white).rgb());
    EXPECT_EQ(canvas.pixel(35, 15), QColor(Qt::white).rgb());
}

void SendKey(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
}

// Runs `dialog` modally and lets `inside` act on it from within its modal loop.
template <typename Action>
int RunModal(QDialog& dialog, Action inside) {
    QTimer::singleShot(0, &dialog, [&] { inside(); });
    return dialog.exec();
}

TEST_F(SkinnedWindowTest, ModalRunsEndWithTheResultsTheWindowsUse) {
    SkinnedDialog dialog;
    EXPECT_EQ(RunModal(dialog, [&] { SendKey(&dialog, Qt::Key_Escape); }), 2);
    EXPECT_EQ(RunModal(dialog, [&] { SendKey(&dialog, Qt::Key_Return); }), 1);
    EXPECT_EQ(RunModal(dialog, [&] { dialog.close(); }), 2);  // the window manager's close
    EXPECT_EQ(RunModal(dialog, [&] { dialog.done(20); }), 20);
    EXPECT_EQ(RunModal(dialog, [&] { dialog.done(-1); }), -1);
}

TEST_F(SkinnedWindowTest, NestedModalRunsReturnTheirOwnResults) {
    SkinnedDialog outer;
    int innerResult = 0;
    const int outerResult = RunModal(outer, [&] {
        SkinnedDialog inner(&outer);
        innerResult = RunModal(inner, [&] { inner.done(100); });
        outer.done(innerResult == 100 ? 1 : 2);
    });
    EXPECT_EQ(innerResult, 100);
    EXPECT_EQ(outerResult, 1);
}

TEST_F(SkinnedWindowTest, AWindowWhoseCancelDoesNothingStaysOpen) {
    struct MainWindow : SkinnedDialog {
        void OnCancel() override {}  // Escape and close never end this window
    } window;
    bool stillOpen = false;
    const int result = RunModal(window, [&] {
        SendKey(&window, Qt::Key_Escape);
        window.close();
        stillOpen = window.isVisible();
        window.done(30);
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(result, 30);
}

}  // namespace
}  // namespace ormidon
