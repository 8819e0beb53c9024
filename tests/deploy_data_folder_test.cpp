// Copying the Data folder into the install folder, on every file service.
#include <algorithm>
#include <set>

#include "deploy/file_deployer.h"
#include "deploy/file_utils.h"
#include "platform/memory/files.h"
#include "platform/memory/progress.h"
#include "tests/deploy_world.h"

namespace {

using platform::kIdAbort;
using platform::kIdIgnore;
using platform::kIdRetry;

const char kCaption[] = "Zorvel软件安装";

std::string CopyFailedText(const std::string& destination) {
  return "拷贝文件 " + destination +
         " 失败，可能原因如下：\n\n1、AutoCAD未关闭\n\n2、系统权限未开放，请以管理者权限登陆系统";
}

std::set<std::string> AsSet(const std::vector<std::string>& names) { return {names.begin(), names.end()}; }

class DeployDataFolder : public DeployWorldTest {
 protected:
  void SetUp() override {
    DeployWorldTest::SetUp();
    bar_.SetRange(0, 50);  // as the install sequence sets it
    bar_.SetStep(1);
  }

  bool Deploy(const std::string& installDir) {
    CFileDeployer deployer(installDir, bar_);
    bool result = deployer.DeployDataFolder();
    if (platform::MemoryFiles* memory = world().memory()) {
      EXPECT_EQ(memory->openListings(), 0) << "the listing is closed on every way out";
    }
    return result;
  }
  bool Deploy() { return Deploy(Install()); }

  // Makes copies onto `destination` fail, on any file system: a folder of
  // that name is in the way.
  void Block(const std::string& destination) { world().MakeFolder(destination); }

  // The Data folder's files in the order the file system lists them.
  std::vector<std::string> DataInListingOrder() { return world().List(Data()); }

