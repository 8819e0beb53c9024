// The switches: what each argument sets, and every way an argument is not
// understood. The system has already split and unquoted the command line.
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "run/command_line.h"
#include "run/exit_code.h"

namespace {

using Years = std::optional<std::vector<int>>;

TEST(CommandLine, UnderstoodArgumentsSetTheirOptions) {
  struct Row {
    std::vector<std::string> arguments;
    bool silent, help;
    std::optional<std::string> folder;
    Years releases;
    std::optional<std::string> log;
  };
  const Row rows[] = {
      {{}, false, false, std::nullopt, std::nullopt, std::nullopt},
      {{"/S"}, true, false, std::nullopt, std::nullopt, std::nullopt},
      {{"-s"}, true, false, std::nullopt, std::nullopt, std::nullopt},
      {{"/?"}, false, true, std::nullopt, std::nullopt, std::nullopt},
      {{"-Help"}, false, true, std::nullopt, std::nullopt, std::nullopt},
      {{"/dir=D:\\CAD\\Zorvel"}, false, false, "D:\\CAD\\Zorvel", std::nullopt, std::nullopt},
      // Quoted on the command line; the system took the quotes away.
      {{"/DIR=C:\\Program Files\\插件"}, false, false, "C:\\Program Files\\插件", std::nullopt, std::nullopt},
      // "C:\Zorvel 한\" and a log below 김, in their four-byte forms.
      {{"/DIR=C:\\Zorvel \x85\x33\xAD\x30\\", "/LOG=C:\\\x84\x35\xB3\x38\\a.log"}, false, false,
       "C:\\Zorvel \x85\x33\xAD\x30\\", std::nullopt, "C:\\\x84\x35\xB3\x38\\a.log"},
      // Only the first '=' separates.
      {{"/LOG=C:\\a=b.log"}, false, false, std::nullopt, std::nullopt, "C:\\a=b.log"},
      {{"/RELEASES=all"}, false, false, std::nullopt, std::nullopt, std::nullopt},
      {{"/Releases=ALL"}, false, false, std::nullopt, std::nullopt, std::nullopt},
      {{"/RELEASES=2020,2010"}, false, false, std::nullopt, std::vector<int>{2010, 2020}, std::nullopt},
      {{"/RELEASES=2018, 2020 ,2018"}, false, false, std::nullopt, std::vector<int>{2018, 2020}, std::nullopt},
      // Any four-digit year: a release this program does not know is
      // skipped on every machine, not refused.
      {{"/RELEASES=2031"}, false, false, std::nullopt, std::vector<int>{2031}, std::nullopt},
      {{"/S", "/DIR=D:\\CAD", "/RELEASES=2018", "/LOG=\\\\server\\logs\\PC1.log"}, true, false, "D:\\CAD",
       std::vector<int>{2018}, "\\\\server\\logs\\PC1.log"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.arguments));
    const ParsedArguments parsed = ParseArguments(row.arguments);
    EXPECT_TRUE(parsed.errors.empty()) << parsed.errors.front();
    EXPECT_EQ(parsed.options.silent, row.silent);
    EXPECT_EQ(parsed.options.mode == RunMode::Usage, row.help);
    EXPECT_EQ(parsed.options.folder, row.folder);
    EXPECT_EQ(parsed.options.releases, row.releases);
    EXPECT_EQ(parsed.options.logPath, row.log);
  }
}

