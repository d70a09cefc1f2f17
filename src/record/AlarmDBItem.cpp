#include "record/AlarmDBItem.h"

#include <algorithm>
#include <cstring>

#include "record/LittleEndian.h"

namespace le = ormidon::le;

namespace {

constexpr size_t kDateAt = 4;
constexpr size_t kPathAt = 20;
constexpr size_t kPathSize = 260;
constexpr size_t kFramesAt = 280;
constexpr size_t kSourceAt = 284;
constexpr size_t kSourceSize = 32;

// Copies at most `size` - 1 characters, so the field keeps its terminating zero.
void PutText(uint8_t* field, size_t size, const std::string& text) {
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

// Reads at most `size` - 1 characters, as PutText writes them: a field filled to its end by
// someone else reads as what it would be written back as.
std::string GetText(const uint8_t* field, size_t size) {
    const char* text = reinterpret_cast<const char*>(field);
    return std::string(text, strnlen(text, size - 1));
}

}  // namespace

std::array<uint8_t, kAlarmDBItemSize> AlarmDBItem_Struct::ToBytes() const {
    std::array<uint8_t, kAlarmDBItemSize> out{};
    le::PutU16(out.data(), sequence);
    out[3] = flags;
    le::PutSystemTime(out.data() + kDateAt, date);
    PutText(out.data() + kPathAt, kPathSize, path);
    le::PutU32(out.data() + kFramesAt, frames);
    PutText(out.data() + kSourceAt, kSourceSize, source);
    return out;
}

AlarmDBItem_Struct AlarmDBItem_Struct::FromBytes(const uint8_t* bytes) {
    AlarmDBItem_Struct item;
    item.sequence = le::GetU16(bytes);
    item.flags = bytes[3];
    item.date = le::GetSystemTime(bytes + kDateAt);
    item.path = GetText(bytes + kPathAt, kPathSize);
    item.frames = le::GetU32(bytes + kFramesAt);
    item.source = GetText(bytes + kSourceAt, kSourceSize);
    return item;
}
