#include "platform/window/SkinnedDialog.h"

#include <QKeyEvent>

#include "platform/window/SkinnedWindow.h"

namespace ormidon {

SkinnedDialog::SkinnedDialog(QWidget* parent) : QDialog(parent) {
    MakeFrameless(this);
    EnableBodyDrag(this);
}

void SkinnedDialog::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                OnOK();
                return;
            case Qt::Key_Escape:
                OnCancel();
                return;
            default:
                break;
        }
    }
    QDialog::keyPressEvent(event);
}

}  // namespace ormidon
