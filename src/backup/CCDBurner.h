#pragma once
// CCDBurner: writes a finished backup to a disc, adding it to what the disc's last session
// holds, or into an image file. Init lists the drives when Start is pressed; the page's
// setting dialog chooses drive, name and options; CheckTarget tests the target before the
// download; Burn runs on the download thread after it. Everything reaches the drives
// through the forwarding layer (DiscLayer).
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include "backup/DiscBackend.h"

class DiscBurnPrompts;

// The progress hook: kind 0 start, 1 position in percent, 2 end. `stop` is the burn's: once
// it is requested, the window that ran the burn is going, and nothing more may reach a bar.
using WriteCDProgressHook = void (*)(int kind, int value, std::stop_token stop);
// Drives the settings sheet's progress bar.
void WriteCDProgressCallback(int kind, int value, std::stop_token stop);

// How drive work ended: done; given up by the operator (the work then ends on its own and
// touches nothing but what it owns); or never started, for want of a thread.
enum class DriveWork { Done, GivenUp, NotStarted };
// Runs drive work, which may take as long as a drive does (minutes on a damaged disc).
// Empty: the work runs on the calling thread.
using DriveWorkRunner = std::function<DriveWork(std::function<void(std::stop_token)> work)>;

class CCDBurner {
  public:
    static constexpr const char* kVolumeName = "ODBackup";
    static constexpr const char* kPlayerSetupName = "Tamburo_setup.exe";
    static constexpr uint32_t kIsoTrackFlags = 11;
    // A disc set-up while a burn that a closed window left still runs.
    static constexpr const char* kStillFinishingText =
        "The disc drive is still finishing the last disc. Please wait and try again.";
    // Drive work that found no thread to run on.
    static constexpr const char* kNoWorkerText =
        "The drive cannot be read now: no thread could be started. Please try again.";

    CCDBurner();
    ~CCDBurner();
    CCDBurner(const CCDBurner&) = delete;
    CCDBurner& operator=(const CCDBurner&) = delete;

    // Init and CheckTarget: the operator gave the drive work up; nothing is shown.
    static constexpr int kGivenUp = 2;

    // Readies the writer for `sourcePath`: loads and initialises the backend once, lists
    // the drives every time (through `run`). 1 ready, 0 refused (its message shown),
    // kGivenUp.
    int Init(const std::string& sourcePath, WriteCDProgressHook hook,
             const DriveWorkRunner& run = {});
    // The setting dialog's choice: the drive row, Close Disc, and the name on disc in `folder`.
    void SetTarget(int driveIndex, bool closeDisc, const std::string& folder,
                   const std::string& name);
    void SetSourceSize(uint64_t bytes) { m_dwSourceSize = bytes; }
    // Append Player: the player's setup file goes onto the disc with the backup. Not a
    // stored setting; each setting dialog clears it.
    void SetAppendPlayer(bool on) { m_dwWriteCDAppendPlayer = on ? 1 : 0; }
    bool AppendPlayer() const { return m_dwWriteCDAppendPlayer != 0; }
    // 1 when the target can take the backup, 0 refused (its message shown), kGivenUp. The
    // drive is read through `run`.
    int CheckTarget(const DriveWorkRunner& run = {});
    // Writes the backup. 0 when not initialised, without a name, or without a disc, when
    // another burn still runs, or when `stop` came before it began; 1 otherwise (errors
    // shown). `stop` ends the burn and the waits for the operator, and silences the hook; a
    // stop during a drive call ends the burn once the call returns, with nothing more shown
    // or asked of the backend. `written`, when given, tells whether the backup reached the disc.
    int Burn(std::stop_token stop = {}, bool* written = nullptr);
    // True while a burn runs. A burn left running by a window that closed keeps the writer:
    // nothing else may use it until the burn returns.
    bool InUse() const { return m_bInUse.load(); }
    // Asks a running burn to end; the backend sees it between steps.
    void Abort() { m_byAbort = 1; }
    // Releases the backend of an initialised writer.
    void Cleanup();

    // True when the player's setup file is in the program folder, so Append Player can
    // put it on the disc.
    bool PlayerSetupAvailable() const;

    // Where the image file's name is asked during a burn (the UI thread's dialog unless set).
    void SetPrompts(DiscBurnPrompts* prompts) { m_pPrompts = prompts; }

    const std::vector<std::string>& DriveNames() const { return m_ppDriveNames; }
    // Drives that the last Init found still held by the disc layer's keeper, busy finishing
    // an earlier disc: listed or not, they cannot be used now.
    const std::vector<std::string>& BusyDriveNames() const { return m_busyDriveNames; }
    // The last list left the optical drives out because one was still held.
    bool DrivesHeldBack() const { return m_bDrivesHeldBack; }
    int DriveCount() const { return static_cast<int>(m_ppDriveNames.size()); }
    uint32_t MediaType() const { return m_dwMediaType; }
    bool Initialised() const { return m_bInitialised; }
    const std::string& TargetName() const { return m_strTargetName; }
    uint64_t SourceSize() const { return m_dwSourceSize; }

    // Newer wins: merges the disc's `imported` items into `items`, each name once (ignoring
    // case), the newer of two; equal times keep the new one. False when either is empty.
    // `stop` ends the wait of its message about a source that does not open.
    static bool MergeIsoTrees(DiscIsoItemList& items, DiscIsoItemList imported,
                              std::stop_token stop = {});
    // The media class of disc information flags; `unknown` for flags outside every class.
    static uint32_t MediaClassOf(uint32_t flags, uint32_t unknown);
    // The answer to a backend's request during a burn (the image file is asked elsewhere).
    static int UserDialogAnswer(int request);
    // "Write CD Error : ..." for a burn result; empty for success.
    static std::string BurnResultText(int result);
    // "There was ... while importing the track!" for an import error.
    static std::string ImportErrorText(int error);

  private:
    bool IsImageRecorder() const;
    std::string DriveName() const;
    std::string PlayerSetupPath() const;
    void Progress(int kind, int value, const std::stop_token& stop) const;

    std::vector<std::string> m_ppDriveNames;
    std::vector<std::string> m_busyDriveNames;
    bool m_bDrivesHeldBack = false;
    bool m_bInitialised = false;
    std::atomic<uint8_t> m_byAbort{0};
    std::atomic<bool> m_bInUse{false};
    uint32_t m_dwMediaType = kDiscClassCd;
    std::string m_strTargetName;  // folder + name on disc
    std::string m_strDiscName;    // the name on disc
    std::string m_strSourcePath;
    bool m_bCloseDisc = false;
    bool m_bImportSession = true;
    int m_nDriveIndex = 0;
    uint64_t m_dwSourceSize = 0;
    std::atomic<int32_t> m_dwWriteCDAppendPlayer{0};
    WriteCDProgressHook m_pfnProgress = nullptr;
    DiscBurnPrompts* m_pPrompts = nullptr;
    std::unique_ptr<DiscBurnPrompts> m_pDefaultPrompts;
};

// The program's one disc writer, made at its first use.
CCDBurner& AppDiscWriter();
// Program exit: aborts a running burn and waits up to `boundMs` for the disc layer's keeper
// to let go of all drive work; then releases the program's writer. True when it went; false
// when drive work still runs, which keeps the writer and everything it uses.
bool EndDiscWriting(uint32_t boundMs);
// The bound of EndDiscWriting at program exit: a burn's own bound for a drive to stop after
// an abort, and a margin.
inline constexpr uint32_t kDiscWritingExitBoundMs = 2000;
