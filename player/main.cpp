// Tamburo: the playback program. Arguments: a record file's path, optionally followed by
// "CONVERT=0" (how the kernel starts it) or the hand-off's "DYNAMICLOAD=1"; with no path the
// window opens empty. "--open-folder FOLDER" is where Open... looks first.
#include <QApplication>
#include <QMessageBox>
#include <cstdlib>

#include "HandOffWindow.h"
#include "PlayerArguments.h"
#include "PlayerWindow.h"
#include "WindowPlacement.h"
#include "platform/PlayerLink.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    PlayerWindow window;
    const PlayerArguments arguments = ParsePlayerArguments(argc, argv);
    // A Dynamic Download: the growing download is followed over the link.
    const char* link = std::getenv(ormidon::kPlayerLinkVariable);
    if (arguments.dynamicLoad && link != nullptr) {
        HandOffWindow handOff(arguments.file.value_or(""));
        handOff.Connect(link);
        handOff.show();
        return application.exec();
    }
    if (!arguments.openFolder.empty()) window.SetOpenFolder(arguments.openFolder);
    if (arguments.file && !window.Load(*arguments.file)) {
        QMessageBox box(QMessageBox::Critical, "Tamburo", window.ErrorText());
        new ActivateWhenShown(&box);
        box.exec();
        return 1;
    }
    window.show();
    if (window.FrameCount() > 0) window.Play();
    return application.exec();
}
