#include "platform/window/UiThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace ormidon {

bool IsUiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

bool RunOnUiThread(std::function<void()> work) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || !work) return false;
    return QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
}

}  // namespace ormidon
