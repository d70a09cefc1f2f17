#pragma once
// Starting another program as an independent process.
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace ormidon {

// Starts `program` with `arguments` (each handed over as one argument, no shell in
// between) in a process group of its own, detached from this process: it is never
// waited for and outlives us. Inherits no descriptors. True when the program is
// running; false when it could not be started (missing, not executable, ...).
bool StartDetachedProgram(const std::filesystem::path& program,
                          const std::vector<std::string>& arguments);

// The same, with `environment` ("NAME=value" entries) added to (or replacing in) this
// process's environment; `pid`, when given, receives the started program's process id.
bool StartDetachedProgram(const std::filesystem::path& program,
                          const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment, pid_t* pid);

}  // namespace ormidon
