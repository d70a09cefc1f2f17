#pragma once
// Folders and file names: the program folder, stored paths with "\" separators,
// file names found without regard to letter case, atomic file replacement, and the
// user's home and desktop folders.
#include <filesystem>
#include <optional>
#include <string_view>

namespace ormidon {

// The folder that holds the running program (from /proc/self/exe), unless a test
// has set another one.
std::filesystem::path ProgramFolder();
// Makes ProgramFolder() answer `folder`; an empty path restores the real one.
void SetProgramFolderForTesting(const std::filesystem::path& folder);

// `base` joined with a relative path stored in a file, whose parts are separated by
// "\" (or "/"). Empty and "." parts are skipped, so a leading separator does not make
// the stored path absolute.
std::filesystem::path JoinStoredPath(const std::filesystem::path& base, std::string_view stored);

// The entry of `folder` named `name` without regard to ASCII letter case. `name` may be
// a relative path with "/" or "\" parts; each part is matched the same way. An exact
// match is preferred; among several case-insensitive matches the first in sorted order
// wins. Empty when there is none.
std::optional<std::filesystem::path> FindFileNoCase(const std::filesystem::path& folder,
                                                    std::string_view name);

// Replaces `file` by `bytes` so that a reader sees either the old or the new content:
// a temporary file in the same folder is written, flushed to disk and renamed over
// `file`. An existing file's permissions are kept. False on any failure, in which case
// `file` is untouched and the temporary file removed.
bool ReplaceFileAtomically(const std::filesystem::path& file, std::string_view bytes);

enum class NewFileResult { Created, Exists, Failed };

// Creates `file` with `bytes` unless a file of that name exists, so that a reader sees it
// either whole or not at all: a temporary file in the same folder is written, flushed and
// linked under the name, which fails rather than replace an existing file. The temporary
// file is removed on every path.
NewFileResult CreateFileAtomically(const std::filesystem::path& file, std::string_view bytes);

// $HOME, else the home folder of the user's account entry; empty when neither exists.
std::filesystem::path HomeFolder();

// The user's desktop folder: XDG_DESKTOP_DIR from the XDG user-dirs file (in
// $XDG_CONFIG_HOME or ~/.config) when it names an existing folder, else $HOME/Desktop
// when it exists, else the home folder. Empty only when there is no home folder.
std::filesystem::path DesktopFolder();

}  // namespace ormidon
