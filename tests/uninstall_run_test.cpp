// Whole uninstall runs from the command line to the exit code, on a machine
// in memory that an unattended install has just set up: which folder each
// way of starting takes back, every way it ends, the boxes of an interactive
// run, the log, and the uninstaller in the install folder handing the run to
// a copy of itself.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "record/install_record.h"
#include "run/setup_run.h"
#include "run/take_back.h"
#include "tests/setup_world.h"

namespace {

using platform::Hive;
using W = SetupWorld;

const BuildInfo kBuild{20231218, 64};
const std::string kUninstaller = std::string(W::kDefaultInstall) + "\\Uninstall.exe";
const std::string kRecord = std::string(W::kDefaultInstall) + "\\Uninstall.ini";
const char kEntry[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZorvelBatchPlot";

int RunWith(const std::vector<std::string>& arguments) { return ExitCodeNumber(RunSetup(kBuild, arguments)); }

// A machine with the add-on installed into `folder` (the /DIR= text).
void Install(W& w, const std::string& folder = "C:\\Zorvel") {
  ASSERT_EQ(RunWith({"/S", "/DIR=" + folder, "/LOG=C:\\install.log"}), 0);
  w.boxes.Clear();
}

void DeleteEntry(W& w) {
  platform::ScopedKey root(w.registry, w.registry.OpenHive(Hive::LocalMachine));
  ASSERT_TRUE(w.registry.DeleteKey(root.get(), kEntry).ok());
}

bool Untouched(W& w) {
  return w.files.Exists(kRecord) && w.files.Exists(kUninstaller) && w.Loaded(W::kProduct2010, 2010) &&
         w.registry.KeyExists(Hive::LocalMachine, kEntry);
}

bool TakenBack(W& w) {
  return !w.files.Exists("C:\\Zorvel") && !w.AnyLoader() && w.TrustedPaths() == "d:\\lisp" &&
         !w.registry.KeyExists(Hive::LocalMachine, kEntry);
}

TEST(UninstallRun, EachWayItEndsAndWhatItLeaves) {
  struct Row {
    const char* what;
    std::function<void(W&)> stage;  // after the install
    std::vector<std::string> arguments;
    int exitCode;
    std::vector<std::string> logged;  // parts of one line of the temp log
    std::function<void(W&)> beforeInstall = [](W&) {};
    std::string stays = "";  // a file of the user's in the install folder
  };
  const Row rows[] = {
      {"the folder from Programs and Features", [](W&) {}, {"/UNINSTALL", "/S"}, 0,
       {"INFO ", "Exit code 0: uninstalled completely"}},
      {"the folder the install was given", [](W&) {}, {"/UNINSTALL", "/S", "/DIR=C:\\Zorvel"}, 0,
       {"Loader key HKLM\\", W::kProduct2010, "\\Applications\\ZV_BatchPlot2010 (64-bit registry view): removed"}},
      {"the install folder itself", [](W&) {}, {"-uninstall", "/s", "/DIR=C:\\Zorvel\\Zorvel批打印软件\\"}, 0,
       {"TRUSTEDPATHS of HKCU\\", W::kVariables, ": put back as it was before the install"}},
      {"the entry the user's, the machine's refused", [](W&) {}, {"/UNINSTALL", "/S"}, 0,
       {"Programs and Features entry HKCU\\", kEntry, ": removed"},
       [](W& w) { w.faultyRegistry.DenyWrites(Hive::LocalMachine, kEntry); }},
      {"AutoCAD running", [](W& w) { w.processes.SetImageNames({"acad.exe"}); }, {"/UNINSTALL", "/S"}, 3,
       {"WARN ", "Message: 请关闭AutoCAD后再进行卸载 !"}},
      {"no entry and no folder", [](W& w) { DeleteEntry(w); },
       {"/UNINSTALL", "/S"}, 9, {"Message: 本机没有安装Zorvel批打印软件"}},
      {"a folder with no record", [](W&) {}, {"/UNINSTALL", "/S", "/DIR=D:\\Other"}, 9,
       {"Message: 在 D:\\Other\\Zorvel批打印软件 中没有找到"}},
      {"the record of an install that did not finish", [](W& w) {
         const std::string text = w.files.Content(kRecord).value_or("");
         w.files.AddFile(kRecord, text.substr(0, text.rfind("[End]")) + std::string(8, '\0'));
       },
       {"/UNINSTALL", "/S"}, 0, {"WARN ", "the install into this folder did not finish"}},
      {"a record that is not one", [](W& w) { w.files.AddFile(kRecord, "[Zorvel]\r\nfiles=C:\\Windows\r\n"); },
       {"/UNINSTALL", "/S"}, 9, {"不是本程序的安装记录"}},
      {"a folder text that names no folder", [](W&) {}, {"/UNINSTALL", "/S", "/DIR=..\\Zorvel"}, 2,
       {"ERROR", "卸载目录无效 ! ..\\Zorvel"}},
      {"a record naming readme.txt with a trailing dot and a space, not as itself", [](W& w) {
         std::string text = w.files.Content(kRecord).value_or("");
         const std::size_t line = text.find("File=readme.txt\r\n");
         ASSERT_NE(line, std::string::npos);
         w.files.AddFile(kRecord, text.replace(line, 17, "File=readme.txt.\r\nFile=readme.txt \r\n"));
       },
       {"/UNINSTALL", "/S"}, 0, {"WARN ", "names a file Windows would take for another", "nothing of it removed"},
       [](W&) {}, std::string(W::kDefaultInstall) + "\\readme.txt"},
      {"another setup running", [](W& w) { w.locks.HoldElsewhere("Global\\ZorvelBatchPlotSetup"); },
       {"/UNINSTALL", "/S"}, 8, {"Exit code 8"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    W w;
    row.beforeInstall(w);
    Install(w);
    row.stage(w);
    EXPECT_EQ(RunWith(row.arguments), row.exitCode);
    EXPECT_TRUE(w.Logged(W::kTempLog, row.logged)) << testing::PrintToString(w.logs.Lines(W::kTempLog));
    EXPECT_TRUE(w.boxes.shown().empty());
    if (row.exitCode == 0) {
      EXPECT_TRUE(row.stays.empty() ? TakenBack(w) : w.files.Exists(row.stays) && !w.AnyLoader());
      EXPECT_FALSE(w.registry.KeyExists(Hive::CurrentUser, kEntry));
    } else {
      EXPECT_TRUE(w.Loaded(W::kProduct2010, 2010)) << "nothing changed";
      EXPECT_TRUE(w.files.Exists(kUninstaller));
    }
    EXPECT_TRUE(w.files.Exists(std::string(W::kAcad2010) + "\\Fonts\\Zorvel_HZ.shx")) << "fonts are kept";
    EXPECT_TRUE(w.files.Exists("C:\\Users\\user\\AppData\\Roaming\\Zorvel\\Zorvel.Ini")) << "settings are kept";
  }
}

TEST(UninstallRun, AStoppedInstallIsTakenBackInItsLog) {
  W w;
  Install(w);
  platform::Status opened;
  const std::unique_ptr<CInstallLog> log = CInstallLog::Open("C:\\install.log", &opened);
  ASSERT_TRUE(log);
  const TakeBackCount count =
      CUninstallTakeBack(64, log.get()).Run(W::kDefaultInstall, ReadRecord(W::kDefaultInstall).record, InstallRecord(),
                                            TakeBackOf::Unfinished);
  EXPECT_TRUE(count.undone > 0 && count.failed == 0);
  EXPECT_TRUE(TakenBack(w));
  EXPECT_TRUE(w.Logged("C:\\install.log", {"WARN ", "Taking back the install into ", "that stopped or did not finish"}) &&
              w.Logged("C:\\install.log", {"\\Applications\\ZV_BatchPlot2010 (64-bit registry view): removed"}));
}

TEST(UninstallRun, ProgramsAndFeaturesShowsTheSizeOfWhatTheRecordNames) {
  W w;
  w.files.AddFile("C:\\dist\\Data\\readme.txt", std::string(5000, 'r'));
  Install(w);
  std::size_t bytes = 0;
  for (const std::string& name : ReadRecord(W::kDefaultInstall).record.files)
    bytes += w.files.Content(std::string(W::kDefaultInstall) + "\\" + name).value_or("").size();
  EXPECT_GT(bytes, 5000u);
  platform::MemoryRegistry::StoredValue size;
  ASSERT_TRUE(w.registry.Stored(Hive::LocalMachine, kEntry, "EstimatedSize", &size));
  ASSERT_EQ(size.bytes.size(), 4u);
  std::uint32_t kilobytes = 0;
  for (int i = 3; i >= 0; --i) kilobytes = kilobytes << 8 | static_cast<unsigned char>(size.bytes[i]);
  EXPECT_EQ(kilobytes, (bytes + 1023) / 1024) << "the add-on's files only, rounded up";
}

TEST(UninstallRun, WhatCannotBeRemovedIsNamedCountedAndLeftForASecondRun) {
  W w;
  Install(w);
  const std::string held = std::string(W::kDefaultInstall) + "\\readme.txt";
  w.faultyFiles.FailDelete(held);
  EXPECT_EQ(RunWith({"/UNINSTALL", "/S"}), 7);
  EXPECT_TRUE(w.Logged(W::kTempLog, {"ERROR", "File " + held + ": not removed, error 32"}));
  EXPECT_TRUE(w.Logged(W::kTempLog, {"WARN ", "Exit code 7: uninstalled, but some of it could not be removed"}));
  EXPECT_FALSE(w.AnyLoader());
  EXPECT_TRUE(w.registry.KeyExists(Hive::LocalMachine, kEntry)) << "the way in for the second run";
  EXPECT_TRUE(w.files.Exists(kUninstaller));

  w.faultyFiles.ClearFailures();
  EXPECT_EQ(RunWith({"/UNINSTALL", "/S"}), 0);
  EXPECT_TRUE(TakenBack(w));
}

TEST(UninstallRun, InteractiveAsksFirstAndTellsWhatWasRemovedAndKept) {
  struct Row {
    int answer;
    int exitCode;
  };
  for (const Row& row : {Row{platform::kIdYes, 0}, Row{platform::kIdNo, 1}, Row{platform::kIdFailed, 1}}) {
    SCOPED_TRACE(row.answer);
    W w;
    const std::string driver = std::string(W::kAcad2008) + "\\Drv\\pdfplot9.hdi";
    w.files.AddFile(driver, "AutoCAD's own plot driver");
    Install(w);
    if (row.answer != platform::kIdFailed) w.boxes.Answer(row.answer);
    w.boxes.Answer(platform::kIdOk);
    EXPECT_EQ(RunWith({"/UNINSTALL"}), row.exitCode);
    ASSERT_GE(w.boxes.shown().size(), 1u);
    const platform::ShownBox& question = w.boxes.shown()[0];
    EXPECT_EQ(question.caption, "Zorvel软件安装");
    EXPECT_EQ(question.style, platform::kMbYesNo | platform::kMbIconQuestion);
    EXPECT_NE(question.text.find("确定要卸载Zorvel批打印软件吗？"), std::string::npos);
    EXPECT_FALSE(w.logs.Exists(W::kTempLog)) << "no log unless asked for";
    if (row.exitCode != 0) {
      EXPECT_EQ(w.boxes.shown().size(), 1u);
      EXPECT_TRUE(Untouched(w));
      continue;
    }
    ASSERT_EQ(w.boxes.shown().size(), 2u);
    const std::string& summary = w.boxes.shown()[1].text;
    EXPECT_EQ(summary.rfind("Zorvel批打印软件已卸载。", 0), 0u) << summary;
    EXPECT_NE(summary.find("以下内容已保留："), std::string::npos);
    EXPECT_NE(summary.find("字体文件"), std::string::npos);
    EXPECT_NE(summary.find("AutoCAD 2008原有的打印驱动程序已恢复"), std::string::npos) << summary;
    EXPECT_TRUE(TakenBack(w));
    EXPECT_EQ(w.files.Content(driver), "AutoCAD's own plot driver");
  }
}

TEST(UninstallRun, InteractiveBoxesForWhyNothingWasDone) {
  struct Row {
    const char* what;
    std::function<void(W&)> stage;
    std::vector<std::string> arguments;
    int exitCode;
    std::string boxStart;
  };
  const Row rows[] = {
      {"AutoCAD running", [](W& w) { w.processes.SetImageNames({"ACAD.EXE"}); }, {"/UNINSTALL"}, 3,
       "请关闭AutoCAD后再进行卸载 !"},
      {"nothing installed", [](W& w) { DeleteEntry(w); }, {"/UNINSTALL"}, 9,
       "本机没有安装Zorvel批打印软件"},
      {"releases named", [](W&) {}, {"/UNINSTALL", "/RELEASES=2010"}, 2, "卸载时不能指定 /RELEASES"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    W w;
    Install(w);
    row.stage(w);
    EXPECT_EQ(RunWith(row.arguments), row.exitCode);
    ASSERT_EQ(w.boxes.shown().size(), 1u);
    EXPECT_EQ(w.boxes.shown()[0].text.substr(0, row.boxStart.size()), row.boxStart);
    EXPECT_EQ(w.boxes.shown()[0].caption, "Zorvel软件安装");
    EXPECT_TRUE(w.files.Exists(kUninstaller));
  }
}

// The uninstaller in the install folder, as Programs and Features starts it:
// the copy it starts is this same program, run here with the copy as its
// file, and so is the copy's last run that removes the uninstaller.
class FromTheInstallFolder : public testing::Test {
 protected:
  void SetUp() override {
    Install(w_);
    w_.files.SetModulePath(kUninstaller);
    w_.processes.SetProgram([this](const std::string& program, const std::vector<std::string>& arguments) {
      if (!w_.files.Exists(program)) return std::optional<std::uint32_t>();
      runs_.push_back(arguments);
      w_.files.SetModulePath(program);
      const int code = RunWith(arguments);
      w_.files.SetModulePath(kUninstaller);
      return std::optional<std::uint32_t>(code);
    });
  }

  W w_;
  std::vector<std::vector<std::string>> runs_;
};

TEST_F(FromTheInstallFolder, TheCopyRemovesEverythingAndTheStartedProgramEndsWithItsCode) {
  EXPECT_EQ(RunWith({"/S"}), 0);
  const std::string folder = "/REMOVE=" + std::string(W::kDefaultInstall);
  ASSERT_EQ(runs_.size(), 2u);
  EXPECT_EQ(runs_[0], (std::vector<std::string>{folder, "/S"}));
  EXPECT_EQ(runs_[1], (std::vector<std::string>{folder, "/S", "/FINISH=4242"}));
  EXPECT_EQ(w_.processes.waitedFor(), (std::vector<std::uint32_t>{4242}));
  EXPECT_TRUE(TakenBack(w_));
  EXPECT_TRUE(w_.Logged(W::kTempLog, {"Uninstaller and install record removed from ", W::kDefaultInstall}));
  const std::string handOver = "C:\\Windows\\Temp\\ZorvelUninstall-4242";
  EXPECT_EQ(w_.processes.started()[0].program, handOver + "\\Uninstall.exe") << "with full rights";
  EXPECT_EQ(w_.files.atRestart(), (std::vector<std::string>{handOver + "\\Uninstall.exe", handOver}));
  EXPECT_TRUE(w_.Logged(W::kTempLog, {"The uninstaller's copy and its folder " + handOver + " go when Windows next starts"}));
}

TEST_F(FromTheInstallFolder, TheCopysExitCodeIsTheStartedProgramsOne) {
  w_.processes.SetImageNames({"acad.exe"});
  w_.boxes.Answer(platform::kIdOk);
  EXPECT_EQ(RunWith({"/LOG=C:\\u.log"}), 3);
  ASSERT_EQ(w_.boxes.shown().size(), 1u) << "the copy tells, not the uninstaller";
  EXPECT_EQ(runs_[0], (std::vector<std::string>{"/REMOVE=" + std::string(W::kDefaultInstall), "/LOG=C:\\u.log"}));
  EXPECT_TRUE(Untouched(w_)) << "the finish leaves an uninstaller whose record names more";
}

// Asked for the usage, the uninstaller hands nothing over and removes nothing.
TEST_F(FromTheInstallFolder, TheUsageIsOnlyTheUsage) {
  EXPECT_EQ(RunWith({"/S", "/?"}), 0);
  EXPECT_TRUE(runs_.empty());
  EXPECT_TRUE(Untouched(w_));
  EXPECT_TRUE(w_.Logged(W::kTempLog, {"INFO ", "Exit code 0: the usage asked for; nothing done"}));
}

TEST_F(FromTheInstallFolder, WithNoCopyTheUninstallerRemovesAllButItself) {
  w_.processes.FailStarts(platform::kErrorAccessDenied);
  EXPECT_EQ(RunWith({"/S"}), 0);
  EXPECT_FALSE(w_.AnyLoader());
  EXPECT_FALSE(w_.registry.KeyExists(Hive::LocalMachine, kEntry));
  EXPECT_TRUE(w_.files.Exists(kUninstaller));
  EXPECT_TRUE(w_.Logged(W::kTempLog, {"WARN ", "could not run from a copy in the temp folder (error 5"}));
  const ParsedRecord left = ReadRecord(W::kDefaultInstall);
  EXPECT_EQ(left.record.files, (std::vector<std::string>{"Uninstall.exe"})) << "a later run finishes the job";
}

}  // namespace
