#pragma once
// The disks of a DVR: "/GetDvrHDD.cgi" answers a 33-byte record, one bit per disk slot 0-255
// and a flag kept beside it. A disk list is the (slot, name) pairs of the present slots,
// lowest slot first; the slot number, not the position in the list, is what the device
// understands as a disk number.
#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

struct DvrHddBitmap {
    uint8_t bySlotMap[32] = {};  // slot s present: bit (s % 8) of byte (s / 8)
    uint8_t bySlaveFlag = 0;     // kept; it never changes a name
};
static_assert(sizeof(DvrHddBitmap) == 33);

struct DvrDisk {
    int slot = 0;
    std::string name;
    bool operator==(const DvrDisk&) const = default;
};

// "MASTER1", "SLAVE1", "MASTER2", "SLAVE2", then "EXT-01" (slot 4) to "EXT-252" (slot 255).
std::string DvrDiskName(int slot);

// The record from a reply: bytes past the reply read as zero (absent slots), bytes past the
// 33 are not read.
DvrHddBitmap DvrHddBitmapFromReply(std::span<const uint8_t> reply);
std::vector<DvrDisk> DvrDisksOf(const DvrHddBitmap& bitmap);

// Asks the device (cookie only, 15 s waits). Nothing when the request failed.
std::optional<DvrHddBitmap> FetchDvrDiskList(std::stop_token stop = {});
