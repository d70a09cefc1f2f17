#pragma once
// The files of an installed program, relative to the program folder with "/" between
// folders, in the order the program copier copies them: the data files, the program and
// the playback program, the settings, then every skin bitmap. An empty row stands for a
// file the program once had beside it and no longer needs; it is skipped.
#include <array>
#include <cstddef>
#include <string_view>

inline constexpr size_t kProgramFileRows = 802;

extern const std::array<std::string_view, kProgramFileRows> ProgramFileTable;
