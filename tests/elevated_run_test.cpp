// Runs without administrator rights, on a machine in memory: the first
// process hands over to an elevated copy (this same program with full
// rights; the install's copy unattended) and ends with its code; the copy,
// /S and a run elevated under another account; the dialog's second asking.
#include <gtest/gtest.h>

#include "install/install_folder.h"
#include "record/logon_steps.h"
#include "record/uninstall_entry.h"
#include "run/elevation.h"
#include "run/run_steps.h"
#include "run/setup_run.h"
#include "tests/fakes/limited_token.h"
#include "tests/recording_driver.h"
#include "tests/setup_world.h"

namespace {

using platform::ElevatedStartResult;
using platform::TokenRights;
using W = SetupWorld;
using Arguments = std::vector<std::string>;

const BuildInfo kBuild{20231218, 64};
const std::string kSid = platform::MemoryRights::kUserSid;
const std::string kElevated = "/ELEVATED=" + kSid;

int RunWith(const Arguments& arguments) { return ExitCodeNumber(RunSetup(kBuild, arguments)); }

class WithoutRights : public testing::Test {
 protected:
  // The registry and the files refuse what Windows refuses the first
  // process; the copy gets a full token for its time.
  void SetUp() override {
    limited_.emplace(TokenRights::Limited);
    w_.processes.SetProgram([this](const std::string& program, Arguments arguments) {
      lockHeld_ = lockHeld_ || w_.locks.HeldHere(kInstanceLockName);
      const std::string module = w_.files.ModulePath();
      const TokenRights token = w_.rights.Token();
      w_.rights.SetToken(TokenRights::Full);
      w_.files.SetModulePath(program);
      if (!uninstall_) arguments.push_back("/S");
      const int code = RunWith(arguments);
      w_.files.SetModulePath(module);
      w_.rights.SetToken(token);
      return std::optional<std::uint32_t>(code);
    });
  }
  bool Logged(const std::string& log, const Arguments& lines) {
    for (const std::string& line : lines)
      if (!w_.Logged(log, {line})) return false;
    return true;
  }

  void TearDown() override { limited_.reset(); }

