// The install engine without any window: what an installation does and how
// it ends, told to a driver that records everything and answers from a script.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "deploy/product.h"
#include "install/install_engine.h"
#include "platform/mbcs.h"
#include "tests/fakes/append_files.h"
#include "tests/fakes/crash_shim.h"
#include "tests/fakes/environment.h"
#include "tests/fakes/faulty_files.h"
#include "tests/fakes/faulty_registry.h"
#include "tests/fakes/files.h"
#include "tests/fakes/processes.h"
#include "tests/fakes/registry.h"
#include "tests/fakes/rights.h"
#include "tests/fakes/services.h"
#include "tests/fakes/user_hives.h"
#include "record/logon_steps.h"
#include "record/user_record.h"
#include "run/take_back.h"
#include "tests/recording_driver.h"
#include "tests/snapshot.h"
#include "uninstall/uninstall_drivers.h"
#include "uninstall/uninstall_engine.h"

namespace {

using platform::Hive;

const char kProduct2008[] = "SOFTWARE\\Autodesk\\AutoCAD\\R17.1\\ACAD-6001:804";
const char kProduct2010[] = "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804";
const char kVariables[] = "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Profiles\\Default\\Variables";
const char kAcad2008[] = "C:\\AutoCAD 2008";
const char kAcad2010[] = "C:\\AutoCAD 2010";
const char kInstall[] = "C:\\Zorvel\\Zorvel批打印软件";

// A machine with AutoCAD 2008 and 2010, one profile, and a distribution
// beside C:\dist\SetUp.exe; the services reach it through the failure shims.
struct Machine {
  Machine() {
    files.SetModulePath("C:\\dist\\SetUp.exe");
    files.AddFile("C:\\dist\\SetUp.exe", "the setup program");
    for (const char* name : {"SetUp.EXE", "ZV_BatchPlot2008.ARX", "ZV_BatchPlot2010.ARX", "Zorvel.prt7", "Zorvel.Ini",
                             "Zorvel_EN.shx", "Zorvel_HZ.shx", "Zorvel.prt5"})
      files.AddFile(std::string("C:\\dist\\Data\\") + name, name);
    files.AddFolder("C:\\Users\\user\\AppData\\Roaming");
    for (const char* location : {kAcad2008, kAcad2010}) files.AddFolder(std::string(location) + "\\Fonts");
    files.AddFolder(std::string(kAcad2008) + "\\Drv");
    Product(kProduct2008, kAcad2008, "AutoCAD 2008");
    Product(kProduct2010, kAcad2010, "AutoCAD 2010");
    Text(Hive::CurrentUser, kVariables, "TRUSTEDPATHS", "d:\\lisp");
    platform::SetFiles(&faultyFiles);
    platform::SetRegistry(&faultyRegistry);
    platform::SetEnvironment(&environment);
    platform::SetProcesses(&processes);
    platform::SetRights(&rights);
    platform::SetAppendFiles(&appends);
    hosts.Discover();
    request.folderText = "C:\\Zorvel";
    request.build = {20231218, 64};
    request.ticked[2008 - kFirstReleaseYear] = 1;
    request.ticked[2010 - kFirstReleaseYear] = 1;
  }
  ~Machine() {
    platform::SetAppendFiles(nullptr);
    platform::SetRights(nullptr);
    platform::SetFiles(nullptr);
    platform::SetRegistry(nullptr);
    platform::SetEnvironment(nullptr);
    platform::SetProcesses(nullptr);
  }

  void Text(Hive hive, const std::string& key, const std::string& name, const std::string& text) {
    platform::ScopedKey root(registry, registry.OpenHive(hive));
    platform::ScopedKey opened(registry, registry.Create(root.get(), key));
    (void)registry.SetValue(opened.get(), name, platform::kRegSz, text.data(), static_cast<std::uint32_t>(text.size()));
  }
  void Product(const std::string& key, const std::string& location, const std::string& name) {
    Text(Hive::LocalMachine, key, "AcadLocation", location);
    Text(Hive::LocalMachine, key, "ProductName", name);
  }
  InstallReport Install() { return CInstallEngine(hosts, &takeBack).Install(request, driver); }
  bool Loaded(const char* product, int year) {
    return registry.KeyExists(Hive::LocalMachine,
                              std::string(product) + "\\Applications\\ZV_BatchPlot" + std::to_string(year));
  }
  std::string TrustedPaths() {
    platform::MemoryRegistry::StoredValue stored;
    registry.Stored(Hive::CurrentUser, kVariables, "TRUSTEDPATHS", &stored);
    return stored.bytes;
  }

