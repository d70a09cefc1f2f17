#pragma once
// The fields of the device's configuration sections (core/ConfigSection.h) as byte layouts
// over the blocks of the application record. Each section lists its fields in order, and
// a compile-time check proves that they tile the block exactly, so no offset can drift.
//
// Texts are fixed arrays: read up to the first zero or the whole width; written by
// clearing the array and copying at most its width. Integers are little-endian; an IPv4
// address is four bytes in dotted order and reads as one number, first byte highest.
//
// Two layout rules live here so that every reader and writer applies the same one: which
// "PPPOE" layout the device uses, and where a sender address longer than 15 characters
// continues.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/ConfigSection.h"

class CAppObject;

// A field of `count` elements of `width` bytes each, from `offset`.
struct RecordField {
    std::size_t offset;
    std::size_t width;
    std::size_t count = 1;
    constexpr std::size_t End() const { return offset + width * count; }
    // The i-th element as a field of its own.
    constexpr RecordField Element(std::size_t i) const { return {offset + width * i, width, 1}; }
};

// True when the fields follow each other without gap or overlap and end at `size`.
template <std::size_t N>
constexpr bool FieldsTile(const RecordField (&fields)[N], std::size_t size) {
    std::size_t next = 0;
    for (const RecordField& field : fields) {
        if (field.offset != next || field.width == 0 || field.count == 0) return false;
        next = field.End();
    }
    return next == size;
}

namespace InfRecord {
inline constexpr RecordField byReserved0{0x00, 20};
inline constexpr RecordField dwCapability{0x14, 4};
inline constexpr RecordField szModelName{0x18, 8};
inline constexpr RecordField byReserved1{0x20, 12};
inline constexpr RecordField kFields[] = {byReserved0, dwCapability, szModelName, byReserved1};
static_assert(FieldsTile(kFields, ConfigSectionSize(CFG_INF)));
}  // namespace InfRecord

namespace IpRecord {
inline constexpr RecordField byReserved0{0x00, 4};
inline constexpr RecordField byIPAddress{0x04, 4};
inline constexpr RecordField byNetMask{0x08, 4};
inline constexpr RecordField byGateway{0x0C, 4};
inline constexpr RecordField wWebPort{0x10, 2};
inline constexpr RecordField byReserved1{0x12, 4};
inline constexpr RecordField byIPType{0x16, 1};
inline constexpr RecordField byBitRate{0x17, 1};
inline constexpr RecordField kFields[] = {byReserved0, byIPAddress, byNetMask, byGateway,
                                          wWebPort,    byReserved1, byIPType,  byBitRate};
static_assert(FieldsTile(kFields, ConfigSectionSize(CFG_IP)));
// byIPType values.
inline constexpr uint8_t kStatic = 0, kPppoe = 1, kDhcp = 2;
}  // namespace IpRecord

namespace SecureRecord {
inline constexpr std::size_t kSlots = 5;
inline constexpr RecordField byReserved0{0x00, 2};
inline constexpr RecordField byMaxUser{0x02, 1};
inline constexpr RecordField byLoginRecord{0x03, 1};
inline constexpr RecordField byReserved1{0x04, 4};
inline constexpr RecordField szUserName{0x08, 16, kSlots};
inline constexpr RecordField szPassword{0x58, 16, kSlots};
inline constexpr RecordField byUserLevel{0xA8, 1, kSlots};
inline constexpr RecordField byReserved2{0xAD, 3};
inline constexpr RecordField dwLifeTime{0xB0, 4, kSlots};
inline constexpr RecordField kFields[] = {byReserved0, byMaxUser,   byLoginRecord,
                                          byReserved1, szUserName,  szPassword,
                                          byUserLevel, byReserved2, dwLifeTime};
static_assert(FieldsTile(kFields, ConfigSectionSize(CFG_SECURE)));
}  // namespace SecureRecord

namespace DnsRecord {
inline constexpr RecordField byReserved0{0x00, 3};
inline constexpr RecordField byAutoDNS{0x03, 1};
inline constexpr RecordField byDNSServer{0x04, 4};
inline constexpr RecordField byReserved1{0x08, 4};
inline constexpr RecordField kFields[] = {byReserved0, byAutoDNS, byDNSServer, byReserved1};
static_assert(FieldsTile(kFields, ConfigSectionSize(CFG_DNS)));
}  // namespace DnsRecord

