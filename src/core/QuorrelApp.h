#pragma once
// The application object: starts the process, runs the login window and the main window
// (the program's two main loops) and stops everything again.
#include <string_view>

#include "core/AppShell.h"

class CQuorrelApp {
  public:
    explicit CQuorrelApp(AppShell& shell) : m_Shell(shell) {}

    // Builds the application record, its buffers and semaphores, loads the settings,
    // opens the trace files, runs the login window, starts the process and login
    // resources and runs the main window. Always false: the windows were the main loop,
    // and ExitInstance follows in every case.
    bool InitInstance();
    // Stops every thread, frees what start-up built, deletes the record and closes the
    // trace. Safe after a start-up that failed at any step. Returns the exit code 0.
    int ExitInstance();
    // Shut-down under work that overran its bound and may still reach the record, the
    // program's statics or the message sink once the call it is stuck in returns: stops
    // every thread and finishes the recordings as ExitInstance does, writes `reason` to the
    // trace file, and ends the process at once with exit code 0, destroying nothing.
    [[noreturn]] void ExitInstanceLeavingWork(std::string_view reason);

    // This computer's IPv4 address into g_strLocalIPAddress.
    bool InitLocalAddress();
    // The display's pixels per inch and the scale of hand-placed controls.
    bool InitDisplayDPI();

  private:
    AppShell& m_Shell;
};

// Builds the application record in g_lpApp and loads the control file. False (after
// message 4094) when the control file cannot be read.
bool InitKernelObject();
