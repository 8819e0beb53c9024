// Install, then uninstall, on a simulated machine: in memory, and in the
// Windows test program on the real registry and file system. Afterwards the
// machine holds what it held before, but for what is kept on purpose (the
// fonts, the settings file, the upper-casing of the trusted-path lists the
// install performs); what the user changed in between is not lost; and an
// uninstall that cannot go on changes nothing.
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "install/install_engine.h"
#include "platform/mbcs.h"
#include "record/uninstall_entry.h"
#include "tests/engine_world.h"
#include "tests/fakes/services.h"
#include "tests/snapshot.h"
#include "uninstall/self_removal.h"
#include "uninstall/uninstall_engine.h"

namespace {

using platform::Hive;

constexpr int kBits = static_cast<int>(sizeof(void*) * 8);

// AutoCAD 2008's own plot driver: bytes of every kind, to be back whole.
const std::string kOriginalDriver("HDI\0\x01\x02\xff\xfe\r\n\x1a AutoCAD 2008 pdfplot9", 33);

class NoticesDriver : public QuietInstallDriver {
 public:
  void Tell(Notice notice, const std::string&) override { notices.push_back(notice); }
  std::vector<Notice> notices;
};

class RecordingUninstallDriver : public UninstallDriver {
 public:
  bool Confirm(const std::string& question) override {
    questions.push_back(question);
    return answer;
  }
  void Tell(UninstallNotice notice, const std::string& text) override {
    notices.push_back(notice);
    texts.push_back(text);
  }
  void OnRemoval(const RemovalEvent& event) override { events.push_back(event); }

  bool answer = true;
  std::vector<std::string> questions;
  std::vector<UninstallNotice> notices;
  std::vector<std::string> texts;
  std::vector<RemovalEvent> events;
};

class Uninstall : public MachineWorldTest {
 protected:
  void SetUp() override {
    MachineWorldTest::SetUp();
    BuildMachine();
  }

  std::string InstallDir() { return At("Zorvel\\Zorvel批打印软件"); }
  std::string In(const std::string& name) { return InstallDir() + "\\" + name; }
  std::string Driver2008() { return At("AutoCAD 2008\\Drv\\pdfplot9.hdi"); }

  // AutoCAD 2008 (with its own plot driver and another add-on's loader) and
  // two products of 2010, one with an older version's loader key; profiles
  // with a list, without a value, with a short list and without Variables.
  void BuildMachine() {
    world_->SetModulePath(At("dist\\SetUp.exe"));
    world_->MakeFile(At("dist\\SetUp.exe"), "MZ the setup program");
    for (const char* name : {"ZV_BatchPlot2008.ARX", "ZV_BatchPlot2010.ARX", "Zorvel.prt7", "Zorvel.Ini",
                             "Zorvel_EN.shx", "Zorvel_HZ.shx", "Zorvel.prt5", "使用说明.txt"})
      world_->MakeFile(At("dist\\Data\\") + name, name);
    for (const char* location : {"AutoCAD 2008", "AutoCAD 2010", "AutoCAD 2010 English"})
      world_->MakeFolder(At(location) + "\\Fonts");
    world_->MakeFile(Driver2008(), kOriginalDriver);
    world_->MakeFolder(At("AppData\\Roaming"));
    environment_.SetVariable("APPDATA", At("AppData\\Roaming"));
    environment_.SetRoamingAppDataFolder(At("AppData\\Roaming"));

    product2008_ = AddProduct(kAcadKey, "R17.1", "ACAD-6001:804", At("AutoCAD 2008"), "AutoCAD 2008 - 简体中文");
    WriteText(Hive::LocalMachine, product2008_ + "Applications\\Other", "LOADER", "C:\\other.arx");
    product2010_ = AddProduct(kAcadKey, "R18.0", "ACAD-8001:804", At("AutoCAD 2010"), "AutoCAD 2010");
    product2010en_ = AddProduct(kAcadKey, "R18.0", "ACAD-8001:409", At("AutoCAD 2010 English"), "AutoCAD 2010");
    WriteDword(Hive::LocalMachine, product2010en_ + "Applications\\ZV_BatchPlot2010", "LOADCTRLS", 14);
    WriteText(Hive::LocalMachine, product2010en_ + "Applications\\ZV_BatchPlot2010", "LOADER",
              "D:\\旧版\\ZV_BatchPlot2010.ARX");
    WriteText(Hive::CurrentUser, VariablesKey("R18.0", "ACAD-8001:804", "Default"), "TRUSTEDPATHS", "d:\\lisp;c:\\tools");
    MakeKey(Hive::CurrentUser, std::string(kAcadKey) + "\\R18.0\\ACAD-8001:804\\Profiles\\<<未命名配置>>");
    WriteText(Hive::CurrentUser, VariablesKey("R17.1", "ACAD-6001:804", "P"), "TRUSTEDPATHS", "ab");
    WriteText(Hive::CurrentUser, VariablesKey("R17.1", "ACAD-6001:804", "Q"), "ACADPREFIX", "C:\\support");
  }

