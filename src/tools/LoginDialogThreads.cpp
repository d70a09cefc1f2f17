#include "tools/LoginDialogThreads.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "core/AppObject.h"
#include "core/ServerAddress.h"
#include "core/SessionCookie.h"
#include "core/TextHelpers.h"
#include "net/CgiCommand.h"
#include "net/HalvoSendCommand.h"
#include "net/LoginReply.h"
#include "tools/LoginMessages.h"

namespace {

constexpr uint16_t kLoginTimeOutSeconds = 15;
// Room for the login answer; a longer answer fails the login rather than being cut
// somewhere inside a value.
constexpr uint32_t kReplyBufferSize = 1024;
constexpr int32_t kHttpTooManyUsers = 202;
constexpr size_t kMacTextLength = 12;

// The devices this program knows how to drive; compared exactly, letter case included.
constexpr std::string_view kSupportedProducts[] = {"P51K", "P62K", "P53K", "P55K",
                                                   "N27V", "N25V", "N23V", "T18D"};

bool IsSupportedProduct(std::string_view productId) {
    return std::find(std::begin(kSupportedProducts), std::end(kSupportedProducts), productId) !=
           std::end(kSupportedProducts);
}

// The web port of the port text; nothing for a text that is no port number.
std::optional<uint16_t> ReadPort(const std::string& text) {
    const int32_t port = ReplyNumber(text);
    if (port < 0 || port > 65535) return std::nullopt;
    return static_cast<uint16_t>(port);
}

// Ends the run with a failure: the progress bar stops and the window hears the code,
// unless the window has given the run up already.
int Fail(const LoginThreadParam& param, LoginFailCode code, const std::stop_token& stop) {
    if (param.hStopEvent) param.hStopEvent->Set();
    if (!stop.stop_requested()) ormidon::PostWindowMessage(param.hWnd, WM_LOGINFAILED, code, 0);
    return 0;
}

}  // namespace

int LoginDialogThreads::Login_Thread(const LoginThreadParam& param, std::stop_token stop) {
    CAppObject& app = *g_lpApp;
    CSettingINI& settings = app.CSettingINI;
    // The texts become the settings whatever the outcome: the next start offers them.
    SetServerName(param.strServerAddress);
    settings.m_strUsername = param.strUserName;
    settings.m_strPassword = param.strUserPassword;
    const std::optional<uint16_t> port = ReadPort(param.strPortText);
    if (!port) return Fail(param, kLoginFailProcedure, stop);
    settings.m_wWebPort = *port;

    // A user name or password with a line break or NUL in it would end the request line
    // early; such a request is refused, not sent.
    CCgiRequest request(CGI_LOGIN);
    request.AddParam("Username", param.strUserName);
    request.AddParam("Password", param.strUserPassword);
    if (!request.IsValid()) return Fail(param, kLoginFailProcedure, stop);

    char reply[kReplyBufferSize] = {};
    uint32_t replyLength = 0;
    int32_t status[2] = {};
    const int sent = HalvoSendCommand(CGI_LOGIN, request.GetBuffer(), request.GetLength(), nullptr,
                                      0, status, sizeof status, reply, sizeof reply, &replyLength,
                                      kLoginTimeOutSeconds, kLoginTimeOutSeconds, 0, stop);
    if (sent == 0) {
        return Fail(param,
                    status[1] == kHttpTooManyUsers ? kLoginFailTooManyUsers : kLoginFailProcedure,
                    stop);
    }
    const std::string_view answer(reply, std::min<size_t>(replyLength, sizeof reply));

    // The session is the one value the login cannot do without. One too long to send
    // back is a failed login, not a cut one.
    const std::optional<ReplyValue> session = FindReplyValue(answer, "Session-ID=", 0);
    if (answer.empty() || !session || !SetSessionCookie(session->text)) {
        return Fail(param, kLoginFailProcedure, stop);
    }
    if (auto version = FindReplyValue(answer, "Firmware-Version=", 0)) {
        app.str_FWVersion.Set(version->text);
    }
    if (auto product = FindReplyValue(answer, "Product-ID=", 0)) {
        app.str_ProductID.Set(product->text);
        if (!IsSupportedProduct(product->text)) {
            return Fail(param, kLoginFailUnsupportedDevice, stop);
        }
    }
    if (auto mac = FindReplyValue(answer, "MAC-Address=", 0)) {
        const std::string text = mac->text.substr(0, kMacTextLength);
        app.sz_MACAddress.Set(text);
        // Only a real MAC address names the device of the last connection; anything else
        // leaves the bytes of the one before.
        uint8_t bytes[6] = {};
        if (MacStringToBytes(text, bytes) == 1) {
            settings.m_wLastConnectionMAC1 = bytes[4];
            settings.m_wLastConnectionMAC2 = bytes[5];
        }
    }
    if (auto hostName = FindReplyValue(answer, "Host-Name=", 0)) {
        app.str_HostName.Set(hostName->text);
    }

    app.w_LoginResult = kLoginSucceeded;
    ormidon::PostWindowMessage(param.hWnd, WM_LOGINSUCCESS);
    return 0;
}

int LoginDialogThreads::Animate_Thread(const LoginThreadParam& param, std::stop_token stop) {
    for (;;) {
        ormidon::PostWindowMessage(param.hWnd, WM_LOGINANIMATE);
        if (!param.hStopEvent || param.hStopEvent->Wait(kAnimateIntervalMs, stop) ||
            stop.stop_requested()) {
            return 0;
        }
    }
}
