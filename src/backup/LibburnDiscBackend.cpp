#include "backup/LibburnDiscBackend.h"

// libisofs carries its own copy of libburn's burn_source, which libburn declares inside
// namespace burn for C++. The two are the same record; IsoSource is libisofs's name for it
// and AsBurnSource hands it to libburn.
// clang-format off
#define LIBISOFS_WITHOUT_LIBBURN 1
#include <libisofs/libisofs.h>
#include <libburn/libburn.h>
// clang-format on
using namespace burn;
using IsoSource = ::burn_source;

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include "core/TraceFile.h"
#include "platform/Clock.h"

namespace {

constexpr uint32_t kHeadBytes = 64 * 1024;  // the descriptors rewritten at block 0
constexpr uint32_t kFirstGrownBlock = 32;   // where the first image of a grown disc starts
constexpr uint32_t kSessionAlign = 32;      // blocks between grown images are aligned to this
constexpr auto kPollInterval = std::chrono::milliseconds(5);
constexpr std::size_t kMaxImportedName = 255;  // bytes of the longest name on disc
// After a burn that did not end well, libburn 1.5.4's writer thread waits half a second
// before it ends, while the drive already shows idle: the drive is held a second from then,
// twice that wait. Another libburn may wait otherwise: its version goes to the trace file.
constexpr uint32_t kWriterLingerMs = 1000;
constexpr int kLingerLibburn[3] = {1, 5, 4};  // the libburn that wait was measured on

// libburn and libisofs are set up once per process and stay until it ends: neither
// counts its users, and a reader of images elsewhere in the process may need libisofs.
bool SetUpLibraries() {
    int major = 0, minor = 0, micro = 0;
    burn_version(&major, &minor, &micro);
    if (const std::string note = LibburnDiscBackend::VersionNote(major, minor, micro);
        !note.empty()) {
        WriteTraceFile(note);
    }
    if (burn_initialize() != 1) return false;
    if (iso_init() < 0) return false;
    char queue[] = "SORRY", never[] = "NEVER", burnId[] = "libburn: ", isoId[] = "libisofs: ";
    burn_msgs_set_severities(queue, never, burnId);
    iso_set_msgs_severities(queue, never, isoId);
    return true;
}

int LibburnScan(burn_drive_info** infos, unsigned int* count) {
    return burn_drive_scan(infos, count);
}
void LibburnFreeInfos(burn_drive_info* infos) { burn_drive_info_free(infos); }
int LibburnAddress(burn_drive_info* info, char* address) {
    return burn_drive_get_adr(info, address);
}
constexpr LibburnScanCalls kLibburnScanCalls{LibburnScan, LibburnFreeInfos, LibburnAddress};
std::atomic<const LibburnScanCalls*> g_scanCalls{&kLibburnScanCalls};
std::atomic<LibburnDiscWrite> g_discWrite{burn_disc_write};

// The process's one drive scan. libburn scans in a thread of its own and writes the drive
// array through the pointers of the scan's first call until it ends, so they lie here:
// never freed, polled with the same pointers by whoever comes next until the scan ends.
// Its mutex also serialises the other calls that start libburn's jobs.
struct DriveScan {
    std::mutex mutex;
    burn_drive_info* infos = nullptr;
    unsigned int count = 0;
    const LibburnScanCalls* calls = nullptr;  // those of the running scan; null when none runs
    // The scan ended and its array waits to be freed: libburn starts no other scan or grab
    // while it exists, so it still counts as running.
    bool ended = false;
};
DriveScan& TheDriveScan() {
    static auto* scan = new DriveScan;
    return *scan;
}

struct ScannedDrive {
    std::string name;
    std::string address;
};

// libburn keeps its jobs (scans, writes) in one list without a lock of its own: the calls
// that start or poll them hold this.
std::mutex& LibburnWorkersMutex() { return TheDriveScan().mutex; }

// Forgets the scan that ended; its array was freed. The caller holds LibburnWorkersMutex.
void ClearDriveScanLocked() {
    DriveScan& scan = TheDriveScan();
    scan.infos = nullptr;
    scan.count = 0;
    scan.calls = nullptr;
    scan.ended = false;
}

// The array of a scan that ended, freed when this goes. Freeing it may unlock and close each
// scanned drive, so its holder lets it go outside its own locks; libburn's drive list is
// shared with the other jobs' calls, so the free takes LibburnWorkersMutex.
class EndedDriveScan final : public DiscSettledWork {
  public:
    ~EndedDriveScan() override {
        std::lock_guard lock(LibburnWorkersMutex());
        DriveScan& scan = TheDriveScan();
        scan.calls->freeInfos(scan.infos);
        ClearDriveScanLocked();
    }
};

// Polls the running scan once, or, with `start`, starts one when none runs. True when no
// scan is left: one that ended here has its drives listed into `found` (when given) and its
// array freed, or, with `ended`, handed over to be freed there. A refused scan (drives of
// this process still held) lists nothing and sets `refused` (when given). The caller holds
// LibburnWorkersMutex.
bool PollDriveScanLocked(bool start, std::vector<ScannedDrive>* found, bool* refused = nullptr,
                         std::unique_ptr<DiscSettledWork>* ended = nullptr) {
    DriveScan& scan = TheDriveScan();
    if (scan.ended) return false;
    if (scan.calls == nullptr) {
        if (!start) return true;
        scan.calls = g_scanCalls.load();
    }
    const LibburnScanCalls& calls = *scan.calls;
    const int result = calls.scan(&scan.infos, &scan.count);
    if (result == 0) return false;
    if (refused != nullptr) *refused = result < 0;
    if (result > 0 && scan.infos != nullptr) {
        for (unsigned int i = 0; found != nullptr && i < scan.count; ++i) {
            char address[BURN_DRIVE_ADR_LEN] = {};
            if (calls.address(&scan.infos[i], address) <= 0) continue;
            const burn_drive_info& info = scan.infos[i];
            const std::string vendor(info.vendor, strnlen(info.vendor, sizeof(info.vendor)));
            const std::string product(info.product, strnlen(info.product, sizeof(info.product)));
            const std::string adr(address, strnlen(address, sizeof(address)));
            found->push_back({vendor + " " + product + " (" + adr + ")", adr});
        }
        if (ended != nullptr) {
            scan.ended = true;
            *ended = std::make_unique<EndedDriveScan>();
            return true;
        }
        calls.freeInfos(scan.infos);
    }
    ClearDriveScanLocked();
    return true;
}

bool PollDriveScan(bool start, std::vector<ScannedDrive>* found, bool* refused) {
    std::lock_guard lock(LibburnWorkersMutex());
    return PollDriveScanLocked(start, found, refused);
}

bool IsStdio(const std::string& address) { return address.rfind("stdio:", 0) == 0; }

// Media on which libburn writes anywhere: they grow instead of taking sessions.
bool IsOverwritable(int profile) {
    switch (profile) {
        case 0x12:
        case 0x13:
        case 0x1a:
        case 0x2a:
        case 0x43:
        case 0xffff:
            return true;
        default:
            return false;
    }
}
bool IsCd(int profile) { return profile >= 0x08 && profile <= 0x0a; }
bool IsReadOnly(int profile) { return profile == 0x08 || profile == 0x10 || profile == 0x40; }

// What a burn hands to libburn's writer thread: kept while that thread may still use it.
struct BurnObjects {
    IsoImage* image = nullptr;
    IsoSource* source = nullptr;
    std::vector<uint8_t> head;  // libisofs writes the grown image's descriptors here
    burn_write_opts* opts = nullptr;
    burn_track* track = nullptr;
    burn_session* session = nullptr;
    burn_disc* disc = nullptr;

