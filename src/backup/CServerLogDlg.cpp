#include "backup/CServerLogDlg.h"

#include <QCheckBox>
#include <QPushButton>

#include "core/SessionCookie.h"
#include "net/CgiCommand.h"
#include "net/HalvoSendCommand.h"
#include "platform/MessageBox.h"
#include "sheet/PageToolkit.h"

namespace {

constexpr uint16_t kSeconds = 15;
constexpr uint32_t kStopIcon = 0x10;

QString LoginText(const char* what, const ServerLogRecord& record) {
    // The text is the device's bytes: shown as Latin-1, never decoded as UTF-8.
    return QString("%1 ( %2 )")
        .arg(what, QString::fromLatin1(record.event_text.data(),
                                       static_cast<qsizetype>(record.event_text.size())));
}

}  // namespace

CServerLogDlg::CServerLogDlg(QWidget* parent)
    : ServerLogDialog(parent, kInitialMask,
                      {{1442, "POWER ON", 0x1},
                       {1448, "RESET DEFAULT", 0x2},
                       {1462, "ALARM", 0x4},
                       {1444, "REMOTE LOGIN", 0x10},
                       {1445, "REMOTE LOGOUT", 0x20},
                       {1451, "PPPOE SUCCESS", 0x1000},
                       {1449, "MAIL FAILED", 0x10000},
                       {1450, "FTP FAILED", 0x20000},
                       {1452, "PPPOE FAILED", 0x100000}}) {}

QString CServerLogDlg::GetEventText(const ServerLogRecord& record) {
    switch (record.event_id) {
        case 0x1:
            return "POWER ON";
        case 0x2:
            return "RESET DEFAULT";
        case 0x4:
            for (int i = 0; i < 8; ++i)
                if ((record.event_number >> i & 1) != 0)
                    return QString::asprintf("ALARM (%.1d)", i + 1);
            return "ALARM";
        case 0x10:
            return LoginText("REMOTE LOGIN", record);
        case 0x20:
            return LoginText("REMOTE LOGOUT", record);
        case 0x100:
            return "EMAIL SUCCESS";
        case 0x200:
            return "FTP SUCCESS";
        case 0x1000:
            return "PPPOE SUCCESS";
        case 0x10000:
            return "EMAIL FAILED";
        case 0x20000:
            return "FTP FAILED";
        case 0x40000:
            return "SNTP FAILED";
        case 0x100000:
            return "PPPOE FAILED";
        default:
            return "NO EVENT";
    }
}

QStringList CServerLogDlg::RowTexts(const ServerLogRecord& record) const {
    // A power-on record carries no valid time.
    return {GetEventText(record), (record.event_id & 0x1) != 0 ? QString() : TimeText(record)};
}

void CServerLogDlg::AddButtons(int top) {
    using sheet::Scaled;
    QPushButton* clear =
        sheet::MakeButton(this, kIdClear, "CLEAR SERVER LOG", Scaled(QRect(10, top, 150, 24)));
    QPushButton* exit = sheet::MakeButton(this, kIdExit, "EXIT", Scaled(QRect(350, top, 80, 24)));
    connect(clear, &QPushButton::clicked, this, [this] { OnClearServerLog(); });
    connect(exit, &QPushButton::clicked, this, [this] { done(0); });
    // Kept for the layout's data exchange, never shown.
    for (const auto& [id, caption] :
         {std::pair{1446, "MAIL SUCCESS"}, std::pair{1447, "FTP_SUCCESS"}}) {
        QCheckBox* hidden = sheet::MakeCheck(this, id, caption, QRect());
        hidden->hide();
    }
}

void CServerLogDlg::OnClearServerLog() {
    if (ormidon::ShowMessage(kMsgClearQuestion, ormidon::kMbYesNo | kStopIcon) != ormidon::kIdYes)
        return;
    CCgiRequest request(CGI_CLEARLOG);
    const std::string cookie = GetSessionCookie();
    if (!cookie.empty()) request.AddParam("Cookie", cookie);
    const bool sent =
        request.IsValid() &&
        HalvoSendCommand(CGI_CLEARLOG, request.GetBuffer(), request.GetLength(), nullptr, 0,
                         nullptr, 0, nullptr, 0, nullptr, kSeconds, kSeconds) != 0;
    if (!sent) {
        // The operator learns that the log is still there.
        ormidon::ShowMessage(kMsgClearFailed);
        return;
    }
    done(0);
}
