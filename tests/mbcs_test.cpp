#include "platform/mbcs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// "批" is C5 FA in GBK; "\x95\x5C" is a double-byte character whose trail byte
// is a backslash, "\x81\x61" one whose trail byte is a lower-case 'a'.
TEST(Mbcs, SourceLiteralsAreGbk) {
  EXPECT_EQ(std::string("C:\\Zorvel\\Zorvel批打印软件").size(), 26u);
  EXPECT_EQ(std::string("批"), "\xC5\xFA");
}

TEST(Mbcs, CaseConversionLeavesDoubleByteCharactersWhole) {
  struct Case { const char* in; const char* upper; const char* lower; };
  const Case cases[] = {
      {"c:\\zorvel\\Zorvel批打印软件", "C:\\ZORVEL\\ZORVEL批打印软件", "c:\\zorvel\\zorvel批打印软件"},
      {"\x81\x61x", "\x81\x61X", "\x81\x61x"},
      {"ab\x81", "AB\x81", "ab\x81"},  // a lone lead byte at the end stays
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mbcs::ToUpper(c.in), c.upper) << c.in;
    EXPECT_EQ(mbcs::ToLower(c.in), c.lower) << c.in;
  }
}

TEST(Mbcs, FindMatchesOnlyAtCharacterStarts) {
  struct Case { const char* haystack; const char* needle; std::size_t from; std::size_t expected; };
  const Case cases[] = {
      {"D:\\LISP;C:\\TOOLS", "C:\\TOOLS", 0, 8},
      {"acad.exe", "acad.exe", 0, 0},
      {"xacad.exe", "acad.exe", 0, 1},
      {"acadx.exe", "acad.exe", 0, mbcs::npos},
      {"\x95\x5C" "a", "\x5C" "a", 0, mbcs::npos},  // the trail byte is no backslash
      {"\x95\x5C\x5C" "a", "\x5C" "a", 0, 2},
      {"2010 2010", "2010", 1, 5},
      {"abc", "", 1, 1},
      {"ab", "abc", 0, mbcs::npos},
  };
  for (const Case& c : cases) EXPECT_EQ(mbcs::Find(c.haystack, c.needle, c.from), c.expected) << c.haystack;
}

TEST(Mbcs, ALeadByteFormsACharacterOnlyWithATrailByte) {
  struct Case { const char* text; std::size_t firstLength; bool wellFormed; };
  const Case cases[] = {
      {"\xC5\xFA", 2, true},          // 批
      {"\x95\x5C", 2, true},          // trail byte 0x5C
      {"\x81\x40", 2, true},          // lowest trail byte
      {"\x81\xFE", 2, true},          // highest trail byte
      {"\x81\x3B" "a", 1, false},     // a ';' is never a trail byte
      {"\x81\x7F", 1, false},
      {"\x81\xFF", 1, false},
      {"\x81", 1, false},              // a lone lead byte at the end
      {"\x80\x41", 1, true},          // 0x80 and 0xFF lead nothing
      {"\xFF\x41", 1, true},
      {"a\x81", 1, false},
      {"", 1, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mbcs::CharLength(c.text, 0), c.firstLength) << c.text;
    EXPECT_EQ(mbcs::IsWellFormed(c.text), c.wellFormed) << c.text;
  }
}

TEST(Mbcs, SplitFindsTheSeparatorBehindAMalformedCharacter) {
  struct Case { const char* text; std::vector<std::string> pieces; };
  const Case cases[] = {
      {"a;b", {"a", "b"}},
      {"\x81\x3B" "b", {"\x81", "b"}},
      {"\x95\x5C;\x95\x3B", {"\x95\x5C", "\x95", ""}},
      {"", {""}},
  };
  for (const Case& c : cases) {
    const std::vector<std::string_view> pieces = mbcs::Split(c.text, ';');
    EXPECT_EQ(std::vector<std::string>(pieces.begin(), pieces.end()), c.pieces) << c.text;
  }
}

TEST(Mbcs, EqualsNoCaseComparesWholeNames) {
  EXPECT_TRUE(mbcs::EqualsNoCase("setup.exe", "SetUp.EXE"));
  EXPECT_TRUE(mbcs::EqualsNoCase("ZORVEL_en.SHX", "Zorvel_EN.shx"));
  EXPECT_FALSE(mbcs::EqualsNoCase("Zorvel.prt5x", "Zorvel.prt5"));
  EXPECT_FALSE(mbcs::EqualsNoCase("\x81\x61", "\x81\x41"));
}

TEST(Mbcs, BeginningsAndEndingsIgnoreCaseAndKeepCharactersWhole) {
  struct Case {
    const char* text;
    const char* part;
    bool starts, ends;
  };
  const Case cases[] = {
      {"SOFTWARE\\Autodesk\\X", "software\\", true, false},
      {"Profiles\\P\\Variables", "\\VARIABLES", false, true},
      {"Profiles\\\x95\x5CVariables", "\\Variables", false, false},  // the trail byte is no backslash
      {"a", "a", true, true},
      {"a", "ab", false, false},
      {"abc", "", true, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mbcs::StartsWithNoCase(c.text, c.part), c.starts) << c.text << " " << c.part;
    EXPECT_EQ(mbcs::EndsWithNoCase(c.text, c.part), c.ends) << c.text << " " << c.part;
  }
}

}  // namespace