  InstallReport Install(std::initializer_list<int> years = {2008, 2010}, bool currentUser = false) {
    CAcadHosts hosts;
    hosts.Discover();
    InstallRequest request;
    request.folderText = At("Zorvel");
    for (int year : years) request.ticked[year - kFirstReleaseYear] = 1;
    request.build = {20231218, kBits};
    request.currentUser = currentUser;
    return CInstallEngine(hosts).Install(request, installDriver_);
  }

  UninstallReport RunUninstall(const std::string& leaveForLater = "") {
    driver_ = RecordingUninstallDriver();
    driver_.answer = answer_;
    UninstallRequest request;
    request.installDir = InstallDir();
    request.editionBits = kBits;
    request.leaveForLater = leaveForLater;
    return CUninstallEngine().Uninstall(request, driver_);
  }

  Picture Machine() {
    Picture picture = FilesPicture(world_->files(), world_->root());
    for (const char* path : {kAcadKey, kWowAcadKey}) {
      for (const auto& entry : RegistryPicture(registry(), Hive::LocalMachine, path)) picture.insert(entry);
    }
    for (const auto& entry : RegistryPicture(registry(), Hive::CurrentUser, kAcadKey)) picture.insert(entry);
    for (Hive hive : {Hive::LocalMachine, Hive::CurrentUser}) {
      for (const auto& entry : RegistryPicture(registry(), hive, kUninstallKey)) picture.insert(entry);
    }
    return picture;
  }

  // What the uninstall keeps on purpose taken away, and the lists the
  // install upper-cases (longer than two bytes) in upper case.
  Picture WithoutKept(Picture picture) {
    for (auto it = picture.begin(); it != picture.end();) {
      const bool kept = it->first.find("\\Fonts\\Zorvel_") != std::string::npos ||
                        it->first.rfind(At("AppData\\Roaming\\Zorvel"), 0) == 0;
      it = kept ? picture.erase(it) : std::next(it);
    }
    for (auto& [path, value] : picture) {
      if (mbcs::EndsWithBackslash(path) || path.size() < 12 || path.substr(path.size() - 12) != "TRUSTEDPATHS") continue;
      if (value.size() > 2 + 2) value = mbcs::ToUpper(value);
    }
    return picture;
  }

