#include "app/setup_run.h"

#include <memory>
#include <optional>

#include "hosts/acad_hosts.h"
#include "install/command_line.h"
#include "install/install_log.h"
#include "install/messages.h"
#include "install/product.h"
#include "install/release_choice.h"
#include "install/silent_driver.h"
#include "platform/instance_lock.h"
#include "platform/message_box.h"
#include "platform/system_info.h"
#include "ui/setup_dialog.h"

namespace {

constexpr unsigned kWarning = platform::kMbOk | platform::kMbIconWarning;

void ShowBox(const std::string& text, unsigned style) {
  platform::GetMessageBoxes().Show(text, kMessageCaption, style);
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// An unattended install always keeps a log: deployment tools see nothing
// else of it.
std::optional<std::string> LogPathFor(const SetupOptions& options) {
  if (options.logPath) return options.logPath;
  if (options.silent) return platform::GetSystemInfo().TempFolder() + "\\" + kDefaultLogName;
  return std::nullopt;
}

LogLevel LevelOf(ExitCode code) {
  switch (code) {
    case ExitCode::Installed:
      return LogLevel::Info;
    case ExitCode::Cancelled:
    case ExitCode::Incomplete:
      return LogLevel::Warn;
    default:
      return LogLevel::Error;
  }
}

ExitCode Finish(CInstallLog* log, ExitCode code) {
  if (log != nullptr)
    log->Write(LevelOf(code), "Exit code " + std::to_string(ExitCodeNumber(code)) + ": " + ExitCodeMeaning(code));
  return code;
}

// Opens the log the options ask for, if any, and writes its header. False
// when it cannot be opened; the user is told unless the run is silent.
bool OpenLog(const SetupOptions& options, const BuildInfo& build, std::unique_ptr<CInstallLog>* log) {
  const std::optional<std::string> path = LogPathFor(options);
  if (!path) return true;
  platform::Status status;
  *log = CInstallLog::Open(*path, &status);
  if (!*log) {
    const std::string reason = platform::GetSystemInfo().ErrorText(status.code());
    if (!options.silent) ShowBox(LogNotOpenedText(*path, status.code(), reason) + "\n\n" + UsageText(), kWarning);
    return false;
  }
  LogRunHeader(**log, build);
  return true;
}

// False when another setup program holds the lock; the user is told unless
// the run is silent.
bool AcquireLock(bool silent, CInstallLog* log, std::unique_ptr<platform::InstanceLock>* lock) {
  switch (platform::GetInstanceLocks().Acquire(kInstanceLockName, lock)) {
    case platform::LockResult::HeldElsewhere:
      if (log) log->Error("Another SetUp.exe is running");
      if (!silent) ShowBox(AlreadyRunningText(), kWarning);
      return false;
    case platform::LockResult::Unavailable:
      // Not worth refusing an install for: two setups at once are rare.
      if (log) log->Warn("No lock against a second SetUp.exe could be made; going on without");
      break;
    case platform::LockResult::Acquired:
      break;
  }
  return true;
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

ExitCode RunDialog(CAcadHosts& hosts, const BuildInfo& build, const SetupOptions& options,
                   const ReleaseChoice& choice, CInstallLog* log) {
  Dlg_Setup dialog(hosts, build);
  if (options.folder) dialog.installPath = *options.folder;
  if (options.releases) dialog.PresetReleases(choice.ticked);
  dialog.LogTo(log);
  dialog.DoModal();
  return dialog.exitCode();
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

  std::unique_ptr<CInstallLog> log;
  if (!OpenLog(options, build, &log)) return ExitCode::BadCommandLine;

  if (!parsed.errors.empty()) {
    if (log)
      for (const std::string& error : parsed.errors) log->Error("Command line not understood: " + error);
    if (!silent) ShowBox(Lines(parsed.errors) + "\n" + UsageText(), kWarning);
    return Finish(log.get(), ExitCode::BadCommandLine);
  }
  if (options.help) {  // with /S: a silent run shows nothing, not even the usage
    log->Info("Usage asked for with /S: nothing shown, nothing done");
    return Finish(log.get(), ExitCode::Installed);
  }

  std::unique_ptr<platform::InstanceLock> lock;
  if (!AcquireLock(silent, log.get(), &lock)) return Finish(log.get(), ExitCode::AlreadyRunning);

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