TEST(CommandLine, EveryArgumentNotUnderstoodIsNamed) {
  struct Row {
    std::vector<std::string> arguments;
    std::vector<std::string> errors;
  };
  const Row rows[] = {
      {{"/X"}, {"无法识别的参数：“/X”"}},
      {{"/SILENT"}, {"无法识别的参数：“/SILENT”"}},
      {{"/"}, {"无法识别的参数：“/”"}},
      {{"S"}, {"无法识别的参数：“S”"}},
      {{"D:\\CAD"}, {"无法识别的参数：“D:\\CAD”"}},
      {{""}, {"无法识别的参数：“”"}},
      {{"/D=C:\\x"}, {"无法识别的参数：“/D=C:\\x”"}},
      {{"/S=1"}, {"参数不能带值：“/S=1”"}},
      {{"/HELP=me"}, {"参数不能带值：“/HELP=me”"}},
      {{"/DIR"}, {"参数缺少值：“/DIR”"}},
      {{"/DIR="}, {"参数缺少值：“/DIR=”"}},
      {{"/LOG="}, {"参数缺少值：“/LOG=”"}},
      {{"/RELEASES="}, {"参数缺少值：“/RELEASES=”"}},
      {{"/RELEASES=20l0"}, {"不是AutoCAD的版本年份：“20l0”"}},
      {{"/RELEASES=2\x81\x30\x81\x30" "0"}, {"不是AutoCAD的版本年份：“2\x81\x30\x81\x30" "0”"}},  // its digits are no year
      {{"/RELEASES=2010,"}, {"不是AutoCAD的版本年份：“”"}},
      {{"/RELEASES=2010,,2020"}, {"不是AutoCAD的版本年份：“”"}},
      {{"/RELEASES=2010;2020"}, {"不是AutoCAD的版本年份：“2010;2020”"}},
      {{"/RELEASES=10"}, {"不是AutoCAD的版本年份：“10”"}},
      {{"/RELEASES=-2010"}, {"不是AutoCAD的版本年份：“-2010”"}},
      {{"/RELEASES=2010,all"}, {"不是AutoCAD的版本年份：“all”"}},
      // "C:\a b\" on the command line: the backslash escapes the closing
      // quote, which then stays in the value.
      {{"/DIR=C:\\a b\" /S"}, {"参数值中不能有引号（引号前不要以反斜杠结尾）：“/DIR=C:\\a b\" /S”"}},
      {{"/DIR=C:\\a", "/dir=C:\\b"}, {"参数重复：“/dir=C:\\b”"}},
      {{"/S", "/X", "/Y=1"}, {"无法识别的参数：“/X”", "无法识别的参数：“/Y=1”"}},
      {{"/UNINSTALL=1"}, {"参数不能带值：“/UNINSTALL=1”"}},
      {{"/UNINSTALL", "/RELEASES=2010"}, {"卸载时不能指定 /RELEASES"}},
      {{"/REMOVE=C:\\x", "/RELEASES=all"}, {"卸载时不能指定 /RELEASES"}},
      {{"/REMOVE=C:\\x", "/DIR=C:\\y"}, {"/REMOVE 不能与 /UNINSTALL 或 /DIR 同用"}},
      {{"/FINISH=12"}, {"/FINISH 只能与 /REMOVE 同用"}},
      {{"/REMOVE=C:\\x", "/FINISH=12a"}, {"不是进程号：“/FINISH=12a”"}},
      {{"/REMOVE=C:\\x", "/FINISH=4294967296"}, {"不是进程号：“/FINISH=4294967296”"}},
      {{"/REMOVE=C:\\x", "/FINISH=-1"}, {"不是进程号：“/FINISH=-1”"}},
      {{"/ELEVATED=PC\\user"}, {"不是账户的SID：“/ELEVATED=PC\\user”"}},
      {{"/ELEVATED=S-1-5--1"}, {"不是账户的SID：“/ELEVATED=S-1-5--1”"}},
      {{"/CONTINUE"}, {"/CONTINUE 和 /HOSTWARNED 只能在安装时与 /ELEVATED 同用"}},
      {{"/UNINSTALL", "/ELEVATED=S-1-5-21-7", "/HOSTWARNED"}, {"/CONTINUE 和 /HOSTWARNED 只能在安装时与 /ELEVATED 同用"}},
      {{"/ALLUSERS=1"}, {"参数不能带值：“/ALLUSERS=1”"}},
      {{"/UNINSTALL", "/ALLUSERS"}, {"卸载时不能指定 /ALLUSERS（安装记录已说明是否为所有用户安装）"}},
      {{"/USERPART", "/DIR=C:\\x"}, {"/USERPART 只能与 /S 和 /LOG 同用"}},
      {{"/USERPART", "/ALLUSERS"}, {"/USERPART 只能与 /S 和 /LOG 同用"}},
      {{"/USERPART", "/CURRENTUSER"}, {"/USERPART 只能与 /S 和 /LOG 同用"}},
      {{"/ALLUSERS", "/CURRENTUSER"}, {"/ALLUSERS 和 /CURRENTUSER 不能同用"}},
      {{"/UNINSTALL", "/CURRENTUSER"}, {"卸载时不能指定 /CURRENTUSER（安装记录已说明是否仅为当前用户安装）"}},
      {{"/CURRENTUSER=1"}, {"参数不能带值：“/CURRENTUSER=1”"}},
      {{"/USERPART=1"}, {"参数不能带值：“/USERPART=1”"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.arguments));
    const ParsedArguments parsed = ParseArguments(row.arguments);
    EXPECT_EQ(parsed.errors, row.errors);
    // The logon step shows no box, not even for a command line it refuses.
    if (parsed.options.mode == RunMode::UserPart) {
      EXPECT_TRUE(parsed.options.silent);
    }
  }
}

