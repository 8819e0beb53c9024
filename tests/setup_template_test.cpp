// The setup dialog is described twice: in res/setup.rc for the resource
// compiler, and in ui/setup_template.cpp for the headless host and the
// release-box table. The two must say the same, row for row; this reads the
// .rc as the resource compiler does (windres adds WS_VISIBLE to a control
// unless told NOT to) and holds it against the description.
#include <iconv.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/setup_template.h"

namespace {

constexpr std::uint32_t kWsVisible = 0x10000000;

// The .rc is UTF-8; the program's texts are GBK.
std::string Gbk(const std::string& utf8) {
  iconv_t convert = iconv_open("GBK", "UTF-8");
  std::string in = utf8, out(utf8.size() * 2 + 1, '\0');
  char* from = in.data();
  char* to = out.data();
  std::size_t left = in.size(), room = out.size();
  iconv(convert, &from, &left, &to, &room);
  iconv_close(convert);
  out.resize(out.size() - room);
  return out;
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  const std::size_t last = text.find_last_not_of(" \t\r");
  return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// The fields of a statement, split at the commas outside quotes.
std::vector<std::string> Fields(const std::string& text) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (c == ',' && !quoted) {
      fields.emplace_back();
      continue;
    }
    fields.back() += c;
  }
  for (std::string& field : fields) field = Trimmed(field);
  return fields;
}

bool IsQuoted(const std::string& field) { return field.size() >= 2 && field.front() == '"' && field.back() == '"'; }
std::string Unquoted(const std::string& field) { return Gbk(field.substr(1, field.size() - 2)); }
long Number(const std::string& field) { return std::stol(field, nullptr, 0); }

std::string ClassOf(const std::string& field) {
  if (IsQuoted(field)) return Unquoted(field);
  switch (Number(field)) {
    case 0x80:
      return "Button";
    case 0x81:
      return "Edit";
    case 0x82:
      return "Static";
  }
  return field;
}

// "0x40010000 | NOT 0x10000000" or "0x50010003".
std::uint32_t StyleOf(const std::string& field) {
  const std::uint32_t given = static_cast<std::uint32_t>(std::stoul(field, nullptr, 0));
  return field.find("NOT") == std::string::npos ? given | kWsVisible : given;
}

// The lines of dialog `id`'s statement, from its header to its END.
std::vector<std::string> DialogLines(int id) {
  std::ifstream in(ZV_SOURCE_DIR "/res/setup.rc");
  std::vector<std::string> lines;
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    line = Trimmed(line);
    if (line.rfind(std::to_string(id) + " DIALOGEX", 0) == 0) inside = true;
    if (!inside) continue;
    lines.push_back(line);
    if (line == "END") break;
  }
  return lines;
}

std::string After(const std::string& line, const std::string& keyword) {
  return line.rfind(keyword + " ", 0) == 0 ? Trimmed(line.substr(keyword.size() + 1)) : std::string();
}

TEST(SetupTemplate, TheResourceScriptSaysWhatTheDescriptionSays) {
  const platform::DialogTemplate& described = SetupDialogTemplate();
  const std::vector<std::string> lines = DialogLines(described.resourceId);
  ASSERT_GT(lines.size(), 6u) << "no dialog " << described.resourceId << " in res/setup.rc";
  const std::vector<std::string> frame = Fields(After(lines[0], std::to_string(described.resourceId) + " DIALOGEX"));
  ASSERT_EQ(frame.size(), 4u);
  EXPECT_EQ(Number(frame[0]), described.x);
  EXPECT_EQ(Number(frame[1]), described.y);
  EXPECT_EQ(Number(frame[2]), described.cx);
  EXPECT_EQ(Number(frame[3]), described.cy);
  std::size_t next = 1;
  for (; next < lines.size() && lines[next] != "BEGIN"; ++next) {
    const std::string& line = lines[next];
    if (!After(line, "STYLE").empty()) {
      EXPECT_EQ(std::stoul(After(line, "STYLE"), nullptr, 0), described.style);
    }
    if (!After(line, "EXSTYLE").empty()) {
      EXPECT_EQ(std::stoul(After(line, "EXSTYLE"), nullptr, 0), described.exStyle);
    }
    if (!After(line, "CAPTION").empty()) {
      EXPECT_EQ(Unquoted(After(line, "CAPTION")), described.caption);
    }
    if (!After(line, "FONT").empty()) {
      const std::vector<std::string> font = Fields(After(line, "FONT"));
      ASSERT_EQ(font.size(), 5u) << line;
      EXPECT_EQ(Number(font[0]), described.pointSize);
      EXPECT_EQ(Unquoted(font[1]), described.fontFace);
      EXPECT_EQ(Number(font[2]), described.fontWeight);
      EXPECT_EQ(Number(font[3]) != 0, described.italic);
      EXPECT_EQ(Number(font[4]), described.charSet);
    }
  }
  std::size_t count = 0;
  for (++next; next < lines.size() && lines[next] != "END"; ++next, ++count) {
    ASSERT_LT(count, described.controlCount) << "more controls in res/setup.rc: " << lines[next];
    const platform::ControlTemplate& control = described.controls[count];
    SCOPED_TRACE(lines[next]);
    const std::vector<std::string> fields = Fields(After(lines[next], "CONTROL"));
    ASSERT_EQ(fields.size(), 8u);
    if (control.imageId != 0) {
      EXPECT_EQ(Number(fields[0]), control.imageId);
    } else {
      EXPECT_EQ(Unquoted(fields[0]), control.text);
    }
    EXPECT_EQ(Number(fields[1]), control.id);
    EXPECT_EQ(ClassOf(fields[2]), control.className);
    EXPECT_EQ(StyleOf(fields[3]), control.style);
    EXPECT_EQ(Number(fields[4]), control.x);
    EXPECT_EQ(Number(fields[5]), control.y);
    EXPECT_EQ(Number(fields[6]), control.cx);
    EXPECT_EQ(Number(fields[7]), control.cy);
  }
  EXPECT_EQ(count, described.controlCount) << "controls missing from res/setup.rc";
}

}  // namespace
