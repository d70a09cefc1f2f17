#include "record/SystemConfig.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <set>
#include <vector>

#include "platform/Paths.h"
#include "record/LittleEndian.h"
#include "record/RecordFileAccess.h"

namespace le = ormidon::le;

SystemConfig g_SystemConfig;

namespace {

constexpr std::string_view kAlarmDBFileName = "AlarmData.dat";
// The u16 count cannot name more entries than this: nothing beyond is read.
constexpr size_t kMostBytesRead = kAlarmDBHeaderSize + kAlarmDBItemSize * 0xFFFF;

// The header as read (count as the header says), and the entries the file holds, at most
// count.
struct AlarmDBFile : AlarmDataFileHeader {
    bool exists = false;
    std::vector<AlarmDBItem_Struct> items;
};

// Reads the file; an entry cut short at the end of the file is not taken.
AlarmDBFile ReadAlarmDB(const std::filesystem::path& path) {
    AlarmDBFile file;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return file;
    file.exists = true;
    // Room for what the file holds, not for the most it could name.
    const std::streamoff size = in.tellg();
    in.seekg(0);
    std::vector<uint8_t> bytes(
        std::min<size_t>(size > 0 ? static_cast<size_t>(size) : 0, kMostBytesRead));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    if (bytes.size() < kAlarmDBHeaderSize) return file;
    file.magic = le::GetU16(bytes.data());
    file.count = le::GetU16(bytes.data() + 2);
    const size_t held = (bytes.size() - kAlarmDBHeaderSize) / kAlarmDBItemSize;
    const size_t count = std::min<size_t>(file.count, held);
    file.items.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        file.items.push_back(AlarmDBItem_Struct::FromBytes(bytes.data() + kAlarmDBHeaderSize +
                                                           i * kAlarmDBItemSize));
    }
    return file;
}

bool WriteAlarmDB(const std::filesystem::path& path, const std::vector<AlarmDBItem_Struct>& items) {
    std::string bytes(kAlarmDBHeaderSize + items.size() * kAlarmDBItemSize, '\0');
    uint8_t* out = reinterpret_cast<uint8_t*>(bytes.data());
    le::PutU16(out, kAlarmDBMagic);
    le::PutU16(out + 2, static_cast<uint16_t>(items.size()));
    for (size_t i = 0; i < items.size(); ++i) {
        const auto entry = items[i].ToBytes();
        std::copy(entry.begin(), entry.end(), out + kAlarmDBHeaderSize + i * kAlarmDBItemSize);
    }
    return ormidon::ReplaceFileAtomically(path, bytes);
}

}  // namespace

std::filesystem::path SystemConfig::AlarmDBFilePath() {
    return ormidon::ProgramFolder() / kAlarmDBFileName;
}

int SystemConfig::AlarmDB_SetRecordPath(std::string_view path) {
    std::lock_guard lock(m_Guard);
    m_PendingItem = {};
    if (path.empty() || path.size() > kAlarmDBMaxPathLength) return 0;
    m_PendingItem.path.assign(path);
    return 1;
}

int SystemConfig::AlarmDB_SetRecordDate(const ormidon::LocalTime& date) {
    std::lock_guard lock(m_Guard);
    m_PendingItem.date = le::ToTheSecond(date);
    return 1;
}

int SystemConfig::AlarmDB_AppendItem(uint32_t frames, std::string_view strSourceIP) {
    std::lock_guard lock(m_Guard);
    AlarmDBItem_Struct item = std::move(m_PendingItem);
    m_PendingItem = {};
    if (item.path.empty()) return 0;
    item.frames = frames;
    item.source.assign(strSourceIP.substr(0, kAlarmDBMaxSourceLength));
    item.flags = 0;

    const std::filesystem::path path = AlarmDBFilePath();
    m_strAlarmDBPath = path.string();
    AlarmDBFile file = ReadAlarmDB(path);
    if (file.exists && file.magic != kAlarmDBMagic) return 0;
    if (file.items.size() >= kAlarmDBMaxItems) file.items.erase(file.items.begin());
    // The sequence is the entry's place in the file.
    item.sequence = static_cast<uint16_t>(file.items.size());
    file.items.push_back(std::move(item));
    return WriteAlarmDB(path, file.items) ? 1 : 0;
}

int SystemConfig::AlarmDB_LoadItems() {
    std::lock_guard lock(m_Guard);
    m_strAlarmDBPath = AlarmDBFilePath().string();
    const AlarmDBFile file = ReadAlarmDB(m_strAlarmDBPath);
    m_lpAlarmDBItem_Struct.reset();
    m_wAlarmDBMagic = file.magic;
    m_wAlarmDBCount = 0;
    if (!file.exists) return 1;
    if (file.magic != kAlarmDBMagic) return 0;
    m_wAlarmDBCount = static_cast<uint16_t>(file.items.size());
    m_lpAlarmDBItem_Struct = std::make_unique<AlarmDBItem_Struct[]>(m_wAlarmDBCount);
    for (uint16_t i = 0; i < m_wAlarmDBCount; ++i) {
        AlarmDBItem_Struct& item = m_lpAlarmDBItem_Struct[i];
        item = file.items[i];
        item.flags = CanOpenRecordFile(item.path) ? 0 : kAlarmDBFlagFileMissing;
    }
    return 1;
}

int SystemConfig::AlarmDB_FreeBuffer() {
    std::lock_guard lock(m_Guard);
    m_lpAlarmDBItem_Struct.reset();
    return 1;
}

int SystemConfig::AlarmDB_AllocateBuffer() {
    std::lock_guard lock(m_Guard);
    m_lpAlarmDBItem_Struct = std::make_unique<AlarmDBItem_Struct[]>(m_wAlarmDBCount);
    return 1;
}

int SystemConfig::AlarmDB_RemoveMarkedItems() {
    std::lock_guard lock(m_Guard);
    if (m_fItemsMarked == 0) return 1;
    std::set<std::string> marked;
    std::vector<AlarmDBItem_Struct> loaded;
    for (uint16_t i = 0; m_lpAlarmDBItem_Struct && i < m_wAlarmDBCount; ++i) {
        const AlarmDBItem_Struct& item = m_lpAlarmDBItem_Struct[i];
        if (item.flags & kAlarmDBFlagMarked) {
            marked.insert(item.path);
        } else {
            loaded.push_back(item);
        }
    }
    if (m_strAlarmDBPath.empty()) m_strAlarmDBPath = AlarmDBFilePath().string();

    AlarmDBFile file = ReadAlarmDB(m_strAlarmDBPath);
    bool written = false;
    if (!file.exists) {
        // The file went away since the page loaded it: what the page kept is written.
        for (AlarmDBItem_Struct& item : loaded) item.flags = 0;
        written = WriteAlarmDB(m_strAlarmDBPath, loaded);
    } else if (file.magic == kAlarmDBMagic) {
        std::erase_if(file.items,
                      [&](const AlarmDBItem_Struct& item) { return marked.count(item.path) > 0; });
        written = WriteAlarmDB(m_strAlarmDBPath, file.items);
    }
    m_fItemsMarked = 0;
    m_lpAlarmDBItem_Struct.reset();
    return written ? 1 : 0;
}