TEST(CommandLine, TheUninstallSwitches) {
  struct Row {
    std::vector<std::string> arguments;
    bool uninstall;
    std::optional<std::string> folder, removeFolder;
    std::optional<std::uint32_t> finishAfter;
  };
  const Row rows[] = {
      {{"/UNINSTALL"}, true, std::nullopt, std::nullopt, std::nullopt},
      {{"-uninstall", "/S", "/DIR=D:\\插件"}, true, "D:\\插件", std::nullopt, std::nullopt},
      {{"/REMOVE=C:\\Zorvel\\Zorvel批打印软件", "/S"}, false, std::nullopt, "C:\\Zorvel\\Zorvel批打印软件",
       std::nullopt},
      {{"/REMOVE=C:\\a b", "/FINISH=4294967295"}, false, std::nullopt, "C:\\a b", 4294967295u},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.arguments));
    const ParsedArguments parsed = ParseArguments(row.arguments);
    EXPECT_TRUE(parsed.errors.empty()) << parsed.errors.front();
    EXPECT_EQ(parsed.options.mode == RunMode::Uninstall, row.uninstall);
    EXPECT_EQ(parsed.options.folder, row.folder);
    EXPECT_EQ(parsed.options.removeFolder, row.removeFolder);
    EXPECT_EQ(parsed.options.finishAfter, row.finishAfter);
  }
  // The uninstaller's own switches are not the user's: the usage leaves them out.
  EXPECT_NE(UsageText().find("/UNINSTALL"), std::string::npos);
  EXPECT_EQ(UsageText().find("/REMOVE"), std::string::npos);
  EXPECT_EQ(UsageText().find("/FINISH"), std::string::npos);
}

TEST(CommandLine, TheElevatedCopysSwitches) {
  const ParsedArguments parsed = ParseArguments({"-elevated=S-1-5-21-7", "/Continue", "/HOSTWARNED", "/DIR=Z:\\a"});
  ASSERT_TRUE(parsed.errors.empty()) << parsed.errors.front();
  EXPECT_EQ(parsed.options.servedUser, "S-1-5-21-7");
  EXPECT_TRUE(parsed.options.continueInstall && parsed.options.hostWarned);
  EXPECT_EQ(ParseArguments({"/UNINSTALL", "/ELEVATED=S-1-5-21-7"}).options.servedUser, "S-1-5-21-7");
  for (const char* name : {"ELEVATED", "CONTINUE", "HOSTWARNED"}) EXPECT_EQ(UsageText().find(name), std::string::npos);
}

// /ALLUSERS is the administrator's, in the usage; /USERPART the logon
// step's, which never shows anything.
TEST(CommandLine, TheEveryUserSwitches) {
  EXPECT_TRUE(ParseArguments({"-allusers", "/S"}).options.everyUser);
  const ParsedArguments forMe = ParseArguments({"/S", "-CurrentUser"});
  EXPECT_TRUE(forMe.errors.empty() && forMe.options.currentUser && !forMe.options.everyUser);
  EXPECT_NE(UsageText().find("/CURRENTUSER　"), std::string::npos);
  const ParsedArguments userPart = ParseArguments({"/userpart", "/LOG=C:\\u.log"});
  EXPECT_TRUE(userPart.errors.empty() && userPart.options.mode == RunMode::UserPart && userPart.options.silent);
  EXPECT_NE(UsageText().find("/ALLUSERS　"), std::string::npos);
  EXPECT_EQ(UsageText().find("USERPART"), std::string::npos);
}

