#pragma once
// The frames of the link between this program and the playback program: the window
// messages of the hand-off, each as one frame of little-endian fields
//   u32 message, u32 wParam, u64 lParam, u32 length, then `length` bytes of data.
// The reader is a state machine over reads of any split; a length over its bound breaks the
// stream, and nothing after it is read.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ormidon {

inline constexpr uint32_t kLinkCopyData = 0x4A;  // wParam the sender, lParam the payload kind
inline constexpr uint32_t WM_DOWNLOADSTART = 0x1200;  // lParam the download window
inline constexpr uint32_t WM_PLAYERACK = 0x1201;  // wParam buffer KB (0 default), lParam the player
inline constexpr uint32_t WM_DOWNLOADDATA = 0x1202;  // lParam bytes appended since the last notice
inline constexpr uint32_t WM_DOWNLOADEND = 0x1203;   // wParam 0 complete, 1 without complete data
inline constexpr uint32_t WM_DOWNLOADSTOP = 0x1204;  // to the player: lParam the failure
inline constexpr uint32_t kLinkHello = 0x7F00;   // the player's first frame: wParam pid, lParam id

// COPYDATA payload kinds and sizes.
inline constexpr uint64_t COPYDATA_BACKUP_PATH = 1;
inline constexpr uint64_t COPYDATA_BACKUP_MUTEX = 2;
inline constexpr std::size_t kBackupPathBytes = 1024;
inline constexpr std::size_t kBackupMutexBytes = 32;
// STOP failures.
inline constexpr uint64_t kStopNetworkFailure = 0xF0000002;
inline constexpr uint64_t kStopFileFailure = 0xF0000003;

inline constexpr std::size_t kLinkHeaderBytes = 20;
// No frame of the hand-off carries more than a path.
inline constexpr uint32_t kLinkMaxData = kBackupPathBytes;

struct LinkFrame {
    uint32_t message = 0;
    uint32_t wParam = 0;
    uint64_t lParam = 0;
    std::string data;
};

std::string EncodeLinkFrame(const LinkFrame& frame);

// `text` cut to size - 1 bytes and padded with zeros to `size`.
std::string PaddedText(std::string_view text, std::size_t size);
// The text of a padded field: up to its first zero byte, at most `bound` bytes.
std::string TextOfPadded(std::string_view data, std::size_t bound = kBackupPathBytes);

class LinkFrameReader {
  public:
    using Handler = std::function<void(const LinkFrame&)>;
    explicit LinkFrameReader(uint32_t maxData = kLinkMaxData) : m_maxData(maxData) {}

    // Hands each whole frame to `handler`. False once the stream is broken.
    bool Feed(const char* data, std::size_t size, const Handler& handler);
    bool Broken() const { return m_broken; }

  private:
    uint32_t m_maxData;
    char m_header[kLinkHeaderBytes] = {};
    std::size_t m_headerHave = 0;
    bool m_inData = false;
    uint32_t m_need = 0;
    LinkFrame m_frame;
    bool m_broken = false;
};

}  // namespace ormidon
