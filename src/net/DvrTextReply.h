#pragma once
// The text replies of the DVR's date and record-setting queries: items of the form
// KEY=value, each ended by ";". A key is matched whole: it must begin the reply or follow a
// ";" (blanks and line ends between them are skipped) and be followed at once by "=", so
// "HOUR" never reads STARTHOUR's value and "MANUAL" never MANUALRATETYPE's, whatever the
// order of the items. The first matching item wins. The reply is untrusted: a value keeps
// at most kReplyValueMax characters, and a value without ";" ends with the reply.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The value text of the item `key`; nothing when no item has that key.
std::optional<std::string> FindWholeKeyValue(std::string_view reply, std::string_view key);

// The item's value as a decimal number (ReplyNumber of net/LoginReply.h); nothing when the
// key is absent.
std::optional<int32_t> WholeKeyNumber(std::string_view reply, std::string_view key);
