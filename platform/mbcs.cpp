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

}  // namespace

bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

bool IsTrailByte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

std::size_t CharLength(std::string_view text, std::size_t pos) {
  if (pos + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[pos])) &&
      IsTrailByte(static_cast<unsigned char>(text[pos + 1])))
    return 2;
  return 1;
}

bool IsWellFormed(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (CharLength(text, i) == 1 && IsLeadByte(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
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
