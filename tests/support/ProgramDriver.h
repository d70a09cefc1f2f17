#pragma once
// Drives the running program's windows as an operator would, from a timer on the UI
// thread (it fires inside the windows' modal runs): types the password into the login
// window and presses Enter there, watches the main window's live picture, and closes the
// main window with its close button when the watcher has seen enough. Anything that goes
// otherwise (a refused login, no picture within the time limit) is noted and the open
// window is left, so the program always ends.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>

#include "liveview/CQuorrelDlg.h"
#include "platform/window/ControlId.h"
#include "tools/LoginDialog.h"
#include "widgets/CVtxButton.h"

namespace ormidon::test {

class ProgramDriver {
  public:
    // `watch` is asked on every tick while the main window shows pictures, with the number
    // of new pictures seen so far; false closes the window.
    using Watch = std::function<bool(CQuorrelDlg& window, int picturesSeen)>;

    // `tickMs`: how often the windows are looked at; a benchmark looks seldom, so that
    // looking costs the program little.
    ProgramDriver(std::string password, Watch watch, int limitMs, int tickMs = 10)
        : password_(std::move(password)), watch_(std::move(watch)), limitMs_(limitMs) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start(tickMs);
        clock_.start();
    }

    bool LoggedIn() const { return loginWindowsSeen_ > 0 && mainWindowSeen_; }
    bool ClosedByButton() const { return closedByButton_; }
    int PicturesSeen() const { return picturesSeen_; }
    std::string Trouble() const { return trouble_; }

  private:
    template <typename Window>
    static Window* VisibleWindow() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<Window*>(widget); window && window->isVisible()) {
                return window;
            }
        }
        return nullptr;
    }

    void Tick() {
        if (done_) return;
        if (clock_.elapsed() > limitMs_) return GiveUp("time limit passed");
        if (auto* login = VisibleWindow<LoginDialog>()) return OnLoginWindow(*login);
        if (auto* window = VisibleWindow<CQuorrelDlg>()) return OnMainWindow(*window);
    }

    void OnLoginWindow(LoginDialog& login) {
        if (login.m_fLoginFailed) return GiveUp("login refused: " + login.m_strFailText);
        if (&login == typedIn_) return;  // the login runs
        typedIn_ = &login;
        ++loginWindowsSeen_;
        auto* password = FindControl<QLineEdit>(&login, LoginDialog::kIdPassword);
        password->setFocus();
        password->setText(QString::fromStdString(password_));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(password, &enter);
    }

    void OnMainWindow(CQuorrelDlg& window) {
        mainWindowSeen_ = true;
        // A new picture is known by the window's count of frames, so watching costs no
        // comparison of pictures and holds no picture the drawing would have to copy.
        const uint64_t shown = window.ShownFrameCount();
        if (shown != lastShownCount_ && !window.ShownFrame().isNull()) {
            lastShownCount_ = shown;
            ++picturesSeen_;
        }
        if (picturesSeen_ == 0 || watch_(window, picturesSeen_)) return;
        done_ = true;
        closedByButton_ = true;
        window.TitleButton(2)->click();
    }

    void GiveUp(std::string why) {
        done_ = true;
        trouble_ = std::move(why);
        if (auto* login = VisibleWindow<LoginDialog>()) login->reject();
        if (auto* window = VisibleWindow<CQuorrelDlg>()) window->TitleButton(2)->click();
    }

    std::string password_;
    Watch watch_;
    int limitMs_;
    QTimer timer_;
    QElapsedTimer clock_;
    const LoginDialog* typedIn_ = nullptr;
    int loginWindowsSeen_ = 0;
    bool mainWindowSeen_ = false;
    bool closedByButton_ = false;
    bool done_ = false;
    int picturesSeen_ = 0;
    uint64_t lastShownCount_ = 0;
    std::string trouble_;
};

}  // namespace ormidon::test
