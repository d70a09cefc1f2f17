#include "app/QtAppShell.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

#include "liveview/CQuorrelDlg.h"
#include "tools/LoginDialog.h"

DisplayResolution QtAppShell::GetDisplayResolution() {
    DisplayResolution resolution;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        resolution.wLogPixelsX = static_cast<uint16_t>(std::lround(screen->logicalDotsPerInchX()));
        resolution.wLogPixelsY = static_cast<uint16_t>(std::lround(screen->logicalDotsPerInchY()));
    }
    return resolution;
}

int QtAppShell::RunLoginDialog(const LoginDialogTexts& texts) {
    LoginDialog dialog;
    dialog.m_strServerAddress = texts.strServerName;
    dialog.m_strUserName = texts.strUserName;
    dialog.m_strUserPassword = texts.strPassword;
    dialog.m_strPortText = texts.strPort;
    dialog.m_strBitRate = texts.strBitRate;
    return dialog.DoModal();
}

void QtAppShell::RunMainWindow() {
    CQuorrelDlg dialog;
    dialog.DoModal();
}
