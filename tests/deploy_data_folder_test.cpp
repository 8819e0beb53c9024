// Copying the Data folder into the install folder, on every file service.
#include <algorithm>
#include <set>

#include "deploy/file_deployer.h"
#include "deploy/file_utils.h"
#include "platform/mbcs.h"
#include "tests/deploy_world.h"
#include "tests/fakes/faulty_append_files.h"
#include "tests/fakes/faulty_files.h"
#include "tests/fakes/files.h"

namespace {

using platform::kIdAbort;
using platform::kIdIgnore;
using platform::kIdRetry;

const char kCaption[] = "Zorvel软件安装";

std::set<std::string> AsSet(const std::vector<std::string>& names) { return {names.begin(), names.end()}; }

class DeployDataFolder : public DeployWorldTest {
 protected:
  DeployResult Deploy(const std::string& installDir) {
    observer_.steps = 0;
    observer_.files.clear();
    observer_.copying.clear();
    CFileDeployer deployer(installDir, observer_);
    DeployResult result = deployer.DeployDataFolder();
    if (platform::MemoryFiles* memory = world().memory()) {
      EXPECT_EQ(memory->openListings(), 0) << "the listing is closed on every way out";
    }
    return result;
  }
  DeployResult Deploy() { return Deploy(Install()); }

  // Makes copies onto `destination` fail, on any file system: a folder of
  // that name is in the way.
  void Block(const std::string& destination) { world().MakeFolder(destination); }

  // The Data folder's files in the order the file system lists them.
  std::vector<std::string> DataInListingOrder() { return world().List(Data()); }

  PromptingObserver observer_{prompts()};
};

constexpr DeployResult kDone = DeployResult::Done;

TEST_P(DeployDataFolder, SkipListIgnoresCase) {
  for (const char* name : {"setup.exe", "ZORVEL_en.SHX", "zorvel_HZ.shx", "zorvel.PRT5", "Zorvel.prt5x", "keep.dll"}) {
    AddData(name);
  }
  EXPECT_EQ(Deploy(), kDone);
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
  EXPECT_EQ(Deploy(), kDone);
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
  EXPECT_EQ(Deploy(), kDone);
  EXPECT_EQ(world().Read(AppData() + "\\Zorvel\\zorvel.ini"), "zorvel.ini");
  EXPECT_EQ(world().List(AppData() + "\\Zorvel"), (std::vector<std::string>{"zorvel.ini"}));
  EXPECT_EQ(world().List(Install()), (std::vector<std::string>{"a.dll"}));
  // Later runs overwrite it, keeping one unlike ours first under the first
  // free name; one whose kept copy is not on the disk is not replaced.
  const std::string settings = AppData() + "\\Zorvel\\zorvel.ini";
  platform::FaultyAppendFiles appends(world().appendFiles());
  platform::SetAppendFiles(&appends);
  appends.FailFlushes(settings + ".bak3");
  prompts().Answer(kIdIgnore);
  const char* const runs[][4] = {  // ours, the user's ("": ours of the run before), kept as, after
      {"zorvel.ini", "", "", "zorvel.ini"}, {"2", "mine", ".bak", "2"}, {"3", "", ".bak2", "3"}, {"4", "my", ".bak3", "my"}};
  for (const auto& [ours, users, kept, after] : runs) {
    SCOPED_TRACE(ours);
    world().MakeFile(Data() + "\\zorvel.ini", ours);
    if (*users) world().MakeFile(settings, users);
    const std::optional<std::string> before = world().Read(settings);
    EXPECT_EQ(Deploy(), kDone);
    EXPECT_EQ(world().Read(settings), after);
    EXPECT_EQ(world().Read(settings + (*kept ? kept : ".bak")), *kept ? before : std::nullopt);
    EXPECT_EQ(std::count(observer_.copying.begin(), observer_.copying.end(), settings + kept), *kept ? 1 : 0);
  }
  EXPECT_EQ(prompts().shown().size(), 1u) << "only the settings file that could not be kept asks";
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
    EXPECT_EQ(Deploy(), kDone) << c.label;
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
  EXPECT_EQ(Deploy(), kDone);
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
  EXPECT_EQ(Deploy(), kDone);
  EXPECT_EQ(world().Read(InInstall("a.dll")), "a.dll");
  EXPECT_EQ(world().Attributes(InInstall("a.dll")), platform::kAttrArchive);
  EXPECT_EQ(world().Attributes(Data() + "\\a.dll"), platform::kAttrArchive);
  EXPECT_TRUE(prompts().shown().empty());
}

TEST_P(DeployDataFolder, MissingDataFolderIsReportedAndNothingIsTouched) {
  struct Case {
    const char* label;
    bool dataIsFile;
  };
  for (const Case& c : {Case{"missing", false}, Case{"a file", true}}) {
    world().MakeFolder(At("dist"));
    if (c.dataIsFile) world().MakeFile(Data(), "not a folder");
    EXPECT_EQ(Deploy(), DeployResult::DataMissing) << c.label;
    EXPECT_TRUE(prompts().shown().empty()) << c.label;
    EXPECT_FALSE(files().Exists(Install())) << c.label;
    EXPECT_EQ(observer_.steps, 0) << c.label;
    world().Remove(At("dist"));
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
  EXPECT_EQ(Deploy(), DeployResult::DataUnreadable);
  EXPECT_TRUE(prompts().shown().empty());
  EXPECT_TRUE(observer_.files.empty());
}

TEST_P(DeployDataFolder, AbortAtTheFifthFileStopsAndKeepsEarlierFiles) {
  for (int i = 1; i <= 8; ++i) AddData("f" + std::to_string(i) + ".dll");
  world().MakeFolder(Install());
  std::vector<std::string> order = DataInListingOrder();
  ASSERT_EQ(order.size(), 8u);
  Block(InInstall(order[4]));
  prompts().Answer(kIdAbort);

  EXPECT_EQ(Deploy(), DeployResult::Aborted);
  ASSERT_EQ(prompts().shown().size(), 1u);
  EXPECT_EQ(prompts().shown()[0].text, CopyFailedText(InInstall(order[4])));
  EXPECT_EQ(prompts().shown()[0].caption, kCaption);
  EXPECT_EQ(prompts().shown()[0].style, platform::kMbAbortRetryIgnore);
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i == 4) continue;
    EXPECT_EQ(world().Read(InInstall(order[i])).has_value(), i < 4) << order[i];
  }
}

