#include "platform/mbcs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fakes/gbk_table.h"

namespace {

// Four-byte forms: U+AE40 (김), U+00F8 (ø) and U+10000, as this program
// numbers them; "\x81\x30\x81\x30" is U+0000's.
#define KIM "\x84\x35\xB3\x38"
#define OSLASH "\x81\x30\x99\x38"
#define U10000 "\x90\x30\x81\x30"

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
      {"s" OSLASH "ren\x81\x30\x81\x30" "a", "S" OSLASH "REN\x81\x30\x81\x30" "A", "s" OSLASH "ren\x81\x30\x81\x30" "a"},
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
      {KIM "0", "0", 0, 4},  // a digit inside a four-byte form is none of its own
      {"\x81\x30\x81\x30", "\x30\x81", 0, mbcs::npos},
      {"\xC5\xFA" KIM "\\" KIM, "\\" KIM, 0, 6},
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
      {KIM, 4, true},
      {U10000, 4, true},
      {"\x81\x30\x81\x30", 4, true},    // U+0000
      {"\x86\x32\x82\x35", 4, true},    // U+FFFF
      {"\x86\x32\x82\x36", 4, false},   // one past it numbers nothing
      {"\x8F\x30\x81\x30", 4, false},   // between the two ranges
      {"\xE3\x32\x9A\x35", 4, true},    // U+10FFFF
      {"\xE3\x32\x9A\x36", 4, false},
      {"\x81\x30\x81", 1, false},        // cut short
      {"\x81\x30\x7F\x30", 1, false},
      {"\x81\x30\x81\x3A", 1, false},
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
      {KIM ";\x81\x30;", {KIM, "\x81\x30", ""}},
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
      {"Profiles\\" KIM "\\Variables", "\\VARIABLES", false, true},
      {KIM, "\x38", false, false},  // the digit that ends a four-byte form is none of its own
      {"C:\\" KIM, "c:\\" KIM, true, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mbcs::StartsWithNoCase(c.text, c.part), c.starts) << c.text << " " << c.part;
    EXPECT_EQ(mbcs::EndsWithNoCase(c.text, c.part), c.ends) << c.text << " " << c.part;
  }
}

TEST(Mbcs, PathHelpersCutAtBackslashesBesideFourByteForms) {
  const std::string path = "C:\\users\\" KIM "\\AppData\\\x95\x5C" OSLASH;
  EXPECT_EQ(mbcs::FolderOf(path), "C:\\users\\" KIM "\\AppData");
  EXPECT_EQ(mbcs::FileNameOf(path), "\x95\x5C" OSLASH);
  EXPECT_FALSE(mbcs::EndsWithBackslash(KIM));
}

TEST(Mbcs, UnitsAndCharactersTakeFourByteFormsOnlyWhereGbkLacksThem) {
  struct Case { std::u16string utf16; std::string text; bool whole; };
  const Case cases[] = {
      {u"C:\\\x4E00z", "C:\\\x81\x40z", true},
      {u"\xAE40\xCCA0\xC218", KIM "\x85\x31\xC9\x34\x84\x39\xB7\x38", true},  // 김철수
      {u"S\xF8ren", "S" OSLASH "ren", true},
      {u"\U00010000", U10000, true},
      {u"\U0010FFFF", "\xE3\x32\x9A\x35", true},
      {u"\x80", "\x81\x30\x8D\x38", true},
      {std::u16string(1, u'\0'), std::string(1, '\0'), true},
      {std::u16string(1, char16_t(0xD800)) + u"a", "\x85\x33\xF0\x36" "a", false},  // a lone high surrogate
      {std::u16string(1, char16_t(0xDFFF)), "\x85\x35\xC1\x33", false},
      {std::u16string{char16_t(0xDC00), char16_t(0xD800)}, "\x85\x34\xD9\x30\x85\x33\xF0\x36", false},
  };
  for (const Case& c : cases) {
    const std::string text = fake_gbk::FromUtf16(c.utf16);
    EXPECT_EQ(text, c.text);
    bool exact = false;
    EXPECT_EQ(fake_gbk::ToUtf16(text, &exact), c.utf16) << c.text;
    EXPECT_TRUE(exact && mbcs::IsWellFormed(text)) << c.text;
    EXPECT_EQ(mbcs::IsWholeText(text), c.whole) << c.text;
  }
}

TEST(Mbcs, EveryCodeUnitAndEveryCharacterComesBack) {
  for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
    const std::u16string one(1, static_cast<char16_t>(unit));
    ASSERT_EQ(fake_gbk::ToUtf16(fake_gbk::FromUtf16(one)), one) << unit;
  }
  for (char32_t c = 0x10000; c <= 0x10FFFF; c += 0x3FF) {
    const std::u16string pair{static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)),
                              static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
    const std::string text = fake_gbk::FromUtf16(pair);
    ASSERT_EQ(text.size(), 4u) << c;
    ASSERT_EQ(mbcs::FourByteValue(text, 0), c);
    ASSERT_EQ(fake_gbk::ToUtf16(text), pair) << c;
  }
}

TEST(Mbcs, AFourByteFormThatNumbersNothingIsNoCharacter) {
  bool exact = true;
  EXPECT_EQ(fake_gbk::ToUtf16("a\x8F\x30\x81\x30" "b", &exact), u"a\xFFFD" "b");
  EXPECT_FALSE(exact);
  EXPECT_FALSE(mbcs::IsWholeText("a\x81"));
}

}  // namespace
