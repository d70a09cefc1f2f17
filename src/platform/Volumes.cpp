#include "platform/Volumes.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/Paths.h"

namespace ormidon {
namespace {

// A mount point as the mount table writes it, with blanks, tabs, line ends and
// backslashes as three-digit octal escapes.
std::string Unescape(std::string_view field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            bool octal = true;
            for (char c : digits) octal = octal && c >= '0' && c <= '7';
            if (octal) {
                out += static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 +
                                         (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool IsBelow(const std::filesystem::path& path, const std::filesystem::path& folder) {
    auto p = path.begin();
    for (auto f = folder.begin(); f != folder.end(); ++f, ++p) {
        if (p == path.end() || *p != *f) return false;
    }
    return p != path.end();  // strictly below
}

}  // namespace

std::vector<std::filesystem::path> RemovableMountPoints(std::string_view mountTable) {
    std::vector<std::filesystem::path> points;
    std::istringstream lines{std::string(mountTable)};
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string device, mountPoint;
        if (!(fields >> device >> mountPoint)) continue;
        const std::filesystem::path point = Unescape(mountPoint);
        if (!IsBelow(point, "/media") && !IsBelow(point, "/run/media")) continue;
        bool known = false;
        for (const auto& p : points) known = known || p == point;
        if (!known) points.push_back(point);
    }
    return points;
}

std::vector<Volume> ListVolumes() {
    std::vector<Volume> volumes{{"/", "/", Volume::Kind::Root}};
    std::string home = HomeFolder().lexically_normal().string();
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    if (!home.empty() && home != "/") {
        volumes.push_back(
            {std::filesystem::path(home).filename().string(), home, Volume::Kind::Home});
    }
    std::ifstream in("/proc/self/mounts");
    const std::string table((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const auto& point : RemovableMountPoints(table)) {
        volumes.push_back({point.filename().string(), point, Volume::Kind::Removable});
    }
    return volumes;
}

}  // namespace ormidon