    BurnObjects() = default;
    BurnObjects(const BurnObjects&) = delete;
    BurnObjects& operator=(const BurnObjects&) = delete;
    ~BurnObjects() {
        if (opts != nullptr) burn_write_opts_free(opts);
        if (track != nullptr) burn_track_free(track);
        if (session != nullptr) burn_session_free(session);
        if (disc != nullptr) burn_disc_free(disc);
        if (source != nullptr) burn_source_free(reinterpret_cast<burn::burn_source*>(source));
        if (image != nullptr) iso_image_unref(image);
    }
};

class BurnDevice final : public DiscDevice {
  public:
    BurnDevice(std::string name, burn_drive_info* infos, std::string address = {})
        : DiscDevice(std::move(name)), m_infos(infos), m_address(std::move(address)) {}
    ~BurnDevice() override {
        // Only an idle drive is freed (the layer keeps a busy one): libburn is done with
        // the burn's objects before the drive goes.
        m_leftovers.reset();
        if (m_infos != nullptr) {
            burn_drive_release(m_infos[0].drive, 0);
            burn_drive_info_free(m_infos);
        }
    }
    burn_drive* Drive() const { return m_infos != nullptr ? m_infos[0].drive : nullptr; }
    bool ImageRecorder() const { return m_infos == nullptr; }
    const std::string& Address() const { return m_address; }
    bool Idle() const override {
        if (m_infos == nullptr) return true;
        if (burn_drive_get_status(m_infos[0].drive, nullptr) != BURN_DRIVE_IDLE) {
            m_idleSeen = false;
            return false;
        }
        if (!m_lingers) return true;
        const uint32_t now = ormidon::TickCount();
        bool seen = false;
        if (m_idleSeen.compare_exchange_strong(seen, true)) m_idleSince = now;
        return now - m_idleSince.load() >= kWriterLingerMs;
    }
    // The last burn did not end well: libburn's writer outlives the drive's idle state.
    void WriterLingers() {
        m_lingers = true;
        m_idleSeen = false;
    }
    // A burn that did not stop in its bound leaves its objects with the drive.
    void KeepUntilIdle(std::unique_ptr<BurnObjects> objects) { m_leftovers = std::move(objects); }

