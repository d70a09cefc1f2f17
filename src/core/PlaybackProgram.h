#pragma once
// The playback program, a separate program in the program folder that plays record
// files and downloaded recordings.
#include <string>
#include <vector>

constexpr const char* kPlaybackProgramName = "Tamburo";

// Starts the playback program with `arguments`, each handed over as one argument.
// True when it is running.
bool StartPlaybackProgram(const std::vector<std::string>& arguments);
