#pragma once
// The built-in disc backend: drives through libburn, sessions through libisofs.
//
// Drives are the optical drives libburn finds, the configured "stdio:<path>" pseudo-drives
// (a file that libburn writes like an overwritable disc) and the image recorder, always
// last, which writes a stand-alone image into a file that the writer names during the burn.
//
// Multisession media get a new session behind the last one. Overwritable media and stdio
// files have no sessions of their own, so they grow: the first image starts at block 32,
// each later one behind the image before it and referring to its files, and only after a
// session was written whole are the 64 KiB at block 0 rewritten to point to it. A cut or
// aborted burn therefore leaves the previous session what the disc shows.
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "backup/DiscBackend.h"

namespace burn {
struct burn_drive_info;
struct burn_write_opts;
struct burn_disc;
}

// The libburn calls of a drive scan. libburn scans in a thread of its own and writes the
// result through the pointers of the scan's first call; tests play such a scan through here.
struct LibburnScanCalls {
    int (*scan)(burn::burn_drive_info** infos, unsigned int* count);
    void (*freeInfos)(burn::burn_drive_info* infos);
    int (*address)(burn::burn_drive_info* info, char* address);
};

// libburn's start of a write job, which it refuses while another job runs on the drive;
// tests play such a refusal through here.
using LibburnDiscWrite = void (*)(burn::burn_write_opts* opts, burn::burn_disc* disc);

class LibburnDiscBackend final : public DiscBackend {
  public:
    struct Options {
        bool scanDrives = true;
        std::vector<std::string> stdioDrives;  // "stdio:<path>" each
        // The bound of the wait for a drive to stop after an abort.
        int abortBoundMs = 1000;
    };
    // Scanning on; pseudo-drives from ORMIDON_DISC_DRIVES ("stdio:<path>" entries separated
    // by ";"), scanning off when ORMIDON_DISC_SCAN is "0".
    static Options OptionsFromEnvironment();

    // Sets libburn and libisofs up once for the process; false when they refuse.
    static bool InitLibraries();
    // The scan's calls: `calls`, or libburn's own for nullptr.
    static void SetScanCallsForTesting(const LibburnScanCalls* calls);
    // The write's start: `write`, or libburn's own for nullptr.
    static void SetDiscWriteForTesting(LibburnDiscWrite write);
    // The trace file's note on a libburn other than the one the hold of a drive after an
    // aborted burn was measured on; empty for that one.
    static std::string VersionNote(int major, int minor, int micro);

    explicit LibburnDiscBackend(Options options);
    ~LibburnDiscBackend() override;

    int Init() override;
    int Done() override;
    std::optional<std::vector<std::string>> GetAvailableDrives(uint32_t mediaType,
                                                               std::stop_token stop) override;
    bool SettleLeftWork(std::unique_ptr<DiscSettledWork>& settled) override;
    bool DrivesHeldBack() const override { return m_drivesHeldBack.load(); }
    std::unique_ptr<DiscDevice> OpenDevice(const std::string& drive,
                                           std::stop_token stop = {}) override;
    std::optional<DiscInfo> GetCDInfo(DiscDevice& device, uint32_t flags) override;
    DiscImport ImportDataTrack(DiscDevice& device, int track) override;
    int Burn(DiscDevice& device, const DiscWriteDesc& desc, uint32_t flags,
             const DiscProgress& progress) override;
    std::string GetErrorLog() override;
    void ClearErrors() override;

  private:
    void Log(const std::string& text);

    Options m_options;
    bool m_initialised = false;
    std::mutex m_mutex;
    std::map<std::string, std::string> m_addresses;  // drive name → libburn address
    std::string m_errorLog;
    std::atomic<bool> m_drivesHeldBack{false};
};
