#include "backup/CCDBurner.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>

#include "backup/DiscBurnPrompts.h"
#include "backup/DiscLayer.h"
#include "core/AppObject.h"
#include "platform/AsciiCase.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "sheet/ProgressSlot.h"

namespace {

// Free space kept beyond the backup's own size.
constexpr uint64_t kSpaceMargin = 4096;
// Joliet keeps names up to this many characters.
constexpr size_t kMaxDiscName = 64;
constexpr const char* kImageFileName = "Image.iso";
constexpr const char* kImageFileFilter = "Image Files (*.iso)|*.iso|All Files (*.*)|*.*";

void Show(const std::string& text, std::stop_token stop = {}) {
    ormidon::ShowMessageText(text, ormidon::kMbOk, std::move(stop));
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           ormidon::EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// A new item's time: its own, else its source file's last write; -1 when the file does not
// open, so that the disc's item is kept.
int64_t NewItemTime(const DiscIsoItem& item, bool* unreadable) {
    if (item.entryTime >= 0) return item.entryTime;
    struct stat info {};
    if (::stat(item.sourcePath.c_str(), &info) != 0) {
        *unreadable = true;
        return -1;
    }
    return static_cast<int64_t>(info.st_mtime);
}

// Runs `work` through `run`, or here when there is none.
DriveWork RunDriveWork(const DriveWorkRunner& run, std::function<void(std::stop_token)> work) {
    if (run) return run(std::move(work));
    work({});
    return DriveWork::Done;
}

// What the drive says about a target: the refusal's text, empty when usable.
struct TargetCheck {
    std::string refusal;
    std::optional<uint32_t> mediaType;
};

// The drive part of CheckTarget, on copies of the writer's values: it may run on a worker
// that the operator gives up.
TargetCheck CheckOnDrive(const std::string& drive, bool imageRecorder, uint64_t needed,
                         const std::string& discName, std::stop_token stop) {
    auto device = DiscOpenDevice(drive, stop);
    // Given up inside a drive call, the check ends once the call returns: the layer's
    // backend may be going with the program.
    const auto givenUp = [&] {
        if (!stop.stop_requested()) return false;
        DiscCloseDevice(device);
        return true;
    };
    if (givenUp()) return {};
    if (!device) return {"Device could not be opened: " + drive, std::nullopt};
    TargetCheck check;
    if (imageRecorder) {
        DiscCloseDevice(device);
        return check;
    }
    auto refuse = [&](const char* text) {
        DiscCloseDevice(device);
        check.refusal = text;
        return check;
    };
    const auto space = DiscGetCDInfo(device.get(), 1);
    if (givenUp()) return {};
    if (space) {
        if (needed + kSpaceMargin > space->freeBlocks * kDiscBlockSize)
            return refuse("No available space for writing CD.");
        check.mediaType = CCDBurner::MediaClassOf(space->mediaFlags, kDiscClassNotWritable);
    } else {
        check.mediaType = kDiscClassNone;
    }
    if (check.mediaType == kDiscClassNone) return refuse("NO DISC");
    if (check.mediaType == kDiscClassNotWritable) return refuse("Disc is non writable");
    auto info = DiscGetCDInfo(device.get(), 0);
    if (givenUp()) return {};
    if (!info) return refuse("NO DISC");
    // A disc without a track has no session to clash with.
    if (info->trackCount > 0) {
        DiscImport imported =
            DiscImportDataTrack(device.get(), static_cast<int>(info->trackCount) - 1);
        if (givenUp()) return {};
        for (const auto& item : imported.items) {
            if (StartsWithNoCase(item.name, discName))
                return refuse("FileName is tha same as other existed file,please modify it");
        }
    }
    DiscCloseDevice(device);
    return check;
}

std::string Formatted(const char* format, const std::string& value) {
    std::string text(std::string(format).size() + value.size(), '\0');
    std::snprintf(text.data(), text.size() + 1, format, value.c_str());
    text.resize(std::strlen(text.c_str()));
    return text;
}

}  // namespace

void WriteCDProgressCallback(int kind, int value, std::stop_token stop) {
    switch (kind) {
        case 0:
            PostProgressCommand(PROGRESS_START, 0, stop);
            PostProgressCommand(PROGRESS_SET_TOTAL, 100, stop);
            break;
        case 1:
            PostProgressCommand(PROGRESS_SET_POS, static_cast<uint32_t>(value), stop);
            break;
        case 2:
            PostProgressCommand(PROGRESS_END, 0, stop);
            break;
        default:
            break;
    }
}

CCDBurner::CCDBurner() = default;

CCDBurner::~CCDBurner() {
    if (m_bInitialised) Cleanup();
}

void CCDBurner::Cleanup() {
    DiscClearErrors();
    DiscDone();
    UnloadDiscLibrary();
    m_bInitialised = false;
}

void CCDBurner::Progress(int kind, int value, const std::stop_token& stop) const {
    if (m_pfnProgress != nullptr && !stop.stop_requested()) m_pfnProgress(kind, value, stop);
}

int CCDBurner::Init(const std::string& sourcePath, WriteCDProgressHook hook,
                    const DriveWorkRunner& run) {
    m_strTargetName = m_strSourcePath = sourcePath;
    m_pfnProgress = hook;
    m_byAbort = 0;
    if (sourcePath.empty()) {
        Show("File name is not valid");
        return 0;
    }
    if (!m_bInitialised) {
        if (!DiscLibraryLoaded()) LoadDiscLibrary();
        const int result = DiscInit();
        if (result != 0) {
            Show(result == 1 ? "The arguments are not valid."
                             : "An error occured. The type of error cannot be determined.");
            return 0;
        }
    }
    // The scan may take a drive's time: it runs through `run` and ends on its stop.
    auto scanned = std::make_shared<std::optional<std::vector<std::string>>>();
    const DriveWork scan = RunDriveWork(run, [scanned](std::stop_token stop) {
        *scanned = DiscGetAvailableDrivesEx(kDiscClassCd, stop);
    });
    if (scan == DriveWork::GivenUp) return kGivenUp;
    if (scan == DriveWork::NotStarted) {
        Show(kNoWorkerText);
        return 0;
    }
    auto& drives = *scanned;
    if (!drives) {
        Show("No available devices.");
        return 0;
    }
    m_ppDriveNames = std::move(*drives);
    if (m_ppDriveNames.empty()) {
        Show("The number of available devices is 0.");
        return 0;
    }
    m_nDriveIndex = std::clamp(m_nDriveIndex, 0, DriveCount() - 1);
    // A drive the keeper still holds is missing from a scan (libburn refuses scans while a
    // drive is held) or cannot be opened: the setting dialog says why.
    m_busyDriveNames = KeptDiscDrives();
    m_bDrivesHeldBack = DiscDrivesHeldBack();
    m_bInitialised = true;
    return 1;
}

void CCDBurner::SetTarget(int driveIndex, bool closeDisc, const std::string& folder,
                          const std::string& name) {
    m_nDriveIndex = driveIndex;
    m_bCloseDisc = closeDisc;
    m_strDiscName = name;
    m_strTargetName = folder + name;
}

std::string CCDBurner::DriveName() const {
    if (m_nDriveIndex < 0 || m_nDriveIndex >= DriveCount()) return {};
    return m_ppDriveNames[static_cast<size_t>(m_nDriveIndex)];
}

bool CCDBurner::IsImageRecorder() const { return DriveName().rfind(kImageRecorderName, 0) == 0; }

std::string CCDBurner::PlayerSetupPath() const {
    std::filesystem::path folder = ormidon::ProgramFolder();
    if (g_lpApp != nullptr && !g_lpApp->CSettingINI.m_strProgramPath.empty()) {
        folder = g_lpApp->CSettingINI.m_strProgramPath;
    }
    if (auto found = ormidon::FindFileNoCase(folder, kPlayerSetupName)) return found->string();
    return (folder / kPlayerSetupName).string();
}

bool CCDBurner::PlayerSetupAvailable() const {
    return std::filesystem::is_regular_file(PlayerSetupPath());
}

uint32_t CCDBurner::MediaClassOf(uint32_t flags, uint32_t unknown) {
    constexpr uint32_t kDvdBits =
        0x2 | 0x4 | 0x8 | 0x10 | 0x800 | 0x1000 | 0x2000 | 0x4000 | 0x40000 | 0x80000;
    if (flags == 0) return kDiscClassNone;
    if (flags & 0x1) return kDiscClassCd;
    if (flags & kDvdBits) return kDiscClassDvd;
    return unknown;
}

int CCDBurner::CheckTarget(const DriveWorkRunner& run) {
    std::string upper =
        m_strTargetName.size() >= 4 ? m_strTargetName.substr(m_strTargetName.size() - 4) : "";
    for (char& c : upper) c = ormidon::UpperAscii(c);
    if (upper != ".DVR") {
        Show("The extension of file name should be (dvr)");
        return 0;
    }
    // The name must name something, stay one name, and fit the disc's long names.
    if (m_strDiscName.size() <= 4 || m_strDiscName.find('/') != std::string::npos ||
        m_strDiscName.size() > kMaxDiscName) {
        Show("Filename is not valid!");
        return 0;
    }
    uint64_t needed = m_dwSourceSize;
    if (AppendPlayer()) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(PlayerSetupPath(), ec);
        if (!ec) needed += size;
    }
    // The drive is read through `run`, on copies: a worker given up touches nothing here.
    auto check = std::make_shared<TargetCheck>();
    const DriveWork read = RunDriveWork(run, [check, drive = DriveName(), image = IsImageRecorder(),
                                              needed, name = m_strDiscName](std::stop_token stop) {
        *check = CheckOnDrive(drive, image, needed, name, std::move(stop));
    });
    if (read == DriveWork::GivenUp) return kGivenUp;
    if (read == DriveWork::NotStarted) {
        Show(kNoWorkerText);
        return 0;
    }
    if (check->mediaType) m_dwMediaType = *check->mediaType;
    if (!check->refusal.empty()) {
        Show(check->refusal);
        return 0;
    }
    return 1;
}