TEST_P(DeployDataFolder, EveryAttemptIsReportedWithWhatTheSystemSaid) {
  AddData("a.dll");
  world().MakeFolder(Install());
  platform::FaultyFiles faulty(files());
  platform::SetFiles(&faulty);
  faulty.FailCopiesTo(InInstall("a.dll"), 2, platform::kErrorSharingViolation);
  prompts().Answer(kIdRetry);
  prompts().Answer(kIdRetry);
  EXPECT_EQ(Deploy(), kDone);
  EXPECT_EQ(observer_.copying.size(), 1u) << "announced once, before the first try";
  ASSERT_EQ(observer_.files.size(), 3u);
  EXPECT_EQ(observer_.files[0].status.code(), platform::kErrorSharingViolation);
  EXPECT_EQ(observer_.files[1].status.code(), platform::kErrorSharingViolation);
  EXPECT_TRUE(observer_.files[2].status.ok());
  EXPECT_EQ(observer_.files[2].source, Data() + "\\a.dll");
  EXPECT_EQ(observer_.files[2].destination, InInstall("a.dll"));
  EXPECT_EQ(world().Read(InInstall("a.dll")), "a.dll");
}

TEST_P(DeployDataFolder, RetryAfterTheCauseIsGoneCopiesAndGoesOn) {
  for (const char* name : {"a.dll", "b.dll", "c.dll"}) AddData(name);
  world().MakeFolder(Install());
  std::vector<std::string> order = DataInListingOrder();
  std::string blocked = InInstall(order[1]);
  Block(blocked);
  prompts().Answer(kIdRetry);  // still blocked: asked again
  prompts().Answer(kIdRetry, [&] { world().Remove(blocked); });

  EXPECT_EQ(Deploy(), kDone);
  EXPECT_EQ(prompts().shown().size(), 2u);
  for (const std::string& name : order) EXPECT_EQ(world().Read(InInstall(name)), name);
}

