#include "platform/Paths.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

#include "platform/AsciiCase.h"

namespace ormidon {

namespace {

std::mutex g_programFolderMutex;
std::filesystem::path g_programFolderOverride;

// The non-empty parts of a stored path, "." parts dropped.
std::vector<std::string_view> StoredPathParts(std::string_view stored) {
    std::vector<std::string_view> parts;
    while (!stored.empty()) {
        size_t sep = stored.find_first_of("\\/");
        std::string_view part = stored.substr(0, sep);
        if (!part.empty() && part != ".") parts.push_back(part);
        if (sep == std::string_view::npos) break;
        stored.remove_prefix(sep + 1);
    }
    return parts;
}

std::optional<std::filesystem::path> FindEntryNoCase(const std::filesystem::path& folder,
                                                     std::string_view name) {
    std::error_code ec;
    std::filesystem::path exact = folder / std::string(name);
    if (std::filesystem::exists(exact, ec)) return exact;
    std::optional<std::filesystem::path> best;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) return std::nullopt;
    for (const auto& entry : it) {
        std::string entryName = entry.path().filename().string();
        if (!EqualsNoCase(entryName, name)) continue;
        if (!best || entry.path().filename() < best->filename()) best = entry.path();
    }
    return best;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Unquotes a value of the user-dirs file ("$HOME/Desktop" or "/abs/path") and expands
// a leading $HOME. Empty when the value is neither.
std::filesystem::path UserDirValue(std::string_view value, const std::filesystem::path& home) {
    if (value.size() < 2 || value.front() != '"') return {};
    value.remove_prefix(1);
    std::string text;
    for (size_t i = 0; i < value.size() && value[i] != '"'; ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) ++i;
        text += value[i];
    }
    constexpr std::string_view kHome = "$HOME";
    if (text.starts_with(kHome) && (text.size() == kHome.size() || text[kHome.size()] == '/')) {
        if (home.empty()) return {};
        std::string rest = text.substr(kHome.size());
        return rest.empty() || rest == "/" ? home : home / rest.substr(1);
    }
    if (!text.empty() && text.front() == '/') return text;
    return {};
}

std::filesystem::path XdgDesktopDir(const std::filesystem::path& home) {
    std::filesystem::path config;
    const char* xdgConfig = std::getenv("XDG_CONFIG_HOME");
    if (xdgConfig && xdgConfig[0] == '/') {
        config = xdgConfig;
    } else if (!home.empty()) {
        config = home / ".config";
    } else {
        return {};
    }
    std::ifstream in(config / "user-dirs.dirs");
    std::string line;
    constexpr std::string_view kKey = "XDG_DESKTOP_DIR=";
    std::filesystem::path found;
    while (std::getline(in, line)) {
        std::string_view view(line);
        while (!view.empty() && (view.front() == ' ' || view.front() == '\t'))
            view.remove_prefix(1);
        if (view.starts_with(kKey)) found = UserDirValue(view.substr(kKey.size()), home);
    }
    return found;
}

bool IsFolder(const std::filesystem::path& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(path, ec);
}

}  // namespace

std::filesystem::path ProgramFolder() {
    {
        std::lock_guard<std::mutex> lock(g_programFolderMutex);
        if (!g_programFolderOverride.empty()) return g_programFolderOverride;
    }
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path(ec);
    return exe.parent_path();
}

void SetProgramFolderForTesting(const std::filesystem::path& folder) {
    std::lock_guard<std::mutex> lock(g_programFolderMutex);
    g_programFolderOverride = folder;
}

std::filesystem::path JoinStoredPath(const std::filesystem::path& base, std::string_view stored) {
    std::filesystem::path result = base;
    for (std::string_view part : StoredPathParts(stored)) result /= std::string(part);
    return result;
}

std::optional<std::filesystem::path> FindFileNoCase(const std::filesystem::path& folder,
                                                    std::string_view name) {
    std::vector<std::string_view> parts = StoredPathParts(name);
    if (parts.empty()) return std::nullopt;
    std::filesystem::path at = folder;
    for (std::string_view part : parts) {
        std::optional<std::filesystem::path> next = FindEntryNoCase(at, part);
        if (!next) return std::nullopt;
        at = *next;
    }
    return at;
}

bool ReplaceFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
    if (file.filename().empty()) return false;
    std::filesystem::path folder = file.parent_path();
    if (folder.empty()) folder = ".";
    std::string pattern = (folder / ("." + file.filename().string() + ".XXXXXX")).string();
    int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return false;

    struct stat old {};
    mode_t mode = (::stat(file.c_str(), &old) == 0) ? (old.st_mode & 07777) : 0644;
    bool ok = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(pattern.c_str(), file.c_str()) == 0;
    if (!ok) {
        ::unlink(pattern.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here leaves a good file either way.
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

NewFileResult CreateFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
    if (file.filename().empty()) return NewFileResult::Failed;
    std::filesystem::path folder = file.parent_path();
    if (folder.empty()) folder = ".";
    std::string pattern = (folder / ("." + file.filename().string() + ".XXXXXX")).string();
    int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return NewFileResult::Failed;
    bool ok = WriteAll(fd, bytes) && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    NewFileResult result = NewFileResult::Failed;
    if (ok) {
        if (::link(pattern.c_str(), file.c_str()) == 0) {
            result = NewFileResult::Created;
        } else if (errno == EEXIST) {
            result = NewFileResult::Exists;
        }
    }
    ::unlink(pattern.c_str());
    if (result == NewFileResult::Created) {
        int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    return result;
}

std::filesystem::path HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0') return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result &&
        result->pw_dir && result->pw_dir[0] != '\0') {
        return result->pw_dir;
    }
    return {};
}

std::filesystem::path DesktopFolder() {
    std::filesystem::path home = HomeFolder();
    std::filesystem::path xdg = XdgDesktopDir(home);
    if (IsFolder(xdg)) return xdg;
    if (!home.empty() && IsFolder(home / "Desktop")) return home / "Desktop";
    return home;
}

}  // namespace ormidon
