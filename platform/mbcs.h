// Text in the system code page (GBK, code page 936): every string inside the
// program is a byte string in this encoding, and positions count bytes.
//
// A lead byte (0x81..0xFE) followed by a trail byte (0x40..0x7E, 0x80..0xFE)
// forms one double-byte character. A lead byte without a trail byte behind it
// stands alone, so a malformed text never swallows the separator after it
// (0x81 followed by ';' is two characters). Case conversion touches only the single-byte letters a..z / A..Z,
// and a search match may begin only at the start of a character, so a
// double-byte character is never split or changed in half.
//
// This is also the one home of the path helpers: a path's separators are the
// backslashes that start a character, never a 0x5C that is the second byte of
// a double-byte character (as in 嘰, 87 5C).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace mbcs {

constexpr std::size_t npos = std::string_view::npos;

bool IsLeadByte(unsigned char byte);
bool IsTrailByte(unsigned char byte);

// Length in bytes of the character that starts at `pos` (1 or 2).
std::size_t CharLength(std::string_view text, std::size_t pos);

// Whether every lead byte of `text` has its trail byte: only such a text
// converts to the same characters on every Windows and back.
bool IsWellFormed(std::string_view text);

std::string ToUpper(std::string_view text);
std::string ToLower(std::string_view text);

// Position of the first occurrence of `needle` at a character start at or after
// `from`, or npos. An empty needle is found at `from`. `from` must itself be a
// character start.
std::size_t Find(std::string_view haystack, std::string_view needle, std::size_t from = 0);

// Whole-string comparison that ignores the case of single-byte letters.
bool EqualsNoCase(std::string_view a, std::string_view b);

// Whether `text` begins, or ends, with `part`, ignoring the case of
// single-byte letters; an ending must begin at a character start.
bool StartsWithNoCase(std::string_view text, std::string_view part);
bool EndsWithNoCase(std::string_view text, std::string_view part);

// The pieces of `text` between the single-byte characters `separator`, in
// order; n separators make n + 1 pieces (some of them empty). One walk.
std::vector<std::string_view> Split(std::string_view text, char separator);

// Position of the last backslash of `path` that starts a character; npos
// when there is none.
std::size_t LastBackslash(std::string_view path);

// Whether the last character of `path` is a backslash.
bool EndsWithBackslash(std::string_view path);

// Removes one trailing backslash, if the last character is one.
void DropTrailingBackslash(std::string& path);

// The text before the last backslash (without it); empty when there is none.
std::string FolderOf(std::string_view path);

// The text after the last backslash; the whole path when there is none.
std::string FileNameOf(std::string_view path);

// An integer in decimal, as std::to_string writes it. One copy of the
// conversion for the whole program: the library's is inlined at every call.
std::string DecimalSigned(long long value);
std::string DecimalUnsigned(unsigned long long value);
template <typename Integer>
std::string Decimal(Integer value) {
  static_assert(std::is_integral_v<Integer>);
  if constexpr (std::is_unsigned_v<Integer>) {
    return DecimalUnsigned(value);
  } else {
    return DecimalSigned(value);
  }
}

}  // namespace mbcs
