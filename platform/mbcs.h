// Text in the system code page (GBK, code page 936): every string inside the
// program is a byte string in this encoding, and positions count bytes.
//
// A lead byte (0x81..0xFE) followed by a non-zero byte forms one double-byte
// character. Case conversion touches only the single-byte letters a..z / A..Z,
// and a search match may begin only at the start of a character, so a
// double-byte character is never split or changed in half.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mbcs {

constexpr std::size_t npos = std::string_view::npos;

bool IsLeadByte(unsigned char byte);

// Length in bytes of the character that starts at `pos` (1 or 2).
std::size_t CharLength(std::string_view text, std::size_t pos);

std::string ToUpper(std::string_view text);
std::string ToLower(std::string_view text);

// Position of the first occurrence of `needle` at a character start at or after
// `from`, or npos. An empty needle is found at `from`.
std::size_t Find(std::string_view haystack, std::string_view needle, std::size_t from = 0);

// Whole-string comparison that ignores the case of single-byte letters.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace mbcs
