// The newest local recording, which the login window's player button plays.
#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/AppObject.h"
#include "platform/AsciiCase.h"
#include "record/RecordFileName.h"
#include "tools/LoginDialog.h"

namespace {

namespace fs = std::filesystem;

bool IsRecordFileName(std::string_view name) {
    return name.size() > kRecordFileExtension.size() &&
           ormidon::EqualsNoCase(name.substr(name.size() - kRecordFileExtension.size()),
                                 kRecordFileExtension);
}

}  // namespace

std::string LoginDialog::FindNewestRecordFile() {
    if (g_lpApp == nullptr) return {};
    const std::string folder = g_lpApp->CSettingINI.m_strRecordPath;
    if (folder.empty()) return {};

    std::error_code error;
    std::vector<std::string> names;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (IsRecordFileName(name) && it->is_regular_file(error)) names.push_back(name);
    }
    // The directory's own order is arbitrary; by name, a tie always goes the same way.
    std::sort(names.begin(), names.end());

    const std::string prefix = folder.back() == '/' ? folder : folder + "/";
    std::string newest;
    std::optional<fs::file_time_type> newestTime;
    for (const std::string& name : names) {
        const fs::file_time_type written = fs::last_write_time(prefix + name, error);
        if (error) continue;
        if (!newestTime || written > *newestTime) {
            newestTime = written;
            newest = prefix + name;
        }
    }
    return newest;
}
