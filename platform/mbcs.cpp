#include "platform/mbcs.h"

namespace mbcs {
namespace {

template <typename Convert>
std::string MapSingleBytes(std::string_view text, Convert convert) {
  std::string out(text);
  for (std::size_t i = 0, length; i < out.size(); i += length) {
    length = CharLength(out, i);
    if (length == 1) out[i] = convert(out[i]);
  }
  return out;
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsDigit(unsigned char byte) { return byte >= '0' && byte <= '9'; }

constexpr unsigned kThirdBytes = 0xFE - 0x81 + 1;   // 126
constexpr unsigned kPerLead = 10 * kThirdBytes * 10;  // 12600
constexpr unsigned char kUnitLead = 0x81, kCharacterLead = 0x90;
constexpr char32_t kUnits = 0x10000, kCharacters = 0x100000;

unsigned char Byte(std::string_view text, std::size_t pos) { return static_cast<unsigned char>(text[pos]); }

}  // namespace

bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

bool IsTrailByte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

// The four-byte test only after a lead byte without its trail byte, so a
// walk over GBK text costs what it did.
std::size_t CharLength(std::string_view text, std::size_t pos) {
  if (pos + 1 < text.size() && IsLeadByte(Byte(text, pos))) {
    const unsigned char second = Byte(text, pos + 1);
    if (IsTrailByte(second)) return 2;
    if (IsDigit(second) && pos + 3 < text.size() && IsLeadByte(Byte(text, pos + 2)) && IsDigit(Byte(text, pos + 3)))
      return kFourByteLength;
  }
  return 1;
}

bool IsWellFormed(std::string_view text) {
  for (std::size_t i = 0, length; i < text.size(); i += length) {
    length = CharLength(text, i);
    if (length == 1 && IsLeadByte(Byte(text, i))) return false;
    if (length == kFourByteLength && FourByteValue(text, i) == kNoCharacter) return false;
  }
  return true;
}

void AppendFourByteForm(std::string& text, char32_t value) {
  const bool unit = value < kUnits;
  unsigned index = static_cast<unsigned>(unit ? value : value - kUnits);
  char bytes[kFourByteLength];
  bytes[3] = static_cast<char>('0' + index % 10);
  index /= 10;
  bytes[2] = static_cast<char>(0x81 + index % kThirdBytes);
  index /= kThirdBytes;
  bytes[1] = static_cast<char>('0' + index % 10);
  bytes[0] = static_cast<char>((unit ? kUnitLead : kCharacterLead) + index / 10);
  text.append(bytes, kFourByteLength);
}

char32_t FourByteValue(std::string_view text, std::size_t pos) {
  if (CharLength(text, pos) != kFourByteLength) return kNoCharacter;
  const unsigned lead = Byte(text, pos);
  const unsigned index = (Byte(text, pos + 1) - '0') * kThirdBytes * 10 + (Byte(text, pos + 2) - 0x81) * 10 +
                         (Byte(text, pos + 3) - '0');
  if (lead >= kCharacterLead) {
    const char32_t value = (lead - kCharacterLead) * kPerLead + index;
    return value < kCharacters ? kUnits + value : kNoCharacter;
  }
  const char32_t value = (lead - kUnitLead) * kPerLead + index;
  return value < kUnits ? value : kNoCharacter;
}

bool IsWholeText(std::string_view text) {
  for (std::size_t i = 0, length; i < text.size(); i += length) {
    length = CharLength(text, i);
    if (length == 1 && IsLeadByte(Byte(text, i))) return false;
    if (length != kFourByteLength) continue;
    const char32_t value = FourByteValue(text, i);
    if (value == kNoCharacter || detail::IsHighSurrogate(value) || detail::IsLowSurrogate(value)) return false;
  }
  return true;
}

bool MayHoldFourByteForm(std::string_view text) {
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (IsDigit(Byte(text, i)) && IsLeadByte(Byte(text, i - 1))) return true;
  }
  return false;
}

bool detail::IsWholeGbk(const char* bytes, std::size_t count) {
  const std::string_view text(bytes, count);
  return count <= 2 && CharLength(text, 0) == count && (count == 2 || !IsLeadByte(Byte(text, 0)));
}

// Lambdas rather than the functions themselves: each its own type, so that
// the walk over a list of a megabyte converts each byte inline.
std::string ToUpper(std::string_view text) { return MapSingleBytes(text, [](char c) { return Upper(c); }); }
std::string ToLower(std::string_view text) { return MapSingleBytes(text, [](char c) { return Lower(c); }); }

std::size_t Find(std::string_view haystack, std::string_view needle, std::size_t from) {
  for (std::size_t pos = from; pos + needle.size() <= haystack.size(); pos += CharLength(haystack, pos)) {
    if (haystack.compare(pos, needle.size(), needle) == 0) return pos;
  }
  return npos;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ToUpper(a) == ToUpper(b);
}

// A beginning walks the same characters in both texts, so it ends where one
// of the text's does.
bool StartsWithNoCase(std::string_view text, std::string_view part) {
  return part.size() <= text.size() && EqualsNoCase(text.substr(0, part.size()), part);
}

bool EndsWithNoCase(std::string_view text, std::string_view part) {
  if (part.size() > text.size()) return false;
  const std::size_t start = text.size() - part.size();
  std::size_t pos = 0;
  while (pos < start) pos += CharLength(text, pos);
  return pos == start && EqualsNoCase(text.substr(start), part);
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (std::size_t i = 0, length; i < text.size(); i += length) {
    length = CharLength(text, i);
    if (length == 1 && text[i] == separator) {
      pieces.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

std::size_t LastBackslash(std::string_view path) {
  std::size_t last = npos;
  for (std::size_t i = 0; i < path.size(); i += CharLength(path, i)) {
    if (path[i] == '\\') last = i;
  }
  return last;
}

bool EndsWithBackslash(std::string_view path) {
  return !path.empty() && LastBackslash(path) == path.size() - 1;
}

void DropTrailingBackslash(std::string& path) {
  if (EndsWithBackslash(path)) path.pop_back();
}

std::string FolderOf(std::string_view path) {
  const std::size_t last = LastBackslash(path);
  return std::string(last == npos ? std::string_view() : path.substr(0, last));
}

std::string FileNameOf(std::string_view path) {
  const std::size_t last = LastBackslash(path);
  return std::string(last == npos ? path : path.substr(last + 1));
}

std::string DecimalUnsigned(unsigned long long value) {
  char digits[20];
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  std::string text;
  while (count > 0) text.push_back(digits[--count]);
  return text;
}

std::string DecimalSigned(long long value) {
  if (value >= 0) return DecimalUnsigned(static_cast<unsigned long long>(value));
  // The magnitude of the lowest value does not fit its own type.
  return "-" + DecimalUnsigned(0ull - static_cast<unsigned long long>(value));
}

}  // namespace mbcs