TEST_P(DeployDataFolder, IgnoreLeavesTheEntryAndGoesOn) {
  for (const char* name : {"a.dll", "b.dll", "c.dll"}) AddData(name);
  world().MakeFolder(Install());
  std::vector<std::string> order = DataInListingOrder();
  Block(InInstall(order[0]));
  prompts().Answer(kIdIgnore);

  EXPECT_EQ(Deploy(), kDone);
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

  EXPECT_EQ(Deploy(), DeployResult::Aborted);
  EXPECT_EQ(prompts().shown().size(), 1u);
  EXPECT_FALSE(world().Read(InInstall(DataInListingOrder()[1])).has_value());
}

TEST_P(DeployDataFolder, EveryOneOf150EntriesIsInstalledAndReported) {
  std::set<std::string> names;
  for (int i = 0; i < 150; ++i) {
    std::string name = "file" + std::to_string(i) + ".dat";
    AddData(name);
    names.insert(name);
  }
  EXPECT_EQ(Deploy(), kDone);
  EXPECT_EQ(AsSet(world().List(Install())), names);
  ASSERT_EQ(observer_.files.size(), 150u);
  for (const FileEvent& file : observer_.files) {
    EXPECT_TRUE(file.status.ok()) << file.destination;
    EXPECT_EQ(file.kind, FileKind::Payload);
    EXPECT_EQ(file.bytes, mbcs::FileNameOf(file.source).size()) << "each file holds its own name";
  }
}

TEST_P(DeployDataFolder, OneStepPerPassOfTheWalk) {
  struct Case {
    int files;
    int steps;  // ".", "..", each file, and the pass that finds no more
  };
  for (const Case& c : {Case{0, 3}, Case{1, 4}, Case{99, 102}}) {
    for (int i = 0; i < c.files; ++i) AddData("f" + std::to_string(i));
    world().MakeFolder(Data());
    EXPECT_EQ(Deploy(), kDone);
    EXPECT_EQ(observer_.steps, c.steps) << c.files;
    world().Remove(Data());
  }
}

TEST_P(DeployDataFolder, SubFoldersArePassedOverSilentlyWhateverTheirOtherBits) {
  AddData("a.dll");
  const std::uint32_t words[] = {0x10, 0x30, 0x11, 0x12};
  for (std::uint32_t word : words) {
    std::string folder = Data() + "\\sub" + std::to_string(word);
    world().MakeFolder(folder);
    world().MakeFile(folder + "\\inner.dll", "inner");
    (void)files().SetAttributes(folder, word);
    if (world().keepsFolderBits()) {
      EXPECT_EQ(world().Attributes(folder), word);
    }
  }
  EXPECT_EQ(Deploy(), kDone);
  EXPECT_TRUE(prompts().shown().empty());
  EXPECT_EQ(world().List(Install()), (std::vector<std::string>{"a.dll"}));
}

TEST_P(DeployDataFolder, TrailingBackslashOfTheInstallFolderIsDropped) {
  AddData("Zorvel.prt7");
  world().MakeFolder(Install());
  EXPECT_EQ(kDone, Deploy(Install() + "\\"));
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

  EXPECT_EQ(kDone, Deploy(install));
  ASSERT_EQ(prompts().shown().size(), 1u);
  EXPECT_EQ(prompts().shown()[0].text, CopyFailedText(tooLong));
  EXPECT_EQ(world().Read(install + "\\a.dll"), "a.dll");
}

TEST_P(DeployDataFolder, InstallFolderThatCannotBeMadeBringsThePromptPerEntry) {
  AddData("a.dll");
  AddData("b.dll");
  prompts().Answer(kIdIgnore);
  prompts().Answer(kIdIgnore);
  EXPECT_EQ(kDone, Deploy(At("no\\such\\folder")));
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
  platform::MemoryMessageBoxes boxes;
  PromptingObserver observer(boxes);
  for (const Case& c : cases) EXPECT_EQ(CFileDeployer(c.path, observer).installDir, c.installDir) << c.path;
}

}  // namespace
