#pragma once
// Controls by their numeric id, as the system's windows address them (edit 1040,
// button 8311, ...).
#include <QWidget>

namespace ormidon {

void SetControlId(QWidget* control, int id);

// The id given with SetControlId; 0 for a control without one.
int ControlIdOf(const QWidget* control);

// The first control below `window` (children, grandchildren ...) with that id, or nullptr.
QWidget* FindControl(const QWidget* window, int id);

template <typename Control>
Control* FindControl(const QWidget* window, int id) {
    return qobject_cast<Control*>(FindControl(window, id));
}

}  // namespace ormidon
