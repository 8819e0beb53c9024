// Runs without administrator rights, on a machine in memory: the first
// process hands over to an elevated copy (played by this same program with
// full rights) and ends with its exit code; the copy, the unattended run and
// a run elevated under another account; the dialog's second asking.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "install/install_folder.h"
#include "run/elevation.h"
#include "run/run_steps.h"
#include "run/setup_run.h"
#include "tests/setup_world.h"

namespace {

using platform::ElevatedStartResult;
using platform::TokenRights;
using W = SetupWorld;

const BuildInfo kBuild{20231218, 64};
const std::string kSid = platform::MemoryRights::kUserSid;
const std::string kElevated = "/ELEVATED=" + kSid;

int RunWith(const std::vector<std::string>& arguments) { return ExitCodeNumber(RunSetup(kBuild, arguments)); }

// The elevated copy is this program again, with full rights; the install's
// copy runs unattended (its dialog is the dialog's own tests' business), the
// uninstall's as it was asked. Nested starts (the uninstaller's copy in the
// temp folder) come here too.
class WithoutRights : public testing::Test {
 protected:
  void SetUp() override {
    w_.rights.SetToken(TokenRights::Limited);
    w_.processes.SetProgram([this](const std::string& program, std::vector<std::string> arguments) {
      heldWhileCopyRan_ = heldWhileCopyRan_ || w_.locks.HeldHere(kInstanceLockName);
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

  W w_;
  bool uninstall_ = false;
  bool heldWhileCopyRan_ = false;
};

TEST_F(WithoutRights, TheFirstProcessHandsOverAndEndsWithTheCopysCode) {
  EXPECT_EQ(RunWith({"/DIR=C:\\Zorvel", "/RELEASES=2010,2008", "/LOG=C:\\x.log"}), 0);
  ASSERT_EQ(w_.rights.elevatedRequests().size(), 1u);
  EXPECT_EQ(w_.rights.elevatedRequests()[0].program, "C:\\dist\\SetUp.exe");
  EXPECT_EQ(w_.rights.elevatedRequests()[0].arguments,
            (std::vector<std::string>{"/DIR=C:\\Zorvel", "/RELEASES=2008,2010", "/LOG=C:\\x.log", kElevated}));
  EXPECT_FALSE(heldWhileCopyRan_) << "the copy takes the lock";
  EXPECT_TRUE(w_.boxes.shown().empty());
  EXPECT_TRUE(w_.Loaded(W::kProduct2010, 2010));
  EXPECT_EQ(w_.TrustedPaths(), "D:\\LISP;C:\\ZORVEL\\ZORVEL批打印软件") << "the first process's user is the copy's";
  for (const std::vector<std::string>& line :
       {std::vector<std::string>{"INFO  [4242 first] Not elevated: handing over to an elevated copy: "
                                 "C:\\dist\\SetUp.exe /DIR=C:\\Zorvel"},
        {"INFO  [4242 elevated] Exit code 0: installed completely"},
        {"INFO  [4242 first] The elevated copy ended with exit code 0"},
        {"INFO  [4242 first] Exit code 0: the elevated copy's"}})
    EXPECT_TRUE(w_.Logged("C:\\x.log", line)) << line[0];
}

TEST_F(WithoutRights, FromAMappedDriveTheCopyGetsUncPaths) {
  w_.rights.MapDrive("Z:", "\\\\server\\share");
  w_.files.SetModulePath("Z:\\dist\\SetUp.exe");
  w_.rights.SetElevatedStart(ElevatedStartResult::Refused);
  SetupOptions options;
  options.folder = "z:\\CAD";
  options.logPath = "Z:\\logs\\a.log";
  EXPECT_EQ(HandOver(options, nullptr, nullptr).result, ElevatedRunResult::Refused);
  ASSERT_EQ(w_.rights.elevatedRequests().size(), 1u);
  EXPECT_EQ(w_.rights.elevatedRequests()[0].program, "\\\\server\\share\\dist\\SetUp.exe");
  EXPECT_EQ(w_.rights.elevatedRequests()[0].arguments,
            (std::vector<std::string>{"/DIR=\\\\server\\share\\CAD", "/LOG=\\\\server\\share\\logs\\a.log", kElevated}));
}

TEST_F(WithoutRights, EachWayTheRunGoesOnWithout) {
  struct Row {
    const char* what;
    std::vector<std::string> arguments;
    ElevatedStartResult start;
    int requests;
    ElevationState state;
    const char* logged;
  };
  const Row rows[] = {
      {"declined", {}, ElevatedStartResult::Declined, 1, ElevationState::Declined,
       "WARN  [4242 first] Elevation declined at the prompt (error 1223"},
      {"refused", {}, ElevatedStartResult::Refused, 1, ElevationState::Refused,
       "WARN  [4242 first] Elevation refused by the system's policy (error 5"},
      {"not startable", {}, ElevatedStartResult::Failed, 1, ElevationState::Refused, "Elevation not possible"},
      {"the copy still without (UAC off)", {kElevated}, ElevatedStartResult::Started, 0, ElevationState::Impossible,
       "WARN  [4242 elevated] Not elevated although started to be"},
      {"unattended", {"/S"}, ElevatedStartResult::Started, 0, ElevationState::Impossible,
       "WARN  [4242 first] Not elevated: with /S there is no prompt"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    W w;
    w.rights.SetToken(TokenRights::Limited);
    w.rights.SetElevatedStart(row.start);
    std::vector<std::string> arguments = row.arguments;
    arguments.push_back("/LOG=C:\\x.log");
    const ParsedArguments parsed = ParseArguments(arguments);
    std::unique_ptr<CInstallLog> log;
    ASSERT_TRUE(OpenLog(parsed.options, kBuild, &log));
    const RightsCheck check = CheckRights(parsed.options, log.get());
    EXPECT_FALSE(check.handedOver);
    EXPECT_EQ(check.state, row.state);
    EXPECT_EQ(w.rights.elevatedRequests().size(), static_cast<std::size_t>(row.requests));
    EXPECT_TRUE(w.Logged("C:\\x.log", {row.logged}));
  }
}

TEST_F(WithoutRights, UnattendedInstallsWhatItCanAndEndsSeven) {
  // What a limited token cannot write, as Windows refuses it.
  w_.faultyRegistry.DenyWrites(platform::Hive::LocalMachine, "");
  EXPECT_EQ(RunWith({"/S"}), 7);
  EXPECT_TRUE(w_.rights.elevatedRequests().empty());
  EXPECT_TRUE(w_.boxes.shown().empty());
  EXPECT_TRUE(w_.Logged(W::kTempLog, {"Not elevated: with /S there is no prompt"}));
  EXPECT_TRUE(w_.Logged(W::kTempLog, {"WARN  [4242 first] Exit code 7"}));
}

// Asked again from the dialog: the choices go with it, and the lock is the
// copy's while it runs and the dialog's again when it stays.
TEST_F(WithoutRights, TheDialogsSecondAskingCarriesItsChoices) {
  struct Row {
    ElevatedStartResult start;
    ElevatedRunResult result;
    ElevationState after;
  };
  const Row rows[] = {
      {ElevatedStartResult::Started, ElevatedRunResult::Ran, ElevationState::Declined},
      {ElevatedStartResult::Declined, ElevatedRunResult::Declined, ElevationState::Declined},
      {ElevatedStartResult::Refused, ElevatedRunResult::Refused, ElevationState::Refused},
  };
  for (const Row& row : rows) {
    W w;
    w.rights.SetElevatedStart(row.start);
    bool held = true;
    w.processes.SetProgram([&](const std::string&, const std::vector<std::string>&) {
      held = w.locks.HeldHere(kInstanceLockName);
      return std::optional<std::uint32_t>(7);
    });
    SetupOptions options;
    std::unique_ptr<platform::InstanceLock> lock;
    ASSERT_EQ(w.locks.Acquire(kInstanceLockName, &lock), platform::LockResult::Acquired);
    CElevationOffer offer(ElevationState::Declined, options, nullptr, &lock);
    ReleaseFlags ticked{};
    ticked[2008 - kFirstReleaseYear] = ticked[2010 - kFirstReleaseYear] = 1;
    const ElevatedRun run = offer.Elevate(InstallChoices{"D:\\CAD", ticked, true});
    EXPECT_EQ(run.result, row.result);
    EXPECT_EQ(offer.State(), row.after);
    EXPECT_EQ(w.rights.elevatedRequests().at(0).arguments,
              (std::vector<std::string>{"/DIR=D:\\CAD", "/RELEASES=2008,2010", kElevated, "/CONTINUE", "/HOSTWARNED"}));
    if (row.result == ElevatedRunResult::Ran) {
      EXPECT_EQ(run.exitCode, 7u);
      EXPECT_FALSE(held);
    } else {
      EXPECT_TRUE(w.locks.HeldHere(kInstanceLockName));
    }
  }
  // An offer that cannot elevate (Refused, Impossible) never starts a copy.
  SetupOptions options;
  std::unique_ptr<platform::InstanceLock> lock;
  CElevationOffer impossible(ElevationState::Impossible, options, nullptr, &lock);
  EXPECT_EQ(impossible.Elevate(InstallChoices{}).result, ElevatedRunResult::Refused);
  EXPECT_TRUE(w_.rights.elevatedRequests().empty());
}

// Elevated under another account than the desktop's (or for the first
// process's user): the user part is that user's. Where that user's hive is
// not there to write to, it is left out, never written to the account the
// process runs as.
TEST_F(WithoutRights, AnotherAccountsElevationNeverTakesTheUserPart) {
  struct Row {
    const char* what;
    std::vector<std::string> arguments;
    std::optional<platform::Account> shell;
    std::optional<std::string> served;
  };
  const platform::Account admin{"S-1-5-21-1000-2000-3000-500", "PC\\admin"};
  const platform::Account user{kSid, "PC\\user"};
  const Row rows[] = {
      {"run as administrator", {"/S"}, user, kSid},
      {"the copy for the first process's user", {"/S", kElevated}, admin, kSid},
      {"the administrator's own run", {"/S"}, admin, std::nullopt},
      {"no desktop (SYSTEM, a service)", {"/S"}, std::nullopt, std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    W w;
    w.rights.SetAccount(admin);
    w.rights.SetShellAccount(row.shell);
    const ParsedArguments parsed = ParseArguments(row.arguments);
    EXPECT_EQ(UserToServe(parsed.options), row.served);
    EXPECT_EQ(RunWith(row.arguments), row.served ? 7 : 0);
    EXPECT_EQ(w.TrustedPaths() == "d:\\lisp", row.served.has_value());
    EXPECT_EQ(w.files.Exists("C:\\Users\\user\\AppData\\Roaming\\Zorvel\\Zorvel.Ini"), !row.served);
    EXPECT_EQ(w.Logged(W::kTempLog, {"ERROR", "The user's part cannot be written for " + kSid}), row.served.has_value());
    EXPECT_TRUE(w.Loaded(W::kProduct2010, 2010)) << "the machine's part goes on";
  }
}

TEST_F(WithoutRights, TheUninstallHandsOverTheSameWay) {
  w_.rights.SetToken(TokenRights::Full);
  ASSERT_EQ(RunWith({"/S"}), 0);
  w_.rights.SetToken(TokenRights::Limited);
  w_.boxes.Clear();
  uninstall_ = true;
  w_.files.SetModulePath(std::string(W::kDefaultInstall) + "\\Uninstall.exe");
  w_.boxes.Answer(platform::kIdYes);
  w_.boxes.Answer(platform::kIdOk);
  EXPECT_EQ(RunWith({"/LOG=C:\\u.log"}), 0);
  ASSERT_EQ(w_.rights.elevatedRequests().size(), 1u);
  EXPECT_EQ(w_.rights.elevatedRequests()[0].arguments, (std::vector<std::string>{"/UNINSTALL", "/LOG=C:\\u.log", kElevated}));
  EXPECT_FALSE(w_.AnyLoader());
  EXPECT_EQ(w_.TrustedPaths(), "D:\\LISP");
  EXPECT_EQ(w_.boxes.shown().size(), 2u) << "asked and told by the copy";
  EXPECT_TRUE(w_.Logged("C:\\u.log", {"INFO  [4242 elevated] Exit code 0"}));
  EXPECT_TRUE(w_.Logged("C:\\u.log", {"INFO  [4242 first] Exit code 0: the elevated copy's"}));
}

}  // namespace
