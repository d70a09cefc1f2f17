// Tamburo: the playback program. Arguments: a record file's path, optionally followed by
// "CONVERT=0" (how the kernel starts it) or the hand-off's "DYNAMICLOAD=1"; with no path the
// window opens empty.
#include <QApplication>
#include <QMessageBox>
#include <cstdlib>
#include <cstring>

#include "HandOffWindow.h"
#include "PlayerWindow.h"
#include "WindowPlacement.h"
#include "platform/PlayerLink.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    PlayerWindow window;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strchr(argv[i], '=') != nullptr && path != nullptr) continue;  // options
        if (path == nullptr) path = argv[i];
    }
    // A Dynamic Download: the growing download is followed over the link.
    const char* link = std::getenv(ormidon::kPlayerLinkVariable);
    bool dynamic = false;
    for (int i = 1; i < argc; ++i) dynamic = dynamic || std::strcmp(argv[i], "DYNAMICLOAD=1") == 0;
    if (dynamic && link != nullptr) {
        HandOffWindow handOff(path != nullptr ? path : "");
        handOff.Connect(link);
        handOff.show();
        return application.exec();
    }
    if (path != nullptr && !window.Load(path)) {
        QMessageBox box(QMessageBox::Critical, "Tamburo", window.ErrorText());
        new ActivateWhenShown(&box);
        box.exec();
        return 1;
    }
    window.show();
    if (window.FrameCount() > 0) window.Play();
    return application.exec();
}
