#include "core/ConfigRecords.h"

#include <algorithm>

#include "core/AppObject.h"
#include "core/DeviceIdentity.h"

namespace {

bool Fits(std::size_t blockSize, RecordField field, std::size_t index) {
    return index < field.count && field.End() <= blockSize;
}

std::string FirmwareVersion() { return g_lpApp ? g_lpApp->str_FWVersion.Get() : std::string(); }

// True when the device's firmware is older than `threshold`.
bool OlderThan(std::string_view threshold) {
    return CompareVersion(threshold, FirmwareVersion()) == 2;
}

}  // namespace

std::string ReadText(std::span<const uint8_t> block, RecordField field, std::size_t index) {
    if (!Fits(block.size(), field, index)) return {};
    const RecordField element = field.Element(index);
    const auto begin = block.begin() + static_cast<std::ptrdiff_t>(element.offset);
    const auto end = begin + static_cast<std::ptrdiff_t>(element.width);
    return std::string(begin, std::find(begin, end, uint8_t{0}));
}

void WriteText(std::span<uint8_t> block, RecordField field, std::string_view text,
               std::size_t index) {
    if (!Fits(block.size(), field, index)) return;
    const RecordField element = field.Element(index);
    const auto begin = block.begin() + static_cast<std::ptrdiff_t>(element.offset);
    std::fill_n(begin, element.width, uint8_t{0});
    text = text.substr(0, element.width);
    std::copy(text.begin(), text.end(), begin);
}

uint32_t ReadUInt(std::span<const uint8_t> block, RecordField field, std::size_t index) {
    if (!Fits(block.size(), field, index)) return 0;
    const RecordField element = field.Element(index);
    uint32_t value = 0;
    for (std::size_t i = std::min<std::size_t>(element.width, 4); i-- > 0;)
        value = (value << 8) | block[element.offset + i];
    return value;
}

void WriteUInt(std::span<uint8_t> block, RecordField field, uint32_t value, std::size_t index) {
    if (!Fits(block.size(), field, index)) return;
    const RecordField element = field.Element(index);
    for (std::size_t i = 0; i < std::min<std::size_t>(element.width, 4); ++i) {
        block[element.offset + i] = static_cast<uint8_t>(value & 0xFF);
        value >>= 8;
    }
}

uint32_t ReadIPv4(std::span<const uint8_t> block, RecordField field) {
    if (!Fits(block.size(), field, 0) || field.width != 4) return 0;
    uint32_t address = 0;
    for (std::size_t i = 0; i < 4; ++i) address = (address << 8) | block[field.offset + i];
    return address;
}

void WriteIPv4(std::span<uint8_t> block, RecordField field, uint32_t address) {
    if (!Fits(block.size(), field, 0) || field.width != 4) return;
    for (std::size_t i = 0; i < 4; ++i)
        block[field.offset + i] = static_cast<uint8_t>(address >> (24 - 8 * i));
}

bool UsesNarrowPppoe() { return OlderThan(IsP5xKModel() ? "1052" : "1007"); }

std::span<uint8_t> PppoeBlock(CAppObject& app) {
    return UsesNarrowPppoe() ? std::span<uint8_t>(app.m_Cfg_PPPOE_Old)
                             : std::span<uint8_t>(app.m_Cfg_PPPOE);
}

RecordField PppoeUserNameField() {
    return UsesNarrowPppoe() ? PppoeOldRecord::szPppoeUserName : PppoeRecord::szPppoeUserName;
}

RecordField PppoePasswordField() {
    return UsesNarrowPppoe() ? PppoeOldRecord::szPppoePassword : PppoeRecord::szPppoePassword;
}

MailFromContinuation MailFromContinuationSection() {
    if (IsP5xKModel())
        return OlderThan("1027") ? MailFromContinuation::None : MailFromContinuation::Sntp;
    if (IsP62KModel() || IsN2xVModel() || IsT18DModel())
        return OlderThan("1003") ? MailFromContinuation::None : MailFromContinuation::System;
    return MailFromContinuation::None;
}

SplitAddress SplitMailFrom(std::string_view address) {
    if (address.size() <= kMailFromHeadChars) return {std::string(address), {}};
    return {std::string(address.substr(0, kMailFromHeadChars)),
            std::string(address.substr(kMailFromHeadChars, kMailFromTailChars))};
}

std::string JoinMailFrom(std::string_view head, std::string_view tail) {
    if (head.size() == kMailFromHeadChars && !tail.empty())
        return std::string(head) + std::string(tail);
    return std::string(head);
}

namespace {

struct Continuation {
    std::span<uint8_t> block;
    RecordField field;
    ConfigOption option;
};

Continuation ContinuationOf(CAppObject& app, MailFromContinuation where) {
    if (where == MailFromContinuation::Sntp)
        return {app.m_Cfg_SNTP, SntpRecord::szSntpServer, CFG_SNTP};
    return {app.m_Cfg_SYSTEM, SystemRecord::kMailFromContinuation, CFG_SYSTEM};
}

// The head as stored: the field holds 16 bytes, of which a split address uses 15.
std::string MailFromHead(const CAppObject& app) {
    return ReadText(app.m_Cfg_SMTP, SmtpRecord::szMailFrom);
}

}  // namespace

std::string ReadMailFrom(const CAppObject& app) {
    const MailFromContinuation where = MailFromContinuationSection();
    if (where == MailFromContinuation::None) return MailFromHead(app);
    // At most 27 characters: the 28th byte is the continuation's terminator.
    std::string tailText = where == MailFromContinuation::Sntp
                               ? ReadText(app.m_Cfg_SNTP, SntpRecord::szSntpServer)
                               : ReadText(app.m_Cfg_SYSTEM, SystemRecord::kMailFromContinuation);
    if (tailText.size() > kMailFromTailChars) tailText.resize(kMailFromTailChars);
    return JoinMailFrom(MailFromHead(app), tailText);
}

ConfigOption WriteMailFrom(CAppObject& app, std::string_view address) {
    const MailFromContinuation where = MailFromContinuationSection();
    const SplitAddress split = SplitMailFrom(address);
    // Byte 15 stays zero, whole or split.
    WriteText(app.m_Cfg_SMTP, SmtpRecord::szMailFrom, split.head.substr(0, kMailFromHeadChars));
    if (where == MailFromContinuation::None) return CFG_OPTION_COUNT;
    const Continuation tail = ContinuationOf(app, where);
    WriteText(tail.block, tail.field, split.tail);
    return tail.option;
}
