// A small GBK for the conversion's portable walks: ASCII, and the code units
// from U+4E00 as double-byte characters in order (lead bytes from 0x81, 190
// trail bytes each); nothing else, so Hangul, Latin-1 and the rest take their
// four-byte forms. The Windows suite checks the same walks against code page
// 936 itself.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/mbcs.h"

namespace fake_gbk {

constexpr unsigned kFirst = 0x4E00, kTrails = 190, kCount = 126 * kTrails;

inline std::size_t Lookup(char16_t unit, char* bytes) {
  if (unit < 0x80) {
    bytes[0] = static_cast<char>(unit);
    return 1;
  }
  if (unit < kFirst || unit >= kFirst + kCount) return 0;
  const unsigned k = unit - kFirst, trail = k % kTrails;
  bytes[0] = static_cast<char>(0x81 + k / kTrails);
  bytes[1] = static_cast<char>(trail < 63 ? 0x40 + trail : 0x80 + trail - 63);
  return 2;
}

// Appends the code units of a run of this GBK; a byte it has no character for
// becomes U+FFFD.
inline bool AppendRun(std::string_view run, std::u16string& out) {
  bool exact = true;
  for (std::size_t i = 0, length; i < run.size(); i += length) {
    length = mbcs::CharLength(run, i);
    const unsigned char lead = static_cast<unsigned char>(run[i]);
    if (length == 1 && lead < 0x80) {
      out.push_back(lead);
    } else if (length == 2) {
      const unsigned char trail = static_cast<unsigned char>(run[i + 1]);
      out.push_back(static_cast<char16_t>(kFirst + (lead - 0x81) * kTrails + (trail < 0x80 ? trail - 0x40 : trail - 0x80 + 63)));
    } else {
      out.push_back(u'\xFFFD');
      exact = false;
    }
  }
  return exact;
}

inline std::string FromUtf16(std::u16string_view text) { return mbcs::FromUtf16(text.data(), text.size(), Lookup); }

inline std::u16string ToUtf16(std::string_view text, bool* exact = nullptr) {
  std::u16string out;
  const bool whole = mbcs::ToUtf16(text, out, AppendRun);
  if (exact) *exact = whole;
  return out;
}

}  // namespace fake_gbk