  NoticesDriver installDriver_;
  RecordingUninstallDriver driver_;
  bool answer_ = true;
  std::string product2008_, product2010_, product2010en_;
};

TEST_P(Uninstall, TakesTheMachineBackToWhatItWas) {
  const Picture before = Machine();
  ASSERT_EQ(Install().outcome, InstallOutcome::Installed) << installDriver_.notices.size();
  EXPECT_TRUE(world_->files().Exists(In("Uninstall.exe")));
  EXPECT_EQ(world_->Read(In("Backup\\pdfplot9.hdi")), kOriginalDriver);
  EXPECT_EQ(ReadText(Hive::LocalMachine, kUninstallKey, "InstallLocation"), InstallDir());
  EXPECT_NE(WithoutKept(Machine()), WithoutKept(before)) << "the pictures show an install";

  const UninstallReport report = RunUninstall();
  EXPECT_EQ(report.outcome, UninstallOutcome::Removed);
  EXPECT_EQ(report.failed, 0);
  EXPECT_EQ(report.driversRestored, 1);
  EXPECT_EQ(report.fontsKept, 6);
  EXPECT_EQ(driver_.questions.size(), 1u);
  EXPECT_EQ(driver_.notices, std::vector<UninstallNotice>{UninstallNotice::Summary});
  EXPECT_EQ(world_->Read(Driver2008()), kOriginalDriver) << "AutoCAD 2008's own driver, byte for byte";
  EXPECT_EQ(WithoutKept(Machine()), WithoutKept(before));
  EXPECT_EQ(world_->Read(At("AutoCAD 2010\\Fonts\\Zorvel_EN.shx")), "Zorvel_EN.shx") << "fonts stay";
  EXPECT_TRUE(world_->files().Exists(At("AppData\\Roaming\\Zorvel\\Zorvel.Ini"))) << "the user's settings stay";
  EXPECT_NE(driver_.texts[0].find("已保留"), std::string::npos);
}

TEST_P(Uninstall, WhatTheUserChangedSinceIsNotLost) {
  ASSERT_EQ(Install().outcome, InstallOutcome::Installed);
  const std::string variables = VariablesKey("R18.0", "ACAD-8001:804", "Default");
  const std::string repointed = product2010_ + "Applications\\ZV_BatchPlot2010";
  world_->MakeFile(In("我的笔记.txt"), "mine");
  WriteText(Hive::CurrentUser, variables, "TRUSTEDPATHS", *ReadText(Hive::CurrentUser, variables, "TRUSTEDPATHS") + ";e:\\mine");
  WriteText(Hive::LocalMachine, repointed, "LOADER", "D:\\Other\\ZV_BatchPlot2010.ARX");

  const UninstallReport report = RunUninstall();
  EXPECT_EQ(report.outcome, UninstallOutcome::Removed);
  EXPECT_EQ(report.leftAlone, 1);
  EXPECT_TRUE(report.folderKept);
  EXPECT_EQ(world_->List(InstallDir()), std::vector<std::string>{"我的笔记.txt"});
  EXPECT_EQ(ReadText(Hive::CurrentUser, variables, "TRUSTEDPATHS"), "D:\\LISP;C:\\TOOLS;e:\\mine");
  EXPECT_EQ(ReadText(Hive::LocalMachine, repointed, "LOADER"), "D:\\Other\\ZV_BatchPlot2010.ARX");
  EXPECT_EQ(ReadDword(Hive::LocalMachine, repointed, "LOADCTRLS"), 2u);
  EXPECT_FALSE(KeyExists(Hive::LocalMachine, kUninstallKey));
  EXPECT_FALSE(KeyExists(Hive::LocalMachine, product2008_ + "Applications\\ZV_BatchPlot2008"));
  EXPECT_NE(driver_.texts[0].find("其中有您添加的文件"), std::string::npos);
}

TEST_P(Uninstall, AnInstallForTheUserAloneIsTakenBackAndTheUsersOwnEntryStays) {
  const std::string general = std::string(kAcadKey) + "\\R18.0\\ACAD-8001:804\\Profiles\\<<未命名配置>>\\General";
  for (const char* other : {"R18.0\\ACAD-8001:804\\Profiles\\Default", "R17.1\\ACAD-6001:804\\Profiles\\P",
                            "R17.1\\ACAD-6001:804\\Profiles\\Q"})
    WriteText(Hive::CurrentUser, std::string(kAcadKey) + "\\" + other + "\\General", "ACAD", "D:\\Acad\\Support;");
  WriteText(Hive::CurrentUser, general, "ACAD", "C:\\Acad\\Support");
  const Picture before = Machine();
  const InstallReport installed = Install({2008, 2010}, true);
  ASSERT_EQ(installed.outcome, InstallOutcome::Incomplete) << "2008's plot driver left";
  EXPECT_TRUE(installed.plotDriverLeft && installed.settingsFailed == 0 && installed.filesFailed == 0);
  EXPECT_FALSE(KeyExists(Hive::LocalMachine, product2008_ + "Applications\\ZV_BatchPlot2008"));
  EXPECT_EQ(world_->Read(Driver2008()), kOriginalDriver) << "no plot driver";
  EXPECT_EQ(ReadText(Hive::CurrentUser, general, "ACAD"), "C:\\Acad\\Support;" + In("Fonts"));
  WriteText(Hive::CurrentUser, general, "ACAD", "C:\\Acad\\Support;" + In("Fonts") + ";e:\\mine");

  const UninstallReport report = RunUninstall();
  EXPECT_EQ(report.outcome, UninstallOutcome::Removed);
  EXPECT_EQ(report.failed, 0);
  EXPECT_EQ(report.fontsKept, 0);
  EXPECT_FALSE(world_->files().Exists(InstallDir())) << "its fonts went with it";
  EXPECT_EQ(ReadText(Hive::CurrentUser, general, "ACAD"), "C:\\Acad\\Support;e:\\mine");
  WriteText(Hive::CurrentUser, general, "ACAD", "C:\\Acad\\Support");
  EXPECT_EQ(WithoutKept(Machine()), WithoutKept(before)) << "the keys made below HKEY_CURRENT_USER are gone, the lists as they were";
}

TEST_P(Uninstall, WhatIsLeftOfAnInstallForTheUserAloneStaysTheUsers) {
  Install({2010}, true);
  faultyFiles_->FailDelete(In("ZV_BatchPlot2010.ARX"));
  EXPECT_EQ(RunUninstall().outcome, UninstallOutcome::Incomplete);
  EXPECT_TRUE(ReadRecord(InstallDir()).record.currentUser) << "a second uninstall needs no rights either";
}

TEST_P(Uninstall, ASecondInstallIntoTheFolderIsTakenBackAsWell) {
  const Picture before = Machine();
  ASSERT_EQ(Install({2010}).outcome, InstallOutcome::Installed);
  ASSERT_EQ(Install().outcome, InstallOutcome::Installed);
  EXPECT_EQ(RunUninstall().outcome, UninstallOutcome::Removed);
  EXPECT_EQ(world_->Read(Driver2008()), kOriginalDriver);
  EXPECT_EQ(WithoutKept(Machine()), WithoutKept(before));
}

TEST_P(Uninstall, WhatCannotBeTakenBackStaysInTheRecordForASecondUninstall) {
  const Picture before = Machine();
  ASSERT_EQ(Install().outcome, InstallOutcome::Installed);
  faultyFiles_->FailDelete(In("ZV_BatchPlot2010.ARX"));
  faults().DenyWrites(Hive::LocalMachine, product2008_ + "Applications\\ZV_BatchPlot2008");

  UninstallReport report = RunUninstall();
  EXPECT_EQ(report.outcome, UninstallOutcome::Incomplete);
  EXPECT_EQ(report.failed, 2);
  const ParsedRecord left = ReadRecord(InstallDir());
  ASSERT_EQ(left.state, RecordState::Complete);
  EXPECT_EQ(left.record.files, (std::vector<std::string>{"ZV_BatchPlot2010.ARX", "Uninstall.exe"}));
  ASSERT_EQ(left.record.loaders.size(), 1u);
  EXPECT_TRUE(left.record.trustedPaths.empty());
  EXPECT_TRUE(left.record.drivers.empty());
  // The second uninstall starts the way the first did.
  EXPECT_EQ(left.record.entries.size(), 1u);
  EXPECT_EQ(ReadText(Hive::LocalMachine, kUninstallKey, "InstallLocation"), InstallDir());
  EXPECT_TRUE(world_->files().Exists(In("Uninstall.exe")));
  EXPECT_NE(driver_.texts.back().find("未能完全卸载"), std::string::npos);
  const auto failed = std::count_if(driver_.events.begin(), driver_.events.end(), [](const RemovalEvent& event) {
    return event.result == RemovalEvent::Result::Failed;
  });
  EXPECT_EQ(failed, 2);

  faultyFiles_->ClearFailures();
  faults().ClearFaults();
  report = RunUninstall();
  EXPECT_EQ(report.outcome, UninstallOutcome::Removed);
  EXPECT_EQ(WithoutKept(Machine()), WithoutKept(before));
}

TEST_P(Uninstall, NothingChangesWhenItMustNotGoOn) {
  struct Case {
    const char* label;
    std::function<void()> stage;
    UninstallOutcome outcome;
    std::vector<UninstallNotice> notices;
  };
  const Case cases[] = {
      {"AutoCAD runs", [this] { processes_.SetImageNames({"explorer.exe", "acad.exe"}); }, UninstallOutcome::HostRunning,
       {UninstallNotice::HostRunning}},
      {"the user says No", [this] { answer_ = false; }, UninstallOutcome::Declined, {}},
      {"no record", [this] { world_->Remove(In("Uninstall.ini")); }, UninstallOutcome::NotInstalled,
       {UninstallNotice::NotInstalled}},
      {"someone else's file", [this] { world_->MakeFile(In("Uninstall.ini"), "[Settings]\r\nFile=a.dll\r\n"); },
       UninstallOutcome::RecordDamaged, {UninstallNotice::RecordDamaged}},
      {"a record of a later version",
       [this] { world_->MakeFile(In("Uninstall.ini"), "[ZorvelInstallRecord]\r\nVersion=9\r\n[End]\r\n"); },
       UninstallOutcome::RecordDamaged, {UninstallNotice::RecordDamaged}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ASSERT_EQ(Install().outcome, InstallOutcome::Installed);
    c.stage();
    const Picture staged = Machine();
    const UninstallReport report = RunUninstall();
    EXPECT_EQ(report.outcome, c.outcome);
    EXPECT_EQ(driver_.notices, c.notices);
    EXPECT_TRUE(driver_.events.empty());
    EXPECT_EQ(Machine(), staged);
    processes_.SetImageNames({"explorer.exe"});
    answer_ = true;
  }
}

// An install that did not finish leaves its record without the end line,
// its last line perhaps torn: what it names is taken back all the same.
TEST_P(Uninstall, AnInstallThatDidNotFinishIsTakenBack) {
  const Picture before = Machine();
  ASSERT_EQ(Install().outcome, InstallOutcome::Installed);
  const std::string whole = *world_->Read(In("Uninstall.ini"));
  world_->MakeFile(In("Uninstall.ini"), whole.substr(0, whole.rfind("[End]")) + "File=ZV_Batch");
  const UninstallReport report = RunUninstall();
  EXPECT_EQ(report.outcome, UninstallOutcome::Removed);
  EXPECT_TRUE(report.ignoredLines.empty());
  EXPECT_EQ(WithoutKept(Machine()), WithoutKept(before));
  EXPECT_NE(driver_.texts.back().find("安装未完成：已撤销其所做的更改。"), std::string::npos);
}

TEST_P(Uninstall, AnEmptyFolderWithNoRecordGoesAndNothingElse) {
  world_->MakeFolder(InstallDir());
  EXPECT_EQ(RunUninstall().outcome, UninstallOutcome::NotInstalled);
  EXPECT_FALSE(world_->files().Exists(InstallDir()));
  EXPECT_TRUE(world_->files().Exists(At("Zorvel"))) << "no record says who made it";
  EXPECT_TRUE(driver_.events.size() == 1 && driver_.events[0].what == RemovalEvent::What::Folder);
}

// Taking back an install that stopped: with no earlier install everything
// goes, as after an uninstall; over an earlier one, that one stays whole.
TEST_P(Uninstall, TakingBackAStoppedInstallLeavesWhatWasThereBeforeIt) {
  const Picture before = Machine();
  ASSERT_EQ(Install({2010}).outcome, InstallOutcome::Installed);
  const Picture first = Machine();
  const InstallRecord earlier = ReadRecord(InstallDir()).record;
  ASSERT_EQ(Install().outcome, InstallOutcome::Installed);
  for (const bool overEarlier : {true, false}) {
    SCOPED_TRACE(overEarlier);
    driver_ = RecordingUninstallDriver();
    TakeBackRequest request;
    request.installDir = InstallDir();
    request.editionBits = kBits;
    request.changes = ReadRecord(InstallDir()).record;
    if (overEarlier) request.kept = earlier;
    EXPECT_EQ(CUninstallEngine().TakeBack(request, driver_).outcome, UninstallOutcome::Removed);
    EXPECT_TRUE(driver_.questions.empty() && driver_.notices.empty());
    EXPECT_EQ(WithoutKept(Machine()), WithoutKept(overEarlier ? first : before));
  }
}

TEST_P(Uninstall, AnUninstallerRunningFromTheFolderIsRemovedOnceItHasEnded) {
  const Picture before = Machine();
  ASSERT_EQ(Install().outcome, InstallOutcome::Installed);
  EXPECT_FALSE(FinishRemoval(InstallDir(), 77)) << "the record still names the installation";
  EXPECT_TRUE(world_->files().Exists(In("ZV_BatchPlot2008.ARX")));

  const UninstallReport report = RunUninstall(UninstallerPath(InstallDir()));
  EXPECT_EQ(report.outcome, UninstallOutcome::Removed);
  std::vector<std::string> left = world_->List(InstallDir());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"Uninstall.exe", "Uninstall.ini"}));
  EXPECT_EQ(ReadRecord(InstallDir()).record.files, std::vector<std::string>{"Uninstall.exe"});

  EXPECT_TRUE(FinishRemoval(InstallDir(), 77));
  EXPECT_EQ(processes_.waitedFor(), (std::vector<std::uint32_t>{77, 77}));
  EXPECT_EQ(WithoutKept(Machine()), WithoutKept(before));
}

INSTANTIATE_FOR_EVERY_REGISTRY(Uninstall);

}  // namespace
