#include "platform/window/testing/WindowTesting.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <system_error>

namespace ormidon::testing {
namespace {

QApplication* g_application = nullptr;

// Deletes the application once every test has run, while the program is still whole.
class ApplicationCloser : public ::testing::EmptyTestEventListener {
    void OnTestProgramEnd(const ::testing::UnitTest&) override {
        delete g_application;
        g_application = nullptr;
    }
};

}  // namespace

QApplication& TestApplication() {
    if (g_application == nullptr) {
        static int argc = 1;
        static char name[] = "ormidon-test";
        static char* argv[] = {name, nullptr};
        g_application = new QApplication(argc, argv);
        ::testing::UnitTest::GetInstance()->listeners().Append(new ApplicationCloser);
    }
    return *g_application;
}

void ProcessEventsFor(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, milliseconds);
    } while (timer.elapsed() < milliseconds);
}

QImage GrabWindow(QWidget* window) {
    return window->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

std::filesystem::path SaveScreenshot(QWidget* window, std::string_view name) {
    const std::filesystem::path folder = ORMIDON_SCREENSHOT_DIR;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::filesystem::path file = folder / (std::string(name) + ".png");
    if (!GrabWindow(window).save(QString::fromStdString(file.string()), "PNG")) return {};
    return file;
}

}  // namespace ormidon::testing