bool CCDBurner::MergeIsoTrees(DiscIsoItemList& items, DiscIsoItemList imported,
                              std::stop_token stop) {
    if (items.empty() || imported.empty()) return false;
    for (auto& item : items) {
        for (auto it = imported.begin(); it != imported.end();) {
            if (!ormidon::EqualsNoCase(it->name, item.name)) {
                ++it;
                continue;
            }
            bool unreadable = false;
            const int64_t newTime =
                item.isReference ? item.entryTime : NewItemTime(item, &unreadable);
            if (unreadable) Show(Formatted("Could not open file: %s.", item.sourcePath), stop);
            if (newTime < it->entryTime) std::swap(item, *it);
            it = imported.erase(it);
        }
    }
    for (auto& rest : imported) items.push_back(std::move(rest));
    return true;
}

int CCDBurner::UserDialogAnswer(int request) {
    switch (request) {
        case 2:
        case 7:
        case 12:
            return 5;
        case 6:
            return 3;
        case 13:
            return 1;
        default:
            return 0;
    }
}

std::string CCDBurner::BurnResultText(int result) {
    switch (result) {
        case kDiscBurnOk:
            return {};
        case kDiscBurnUnknownFormat:
            return "Write CD Error : unknown CD format";
        case kDiscBurnInvalidDrive:
            return "Write CD Error : invalid drive";
        case kDiscBurnFailed:
            return "Write CD Error : burn failed";
        case kDiscBurnFunctionNotAllowed:
            return "Write CD Error : function not allowed";
        case kDiscBurnDriveNotAllowed:
            return "Write CD Error : drive not allowed";
        case kDiscBurnUserAborted:
            return "Write CD Error : user aborted";
        case kDiscBurnBadMessageFile:
            return "Write CD Error : bad message file";
        default:
            return "Write CD Error : unknown error";
    }
}

