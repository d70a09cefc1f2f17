#pragma once
// What the player's windows do without a window manager: close on the usual keys, open
// centred on their screen instead of at its corner, and take the keyboard when they open.
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMetaObject>
#include <QObject>
#include <QScreen>
#include <QWidget>

// Esc, Ctrl+W, Ctrl+Q and Alt+F4.
inline bool IsCloseKey(const QKeyEvent* event) {
    return event->key() == Qt::Key_Escape || event->matches(QKeySequence::Close) ||
           event->matches(QKeySequence::Quit) ||
           (event->key() == Qt::Key_F4 && event->modifiers() == Qt::AltModifier) ||
           (event->key() == Qt::Key_W && event->modifiers() == Qt::ControlModifier) ||
           (event->key() == Qt::Key_Q && event->modifiers() == Qt::ControlModifier);
}

// Centres a top-level window on the screen it opens on.
inline void CentreOnScreen(QWidget* window) {
    if (!window->isWindow()) return;
    const QScreen* screen = window->screen();
    if (screen == nullptr) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

// Raises and activates `window` each time it is shown as a window of its own. Without a
// window manager nothing else gives a new window the keyboard: its keys would go to the
// window it covers. Asked once the window is on the screen, after the display's own doing.
class ActivateWhenShown : public QObject {
  public:
    explicit ActivateWhenShown(QWidget* window) : QObject(window) {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && window != nullptr && window->isWindow()) {
            QMetaObject::invokeMethod(
                window,
                [window] {
                    if (!window->isVisible()) return;
                    window->raise();
                    window->activateWindow();
                },
                Qt::QueuedConnection);
        }
        return false;
    }
};
