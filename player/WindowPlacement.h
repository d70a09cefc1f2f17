#pragma once
// What both of the player's windows do without a window manager: close on the usual keys
// and open centred on their screen instead of at its corner.
#include <QKeyEvent>
#include <QKeySequence>
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