  platform::MemoryProgressBar bar_;
};

TEST_P(DeployDataFolder, SkipListIgnoresCase) {
  for (const char* name : {"setup.exe", "ZORVEL_en.SHX", "zorvel_HZ.shx", "zorvel.PRT5", "Zorvel.prt5x", "keep.dll"}) {
    AddData(name);
  }
  EXPECT_TRUE(Deploy());
  EXPECT_EQ(AsSet(world().List(Install())), (std::set<std::string>{"Zorvel.prt5x", "keep.dll"}));
  EXPECT_TRUE(prompts().shown().empty());
}

TEST_P(DeployDataFolder, LibraryFilesAreInstalledUnderTheirOwnNames) {
  struct Case {
    const char* entry;
    const char* installedAs;
  };
  const Case cases[] = {
      {"ZORVEL.PRT7", "itextsharp.dll"},
      {"Zorvel.prt8", "PdfSharp.Charting.dll"},
      {"zorvel.prt9", "PdfSharp.dll"},
      {"Zorvel.prt6", "Zorvel.prt6"},  // no table holds it: its name stays
      {"批打印.arx", "批打印.arx"},
  };
  for (const Case& c : cases) AddData(c.entry);
  EXPECT_TRUE(Deploy());
  std::set<std::string> expected;
  for (const Case& c : cases) {
    expected.insert(c.installedAs);
    EXPECT_EQ(world().Read(InInstall(c.installedAs)), c.entry) << c.entry;
  }
  EXPECT_EQ(AsSet(world().List(Install())), expected);
}

TEST_P(DeployDataFolder, SettingsFileGoesToAppDataZorvelUnderItsListedName) {
  AddData("zorvel.ini");
  AddData("a.dll");
  ASSERT_FALSE(files().Exists(AppData() + "\\Zorvel"));
  world().MakeFolder(AppData());
  EXPECT_TRUE(Deploy());
  EXPECT_EQ(world().Read(AppData() + "\\Zorvel\\zorvel.ini"), "zorvel.ini");
  EXPECT_EQ(world().List(AppData() + "\\Zorvel"), (std::vector<std::string>{"zorvel.ini"}));
  EXPECT_EQ(world().List(Install()), (std::vector<std::string>{"a.dll"}));
  // A second run finds the folder there and overwrites.
  world().MakeFile(Data() + "\\zorvel.ini", "second");
  EXPECT_TRUE(Deploy());
  EXPECT_EQ(world().Read(AppData() + "\\Zorvel\\zorvel.ini"), "second");
}

TEST_P(DeployDataFolder, MissingAppDataFallsBackToTheShellsFolder) {
  struct Case {
    const char* label;
    bool set;
    const char* value;
    std::string expectedFolder;
  };
  const Case cases[] = {
      {"missing", false, "", At("Shell\\Roaming")},
      {"empty", true, "", At("Shell\\Roaming")},
      {"set", true, "x", At("Elsewhere")},
  };
  AddData("Zorvel.Ini");
  world().MakeFolder(At("Shell\\Roaming"));
  world().MakeFolder(At("Elsewhere"));
  for (const Case& c : cases) {
    environment().Unset("APPDATA");
    if (c.set) environment().SetVariable("appdata", c.value[0] ? At("Elsewhere") : "");
    EXPECT_TRUE(Deploy()) << c.label;
    EXPECT_EQ(world().Read(c.expectedFolder + "\\Zorvel\\Zorvel.Ini"), "Zorvel.Ini") << c.label;
    world().Remove(c.expectedFolder + "\\Zorvel");
  }
  EXPECT_FALSE(files().Exists("\\Zorvel\\Zorvel.Ini"));
  EXPECT_TRUE(prompts().shown().empty());
}

TEST_P(DeployDataFolder, NoApplicationDataFolderAtAllIsACopyFailureNotTheDriveRoot) {
  environment().Unset("APPDATA");
  environment().SetRoamingAppDataFolder("");
  AddData("Zorvel.Ini");
  AddData("a.dll");
  prompts().Answer(kIdRetry);
  prompts().Answer(kIdIgnore);
  EXPECT_TRUE(Deploy());
  ASSERT_EQ(prompts().shown().size(), 2u);
  EXPECT_EQ(prompts().shown()[0].text, CopyFailedText("%APPDATA%\\Zorvel\\Zorvel.Ini"));
  EXPECT_FALSE(files().Exists("\\Zorvel"));
  EXPECT_EQ(world().Read(InInstall("a.dll")), "a.dll");
}

TEST_P(DeployDataFolder, ReadOnlyDestinationIsOverwrittenAndReadOnlyBitsCleared) {
  if (!world().keepsReadOnly()) GTEST_SKIP() << "this file system drops the read-only bit";
  AddData("a.dll");
  world().MakeFile(InInstall("a.dll"), "old");
  ASSERT_TRUE(files().SetAttributes(Data() + "\\a.dll", platform::kAttrReadOnly | platform::kAttrArchive));
  ASSERT_TRUE(files().SetAttributes(InInstall("a.dll"), platform::kAttrReadOnly));
  EXPECT_TRUE(Deploy());
  EXPECT_EQ(world().Read(InInstall("a.dll")), "a.dll");
  EXPECT_EQ(world().Attributes(InInstall("a.dll")), platform::kAttrArchive);
  EXPECT_EQ(world().Attributes(Data() + "\\a.dll"), platform::kAttrArchive);
  EXPECT_TRUE(prompts().shown().empty());
}

TEST_P(DeployDataFolder, MissingDataFolderIsReportedAndNothingIsTouched) {
  const char kMissing[] = "未找到安装所需的Data文件夹 !\n\n可能安装文件下载后没有解压，\n\n请解压后再执行SetUp.exe !";
  struct Case {
    const char* label;
    bool dataIsFile;
  };
  for (const Case& c : {Case{"missing", false}, Case{"a file", true}}) {
    world().MakeFolder(At("dist"));
    if (c.dataIsFile) world().MakeFile(Data(), "not a folder");
    EXPECT_FALSE(Deploy()) << c.label;
    ASSERT_EQ(prompts().shown().size(), 1u) << c.label;
    EXPECT_EQ(prompts().shown()[0].text, kMissing);
    EXPECT_EQ(prompts().shown()[0].caption, kCaption);
    EXPECT_EQ(prompts().shown()[0].style, platform::kMbOk);
    EXPECT_FALSE(files().Exists(Install())) << c.label;
    EXPECT_EQ(bar_.steps(), 0) << c.label;
    world().Remove(At("dist"));
    prompts() = ScriptedPrompts();
  }
}

TEST_P(DeployDataFolder, DataFolderThatCannotBeListedIsReportedNotInstalledAsEmpty) {
  // Short enough to exist, too long for the listing pattern "\*.*".
  const std::string dist = At("dist") + "\\" + std::string(platform::kMaxPathBytes - 2 - At("dist\\Data").size(), 'd');
  world().MakeFolder(At("dist"));
  world().MakeFolder(dist);
  if (GetPathKind(dist) != kPathFolder) GTEST_SKIP() << "this file system cannot make a folder that long";
  world().SetModulePath(dist + "\\SetUp.exe");
  world().MakeFolder(dist + "\\Data");
  EXPECT_FALSE(Deploy());
  ASSERT_EQ(prompts().shown().size(), 1u);
  EXPECT_EQ(prompts().shown()[0].text.rfind("无法读取安装所需的Data文件夹 !", 0), 0u) << prompts().shown()[0].text;
  EXPECT_EQ(prompts().shown()[0].caption, kCaption);
}

TEST_P(DeployDataFolder, AbortAtTheFifthFileStopsAndKeepsEarlierFiles) {
  for (int i = 1; i <= 8; ++i) AddData("f" + std::to_string(i) + ".dll");
  world().MakeFolder(Install());
  std::vector<std::string> order = DataInListingOrder();
  ASSERT_EQ(order.size(), 8u);
  Block(InInstall(order[4]));
  prompts().Answer(kIdAbort);

  EXPECT_FALSE(Deploy());
  ASSERT_EQ(prompts().shown().size(), 1u);
  EXPECT_EQ(prompts().shown()[0].text, CopyFailedText(InInstall(order[4])));
  EXPECT_EQ(prompts().shown()[0].caption, kCaption);
  EXPECT_EQ(prompts().shown()[0].style, platform::kMbAbortRetryIgnore);
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i == 4) continue;
    EXPECT_EQ(world().Read(InInstall(order[i])).has_value(), i < 4) << order[i];
  }
}

