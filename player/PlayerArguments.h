#pragma once
// What Tamburo is started with: a record file's path first, then options. "CONVERT=0" (how
// the kernel starts it) and other "NAME=value" options are passed over; "DYNAMICLOAD=1"
// makes it follow a Dynamic Download. "--open-folder FOLDER", anywhere, is where Open...
// looks first while no file was opened (the program's download folder when its player
// button finds no recording).
#include <filesystem>
#include <optional>
#include <string>

struct PlayerArguments {
    std::optional<std::string> file;  // none: the window opens empty
    bool dynamicLoad = false;
    std::filesystem::path openFolder;  // empty: the home folder
};

PlayerArguments ParsePlayerArguments(int argc, const char* const* argv);
