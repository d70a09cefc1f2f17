#include "platform/window/ControlId.h"

#include <QVariant>
#include <QWidget>

namespace ormidon {
namespace {
constexpr const char* kControlIdProperty = "ormidonControlId";
}

void SetControlId(QWidget* control, int id) { control->setProperty(kControlIdProperty, id); }

int ControlIdOf(const QWidget* control) {
    return control == nullptr ? 0 : control->property(kControlIdProperty).toInt();
}

QWidget* FindControl(const QWidget* window, int id) {
    if (window == nullptr || id == 0) return nullptr;
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (ControlIdOf(child) == id) return child;
    }
    return nullptr;
}

}  // namespace ormidon
