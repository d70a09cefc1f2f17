#pragma once
// The whole program on an application object that the caller made: the engine's
// connections to the windows, start-up with the login window, the main window, and
// shut-down. main() runs it; end-to-end tests and benchmarks run the same path.
#include <functional>

namespace ormidon {
class MessageBoxSink;
}

// The trace file's line when shut-down ends the process under kept disc work that overran
// its bound.
extern const char* const kDiscWorkLeftTrace;

// Runs the program until its windows are closed; the exit code. `messageBoxes` shows
// every message box; `beforeShutDown` runs once the windows are gone and before the
// worker threads are joined (main() answers any box still open there). Kept disc work that
// overruns its bound at exit ends the process there, once everything is saved.
int RunProgram(ormidon::MessageBoxSink& messageBoxes,
               const std::function<void()>& beforeShutDown = {});
