// Any bytes as the DVR's disk-list reply: the disks are exactly the set bits of the first 32
// bytes (missing bytes absent), in slot order, each with its name in its format.
#include <cstring>
#include <string>

#include "FuzzTarget.h"
#include "net/DvrDiskList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::span<const uint8_t> reply(data, size);
    const DvrHddBitmap bitmap = DvrHddBitmapFromReply(reply);
    FUZZ_CHECK(bitmap.bySlaveFlag == (size > 32 ? data[32] : 0));
    const std::vector<DvrDisk> disks = DvrDisksOf(bitmap);
    std::size_t next = 0;
    for (int slot = 0; slot < 256; ++slot) {
        const std::size_t byte = static_cast<std::size_t>(slot / 8);
        const bool present = byte < size && (data[byte] >> (slot % 8) & 1);
        if (!present) continue;
        FUZZ_CHECK(next < disks.size());
        FUZZ_CHECK(disks[next].slot == slot);
        const std::string& name = disks[next].name;
        if (slot < 4) {
            FUZZ_CHECK(name.rfind(slot % 2 == 0 ? "MASTER" : "SLAVE", 0) == 0);
        } else {
            FUZZ_CHECK(name == "EXT-" + std::string(slot - 3 < 10 ? "0" : "") + std::to_string(slot - 3));
        }
        ++next;
    }
    FUZZ_CHECK(next == disks.size());
    return 0;
}

std::vector<FuzzBytes> FuzzSeeds() {
    FuzzBytes all(33, 0xFF);
    FuzzBytes some(20, 0);
    some[0] = 0x1F;
    some[19] = 0x80;
    return {all, some, FuzzBytes{}};
}
