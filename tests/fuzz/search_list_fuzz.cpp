// Any bytes as the DVR's disk-list reply: the disks are exactly the set bits of the first 32
// bytes (missing bytes absent), in slot order, each with its name in its format. The same
// bytes as a recording-list page, taken up to a maximum from the first byte: entries only
// from inside the body, the Full List's texts in their formats, the backup preset's fields
// equal to the entry's bytes.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "FuzzTarget.h"
#include "backup/SearchListPreset.h"
#include "net/DvrDiskList.h"
#include "net/SearchList.h"

namespace {

bool IsTwoDigits(const std::string& text, int value) {
    char expected[8];
    std::snprintf(expected, sizeof expected, "%2d", value);
    return text == expected;
}

void CheckSearchListPage(const uint8_t* data, std::size_t size) {
    const std::span<const uint8_t> body(data, size);
    const std::vector<SearchListEntry> entries = SearchListEntriesOfReply(body);
    const std::size_t claimed = size >= 4 ? static_cast<std::size_t>(data[2] | data[3] << 8) : 0;
    FUZZ_CHECK(entries.size() == (size >= 4 ? std::min(claimed, size - 4) / 16 : 0));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const SearchListEntry& entry = entries[i];
        FUZZ_CHECK(4 + 16 * (i + 1) <= size);
        FUZZ_CHECK(std::memcmp(entry.bytes.data(), data + 4 + 16 * i, 16) == 0);

        const std::string event = SearchListEventText(entry);
        const std::string channel = SearchListChannelText(entry);
        const int kind = entry.Kind();
        if (kind < 32) {
            FUZZ_CHECK(event == (kind < 16 ? "ALARM" : "MOTION"));
            FUZZ_CHECK(IsTwoDigits(channel, (kind & 15) + 1));
        } else if (kind == 32 || kind == 48 || kind == 240) {
            FUZZ_CHECK(channel == "ALL");
        } else {
            FUZZ_CHECK(event.empty() && channel.empty());
        }
        char time[40];
        std::snprintf(time, sizeof time, "%.4d-%.2d-%.2d  %.2d:%.2d:%.2d", 2000 + entry.bytes[8],
                      entry.bytes[9], entry.bytes[10], entry.bytes[11], entry.bytes[12],
                      entry.bytes[13]);
        FUZZ_CHECK(SearchListTimeText(entry) == time);

        const BackupPreset preset = BackupPresetOf(entry, static_cast<uint8_t>(i));
        FUZZ_CHECK(preset.valid == 1 && preset.hddIndex == static_cast<uint8_t>(i));
        FUZZ_CHECK(std::memcmp(&preset.year, entry.bytes.data() + 8, 6) == 0);
        FUZZ_CHECK(preset.channel == (kind < 32 ? (kind & 15) + 1 : 0));
        const int presetKind = kind < 16     ? 0
                               : kind < 32   ? 1
                               : kind == 48  ? 3
                               : kind == 240 ? 15
                                             : 0;
        FUZZ_CHECK(preset.kind == presetKind);
        FUZZ_CHECK(preset.reserved[0] == 0 && preset.reserved[1] == 0);
    }

    // Taken onto a list that already holds some, up to a maximum.
    const uint32_t maximum = size > 0 ? data[0] % 8 : 0;
    std::vector<SearchListEntry> list(size > 1 ? data[1] % 4 : 0);
    const std::size_t before = list.size();
    FUZZ_CHECK(TakeSearchListEntries(list, body, maximum) == entries.size());
    const std::size_t expected =
        before >= maximum ? before : std::min<std::size_t>(maximum, before + entries.size());
    FUZZ_CHECK(list.size() == expected);
    for (std::size_t i = before; i < list.size(); ++i) FUZZ_CHECK(list[i] == entries[i - before]);
}

}  // namespace

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
            FUZZ_CHECK(name ==
                       "EXT-" + std::string(slot - 3 < 10 ? "0" : "") + std::to_string(slot - 3));
        }
        ++next;
    }
    FUZZ_CHECK(next == disks.size());
    CheckSearchListPage(data, size);
    return 0;
}

std::vector<FuzzBytes> FuzzSeeds() {
    FuzzBytes all(33, 0xFF);
    FuzzBytes some(20, 0);
    some[0] = 0x1F;
    some[19] = 0x80;
    // Pages: two entries of kinds motion 4 and manual, a count over the body, a ragged count.
    FuzzBytes page = {5, 2, 32, 0};
    for (uint8_t kind : {uint8_t{0x13}, uint8_t{48}}) {
        FuzzBytes entry = {1, 2, 3, 4, 5, 6, 7, kind, 8, 5, 7, 13, 4, 9, 0xEE, 0xFF};
        page.insert(page.end(), entry.begin(), entry.end());
    }
    FuzzBytes oversize = page;
    oversize[2] = oversize[3] = 0xFF;
    FuzzBytes ragged = page;
    ragged[2] = 39;
    ragged.resize(ragged.size() + 7, 0x11);
    return {all, some, FuzzBytes{}, page, oversize, ragged, FuzzBytes{1, 2, 3}};
}
