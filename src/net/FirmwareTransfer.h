#pragma once
// The firmware transfer: moves the parts of a package or of a parts folder to the device.
//
// A keep-alive request ("/Getvideo.cgi" with "Fake=1") is sent first on a connection of its
// own that stays open, unread, for the whole transfer; the device holds the upgrade's
// session on it. Then each part goes by one of two protocols:
//  - command: the part cut into 900-byte pieces, each the body of one "/UpgradeFW.cgi"
//    command through HalvoSendCommand (the first says "Start" and the size, the last
//    "Finished" and the type);
//  - raw: a connection per part, a "/UpgradeFW2.cgi" head naming size and type, then the
//    part's bytes in 1300-byte sends and one short read of the device's answer.
//
// The run reports through a listener (the upgrade window posts what it gets to its own
// thread), shows its message boxes itself, and ends at once, quietly, when its stop token
// is requested: every wait, socket call and message box wakes on it.
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "core/FirmwareFiles.h"

enum class FirmwareProtocol {
    kCommand,  // "/UpgradeFW.cgi"
    kRaw,      // "/UpgradeFW2.cgi"
};

// One part as it goes on the wire.
struct FirmwareTransferPart {
    std::vector<uint8_t> data;
    // "Type" of the "/UpgradeFW.cgi" Finished piece ("BOOT", a row number, ...).
    std::string commandType;
    // "Type" of the "/UpgradeFW2.cgi" head.
    int rawType = 0;
    // A folder part also names its row on the Start piece.
    std::optional<int> startType = std::nullopt;
};

struct FirmwareTransferJob {
    FirmwareProtocol protocol = FirmwareProtocol::kCommand;
    // A parts folder (true) or a package (false): the two differ in pacing and endings.
    bool folderParts = false;
    std::vector<FirmwareTransferPart> parts;  // in sending order, zero-size ones included
    uint64_t progressBase = 0;                // the 100 % mark

    // The device and the session; `hostAddress` is this computer's for "Host:".
    std::string address;
    uint16_t port = 80;
    std::string cookie;
    std::string hostAddress;

    // Pauses of the protocol, in milliseconds of the current clock.
    uint32_t keepAlivePauseMs = 0;  // after the keep-alive request (raw package)
    uint32_t headPauseMs = 0;       // after each raw head
    uint32_t endPauseMs = 1000;     // after the closing messages
    int rawSendSeconds = 10;        // per send of a raw head or piece
    int receiveBufferBytes = 0;     // SO_RCVBUF of the keep-alive connection; 0: the system's
};

// Piece sizes of the two protocols.
inline constexpr uint32_t kFirmwareCommandPiece = 900;
inline constexpr uint32_t kFirmwareRawPiece = 1300;
// The raw head is built in a buffer of this size; a longer head is not sent.
inline constexpr std::size_t kFirmwareRawHeadSize = 512;

// Window messages of the upgrade window.
inline constexpr uint32_t WM_UPGRADEENABLE = 0x428;
inline constexpr uint32_t WM_UPGRADEDISABLE = 0x429;
inline constexpr uint32_t WM_UPGRADECLOSE = 0x42A;

// Messages of the transfer.
inline constexpr uint32_t kStringOverwriteFlash = 4048;  // "Overwrite flash right now..."
inline constexpr uint32_t kStringUpgradeError = 4077;    // "Upgrade firmware error"

// The package as the transfer sends it: type names of the records, as the protocols want
// them (other codes take the previous record's); the package thread's pacing.
FirmwareTransferJob MakePackageTransfer(FirmwarePackageJob package, FirmwareProtocol protocol);
// The loaded rows of a parts table, in row order; the parts thread's pacing.
FirmwareTransferJob MakePartsTransfer(FirmwarePartTable& table, FirmwareProtocol protocol);

// The pieces of a part of `size` bytes in pieces of `pieceSize`: their count (64-bit, so
// no part wraps it).
uint64_t FirmwarePieceCount(uint64_t size, uint32_t pieceSize);

// The "/UpgradeFW.cgi" request text of piece `index` of `pieceCount` of a part: Start with
// the size (and the row of a folder part) first, Finished with the type (and "Reboot=1" on
// the last part) last, unless that is the first, nothing of its own between; the cookie
// last when set.
std::string FirmwareCommandRequest(const FirmwareTransferPart& part, uint64_t index,
                                   uint64_t pieceCount, bool lastPart, const std::string& cookie);

// The "/UpgradeFW2.cgi" head of a part; empty when it would not fit kFirmwareRawHeadSize or
// a text would break its lines.
std::string FirmwareRawHead(const FirmwareTransferJob& job, const FirmwareTransferPart& part,
                            bool lastPart);

// The keep-alive request; empty when a text would break its lines.
std::string FirmwareKeepAliveRequest(const FirmwareTransferJob& job);

// Percent of `sent` in `base` (0 for an empty base).
uint32_t FirmwarePercent(uint64_t sent, uint64_t base);

class FirmwareTransferListener {
  public:
    virtual ~FirmwareTransferListener() = default;
    // WM_UPGRADEENABLE, WM_UPGRADEDISABLE or WM_UPGRADECLOSE for the window.
    virtual void OnUpgradeMessage(uint32_t message) = 0;
    // A new percentage of the bar.
    virtual void OnProgress(uint32_t percent) = 0;
    // The bar back at 0 and hidden.
    virtual void OnHideProgress() = 0;
};

enum class FirmwareTransferEnd {
    kFinished,         // every part went out; the window was told to close
    kKeepAliveFailed,  // the keep-alive could not be made or the device dropped it
    kSendFailed,       // a piece, head or part connection failed
    kCancelled,        // stopped: nothing posted, nothing shown
};

FirmwareTransferEnd RunFirmwareTransfer(const FirmwareTransferJob& job, std::stop_token stop,
                                        FirmwareTransferListener& listener);
