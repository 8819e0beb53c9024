// Text in the system code page (GBK, code page 936): every string inside the
// program is a byte string in this encoding, and positions count bytes.
//
// A lead byte (0x81..0xFE) followed by a trail byte (0x40..0x7E, 0x80..0xFE)
// forms one double-byte character. A character GBK lacks (and a UTF-16 code
// unit that is no whole character, a lone surrogate) has a four-byte form in
// the shape GB18030 gives its own: a lead byte, a digit 0x30..0x39, a byte
// 0x81..0xFE and a digit. A trail byte is never a digit, so no GBK text reads
// as a four-byte form, and a name from the machine keeps every character.
// A lead byte that starts neither stands alone, so a malformed text never
// swallows the separator after it (0x81 followed by ';' is two characters).
// Case conversion touches only the single-byte letters a..z / A..Z, and a
// search match may begin only at the start of a character, so no character is
// ever split or changed in part.
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

// Length in bytes of the character that starts at `pos` (1, 2 or 4).
std::size_t CharLength(std::string_view text, std::size_t pos);

// Whether every lead byte of `text` starts a double-byte character or a
// four-byte form that stands for a code unit or character: only such a text
// converts to the same characters on every Windows and back.
bool IsWellFormed(std::string_view text);

// --- Four-byte forms ------------------------------------------------------
// A UTF-16 code unit U+0000..U+FFFF is numbered from 81 30 81 30, a
// character U+10000..U+10FFFF from 90 30 81 30 as in GB18030; the digits
// count in tens, the third byte in 126s.
constexpr std::size_t kFourByteLength = 4;
constexpr char32_t kNoCharacter = 0xFFFFFFFF;

// The four-byte form of `value` (a code unit or a character beyond U+FFFF).
void AppendFourByteForm(std::string& text, char32_t value);

// What the four-byte form at `pos` stands for, or kNoCharacter when the bytes
// there are none or number nothing.
char32_t FourByteValue(std::string_view text, std::size_t pos);

// Whether `text` holds only well-formed, whole characters: no lone lead byte
// and no lone surrogate. A name the user types must pass, since a lone
// surrogate names no character anyone could have meant.
bool IsWholeText(std::string_view text);

// Whether a four-byte form may occur in `text`: false for almost every GBK
// text after one quick look at its bytes (a lead byte before a digit).
bool MayHoldFourByteForm(std::string_view text);

// The program's text for UTF-16 `units`. `lookup(unit, bytes)` stores GBK's
// one or two bytes for a code unit that is no surrogate and returns their
// count, 0 when GBK has no character for it. Converting back with ToUtf16
// gives the same code units, for every input.
template <typename Unit, typename Lookup>
std::string FromUtf16(const Unit* units, std::size_t count, Lookup lookup);

// The UTF-16 of `text`, appended to `out`. `appendGbk(run, out)` appends the
// UTF-16 of a run without four-byte forms and says whether every byte of it
// had a character. False when something had none (the rest still converted).
template <typename Wide, typename AppendGbk>
bool ToUtf16(std::string_view text, Wide& out, AppendGbk appendGbk);

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

// --- The conversions' walks -------------------------------------------------

namespace detail {
constexpr bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
// Whether one or two bytes of GBK's read back as one character here: a
// single byte that leads nothing, or a lead byte with its trail byte.
bool IsWholeGbk(const char* bytes, std::size_t count);
}  // namespace detail

template <typename Unit, typename Lookup>
std::string FromUtf16(const Unit* units, std::size_t count, Lookup lookup) {
  std::string text;
  text.reserve(count * 2);
  for (std::size_t i = 0; i < count; ++i) {
    const char32_t unit = static_cast<char16_t>(units[i]);
    if (detail::IsHighSurrogate(unit) && i + 1 < count && detail::IsLowSurrogate(static_cast<char16_t>(units[i + 1]))) {
      const char32_t low = static_cast<char16_t>(units[++i]);
      AppendFourByteForm(text, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
      continue;
    }
    char bytes[2];
    const std::size_t length =
        detail::IsHighSurrogate(unit) || detail::IsLowSurrogate(unit) ? 0 : lookup(static_cast<char16_t>(unit), bytes);
    if (length > 0 && detail::IsWholeGbk(bytes, length)) {
      text.append(bytes, length);
    } else {
      AppendFourByteForm(text, unit);
    }
  }
  return text;
}

template <typename Wide, typename AppendGbk>
bool ToUtf16(std::string_view text, Wide& out, AppendGbk appendGbk) {
  using Unit = typename Wide::value_type;
  bool exact = true;
  std::size_t run = 0;
  for (std::size_t i = 0, length; i < text.size(); i += length) {
    length = CharLength(text, i);
    if (length != kFourByteLength) continue;
    if (i > run) exact = appendGbk(text.substr(run, i - run), out) && exact;
    run = i + length;
    const char32_t value = FourByteValue(text, i);
    if (value == kNoCharacter) {
      out.push_back(static_cast<Unit>(0xFFFD));
      exact = false;
    } else if (value > 0xFFFF) {
      out.push_back(static_cast<Unit>(0xD800 + ((value - 0x10000) >> 10)));
      out.push_back(static_cast<Unit>(0xDC00 + ((value - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<Unit>(value));
    }
  }
  if (run < text.size()) exact = appendGbk(text.substr(run), out) && exact;
  return exact;
}

}  // namespace mbcs
