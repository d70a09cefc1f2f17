#pragma once
// Small text and byte functions shared across the program: address and MAC texts
// to bytes, digit filtering of edit texts, two-part string-table texts, two-digit
// numbers. Every function that fills a buffer stays within the size it is given.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// 2 when every character is a digit or "." (the empty text too), else 1.
int CheckAddressString(std::string_view text);

// 1 when the texts are equal without regard to ASCII letter case, else 0.
int IsSameStringNoCase(std::string_view a, std::string_view b);

// Mode of FilterNumericString that keeps only the digits.
constexpr uint8_t kFilterDigitsOnly = 1;
// In mode kFilterDigitsOnly keeps only the characters "0" to "9" of `text`, in order,
// and returns 1. A text of 256 characters or more, or another mode, leaves the text
// unchanged and returns 0.
int FilterNumericString(std::string& text, uint8_t mode);

// Removes every `separator`, then turns each pair of characters into one byte, the
// first giving the high half ("0"-"9", "A"-"F" in either case; anything else counts
// as 0). An odd last character is ignored. The buffer is zeroed over the bytes the
// text gives, and at most `size` bytes are written. Returns 1; 0 without a buffer.
int HexStringToBytes(std::string_view text, uint8_t* buffer, int size, char separator);

// Zeroes `size` bytes, splits the text at any of `separators` (a run counts as one)
// and stores the decimal value of each piece (its low 8 bits) in order, at most
// `size` of them. 0 when the text holds no piece, else 1.
int ParseNumberList(std::string_view text, uint8_t* buffer, int size, std::string_view separators);

// Twelve hexadecimal digits (either case) to six bytes. 0 without a buffer or for a
// text of another length (buffer untouched); 0 with the buffer zeroed when a
// character is not a hexadecimal digit; else 1.
int MacStringToBytes(std::string_view text, uint8_t* buffer);

// The value modulo 100 with a leading 0 below 10: 7 -> "07", 2008 -> "08".
std::string FormatTwoDigits(int value);

// Size of each half's buffer in the callers of LoadSplitString.
constexpr size_t kSplitStringSize = 50;
// Loads string `id` and splits it at its first "$": the part before into `first`, the
// part after into `second`. Both are zeroed first; each part is cut to fit its buffer
// with its terminator. A text without "$" goes wholly into `first`. Returns 1.
int LoadSplitString(uint32_t id, std::span<char> first, std::span<char> second);
