// ormidon: the client program. Start-up runs the login window and then the main window;
// their modal runs are the program's main loop.
#include <QApplication>
#include <string>

#include "app/Program.h"
#include "core/StringTable.h"
#include "net/DeviceSearchExchange.h"
#include "platform/window/QtMessageBoxSink.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ormidon"));
    // The demo points the device search at the simulated recorder's loopback responder.
    ApplyDeviceSearchEnvironment();
    ormidon::QtMessageBoxSink messageBoxes(
        [](uint32_t id) { return std::string(LoadResourceString(id)); });
    // No worker may wait for an answer while shut-down joins it.
    return RunProgram(messageBoxes, [&] { messageBoxes.Close(); });
}
