// A program run whose shut-down meets disc work stuck in a drive: a burn that a closed
// window left to the keeper, inside a drive open that answers no stop. The login window is
// left at once, so shut-down follows. Run by program_test, which reads what it left.
//
//   kept_drive_exit <program folder>
//
// Prints "shut-down <steady clock ns>" as shut-down begins. The drive answers only once the
// program's statics are being destroyed: a shut-down that destroys them under the work lets
// the work go on into what is gone.
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "../backup/FakeDiscBackend.h"
#include "app/Program.h"
#include "backup/CCDBurner.h"
#include "backup/DiscLayer.h"
#include "platform/Paths.h"
#include "platform/RecordingMessageBoxSink.h"
#include "platform/Thread.h"
#include "tools/LoginDialog.h"

namespace {

using ormidon::test::FakeDiscBackend;

FakeDiscBackend* g_drive = nullptr;

// Destroyed after the statics of the libraries this program links (its own are made first).
struct AnswerAtTheEnd {
    ~AnswerAtTheEnd() {
        if (g_drive == nullptr) return;
        g_drive->letGo = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
} g_answerAtTheEnd;

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) return 2;
    ormidon::SetProgramFolderForTesting(argv[1]);

    // The layer's loaded backend holds the drive once this function is gone.
    auto drive = std::make_shared<FakeDiscBackend>();
    drive->hangIn = "open";
    g_drive = drive.get();
    SetDiscBackendForTesting(drive);
    UnloadDiscLibrary();
    CCDBurner& writer = AppDiscWriter();
    const std::string source = std::string(argv[1]) + "/CH01_0001.dvr";
    if (writer.Init(source, WriteCDProgressCallback) != 1) return 3;
    SetDiscBackendForTesting(nullptr);
    writer.SetTarget(0, false, std::string(argv[1]) + "/", "CH01_0001.dvr");
    ormidon::Thread burn([&writer](std::stop_token stop) { writer.Burn(stop); });
    while (!drive->hanging.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // Its window closed: the worker goes to the keeper, asked to stop.
    KeepDiscWorker(std::move(burn));
    drive.reset();

    QTimer escape;
    QObject::connect(&escape, &QTimer::timeout, [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<LoginDialog*>(widget) && widget->isVisible()) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(widget, &press);
            }
        }
    });
    escape.start(10);
    ormidon::RecordingMessageBoxSink boxes;
    return RunProgram(boxes, [] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("shut-down %lld\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
        std::fflush(stdout);
    });
}
