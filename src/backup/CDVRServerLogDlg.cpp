#include "backup/CDVRServerLogDlg.h"

#include <QPushButton>

#include "sheet/PageToolkit.h"

CDVRServerLogDlg::CDVRServerLogDlg(QWidget* parent)
    : ServerLogDialog(parent, kInitialMask,
                      {{1442, "POWER ON", 0x1},
                       {1443, "VIDEO LOSS", 0x2},
                       {1445, "HDD FULL", 0x4},
                       {1449, "EMAIL FAILED", 0x8},
                       {1450, "FTP FAILED", 0x10},
                       {1446, "KEY LOCK", 0x20},
                       {1447, "KEY UNLOCK", 0x40},
                       {1448, "RESET DEFAULT", 0x80},
                       {1444, "REMOTE LOGIN", 0x100},
                       {1451, "HDD ERROR", 0x200},
                       {1452, "HDD DMA ERROR", 0x400},
                       {1453, "DDNS", 0x4000},
                       {1454, "PPPOE", 0x8000},
                       {1455, "DHCP", 0x10000}}) {}

QString CDVRServerLogDlg::GetEventText(const ServerLogRecord& record) {
    switch (record.event_id) {
        case 0x1:
            return "POWER ON";
        case 0x2:
            return "VIDEO LOSS";
        case 0x4:
            return "HDD FULL";
        case 0x8:
            return "EMAIL FAILED";
        case 0x10:
            return "FTP FAILED";
        case 0x20:
            return "KEY LOCK";
        case 0x40:
            return "KEY UNLOCK";
        case 0x80:
            return "RESET DEFAULT";
        case 0x100:
            // The text is the device's bytes: shown as Latin-1, never decoded as UTF-8.
            return QString("%1 ( %2 )")
                .arg("REMOTE LOGIN",
                     QString::fromLatin1(record.event_text.data(),
                                         static_cast<qsizetype>(record.event_text.size())));
        case 0x200:
            return "HDD ERROR";
        case 0x400:
            return "HDD DMA ERROR";
        case 0x800:
            return "USB_ERROR";
        case 0x4000:
            return record.ddns_result != 0 ? "DDNS UPDATE SUCCESS" : "DDNS UPDATE FAIL";
        case 0x8000:
            return "PPPOE SUCCESS";
        case 0x10000:
            return "DHCP SUCCESS";
        default:
            return "NO EVENT";
    }
}

QStringList CDVRServerLogDlg::RowTexts(const ServerLogRecord& record) const {
    return {GetEventText(record), TimeText(record),
            record.event_number == 0 ? QString("NO") : QString::number(record.event_number)};
}

void CDVRServerLogDlg::AddButtons(int top) {
    QPushButton* ok = sheet::MakeButton(this, kIdOk, "OK", sheet::Scaled(QRect(390, top, 80, 24)));
    connect(ok, &QPushButton::clicked, this, [this] { done(0); });
}
