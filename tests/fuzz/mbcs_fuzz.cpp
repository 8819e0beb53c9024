// The GBK text helpers on any bytes: case conversion keeps every character
// and the length, a split puts the text back together, a match starts at a
// character and is the first one, the path helpers cut at a backslash that
// starts a character. The same bytes read as UTF-16 convert to the program's
// text and back unchanged, and the helpers on that text agree with UTF-16:
// a split at a backslash or ';' cuts where the UTF-16 is cut, case
// conversion changes only a..z / A..Z.
#include "platform/mbcs.h"
#include "tests/fakes/gbk_table.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// The character starts of `text`, in order.
std::string Starts(std::string_view text) {
  std::string starts(text.size(), '0');
  for (std::size_t i = 0; i < text.size(); i += mbcs::CharLength(text, i)) starts[i] = '1';
  return starts;
}

void CheckCase(std::string_view text) {
  const std::string upper = mbcs::ToUpper(text), lower = mbcs::ToLower(text);
  FUZZ_CHECK(upper.size() == text.size() && lower.size() == text.size());
  FUZZ_CHECK(Starts(upper) == Starts(text) && Starts(lower) == Starts(text));
  FUZZ_CHECK(mbcs::EqualsNoCase(upper, lower) && mbcs::EqualsNoCase(text, upper));
  FUZZ_CHECK(mbcs::ToUpper(lower) == upper);
  FUZZ_CHECK(mbcs::IsWellFormed(upper) == mbcs::IsWellFormed(text));
  for (std::size_t i = 0; i < text.size(); i += mbcs::CharLength(text, i)) {
    if (mbcs::CharLength(text, i) > 1) FUZZ_CHECK(text.compare(i, mbcs::CharLength(text, i), upper, i, mbcs::CharLength(text, i)) == 0);
  }
}

void CheckSplit(std::string_view text, char separator) {
  std::string joined;
  bool first = true;
  for (std::string_view piece : mbcs::Split(text, separator)) {
    if (!first) joined += separator;
    joined += piece;
    first = false;
  }
  FUZZ_CHECK(joined == text);
}

void CheckFind(std::string_view haystack, std::string_view needle) {
  const std::string starts = Starts(haystack);
  const std::size_t found = mbcs::Find(haystack, needle);
  for (std::size_t pos = 0; pos < haystack.size() && pos < found; ++pos) {
    if (starts[pos] == '1') FUZZ_CHECK(haystack.substr(pos, needle.size()) != needle);
  }
  if (found == mbcs::npos) return;
  FUZZ_CHECK(found + needle.size() <= haystack.size());
  FUZZ_CHECK(found == haystack.size() || starts[found] == '1');
  FUZZ_CHECK(haystack.compare(found, needle.size(), needle) == 0);
}

void CheckPath(std::string_view path) {
  const std::size_t last = mbcs::LastBackslash(path);
  const std::string folder = mbcs::FolderOf(path), name = mbcs::FileNameOf(path);
  if (last == mbcs::npos) {
    FUZZ_CHECK(folder.empty() && name == path);
  } else {
    FUZZ_CHECK(path[last] == '\\' && Starts(path)[last] == '1');
    FUZZ_CHECK(folder + "\\" + name == path);
    FUZZ_CHECK(mbcs::LastBackslash(name) == mbcs::npos);
  }
  std::string dropped(path);
  mbcs::DropTrailingBackslash(dropped);
  FUZZ_CHECK(dropped.size() == path.size() - (mbcs::EndsWithBackslash(path) ? 1 : 0));
}

std::u16string Utf16Upper(std::u16string text) {
  for (char16_t& unit : text) {
    if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - u'a' + u'A');
  }
  return text;
}

void CheckUtf16(const std::u16string& utf16) {
  const std::string text = fake_gbk::FromUtf16(utf16);
  bool exact = false;
  FUZZ_CHECK(fake_gbk::ToUtf16(text, &exact) == utf16 && exact);
  FUZZ_CHECK(mbcs::IsWellFormed(text));
  FUZZ_CHECK(fake_gbk::ToUtf16(mbcs::ToUpper(text)) == Utf16Upper(utf16));
  for (char separator : {'\\', ';'}) {
    std::u16string joined;
    for (std::string_view piece : mbcs::Split(text, separator)) {
      FUZZ_CHECK(fake_gbk::FromUtf16(fake_gbk::ToUtf16(piece)) == piece);
      const std::u16string wide = fake_gbk::ToUtf16(piece);
      FUZZ_CHECK(wide.find(static_cast<char16_t>(separator)) == std::u16string::npos);
      if (piece.data() != text.data()) joined += static_cast<char16_t>(separator);
      joined += wide;
    }
    FUZZ_CHECK(joined == utf16);
  }
  FUZZ_CHECK(fake_gbk::ToUtf16(mbcs::FileNameOf(text)) == utf16.substr(utf16.rfind(u'\\') + 1));
  CheckCase(text);
  CheckPath(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string utf16;
  for (std::size_t i = 0; i + 1 < size; i += 2) utf16.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  CheckUtf16(utf16);
  FuzzInput input(data, size);
  const std::string needle = input.Bytes(input.Byte() % 8);
  const std::string text = input.Rest();
  CheckCase(text);
  CheckSplit(text, ';');
  CheckSplit(text, '\\');
  CheckFind(text, needle);
  CheckPath(text);
  return 0;
}
