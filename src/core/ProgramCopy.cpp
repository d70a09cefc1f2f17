#include "core/ProgramCopy.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "core/ProgramFileTable.h"
#include "core/SettingINI.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSettingFileName = "Setting.ini";
constexpr std::string_view kAlarmWaveName = "alarm.wav";

// Copies `from` to `to` through a temporary file beside `to`; the reason of a failure,
// or nothing.
std::optional<std::string> CopyThroughTemporary(const fs::path& from, const fs::path& to) {
    std::error_code error;
    fs::create_directories(to.parent_path(), error);
    if (error) return "cannot make its folder: " + error.message();

    std::string temporary =
        (to.parent_path() / ("." + to.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return std::string(std::strerror(errno));
    ::close(fd);

    fs::copy_file(from, temporary, fs::copy_options::overwrite_existing, error);
    if (!error) fs::permissions(temporary, fs::status(from).permissions(), error);
    if (!error) fs::rename(temporary, to, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return error.message();
    }
    return std::nullopt;
}

}  // namespace

ProgramCopy::ProgramCopy(fs::path source, fs::path destination)
    : m_source(std::move(source)), m_destination(std::move(destination)) {}

std::optional<std::string> ProgramCopy::Refusal() const {
    std::error_code error;
    if (fs::equivalent(m_source, m_destination, error)) {
        return "The program cannot be copied onto itself: " + m_destination.string() +
               " is the program folder.";
    }
    return std::nullopt;
}

std::string ProgramCopy::DestinationFolder() const {
    std::string folder = m_destination.string();
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

void ProgramCopy::Prepare() {
    // An existing folder is no error; one that cannot be made shows in the rows below it.
    std::error_code error;
    fs::create_directories(m_destination / "BMP" / "LOGIN", error);
}

void ProgramCopy::Fail(std::string name, std::string reason) {
    m_failures.push_back({std::move(name), std::move(reason)});
}

void ProgramCopy::CopyRow(size_t row) {
    if (row >= ProgramFileTable.size()) return;
    const std::string_view name = ProgramFileTable[row];
    if (name.empty()) return;
    const std::optional<fs::path> found = ormidon::FindFileNoCase(m_source, name);
    if (!found) {
        ++m_absent;
        return;
    }
    const fs::path relative = found->lexically_relative(m_source);
    std::error_code error;
    if (!fs::is_regular_file(*found, error)) {
        Fail(relative.string(), "not a regular file");
        return;
    }
    if (const std::optional<std::string> reason =
            CopyThroughTemporary(*found, m_destination / relative)) {
        Fail(relative.string(), *reason);
        return;
    }
    ++m_copied;
}

bool ProgramCopy::WriteSettings() {
    const fs::path file = ormidon::FindFileNoCase(m_destination, kSettingFileName)
                              .value_or(m_destination / kSettingFileName);
    ormidon::IniFile ini(file);
    const std::string folder = DestinationFolder();
    const bool set = ini.SetString(CSettingINI::kSection, CSettingINI::kKeyRecordPath, folder) &&
                     ini.SetString(CSettingINI::kSection, CSettingINI::kKeySnapshotPath, folder) &&
                     ini.SetString(CSettingINI::kSection, CSettingINI::kKeyTriggerWavPath,
                                   folder + std::string(kAlarmWaveName));
    if (!set) {
        Fail(file.filename().string(), "the folder's name cannot be stored in it");
        return false;
    }
    if (!ini.Save()) {
        Fail(file.filename().string(), "cannot be written");
        return false;
    }
    return true;
}
