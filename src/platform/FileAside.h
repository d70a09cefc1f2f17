#pragma once
// Keeping a file that could not be used: it is moved, or copied, to "<name>.bad" beside
// it, or to "<name>.bad.1", "<name>.bad.2" ... when that name is taken, so a file set aside
// earlier is never overwritten.
#include <filesystem>
#include <string>

namespace ormidon {

struct AsideResult {
    std::filesystem::path path;  // where the file went; empty on failure
    std::string error;           // why it failed
};

// Moves `file` aside unchanged.
AsideResult MoveFileAside(const std::filesystem::path& file);

// Writes a copy of `file` aside; `file` stays.
AsideResult CopyFileAside(const std::filesystem::path& file);

}  // namespace ormidon