  W w_;
  std::optional<platform::LimitedToken> limited_;
  bool uninstall_ = false;
  bool lockHeld_ = false;
};

TEST_F(WithoutRights, TheFirstProcessHandsOverAndEndsWithTheCopysCode) {
  EXPECT_EQ(RunWith({"/DIR=C:\\Zorvel", "/RELEASES=2010,2008", "/LOG=C:\\x.log"}), 0);
  ASSERT_EQ(w_.rights.elevatedRequests().size(), 1u);
  EXPECT_EQ(w_.rights.elevatedRequests()[0].arguments,
            (Arguments{"/DIR=C:\\Zorvel", "/RELEASES=2008,2010", "/LOG=C:\\x.log", kElevated}));
  EXPECT_FALSE(lockHeld_) << "the copy takes the lock";
  EXPECT_TRUE(w_.boxes.shown().empty());
  EXPECT_EQ(w_.TrustedPaths(), "D:\\LISP;C:\\ZORVEL\\ZORVEL批打印软件") << "the first process's user is the copy's";
  EXPECT_TRUE(Logged("C:\\x.log", {"INFO  [4242 first] Not elevated: handing over to an elevated copy: C:\\dist\\SetUp.exe",
                                   "INFO  [4242 elevated] Exit code 0: installed completely",
                                   "INFO  [4242 first] Exit code 0: the elevated copy's"}));
}

TEST_F(WithoutRights, EachWayTheRunGoesOnWithout) {
  struct Row {
    Arguments arguments;
    ElevatedStartResult start;
    ElevationState state;
    const char* logged;
  };
  const Row rows[] = {
      {{}, ElevatedStartResult::Declined, ElevationState::Declined, "[4242 first] Elevation declined at the prompt (error 1223"},
      {{}, ElevatedStartResult::Refused, ElevationState::Refused, "Elevation refused by the system's policy (error 5"},
      {{}, ElevatedStartResult::Failed, ElevationState::Refused, "Elevation not possible"},
      // UAC off: the copy never starts another.
      {{kElevated}, ElevatedStartResult::Started, ElevationState::Impossible, "[4242 elevated] Not elevated although"},
      {{"/S"}, ElevatedStartResult::Started, ElevationState::Impossible, "Not elevated: with /S there is no prompt"},
  };
  // No copy that could not be told whom to install for.
  w_.rights.SetAccount({"", ""});
  EXPECT_EQ(CheckRights(SetupOptions{}, nullptr).state, ElevationState::Refused);
  EXPECT_TRUE(w_.rights.elevatedRequests().empty());
  for (const Row& row : rows) {
    W w;
    w.rights.SetToken(TokenRights::Limited);
    w.rights.SetElevatedStart(row.start);
    Arguments arguments = row.arguments;
    arguments.push_back("/LOG=C:\\x.log");
    const SetupOptions options = ParseArguments(arguments).options;
    std::unique_ptr<CInstallLog> log;
    ASSERT_TRUE(OpenLog(options, kBuild, &log));
    const RightsCheck check = CheckRights(options, log.get());
    EXPECT_EQ(check.state, row.state) << row.logged;
    EXPECT_EQ(w.rights.elevatedRequests().size(), row.arguments.empty() ? 1u : 0u) << row.logged;
    EXPECT_TRUE(w.Logged("C:\\x.log", {"WARN ", row.logged}));
  }
}

// For every user: the copy is told so.
TEST_F(WithoutRights, EveryUserGoesToTheCopy) {
  (void)RunWith({"/ALLUSERS", "/LOG=C:\\x.log"});
  EXPECT_EQ(w_.rights.elevatedRequests().at(0).arguments, (Arguments{"/LOG=C:\\x.log", "/ALLUSERS", kElevated}));
  EXPECT_TRUE(w_.Logged("C:\\x.log", {"[4242 elevated] Installing for every user of the machine (/ALLUSERS)"}));
}

// SYSTEM, as deployment tools run it, or /ALLUSERS: every user, the running
// account's profiles left to the logon steps; without full rights nothing.
TEST(EveryUser, SystemOrTheSwitchServeEveryUserWithFullRightsOnly) {
  const char* const admin = "S-1-5-21-1-2-3-500";
  const std::tuple<const char*, TokenRights, Arguments, int, const char*> rows[] = {
      {platform::kSystemSid, TokenRights::Full, {"/S"}, 0, "Installing for every user of the machine (run as SYSTEM)"},
      {admin, TokenRights::Full, {"/S", "/ALLUSERS"}, 0, "Installing for every user of the machine (/ALLUSERS)"},
      {admin, TokenRights::Full, {"/S"}, 0, nullptr},
      {admin, TokenRights::Limited, {"/S", "/ALLUSERS"}, 2, "Exit code 2: installing for every user needs administrator"}};
  for (const auto& [sid, token, arguments, exitCode, logged] : rows) {
    W w;
    w.rights.SetAccount({sid, ""});
    w.rights.SetShellAccount(std::nullopt);
    w.rights.SetToken(token);
    EXPECT_EQ(RunWith(arguments), exitCode) << sid;
    EXPECT_EQ(w.Logged(W::kTempLog, {logged ? logged : "every user"}), logged != nullptr);
    EXPECT_EQ(w.TrustedPaths() == "d:\\lisp", logged != nullptr);
    EXPECT_EQ(w.registry.KeyExists(platform::Hive::LocalMachine, kActiveSetupKey), logged && exitCode == 0);
  }
}

// A standard user's install for himself alone: complete, nothing refused,
// nothing asked for, but for AutoCAD 2008's plot driver; its uninstall the same.
TEST(CurrentUser, AStandardUserInstallsAndUninstallsWithoutRights) {
  for (const auto& [releases, exitCode] : {std::pair{"/RELEASES=2010", 0}, std::pair{"/RELEASES=2008,2010", 7}}) {
    W w;
    const std::string general = std::string(W::kProduct2010) + "\\Profiles\\Default\\General";
    w.Text(platform::Hive::CurrentUser, general, "ACAD", "C:\\Support");
    platform::LimitedToken limited(TokenRights::Standard);
    EXPECT_EQ(RunWith({"/S", "/CURRENTUSER", releases}), exitCode);
    EXPECT_TRUE(w.registry.KeyExists(platform::Hive::CurrentUser,
                                     std::string(W::kProduct2010) + "\\Applications\\ZV_BatchPlot2010"));
    EXPECT_TRUE(w.registry.KeyExists(platform::Hive::CurrentUser, kUninstallKey));
    EXPECT_FALSE(w.Logged(W::kTempLog, {"ERROR"}));
    EXPECT_EQ(w.Logged(W::kTempLog, {"WARN ", "AutoCAD 2008's plot driver not placed"}), exitCode == 7);
    EXPECT_EQ(w.Logged(W::kTempLog, {"Message: ", "AutoCAD 2008的打印驱动"}), exitCode == 7);
    w.boxes.Answer(platform::kIdYes);
    w.boxes.Answer(platform::kIdOk);
    EXPECT_EQ(RunWith({"/UNINSTALL", "/DIR=C:\\Zorvel"}), 0);
    EXPECT_TRUE(w.rights.elevatedRequests().empty());
    EXPECT_FALSE(w.registry.KeyExists(platform::Hive::CurrentUser, std::string(W::kProduct2010) + "\\Applications"));
    EXPECT_FALSE(w.files.Exists(W::kDefaultInstall));
  }
  // A folder the user may not write in: the user's own programs folder
  // instead, unless a folder was named.
  W w;
  w.files.AddFolder("C:\\Zorvel");
  const std::uint8_t handed = platform::kInheritToFiles | platform::kInheritToFolders;
  w.rights.SetAccess("C:\\Zorvel", {true, {{platform::kUsersSid, platform::kAccessReadExecute, handed}}});
  w.environment.SetVariable("LOCALAPPDATA", "C:\\Users\\user\\AppData\\Local\\");
  platform::LimitedToken limited(TokenRights::Standard);
  EXPECT_EQ(RunWith({"/S", "/CURRENTUSER", "/DIR=C:\\Zorvel", "/RELEASES=2010"}), 5);
  const std::string mine = "C:\\Users\\user\\AppData\\Local\\Programs\\Zorvel\\Zorvel批打印软件";
  EXPECT_EQ(RunWith({"/S", "/CURRENTUSER", "/RELEASES=2010"}), 7) << "no support path in the profile";
  EXPECT_TRUE(w.files.Exists(mine + "\\Uninstall.exe") && w.files.Exists(mine + "\\Fonts\\Zorvel_HZ.shx"));
  EXPECT_TRUE(w.Logged(W::kTempLog, {"INFO ", "cannot be made (error 5", "installing into " + mine + " instead"}));
}

// Then an administrator's install for the machine takes it back first, or keeps it, as answered.
TEST(CurrentUser, AMachineWideInstallTakesTheUsersOwnBackWhenAnswered) {
  const std::string general = std::string(W::kProduct2010) + "\\Profiles\\Default\\General";
  for (const bool yes : {true, false}) {
    W w;
    w.Text(platform::Hive::CurrentUser, general, "ACAD", "C:\\Support");
    {
      platform::LimitedToken limited(TokenRights::Standard);
      ASSERT_EQ(RunWith({"/S", "/CURRENTUSER", "/DIR=C:\\Mine", "/RELEASES=2010"}), 0);
    }
    CAcadHosts hosts;
    hosts.Discover();
    CInstallEngine engine(hosts);
    InstallRequest request;
    request.folderText = "C:\\Zorvel";
    request.build = kBuild;
    request.ticked[2010 - kFirstReleaseYear] = 1;
    RecordingDriver driver;
    driver.takeBackUserInstall = yes;
    platform::Status opened;
    EXPECT_EQ(InstallWithLog(engine, request, driver, CInstallLog::Open("C:\\x.log", &opened).get()).outcome,
              InstallOutcome::Installed);
    EXPECT_EQ(driver.userInstallsFound, Arguments{"C:\\Mine\\Zorvel批打印软件"});
    platform::MemoryRegistry::StoredValue acad;
    w.registry.Stored(platform::Hive::CurrentUser, general, "ACAD", &acad);
    EXPECT_EQ(w.registry.KeyExists(platform::Hive::CurrentUser, kUninstallKey) && w.files.Exists("C:\\Mine") &&
                  acad.bytes != "C:\\Support" &&
                  w.registry.KeyExists(platform::Hive::CurrentUser, std::string(W::kProduct2010) + "\\Applications"),
              !yes);
    EXPECT_TRUE(w.Loaded(W::kProduct2010, 2010));
    EXPECT_TRUE(w.Logged("C:\\x.log", {yes ? "INFO  Taking back the install for the current user alone in C:\\Mine"
                                            : "WARN  The install for the current user alone in C:\\Mine"}));
  }
}

TEST_F(WithoutRights, UnattendedInstallsWhatItCanAndEndsSeven) {
  EXPECT_EQ(RunWith({"/S"}), 7);
  EXPECT_FALSE(w_.AnyLoader());
  EXPECT_TRUE(w_.rights.elevatedRequests().empty() && w_.boxes.shown().empty());
  EXPECT_TRUE(Logged(W::kTempLog, {"Not elevated: with /S there is no prompt", "WARN  [4242 first] Exit code 7"}));
}

// Asked again from the dialog, from a mapped drive: the choices go with it
// as UNC paths (a relative log in full), the lock is the copy's while it runs and the dialog's again
// when it stays.
TEST_F(WithoutRights, TheDialogsSecondAskingCarriesItsChoices) {
  const std::pair<ElevatedStartResult, ElevatedRunResult> rows[] = {
      {ElevatedStartResult::Started, ElevatedRunResult::Ran},
      {ElevatedStartResult::Declined, ElevatedRunResult::Declined},
      {ElevatedStartResult::Refused, ElevatedRunResult::Refused}};
  for (const auto& [start, result] : rows) {
    W w;
    w.rights.SetElevatedStart(start);
    w.rights.MapDrive("Z:", "\\\\srv\\cad");
    w.files.SetModulePath("Z:\\dist\\SetUp.exe");
    w.files.SetCurrentDirectory("Z:\\");
    w.processes.SetProgram([&w](const std::string&, const Arguments&) {
      return std::optional<std::uint32_t>(w.locks.HeldHere(kInstanceLockName) ? 8 : 7);
    });
    SetupOptions options;
    options.logPath = "a.log";
    std::unique_ptr<platform::InstanceLock> lock;
    ASSERT_EQ(w.locks.Acquire(kInstanceLockName, &lock), platform::LockResult::Acquired);
    CElevationOffer offer(ElevationState::Declined, options, nullptr, &lock);
    ReleaseFlags ticked{};
    ticked[1] = ticked[3] = 1;
    const ElevatedRun run = offer.Elevate(InstallChoices{"Z:\\CAD", ticked, true});
    EXPECT_EQ(run.result, result);
    EXPECT_EQ(run.exitCode, result == ElevatedRunResult::Ran ? 7u : 0u);
    EXPECT_EQ(offer.State(), result == ElevatedRunResult::Refused ? ElevationState::Refused : ElevationState::Declined);
    EXPECT_EQ(w.locks.HeldHere(kInstanceLockName), result != ElevatedRunResult::Ran);
    EXPECT_EQ(w.rights.elevatedRequests().at(0).program, "\\\\srv\\cad\\dist\\SetUp.exe");
    EXPECT_EQ(w.rights.elevatedRequests()[0].arguments,
              (Arguments{"/DIR=\\\\srv\\cad\\CAD", "/RELEASES=2008,2010", "/LOG=\\\\srv\\cad\\a.log", kElevated,
                         "/CONTINUE", "/HOSTWARNED"}));
  }
  SetupOptions options;
  std::unique_ptr<platform::InstanceLock> lock;
  CElevationOffer impossible(ElevationState::Impossible, options, nullptr, &lock);
  EXPECT_EQ(impossible.Elevate(InstallChoices{}).result, ElevatedRunResult::Refused);
  EXPECT_TRUE(w_.rights.elevatedRequests().empty()) << "an offer that cannot elevate starts nothing";
}

// Elevated under another account than the desktop's, or for the first
// process's user: the user part is that user's, in the user's hive and
// APPDATA; where that hive is not there it is left out, never written for
// the account that runs.
TEST_F(WithoutRights, AnotherAccountsElevationServesTheRightUser) {
  const platform::Account admin{"S-1-5-21-1000-2000-3000-500", "PC\\admin"};
  const platform::Account user{kSid, "PC\\user"};
  const std::string usersVariables = kSid + "\\" + W::kVariables;
  const std::string usersSettings = "C:\\Users\\lin\\AppData\\Roaming\\Zorvel\\Zorvel.Ini";
  // Arguments, the desktop's user, whose user part (0: the process's own,
  // 1: the served user's, 2: nobody's) and the exit code.
  const std::tuple<Arguments, std::optional<platform::Account>, int, int> rows[] = {
      {{"/S"}, user, 2, 7}, {{"/S", kElevated}, admin, 2, 7}, {{"/S"}, admin, 0, 0}, {{"/S"}, std::nullopt, 0, 0},
      {{"/S", kElevated}, admin, 1, 0}};
  for (const auto& [arguments, shell, served, exitCode] : rows) {
    W w;
    w.rights.SetAccount(admin);
    w.rights.SetShellAccount(shell);
    if (served == 1) {
      w.Text(platform::Hive::LocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\" + kSid,
             "ProfileImagePath", "C:\\Users\\lin");
      w.Text(platform::Hive::Users, kSid + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
             "AppData", "C:\\Users\\lin\\AppData\\Roaming");
      w.Text(platform::Hive::Users, usersVariables, "TRUSTEDPATHS", "e:\\x");
      w.files.AddFolder("C:\\Users\\lin\\AppData\\Roaming");
    }
    EXPECT_EQ(UserToServe(ParseArguments(arguments).options).has_value(), served != 0);
    EXPECT_EQ(RunWith(arguments), exitCode);
    EXPECT_EQ(w.TrustedPaths() == "d:\\lisp", served != 0) << "the running account's own";
    EXPECT_EQ(w.files.Exists("C:\\Users\\user\\AppData\\Roaming\\Zorvel\\Zorvel.Ini"), served == 0);
    platform::MemoryRegistry::StoredValue stored;
    w.registry.Stored(platform::Hive::Users, usersVariables, "TRUSTEDPATHS", &stored);
    EXPECT_EQ(stored.bytes == "E:\\X;C:\\ZORVEL\\ZORVEL批打印软件" && w.files.Exists(usersSettings), served == 1);
    EXPECT_EQ(w.Logged(W::kTempLog, {"ERROR", "The user's part cannot be written for " + kSid}), served == 2);
    EXPECT_TRUE(w.Loaded(W::kProduct2010, 2010)) << "the machine's part goes on";
  }
}

TEST_F(WithoutRights, TheUninstallHandsOverTheSameWay) {
  w_.rights.SetToken(TokenRights::Full);
  ASSERT_EQ(RunWith({"/S"}), 0);
  w_.rights.SetToken(TokenRights::Limited);
  uninstall_ = true;
  w_.files.SetModulePath(std::string(W::kDefaultInstall) + "\\Uninstall.exe");
  w_.boxes.Answer(platform::kIdYes);
  w_.boxes.Answer(platform::kIdOk);
  EXPECT_EQ(RunWith({"/LOG=C:\\u.log"}), 0);
  EXPECT_EQ(w_.rights.elevatedRequests().at(0).arguments, (Arguments{"/UNINSTALL", "/LOG=C:\\u.log", kElevated}));
  EXPECT_TRUE(!w_.AnyLoader() && w_.TrustedPaths() == "d:\\lisp") << "put back as it was";
  EXPECT_EQ(w_.boxes.shown().size(), 2u) << "asked and told by the copy";
  EXPECT_TRUE(Logged("C:\\u.log", {"INFO  [4242 elevated] Exit code 0", "INFO  [4242 first] Exit code 0: the elevated copy's"}));
}

}  // namespace
