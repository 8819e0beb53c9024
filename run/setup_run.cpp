#include "run/setup_run.h"

#include <memory>

#include "deploy/product.h"
#include "hosts/acad_hosts.h"
#include "install/release_choice.h"
#include "platform/instance_lock.h"
#include "platform/message_box.h"
#include "run/command_line.h"
#include "run/install_log.h"
#include "run/run_steps.h"
#include "run/silent_driver.h"
#include "run/uninstall_run.h"
#include "ui/setup_dialog.h"

namespace {

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

ExitCode InstallSilently(CAcadHosts& hosts, const BuildInfo& build, const SetupOptions& options,
                         const ReleaseChoice& choice, CInstallLog* log) {
  InstallRequest request;
  request.build = build;
  request.folderText = options.folder.value_or(kDefaultFolder);
  request.ticked = choice.ticked;
  request.checkHostRunning = true;  // there is no second click
  SilentDriver driver;
  CInstallEngine engine(hosts);
  return ExitCodeOf(InstallWithLog(engine, request, driver, log).outcome);
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

ExitCode RunDialog(CAcadHosts& hosts, const BuildInfo& build, const SetupOptions& options,
                   const ReleaseChoice& choice, CInstallLog* log) {
  Dlg_Setup dialog(hosts, build);
  if (options.folder) dialog.installPath = *options.folder;
  if (options.releases) dialog.PresetReleases(choice.ticked);
  LoggedInstalls logged(log);
  dialog.RunInstallsThrough(&logged);
  dialog.DoModal();
  const std::optional<InstallOutcome> outcome = dialog.outcome();
  return outcome ? ExitCodeOf(*outcome) : ExitCode::Cancelled;
}

}  // namespace

ExitCode RunSetup(const BuildInfo& build, const std::vector<std::string>& arguments) {
  const ParsedArguments parsed = ParseArguments(arguments);
  const SetupOptions& options = parsed.options;
  const bool silent = options.silent;
  if (options.help && !silent && parsed.errors.empty()) {
    ShowBox(UsageText(), platform::kMbOk);
    return ExitCode::Installed;
  }
  // The uninstaller started from the install folder hands the run to a copy
  // of itself, before any log or lock: the copy keeps both.
  std::optional<UninstallTarget> uninstall =
      parsed.errors.empty() ? UninstallTargetOf(options, build.editionBits) : std::nullopt;
  if (uninstall && uninstall->relay) {
    if (const std::optional<ExitCode> code = RelayUninstall(*uninstall, options)) return *code;
  }

  std::unique_ptr<CInstallLog> log;
  if (!OpenLog(options, build, &log)) return ExitCode::BadCommandLine;

  if (!parsed.errors.empty()) {
    if (log)
      for (const std::string& error : parsed.errors) log->Error("Command line not understood: " + error);
    if (!silent) ShowWarning(Lines(parsed.errors) + "\n" + UsageText());
    return Finish(log.get(), ExitCode::BadCommandLine);
  }
  if (options.help) {  // with /S: a silent run shows nothing, not even the usage
    log->Info("Usage asked for with /S: nothing shown, nothing done");
    return Finish(log.get(), ExitCode::Installed);
  }

  if (uninstall && options.finishAfter)
    return Finish(log.get(), FinishUninstall(*uninstall, *options.finishAfter, log.get()), Run::Uninstall);

  std::unique_ptr<platform::InstanceLock> lock;
  if (!AcquireLock(silent, log.get(), &lock))
    return Finish(log.get(), ExitCode::AlreadyRunning, uninstall ? Run::Uninstall : Run::Install);
  if (uninstall)
    return Finish(log.get(), RunUninstall(*uninstall, options, build.editionBits, log.get()), Run::Uninstall);

  CAcadHosts hosts;
  hosts.Discover();
  const ReleaseChoice choice = ChooseReleases(hosts, build.editionBits, options.releases);
  if (log) {
    LogHostsFound(*log, hosts, build.editionBits);
    LogSkippedReleases(*log, choice, build.editionBits);
  }
  const ExitCode code = silent ? InstallSilently(hosts, build, options, choice, log.get())
                               : RunDialog(hosts, build, options, choice, log.get());
  return Finish(log.get(), code);
}
