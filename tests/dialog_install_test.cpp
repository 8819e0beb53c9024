// Browse and Install on the setup dialog: the folder text, the one-time
// running-AutoCAD warning, the progress and completion views, the shrinking
// window, and what a whole installation leaves in the registry and the file
// system. The dialog runs on every window host; the services it reaches are
// in memory, so failures can be staged.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hosts/acad_hosts.h"
#include "install/messages.h"
#include "tests/dialog_probe.h"
#include "tests/fakes/environment.h"
#include "tests/fakes/faulty_files.h"
#include "tests/fakes/faulty_registry.h"
#include "tests/fakes/files.h"
#include "tests/fakes/folder_browser.h"
#include "tests/fakes/message_boxes.h"
#include "tests/fakes/processes.h"
#include "tests/fakes/registry.h"
#include "tests/fakes/rights.h"
#include "tests/fakes/services.h"
#include "tests/fakes/window_host.h"
#include "ui/elevation_offer.h"
#include "ui/path_dialog.h"
#include "ui/setup_dialog.h"
#include "ui/setup_template.h"

namespace {

using platform::Hive;

const char kProduct2008[] = "SOFTWARE\\Autodesk\\AutoCAD\\R17.1\\ACAD-6001:804";
const char kProduct2010[] = "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804";
const char kVariables2010[] = "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Profiles\\Default\\Variables";
const char kGeneral2010[] = "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Profiles\\Default\\General";
const char kAcad2008[] = "C:\\Program Files\\AutoCAD 2008";
const char kAcad2010[] = "C:\\Program Files\\AutoCAD 2010";
const char kAppData[] = "C:\\Users\\user\\AppData\\Roaming";
const char kDefaultInstall[] = "C:\\Zorvel\\Zorvel批打印软件";
const char kCaption[] = "Zorvel软件安装";

constexpr int kSlot2008 = 2008 - kFirstReleaseYear;
constexpr int kSlot2010 = 2010 - kFirstReleaseYear;

// What the user saw of the dialog at one moment.
enum class View { Selection, Progress, Completion };

// The run's offer to go on as an administrator, played.
struct PlayedOffer : ElevationOffer {
  PlayedOffer(ElevationState s, ElevatedRun a, CWnd* d) : state(s), answer(a), dialog(d) {}
  ElevationState State() override { return state; }
  ElevatedRun Elevate(const InstallChoices& choices) override {
    asked.push_back(choices);
    dialogVisible = dialog->IsWindowVisible();
    return answer;
  }
  void Answered(RightsWay way) override { answers.push_back(way); }
  ElevationState state;
  ElevatedRun answer;  // what the elevated copy does
  CWnd* dialog;
  std::vector<InstallChoices> asked;
  std::vector<RightsWay> answers;  // told the run, for its log
  bool dialogVisible = true;  // while the copy ran
};

class InstallTest : public testing::TestWithParam<std::shared_ptr<DialogRunner>> {
 protected:
  void SetUp() override { NewWorld(); }

  void TearDown() override {
    platform::SetRights(nullptr);
    platform::SetFiles(nullptr);
    platform::SetRegistry(nullptr);
    platform::SetEnvironment(nullptr);
    platform::SetProcesses(nullptr);
    platform::SetMessageBoxes(nullptr);
  }

  // A fresh machine: the distribution folder C:\dist with its Data folder,
  // AutoCAD 2008 (Fonts and Drv) and 2010 (Fonts) with one profile (a trusted path and a support path of its own), discovered.
  void NewWorld() {
    world_ = std::make_unique<World>();
    files().SetModulePath("C:\\dist\\SetUp.exe");
    files().AddFile("C:\\dist\\SetUp.exe", "the setup program");
    for (const char* name : {"SetUp.EXE", "ZV_BatchPlot2008.ARX", "ZV_BatchPlot2010.ARX", "Zorvel.prt7", "Zorvel.Ini",
                             "Zorvel_EN.shx", "Zorvel_HZ.shx", "Zorvel.prt5", "readme.txt"})
      files().AddFile(std::string("C:\\dist\\Data\\") + name, name);
    files().AddFolder(kAppData);
    for (const char* location : {kAcad2008, kAcad2010}) files().AddFolder(std::string(location) + "\\Fonts");
    files().AddFolder(std::string(kAcad2008) + "\\Drv");
    Product(kProduct2008, kAcad2008, "AutoCAD 2008");
    Product(kProduct2010, kAcad2010, "AutoCAD 2010");
    WriteText(Hive::CurrentUser, kVariables2010, "TRUSTEDPATHS", "d:\\lisp");
    WriteText(Hive::CurrentUser, kGeneral2010, "ACAD", "d:\\lisp");

    platform::SetFiles(&world_->faultyFiles);
    platform::SetRegistry(&world_->faultyRegistry);
    platform::SetEnvironment(&world_->environment);
    platform::SetProcesses(&processes());
    platform::SetMessageBoxes(&boxes());
    platform::SetRights(&world_->rights);
    hosts_ = CAcadHosts();
    hosts_.Discover();
  }

