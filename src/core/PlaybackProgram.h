#pragma once
// The playback program, a separate program in the program folder that plays record
// files and downloaded recordings.
#include <sys/types.h>

#include <string>
#include <vector>

constexpr const char* kPlaybackProgramName = "Tamburo";

// Starts the playback program with `arguments`, each handed over as one argument.
// True when it is running.
bool StartPlaybackProgram(const std::vector<std::string>& arguments);
// The same with `environment` entries ("NAME=value") added; `pid` receives its process id.
bool StartPlaybackProgram(const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment, pid_t* pid);
