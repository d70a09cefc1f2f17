#include "tools/CConnectDialog.h"

#include <QLabel>
#include <system_error>

#include "core/AppMessages.h"
#include "core/StringTable.h"
#include "net/LoginWorker.h"
#include "platform/MessageBox.h"
#include "platform/window/ControlId.h"
#include "platform/window/WindowMessageTarget.h"
#include "platform/window/WindowTimers.h"
#include "tools/LoginDialog.h"

namespace {

constexpr uint32_t kStringConnect = 8532;     // "Connect\nStop_Connect"
constexpr uint32_t kStringLoginError = 4040;  // "Login error !!"
constexpr int kWidth = 220;
constexpr int kHeight = 28;

// The first word of a string-table text.
std::string FirstWord(std::string_view text) {
    const size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) return {};
    const size_t end = text.find_first_of(" \t\r\n", start);
    return std::string(text.substr(start, end == std::string_view::npos ? end : end - start));
}

}  // namespace

CConnectDialog::CConnectDialog(QWidget* parent, LoginDialog* loginDialog)
    : SkinnedDialog(parent), m_pLoginDialog(loginDialog) {
    setFixedSize(kWidth, kHeight);
    setWindowTitle(QStringLiteral("Connect"));
    m_pText = new QLabel(this);
    ormidon::SetControlId(m_pText, kIdText);
    // Without a system frame, the text's box is the window's edge.
    m_pText->setGeometry(0, 0, kWidth, kHeight);
    m_pText->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_pText->setIndent(8);
    m_pText->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    m_pTimers = new ormidon::WindowTimers([this](uint32_t id) { OnTimer(id); }, this);
    m_pTarget = new ormidon::WindowMessageTarget(
        [this](uint32_t message, ormidon::WParam, ormidon::LParam lParam) {
            OnWindowMessage(message, lParam);
        },
        this);
}

CConnectDialog::~CConnectDialog() {
    // Closed some other way than by the answer: the worker says nothing more.
    if (m_fWorkerRunning && g_lpLogin != nullptr) g_lpLogin->StopThread();
}

int CConnectDialog::DoModal() {
    if (!OnInitDialog()) return -1;
    return exec();
}

bool CConnectDialog::OnInitDialog() {
    if (m_fInitialised) return m_fWorkerRunning;
    m_fInitialised = true;
    CreateLoginObject();
    g_lpLogin->m_pDialog = m_pTarget->Handle();
    g_lpLogin->m_Param = {m_pLoginDialog->m_strServerAddress, m_pLoginDialog->m_strUserName,
                          m_pLoginDialog->m_strUserPassword, m_pLoginDialog->m_strPortText};
    m_pTimers->SetTimer(kDotTimer, kDotPeriodMs);
    try {
        m_fWorkerRunning = g_lpLogin->CreateThread() == 1;
    } catch (const std::system_error&) {
        m_fWorkerRunning = false;
    }
    m_pText->setText(QString::fromStdString(m_strConnectText));
    if (!m_fWorkerRunning) {
        // No worker to say it: the login failed here.
        m_pTimers->KillTimer(kDotTimer);
        ormidon::ShowMessage(kStringLoginError);
    }
    return m_fWorkerRunning;
}

void CConnectDialog::OnTimer(uint32_t id) {
    if (id == kDotTimer) {
        static constexpr const char* kDots[] = {".", "..", "...", "...."};
        m_strConnectText = FirstWord(LoadResourceString(kStringConnect)) + ' ' +
                           m_pLoginDialog->m_strServerAddress + ' ' + kDots[m_nDotCount % 4];
        ++m_nDotCount;
    }
    m_pText->setText(QString::fromStdString(m_strConnectText));
}

void CConnectDialog::OnWindowMessage(uint32_t message, ormidon::LParam lParam) {
    if (message != WM_CONNECTRESULT) return;
    m_pTimers->KillTimer(kDotTimer);
    m_fWorkerRunning = false;
    done(static_cast<int>(lParam));
}

void CConnectDialog::OnCancel() {
    m_pTimers->KillTimer(kDotTimer);
    if (m_fWorkerRunning) {
        g_lpLogin->StopThread();
        m_fWorkerRunning = false;
    }
    done(kResultCancel);
}