TEST(CommandLine, SwitchesOutsideTheFaultyArgumentStillCount) {
  // An unattended install with a typo must still know it is unattended (no
  // box) and where its log goes.
  const ParsedArguments parsed = ParseArguments({"/S", "/LOG=C:\\x.log", "/RELEASE=2010"});
  EXPECT_EQ(parsed.errors.size(), 1u);
  EXPECT_TRUE(parsed.options.silent);
  EXPECT_EQ(parsed.options.logPath, "C:\\x.log");
}

TEST(CommandLine, UsageNamesEverySwitchAndEveryExitCode) {
  const std::string usage = UsageText();
  for (const char* name : {"/S", "/DIR=", "/RELEASES=", "/LOG=", "/?", "/HELP", "%TEMP%\\ZorvelSetup.log"})
    EXPECT_NE(usage.find(name), std::string::npos) << name;
  for (ExitCode code : kAllExitCodes) {
    const std::string line = "\n" + std::to_string(ExitCodeNumber(code)) + "　" + ExitCodeMeaningChinese(code) + "\n";
    EXPECT_NE(usage.find(line), std::string::npos) << ExitCodeNumber(code);
  }
}

TEST(ExitCodes, EachOutcomeHasItsCode) {
  struct Row {
    InstallOutcome outcome;
    int code;
  };
  const Row rows[] = {
      {InstallOutcome::Installed, 0},     {InstallOutcome::HostRunning, 3},    {InstallOutcome::DataMissing, 4},
      {InstallOutcome::DataUnreadable, 4}, {InstallOutcome::FolderRefused, 5}, {InstallOutcome::Aborted, 6},
      {InstallOutcome::Incomplete, 7},
  };
  for (const Row& row : rows) EXPECT_EQ(ExitCodeNumber(ExitCodeOf(EndOf(row.outcome))), row.code) << row.code;
  // Every code has a meaning of its own for the usage.
  std::set<std::string> chinese;
  for (std::size_t i = 0; i < std::size(kAllExitCodes); ++i) {
    EXPECT_EQ(ExitCodeNumber(kAllExitCodes[i]), static_cast<int>(i));
    chinese.insert(ExitCodeMeaningChinese(kAllExitCodes[i]));
  }
  EXPECT_EQ(chinese.size(), std::size(kAllExitCodes));
}

// Ends that share a code still say in the log what happened.
TEST(ExitCodes, EachEndOfARunHasItsCodeAndAMeaningOfItsOwn) {
  struct Row {
    RunEnd end;
    int code;
  };
  const Row rows[] = {
      {RunEnd::Installed, 0},        {RunEnd::UsageShown, 0},      {RunEnd::Uninstalled, 0},
      {RunEnd::UninstallerRemoved, 0}, {RunEnd::Cancelled, 1},     {RunEnd::Declined, 1},
      {RunEnd::BadCommandLine, 2},   {RunEnd::HostRunning, 3},     {RunEnd::DataMissing, 4},
      {RunEnd::FolderRefused, 5},    {RunEnd::CopyAborted, 6},     {RunEnd::Incomplete, 7},
      {RunEnd::UninstallIncomplete, 7}, {RunEnd::UninstallerKept, 7}, {RunEnd::AlreadyRunning, 8},
      {RunEnd::NotInstalled, 9},
  };
  std::set<std::string> english;
  for (const Row& row : rows) {
    EXPECT_EQ(ExitCodeNumber(ExitCodeOf(row.end)), row.code) << RunEndMeaning(row.end);
    english.insert(RunEndMeaning(row.end));
  }
  EXPECT_EQ(english.size(), std::size(rows));
  struct UninstallRow {
    UninstallOutcome outcome;
    RunEnd end;
  };
  const UninstallRow uninstallRows[] = {
      {UninstallOutcome::Removed, RunEnd::Uninstalled},       {UninstallOutcome::Incomplete, RunEnd::UninstallIncomplete},
      {UninstallOutcome::Declined, RunEnd::Declined},         {UninstallOutcome::HostRunning, RunEnd::HostRunning},
      {UninstallOutcome::NotInstalled, RunEnd::NotInstalled}, {UninstallOutcome::RecordDamaged, RunEnd::NotInstalled},
  };
  for (const UninstallRow& row : uninstallRows) EXPECT_EQ(EndOf(row.outcome), row.end) << RunEndMeaning(row.end);
}

}  // namespace
