#pragma once
// This program's end of the link to the playback program: a Unix-domain socket in a folder
// of its own (mode 0700), whose path the player gets in ORMIDON_PLAYER_LINK. Only the
// process this program started may connect (its pid is checked with SO_PEERCRED); its first
// frame, HELLO, names its id. The frames are the hand-off's window messages
// (PlayerLinkFrame.h).
//
// A service thread reads the player's frames and writes what this program sends, so no send
// ever waits for the player: a player that takes nothing for kSendStallMs is dropped, as is
// one whose stream breaks. The hand-off fields follow the player's frames: ACK (from the
// recorded player only) sets the acknowledgement and the buffer size, STOP the stop flag.
//
// The named mutex shared with the player is an flock on a file of that name in the link
// folder; waits for it are bounded and see a stop request.
#include <sys/types.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>

#include "platform/Event.h"
#include "platform/PlayerLinkFrame.h"
#include "platform/Thread.h"

namespace ormidon {

inline constexpr const char* kPlayerLinkVariable = "ORMIDON_PLAYER_LINK";

class PlayerLink {
  public:
    static constexpr uint32_t kSendStallMs = 2000;
    static constexpr uint64_t kDefaultBufferBytes = 102'400;
    // Queued bytes beyond this drop the player as a stalled one would.
    static constexpr std::size_t kMaxQueuedBytes = 1 << 20;

    PlayerLink();
    ~PlayerLink();
    PlayerLink(const PlayerLink&) = delete;
    PlayerLink& operator=(const PlayerLink&) = delete;

    // The socket's path, made with its folder on first use; empty when it cannot be made.
    std::filesystem::path LinkPath();
    std::filesystem::path Folder() const;

    // Leaves connections waiting until ExpectPlayer names the process that may connect:
    // a player started now cannot connect before its pid is known.
    void HoldConnections();
    // From now on only process `pid` may connect; a present connection is dropped and the
    // player's id forgotten. Ends HoldConnections.
    void ExpectPlayer(pid_t pid);
    // Waits up to `timeoutMs` (the clock's) for the expected player's HELLO; its id, or 0.
    uint64_t WaitHello(uint32_t timeoutMs, std::stop_token stop = {});
    // True while the player that said HELLO is connected and is the expected process.
    bool PlayerConnected() const;
    // Closes the connection; nothing more reaches the player or comes from it.
    void DropPlayer();

    // Queues a frame for the connected player; false when there is none.
    bool Send(uint32_t message, uint32_t wParam, uint64_t lParam, std::string_view data = {});
    // Frames queued and not yet taken by the player (bytes).
    std::size_t QueuedBytes() const;

    // The hand-off fields.
    std::atomic<uint32_t> dw_BackupPlayerProcessId{0};
    std::atomic<uint64_t> h_BackupPlayerWnd{0};  // the player's id from its HELLO
    std::atomic<uint32_t> f_BackupPlayerAck{0};
    std::atomic<uint32_t> f_BackupPlayerStop{0};
    std::atomic<uint64_t> dw_BackupPlayerBufferSize{0};
    std::atomic<uint32_t> f_BackupPlayerStarted{0};

    // The named mutex: a lock file in the link folder.
    bool CreateMutex(const std::string& name);
    void CloseMutex();
    bool HasMutex() const;
    std::string MutexName() const;
    enum class LockResult { Locked, NoMutex, TimedOut, Stopped };
    // Takes the mutex, waiting at most `boundMs` of the clock; NoMutex when there is none
    // (nothing to wait for).
    LockResult LockMutex(uint32_t boundMs, std::stop_token stop = {});
    void UnlockMutex();

  private:
    void Serve(std::stop_token stop);
    void Wake();
    void OnFrame(const LinkFrame& frame);
    void CloseConnectionLocked();
    bool EnsureOpenLocked();

    mutable std::mutex m_mutex;
    std::filesystem::path m_folder;
    std::filesystem::path m_socketPath;
    int m_listen = -1;
    int m_wake[2] = {-1, -1};
    int m_conn = -1;
    pid_t m_expected = 0;
    bool m_holding = false;
    pid_t m_peer = 0;
    bool m_hello = false;
    std::string m_out;
    uint32_t m_lastProgress = 0;
    LinkFrameReader m_reader;
    Event m_helloEvent{true};

    int m_lockFd = -1;
    std::string m_lockName;

    Thread m_thread;
};

// The player's side: connects to the link at `path` and says HELLO with its pid and `id`.
// The connected descriptor (close-on-exec), or -1.
int ConnectPlayerLink(const std::filesystem::path& path, uint64_t id);
// Writes a whole frame on a blocking descriptor; false when the link is gone.
bool WriteLinkFrame(int fd, const LinkFrame& frame);

}  // namespace ormidon
