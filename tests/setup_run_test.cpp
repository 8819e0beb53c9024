// Whole runs of the setup program from its command line to its exit code,
// on a machine in memory: the unattended install for every exit code, what
// each leaves on the machine and in the log, and the dialog preset by the
// switches.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "install/messages.h"
#include "record/install_record.h"
#include "record/logon_steps.h"
#include "record/user_record.h"
#include "run/run_steps.h"
#include "run/setup_run.h"
#include "tests/dialog_probe.h"
#include "tests/fakes/limited_token.h"
#include "tests/setup_world.h"
#include "ui/setup_template.h"

namespace {

using platform::Hive;
using W = SetupWorld;

const BuildInfo kBuild{20231218, 64};

int RunWith(const std::vector<std::string>& arguments) {
  return ExitCodeNumber(RunSetup(kBuild, arguments));
}

std::string In(const std::string& folder, const char* name) { return folder + "\\" + name; }

TEST(SilentInstall, EachWayItEndsAndWhatItLeaves) {
  const std::string chineseFolder = "D:\\CAD\\插件";
  const std::string chineseInstall = chineseFolder + "\\Zorvel批打印软件";
  const std::string chineseLog = "C:\\日志\\安装.log";
  struct Row {
    const char* what;
    std::vector<std::string> arguments;
    std::function<void(W&)> stage;
    int exitCode;
    std::string log;                  // where the log goes
    std::vector<std::string> logged;  // parts of one line in it
    std::string installDir;           // where the payload is; empty: nowhere
    bool registered;                  // the 2010 loader
  };
  const Row rows[] = {
      {"all well", {"/S"}, [](W&) {}, 0, W::kTempLog, {"INFO ", "Exit code 0: installed completely"},
       W::kDefaultInstall, true},
      {"a Chinese folder made level by level, a Chinese log, releases named and absent",
       {"/S", "/DIR=" + chineseFolder, "/RELEASES=2010,2016,2031", "/LOG=" + chineseLog},
       [](W& w) {
         w.files.AddDrive('D');
         w.files.AddFolder("C:\\日志");
       },
       0, chineseLog, {"WARN ", "AutoCAD 2016 skipped: named in /RELEASES, but not installed on this machine"},
       chineseInstall, true},
      {"AutoCAD running", {"/S"}, [](W& w) { w.processes.SetImageNames({"acad.exe"}); }, 3, W::kTempLog,
       {"Message: 请关闭AutoCAD后再进行安装 !"}, "", false},
      {"no Data folder", {"/S"}, [](W& w) { w.files.Remove("C:\\dist\\Data"); }, 4, W::kTempLog,
       {"ERROR", "Message: 未找到安装所需的Data文件夹 ! 可能安装文件下载后没有解压，"}, "", false},
      {"a name the picker refuses", {"/S", "/DIR=C:\\bad|name"}, [](W&) {}, 5, W::kTempLog,
       {"ERROR", "Message: 安装目录无效 ! C:\\bad|name"}, "", false},
      {"a relative folder", {"/S", "/DIR=Zorvel"}, [](W&) {}, 5, W::kTempLog, {"安装目录无效"}, "", false},
      {"a folder too long", {"/S", "/DIR=C:\\" + std::string(230, 'x')}, [](W&) {}, 5, W::kTempLog,
       {"安装目录太长"}, "", false},
      {"a drive that does not exist", {"/S", "/DIR=Q:\\Zorvel"}, [](W&) {}, 5, W::kTempLog,
       {"无法创建安装目录 ! 驱动器 Q: 不存在"}, "", false},
      {"a folder that cannot be made", {"/S", "/DIR=C:\\Locked\\Zorvel"},
       [](W& w) { w.faultyFiles.FailCreateDirectory("C:\\Locked"); }, 5, W::kTempLog, {"无法创建安装目录"}, "",
       false},
      {"a copy that succeeds on the third retry", {"/S"},
       [](W& w) { w.faultyFiles.FailCopiesTo(In(W::kDefaultInstall, "readme.txt"), 3); }, 0, W::kTempLog,
       {"WARN ", "Copying C:\\Zorvel\\Zorvel批打印软件\\readme.txt again"}, W::kDefaultInstall, true},
      {"a copy that never succeeds", {"/S"},
       [](W& w) { w.faultyFiles.FailCopiesTo(In(W::kDefaultInstall, "readme.txt")); }, 6, W::kTempLog,
       {"ERROR", "readme.txt (10 bytes): not copied, error 32: 另一个程序正在使用此文件，进程无法访问。"}, "", false},
      {"the settings file refused", {"/S"},
       [](W& w) { w.faultyFiles.FailCopiesTo("C:\\Users\\user\\AppData\\Roaming\\Zorvel\\Zorvel.Ini"); }, 7,
       W::kTempLog, {"WARN ", "Going on without C:\\Users\\user\\AppData\\Roaming\\Zorvel\\Zorvel.Ini"},
       W::kDefaultInstall, true},
      {"AutoCAD settings refused", {"/S"},
       [](W& w) { w.faultyRegistry.DenyWrites(Hive::LocalMachine, ""); }, 7, W::kTempLog,
       {"ERROR", W::kProduct2010, "LOADER not written", "error 5: 拒绝访问。"}, W::kDefaultInstall, false},
      {"another setup running", {"/S"}, [](W& w) { w.locks.HoldElsewhere("Global\\ZorvelBatchPlotSetup"); }, 8,
       W::kTempLog, {"Exit code 8: another setup program is running; nothing done"}, "", false},
      {"an unknown switch", {"/S", "/DIR=C:\\x", "/RELEASE=2010"}, [](W&) {}, 2, W::kTempLog,
       {"Command line not understood: 无法识别的参数：“/RELEASE=2010”"}, "", false},
      {"the usage asked for", {"/S", "/?"}, [](W&) {}, 0, W::kTempLog, {"Usage asked for"}, "", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    W w;
    row.stage(w);
    EXPECT_EQ(RunWith(row.arguments), row.exitCode);
    EXPECT_TRUE(w.boxes.shown().empty()) << w.boxes.shown().front().text;
    EXPECT_TRUE(w.Logged(row.log, row.logged)) << testing::PrintToString(w.logs.Lines(row.log));
    EXPECT_TRUE(w.Logged(row.log, {"Exit code " + std::to_string(row.exitCode) + ": "}));
    if (row.log != W::kTempLog) {
      EXPECT_FALSE(w.logs.Exists(W::kTempLog));
    }
    if (row.installDir.empty()) {
      // Exit codes 2 to 5 and 8 change nothing; 6 keeps what it copied.
      if (row.exitCode != 6) {
        EXPECT_FALSE(w.files.Exists("C:\\Zorvel")) << "a folder was made";
      }
    } else {
      EXPECT_EQ(w.files.Content(In(row.installDir, "itextsharp.dll")), "Zorvel.prt7");
      EXPECT_EQ(w.files.Content(In(row.installDir, "readme.txt")), "readme.txt");
    }
    EXPECT_EQ(w.Loaded(W::kProduct2010, 2010), row.registered);
    if (row.exitCode != 0 && row.exitCode != 7) {
      EXPECT_FALSE(w.AnyLoader());
      EXPECT_EQ(w.TrustedPaths(), "d:\\lisp");
    }
    EXPECT_FALSE(w.locks.HeldHere("Global\\ZorvelBatchPlotSetup")) << "the lock outlives the run";
  }
}

TEST(SilentInstall, RetriesAFailedCopyThreeTimesASecondApartThenAborts) {
  struct Row {
    int failures;
    int exitCode;
    std::vector<unsigned> sleeps;
  };
  const Row rows[] = {
      {1, 0, {1000}},
      {3, 0, {1000, 1000, 1000}},
      {4, 6, {1000, 1000, 1000}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.failures);
    W w;
    const std::string blocked = In(W::kDefaultInstall, "itextsharp.dll");
    w.faultyFiles.FailCopiesTo(blocked, row.failures);
    EXPECT_EQ(RunWith({"/S"}), row.exitCode);
    EXPECT_EQ(w.clock.sleeps(), row.sleeps);
    EXPECT_EQ(w.files.Exists(blocked), row.exitCode == 0);
    // The files copied before the blocked one are taken back after an abort,
    // and the log says so.
    EXPECT_EQ(w.files.Exists(In(W::kDefaultInstall, "ZV_BatchPlot2010.ARX")), row.exitCode == 0);
    EXPECT_EQ(w.Logged(W::kTempLog, {"WARN ", "Taking back the install"}), row.exitCode != 0);
  }
}

TEST(SilentInstall, ReleasesNamedAreTheOnlyOnesRegistered) {
  struct Row {
    std::string releases;
    bool with2007, with2008, with2010;
  };
  const Row rows[] = {
      {"all", true, true, true},
      {"2008", false, true, false},
      {"2007,2010", true, false, true},
      {"2016", false, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.releases);
    W w;
    EXPECT_EQ(RunWith({"/S", "/RELEASES=" + row.releases}), 0);
    EXPECT_EQ(w.Loaded(W::kProduct2007, 2007), row.with2007);
    EXPECT_EQ(w.Loaded(W::kProduct2008, 2008), row.with2008);
    EXPECT_EQ(w.Loaded(W::kProduct2010, 2010), row.with2010);
    EXPECT_EQ(w.files.Exists(std::string(W::kAcad2008) + "\\Drv\\pdfplot9.hdi"), row.with2008);
  }
}

TEST(SilentInstall, TheLogTellsTheWholeRun) {
  W w;
  w.system.SetArguments({"/S", "/DIR=C:\\Zorvel"});
  w.faultyFiles.FailCopiesTo(std::string(W::kAcad2010) + "\\Fonts\\Zorvel_HZ.shx", platform::FaultyFiles::kAlways,
                             platform::kErrorAccessDenied);
  ASSERT_EQ(RunWith({"/S", "/DIR=C:\\Zorvel"}), 7);
  const std::vector<std::vector<std::string>> expected = {
      {"2023-12-18 09:05:03.042 INFO  [4242 first] ===== Zorvel批打印软件 SetUp.exe 2023.12.18.0, 64-bit edition"},
      {"Program: C:\\dist\\SetUp.exe"},
      {"Command line: \"C:\\dist\\SetUp.exe\" /S /DIR=C:\\Zorvel"},
      {"User: user, elevated: yes"},
      {"Windows 10.0.19045"},
      {"Found AutoCAD 2007: product key HKLM\\", W::kProduct2007, ", 32-bit registry view, location ", W::kAcad2007},
      {"Found AutoCAD 2010: product key HKLM\\", W::kProduct2010, ", 64-bit registry view, location ", W::kAcad2010},
      {"Install into \"C:\\Zorvel\" for AutoCAD 2007, 2008, 2010"},
      {"INFO  [4242 first] Install folder C:\\Zorvel\\Zorvel批打印软件: made; only administrators"},
      {"INFO  [4242 first] File C:\\dist\\Data\\readme.txt -> C:\\Zorvel\\Zorvel批打印软件\\readme.txt (10 bytes): copied"},
      {"Settings file C:\\dist\\Data\\Zorvel.Ini -> C:\\Users\\user\\AppData\\Roaming\\Zorvel\\Zorvel.Ini"},
      {"INFO  [4242 first] Registry HKLM\\", W::kProduct2008, "\\Applications\\ZV_BatchPlot2008 LOADER written: "
       "C:\\Zorvel\\Zorvel批打印软件\\ZV_BatchPlot2008.ARX"},
      {"Applications\\ZV_BatchPlot2008 LOADCTRLS written: 2"},
      {"INFO  [4242 first] Registry HKCU\\", W::kVariables, " TRUSTEDPATHS before: d:\\lisp; written: D:\\LISP;C:\\ZORVEL\\ZORVEL批打印软件"},
      {"INFO  [4242 first] Support file C:\\dist\\Data\\Zorvel.prt5 -> ", W::kAcad2008, "\\Drv\\pdfplot9.hdi: copied"},
      {"ERROR [4242 first] Support file C:\\dist\\Data\\Zorvel_HZ.shx -> ", W::kAcad2010, "\\Fonts\\Zorvel_HZ.shx: not copied, error 5: 拒绝访问。"},
      {"WARN  [4242 first] Message: 文件已安装，但有1个支持文件未能复制到AutoCAD文件夹， AutoCAD可能无法加载"},
      {"WARN  [4242 first] Outcome: installed, but some AutoCAD settings, support files or parts of the uninstaller were not written "
       "(0 settings, 1 support files)"},
      {"WARN  [4242 first] Exit code 7: "},
  };
  for (const std::vector<std::string>& parts : expected)
    EXPECT_TRUE(w.Logged(W::kTempLog, parts)) << parts[0] << "\n" << testing::PrintToString(w.logs.Lines(W::kTempLog));
}

// As on a default Windows, where an administrator's token is filtered: the
// machine's part is refused, the user's is written.
TEST(SilentInstall, WithoutFullRightsTheRefusalsAreLoggedAndCounted) {
  W w;
  platform::LimitedToken limited(platform::TokenRights::Limited);
  ASSERT_EQ(RunWith({"/S"}), 7);
  EXPECT_TRUE(w.Logged(W::kTempLog, {"User: user, elevated: no"}));
  EXPECT_FALSE(w.AnyLoader());
  EXPECT_FALSE(w.files.Exists(std::string(W::kAcad2010) + "\\Fonts\\Zorvel_HZ.shx"));
  EXPECT_EQ(w.TrustedPaths(), "D:\\LISP;C:\\ZORVEL\\ZORVEL批打印软件");
  EXPECT_TRUE(w.files.Exists(std::string(W::kDefaultInstall) + "\\readme.txt"));
}

TEST(SilentInstall, ALogThatCannotBeOpenedStopsTheRunBeforeAnything) {
  struct Row {
    std::vector<std::string> arguments;
    std::string log;
  };
  const Row rows[] = {
      {{"/S", "/LOG=\\\\server\\gone\\PC1.log"}, "\\\\server\\gone\\PC1.log"},
      {{"/S"}, W::kTempLog},
  };
  for (const Row& row : rows) {
    W w;
    w.logs.FailOpen(row.log, platform::kErrorPathNotFound);
    EXPECT_EQ(RunWith(row.arguments), 2);
    EXPECT_TRUE(w.boxes.shown().empty());
    EXPECT_FALSE(w.files.Exists("C:\\Zorvel"));
  }
}

TEST(SilentInstall, ALogThatFailsMidwayDoesNotStopTheInstall) {
  W w;
  w.logs.FailWritesAfter(W::kTempLog, 3);
  EXPECT_EQ(RunWith({"/S"}), 0);
  EXPECT_EQ(w.logs.Lines(W::kTempLog).size(), 3u);
  EXPECT_TRUE(w.Loaded(W::kProduct2010, 2010));
}

// Runs that end before any window: a message box tells, unless /S.
TEST(CommandLineRun, BoxesBeforeTheDialog) {
  struct Row {
    const char* what;
    std::vector<std::string> arguments;
    std::function<void(W&)> stage;
    int exitCode;
    std::string boxStart;
  };
  const Row rows[] = {
      {"usage", {"/HELP"}, [](W&) {}, 0, "用法：SetUp.exe [/S]"},
      {"unknown switch", {"/X", "/Y"}, [](W&) {}, 2, "无法识别的参数：“/X”\n无法识别的参数：“/Y”\n\n用法："},
      {"a log that cannot be opened", {"/LOG=C:\\nowhere\\x.log"},
       [](W& w) { w.logs.FailOpen("C:\\nowhere\\x.log", platform::kErrorPathNotFound); }, 2,
       "无法打开日志文件 !\n\nC:\\nowhere\\x.log\n\n错误 3：系统找不到指定的路径。\n\n用法："},
      {"another setup running", {}, [](W& w) { w.locks.HoldElsewhere("Global\\ZorvelBatchPlotSetup"); }, 8,
       AlreadyRunningText()},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    W w;
    row.stage(w);
    EXPECT_EQ(RunWith(row.arguments), row.exitCode);
    ASSERT_EQ(w.boxes.shown().size(), 1u);
    EXPECT_EQ(w.boxes.shown()[0].text.substr(0, row.boxStart.size()), row.boxStart);
    EXPECT_EQ(w.boxes.shown()[0].caption, "Zorvel软件安装");
    EXPECT_FALSE(w.files.Exists("C:\\Zorvel"));
  }
}

class DialogRunTest : public testing::TestWithParam<std::shared_ptr<DialogRunner>> {
 protected:
  int RunWithDialog(const std::vector<std::string>& arguments, const std::function<void(DialogProbe&)>& script) {
    int code = -1;
    GetParam()->Run(
        [&] {
          code = RunWith(arguments);
          return std::intptr_t{0};
        },
        script);
    return code;
  }

  static int Box(int year) { return kReleaseBoxIds[year - kFirstReleaseYear]; }
};

TEST_P(DialogRunTest, SwitchesPresetTheFolderAndTheTicksAndTheRunIsLogged) {
  W w;
  w.files.AddDrive('D');
  const int code = RunWithDialog({"/DIR=D:\\预设", "/RELEASES=2010,2016", "/LOG=C:\\setup.log", "/ALLUSERS"},
                                 [&](DialogProbe& probe) {
    EXPECT_EQ(probe.Text(kIdInstallPath), "D:\\预设");
    EXPECT_EQ(probe.Check(Box(2010)), 1);
    for (int year : {2007, 2008}) {
      EXPECT_EQ(probe.Check(Box(year)), 0) << year;
      EXPECT_TRUE(probe.IsEnabled(Box(year))) << "the user may still tick " << year;
    }
    EXPECT_FALSE(probe.IsEnabled(Box(2016)));
    ASSERT_TRUE(probe.Click(kIdInstall));
    ASSERT_TRUE(probe.IsVisible(kIdDoneHeading));
    probe.Click(kIdFinish);
  });
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(w.Loaded(W::kProduct2010, 2010));
  EXPECT_FALSE(w.Loaded(W::kProduct2008, 2008));
  EXPECT_EQ(w.files.Content("D:\\预设\\Zorvel批打印软件\\readme.txt"), "readme.txt");
  EXPECT_TRUE(w.Logged("C:\\setup.log", {"AutoCAD 2016 skipped: named in /RELEASES, but not installed"}));
  EXPECT_TRUE(w.Logged("C:\\setup.log", {"Install into \"D:\\预设\" for AutoCAD 2010"}));
  EXPECT_TRUE(w.Logged("C:\\setup.log", {"Exit code 0: installed completely"}));
  EXPECT_FALSE(w.logs.Exists(W::kTempLog));
  EXPECT_TRUE(w.registry.KeyExists(Hive::LocalMachine, kActiveSetupKey)) << "for every user";
  EXPECT_EQ(w.TrustedPaths(), "d:\\lisp") << "the logon steps serve the user who installs";
}

TEST_P(DialogRunTest, TheDialogsEndIsTheExitCode) {
  struct Row {
    const char* what;
    std::function<void(W&)> stage;
    std::function<void(DialogProbe&)> script;
    int exitCode;
  };
  const Row rows[] = {
      {"closed at once", [](W&) {}, [](DialogProbe& probe) { probe.Close(); }, 1},
      {"cancelled after the running-AutoCAD warning",
       [](W& w) {
         w.processes.SetImageNames({"acad.exe"});
         w.boxes.Answer(platform::kIdOk);
       },
       [](DialogProbe& probe) {
         probe.Click(kIdInstall);
         probe.Click(kIdCancelButton);
       },
       1},
      {"installed, closed by the close box", [](W&) {},
       [](DialogProbe& probe) {
         probe.Click(kIdInstall);
         probe.Close();
       },
       0},
      {"installed with a warning",
       [](W& w) {
         w.files.Remove(std::string(W::kAcad2010) + "\\Fonts");
         w.boxes.Answer(platform::kIdOk);
       },
       [](DialogProbe& probe) {
         probe.Click(kIdInstall);
         probe.Click(kIdFinish);
       },
       7},
      {"no Data folder",
       [](W& w) {
         w.files.Remove("C:\\dist\\Data");
         w.boxes.Answer(platform::kIdOk);
       },
       [](DialogProbe& probe) { probe.Click(kIdInstall); }, 4},
      {"a copy aborted",
       [](W& w) {
         w.faultyFiles.FailCopiesTo(In(W::kDefaultInstall, "readme.txt"));
         w.boxes.Answer(platform::kIdAbort);
       },
       [](DialogProbe& probe) { probe.Click(kIdInstall); }, 6},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    W w;
    row.stage(w);
    EXPECT_EQ(RunWithDialog({}, row.script), row.exitCode);
    EXPECT_FALSE(w.logs.Exists(W::kTempLog)) << "no switch, no log";
  }
}

INSTANTIATE_FOR_EVERY_WINDOW_HOST(DialogRunTest);

// The logon step (/USERPART) of an installation for every user, run by its
// uninstaller as a standard user: the user's part and record once, nothing
// (not even a log line) once served, no lock, no window, no hand-over.
TEST(LogonStep, ServesTheUserLoggingOnOnceAndQuietly) {
  const std::string settings = "C:\\Users\\user\\AppData\\Roaming\\Zorvel\\Zorvel.Ini";
  const std::string gained = "D:\\LISP;C:\\ZORVEL\\ZORVEL批打印软件";
  struct Row {
    const char* what;
    std::string releases;
    std::uint32_t allUsers;
    std::function<void(W&)> stage;
    int exitCode;
    std::string trusted;
    std::uint32_t served;  // the user's record afterwards
    bool placed;           // the settings file
    const char* logged;    // null: no log line at all
  };
  const Row rows[] = {
      {"not served yet, while another setup runs", "2010", 1, [](W& w) { w.locks.HoldElsewhere(kInstanceLockName); }, 0,
       gained, 1, true, "INFO  [4242 first] User S-1-5-21-1000-2000-3000-1001 (profile C:\\Users\\user, logged on): "},
      {"served at this serial", "2010", 1, [](W&) { (void)WriteUserRecord(UserRecord{W::kDefaultInstall, 1, 1, {}, ""}); },
       0, "d:\\lisp", 1, false, nullptr},
      {"served at an earlier serial", "2010", 2,
       [](W&) { (void)WriteUserRecord(UserRecord{W::kDefaultInstall, 1, 1, {}, ""}); }, 0, gained, 2, true, "record written"},
      {"an installation for one user", "2010", 0, [](W&) {}, 0, "d:\\lisp", 0, false, nullptr},
      {"AutoCAD 2008 not started yet by this user", "2008,2010", 1, [](W&) {}, 0, gained, 0, true,
       "no profile yet of HKLM\\SOFTWARE\\Autodesk\\AutoCAD\\R17.1\\ACAD-6001:804"},
      {"nothing left to change, but AutoCAD 2008 not started yet", "2008,2010", 1,
       [gained, settings](W& w) {
         w.Text(Hive::CurrentUser, W::kVariables, "TRUSTEDPATHS", gained);
         w.files.AddFile(settings, "the user's own");
       },
       0, gained, 0, false, nullptr},
      {"the profile refused", "2010", 1,
       [](W& w) { w.faultyRegistry.DenyWrites(platform::Hive::CurrentUser, W::kVariables); }, 7, "d:\\lisp", 0, true,
       "WARN  [4242 first] Exit code 7: some of the user's part"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    W w;
    ASSERT_EQ(RunWith({"/S", "/RELEASES=" + row.releases, "/LOG=C:\\install.log"}), 0);
    ParsedRecord parsed = ReadRecord(W::kDefaultInstall);
    parsed.record.allUsers = row.allUsers;
    parsed.record.files.push_back("Zorvel.Users.Ini");
    ASSERT_TRUE(WriteRecord(W::kDefaultInstall, parsed.record));
    w.files.AddFile(In(W::kDefaultInstall, "Zorvel.Users.Ini"), "for every user");
    w.files.Remove(settings);
    w.Text(Hive::CurrentUser, W::kVariables, "TRUSTEDPATHS", "d:\\lisp");
    w.files.SetModulePath(In(W::kDefaultInstall, "Uninstall.exe"));
    w.rights.SetToken(platform::TokenRights::Standard);
    w.rights.SetAccount({"S-1-5-21-1000-2000-3000-1001", "PC\\user"});
    w.environment.SetVariable("USERPROFILE", "C:\\Users\\user");
    row.stage(w);
    EXPECT_EQ(RunWith({"/USERPART"}), row.exitCode);
    EXPECT_EQ(w.TrustedPaths(), row.trusted);
    EXPECT_EQ(ReadUserRecord().record.served, row.served);
    EXPECT_EQ(w.files.Content(settings) == "for every user", row.placed);
    EXPECT_EQ(w.logs.Exists(W::kTempLog), row.logged != nullptr);
    if (row.logged) {
      EXPECT_TRUE(w.Logged(W::kTempLog, {row.logged})) << testing::PrintToString(w.logs.Lines(W::kTempLog));
    }
    EXPECT_TRUE(w.boxes.shown().empty() && w.rights.elevatedRequests().empty() && w.processes.started().empty());
  }
}

}  // namespace
