#pragma once
// The windows that start-up runs, as Qt windows: the login window and the main window,
// each modally, and the screen's resolution.
#include "core/AppShell.h"

class QtAppShell : public AppShell {
  public:
    DisplayResolution GetDisplayResolution() override;
    int RunLoginDialog(const LoginDialogTexts& texts) override;
    void RunMainWindow() override;
};
