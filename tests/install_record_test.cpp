// The install record: written, read back, merged, and read from files that
// are empty, cut short, too large or edited by hand, where nothing the record
// does not name may come out of it.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "record/install_record.h"
#include "tests/fakes/files.h"
#include "tests/fakes/services.h"

namespace {

using platform::Hive;
using platform::StoredValue;
using Before = TrustedPathChange::Before;

const char kLoaderKey[] = "SOFTWARE\\Autodesk\\AutoCAD\\R17.1\\ACAD-6001:804\\Applications\\ZV_BatchPlot2008";
const char kVariables[] = "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Profiles\\<<未命名|配置>>\\Variables";
const char kPlainVariables[] = "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Profiles\\未命名\\Variables";
const char kGeneral[] = "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Profiles\\未命名\\General";
const char kDriver[] = "C:\\Program Files\\AutoCAD 2008\\Drv\\pdfplot9.hdi";

// A record with one of everything, and texts that need escaping: a '|' and a
// '%' in names, a double-byte character whose second byte is '|' (0x7C), line
// ends and a zero byte in values from before.
InstallRecord Full() {
  InstallRecord record;
  record.parentCreated = true;
  // 한글.txt in four-byte forms, whose digits are no text of their own.
  record.files = {"ZV_BatchPlot2008.ARX", "使用说明.txt", "100%.txt", "Uninstall.exe", "\x85\x33\xAD\x30\x84\x35\xAD\x34.txt"};
  record.backups = {{"pdfplot9.hdi", kDriver}};
  record.fonts = {{"C:\\Program Files\\AutoCAD 2008\\Fonts\\Zorvel_EN.shx", true, ""},
                  {"D:\\AutoCAD 2010\\Fonts\\Zorvel_HZ.shx", false, ""}};
  record.drivers = {{kDriver, true, "120473:9f1c0a4b7e2d3c61"}};
  LoaderChange made;
  made.key = {64, kLoaderKey};
  made.createdLevels = 2;
  LoaderChange replaced;
  replaced.key = {32, "SOFTWARE\\Autodesk\\AutoCAD\\R17.0\\ACAD-5001:804\\Applications\\ZV_BatchPlot2007"};
  replaced.loadCtrls = StoredValue{platform::kRegDword, std::string("\x0e\0\0\0", 4)};
  replaced.loader = StoredValue{platform::kRegSz, std::string("D:\\旧\x81\x7C\r\n|%\0x", 13)};
  const LoaderChange user{{64, replaced.key.path}, 6, {}, {}, Hive::CurrentUser};  // from Autodesk down
  record.loaders = {made, replaced, user};
  record.supportPaths = {{"SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Profiles\\P|1\\General", 0, Before::Listed,
                          "", StoredValue{platform::kRegExpandSz, std::string("%A%;\0", 5)}}};
  // Values as they were: with their terminator, or bytes after it.
  record.trustedPaths = {{kVariables, 1, Before::Missing, "", {}},
                         {"SOFTWARE\\Autodesk\\AutoCAD\\R24.0\\ACAD-1:804\\Profiles\\S\x81\x30\x99\x38ren\\Variables", 0, Before::Listed, "",
                          StoredValue{platform::kRegExpandSz, std::string("d:\\%X%|\0", 8)}},
                         {"SOFTWARE\\Autodesk\\AutoCAD\\R24.0\\ACAD-1:804\\Profiles\\Q\\Variables", 0, Before::Replaced, ";",
                          StoredValue{platform::kRegSz, std::string(";\0x", 3)}}};
  record.entries = {{Hive::LocalMachine, 64}, {Hive::CurrentUser, 0}};
  record.settings = "C:\\Users\\\x84\x35\xB3\x38\\AppData\\Roaming\\Zorvel\\Zorvel.Ini";  // 김
  record.settingsKept = record.settings + ".bak2";
  record.allUsers = 3;
  return record;
}

// Every thing a record names, one line each, for comparing records.
std::vector<std::string> Named(const InstallRecord& record) {
  std::vector<std::string> named;
  if (record.parentCreated) named.push_back("parent");
  for (const auto& f : record.files) named.push_back("file " + f);
  for (const auto& b : record.backups) named.push_back("backup " + b.name + " " + b.original);
  for (const auto& f : record.fonts) named.push_back("font " + f.path + (f.replaced ? " r" : " n"));
  for (const auto& d : record.drivers) named.push_back("driver " + d.path + (d.replaced ? " r " : " n ") + d.fingerprint);
  for (const auto& l : record.loaders) {
    std::string line = "loader " + (l.hive == Hive::CurrentUser ? "HKCU" : std::to_string(l.key.view)) + " " + l.key.path + " " + std::to_string(l.createdLevels);
    for (const auto& v : {l.loadCtrls, l.loader}) line += v ? " " + std::to_string(v->type) + ":" + v->bytes : " -";
    named.push_back(line);
  }
  for (const auto& t : record.supportPaths)
    named.push_back("support " + t.key + " " + std::to_string(t.createdLevels) + " " +
                    (t.original ? std::to_string(t.original->type) + ":" + t.original->bytes : "-"));
  for (const auto& t : record.trustedPaths)
    named.push_back("trusted " + t.key + " " + std::to_string(t.createdLevels) + " " +
                    std::to_string(static_cast<int>(t.before)) + t.replaced +
                    (t.original ? " " + std::to_string(t.original->type) + ":" + t.original->bytes : " -"));
  for (const auto& e : record.entries)
    named.push_back("entry " + std::to_string(static_cast<int>(e.hive)) + " " + std::to_string(e.view));
  if (!record.settings.empty()) named.push_back("settings " + record.settings);
  if (!record.settingsKept.empty()) named.push_back("settings kept " + record.settingsKept);
  if (record.allUsers != 0) named.push_back("all users " + std::to_string(record.allUsers));
  return named;
}

// The record of a whole text with the given lines between header and end.
ParsedRecord WithLines(const std::vector<std::string>& lines) {
  std::string text = "[ZorvelInstallRecord]\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  return ParseRecord(text + "[End]\r\n");
}

TEST(InstallRecord, ReadsBackWhatWasWritten) {
  const std::string text = FormatRecord(Full());
  const ParsedRecord parsed = ParseRecord(text);
  EXPECT_EQ(parsed.state, RecordState::Complete);
  EXPECT_TRUE(parsed.ignoredLines.empty());
  EXPECT_EQ(Named(parsed.record), Named(Full()));
  EXPECT_EQ(text.find('\0'), std::string::npos) << "a text file";
  EXPECT_NE(text.find("File=使用说明.txt\r\n"), std::string::npos) << "Chinese names stay readable";
  EXPECT_NE(text.find("\x81%7C"), std::string::npos) << "a '|' that ends a character is escaped too";
}

TEST(InstallRecord, WholeFilesThatAreNoUsableRecord) {
  struct Case {
    const char* label;
    std::string text;
    RecordState state;
  };
  const Case cases[] = {
      {"empty", "", RecordState::NotARecord},
      {"blank lines", "\r\n\r\n", RecordState::NotARecord},
      {"someone else's file", "[Settings]\r\nFile=x\r\n[End]\r\n", RecordState::NotARecord},
      {"a header and nothing else", "[ZorvelInstallRecord]\r\n", RecordState::Truncated},
      {"no end line", "[ZorvelInstallRecord]\r\nFile=a.dll\r\n", RecordState::Truncated},
      {"a later version", "[ZorvelInstallRecord]\r\nVersion=3\r\nFile=a.dll\r\n[End]\r\n", RecordState::NewerVersion},
      {"comments and line ends of Notepad or Unix",
       "; note\n[ZorvelInstallRecord]\nVersion=1\r\n\r\n; note\nFile=a.dll\n[End]", RecordState::Complete},
  };
  for (const Case& c : cases) {
    const ParsedRecord parsed = ParseRecord(c.text);
    EXPECT_EQ(parsed.state, c.state) << c.label;
    if (c.state == RecordState::NewerVersion || c.state == RecordState::NotARecord) {
      EXPECT_TRUE(Named(parsed.record).empty()) << c.label;
    }
  }
}

// Cut anywhere, a record never names what the whole one did not, and is
// complete only when its end line survived.
TEST(InstallRecord, CutAnywhereItNamesNothingNew) {
  const std::string text = FormatRecord(Full());
  const std::vector<std::string> whole = Named(Full());
  for (std::size_t length = 0; length <= text.size(); ++length) {
    const ParsedRecord parsed = ParseRecord(text.substr(0, length));
    const bool endKept = length >= text.size() - 2;  // "[End]" is whole; its line end may be cut
    EXPECT_EQ(parsed.state == RecordState::Complete, endKept) << length;
    for (const std::string& item : Named(parsed.record)) {
      EXPECT_NE(std::find(whole.begin(), whole.end(), item), whole.end()) << "cut at " << length << ": " << item;
    }
  }
}

// An install writes its record a line at a time: the last line of one that
// did not finish may be torn (cut off, or zero bytes where the disk had not
// written it yet). It names nothing and is not reported; any other line, and
// every line of a finished record, is reported as ever.
TEST(InstallRecord, ATornLastLineOfAnUnfinishedRecordNamesNothing) {
  const std::string head = "[ZorvelInstallRecord]\r\nVersion=2\r\nFile=a.dll\r\n";
  const std::string zeros(24, '\0');
  struct Case { std::string torn; bool wholeLine; };  // whole: understood, had its line end been written
  const Case cases[] = {{"File=ZV_Batch", true}, {"File=b.dll\r", false}, {"Loader=64|SOFTWARE\\Auto\r\n", false},
                        {zeros, false},          {"File=b.d" + zeros, false}, {"File=readme.txt" + zeros.substr(0, 1), false}};
  for (const Case& c : cases) {
    const ParsedRecord unfinished = ParseRecord(head + c.torn);
    EXPECT_TRUE(unfinished.state == RecordState::Truncated && unfinished.ignoredLines.empty() &&
                unfinished.otherFileLines.empty()) << c.torn;
    EXPECT_EQ(unfinished.record.files, std::vector<std::string>{"a.dll"}) << c.torn;
    EXPECT_EQ(ParseRecord(head + "[End]\r\n" + c.torn).ignoredLines, std::vector<int>{5}) << c.torn;
    const std::string notLast = head + c.torn + (c.torn.back() == '\n' ? "" : "\r\n") + "File=c.dll\r\n";
    EXPECT_EQ(ParseRecord(notLast).ignoredLines, c.wholeLine ? std::vector<int>{} : std::vector<int>{4}) << c.torn;
  }
}

TEST(InstallRecord, LinesEditedByHandAreLeftOut) {
  struct Case {
    std::string line;
    bool understood;
    bool namesAnotherFile = false;
  };
  const Case cases[] = {
      {"File=ok.dll", true},
      {"File=readme.txt.", false, true},  // Windows drops trailing dots and spaces: readme.txt
      {"File=readme.txt ", false, true},
      {"File=README~1.TXT", false, true},  // a short name, maybe another file's
      {"File=CON", false, true},
      {"File=nul.txt", false, true},
      {"File=Com1 .log", false, true},
      {"File=LPT9", false, true},
      {"Backup=pdfplot9.hdi.|" + std::string(kDriver), false, true},
      {"File=a~b.txt", true},
      {"File=README~1.TXTX", true},
      {"File=console.txt", true},
      {"File=COM10", true},
      {"File=..\\..\\Windows\\evil.dll", false},
      {"File=C:\\Windows\\evil.dll", false},
      {"File=sub/evil.dll", false},
      {"File=..", false},
      {"File=", false},
      {"File=Uninstall.ini", false},  // the record itself goes last, by its own rule
      {"File=a|b", false},
      {"File=bad%ZZ", false},
      {"File=cut%7", false},
      {"File=tab\there", false},
      {"file=ok.dll", false},
      {"Unknown=1", false},
      {"no equals sign", false},
      {"Parent=created", true},
      {"Parent=yes", false},
      {"Backup=pdfplot9.hdi|" + std::string(kDriver), true},
      {"Backup=..\\pdfplot9.hdi|" + std::string(kDriver), false},
      {"Backup=pdfplot9.hdi|C:\\Windows\\System32\\kernel32.dll", false},
      {"Driver=" + std::string(kDriver) + "|replaced|120473:9f1c0a4b7e2d3c61", true},
      {"Driver=C:\\Windows\\System32\\kernel32.dll|new|1:0000000000000000", false},
      {"Driver=C:\\A\\Drv\\..\\..\\Windows\\Drv\\pdfplot9.hdi|new|1:0000000000000000", false},
      {"Driver=" + std::string(kDriver) + "|new|not a fingerprint", false},
      {"Driver=" + std::string(kDriver) + "|maybe|1:0000000000000000", false},
      {"Font=C:\\A\\Fonts\\Zorvel_EN.shx|new", true},
      {"Font=Fonts\\Zorvel_EN.shx|new", false},
      {"Loader=64|" + std::string(kLoaderKey) + "|2|-|-", true},
      {"Loader=32|" + std::string(kLoaderKey) + "|0|4:2|1:C:\\old.arx", true},
      {"Loader=64|SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run|1|-|-", false},
      {"Loader=64|SOFTWARE\\Wow6432Node\\Autodesk\\X\\Applications\\ZV_BatchPlot2008|1|-|-", false},
      {"Loader=64|SYSTEM\\X\\Applications\\ZV_BatchPlot2008|1|-|-", false},
      {"Loader=16|" + std::string(kLoaderKey) + "|1|-|-", false},
      {"Loader=64|" + std::string(kLoaderKey) + "|3|-|-", false},
      {"Loader=64|" + std::string(kLoaderKey) + "|0|2|-", false},
      {"Loader=64|" + std::string(kLoaderKey) + "|0|-", false},
      {"Loader=HKCU|" + std::string(kLoaderKey) + "|6|-|-", true},
      {"Loader=HKCU|" + std::string(kLoaderKey) + "|7|-|-", false},
      {"Support=" + std::string(kGeneral) + "|0|+|1:d:\\lisp", true},
      {"Support=" + std::string(kGeneral) + "|0|+|1:", false},  // an empty list is never joined
      {"Support=" + std::string(kGeneral) + "|1|+|1:x", false},  // nor a General key made
      {"Support=" + std::string(kGeneral) + "|0|-", false},
      {"Support=" + std::string(kPlainVariables) + "|0|+|1:x", false},
      {"Trusted=" + std::string(kGeneral) + "|0|+", false},
      {"Trusted=" + std::string(kPlainVariables) + "|0|+", true},
      {"Trusted=" + std::string(kPlainVariables) + "|1|-", true},
      {"Trusted=" + std::string(kPlainVariables) + "|0|=ab", true},
      {"Trusted=" + std::string(kPlainVariables) + "|0|=abc", false},  // a list the folder would have joined
      {"Trusted=SOFTWARE\\Microsoft\\Profiles\\P\\Variables|0|+", false},
      {"Trusted=SOFTWARE\\Autodesk\\AutoCAD\\R1\\P\\Profiles\\P\\Other|0|+", false},
      {"Trusted=" + std::string(kPlainVariables) + "|2|+", false},
      {"Trusted=" + std::string(kPlainVariables) + "|0|+|1:d:\\lisp%00", true},
      {"Trusted=" + std::string(kPlainVariables) + "|0|=ab|2:ab%00", true},
      {"Trusted=" + std::string(kPlainVariables) + "|0|=ab|1:xy", false},  // not the list it replaced
      {"Trusted=" + std::string(kPlainVariables) + "|0|+|1:ab", false},    // one the folder would have replaced
      {"Trusted=" + std::string(kPlainVariables) + "|1|-|1:abc", false},   // a value where there was none
      {"Trusted=" + std::string(kPlainVariables) + "|0|+|7:abc", false},
      {"Trusted=" + std::string(kPlainVariables) + "|0|+|1:abc|x", false},
      {"Entry=HKLM|32", true},
      {"Entry=HKCU|-", true},
      {"Entry=HKCR|64", false},
      {"Entry=HKLM|48", false},
      {"Settings=C:\\Users\\u\\AppData\\Roaming\\Zorvel\\Zorvel.Ini", true},
      {"Settings=Zorvel.Ini", false},
      {"SettingsKept=C:\\Users\\u\\AppData\\Roaming\\Zorvel\\Zorvel.Ini.bak", true},
      {"SettingsKept=..\\Zorvel.Ini.bak", false},
      {"Version=1", true},
      {"Version=2", true},
      {"Version=x", false},
      {"AllUsers=3", true},
      {"AllUsers=0", false},
      {"AllUsers=-1", false},
      {"AllUsers=3|4", false},
  };
  for (const Case& c : cases) {
    const ParsedRecord parsed = WithLines({"File=first.dll", c.line, "File=last.dll"});
    EXPECT_EQ(parsed.state, RecordState::Complete) << c.line;
    EXPECT_EQ(parsed.ignoredLines, c.understood ? std::vector<int>{} : std::vector<int>{3}) << c.line;
    EXPECT_EQ(parsed.otherFileLines, c.namesAnotherFile ? std::vector<int>{3} : std::vector<int>{}) << c.line;
    const std::size_t extra = c.understood && c.line.rfind("Version", 0) != 0 ? 1 : 0;
    EXPECT_EQ(Named(parsed.record).size(), 2 + extra) << c.line;
  }
  const ParsedRecord afterEnd = ParseRecord("[ZorvelInstallRecord]\r\n[End]\r\nFile=late.dll\r\n");
  EXPECT_EQ(afterEnd.ignoredLines, std::vector<int>{3});
  EXPECT_TRUE(afterEnd.record.files.empty());
}

TEST(InstallRecord, ALaterInstallAddsWithoutLosingWhatWasThereFirst) {
  InstallRecord first = Full();
  InstallRecord second;
  second.files = {"ZV_BATCHPLOT2008.ARX", "ZV_BatchPlot2021.ARX"};
  second.drivers = {{kDriver, true, "99:0000000000000001"}};  // ours now, a newer payload
  LoaderChange again;  // the second install found the first one's key
  again.key = {64, kLoaderKey};
  again.loadCtrls = StoredValue{platform::kRegDword, std::string("\x02\0\0\0", 4)};
  LoaderChange theUsers = again;  // the same path below HKEY_CURRENT_USER: another key
  theUsers.hive = Hive::CurrentUser;
  second.loaders = {again, theUsers};
  second.trustedPaths = {{kVariables, 0, Before::Listed, "", {}}};
  second.entries = {{Hive::LocalMachine, 64}, {Hive::LocalMachine, 32}};
  second.settings = "C:\\New\\Zorvel.Ini";
  second.settingsKept = "C:\\New\\Zorvel.Ini.bak";
  second.allUsers = 4;
  MergeInto(first, second);
  EXPECT_EQ(first.files, (std::vector<std::string>{"ZV_BatchPlot2008.ARX", "使用说明.txt", "100%.txt", "Uninstall.exe",
                                                   Full().files.back(), "ZV_BatchPlot2021.ARX"}));
  ASSERT_EQ(first.drivers.size(), 1u);
  EXPECT_TRUE(first.drivers[0].replaced) << "what was there before the first install";
  EXPECT_EQ(first.drivers[0].fingerprint, "99:0000000000000001") << "what is in place now";
  ASSERT_EQ(first.loaders.size(), 4u);
  EXPECT_EQ(first.loaders[0].createdLevels, 2) << "the first install made the key";
  EXPECT_FALSE(first.loaders[0].loadCtrls.has_value());
  ASSERT_EQ(first.trustedPaths.size(), 3u);
  EXPECT_EQ(first.trustedPaths[0].before, Before::Missing);
  EXPECT_EQ(first.entries.size(), 3u);
  EXPECT_EQ(first.settings, "C:\\New\\Zorvel.Ini");
  EXPECT_EQ(first.settingsKept, "C:\\New\\Zorvel.Ini.bak");
  MergeInto(first, InstallRecord());
  EXPECT_EQ(first.settingsKept, "C:\\New\\Zorvel.Ini.bak") << "an install that kept none forgets none";
  EXPECT_EQ(first.allUsers, 4u) << "the later count";
  EXPECT_TRUE(first.parentCreated);
}

TEST(RegistryViews, KeysAreNamedWithinTheirViewAndReachedFromEitherEdition) {
  struct Case {
    const char* written;
    int writerBits;
    int view;
    const char* path;
    std::optional<std::string> from64, from32;
  };
  const Case cases[] = {
      {"SOFTWARE\\Autodesk\\X", 64, 64, "SOFTWARE\\Autodesk\\X", "SOFTWARE\\Autodesk\\X", std::nullopt},
      {"SOFTWARE\\Wow6432Node\\Autodesk\\X", 64, 32, "SOFTWARE\\Autodesk\\X", "SOFTWARE\\Wow6432Node\\Autodesk\\X",
       "SOFTWARE\\Autodesk\\X"},
      {"SOFTWARE\\Autodesk\\X", 32, 32, "SOFTWARE\\Autodesk\\X", "SOFTWARE\\Wow6432Node\\Autodesk\\X",
       "SOFTWARE\\Autodesk\\X"},
      {"software\\wow6432node\\Autodesk\\X", 32, 32, "SOFTWARE\\Autodesk\\X", "SOFTWARE\\Wow6432Node\\Autodesk\\X",
       "SOFTWARE\\Autodesk\\X"},
  };
  for (const Case& c : cases) {
    const ViewedKey key = RegistryViewOf(c.written, c.writerBits);
    EXPECT_EQ(key.view, c.view) << c.written;
    EXPECT_EQ(key.path, c.path) << c.written;
    EXPECT_EQ(PathFrom(key, 64), c.from64) << c.written;
    EXPECT_EQ(PathFrom(key, 32), c.from32) << c.written;
  }
}

TEST(InstallRecordFile, IsFoundInTheInstallFolderOrReportedMissingUnreadableOrTooLarge) {
  platform::MemoryFiles files;
  platform::SetFiles(&files);
  const std::string folder = "C:\\Zorvel\\Zorvel批打印软件";
  EXPECT_EQ(ReadRecord(folder).state, RecordState::Missing) << "no folder";
  files.AddFolder(folder);
  EXPECT_EQ(ReadRecord(folder).state, RecordState::Missing);
  ASSERT_TRUE(WriteRecord(folder, Full()));
  EXPECT_EQ(Named(ReadRecord(folder).record), Named(Full()));
  files.AddFile(folder + "\\Uninstall.ini", "[ZorvelInstallRecord]\r\n" + std::string(kMaxRecordBytes, ';') + "\r\n[End]\r\n");
  EXPECT_EQ(ReadRecord(folder).state, RecordState::TooLarge);
  files.Remove(folder + "\\Uninstall.ini");
  files.AddFolder(folder + "\\Uninstall.ini");
  const ParsedRecord unreadable = ReadRecord(folder);
  EXPECT_EQ(unreadable.state, RecordState::Unreadable);
  EXPECT_EQ(unreadable.status.code(), platform::kErrorAccessDenied);
  InstallRecord huge;
  huge.files.assign(kMaxRecordBytes / 8, "abc.dll");
  files.Remove(folder + "\\Uninstall.ini");
  EXPECT_EQ(WriteRecord(folder, huge).code(), platform::kErrorFileTooLarge) << "never one the reader refuses";
  platform::SetFiles(nullptr);
}

}  // namespace