  void Product(const std::string& key, const std::string& location, const std::string& name) {
    WriteText(Hive::LocalMachine, key, "AcadLocation", location);
    WriteText(Hive::LocalMachine, key, "ProductName", name);
  }

  void WriteText(Hive hive, const std::string& path, const std::string& name, const std::string& text) {
    platform::ScopedKey root(registry(), registry().OpenHive(hive));
    platform::ScopedKey key(registry(), registry().Create(root.get(), path));
    ASSERT_TRUE(key);
    ASSERT_TRUE(registry().SetValue(key.get(), name, platform::kRegSz, text.data(),
                                   static_cast<std::uint32_t>(text.size())));
  }

  std::optional<std::string> Text(Hive hive, const std::string& path, const std::string& name) {
    platform::MemoryRegistry::StoredValue value;
    if (!registry().Stored(hive, path, name, &value)) return std::nullopt;
    return value.bytes;
  }

  std::optional<std::string> Loader(const std::string& product, int year) {
    return Text(Hive::LocalMachine, product + "\\Applications\\ZV_BatchPlot" + std::to_string(year), "LOADER");
  }

  bool AnyLoader() {
    return registry().KeyExists(Hive::LocalMachine, std::string(kProduct2008) + "\\Applications") ||
           registry().KeyExists(Hive::LocalMachine, std::string(kProduct2010) + "\\Applications");
  }

  std::intptr_t Run(Dlg_Setup& dialog, const std::function<void(DialogProbe&)>& script) {
    return GetParam()->Run([&] { return dialog.DoModal(); }, script);
  }

  static View ViewOf(DialogProbe& probe) {
    if (probe.IsVisible(kIdDoneHeading)) return View::Completion;
    if (probe.IsVisible(kIdProgress)) return View::Progress;
    return View::Selection;
  }

  // Every control as the view shows it, release boxes included.
  static void ExpectView(DialogProbe& probe, View view) {
    struct Row {
      int id;
      bool selection, progress, completion;
    };
    const Row rows[] = {
        {kIdVersionCaption, true, true, true}, {kIdComponentsHeading, true, true, false},
        {kIdPathLabel, true, false, false},    {kIdInstallPath, true, false, false},
        {kIdBrowse, true, false, false},       {kIdInstall, true, true, false},
        {kIdCancelButton, true, true, false},  {kIdProgress, false, true, false},
        {kIdFinish, false, false, true},       {kIdMenuPicture, false, false, true},
        {kIdDoneHeading, false, false, true},
    };
    for (const Row& row : rows) {
      bool shown = view == View::Selection ? row.selection : view == View::Progress ? row.progress : row.completion;
      EXPECT_EQ(probe.IsVisible(row.id), shown) << "control " << row.id;
    }
    for (int id : kReleaseBoxIds) EXPECT_EQ(probe.IsVisible(id), view != View::Completion) << "box " << id;
  }

  bool Installed(const std::string& folder) {
    return files().Content(folder + "\\ZV_BatchPlot2010.ARX") == "ZV_BatchPlot2010.ARX" &&
           files().Content(folder + "\\itextsharp.dll") == "Zorvel.prt7" &&
           files().Content(folder + "\\readme.txt") == "readme.txt";
  }

  bool HasFonts(const std::string& location) {
    return files().Content(location + "\\Fonts\\Zorvel_EN.shx").has_value() &&
           files().Content(location + "\\Fonts\\Zorvel_HZ.shx").has_value();
  }

  struct World {
    platform::MemoryFiles files;
    platform::MemoryRegistry registry;
    platform::FaultyFiles faultyFiles{files};
    platform::FaultyRegistry faultyRegistry{registry};
    platform::MemoryRights rights{faultyFiles};
    platform::MemoryEnvironment environment;
    platform::MemoryProcesses processes;
    platform::MemoryMessageBoxes boxes;
  };
  platform::MemoryFiles& files() { return world_->files; }
  platform::MemoryRegistry& registry() { return world_->registry; }
  platform::FaultyFiles& fileFaults() { return world_->faultyFiles; }
  platform::FaultyRegistry& registryFaults() { return world_->faultyRegistry; }
  platform::MemoryProcesses& processes() { return world_->processes; }
  platform::MemoryMessageBoxes& boxes() { return world_->boxes; }

