#include "run/setup_run.h"

#include <memory>
#include <optional>

#include "deploy/product.h"
#include "hosts/acad_hosts.h"
#include "install/release_choice.h"
#include "platform/files.h"
#include "platform/instance_lock.h"
#include "platform/mbcs.h"
#include "platform/message_box.h"
#include "platform/rights.h"
#include "record/install_record.h"
#include "run/command_line.h"
#include "run/elevation.h"
#include "run/install_log.h"
#include "run/run_steps.h"
#include "run/silent_driver.h"
#include "run/uninstall_run.h"
#include "run/user_part_run.h"
#include "ui/setup_dialog.h"

namespace {

// Below LOCALAPPDATA: where programs installed for one user go, when the
// default folder cannot be made for such an install.

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// The uninstaller, started under its own name, uninstalls whatever its
// switches say; only the usage is still the usage.
RunMode ModeOf(const SetupOptions& options) {
  if (options.mode != RunMode::Install) return options.mode;
  const std::string program = mbcs::FileNameOf(platform::GetFiles().ModulePath());
  return mbcs::EqualsNoCase(program, kUninstallerName) ? RunMode::Uninstall : RunMode::Install;
}

RunEnd InstallSilently(CAcadHosts& hosts, const BuildInfo& build, const SetupOptions& options,
                       const ReleaseChoice& choice, bool everyUser, CInstallLog* log) {
  InstallRequest request;
  request.everyUser = everyUser;
  request.currentUser = options.currentUser;
  if (options.currentUser && !options.folder) request.fallbackFolderText = UserProgramsFolderText();
  request.build = build;
  request.folderText = options.folder.value_or(kDefaultFolder);
  request.ticked = choice.ticked;
  request.checkHostRunning = true;  // there is no second click
  SilentDriver driver;
  CInstallEngine engine(hosts);
  return EndOf(InstallWithLog(engine, request, driver, log).outcome);
}

// The dialog's installs, each in the run's log.
class LoggedInstalls : public InstallRunner {
 public:
  explicit LoggedInstalls(CInstallLog* log) : log_(log) {}
  InstallReport Install(CInstallEngine& engine, const InstallRequest& request, InstallDriver& driver) override {
    return InstallWithLog(engine, request, driver, log_);
  }

 private:
  CInstallLog* log_;
};

// The dialog's end, or the exit code of the elevated copy it handed over to.
ExitCode RunDialog(CAcadHosts& hosts, const BuildInfo& build, const SetupOptions& options, const ReleaseChoice& choice,
                   bool everyUser, CElevationOffer& offer, CInstallLog* log) {
  Dlg_Setup dialog(hosts, build);
  dialog.PresetEveryUser(everyUser);
  dialog.PresetCurrentUser(options.currentUser);
  if (options.folder) dialog.PresetFolder(*options.folder);
  if (options.releases) dialog.PresetReleases(choice.ticked);
  if (options.continueInstall) dialog.PresetContinue(options.hostWarned);
  if (offer.State() != ElevationState::NotNeeded) dialog.OfferElevation(&offer);
  LoggedInstalls logged(log);
  dialog.RunInstallsThrough(&logged);
  dialog.DoModal();
  if (const std::optional<std::uint32_t> code = dialog.elevatedExitCode()) {
    if (log) log->Info("Exit code " + mbcs::Decimal(*code) + ": the elevated copy's");
    return static_cast<ExitCode>(*code);
  }
  const std::optional<InstallOutcome> outcome = dialog.outcome();
  return Finish(log, outcome ? EndOf(*outcome) : RunEnd::Cancelled);
}

ExitCode RefuseArguments(const ParsedArguments& parsed, const BuildInfo& build) {
  std::unique_ptr<CInstallLog> log;
  if (!OpenLog(parsed.options, build, &log)) return ExitCode::BadCommandLine;
  if (log)
    for (const std::string& error : parsed.errors) log->Error("Command line not understood: " + error);
  if (!parsed.options.silent) ShowWarning(Lines(parsed.errors) + "\n" + UsageText());
  return Finish(log.get(), RunEnd::BadCommandLine);
}

ExitCode ShowUsage(const SetupOptions& options, const BuildInfo& build) {
  if (!options.silent) {
    ShowBox(UsageText(), platform::kMbOk);
    return ExitCodeOf(RunEnd::UsageShown);
  }
  // A silent run shows nothing, not even the usage.
  std::unique_ptr<CInstallLog> log;
  if (!OpenLog(options, build, &log)) return ExitCode::BadCommandLine;
  log->Info("Usage asked for with /S: nothing shown, nothing done");
  return Finish(log.get(), RunEnd::UsageShown);
}

// Without administrator rights no other user's hive can be loaded or
// written, and every user would be told of a failure: nothing is done.
ExitCode RefuseEveryUser(const SetupOptions& options, CInstallLog* log) {
  if (log) log->Error("Message: " + EveryUserNeedsRightsText());
  if (!options.silent) ShowWarning(EveryUserNeedsRightsText());
  return Finish(log, RunEnd::EveryUserRefused);
}

ExitCode Install(const SetupOptions& options, const BuildInfo& build) {
  std::unique_ptr<CInstallLog> log;
  if (!OpenLog(options, build, &log)) return ExitCode::BadCommandLine;
  // The first process of a run without rights holds no lock while its
  // elevated copy runs: the copy takes it.
  const RightsCheck rights = CheckRights(options, log.get());
  if (rights.handedOver) return *rights.handedOver;
  // Every user's part: one user's served here would be served twice.
  const bool everyUser = ServesEveryUser(options);
  if (everyUser && platform::GetRights().Token() != platform::TokenRights::Full)
    return RefuseEveryUser(options, log.get());
  std::unique_ptr<platform::InstanceLock> lock;
  if (!AcquireLock(options.silent, log.get(), &lock)) return Finish(log.get(), RunEnd::AlreadyRunning);
  std::optional<CServedUser> served;
  if (everyUser && log)
    log->Info(std::string("Installing for every user of the machine") +
              (options.everyUser ? " (/ALLUSERS)" : " (run as SYSTEM)"));
  const std::optional<std::string> sid = everyUser ? std::nullopt : UserToServe(options);
  if (sid) served.emplace(*sid, log.get());
  CAcadHosts hosts;
  hosts.Discover();
  const ReleaseChoice choice = ChooseReleases(hosts, build.editionBits, options.releases);
  if (log) {
    LogHostsFound(*log, hosts, build.editionBits);
    LogSkippedReleases(*log, choice, build.editionBits);
  }
  if (options.silent) return Finish(log.get(), InstallSilently(hosts, build, options, choice, everyUser, log.get()));
  CElevationOffer offer(rights.state, options, log.get(), &lock);
  return RunDialog(hosts, build, options, choice, everyUser, offer, log.get());
}

}  // namespace

ExitCode RunSetup(const BuildInfo& build, const std::vector<std::string>& arguments) {
  const ParsedArguments parsed = ParseArguments(arguments);
  if (!parsed.errors.empty()) return RefuseArguments(parsed, build);
  const SetupOptions& options = parsed.options;
  switch (ModeOf(options)) {
    case RunMode::Usage:
      return ShowUsage(options, build);
    case RunMode::Uninstall:
      return RunUninstall(options, build);
    case RunMode::Remove:
      return RunRemoval(options, build);
    case RunMode::Finish:
      return RunFinish(options, build);
    case RunMode::UserPart:
      return RunUserPart(options, build);
    case RunMode::Install:
      break;
  }
  return Install(options, build);
}