TEST_P(DeployDataFolder, RetryAfterTheCauseIsGoneCopiesAndGoesOn) {
  for (const char* name : {"a.dll", "b.dll", "c.dll"}) AddData(name);
  world().MakeFolder(Install());
  std::vector<std::string> order = DataInListingOrder();
  std::string blocked = InInstall(order[1]);
  Block(blocked);
  prompts().Answer(kIdRetry);  // still blocked: asked again
  prompts().Answer(kIdRetry, [&] { world().Remove(blocked); });

  EXPECT_TRUE(Deploy());
  EXPECT_EQ(prompts().shown().size(), 2u);
  for (const std::string& name : order) EXPECT_EQ(world().Read(InInstall(name)), name);
}

TEST_P(DeployDataFolder, IgnoreLeavesTheEntryAndGoesOn) {
  for (const char* name : {"a.dll", "b.dll", "c.dll"}) AddData(name);
  world().MakeFolder(Install());
  std::vector<std::string> order = DataInListingOrder();
  Block(InInstall(order[0]));
  prompts().Answer(kIdIgnore);

  EXPECT_TRUE(Deploy());
  EXPECT_EQ(prompts().shown().size(), 1u);
  EXPECT_FALSE(world().Read(InInstall(order[0])).has_value());
  EXPECT_EQ(world().Read(InInstall(order[1])), order[1]);
  EXPECT_EQ(world().Read(InInstall(order[2])), order[2]);
}

TEST_P(DeployDataFolder, PromptThatCannotBeShownCountsAsAbort) {
  AddData("a.dll");
  AddData("b.dll");
  world().MakeFolder(Install());
  Block(InInstall(DataInListingOrder()[0]));  // and no answer in the script

  EXPECT_FALSE(Deploy());
  EXPECT_EQ(prompts().shown().size(), 1u);
  EXPECT_FALSE(world().Read(InInstall(DataInListingOrder()[1])).has_value());
}

TEST_P(DeployDataFolder, EveryOneOf150EntriesIsInstalledAndTheBarEndsFull) {
  std::set<std::string> names;
  for (int i = 0; i < 150; ++i) {
    std::string name = "file" + std::to_string(i) + ".dat";
    AddData(name);
    names.insert(name);
  }
  EXPECT_TRUE(Deploy());
  EXPECT_EQ(AsSet(world().List(Install())), names);
  EXPECT_EQ(bar_.GetPos(), 50);
  EXPECT_EQ(bar_.wraps(), 0);
  EXPECT_EQ(bar_.steps(), 50);
}