  platform::MemoryFiles files;
  platform::FaultyFiles faultyFiles{files};
  platform::MemoryRights rights{faultyFiles};
  platform::MemoryRegistry registry;
  platform::FaultyRegistry faultyRegistry{registry};
  platform::MemoryAppendFiles appends{files};
  platform::MemoryEnvironment environment;
  platform::MemoryProcesses processes;
  CUninstallTakeBack takeBack{64, nullptr};
  CAcadHosts hosts;
  InstallRequest request;
  RecordingDriver driver;
};

TEST(Engine, OutcomesAndWhatEachLeaves) {
  struct Row {
    const char* what;
    std::function<void(Machine&)> stage;
    InstallOutcome outcome;
    std::vector<Notice> notices;
    bool payload;     // the add-on's files are in the install folder
    bool registered;  // loaders and trusted paths written
    int settingsFailed, filesFailed;
  };
  const Row rows[] = {
      {"all well", [](Machine&) {}, InstallOutcome::Installed, {}, true, true, 0, 0},
      {"AutoCAD running",
       [](Machine& m) {
         m.processes.SetImageNames({"acad.exe"});
         m.request.checkHostRunning = true;
       },
       InstallOutcome::HostRunning, {Notice::HostRunning}, false, false, 0, 0},
      {"AutoCAD running, not asked to check", [](Machine& m) { m.processes.SetImageNames({"acad.exe"}); },
       InstallOutcome::Installed, {}, true, true, 0, 0},
      {"no folder", [](Machine& m) { m.request.folderText = ""; }, InstallOutcome::FolderRefused,
       {Notice::NoFolder}, false, false, 0, 0},
      {"folder too long", [](Machine& m) { m.request.folderText = "C:\\" + std::string(230, 'x'); },
       InstallOutcome::FolderRefused, {Notice::FolderTooLong}, false, false, 0, 0},
      {"no Data folder", [](Machine& m) { m.files.Remove("C:\\dist\\Data"); }, InstallOutcome::DataMissing,
       {Notice::DataMissing}, false, false, 0, 0},
      {"a copy aborted",
       [](Machine& m) { m.faultyFiles.FailCopiesTo(std::string(kInstall) + "\\itextsharp.dll"); },
       InstallOutcome::Aborted, {Notice::RolledBack}, false, false, 0, 0},
      {"registry writes refused", [](Machine& m) { m.faultyRegistry.DenyWrites(Hive::LocalMachine, ""); },
       InstallOutcome::Incomplete, {Notice::Incomplete}, true, false, 2, 0},
      {"support files missing", [](Machine& m) { m.files.Remove("C:\\dist\\Data\\Zorvel_HZ.shx"); },
       InstallOutcome::Incomplete, {Notice::Incomplete}, true, true, 0, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Machine m;
    row.stage(m);
    const InstallReport report = m.Install();
    EXPECT_EQ(report.outcome, row.outcome);
    EXPECT_EQ(m.driver.notices, row.notices);
    EXPECT_EQ(report.settingsFailed, row.settingsFailed);
    EXPECT_EQ(report.filesFailed, row.filesFailed);
    EXPECT_EQ(m.files.Exists(std::string(kInstall) + "\\ZV_BatchPlot2010.ARX") &&
                  m.files.Exists(std::string(kInstall) + "\\itextsharp.dll"),
              row.payload);
    EXPECT_EQ(m.Loaded(kProduct2010, 2010), row.registered);
    const bool trusted = m.TrustedPaths() != "d:\\lisp";
    EXPECT_EQ(trusted, row.registered || row.outcome == InstallOutcome::Incomplete);
  }
}

TEST(Engine, AnAcceptedFolderInstallsEveryFileAndALongerOneIsRefusedBeforeAnythingIsMade) {
  // PdfSharp.Charting.dll, the longest name written into the install folder,
  // leaves 237 bytes for it: 237 + 1 + 21 = 259.
  const std::string sub = std::string("\\") + kProductFolder;
  struct Row {
    std::size_t installDirBytes;
    InstallOutcome outcome;
  };
  const Row rows[] = {{237, InstallOutcome::Installed}, {238, InstallOutcome::FolderRefused}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.installDirBytes);
    Machine m;
    m.files.AddFile("C:\\dist\\Data\\Zorvel.prt8", "charting");
    const std::string parent = "C:\\" + std::string(100, 'p');
    m.request.folderText = parent + "\\" + std::string(row.installDirBytes - parent.size() - 1 - sub.size(), 'n');
    const InstallReport report = m.Install();
    EXPECT_EQ(report.outcome, row.outcome);
    EXPECT_TRUE(m.driver.questions.empty()) << m.driver.questions.front();
    if (row.outcome == InstallOutcome::Installed) {
      EXPECT_EQ(report.installDir.size(), row.installDirBytes);
      EXPECT_EQ(m.files.Content(report.installDir + "\\PdfSharp.Charting.dll"), "charting");
      EXPECT_TRUE(m.driver.texts.empty());
    } else {
      ASSERT_EQ(m.driver.notices, std::vector<Notice>{Notice::FolderTooLong});
      EXPECT_NE(m.driver.texts[0].find("PdfSharp.Charting.dll"), std::string::npos) << m.driver.texts[0];
      EXPECT_FALSE(m.files.Exists(parent));
      EXPECT_EQ(m.driver.steps, 0);
    }
  }
}

TEST(Engine, TheIncompleteWarningGivesTheCausesAndTheLog) {
  Machine m;
  m.files.Remove("C:\\dist\\Data\\Zorvel_HZ.shx");
  m.faultyRegistry.DenyWrites(Hive::CurrentUser, "");
  m.request.logPath = "C:\\Users\\user\\setup.log";
  EXPECT_EQ(m.Install().outcome, InstallOutcome::Incomplete);
  ASSERT_EQ(m.driver.texts.size(), 1u);
  const std::string& text = m.driver.texts[0];
  for (const char* part : {"1项AutoCAD设置未能写入注册表，2个支持文件未能复制到AutoCAD文件夹", "Data文件夹中缺少所需的文件",
                           "拒绝访问：请以管理员身份运行SetUp.exe", "日志文件：C:\\Users\\user\\setup.log"})
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
  EXPECT_LT(text.find("Data文件夹中缺少"), text.find("拒绝访问")) << "causes come in one fixed order";
}

TEST(Engine, RetryAndIgnoreAreTheDriversAnswers) {
  const std::string blocked = std::string(kInstall) + "\\itextsharp.dll";
  struct Row {
    std::deque<CopyDecision> answers;
    InstallOutcome outcome;
    bool copied;
    std::size_t questions;
  };
  const Row rows[] = {
      {{CopyDecision::Retry, CopyDecision::Retry}, InstallOutcome::Installed, true, 2},
      {{CopyDecision::Retry, CopyDecision::Ignore}, InstallOutcome::Installed, false, 2},
      {{CopyDecision::Retry, CopyDecision::Abort}, InstallOutcome::Aborted, false, 2},
  };
  for (const Row& row : rows) {
    Machine m;
    m.faultyFiles.FailCopiesTo(blocked, 2);
    m.driver.answers = row.answers;
    EXPECT_EQ(m.Install().outcome, row.outcome);
    EXPECT_EQ(m.files.Exists(blocked), row.copied);
    ASSERT_EQ(m.driver.questions.size(), row.questions);
    EXPECT_NE(m.driver.questions[0].find("拷贝文件 " + blocked + " 失败"), std::string::npos);
  }
}

TEST(Engine, ProgressBeginsOnceTheFoldersAreMadeAndStepsOncePerPassAndStep) {
  Machine m;
  const InstallReport report = m.Install();
  EXPECT_EQ(report.installDir, kInstall);
  EXPECT_EQ(m.hosts.installDir, kInstall);
  EXPECT_EQ(m.driver.trace, (std::vector<std::string>{"begin", "end"}));
  // ".", "..", the eight entries, the pass that finds no more, and three
  // integration steps.
  EXPECT_EQ(m.driver.steps, 2 + 8 + 1 + 3);
}

TEST(Engine, EveryFileAndValueIsReported) {
  Machine m;
  m.Install();
  std::vector<std::string> destinations;
  for (const FileEvent& file : m.driver.files) {
    EXPECT_TRUE(file.status.ok()) << file.destination;
    destinations.push_back(file.destination);
  }
  // The uninstaller first: it can take back whatever comes after it.
  const std::vector<std::string> expected = {
      std::string(kInstall) + "\\Uninstall.exe",         std::string(kInstall) + "\\ZV_BatchPlot2008.ARX", std::string(kInstall) + "\\ZV_BatchPlot2010.ARX",
      std::string(kInstall) + "\\itextsharp.dll",       "C:\\Users\\user\\AppData\\Roaming\\Zorvel\\Zorvel.Ini",
      std::string(kAcad2008) + "\\Fonts\\Zorvel_EN.shx", std::string(kAcad2008) + "\\Fonts\\Zorvel_HZ.shx",
      std::string(kAcad2008) + "\\Drv\\pdfplot9.hdi",   std::string(kAcad2010) + "\\Fonts\\Zorvel_EN.shx",
      std::string(kAcad2010) + "\\Fonts\\Zorvel_HZ.shx", std::string(kInstall) + "\\Uninstall.ini",
  };
  EXPECT_EQ(destinations, expected);
  // LOADCTRLS and LOADER for each product, then the one profile, then the
  // eleven values of the Programs and Features entry.
  ASSERT_EQ(m.driver.loaders.size(), 2u);
  for (const LoaderWrite& loader : m.driver.loaders) EXPECT_TRUE(loader.written()) << loader.keyPath;
  ASSERT_EQ(m.driver.trustedPaths.size(), 1u);
  EXPECT_EQ(m.driver.trustedPaths[0].previous, "d:\\lisp");
  ASSERT_EQ(m.driver.values.size(), 11u);
  for (std::size_t i = 0; i < m.driver.values.size(); ++i) {
    EXPECT_EQ(m.driver.values[i].key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZorvelBatchPlot");
    EXPECT_TRUE(m.driver.values[i].status.ok()) << m.driver.values[i].name;
  }
}

// What the uninstall needs is part of the install: when some of it cannot be
// made, the install says so, and never leaves an entry in Programs and
// Features that points at an uninstaller with no record.
TEST(Engine, WhatTheUninstallNeedsIsMadeOrReported) {
  const std::string record = std::string(kInstall) + "\\Uninstall.ini";
  const char kEntry[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZorvelBatchPlot";
  struct Row {
    const char* what;
    std::function<void(Machine&)> stage;
    int failed;
    bool uninstaller, entry, recorded;
  };
  const Row rows[] = {
      {"all made", [](Machine&) {}, 0, true, true, true},
      {"the program cannot be copied", [](Machine& m) { m.files.Remove("C:\\dist\\SetUp.exe"); }, 1, false, true,
       true},
      {"no entry anywhere",
       [](Machine& m) {
         m.faultyRegistry.DenyWrites(Hive::LocalMachine, "SOFTWARE\\Microsoft");
         m.faultyRegistry.DenyWrites(Hive::CurrentUser, "SOFTWARE\\Microsoft");
       },
       1, true, false, true},
      {"the record cannot be written", [record](Machine& m) { m.faultyFiles.FailWrite(record); }, 2, true, false, false},
      {"a later version's record",
       [record](Machine& m) { m.files.AddFile(record, "[ZorvelInstallRecord]\r\nVersion=3\r\n[End]\r\n"); }, 2, true,
       false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Machine m;
    row.stage(m);
    const InstallReport report = m.Install();
    EXPECT_EQ(report.uninstallFailed, row.failed);
    EXPECT_EQ(report.outcome, row.failed ? InstallOutcome::Incomplete : InstallOutcome::Installed);
    EXPECT_EQ(m.files.Exists(std::string(kInstall) + "\\Uninstall.exe"), row.uninstaller);
    EXPECT_EQ(m.registry.KeyExists(Hive::LocalMachine, kEntry) || m.registry.KeyExists(Hive::CurrentUser, kEntry),
              row.entry);
    EXPECT_EQ(m.files.Exists(record), row.recorded);
    if (row.failed) {
      ASSERT_EQ(m.driver.texts.size(), 1u);
      EXPECT_NE(m.driver.texts[0].find(std::to_string(row.failed) + "项卸载信息未能写入"), std::string::npos);
      EXPECT_NE(m.driver.texts[0].find("程序和功能"), std::string::npos) << "AutoCAD loads the add-on all the same";
    }
  }
}

TEST(Engine, IncompleteTextNamesOnlyWhatFailed) {
  struct Row {
    int settings, files, uninstall;
    std::vector<std::string> named, notNamed;
  };
  const Row rows[] = {
      {2, 0, 0, {"2项AutoCAD设置", "AutoCAD可能无法加载"}, {"支持文件", "卸载信息"}},
      {0, 3, 1, {"3个支持文件", "，1项卸载信息", "AutoCAD可能无法加载"}, {"AutoCAD设置", "程序和功能"}},
      {0, 0, 2, {"2项卸载信息", "程序和功能"}, {"AutoCAD设置", "支持文件", "无法加载"}},
  };
  for (const Row& row : rows) {
    Shortfall shortfall;
    shortfall.settingsFailed = row.settings;
    shortfall.filesFailed = row.files;
    shortfall.uninstallFailed = row.uninstall;
    const std::string text = IncompleteText(shortfall, "");
    for (const std::string& part : row.named) EXPECT_NE(text.find(part), std::string::npos) << part;
    for (const std::string& part : row.notNamed) EXPECT_EQ(text.find(part), std::string::npos) << part;
  }
  Shortfall files;
  files.filesFailed = 2;
  EXPECT_EQ(IncompleteText(files, ""), "文件已安装，但有2个支持文件未能复制到AutoCAD文件夹，\n\nAutoCAD可能无法加载Zorvel批打印软件。")
      << "without the uninstaller's parts, the text the install always showed";
}

}  // namespace

namespace {

TEST(Engine, StopsBeforeMakingAnyFolder) {
  struct Row {
    const char* what;
    std::function<void(Machine&)> stage;
    InstallOutcome outcome;
    Notice notice;
  };
  const Row rows[] = {
      {"no Data folder", [](Machine& m) { m.files.Remove("C:\\dist\\Data"); }, InstallOutcome::DataMissing,
       Notice::DataMissing},
      {"a file named Data",
       [](Machine& m) {
         m.files.Remove("C:\\dist\\Data");
         m.files.AddFile("C:\\dist\\Data", "not a folder");
       },
       InstallOutcome::DataMissing, Notice::DataMissing},
      {"a name the picker refuses",
       [](Machine& m) {
         m.request.folderText = "C:\\Zorvel\\a|b";
       },
       InstallOutcome::FolderRefused, Notice::FolderInvalid},
      {"a relative folder",
       [](Machine& m) {
         m.request.folderText = "Zorvel";
       },
       InstallOutcome::FolderRefused, Notice::FolderInvalid},
      {"a folder that cannot be made",
       [](Machine& m) {
         m.faultyFiles.FailCreateDirectory("C:\\Zorvel");
       },
       InstallOutcome::FolderRefused, Notice::FolderNotCreated},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Machine m;
    row.stage(m);
    EXPECT_EQ(m.Install().outcome, row.outcome);
    EXPECT_EQ(m.driver.notices, std::vector<Notice>{row.notice});
    EXPECT_FALSE(m.files.Exists("C:\\Zorvel"));
    EXPECT_TRUE(m.driver.files.empty());
    EXPECT_FALSE(m.Loaded(kProduct2010, 2010));
  }
}

TEST(Engine, FolderIsMadeLevelByLevelAndMayEndInABackslash) {
  struct Row {
    std::string folderText;
    std::string installDir;
  };
  const Row rows[] = {
      {"D:\\CAD\\插件\\Zorvel", "D:\\CAD\\插件\\Zorvel\\Zorvel批打印软件"},
      {"D:\\CAD\\", "D:\\CAD\\Zorvel批打印软件"},
      {"D:\\", "D:\\Zorvel批打印软件"},
      {"d:", ""},
      {"D:\\CAD\\\\", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.folderText);
    Machine m;
    m.files.AddDrive('D');
    m.request.folderText = row.folderText;
    const InstallReport report = m.Install();
    if (row.installDir.empty()) {
      EXPECT_EQ(report.outcome, InstallOutcome::FolderRefused);
      EXPECT_EQ(m.driver.notices, std::vector<Notice>{Notice::FolderInvalid});
      continue;
    }
    EXPECT_EQ(report.outcome, InstallOutcome::Installed);
    EXPECT_EQ(report.installDir, row.installDir);
    EXPECT_EQ(m.files.Content(row.installDir + "\\itextsharp.dll"), "Zorvel.prt7");
  }
}

// For every user: "a" logged on, with profiles of 2008 and 2010; "b" not (its
// hive a file), with one of 2010 and a settings file of its own; a backup entry and a
// roaming profile (no NTUSER.DAT) are left to the logon step.
struct Users {
  static constexpr char kA[] = "S-1-5-21-1-2-3-1001";
  static constexpr char kHiveB[] = "C:\\Users\\b\\NTUSER.DAT";
  explicit Users(Machine& m) : m(m) {
    platform::SetUserHives(&hives);
    const char kShell[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    for (const char* sid : {kA, "S-1-5-21-1-2-3-1002", "S-1-5-21-1-2-3-1003.bak", "S-1-5-21-1-2-3-1004"})
      m.Text(Hive::LocalMachine, std::string("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\") + sid,
             "ProfileImagePath", sid == std::string("S-1-5-21-1-2-3-1002") ? "C:\\Users\\b" : sid);
    m.Text(Hive::Users, std::string(kA) + "\\" + kShell, "AppData", "C:\\Users\\a");
    m.Text(Hive::Users, std::string(kA) + "\\" + kVariables, "TRUSTEDPATHS", "e:\\a");
    m.Text(Hive::Users, std::string(kA) + "\\" + kProduct2008 + "\\Profiles\\P", "", "");
    hives.AddHiveFile(kHiveB, {{kShell, {{"AppData", {platform::kRegExpandSz, "%USERPROFILE%"}}}},
                               {kVariables, {{"TRUSTEDPATHS", {platform::kRegSz, "f:\\b"}}}}});
    m.files.AddFile(kHiveB, "hive");
    m.files.AddFile("C:\\Users\\b\\Zorvel\\Zorvel.Ini", "b's own");
    m.files.AddFolder("C:\\Users\\a");
    m.request.everyUser = true;
  }
  ~Users() { platform::SetUserHives(nullptr); }
  // A value of a's hive, or of b's file as its last unload left it.
  std::string Of(const std::string& user, const std::string& key, const std::string& name) const {
    platform::MemoryRegistry::StoredValue stored;
    if (user == "a")
      return m.registry.Stored(Hive::Users, std::string(kA) + "\\" + key, name, &stored) ? stored.bytes : "";
    for (const auto& file : *hives.File(kHiveB))
      for (const auto& [valueName, value] : file.values)
        if (mbcs::EqualsNoCase(file.path, key) && valueName == name) return value.bytes;
    return "";
  }
  Machine& m;
  platform::MemoryUserHives hives{m.registry};
};

// The outcome, then the users served, failed and left.
std::string Counts(const InstallReport& r) {
  return std::to_string(static_cast<int>(r.outcome)) + std::to_string(r.users.served) +
         std::to_string(r.users.failed) + std::to_string(r.users.skipped);
}

TEST(Engine, AnInstallForEveryUserServesEachProfileAndLeavesTheRunningAccountAlone) {
  Machine m;
  Users users(m);
  EXPECT_EQ(Counts(m.Install()), "0202") << "installed; 2 served, 2 left to the logon step";
  EXPECT_EQ(m.TrustedPaths(), "d:\\lisp") << "not the running account's";
  EXPECT_FALSE(m.files.Exists("C:\\Users\\user\\AppData\\Roaming\\Zorvel\\Zorvel.Ini"));
  const std::string record = m.files.Content(std::string(kInstall) + "\\Uninstall.ini").value_or("");
  for (const char* line : {"AllUsers=1\r\n", "File=Zorvel.Users.Ini\r\n"})
    EXPECT_NE(record.find(line), std::string::npos) << line;
  const std::string list = ";" + mbcs::ToUpper(kInstall);
  EXPECT_EQ(users.Of("a", kVariables, "TRUSTEDPATHS") + users.Of("b", kVariables, "TRUSTEDPATHS"),
            "E:\\A" + list + "F:\\B" + list);
  EXPECT_EQ(*m.files.Content("C:\\Users\\a\\Zorvel\\Zorvel.Ini") + *m.files.Content("C:\\Users\\b\\Zorvel\\Zorvel.Ini"),
            "Zorvel.Inib's own") << "b's own settings stay";
  // a had a profile of every product; b has none of 2008 yet.
  EXPECT_EQ(users.Of("a", kUserRecordKey, "Served") + users.Of("b", kUserRecordKey, "Served"),
            std::string("\1\0\0\0\0\0\0\0", 8));
  EXPECT_TRUE(users.hives.LoadedNames().empty() && m.registry.OpenHandles() == 0);
  const auto value = [&m](const char* key, const char* name) {
    platform::MemoryRegistry::StoredValue stored;
    return m.registry.Stored(Hive::LocalMachine, key, name, &stored) ? stored.bytes : "";
  };
  const std::string stub = "\"" + std::string(kInstall) + "\\Uninstall.exe\" /USERPART" + '\0';
  const std::pair<const char*, std::string> steps[] = {{"", std::string(kProductName) + '\0'}, {"StubPath", stub},
      {"Version", std::string("2023,12,18,1") + '\0'}, {"IsInstalled", std::string("\1\0\0\0", 4)}};
  for (const auto& [name, bytes] : steps) EXPECT_EQ(value(kActiveSetupKey, name), bytes) << name;
  EXPECT_EQ(value(kRunKey, kRunValue), stub);

  m.driver = RecordingDriver();
  EXPECT_EQ(Counts(m.Install()), "0202");
  EXPECT_EQ(value(kActiveSetupKey, "Version"), std::string("2023,12,18,2") + '\0') << "counted up: all served again";
  EXPECT_EQ(users.Of("a", kUserRecordKey, "Served") + users.Of("a", kVariables, "TRUSTEDPATHS"),
            std::string("\2\0\0\0", 4) + "E:\\A" + list) << "gains it once";
}

TEST(Engine, AUserWhoseHiveRefusesTheWritesMakesTheInstallIncomplete) {
  Machine m;
  Users users(m);
  users.hives.HoldFile(Users::kHiveB);  // in use: left to the logon step, not counted
  m.faultyRegistry.DenyWrites(Hive::Users, Users::kA);
  EXPECT_EQ(Counts(m.Install()), "1013") << "incomplete; a not written";
  EXPECT_NE(m.driver.texts.at(0).find("1位用户的受信任路径或设置文件未能写入"), std::string::npos) << m.driver.texts[0];
}

// --- Killed, cut off or stopped at any moment ------------------------------

constexpr char kSettings[] = "C:\\Users\\user\\AppData\\Roaming\\Zorvel\\Zorvel.Ini";

// Besides AutoCAD 2008 and 2010: what an install must give back as it was
// (AutoCAD 2008's own plot driver, a loader key an earlier version of the
// add-on left in another folder, a profile's list) and the user's own
// settings file.
struct WornMachine : Machine {
  WornMachine() {
    files.AddFile(std::string(kAcad2008) + "\\Drv\\pdfplot9.hdi", "AutoCAD's own driver");
    files.AddFile(kSettings, "the user's settings");
    Text(Hive::LocalMachine, std::string(kProduct2010) + "\\Applications\\ZV_BatchPlot2010", "LOADER",
         "D:\\Old\\ZV_BatchPlot2010.ARX");
    Text(Hive::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", "", "");
  }
};

// The machine as the test compares it: without the fonts and the settings
// files, which the uninstall keeps on purpose.
Picture Compared(platform::MemoryRegistry& registry, platform::MemoryFiles& files) {
  Picture picture = MachinePicture(registry, files);
  for (auto it = picture.begin(); it != picture.end();) {
    const std::string& path = it->first;
    const bool kept = (path.find("\\Fonts\\") != std::string::npos && path.back() != '\\') ||
                      (path.rfind(mbcs::FolderOf(kSettings) + "\\", 0) == 0 && path.size() > mbcs::FolderOf(kSettings).size() + 1);
    it = kept ? picture.erase(it) : std::next(it);
  }
  return picture;
}

// The uninstall on the machine as it stands.
void UninstallHere() {
  UninstallRequest uninstall;
  uninstall.installDir = kInstall;
  uninstall.checkHostRunning = false;
  uninstall.editionBits = 64;
  SilentUninstallDriver quiet;
  (void)CUninstallEngine().Uninstall(uninstall, quiet);
}

// The next program on what a run left behind: the uninstall, or another
// install and then the uninstall. The picture of the machine it leaves.
Picture NextRuns(const MachineState& left, bool installFirst) {
  FreshMachine next(left);
  platform::MemoryRights rights(next.files);
  platform::SetRegistry(&next.registry);
  platform::SetFiles(&next.files);
  platform::SetAppendFiles(&next.appendFiles);
  platform::SetRights(&rights);
  if (installFirst) {
    CAcadHosts hosts;
    hosts.Discover();
    CUninstallTakeBack takeBack(64, nullptr);
    InstallRequest request;
    request.folderText = "C:\\Zorvel";
    request.build = {20231218, 64};
    request.ticked[2008 - kFirstReleaseYear] = request.ticked[2010 - kFirstReleaseYear] = 1;
    RecordingDriver driver;
    EXPECT_EQ(CInstallEngine(hosts, &takeBack).Install(request, driver).outcome, InstallOutcome::Installed);
  }
  UninstallHere();
  Picture picture = Compared(next.registry, next.files);
  platform::SetRights(nullptr);
  platform::SetAppendFiles(nullptr);
  platform::SetFiles(nullptr);
  platform::SetRegistry(nullptr);
  return picture;
}

// The record as a power cut in the middle of its last line leaves it, where
// that line was not yet on the disk.
void TearLastLine(WornMachine& machine) {
  const std::string record = std::string(kInstall) + "\\Uninstall.ini";
  if (machine.appends.Unflushed(record) < 4) return;
  std::string text = machine.files.Content(record).value_or("");
  text.resize(text.size() - 4);
  machine.files.AddFile(record, text);
}

enum class End { Kill, TornLine, PowerCut };

TEST(EngineCrash, AnInstallThatDiesAfterAnyChangeIsTakenBackWholeByTheNextUninstallOrInstall) {
  Picture before;
  std::size_t total = 0;
  {
    WornMachine machine;
    before = Compared(machine.registry, machine.files);
    platform::CrashShim counting(machine.registry, machine.files, machine.appends);
    platform::SetRegistry(&counting.registry());
    platform::SetFiles(&counting.files());
    platform::SetAppendFiles(&counting.appendFiles());
    ASSERT_EQ(machine.Install().outcome, InstallOutcome::Installed);
    total = counting.changes();
    platform::SetAppendFiles(&machine.appends);
    machine.appends.Kill();
    EXPECT_EQ(Differences(before, NextRuns(TakeMachineState(machine.registry, machine.files), false)), "") << "a whole install";
  }
  ASSERT_GT(total, 20u);
  // Before the record can be begun, the install folder (and a missing parent)
  // must be made: all a kill may leave unrecorded, empty.
  const auto withoutFolders = [](Picture picture) {
    for (const std::string& folder : {std::string("C:\\Zorvel\\"), std::string(kInstall) + "\\"}) picture.erase(folder);
    return picture;
  };
  for (std::size_t n = 1; n <= total; ++n) {
    for (End end : {End::Kill, End::TornLine, End::PowerCut}) {
      WornMachine machine;
      std::string died;
      {
        platform::CrashShim crash(machine.registry, machine.files, machine.appends, n);
        platform::SetRegistry(&crash.registry());
        platform::SetFiles(&crash.files());
        platform::SetAppendFiles(&crash.appendFiles());
        (void)machine.Install();
        died = crash.log()[n - 1];
        platform::SetAppendFiles(&machine.appends);
      }
      if (end == End::TornLine) TearLastLine(machine);
      if (end == End::PowerCut) {
        machine.appends.PowerCut(n % 2 ? platform::MemoryAppendFiles::LostTail::Zeros
                                       : platform::MemoryAppendFiles::LostTail::Cut);
      } else {
        machine.appends.Kill();
      }
      const MachineState left = TakeMachineState(machine.registry, machine.files);
      const bool unrecorded =
          died.rfind("CreateDirectory", 0) == 0 && !machine.files.Exists(std::string(kInstall) + "\\Uninstall.ini");
      const auto compared = [&](Picture picture) { return unrecorded ? withoutFolders(picture) : picture; };
      // A power cut may lose the last step's new entries, and tear the last
      // line: only a second install, which finds and records them, puts it
      // right.
      if (end == End::Kill) {
        EXPECT_EQ(Differences(compared(before), compared(NextRuns(left, false))), "") << "died after " << n << ": " << died;
      }
      EXPECT_EQ(Differences(compared(before), compared(NextRuns(left, true))), "") << "died after " << n << ": " << died << ", " << static_cast<int>(end) << ", then installed";
    }
  }
}

TEST(EngineCrash, AnInstallAbortedAtAnyFileIsTakenBackAndOneWithWritesRefusedIsKeptForTheUninstall) {
  Picture before;
  std::vector<std::string> deployed;
  {
    WornMachine machine;
    before = Compared(machine.registry, machine.files);
    ASSERT_EQ(machine.Install().outcome, InstallOutcome::Installed);
    for (const FileEvent& file : machine.driver.files)
      if (file.kind == FileKind::Payload || file.kind == FileKind::Settings) deployed.push_back(file.destination);
  }
  ASSERT_GE(deployed.size(), 4u);
  for (const std::string& destination : deployed) {
    WornMachine machine;
    machine.faultyFiles.FailCopiesTo(destination);
    EXPECT_EQ(machine.Install().outcome, InstallOutcome::Aborted) << destination;
    EXPECT_EQ(Differences(before, Compared(machine.registry, machine.files)), "") << "aborted at " << destination;
    EXPECT_EQ(machine.driver.notices.back(), Notice::RolledBack) << destination;
  }
  const std::function<void(WornMachine&)> refusals[] = {
      [](WornMachine& m) { m.faultyRegistry.DenyWrites(Hive::LocalMachine, kProduct2008); },
      [](WornMachine& m) { m.faultyRegistry.DenyWrites(Hive::CurrentUser, kVariables); },
      [](WornMachine& m) { m.faultyFiles.FailCopiesTo(std::string(kAcad2010) + "\\Fonts\\Zorvel_HZ.shx"); },
      [](WornMachine& m) { m.faultyFiles.FailCopiesTo(std::string(kAcad2008) + "\\Drv\\pdfplot9.hdi"); },
  };
  for (const auto& refuse : refusals) {
    WornMachine machine;
    refuse(machine);
    EXPECT_EQ(machine.Install().outcome, InstallOutcome::Incomplete);
    machine.faultyRegistry.ClearFaults();
    machine.faultyFiles.ClearFailures();
    UninstallHere();
    EXPECT_EQ(Differences(before, Compared(machine.registry, machine.files)), "") << &refuse - refusals;
  }
}

}  // namespace