  private:
    burn_drive_info* m_infos;
    std::string m_address;
    std::unique_ptr<BurnObjects> m_leftovers;
    std::atomic<bool> m_lingers{false};
    mutable std::atomic<bool> m_idleSeen{false};
    mutable std::atomic<uint32_t> m_idleSince{0};  // tick count when first seen idle
};

// Writes the descriptors of a grown image at block 0. A stdio file is written directly;
// libburn's random access write is for real media.
bool WriteHead(const BurnDevice& device, const std::vector<uint8_t>& head) {
    if (!IsStdio(device.Address())) {
        return burn_random_access_write(
                   device.Drive(), 0, const_cast<char*>(reinterpret_cast<const char*>(head.data())),
                   static_cast<off_t>(head.size()), 1) == 1;
    }
    const std::string path = device.Address().substr(6);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    size_t done = 0;
    bool ok = true;
    while (ok && done < head.size()) {
        const ssize_t n =
            ::pwrite(fd, head.data() + done, head.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

// What a burn needs to add a session behind the imported one.
class ImportedSession final : public DiscSessionStamp {
  public:
    ~ImportedSession() override {
        if (image != nullptr) iso_image_unref(image);
    }
    IsoImage* image = nullptr;
    uint32_t nextBlock = 0;  // where the new session starts
    bool grow = false;       // overwritable media: rewrite block 0 afterwards
};

int Profile(burn_drive* drive) {
    int profile = 0;
    char name[80] = {};
    if (burn_disc_get_profile(drive, &profile, name) != 1) return 0;
    return profile;
}

// The end (in blocks) of the image whose descriptors lie at block 0; 0 when there is none.
uint32_t GrownImageEnd(burn_drive* drive) {
    std::array<char, kDiscBlockSize> pvd{};
    off_t count = 0;
    if (burn_read_data(drive, 16 * static_cast<off_t>(kDiscBlockSize), pvd.data(), pvd.size(),
                       &count, 2 | 4) != 1) {
        return 0;
    }
    if (pvd[0] != 1 || std::memcmp(pvd.data() + 1, "CD001", 5) != 0) return 0;
    uint32_t blocks = 0;
    for (int i = 3; i >= 0; --i) blocks = (blocks << 8) | static_cast<uint8_t>(pvd[80 + i]);
    return blocks;
}

uint32_t NextGrownBlock(uint32_t end) {
    if (end < kFirstGrownBlock) return kFirstGrownBlock;
    return (end + kSessionAlign - 1) / kSessionAlign * kSessionAlign;
}

uint32_t SessionTrackCount(burn_drive* drive) {
    burn_disc* disc = burn_drive_get_disc(drive);
    if (disc == nullptr) return 0;
    int sessions = 0;
    uint32_t tracks = 0;
    burn_session** list = burn_disc_get_sessions(disc, &sessions);
    for (int i = 0; i < sessions; ++i) {
        int n = 0;
        burn_session_get_tracks(list[i], &n);
        tracks += static_cast<uint32_t>(std::max(n, 0));
    }
    burn_disc_free(disc);
    return tracks;
}

// libisofs reads the disc's blocks through the drive.
struct DriveSource {
    burn_drive* drive;
    bool readFailed = false;
};
int SourceOpen(IsoDataSource*) { return 1; }
int SourceClose(IsoDataSource*) { return 1; }
int SourceRead(IsoDataSource* src, uint32_t lba, uint8_t* buffer) {
    auto* data = static_cast<DriveSource*>(src->data);
    off_t count = 0;
    if (burn_read_data(data->drive, static_cast<off_t>(lba) * static_cast<off_t>(kDiscBlockSize),
                       reinterpret_cast<char*>(buffer), kDiscBlockSize, &count, 2 | 4) != 1) {
        data->readFailed = true;
        return ISO_DATA_SOURCE_FAILURE;
    }
    return 1;
}
void SourceFree(IsoDataSource* src) { delete static_cast<DriveSource*>(src->data); }

IsoDataSource* NewDriveSource(burn_drive* drive) {
    // libisofs frees the record itself with free().
    auto* src = static_cast<IsoDataSource*>(std::calloc(1, sizeof(IsoDataSource)));
    if (src == nullptr) return nullptr;
    src->version = 0;
    src->refcount = 1;
    src->open = SourceOpen;
    src->close = SourceClose;
    src->read_block = SourceRead;
    src->free_data = SourceFree;
    src->data = new DriveSource{drive};
    return src;
}

DiscIsoItemList TopLevelItems(IsoImage* image) {
    DiscIsoItemList items;
    IsoDirIter* iter = nullptr;
    if (iso_dir_get_children(iso_image_get_root(image), &iter) < 0) return items;
    IsoNode* node = nullptr;
    while (iso_dir_iter_next(iter, &node) == 1) {
        // A damaged session can give a name that no file may have: empty, or longer than a
        // name on disc can be. Such an entry is left out: it cannot be merged by name, and
        // the new session does not carry it on.
        const char* name = iso_node_get_name(node);
        const std::size_t length = name != nullptr ? std::strlen(name) : 0;
        if (length == 0 || length > kMaxImportedName) continue;
        DiscIsoItem item;
        item.name = name;
        item.isFolder = ISO_NODE_IS_DIR(node);
        item.isReference = true;
        // A date before 1970 from a damaged record counts as unknown.
        const int64_t time = static_cast<int64_t>(iso_node_get_mtime(node));
        item.entryTime = time >= 0 ? time : -1;
        items.push_back(std::move(item));
    }
    iso_dir_iter_free(iter);
    return items;
}

// Makes the image's top level what the track lists: the disc's items it keeps stay,
// the others go, the new items come from their source files.
bool ApplyTrack(IsoImage* image, const DiscIsoTrack& track, std::string& error) {
    IsoDir* root = iso_image_get_root(image);
    std::set<std::string> kept;
    for (const auto& item : track.items) {
        if (item.isReference) kept.insert(item.name);
    }
    IsoDirIter* iter = nullptr;
    if (iso_dir_get_children(root, &iter) < 0) return false;
    IsoNode* node = nullptr;
    while (iso_dir_iter_next(iter, &node) == 1) {
        if (!kept.contains(iso_node_get_name(node))) iso_dir_iter_remove(iter);
    }
    iso_dir_iter_free(iter);
    for (const auto& item : track.items) {
        if (item.isReference) continue;
        IsoNode* added = nullptr;
        int result =
            iso_tree_add_new_node(image, root, item.name.c_str(), item.sourcePath.c_str(), &added);
        if (result < 0) {
            error = "cannot add " + item.sourcePath + ": " + iso_error_to_msg(result);
            return false;
        }
        if (item.entryTime >= 0) iso_node_set_mtime(added, static_cast<time_t>(item.entryTime));
    }
    return true;
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

int ReadSource(IsoSource* src, unsigned char* buffer, int size) {
    if (src->read_xt != nullptr) return src->read_xt(src, buffer, size);
    return src->read != nullptr ? src->read(src, buffer, size) : -1;
}

burn::burn_source* AsBurnSource(IsoSource* src) {
    return reinterpret_cast<burn::burn_source*>(src);
}

void CancelSource(IsoSource* src) {
    if (src->version > 0 && src->cancel != nullptr) src->cancel(src);
}

int PercentOf(uint64_t done, uint64_t total) {
    if (total == 0) return 100;
    return static_cast<int>(std::min<uint64_t>(100, done * 100 / total));
}

}  // namespace

LibburnDiscBackend::Options LibburnDiscBackend::OptionsFromEnvironment() {
    Options options;
    if (const char* scan = std::getenv("ORMIDON_DISC_SCAN");
        scan != nullptr && std::strcmp(scan, "0") == 0) {
        options.scanDrives = false;
    }
    if (const char* drives = std::getenv("ORMIDON_DISC_DRIVES"); drives != nullptr) {
        std::string all(drives);
        size_t start = 0;
        while (start <= all.size()) {
            size_t end = all.find(';', start);
            if (end == std::string::npos) end = all.size();
            std::string entry = all.substr(start, end - start);
            if (IsStdio(entry) && entry.size() > 6) options.stdioDrives.push_back(entry);
            start = end + 1;
        }
    }
    return options;
}

LibburnDiscBackend::LibburnDiscBackend(Options options) : m_options(std::move(options)) {}

LibburnDiscBackend::~LibburnDiscBackend() = default;

bool LibburnDiscBackend::InitLibraries() {
    static const bool ready = SetUpLibraries();
    return ready;
}

void LibburnDiscBackend::SetScanCallsForTesting(const LibburnScanCalls* calls) {
    g_scanCalls = calls != nullptr ? calls : &kLibburnScanCalls;
}

void LibburnDiscBackend::SetDiscWriteForTesting(LibburnDiscWrite write) {
    g_discWrite = write != nullptr ? write : burn_disc_write;
}

std::string LibburnDiscBackend::VersionNote(int major, int minor, int micro) {
    if (major == kLingerLibburn[0] && minor == kLingerLibburn[1] && micro == kLingerLibburn[2])
        return {};
    auto version = [](int a, int b, int c) {
        return std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c);
    };
    return "libburn " + version(major, minor, micro) +
           ": the hold of a drive after an aborted burn was measured on libburn " +
           version(kLingerLibburn[0], kLingerLibburn[1], kLingerLibburn[2]);
}

int LibburnDiscBackend::Init() {
    if (!InitLibraries()) return 2;
    m_initialised = true;
    return 0;
}

int LibburnDiscBackend::Done() {
    m_initialised = false;
    return 0;
}

void LibburnDiscBackend::Log(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_errorLog += text;
    m_errorLog += '\n';
}

std::string LibburnDiscBackend::GetErrorLog() {
    if (m_initialised) {
        char text[BURN_MSGS_MESSAGE_LEN] = {}, severity[80] = {}, minimum[] = "ALL";
        int code = 0, osErrno = 0;
        while (burn_msgs_obtain(minimum, &code, text, &osErrno, severity) > 0) Log(text);
        // libisofs queues its messages apart from libburn's, and keeps each one until it is
        // taken: a damaged session read adds some at every import.
        char isoText[ISO_MSGS_MESSAGE_LEN] = {};
        int image = 0;
        while (iso_obtain_msgs(minimum, &code, &image, isoText, severity) > 0) Log(isoText);
    }
    std::lock_guard lock(m_mutex);
    return m_errorLog;
}

void LibburnDiscBackend::ClearErrors() {
    std::lock_guard lock(m_mutex);
    m_errorLog.clear();
}

std::optional<std::vector<std::string>> LibburnDiscBackend::GetAvailableDrives(
    uint32_t, std::stop_token stop) {
    if (!m_initialised) return std::nullopt;
    std::vector<std::string> names;
    std::map<std::string, std::string> addresses;
    if (m_options.scanDrives) {
        std::vector<ScannedDrive> scanned;
        bool refused = false;
        // A stop leaves the scan running in libburn's thread; the next scan, an open or the
        // keeper polls it on.
        while (!PollDriveScan(true, &scanned, &refused)) {
            if (stop.stop_requested()) return std::nullopt;
            std::this_thread::sleep_for(kPollInterval);
        }
        m_drivesHeldBack = refused;
        for (auto& drive : scanned) {
            names.push_back(drive.name);
            addresses[drive.name] = std::move(drive.address);
        }
    }
    for (const auto& stdio : m_options.stdioDrives) {
        names.push_back(stdio);
        addresses[stdio] = stdio;
    }
    names.emplace_back(kImageRecorderName);
    std::lock_guard lock(m_mutex);
    m_addresses = std::move(addresses);
    return names;
}

bool LibburnDiscBackend::SettleLeftWork(std::unique_ptr<DiscSettledWork>& settled) {
    // The keeper asks while it holds its own lock: it never waits here for a drive's grab,
    // and frees the array of a scan that ended only once it let go of its lock.
    std::unique_lock lock(LibburnWorkersMutex(), std::try_to_lock);
    return lock.owns_lock() && PollDriveScanLocked(false, nullptr, nullptr, &settled);
}

std::unique_ptr<DiscDevice> LibburnDiscBackend::OpenDevice(const std::string& drive,
                                                           std::stop_token stop) {
    if (!m_initialised) return nullptr;
    if (drive == kImageRecorderName) return std::make_unique<BurnDevice>(drive, nullptr);
    std::string address;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_addresses.find(drive);
        if (it == m_addresses.end()) return nullptr;
        address = it->second;
    }
    // libburn grabs a drive through a scan of its own: a scan left running ends first.
    burn_drive_info* infos = nullptr;
    int grabbed = 0;
    while (true) {
        {
            std::lock_guard lock(LibburnWorkersMutex());
            if (PollDriveScanLocked(false, nullptr)) {
                grabbed = burn_drive_scan_and_grab(&infos, address.data(), 1);
                break;
            }
        }
        if (stop.stop_requested()) return nullptr;
        std::this_thread::sleep_for(kPollInterval);
    }
    if (grabbed != 1 || infos == nullptr) {
        Log("cannot open drive " + address);
        return nullptr;
    }
    return std::make_unique<BurnDevice>(drive, infos, address);
}

std::optional<DiscInfo> LibburnDiscBackend::GetCDInfo(DiscDevice& device, uint32_t) {
    auto& burn = static_cast<BurnDevice&>(device);
    if (burn.ImageRecorder()) return std::nullopt;
    burn_drive* drive = burn.Drive();
    const burn_disc_status status = burn_disc_get_status(drive);
    if (status == BURN_DISC_EMPTY || status == BURN_DISC_UNREADY) return std::nullopt;
    const int profile = Profile(drive);
    DiscInfo info;
    const off_t space = burn_disc_available_space(drive, nullptr);
    uint64_t free = space > 0 ? static_cast<uint64_t>(space) / kDiscBlockSize : 0;
    if (IsOverwritable(profile)) {
        const uint32_t end = GrownImageEnd(drive);
        info.trackCount = end > 0 ? 1 : 0;
        const uint64_t used = end > 0 ? NextGrownBlock(end) : kFirstGrownBlock;
        info.freeBlocks = free > used ? free - used : 0;
        info.mediaFlags = kDiscMediaDvd;
        return info;
    }
    info.freeBlocks = free;
    info.trackCount = status == BURN_DISC_BLANK ? 0 : SessionTrackCount(drive);
    if (IsReadOnly(profile) || status == BURN_DISC_FULL || status == BURN_DISC_UNSUITABLE ||
        profile == 0) {
        info.mediaFlags = kDiscMediaNotWritable;
    } else {
        info.mediaFlags = IsCd(profile) ? kDiscMediaCd : kDiscMediaDvd;
    }
    return info;
}

DiscImport LibburnDiscBackend::ImportDataTrack(DiscDevice& device, int track) {
    DiscImport result;
    auto& burn = static_cast<BurnDevice&>(device);
    if (burn.ImageRecorder()) return result;
    burn_drive* drive = burn.Drive();
    const int profile = Profile(drive);
    auto session = std::make_shared<ImportedSession>();
    uint32_t start = 0;
    if (IsOverwritable(profile)) {
        const uint32_t end = GrownImageEnd(drive);
        if (track != 0 || end == 0) {
            result.error = kDiscImportInvalidTrack;
            return result;
        }
        session->grow = true;
        session->nextBlock = NextGrownBlock(end);
    } else {
        int msc1 = 0, lba = 0, nwa = 0;
        if (track < 0 || burn_disc_get_msc1(drive, &msc1) != 1) {
            result.error = kDiscImportInvalidTrack;
            return result;
        }
        burn_write_opts* opts = burn_write_opts_new(drive);
        burn_write_opts_set_multi(opts, 1);
        const int nwaOk = burn_disc_track_lba_nwa(drive, opts, 0, &lba, &nwa);
        burn_write_opts_free(opts);
        if (nwaOk <= 0) {
            result.error = kDiscImportDrive;
            return result;
        }
        start = static_cast<uint32_t>(msc1);
        session->nextBlock = static_cast<uint32_t>(nwa);
    }
    if (iso_image_new("ODBackup", &session->image) < 0) {
        result.error = kDiscImportGeneric;
        return result;
    }
    IsoReadOpts* opts = nullptr;
    if (iso_read_opts_new(&opts, 0) < 0) {
        result.error = kDiscImportGeneric;
        return result;
    }
    iso_read_opts_set_start_block(opts, start);
    IsoDataSource* source = NewDriveSource(drive);
    if (source == nullptr) {
        iso_read_opts_free(opts);
        result.error = kDiscImportGeneric;
        return result;
    }
    const int imported = iso_image_import(session->image, source, opts, nullptr);
    const bool readFailed = static_cast<DriveSource*>(source->data)->readFailed;
    iso_read_opts_free(opts);
    iso_data_source_unref(source);
    if (imported < 0) {
        Log(std::string("import failed: ") + iso_error_to_msg(imported));
        result.error = readFailed ? kDiscImportRead : kDiscImportFilesystem;
        return result;
    }
    result.imported = true;
    result.items = TopLevelItems(session->image);
    result.stamp = std::move(session);
    return result;
}

int LibburnDiscBackend::Burn(DiscDevice& device, const DiscWriteDesc& desc, uint32_t flags,
                             const DiscProgress& progress) {
    if (desc.track == nullptr) return kDiscBurnFailed;
    auto& burn = static_cast<BurnDevice&>(device);
    burn_drive* drive = burn.Drive();
    const bool keepOpen = (flags & kDiscBurnKeepOpen) != 0;
    const int profile = burn.ImageRecorder() ? 0 : Profile(drive);
    auto* imported = dynamic_cast<ImportedSession*>(desc.stamp.get());
    if (burn.ImageRecorder()) imported = nullptr;

    // Everything the burn hands to libburn lives here, freed on return, or kept with the
    // drive while libburn's writer still runs.
    auto objects = std::make_unique<BurnObjects>();
    // The image: the imported one changed to the track's items, or a new one.
    IsoImage* image = nullptr;
    if (imported != nullptr) {
        image = imported->image;
        iso_image_ref(image);
    } else if (iso_image_new(desc.track->volume.c_str(), &image) < 0) {
        return kDiscBurnFailed;
    }
    objects->image = image;
    iso_image_set_volume_id(image, desc.track->volume.c_str());
    std::string error;
    if (!ApplyTrack(image, *desc.track, error)) {
        Log(error);
        return kDiscBurnFailed;
    }

    const bool grow = !burn.ImageRecorder() && IsOverwritable(profile);
    uint32_t startBlock = 0;
    if (imported != nullptr) {
        startBlock = imported->nextBlock;
    } else if (grow) {
        startBlock = kFirstGrownBlock;
    } else if (!burn.ImageRecorder() && burn_disc_get_status(drive) == BURN_DISC_APPENDABLE) {
        // A session behind others that were not imported.
        int lba = 0, nwa = 0;
        burn_write_opts* opts = burn_write_opts_new(drive);
        if (burn_disc_track_lba_nwa(drive, opts, 0, &lba, &nwa) > 0)
            startBlock = static_cast<uint32_t>(nwa);
        burn_write_opts_free(opts);
    }
    objects->head.assign(kHeadBytes, 0);
    IsoWriteOpts* wopts = nullptr;
    if (iso_write_opts_new(&wopts, 0) < 0) return kDiscBurnFailed;
    iso_write_opts_set_rockridge(wopts, 1);
    iso_write_opts_set_joliet(wopts, 1);
    iso_write_opts_set_appendable(wopts, imported != nullptr ? 1 : 0);
    iso_write_opts_set_ms_block(wopts, startBlock);
    if (grow) iso_write_opts_set_overwrite_buf(wopts, objects->head.data());
    IsoSource* source = nullptr;
    const int created = iso_image_create_burn_source(image, wopts, &source);
    iso_write_opts_free(wopts);
    if (created < 0 || source == nullptr) {
        Log(std::string("cannot make the session: ") + iso_error_to_msg(created));
        return kDiscBurnFailed;
    }
    objects->source = source;
    const uint64_t total = static_cast<uint64_t>(std::max<off_t>(source->get_size(source), 0));
    auto report = [&](uint64_t done) {
        if (progress.progress) progress.progress(PercentOf(done, total));
    };

    if (burn.ImageRecorder()) {
        std::string file = "Image.iso";
        const int answer = progress.userDialog ? progress.userDialog(kDiscRequestImageFile, file)
                                               : kDiscAnswerImageCancelled;
        if (answer != kDiscAnswerImageChosen || file.empty()) {
            CancelSource(source);
            return kDiscBurnUserAborted;
        }
        // Written under a temporary name beside the target; renamed over it only when whole.
        const std::filesystem::path target(file);
        std::string temp = target.string() + ".XXXXXX";
        const int fd = ::mkstemp(temp.data());
        if (fd < 0) {
            CancelSource(source);
            Log("cannot create " + temp);
            return kDiscBurnInvalidDrive;
        }
        std::vector<unsigned char> buffer(32 * kDiscBlockSize);
        uint64_t done = 0;
        int result = kDiscBurnOk;
        while (true) {
            if (progress.Aborted()) {
                result = kDiscBurnUserAborted;
                break;
            }
            // libisofs hands out whole blocks: a read larger than what is left at the end
            // gives nothing, so each read takes one block.
            size_t filled = 0;
            int n = 0;
            while (filled < buffer.size() &&
                   (n = ReadSource(source, buffer.data() + filled, kDiscBlockSize)) > 0) {
                filled += static_cast<size_t>(n);
            }
            if (n < 0) {
                result = kDiscBurnFailed;
                break;
            }
            if (filled > 0 && !WriteAll(fd, reinterpret_cast<const char*>(buffer.data()), filled)) {
                result = kDiscBurnFailed;
                break;
            }
            done += filled;
            report(done);
            if (n == 0) break;
        }
        if (result == kDiscBurnOk && done != total) {
            Log("the image came short: " + std::to_string(done) + " of " + std::to_string(total));
            result = kDiscBurnFailed;
        }
        if (result != kDiscBurnOk) CancelSource(source);
        if (::fsync(fd) != 0 && result == kDiscBurnOk) result = kDiscBurnFailed;
        if (::close(fd) != 0 && result == kDiscBurnOk) result = kDiscBurnFailed;
        if (result == kDiscBurnOk && ::rename(temp.c_str(), target.c_str()) != 0)
            result = kDiscBurnFailed;
        if (result != kDiscBurnOk) ::unlink(temp.c_str());
        return result;
    }

    // A drive: one data track in one session.
    burn_disc* disc = objects->disc = burn_disc_create();
    burn_session* session = objects->session = burn_session_create();
    burn_disc_add_session(disc, session, BURN_POS_END);
    burn_track* track = objects->track = burn_track_create();
    burn_track_define_data(track, 0, 0, 1, BURN_MODE1);
    int result = kDiscBurnOk;
    if (burn_track_set_source(track, AsBurnSource(source)) != BURN_SOURCE_OK)
        result = kDiscBurnFailed;
    burn_session_add_track(session, track, BURN_POS_END);
    burn_write_opts* opts = objects->opts = burn_write_opts_new(drive);
    burn_write_opts_set_perform_opc(opts, 0);
    burn_write_opts_set_multi(opts, keepOpen && !grow ? 1 : 0);
    if (grow) burn_write_opts_set_start_byte(opts, static_cast<off_t>(startBlock) * kDiscBlockSize);
    char reasons[BURN_REASONS_LEN] = {};
    if (result == kDiscBurnOk &&
        burn_write_opts_auto_write_type(opts, disc, reasons, 0) == BURN_WRITE_NONE) {
        Log(std::string("no way to write this media: ") + reasons);
        result = kDiscBurnFunctionNotAllowed;
    }
    bool cancelled = false;
    bool stillBusy = false;
    if (result == kDiscBurnOk) {
        burn_drive_set_speed(drive, 0, 0);
        {
            // libburn clears the drive's cancel mark when it takes the job: a job it refuses
            // (another still runs on the drive) then reads as not written well.
            std::lock_guard lock(LibburnWorkersMutex());
            burn_drive_cancel(drive);
            g_discWrite.load()(opts, disc);
        }
        burn_progress state{};
        uint32_t cancelledAt = 0;
        while (burn_drive_get_status(drive, &state) != BURN_DRIVE_IDLE) {
            if (!cancelled && progress.Aborted()) {
                cancelled = true;
                cancelledAt = ormidon::TickCount();
                CancelSource(source);
                burn_drive_cancel(drive);
            }
            if (cancelled && ormidon::TickCount() - cancelledAt >
                                 static_cast<uint32_t>(m_options.abortBoundMs)) {
                Log("the drive did not stop within its bound");
                stillBusy = true;
                break;
            }
            if (!cancelled && state.sectors > 0) {
                report(static_cast<uint64_t>(state.sector) * kDiscBlockSize);
            }
            std::this_thread::sleep_for(kPollInterval);
        }
        if (cancelled) {
            result = kDiscBurnUserAborted;
        } else if (burn_drive_wrote_well(drive) != 1) {
            result = kDiscBurnFailed;
        }
        if (result != kDiscBurnOk) {
            burn.WriterLingers();
            stillBusy = true;
        }
    }
    if (stillBusy) {
        // libburn's writer may still use these and the drive, also for a while after a burn
        // that did not end well: both stay until it is done (the layer keeps the busy device).
        burn.KeepUntilIdle(std::move(objects));
        return result;
    }
    // Only a whole session is made the one the disc shows.
    if (result == kDiscBurnOk && grow && !WriteHead(burn, objects->head)) result = kDiscBurnFailed;
    if (result == kDiscBurnOk) report(total);
    return result;
}
