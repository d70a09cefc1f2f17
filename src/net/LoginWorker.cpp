#include "net/LoginWorker.h"

#include <memory>

#include "core/AppMessages.h"
#include "core/AppObject.h"
#include "core/ServerAddress.h"
#include "core/SessionCookie.h"
#include "net/CgiCommand.h"
#include "net/HalvoSendCommand.h"
#include "net/LoginReply.h"
#include "platform/MessageBox.h"

Login* g_lpLogin = nullptr;

namespace {

constexpr uint32_t kStringLoginError = 4040;     // "Login error !!"
constexpr uint32_t kStringWrongUserName = 4081;  // "Username or password is not correct"
constexpr uint16_t kTimeOutSeconds = 15;
constexpr uint32_t kWorkerStopMs = 1000;

// The decimal value of a port text; nothing unless it is a usable port, 1 to 65535.
std::optional<uint16_t> ParsePort(const std::string& text) {
    const int32_t port = ReplyNumber(text);
    if (port < 1 || port > 65535) return std::nullopt;
    return static_cast<uint16_t>(port);
}

// One command with its reply; false on failure or an empty reply.
bool SendWithReply(uint8_t index, CCgiRequest& request, std::string& reply, std::stop_token stop) {
    return SendCommandForText(index, request, reply, kTimeOutSeconds, nullptr, std::move(stop)) &&
           !reply.empty();
}

int Fail(ormidon::WindowHandle dialog, uint32_t stringId, const std::stop_token& stop) {
    if (stop.stop_requested()) return 0;  // shut-down: nobody waits for the answer
    ormidon::PostWindowMessage(dialog, WM_CONNECTRESULT, 0, -1);
    ormidon::ShowMessage(stringId, ormidon::kMbOk, stop);
    return 0;
}

}  // namespace

int CreateLoginObject() {
    static std::unique_ptr<Login> login;
    if (g_lpLogin == nullptr) {
        login = std::make_unique<Login>();
        g_lpLogin = login.get();
    }
    return 1;
}

int Login::CreateThread() {
    m_hThread.Stop(kWorkerStopMs);
    return m_hThread.Start([param = m_Param, dialog = m_pDialog](std::stop_token stop) {
        Login_Thread(param, dialog, std::move(stop));
    })
               ? 1
               : 0;
}

void Login::StopThread() { m_hThread.Stop(kWorkerStopMs); }

int Login::Login_Thread(const LoginParam_Struct& param, ormidon::WindowHandle dialog,
                        std::stop_token stop) {
    // The dialog waits for an answer in every case, so even an empty field gets one.
    if (param.strUserName.empty() || param.strPassword.empty()) {
        return Fail(dialog, kStringWrongUserName, stop);
    }
    const std::optional<uint16_t> port = ParsePort(param.strPort);
    if (!port) return Fail(dialog, kStringLoginError, stop);

    CAppObject& app = *g_lpApp;
    SetServerName(param.strServerName);
    app.CSettingINI.m_wWebPort = *port;

    CCgiRequest login(CGI_LOGIN);
    login.AddParam("Username", param.strUserName);
    login.AddParam("Password", param.strPassword);
    ClearSessionCookie();
    std::string reply;
    if (!SendWithReply(CGI_LOGIN, login, reply, stop) || !ReadLoginReply(reply, false)) {
        return Fail(dialog, kStringLoginError, stop);
    }

    CCgiRequest deviceInfo(CGI_GETDEVICEINFO);
    if (const std::string cookie = GetSessionCookie(); !cookie.empty()) {
        deviceInfo.AddParam("Cookie", cookie);
    }
    deviceInfo.AddIntParam("RES", app.CSettingINI.m_dwImageResolution);
    deviceInfo.AddIntParam("QUA", app.CSettingINI.m_dwAlarmTriggerQuality);
    if (!SendWithReply(CGI_GETDEVICEINFO, deviceInfo, reply, stop))
        return Fail(dialog, kStringLoginError, stop);
    ReadDeviceInfoBasics(reply);

    ormidon::PostWindowMessage(dialog, WM_CONNECTRESULT, 0, 1);
    return 1;
}
