#pragma once
// CConnectDialog: the small borderless "Connect <address> ...." window shown while the
// Login worker logs in to the device and reads its device information. Its modal result
// is the worker's answer, 1 (accepted) or -1 (failed); Escape ends it with 2 and stops the
// worker, so nothing the worker would still say reaches a closed window.
#include <memory>
#include <string>

#include "platform/WindowMessage.h"
#include "platform/window/SkinnedDialog.h"

class LoginDialog;
class QLabel;

namespace ormidon {
class WindowMessageTarget;
class WindowTimers;
}  // namespace ormidon

class CConnectDialog : public ormidon::SkinnedDialog {
    Q_OBJECT
  public:
    static constexpr int kIdText = 1393;
    static constexpr uint32_t kDotTimer = 1000;
    static constexpr int kDotPeriodMs = 300;

    // `loginDialog` gives the address, user name, password and port; not owned.
    CConnectDialog(QWidget* parent, LoginDialog* loginDialog);
    ~CConnectDialog() override;

    // Starts the worker and runs the window: 1, -1, or 2 after Escape.
    int DoModal();

    // Hands the texts to the worker and starts it and the dots; once. False when the
    // worker could not start, which is a failed login.
    bool OnInitDialog();

    ormidon::WindowTimers& Timers() const { return *m_pTimers; }

    std::string m_strConnectText = "Connect ...";
    unsigned m_nDotCount = 0;

  protected:
    // The window has no buttons: Enter does nothing, Escape gives up.
    void OnOK() override {}
    void OnCancel() override;

  private:
    void OnTimer(uint32_t id);
    void OnWindowMessage(uint32_t message, ormidon::LParam lParam);

    LoginDialog* m_pLoginDialog;
    QLabel* m_pText;
    ormidon::WindowTimers* m_pTimers;
    ormidon::WindowMessageTarget* m_pTarget;
    bool m_fInitialised = false;
    bool m_fWorkerRunning = false;
};
