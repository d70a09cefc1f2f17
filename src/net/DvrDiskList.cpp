#include "net/DvrDiskList.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/SessionCookie.h"
#include "net/CgiCommand.h"
#include "net/HalvoSendCommand.h"

std::string DvrDiskName(int slot) {
    static const char* const kFirst[] = {"MASTER1", "SLAVE1", "MASTER2", "SLAVE2"};
    if (slot >= 0 && slot < 4) return kFirst[slot];
    char name[16];
    std::snprintf(name, sizeof name, "EXT-%.2d", slot - 3);
    return name;
}

DvrHddBitmap DvrHddBitmapFromReply(std::span<const uint8_t> reply) {
    uint8_t bytes[sizeof(DvrHddBitmap)] = {};
    if (!reply.empty()) std::memcpy(bytes, reply.data(), std::min(reply.size(), sizeof bytes));
    DvrHddBitmap bitmap;
    std::memcpy(bitmap.bySlotMap, bytes, sizeof bitmap.bySlotMap);
    bitmap.bySlaveFlag = bytes[32];
    return bitmap;
}

std::vector<DvrDisk> DvrDisksOf(const DvrHddBitmap& bitmap) {
    std::vector<DvrDisk> disks;
    for (int slot = 0; slot < 256; ++slot) {
        if (bitmap.bySlotMap[slot / 8] & (1u << (slot % 8))) {
            disks.push_back({slot, DvrDiskName(slot)});
        }
    }
    return disks;
}

std::optional<DvrHddBitmap> FetchDvrDiskList(std::stop_token stop) {
    CCgiRequest request(CGI_GETDVRHDD);
    const std::string cookie = GetSessionCookie();
    if (!cookie.empty()) request.AddParam("Cookie", cookie);
    if (!request.IsValid()) return std::nullopt;
    uint8_t reply[1024] = {};
    uint32_t length = 0;
    if (HalvoSendCommand(CGI_GETDVRHDD, request.GetBuffer(), request.GetLength(), nullptr, 0,
                         nullptr, 0, reply, sizeof reply, &length, 15, 15, 0, stop) == 0) {
        return std::nullopt;
    }
    return DvrHddBitmapFromReply(std::span<const uint8_t>(reply, std::min<uint32_t>(length, sizeof reply)));
}