std::string CCDBurner::ImportErrorText(int error) {
    static const char* const kErrors[] = {"an unknown error",   "a generic error",
                                          "a drive error",      "a read error",
                                          "a filesystem error", "an invalid track number"};
    if (error < 0 || error > 5) error = 0;
    return Formatted("There was %s while importing the track!", kErrors[error]);
}

int CCDBurner::Burn(std::stop_token stop, bool* written) {
    if (written != nullptr) *written = false;
    // One burn at a time: a burn that a closed window left running still owns the writer.
    if (m_bInUse.exchange(true)) {
        Show(kStillFinishingText, stop);
        return 0;
    }
    struct Release {
        std::atomic<bool>& inUse;
        ~Release() { inUse = false; }
    } release{m_bInUse};
    // The window that asked for the burn is going: nothing is written. Checked after the
    // claim, so a set-up that finds the writer free never meets this burn.
    if (stop.stop_requested()) {
        m_byAbort = 0;
        return 0;
    }
    if (!m_bInitialised) return 0;
    if (m_strTargetName.empty()) {
        Show("Filename is not valid!", stop);
        return 0;
    }
    auto device = DiscOpenDevice(DriveName(), stop);
    // Asked to stop inside a drive call (a tray loading, a damaged disc being read), the burn
    // ends as soon as the call returns: its window is gone and the program may be ending
    // around it, so it calls on nothing more than the drive it lets go of.
    const auto stoppedInDrive = [&] {
        if (!stop.stop_requested()) return false;
        DiscCloseDevice(device);
        m_byAbort = 0;
        return true;
    };
    if (stoppedInDrive()) return 1;
    const bool imageRecorder = IsImageRecorder();
    if (device && !imageRecorder) {
        auto info = DiscGetCDInfo(device.get(), 1);
        if (stoppedInDrive()) return 1;
        m_dwMediaType = info ? MediaClassOf(info->mediaFlags, m_dwMediaType) : kDiscClassNone;
        if (m_dwMediaType == kDiscClassNone) {
            Show("NO DISC", stop);
            Progress(2, 0, stop);
            m_byAbort = 0;
            return 0;
        }
    }
    if (!device) {
        // Ends like every other failed burn: nothing held, the progress bar ended.
        Progress(2, 0, stop);
        m_byAbort = 0;
        Show("Device could not be opened: " + DriveName(), stop);
        return 1;
    }

    DiscIsoItemList items;
    items.push_back(DiscIsoItem{
        .name = m_strDiscName.empty() ? std::filesystem::path(m_strTargetName).filename().string()
                                      : m_strDiscName,
        .sourcePath = std::filesystem::absolute(m_strSourcePath).string()});
    if (AppendPlayer()) {
        const std::string setup = PlayerSetupPath();
        if (std::filesystem::is_regular_file(setup)) {
            items.push_back(DiscIsoItem{.name = kPlayerSetupName, .sourcePath = setup});
        } else {
            // The backup is written without the player.
            Show(Formatted("Could not open file: %s.", setup), stop);
        }
    }
    DiscWriteDesc desc;
    desc.mediaType = m_dwMediaType == kDiscClassCd ? kDiscClassCd : kDiscClassDvd;

    Progress(0, 0, stop);
    int result = -1;
    bool write = true;
    if (m_bImportSession && !imageRecorder) {
        auto info = DiscGetCDInfo(device.get(), 0);
        if (stoppedInDrive()) return 1;
        if (info && info->trackCount > 0) {
            DiscImport imported =
                DiscImportDataTrack(device.get(), static_cast<int>(info->trackCount) - 1);
            if (stoppedInDrive()) return 1;
            if (!imported.imported && imported.error != 0) {
                Show(ImportErrorText(imported.error), stop);
                write = false;
            } else if (imported.imported) {
                if (!imported.items.empty() &&
                    !MergeIsoTrees(items, std::move(imported.items), stop)) {
                    Show("There was an error while merging tracks!", stop);
                    write = false;
                } else {
                    desc.stamp = imported.stamp;
                }
            }
        }
    }
    if (write) {
        auto track = DiscCreateIsoTrackEx(items, kVolumeName, kIsoTrackFlags);
        desc.track = track.get();
        DiscProgress progress;
        progress.progress = [this, &stop](int percent) { Progress(1, percent, stop); };
        progress.aborted = [this] { return m_byAbort.load() != 0; };
        progress.idle = [this, &stop] { return m_byAbort.load() != 0 || stop.stop_requested(); };
        progress.userDialog = [this, &stop](int request, std::string& data) {
            if (request != kDiscRequestImageFile) return UserDialogAnswer(request);
            if (stop.stop_requested()) return static_cast<int>(kDiscAnswerImageCancelled);
            DiscBurnPrompts* prompts = m_pPrompts;
            if (prompts == nullptr) {
                if (!m_pDefaultPrompts) m_pDefaultPrompts = std::make_unique<QtDiscBurnPrompts>();
                prompts = m_pDefaultPrompts.get();
            }
            std::string file = prompts->AskImageFile(kImageFileName, kImageFileFilter, stop);
            if (file.empty()) return static_cast<int>(kDiscAnswerImageCancelled);
            data = std::move(file);
            return static_cast<int>(kDiscAnswerImageChosen);
        };
        const uint32_t flags = m_bCloseDisc ? kDiscBurnWrite : (kDiscBurnWrite | kDiscBurnKeepOpen);
        result = DiscBurn(device.get(), desc, flags, progress);
        if (stoppedInDrive()) return 1;
    }
    DiscCloseDevice(device);
    m_byAbort = 0;
    (void)DiscGetErrorLog();
    Progress(2, 0, stop);
    if (result > 0 || result < -1) Show(BurnResultText(result), stop);
    if (written != nullptr) *written = result == kDiscBurnOk;
    return 1;
}

namespace {

std::mutex g_appWriterMutex;
// Made at first use; released only by EndDiscWriting, never under a burn.
CCDBurner* g_appWriter = nullptr;

}  // namespace

CCDBurner& AppDiscWriter() {
    std::lock_guard lock(g_appWriterMutex);
    if (g_appWriter == nullptr) g_appWriter = new CCDBurner;
    return *g_appWriter;
}

bool EndDiscWriting(uint32_t boundMs) {
    CCDBurner* writer = nullptr;
    {
        std::lock_guard lock(g_appWriterMutex);
        writer = g_appWriter;
    }
    if (writer != nullptr && writer->InUse()) writer->Abort();
    if (!EndKeptDiscWork(boundMs) || (writer != nullptr && writer->InUse())) return false;
    std::lock_guard lock(g_appWriterMutex);
    delete g_appWriter;
    g_appWriter = nullptr;
    return true;
}