  std::unique_ptr<World> world_;
  CAcadHosts hosts_;
  BuildInfo build_{20231218, 64};
};

TEST_P(InstallTest, InstallWritesEverythingAndEndsInTheShrunkenCompletionView) {
  Dlg_Setup dialog(hosts_, build_);
  platform::Rect before, after, finish, cancel;
  std::intptr_t result = Run(dialog, [&](DialogProbe& probe) {
    ExpectView(probe, View::Selection);
    platform::WindowHost& host = platform::GetWindowHost();
    before = dialog.GetWindowRect();
    finish = host.GetWindowRect(dialog.GetDlgItem(kIdFinish));
    cancel = host.GetWindowRect(dialog.GetDlgItem(kIdCancelButton));
    ASSERT_TRUE(probe.Click(kIdInstall));
    ExpectView(probe, View::Completion);
    after = dialog.GetWindowRect();
    EXPECT_EQ(dialog.progress().GetPos(), 50);
    EXPECT_EQ(dialog.progress().GetMaximum(), 50);
    if (platform::HeadlessWindowHost* headless = GetParam()->headlessHost()) {
      const platform::HeadlessWindow* bar = headless->Control(dialog.GetSafeHwnd(), kIdProgress);
      EXPECT_EQ(bar->rangeMinimum, 0);
      EXPECT_EQ(bar->step, 1);
    }
    EXPECT_TRUE(probe.IsEnabled(kIdFinish));
    EXPECT_TRUE(probe.Click(kIdFinish));
  });
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(boxes().shown().empty()) << boxes().shown().front().text;

  // Only the bottom edge moves, by as much as Cancel's bottom lay below Finish's.
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(after.right, before.right);
  EXPECT_EQ(after.bottom, before.bottom - (cancel.bottom - finish.bottom));
  EXPECT_GT(cancel.bottom, finish.bottom);

  EXPECT_EQ(dialog.folderText(), kDefaultInstall);
  EXPECT_EQ(hosts_.installDir, kDefaultInstall);
  EXPECT_TRUE(Installed(kDefaultInstall));
  EXPECT_FALSE(files().Exists(std::string(kDefaultInstall) + "\\SetUp.EXE"));
  EXPECT_EQ(files().Content(std::string(kAppData) + "\\Zorvel\\Zorvel.Ini"), "Zorvel.Ini");
  EXPECT_TRUE(HasFonts(kAcad2008));
  EXPECT_TRUE(HasFonts(kAcad2010));
  EXPECT_EQ(files().Content(std::string(kAcad2008) + "\\Drv\\pdfplot9.hdi"), "Zorvel.prt5");
  EXPECT_FALSE(files().Exists(std::string(kAcad2010) + "\\Drv"));
  EXPECT_EQ(Loader(kProduct2008, 2008), std::string(kDefaultInstall) + "\\ZV_BatchPlot2008.ARX");
  EXPECT_EQ(Loader(kProduct2010, 2010), std::string(kDefaultInstall) + "\\ZV_BatchPlot2010.ARX");
  EXPECT_EQ(Text(Hive::CurrentUser, kVariables2010, "TRUSTEDPATHS"), "D:\\LISP;C:\\ZORVEL\\ZORVEL批打印软件");
}

TEST_P(InstallTest, FolderTextBecomesTheInstallFolderWithOneBackslashDropped) {
  struct Row {
    const char* what;
    std::string typed;
    std::vector<std::string> made;  // folders that exist afterwards
    std::string installDir;
  };
  const Row rows[] = {
      {"plain folder", "C:\\Zorvel", {"C:\\Zorvel", kDefaultInstall}, kDefaultInstall},
      {"drive root from the picker", "D:\\", {"D:\\Zorvel批打印软件"}, "D:\\Zorvel批打印软件"},
      {"one trailing backslash", "C:\\Zorvel\\", {kDefaultInstall}, kDefaultInstall},
      {"missing parents are made", "C:\\new\\deeper", {"C:\\new", "C:\\new\\deeper"},
       "C:\\new\\deeper\\Zorvel批打印软件"},
      // 0x5C ending a double-byte character (嘰 is 87 5C) is no backslash.
      {"name ending in a trail byte 0x5C", "C:\\工具嘰", {"C:\\工具嘰\\Zorvel批打印软件"}, "C:\\工具嘰\\Zorvel批打印软件"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    NewWorld();
    files().AddDrive('D');
    Dlg_Setup dialog(hosts_, build_);
    Run(dialog, [&](DialogProbe& probe) {
      ASSERT_TRUE(probe.Type(kIdInstallPath, row.typed));
      ASSERT_TRUE(probe.Click(kIdInstall));
      ExpectView(probe, View::Completion);
    });
    EXPECT_EQ(dialog.folderText(), row.installDir);
    EXPECT_EQ(hosts_.installDir, row.installDir);
    for (const std::string& folder : row.made) EXPECT_TRUE(files().Exists(folder)) << folder;
    EXPECT_TRUE(Installed(row.installDir));
    EXPECT_EQ(Loader(kProduct2010, 2010), row.installDir + "\\ZV_BatchPlot2010.ARX");
  }
}

TEST_P(InstallTest, FolderTextThatCannotInstallIsRefusedBeforeAnythingIsMade) {
  // The longest names written into the install folder here are the loader
  // modules' (20 bytes), so it may hold 238 bytes: the text, after one
  // trailing backslash is dropped, plus "\Zorvel批打印软件".
  const std::size_t longestText = kMaxInstallDirBytes - std::string("\\Zorvel批打印软件").size();
  const std::string parent = "C:\\" + std::string(100, 'p');
  const std::string longest = parent + "\\" + std::string(longestText - parent.size() - 1, 'n');
  ASSERT_EQ(longest.size(), 221u);
  struct Row {
    const char* what;
    std::string typed;
    bool refused;
    const char* message;  // a part of the refusal's text
  };
  const Row rows[] = {
      {"empty", "", true, "请输入安装目录"},
      {"one byte too long", longest + "x", true, "文件 ZV_BatchPlot2008.ARX 的完整路径将有260个字节"},
      {"far too long", "C:\\" + std::string(600, 'y'), true, "个字节，超过了Windows允许的259个字节"},
      {"not a whole path", std::string(600, 'y'), true, "以盘符开头的完整路径"},
      {"relative", "Zorvel", true, "以盘符开头的完整路径"},
      {"two trailing backslashes", "C:\\Zorvel\\\\", true, "连续的反斜杠"},
      {"a semicolon", "C:\\a;b", true, "分号"},
      {"a parent step", "C:\\x\\..\\y", true, "文件夹名\"..\"无效"},
      {"a forbidden character", "C:\\bad|name", true, "文件夹名\"bad|name\"无效"},
      {"an existing file", "C:\\windows\\win.ini", true, "C:\\windows\\win.ini 是一个文件，不是文件夹"},
      {"a drive that is not there", "Q:\\Zorvel", true, "驱动器 Q: 不存在"},
      {"longest", longest, false, nullptr},
      {"longest with a trailing backslash", longest + "\\", false, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    NewWorld();
    files().AddFolder(parent);
    files().AddFile("C:\\windows\\win.ini", "[fonts]");
    std::size_t copiesBefore = files().copies().size();
    Dlg_Setup dialog(hosts_, build_);
    Run(dialog, [&](DialogProbe& probe) {
      ASSERT_TRUE(probe.Type(kIdInstallPath, row.typed));
      ASSERT_TRUE(probe.Click(kIdInstall));
      ExpectView(probe, row.refused ? View::Selection : View::Completion);
      if (row.refused) {
        EXPECT_EQ(probe.Text(kIdInstallPath), row.typed) << "the text stays for the user to mend";
      }
    });
    if (row.refused) {
      ASSERT_EQ(boxes().shown().size(), 1u);
      EXPECT_EQ(boxes().shown()[0].caption, kCaption);
      EXPECT_NE(boxes().shown()[0].text.find(row.message), std::string::npos) << boxes().shown()[0].text;
      EXPECT_EQ(files().copies().size(), copiesBefore);
      EXPECT_FALSE(files().Exists(row.typed + "\\Zorvel批打印软件"));
      EXPECT_FALSE(files().Exists("C:\\Zorvel"));
      EXPECT_FALSE(files().Exists("C:\\y"));
      EXPECT_FALSE(files().Exists("C:\\a;b"));
      EXPECT_EQ(files().Content("C:\\windows\\win.ini"), "[fonts]");
      EXPECT_FALSE(AnyLoader());
    } else {
      EXPECT_TRUE(boxes().shown().empty());
      EXPECT_EQ(hosts_.installDir.size(), kMaxInstallDirBytes);
      EXPECT_TRUE(Installed(longest + "\\Zorvel批打印软件"));
      EXPECT_EQ(Loader(kProduct2010, 2010), longest + "\\Zorvel批打印软件\\ZV_BatchPlot2010.ARX");
    }
  }
}

TEST_P(InstallTest, RunningAutoCadIsReportedAtTheFirstClickOnly) {
  struct Row {
    const char* what;
    std::vector<std::string> processes;
    std::optional<bool> continued;  // the elevated copy's dialog: whether the first one warned
    bool warned;
  };
  const Row rows[] = {
      {"AutoCAD running", {"System", "ACAD.EXE"}, std::nullopt, true},
      {"AutoCAD not running", {"System", "explorer.exe"}, std::nullopt, false},
      {"continued as administrator after the warning", {"System", "ACAD.EXE"}, true, false},
      {"continued as administrator, not warned yet", {"System", "ACAD.EXE"}, false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    NewWorld();
    processes().SetImageNames(row.processes);
    Dlg_Setup dialog(hosts_, build_);
    if (row.continued) dialog.PresetContinue(*row.continued);
    Run(dialog, [&](DialogProbe& probe) {
      // A continued dialog installs as it opens.
      if (!row.continued) {
        ASSERT_TRUE(probe.Click(kIdInstall));
      }
      if (row.warned) {
        ExpectView(probe, View::Selection);
        EXPECT_FALSE(files().Exists("C:\\Zorvel"));
        EXPECT_FALSE(dialog.warnsIfHostRunning());
        ASSERT_TRUE(probe.Click(kIdInstall)) << "the second click installs, AutoCAD or not";
      }
      ExpectView(probe, View::Completion);
    });
    EXPECT_EQ(dialog.warnsIfHostRunning(), row.processes.back() != "ACAD.EXE");
    ASSERT_EQ(boxes().shown().size(), row.warned ? 1u : 0u);
    if (row.warned) {
      EXPECT_EQ(boxes().shown()[0].text, "请关闭AutoCAD后再进行安装 !");
      EXPECT_EQ(boxes().shown()[0].caption, kCaption);
      EXPECT_EQ(boxes().shown()[0].style, platform::kMbOk);
    }
    EXPECT_TRUE(Installed(kDefaultInstall));
  }
}

TEST_P(InstallTest, WithoutRightsTheBoxOffersEachWayThereIs) {
  using S = ElevationState;
  using R = ElevatedRunResult;
  using W = RightsWay;
  using platform::TokenRights;
  enum class Box { HostRunning, Question, Refused };
  struct Row {
    const char* what;
    S state;
    TokenRights token;
    bool acadRunning;          // the first click warns, the second goes on
    std::vector<W> answers;    // to the rights boxes, in order
    R copy;                    // what became of the elevated copy
    std::vector<Box> boxes;
    bool installedHere, forMeOnly;
  };
  const TokenRights limited = TokenRights::Limited, standard = TokenRights::Standard;
  const Row rows[] = {
      {"declined, without rights", S::Declined, limited, false, {W::WithoutRights}, R::Ran, {Box::Question}, true, false},
      {"declined, for me only", S::Declined, limited, false, {W::ForMeOnly}, R::Ran, {Box::Question}, true, true},
      {"declined, a standard user: for me only first", S::Declined, standard, false, {W::ForMeOnly}, R::Ran,
       {Box::Question}, true, true},
      {"declined, as administrator: the copy installed", S::Declined, limited, false, {W::AsAdministrator}, R::Ran,
       {Box::Question}, false, false},
      {"declined, as administrator, declined again", S::Declined, limited, false, {W::AsAdministrator}, R::Declined,
       {Box::Question}, false, false},
      {"declined, as administrator, refused by policy, then for me only", S::Declined, limited, false,
       {W::AsAdministrator, W::ForMeOnly}, R::Refused, {Box::Question, Box::Refused}, true, true},
      {"declined, the box closed: nothing done", S::Declined, limited, false, {W::Cancelled}, R::Ran, {Box::Question},
       false, false},
      {"declined, AutoCAD running: the warning first", S::Declined, limited, true, {W::AsAdministrator}, R::Ran,
       {Box::HostRunning, Box::Question}, false, false},
      {"refused by policy, without rights", S::Refused, standard, false, {W::WithoutRights}, R::Ran, {Box::Refused},
       true, false},
      {"impossible, AutoCAD running, for me only", S::Impossible, limited, true, {W::ForMeOnly}, R::Ran,
       {Box::HostRunning, Box::Refused}, true, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    NewWorld();
    world_->rights.SetToken(row.token);
    if (row.acadRunning) processes().SetImageNames({"ACAD.EXE"});
    if (row.acadRunning) boxes().Answer(platform::kIdOk);
    for (W way : row.answers) boxes().Answer(way == W::Cancelled ? platform::kIdCancel : static_cast<int>(way));
    Dlg_Setup dialog(hosts_, build_);
    PlayedOffer offer{row.state, {row.copy, 7}, &dialog};
    dialog.OfferElevation(&offer);
    const bool elevates = row.answers.front() == W::AsAdministrator, ran = elevates && row.copy == R::Ran;
    std::intptr_t result = Run(dialog, [&](DialogProbe& probe) {
      if (platform::HeadlessWindowHost* headless = GetParam()->headlessHost()) {
        EXPECT_EQ(headless->Control(dialog.GetSafeHwnd(), kIdInstall)->shield, row.state == S::Declined);
      }
      ASSERT_TRUE(probe.Click(kReleaseBoxIds[kSlot2008]));
      for (int click = row.acadRunning ? 2 : 1; click > 0; --click) ASSERT_TRUE(probe.Click(kIdInstall));
      if (!ran) {
        EXPECT_TRUE(dialog.IsWindowVisible());
      }
    });
    EXPECT_EQ(result, ran ? 1 : 2);
    EXPECT_EQ(dialog.elevatedExitCode(), ran ? std::optional<std::uint32_t>(7) : std::nullopt);
    EXPECT_EQ(Installed(kDefaultInstall), row.installedHere);
    EXPECT_EQ(HasFonts(kDefaultInstall), row.forMeOnly) << "the fonts of an install for the current user alone";
    ASSERT_EQ(boxes().shown().size(), row.boxes.size());
    for (std::size_t i = 0; i < row.boxes.size(); ++i) {
      const platform::ShownBox& box = boxes().shown()[i];
      EXPECT_EQ(box.caption, kCaption);
      const std::vector<std::string> offered =
          row.boxes[i] == Box::Refused    ? std::vector<std::string>{kForMeOnlyLabel, kWithoutRightsLabel}
          : row.boxes[i] == Box::HostRunning ? std::vector<std::string>{}
          : row.token == standard ? std::vector<std::string>{kForMeOnlyLabel, kAsAdministratorLabel, kWithoutRightsLabel}
                                  : std::vector<std::string>{kAsAdministratorLabel, kForMeOnlyLabel, kWithoutRightsLabel};
      EXPECT_EQ(box.buttons, offered);
      EXPECT_EQ(box.text, row.boxes[i] == Box::Question  ? ElevationQuestionText()
                          : row.boxes[i] == Box::Refused ? ElevationRefusedText()
                                                         : HostRunningText());
    }
    EXPECT_EQ(offer.answers, row.answers);
    ASSERT_EQ(offer.asked.size(), elevates ? 1u : 0u);
    if (offer.asked.empty()) continue;
    EXPECT_FALSE(offer.dialogVisible) << "the copy's dialog is the one in sight";
    EXPECT_EQ(offer.asked[0].folderText, "C:\\Zorvel");
    EXPECT_EQ(offer.asked[0].ticked[kSlot2008], 0);
    EXPECT_EQ(offer.asked[0].ticked[kSlot2010], 1);
    EXPECT_EQ(offer.asked[0].hostWarned, row.acadRunning);
  }
}

TEST_P(InstallTest, ForMeOnlyGoesIntoTheUsersOwnProgramsFolderWhereTheDefaultIsRefusedAndSaysSo) {
  world_->environment.SetVariable("LOCALAPPDATA", "C:\\Users\\user\\AppData\\Local");
  fileFaults().FailCreateDirectory("C:\\Zorvel");
  boxes().Answer(static_cast<int>(RightsWay::ForMeOnly));
  boxes().Answer(platform::kIdOk);
  boxes().Answer(platform::kIdOk);
  Dlg_Setup dialog(hosts_, build_);
  PlayedOffer offer{ElevationState::Refused, {}, &dialog};
  dialog.OfferElevation(&offer);
  Run(dialog, [&](DialogProbe& probe) { ASSERT_TRUE(probe.Click(kIdInstall)); });
  const std::string mine = "C:\\Users\\user\\AppData\\Local\\Programs\\Zorvel\\Zorvel批打印软件";
  EXPECT_TRUE(Installed(mine) && HasFonts(mine));
  ASSERT_EQ(boxes().shown().size(), 3u) << "the box, the folder, the warning that names AutoCAD 2008's driver";
  EXPECT_EQ(boxes().shown()[1].text, FolderFallbackText(kDefaultInstall, mine));
}

TEST_P(InstallTest, StoppedDeploymentCancelsTheDialogAndRegistersNothing) {
  struct Row {
    const char* what;
    std::function<void()> stage;
  };
  const Row rows[] = {
      {"no Data folder", [this] { files().Remove("C:\\dist\\Data"); }},
      {"copy aborted", [this] { fileFaults().FailCopiesTo(std::string(kDefaultInstall) + "\\readme.txt"); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    NewWorld();
    row.stage();
    Dlg_Setup dialog(hosts_, build_);
    View atPrompt = View::Selection;
    std::intptr_t result = Run(dialog, [&](DialogProbe& probe) {
      boxes().Answer(platform::kIdAbort, [&] { atPrompt = ViewOf(probe); });
      ASSERT_TRUE(probe.Click(kIdInstall));
    });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(atPrompt, View::Progress) << "the deployment's message comes up over the progress view";
    ASSERT_EQ(boxes().shown().size(), 1u);
    EXPECT_FALSE(AnyLoader());
    EXPECT_EQ(Text(Hive::CurrentUser, kVariables2010, "TRUSTEDPATHS"), "d:\\lisp");
    EXPECT_FALSE(files().Exists(std::string(kAcad2010) + "\\Fonts\\Zorvel_EN.shx"));
    EXPECT_EQ(dialog.folderText(), kDefaultInstall);
  }
}

TEST_P(InstallTest, WritesThatFailAreCountedInOneWarningBeforeTheCompletionView) {
  struct Row {
    const char* what;
    std::function<void()> stage;
    const char* counts;  // nullptr: no warning at all
    const char* cause;   // what the warning gives as the reason
  };
  const Row rows[] = {
      {"everything written", [] {}, nullptr, nullptr},
      {"local-machine writes refused", [this] { registryFaults().DenyWrites(Hive::LocalMachine, ""); },
       "但有2项AutoCAD设置未能写入注册表，\n", "拒绝访问：请以管理员身份运行SetUp.exe"},
      {"profile writes refused", [this] { registryFaults().DenyWrites(Hive::CurrentUser, kVariables2010); },
       "但有1项AutoCAD设置未能写入注册表，\n", "拒绝访问：请以管理员身份运行SetUp.exe"},
      {"an installation without Fonts", [this] { files().Remove(std::string(kAcad2010) + "\\Fonts"); },
       "但有2个支持文件未能复制到AutoCAD文件夹，\n", "缺少所需的子文件夹（Fonts或Drv）"},
      {"a font missing from Data", [this] { files().Remove("C:\\dist\\Data\\Zorvel_HZ.shx"); },
       "但有2个支持文件未能复制到AutoCAD文件夹，\n", "Data文件夹中缺少所需的文件"},
      {"both",
       [this] {
         registryFaults().DenyWrites(Hive::LocalMachine, "");
         files().Remove(std::string(kAcad2010) + "\\Fonts");
       },
       "但有2项AutoCAD设置未能写入注册表，2个支持文件未能复制到AutoCAD文件夹，\n", "拒绝访问"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    NewWorld();
    row.stage();
    Dlg_Setup dialog(hosts_, build_);
    View atWarning = View::Selection;
    int barAtWarning = -1;
    Run(dialog, [&](DialogProbe& probe) {
      boxes().Answer(platform::kIdOk, [&] {
        atWarning = ViewOf(probe);
        barAtWarning = dialog.progress().GetPos();
      });
      ASSERT_TRUE(probe.Click(kIdInstall));
      ExpectView(probe, View::Completion);
    });
    EXPECT_TRUE(Installed(kDefaultInstall));
    if (!row.counts) {
      EXPECT_TRUE(boxes().shown().empty());
      continue;
    }
    ASSERT_EQ(boxes().shown().size(), 1u);
    const platform::ShownBox& box = boxes().shown()[0];
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_NE(box.text.find(row.counts), std::string::npos) << box.text;
    EXPECT_NE(box.text.find(row.cause), std::string::npos) << box.text;
    // Only a refusal is mended by running as administrator.
    EXPECT_EQ(box.text.find("管理员") != std::string::npos, std::string(row.cause).find("拒绝访问") == 0) << box.text;
    EXPECT_EQ(atWarning, View::Progress);
    EXPECT_EQ(barAtWarning, 50);
  }
}

TEST_P(InstallTest, NothingTickedStillDeploysAndLeavesFinishDisabled) {
  Dlg_Setup dialog(hosts_, build_);
  std::intptr_t result = Run(dialog, [&](DialogProbe& probe) {
    ASSERT_TRUE(probe.Click(kReleaseBoxIds[kSlot2008]));
    ASSERT_TRUE(probe.Click(kReleaseBoxIds[kSlot2010]));
    ASSERT_TRUE(probe.Click(kIdInstall));
    ExpectView(probe, View::Completion);
    EXPECT_FALSE(probe.IsEnabled(kIdFinish));
    probe.Close();
  });
  EXPECT_EQ(result, 2);
  EXPECT_TRUE(Installed(kDefaultInstall));
  EXPECT_FALSE(AnyLoader());
  EXPECT_FALSE(files().Exists(std::string(kAcad2010) + "\\Fonts\\Zorvel_EN.shx"));
  EXPECT_EQ(Text(Hive::CurrentUser, kVariables2010, "TRUSTEDPATHS"), "D:\\LISP;C:\\ZORVEL\\ZORVEL批打印软件");
}

TEST_P(InstallTest, UntickedReleasesGetNothing) {
  Dlg_Setup dialog(hosts_, build_);
  Run(dialog, [&](DialogProbe& probe) {
    ASSERT_TRUE(probe.Click(kReleaseBoxIds[kSlot2008]));
    ASSERT_TRUE(probe.Click(kIdInstall));
    ExpectView(probe, View::Completion);
  });
  EXPECT_FALSE(Loader(kProduct2008, 2008));
  EXPECT_FALSE(files().Exists(std::string(kAcad2008) + "\\Fonts\\Zorvel_EN.shx"));
  EXPECT_FALSE(files().Exists(std::string(kAcad2008) + "\\Drv\\pdfplot9.hdi"));
  EXPECT_TRUE(Loader(kProduct2010, 2010));
  EXPECT_TRUE(HasFonts(kAcad2010));
}

TEST_P(InstallTest, ALargeDataFolderFillsTheBarWithoutItStartingAgain) {
  platform::HeadlessWindowHost* headless = GetParam()->headlessHost();
  if (!headless) GTEST_SKIP() << "wrapping steps are counted on the headless host";
  for (int i = 0; i < 60; ++i) files().AddFile("C:\\dist\\Data\\sample" + std::to_string(i) + ".dwg", "dwg");
  Dlg_Setup dialog(hosts_, build_);
  Run(dialog, [&](DialogProbe& probe) {
    ASSERT_TRUE(probe.Click(kIdInstall));
    ExpectView(probe, View::Completion);
    const platform::HeadlessWindow* bar = headless->Control(dialog.GetSafeHwnd(), kIdProgress);
    EXPECT_EQ(bar->wraps, 0);
    EXPECT_EQ(bar->position, 50);
  });
  EXPECT_EQ(files().Content(std::string(kDefaultInstall) + "\\sample59.dwg"), "dwg");
}

INSTANTIATE_FOR_EVERY_WINDOW_HOST(InstallTest);

// Browse with the shell's browser played on the headless host; under Wine the
// real browser is driven end to end by the picker tests.
class BrowseTest : public InstallTest {
 protected:
  void SetUp() override {
    InstallTest::SetUp();
    if (!GetParam()->headlessHost()) GTEST_SKIP() << "the played browser lives on the headless host";
    browser_ = std::make_unique<platform::FakeFolderBrowser>(*GetParam()->headlessHost());
    platform::SetFolderBrowser(browser_.get());
  }
  void TearDown() override {
    platform::SetFolderBrowser(nullptr);
    InstallTest::TearDown();
  }

  std::unique_ptr<platform::FakeFolderBrowser> browser_;
};

TEST_P(BrowseTest, ChosenFolderReplacesTheTextAndACancelledPickerKeepsIt) {
  struct Row {
    const char* what;
    bool accept;
    std::string typed;
    std::string shown;  // in the folder box afterwards
  };
  const Row rows[] = {
      {"accepted", true, "E:\\Typed", "C:\\Picked\\目录"},
      {"cancelled", false, "E:\\Typed", "E:\\Typed"},
      {"accepted over an empty box", true, "", "C:\\Picked\\目录"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    NewWorld();
    files().AddFolder("C:\\Picked\\目录");
    browser_->Clear();
    std::string browserCaption;
    browser_->Next([&](platform::BrowserUser& user) {
      browserCaption = platform::GetWindowHost().GetText(user.window());
      if (!row.accept) {
        user.ClickCancel();
        return;
      }
      user.Type(kPathBoxId, "C:\\Picked\\目录");
      user.ClickOk();
    });
    Dlg_Setup dialog(hosts_, build_);
    Run(dialog, [&](DialogProbe& probe) {
      ASSERT_TRUE(probe.Type(kIdInstallPath, row.typed));
      ASSERT_TRUE(probe.Click(kIdBrowse));
      EXPECT_EQ(probe.Text(kIdInstallPath), row.shown);
      EXPECT_EQ(dialog.folderText(), row.shown);
      ExpectView(probe, View::Selection);
    });
    ASSERT_EQ(browser_->runs().size(), 1u);
    const platform::BrowseRun& run = browser_->runs()[0];
    EXPECT_EQ(browserCaption, "请选择安装目录：");
    EXPECT_EQ(run.title, "请选择安装目录：");
    EXPECT_EQ(run.selections, std::vector<std::string>{row.typed}) << "the text in the box when Browse was clicked";
    EXPECT_TRUE(boxes().shown().empty());
  }
}

TEST_P(BrowseTest, BrowseReevaluatesFinishAndTheChosenFolderIsInstalledInto) {
  files().AddFolder("C:\\Chosen");
  browser_->NextCancels();
  browser_->NextAccepts("C:\\Chosen", kPathBoxId);
  Dlg_Setup dialog(hosts_, build_);
  Run(dialog, [&](DialogProbe& probe) {
    // Boxes unticked behind the dialog's back: only a read-back sees it.
    dialog.CheckDlgButton(kReleaseBoxIds[kSlot2008], 0);
    dialog.CheckDlgButton(kReleaseBoxIds[kSlot2010], 0);
    EXPECT_TRUE(probe.IsEnabled(kIdFinish));
    ASSERT_TRUE(probe.Click(kIdBrowse));
    EXPECT_FALSE(probe.IsEnabled(kIdFinish)) << "re-evaluated after a cancelled picker too";
    dialog.CheckDlgButton(kReleaseBoxIds[kSlot2010], 1);
    ASSERT_TRUE(probe.Click(kIdBrowse));
    EXPECT_TRUE(probe.IsEnabled(kIdFinish));
    ASSERT_TRUE(probe.Click(kIdInstall));
  });
  EXPECT_TRUE(Installed("C:\\Chosen\\Zorvel批打印软件"));
  EXPECT_EQ(Loader(kProduct2010, 2010), "C:\\Chosen\\Zorvel批打印软件\\ZV_BatchPlot2010.ARX");
}

INSTANTIATE_FOR_EVERY_WINDOW_HOST(BrowseTest);

}  // namespace
