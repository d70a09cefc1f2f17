#pragma once
// One network backup: a stretch of one channel's recording copied from the device's disk
// into a local file. The request goes on a connection of its own; the reply is read by
// NetworkBackupStream and its data appended to the file, which is made new under its final
// name once the request went out (its folder is checked before). The file is never removed,
// whatever the end: a cancelled, stalled, refused or broken download leaves exactly the
// bytes received, also those that came with the stop. A file that exists already is never
// truncated or replaced; the download then fails instead.
//
// The run reports through a listener (the window posts its messages, the sheet's progress
// bar takes the progress commands) and ends promptly on its stop token: the socket's waits
// wake on it.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>

// What the backup window shows, in the device's numbering.
enum NetworkBackupStatus : int {
    kBackupCancelled = 0,      // the operator cancelled: nothing is shown
    kBackupRequestFailed = 1,  // connection, request, or a refusing HTTP head
    kBackupFileFailed = 2,     // the file cannot be created, written or named
    kBackupReceiveFailed = 3,  // a receive failed, or the stream is garbage
    kBackupNoData = 4,         // the end frame came before any data
    kBackupFinished = 5,
    kBackupProgress = 6,  // percent in the value
    kBackupRefused = 7,   // the device refused (busy)
    kBackupWritingDisc = 8,
};

struct NetworkBackupJob {
    std::string address;  // the device's dotted address
    int port = 80;
    std::string cookie;       // sent even when empty
    std::string hostAddress;  // this computer's address, for "Host:"
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    int slot = 0;                // the disk's slot number ("Num")
    int channelIndex = 0;        // 0-based ("CH")
    int sizeMB = 0;              // "Size"
    std::filesystem::path file;  // the final name
    int receiveSeconds = 10;     // the wait for each read
};

class NetworkBackupListener {
  public:
    virtual ~NetworkBackupListener() = default;
    // Statuses 1-7 as the run ends or advances (6 only when the percent changes).
    virtual void OnStatus(int status, uint32_t percent) = 0;
    // The sheet's progress commands: 1 start, 2 with the total 100, 3 with the percent, 4 end.
    virtual void OnProgress(uint32_t command, uint32_t value) = 0;
    // The file was made (empty); it stays whatever the end.
    virtual void OnFileCreated() {}
    // Payload bytes in the file so far, after each write.
    virtual void OnData(uint64_t /*totalBytes*/) {}
    // The file is appended to only between these two, so a player that reads the growing
    // file under the same lock never sees half a write. False (a stop request while
    // waiting) ends the download as cancelled.
    virtual bool LockFile(const std::stop_token& /*stop*/) { return true; }
    virtual void UnlockFile() {}
    // The run ends while the device may still be sending: the request went out and the
    // device did not end its side (a stop, a stall, a stream not read to its end, a file
    // that cannot be made or written). A device that can stop its side should be told.
    virtual void OnDeviceLeftSending() {}
};

// The request head, byte for byte; empty when a text would break it.
std::string BuildNetworkBackupRequest(const NetworkBackupJob& job);

// True when the folder of `file` takes new files. The download checks it before the device
// is asked.
bool BackupFolderWritable(const std::filesystem::path& file);

// True when something (a file, a folder, a link) already has the name. The page refuses
// such a name before connecting; the download refuses it again when it makes the file.
bool BackupNameTaken(const std::filesystem::path& file);

// The bytes the download's file holds, counted in the file itself: a write that failed part
// way leaves more in it than was reported. Nothing when the file cannot be read.
std::optional<uint64_t> KeptBackupBytes(const std::filesystem::path& file);

// Progress percent of `bytes` in a download of `sizeMB` megabytes, in 0-100.
uint32_t BackupPercent(uint64_t bytes, int sizeMB);

// Runs the download to its end and returns its status (kBackupCancelled after a stop
// request). The file is made once the request went out and kept from then on.
int RunNetworkBackup(const NetworkBackupJob& job, std::stop_token stop,
                     NetworkBackupListener& listener);