namespace SmtpRecord {
inline constexpr std::size_t kAlarmMails = 4;
inline constexpr RecordField byReserved0{0x000, 4};
inline constexpr RecordField bySmtpVerify{0x004, 1};
inline constexpr RecordField byDDNSEnable{0x005, 1};
inline constexpr RecordField byReserved1{0x006, 2};
inline constexpr RecordField szSmtpServer{0x008, 64};
inline constexpr RecordField szMailFrom{0x048, 16};
inline constexpr RecordField szDDNSProvider{0x058, 16};
inline constexpr RecordField szDDNSUserName{0x068, 16};
inline constexpr RecordField szDDNSPassword{0x078, 16};
inline constexpr RecordField szAlarmMail{0x088, 48, kAlarmMails};
inline constexpr RecordField szDDNSDomain{0x148, 48};
inline constexpr RecordField szSmtpUserName{0x178, 32};
inline constexpr RecordField szSmtpPassword{0x198, 32};
inline constexpr RecordField kFields[] = {
    byReserved0,  bySmtpVerify,   byDDNSEnable,   byReserved1,    szSmtpServer,
    szMailFrom,   szDDNSProvider, szDDNSUserName, szDDNSPassword, szAlarmMail,
    szDDNSDomain, szSmtpUserName, szSmtpPassword};
static_assert(FieldsTile(kFields, ConfigSectionSize(CFG_SMTP)));
}  // namespace SmtpRecord

namespace FtpRecord {
inline constexpr RecordField byReserved0{0x00, 4};
inline constexpr RecordField szFtpServer{0x04, 32};
inline constexpr RecordField szFtpUserName{0x24, 16};
inline constexpr RecordField szFtpPassword{0x34, 16};
inline constexpr RecordField szFtpDirectory{0x44, 32};
inline constexpr RecordField wFtpPort{0x64, 2};
inline constexpr RecordField byReserved1{0x66, 2};
inline constexpr RecordField kFields[] = {byReserved0,    szFtpServer, szFtpUserName, szFtpPassword,
                                          szFtpDirectory, wFtpPort,    byReserved1};
static_assert(FieldsTile(kFields, ConfigSectionSize(CFG_FTP)));
}  // namespace FtpRecord

// "PPPOE" has two layouts; PppoeFields() gives the one the device uses.
namespace PppoeRecord {
inline constexpr RecordField byReserved0{0x00, 4};
inline constexpr RecordField szPppoeUserName{0x04, 32};
inline constexpr RecordField szPppoePassword{0x24, 32};
inline constexpr RecordField kFields[] = {byReserved0, szPppoeUserName, szPppoePassword};
static_assert(FieldsTile(kFields, ConfigSectionSize(CFG_PPPOE)));
}  // namespace PppoeRecord

namespace PppoeOldRecord {
inline constexpr RecordField byReserved0{0x00, 36};
inline constexpr RecordField szPppoeUserName{0x24, 16};
inline constexpr RecordField szPppoePassword{0x34, 16};
inline constexpr RecordField kFields[] = {byReserved0, szPppoeUserName, szPppoePassword};
static_assert(FieldsTile(kFields, ConfigSectionSize(CFG_PPPOE)));
}  // namespace PppoeOldRecord

namespace SystemRecord {
inline constexpr RecordField byReserved0{0x00, 4};
inline constexpr RecordField szMailFromTail{0x04, 16};
inline constexpr RecordField szSystemName{0x14, 16};
inline constexpr RecordField kFields[] = {byReserved0, szMailFromTail, szSystemName};
static_assert(FieldsTile(kFields, ConfigSectionSize(CFG_SYSTEM)));
// The sender-address continuation: 28 bytes from szMailFromTail into szSystemName.
inline constexpr RecordField kMailFromContinuation{0x04, 28};
// What the General page shows of the name.
inline constexpr std::size_t kTitleChars = 8;
}  // namespace SystemRecord

namespace SntpRecord {
inline constexpr RecordField byReserved0{0x00, 2};
inline constexpr RecordField cZoneHour{0x02, 1};
inline constexpr RecordField cZoneMinute{0x03, 1};
inline constexpr RecordField byReserved1{0x04, 1};
inline constexpr RecordField byZoneIndex{0x05, 1};
inline constexpr RecordField bySntpMode{0x06, 1};
inline constexpr RecordField byReserved2{0x07, 1};
inline constexpr RecordField szSntpServer{0x08, 28};
inline constexpr RecordField kFields[] = {byReserved0, cZoneHour,  cZoneMinute, byReserved1,
                                          byZoneIndex, bySntpMode, byReserved2, szSntpServer};
static_assert(FieldsTile(kFields, ConfigSectionSize(CFG_SNTP)));
}  // namespace SntpRecord

