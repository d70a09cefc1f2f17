#pragma once
// The places a folder choice starts from: the file system's root, the user's home folder
// and every file system mounted under /media or /run/media (removable discs and sticks).
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ormidon {

struct Volume {
    enum class Kind { Root, Home, Removable };
    std::string name;            // what the operator sees
    std::filesystem::path path;  // absolute, without a trailing separator except "/"
    Kind kind;
};

// "/", the home folder (when there is one) and the removable mounts in the order of the
// mount table.
std::vector<Volume> ListVolumes();

// The mount points under /media and /run/media of a mount table in the format of
// /proc/self/mounts (the escapes \040, \011, \012 and \134 undone).
std::vector<std::filesystem::path> RemovableMountPoints(std::string_view mountTable);

}  // namespace ormidon
