#pragma once
// What the disc writer exchanges with a disc backend: the drives, what a disc holds, the
// items of an ISO 9660 session, and one burn. A backend is reached only through DiscLayer.
// Every value here is owned C++ data; nothing is freed by hand.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

// Media flags of a disc, as the writer classifies them.
enum DiscMediaFlags : uint32_t {
    kDiscMediaCd = 0x1,               // writable CD
    kDiscMediaDvd = 0x4,              // writable DVD or BD, or a stdio file
    kDiscMediaNotWritable = 0x20000,  // read-only or closed media
};

// The writer's media classes.
enum DiscMediaClass : uint32_t {
    kDiscClassNone = 0,
    kDiscClassCd = 1,
    kDiscClassNotWritable = 0x400,
    kDiscClassDvd = 0xC001C,
};

// Flags of a burn: always kDiscBurnWrite; kDiscBurnKeepOpen leaves multisession media
// appendable.
enum DiscBurnFlags : uint32_t { kDiscBurnWrite = 0x4, kDiscBurnKeepOpen = 0x10 };

// Results of a burn.
enum DiscBurnResult : int {
    kDiscBurnOk = 0,
    kDiscBurnUnknownFormat = 1,
    kDiscBurnInvalidDrive = 2,
    kDiscBurnFailed = 3,
    kDiscBurnFunctionNotAllowed = 4,
    kDiscBurnDriveNotAllowed = 5,
    kDiscBurnUserAborted = 6,
    kDiscBurnBadMessageFile = 7,
};

// Errors of an import.
enum DiscImportError : int {
    kDiscImportUnknown = 0,
    kDiscImportGeneric = 1,
    kDiscImportDrive = 2,
    kDiscImportRead = 3,
    kDiscImportFilesystem = 4,
    kDiscImportInvalidTrack = 5,
};

// The requests a backend may put to the writer during a burn, and the answers.
enum DiscUserRequest : int { kDiscRequestImageFile = 20 };
enum DiscUserAnswer : int { kDiscAnswerImageChosen = 1, kDiscAnswerImageCancelled = 21 };

// The drive that writes an image file instead of a disc; always the last drive listed.
inline constexpr const char* kImageRecorderName = "Image Recorder";
// Free space and sizes count blocks of this many bytes.
inline constexpr uint64_t kDiscBlockSize = 2048;

struct DiscInfo {
    uint64_t freeBlocks = 0;
    uint32_t mediaFlags = 0;
    uint32_t trackCount = 0;
};

// One file or folder of a session. Items made by the writer name a local source file;
// items imported from a disc are references to what the disc holds.
struct DiscIsoItem {
    std::string name;
    bool isFolder = false;
    bool isReference = false;
    std::string sourcePath{};
    int64_t entryTime = -1;  // seconds since 1970 (UTC); -1 when not known
    std::vector<DiscIsoItem> children{};
};
using DiscIsoItemList = std::vector<DiscIsoItem>;

// What a backend needs to add a session behind the imported one. Opaque to the writer.
class DiscSessionStamp {
  public:
    virtual ~DiscSessionStamp() = default;
};

struct DiscImport {
    bool imported = false;    // false: nothing imported (blank disc, or an error)
    int error = 0;            // DiscImportError when not imported and not blank
    DiscIsoItemList items{};  // the top level of the session
    std::shared_ptr<DiscSessionStamp> stamp{};
};

struct DiscIsoTrack {
    DiscIsoItemList items{};
    std::string volume{};
    uint32_t flags = 0;
};

struct DiscWriteDesc {
    const DiscIsoTrack* track = nullptr;
    std::shared_ptr<DiscSessionStamp> stamp;  // null: a session of its own
    uint32_t mediaType = 0;
};

// The writer's answers during a burn. Every function may be empty.
struct DiscProgress {
    std::function<void(int percent)> progress{};
    std::function<bool()> aborted{};
    // Asked between steps; true when the burn should end.
    std::function<bool()> idle{};
    // A request (DiscUserRequest) with its data, which the answer may fill.
    std::function<int(int request, std::string& data)> userDialog{};

    bool Aborted() const { return (aborted && aborted()) || (idle && idle()); }
};

// What left work gave back once it ended (the drive list of a finished scan), released when
// destroyed. The release may take a drive's time: the holder lets it go outside its locks.
class DiscSettledWork {
  public:
    virtual ~DiscSettledWork() = default;
};

// An open drive.
class DiscDevice {
  public:
    explicit DiscDevice(std::string name) : m_name(std::move(name)) {}
    virtual ~DiscDevice() = default;
    const std::string& Name() const { return m_name; }
    // False while the backend's own threads still work on the drive (a burn that did not
    // stop within its bound after an abort): the device must not be freed then.
    virtual bool Idle() const { return true; }

  private:
    std::string m_name;
};

class DiscBackend {
  public:
    virtual ~DiscBackend() = default;
    // 0 when ready.
    virtual int Init() = 0;
    // 0 when everything was released.
    virtual int Done() = 0;
    // The drives' names; empty optional when the backend cannot list even its image recorder
    // or `stop` was requested during the scan.
    virtual std::optional<std::vector<std::string>> GetAvailableDrives(uint32_t mediaType,
                                                                       std::stop_token stop) = 0;
    // Work that a stopped call left running in the backend's own threads (a drive scan):
    // polls it once. True when none is left; what work that ended here gave goes to `settled`.
    virtual bool SettleLeftWork(std::unique_ptr<DiscSettledWork>& settled) {
        (void)settled;
        return true;
    }
    // True when the last list of drives could not name the optical drives: the system
    // lists none while a drive of this program is still held.
    virtual bool DrivesHeldBack() const { return false; }
    // Null when the drive does not open.
    // `stop` ends a wait for the drive (a scan still running before it can be grabbed).
    virtual std::unique_ptr<DiscDevice> OpenDevice(const std::string& drive,
                                                   std::stop_token stop) = 0;
    // Empty when there is no disc to tell about.
    virtual std::optional<DiscInfo> GetCDInfo(DiscDevice& device, uint32_t flags) = 0;
    virtual DiscImport ImportDataTrack(DiscDevice& device, int track) = 0;
    // A DiscBurnResult.
    virtual int Burn(DiscDevice& device, const DiscWriteDesc& desc, uint32_t flags,
                     const DiscProgress& progress) = 0;
    virtual std::string GetErrorLog() = 0;
    virtual void ClearErrors() = 0;
};