namespace Rs485Record {
inline constexpr std::size_t kChannels = 16;
inline constexpr RecordField byReserved0{0x00, 12};
inline constexpr RecordField byPtzId{0x0C, 1, kChannels};
inline constexpr RecordField byPtzDevice{0x1C, 1, kChannels};
inline constexpr RecordField byPtzProtocol{0x2C, 1, kChannels};
inline constexpr RecordField dwPtzBaudRate{0x3C, 4, kChannels};
inline constexpr RecordField kFields[] = {byReserved0, byPtzId, byPtzDevice, byPtzProtocol,
                                          dwPtzBaudRate};
static_assert(FieldsTile(kFields, ConfigSectionSize(CFG_RS485)));
// The same block on a P62K from firmware "1010": two channel names over byPtzProtocol.
inline constexpr RecordField szCh1Name{0x2C, 8};
inline constexpr RecordField szCh2Name{0x34, 8};
inline constexpr std::size_t kChannelNameChars = 3;
}  // namespace Rs485Record

namespace AlarmRecordLayout {
inline constexpr RecordField byReserved0{0x00, 2};
inline constexpr RecordField byPostNumber{0x02, 1};
inline constexpr RecordField byAlarmMethod{0x03, 1};
inline constexpr RecordField byReserved4{0x04, 1};
inline constexpr RecordField byAlarmResolution{0x05, 1};
inline constexpr RecordField wAlarmDuration{0x06, 2};
inline constexpr RecordField byAlarmInputType{0x08, 1, 16};
inline constexpr RecordField kFields[] = {byReserved0,     byPostNumber,      byAlarmMethod,
                                          byReserved4,     byAlarmResolution, wAlarmDuration,
                                          byAlarmInputType};
static_assert(FieldsTile(kFields, ConfigSectionSize(CFG_ALARM)));
// P62K: shares the place of channel 2's input type.
inline constexpr RecordField byVideoSource{0x09, 1};
}  // namespace AlarmRecordLayout

namespace OnlineUserEntry {
inline constexpr std::size_t kEntries = 5;
inline constexpr std::size_t kEntrySize = 24;
// Offsets inside one entry; entry i starts at kEntrySize * i.
inline constexpr RecordField szName{0x00, 16};
inline constexpr RecordField byIP{0x10, 4};
inline constexpr RecordField byLevel{0x14, 1};
inline constexpr RecordField byChannel{0x15, 1};
inline constexpr RecordField byResolution{0x16, 1};
inline constexpr RecordField byQuality{0x17, 1};
inline constexpr RecordField kEntryFields[] = {szName,    byIP,         byLevel,
                                               byChannel, byResolution, byQuality};
static_assert(FieldsTile(kEntryFields, kEntrySize));
// The five entries fill the first half of the block; the rest is not interpreted.
static_assert(kEntries * kEntrySize <= ConfigSectionSize(CFG_ONLINE));
// Field `field` of entry `entry`.
constexpr RecordField Entry(std::size_t entry, RecordField field) {
    return {field.offset + kEntrySize * entry, field.width, field.count};
}
}  // namespace OnlineUserEntry

namespace DvrLiveRecord {
inline constexpr std::size_t kChannels = 16;
inline constexpr RecordField byReserved0{0x000, 4};
inline constexpr RecordField byBrightness{0x004, 1, kChannels};
inline constexpr RecordField byContrast{0x014, 1, kChannels};
inline constexpr RecordField byHue{0x024, 1, kChannels};
inline constexpr RecordField bySaturation{0x034, 1, kChannels};
inline constexpr RecordField byReserved1{0x044, 16};
inline constexpr RecordField byCov{0x054, 1, kChannels};
inline constexpr RecordField byReserved2{0x064, 16};
inline constexpr RecordField szTitle{0x074, 6, kChannels};
inline constexpr RecordField byReserved3{0x0D4, 96};
inline constexpr RecordField byMotionDetect{0x134, 1, kChannels};
inline constexpr RecordField byMotionLs{0x144, 1, kChannels};
inline constexpr RecordField byMotionSs{0x154, 1, kChannels};
inline constexpr RecordField byMotionTs{0x164, 1, kChannels};
inline constexpr RecordField byMotionRe{0x174, 1, kChannels};
inline constexpr RecordField byMotionArea{0x184, 24, kChannels};
inline constexpr RecordField kFields[] = {byReserved0,  byBrightness, byContrast,     byHue,
                                          bySaturation, byReserved1,  byCov,          byReserved2,
                                          szTitle,      byReserved3,  byMotionDetect, byMotionLs,
                                          byMotionSs,   byMotionTs,   byMotionRe,     byMotionArea};
static_assert(FieldsTile(kFields, ConfigSectionSize(CFG_DVRLIVE)));
}  // namespace DvrLiveRecord