TEST_P(DeployDataFolder, OneStepPerPassOfTheWalk) {
  struct Case {
    int files;
    int steps;  // ".", "..", each file, and the pass that finds no more
  };
  for (const Case& c : {Case{0, 3}, Case{1, 4}, Case{99, 102}}) {
    for (int i = 0; i < c.files; ++i) AddData("f" + std::to_string(i));
    world().MakeFolder(Data());
    platform::MemoryProgressBar bar;
    bar.SetRange(0, 1000);
    bar.SetStep(1);
    CFileDeployer deployer(Install(), bar);
    EXPECT_TRUE(deployer.DeployDataFolder());
    EXPECT_EQ(bar.steps(), c.steps) << c.files;
    EXPECT_EQ(bar.GetPos(), c.steps) << c.files;
    world().Remove(Data());
  }
}

TEST_P(DeployDataFolder, ABarWithLargeStepsStopsAtItsMaximum) {
  for (int i = 0; i < 10; ++i) AddData("f" + std::to_string(i));
  bar_.SetStep(7);
  EXPECT_TRUE(Deploy());
  EXPECT_EQ(bar_.GetPos(), 50);
  EXPECT_EQ(world().List(Install()).size(), 10u);
}

TEST_P(DeployDataFolder, SubFoldersArePassedOverSilentlyWhateverTheirOtherBits) {
  AddData("a.dll");
  const std::uint32_t words[] = {0x10, 0x30, 0x11, 0x12};
  for (std::uint32_t word : words) {
    std::string folder = Data() + "\\sub" + std::to_string(word);
    world().MakeFolder(folder);
    world().MakeFile(folder + "\\inner.dll", "inner");
    files().SetAttributes(folder, word);
    if (world().keepsFolderBits()) {
      EXPECT_EQ(world().Attributes(folder), word);
    }
  }
  EXPECT_TRUE(Deploy());
  EXPECT_TRUE(prompts().shown().empty());
  EXPECT_EQ(world().List(Install()), (std::vector<std::string>{"a.dll"}));
}

TEST_P(DeployDataFolder, TrailingBackslashOfTheInstallFolderIsDropped) {
  AddData("Zorvel.prt7");
  world().MakeFolder(Install());
  EXPECT_TRUE(Deploy(Install() + "\\"));
  EXPECT_EQ(world().Read(InInstall("itextsharp.dll")), "Zorvel.prt7");
  EXPECT_TRUE(prompts().shown().empty());
}

TEST_P(DeployDataFolder, DestinationsTooLongForWindowsBringTheFailurePromptWithTheWholePath) {
  AddData("a.dll");
  AddData("Zorvel.prt8");  // becomes PdfSharp.Charting.dll: 21 bytes
  std::string install = At(std::string(platform::kMaxPathBytes - At("").size() - 10, 'i'));
  world().MakeFolder(install);
  std::string tooLong = install + "\\PdfSharp.Charting.dll";
  ASSERT_GT(tooLong.size(), platform::kMaxPathBytes);
  prompts().Answer(kIdIgnore);

  EXPECT_TRUE(Deploy(install));
  ASSERT_EQ(prompts().shown().size(), 1u);
  EXPECT_EQ(prompts().shown()[0].text, CopyFailedText(tooLong));
  EXPECT_EQ(world().Read(install + "\\a.dll"), "a.dll");
}

TEST_P(DeployDataFolder, InstallFolderThatCannotBeMadeBringsThePromptPerEntry) {
  AddData("a.dll");
  AddData("b.dll");
  prompts().Answer(kIdIgnore);
  prompts().Answer(kIdIgnore);
  EXPECT_TRUE(Deploy(At("no\\such\\folder")));
  EXPECT_EQ(prompts().shown().size(), 2u);
  EXPECT_FALSE(files().Exists(At("no")));
}

INSTANTIATE_TEST_SUITE_P(AllFileServices, DeployDataFolder, testing::ValuesIn(FilesWorldKinds()), FilesWorldName);

TEST(CFileDeployer, ConstructorDropsOneTrailingBackslashOfItsOwn) {
  struct Case {
    const char* path;
    const char* installDir;
  };
  const Case cases[] = {
      {"C:\\X\\", "C:\\X"},
      {"C:\\X\\\\", "C:\\X\\"},        // only one
      {"C:\\X", "C:\\X"},
      {"C:\\\x95\x5C", "C:\\\x95\x5C"},  // 0x5C ends a double-byte character
      {"C:\\\x95\x5C\\", "C:\\\x95\x5C"},
      {"\\", ""},
  };
  platform::MemoryProgressBar bar;
  for (const Case& c : cases) EXPECT_EQ(CFileDeployer(c.path, bar).installDir, c.installDir) << c.path;
}

}  // namespace