namespace DvrRecRecord {
inline constexpr std::size_t kTimerSlots = 7;
inline constexpr RecordField byReserved0{0x00, 20};
inline constexpr RecordField byRecord{0x14, 1, 16};
inline constexpr RecordField byReserved1{0x24, 51};
inline constexpr RecordField byTimerDay{0x57, 1, kTimerSlots};
inline constexpr RecordField wTimerStart{0x5E, 2, kTimerSlots};
inline constexpr RecordField wTimerEnd{0x6C, 2, kTimerSlots};
inline constexpr RecordField byReserved2{0x7A, 10};
inline constexpr RecordField kFields[] = {byReserved0, byRecord,  byReserved1, byTimerDay,
                                          wTimerStart, wTimerEnd, byReserved2};
static_assert(FieldsTile(kFields, ConfigSectionSize(CFG_DVRREC)));
}  // namespace DvrRecRecord

namespace PeriRecord {
inline constexpr RecordField byReserved0{0x00, 2};
inline constexpr RecordField byPeriModel{0x02, 1, 2};
inline constexpr RecordField dwPeriBaudRate{0x04, 4, 2};
inline constexpr RecordField byPeriId{0x0C, 1, 2};
inline constexpr RecordField byReserved1{0x0E, 2};
inline constexpr RecordField kFields[] = {byReserved0, byPeriModel, dwPeriBaudRate, byPeriId,
                                          byReserved1};
static_assert(FieldsTile(kFields, ConfigSectionSize(CFG_PERI)));
}  // namespace PeriRecord

// ---- Field access. The field must lie inside the block; an element index beyond the
// field's count reads as zero or empty and is not written.

// The text of the field (of its element `index`): up to the first zero, at most its width.
std::string ReadText(std::span<const uint8_t> block, RecordField field, std::size_t index = 0);
// Clears the element and copies at most its width of `text` into it.
void WriteText(std::span<uint8_t> block, RecordField field, std::string_view text,
               std::size_t index = 0);
uint32_t ReadUInt(std::span<const uint8_t> block, RecordField field, std::size_t index = 0);
void WriteUInt(std::span<uint8_t> block, RecordField field, uint32_t value, std::size_t index = 0);
// Four bytes in dotted order as one number, the first byte highest.
uint32_t ReadIPv4(std::span<const uint8_t> block, RecordField field);
void WriteIPv4(std::span<uint8_t> block, RecordField field, uint32_t address);

// ---- Layout rules, on the identity of the connected device.

// True when the device keeps "PPPOE" in the narrow layout: a P5xK older than "1052", any
// other device older than "1007". A version text not four characters long counts as new.
bool UsesNarrowPppoe();
// The block of the application record that holds the device's "PPPOE".
std::span<uint8_t> PppoeBlock(CAppObject& app);
// The user-name and password fields of that layout.
RecordField PppoeUserNameField();
RecordField PppoePasswordField();

// Where a sender address continues beyond szMailFrom: none, SNTP's server field (P5xK from
// "1027") or SYSTEM from byte 4 (P62K, N2xV, T18D from "1003").
enum class MailFromContinuation { None, Sntp, System };
MailFromContinuation MailFromContinuationSection();
inline constexpr std::size_t kMailFromHeadChars = 15;
inline constexpr std::size_t kMailFromTailChars = 27;

struct SplitAddress {
    std::string head;  // into szMailFrom, at most 15 characters
    std::string tail;  // into the continuation, at most 27 characters; empty when it fits
};
// Splits a sender address: one of at most 15 characters stays whole.
SplitAddress SplitMailFrom(std::string_view address);
// Joins the two pieces: the tail counts only when the head is exactly 15 characters.
std::string JoinMailFrom(std::string_view head, std::string_view tail);

// The sender address as the device stores it, joined where the device uses a continuation.
std::string ReadMailFrom(const CAppObject& app);
// Writes the address into SMTP and, where the device uses one, the continuation; answers
// the section that also has to be sent (CFG_SNTP or CFG_SYSTEM), or CFG_OPTION_COUNT for
// none.
ConfigOption WriteMailFrom(CAppObject& app, std::string_view address);
