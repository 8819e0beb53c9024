#include "run/uninstall_run.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "install/install_folder.h"
#include "platform/files.h"
#include "platform/mbcs.h"
#include "platform/processes.h"
#include "platform/rights.h"
#include "platform/status.h"
#include "record/install_record.h"
#include "record/uninstall_entry.h"
#include "run/elevation.h"
#include "run/run_steps.h"
#include "uninstall/self_removal.h"
#include "uninstall/uninstall_drivers.h"
#include "uninstall/uninstall_messages.h"

namespace {

struct UninstallTarget {
  // The install folder whose record is taken back; empty when /UNINSTALL
  // named none and Programs and Features has no entry.
  std::string installDir;
  // The /DIR= text, when it is no folder path: nothing is taken back.
  std::optional<std::string> refusedText;
  // This program is the uninstaller in `installDir`: a copy must run the
  // removal, for this file to go too.
  bool relay = false;
  // The uninstaller in `installDir` is held by the program that was started:
  // the removal leaves it for the finish.
  bool leaveUninstaller = false;
  // Why no copy could run the removal, when the uninstaller runs it itself.
  platform::Status relayFailure;
};


bool RecordIn(const std::string& folder) { return platform::GetFiles().Exists(RecordPath(folder)); }

// The folder /DIR= names for an uninstall: as for the install, the product
// folder below it; or the install folder itself, when its record is there.
UninstallTarget FromFolderText(const std::string& text) {
  UninstallTarget target;
  const FolderVerdict verdict = CheckFolderText(text, {});
  if (verdict.refusal == FolderRefusal::Empty || verdict.refusal == FolderRefusal::Invalid) {
    target.refusedText = text;
    return target;
  }
  target.installDir = verdict.installDir;
  std::string given = text;
  mbcs::DropTrailingBackslash(given);
  if (!RecordIn(target.installDir) && RecordIn(given)) target.installDir = given;
  return target;
}

// The install folder of the Programs and Features entry: the machine's, or
// the user's. The install wrote it in the edition's own registry view.
std::string FromEntry(int editionBits) {
  for (const EntryChange& entry : {EntryChange{platform::Hive::LocalMachine, editionBits},
                                   EntryChange{platform::Hive::CurrentUser, 0}}) {
    std::optional<std::string> location = EntryInstallLocation(entry, editionBits);
    if (location && !location->empty()) {
      mbcs::DropTrailingBackslash(*location);
      return *location;
    }
  }
  return std::string();
}

std::vector<std::string> PassedOn(const SetupOptions& options, const std::string& installDir) {
  std::vector<std::string> arguments{"/REMOVE=" + installDir};
  if (options.silent) arguments.push_back("/S");
  if (options.logPath) arguments.push_back("/LOG=" + *options.logPath);
  if (options.servedUser) arguments.push_back("/ELEVATED=" + *options.servedUser);
  return arguments;
}

// The folder the uninstaller handed over to its copy (/REMOVE=).
UninstallTarget HandedOver(const SetupOptions& options) {
  UninstallTarget target;
  target.installDir = options.removeFolder.value_or(std::string());
  mbcs::DropTrailingBackslash(target.installDir);
  target.leaveUninstaller = true;
  return target;
}

UninstallTarget UninstallTargetOf(const SetupOptions& options, int editionBits) {
  const std::string program = platform::GetFiles().ModulePath();
  const bool isUninstaller = mbcs::EqualsNoCase(mbcs::FileNameOf(program), kUninstallerName);
  UninstallTarget target;
  if (options.folder)
    target = FromFolderText(*options.folder);
  else if (isUninstaller)
    target.installDir = mbcs::FolderOf(program);
  else
    target.installDir = FromEntry(editionBits);
  target.relay = !target.installDir.empty() && RunsFromInstallFolder(target.installDir);
  return target;
}

// Runs the removal from a copy of this program in the temp folder, waits for
// it and returns its exit code; afterwards the copy runs once more to remove
// the uninstaller. Nothing when no copy could run: `target` then says the
// removal runs here and leaves the uninstaller.
std::optional<ExitCode> RelayUninstall(UninstallTarget& target, const SetupOptions& options) {
  const std::vector<std::string> removal = PassedOn(options, target.installDir);
  std::vector<std::string> cleanup = PassedOn(options, target.installDir);
  cleanup.push_back("/FINISH=" + mbcs::Decimal(platform::GetProcesses().CurrentProcessId()));
  const RelayResult relayed = RelayToTempCopy(removal, cleanup);
  if (relayed.started) {
    // A copy that could not be waited for, or ended some other way (killed,
    // crashed), finished nothing that can be vouched for.
    if (!relayed.status || relayed.exitCode > static_cast<std::uint32_t>(ExitCode::NotInstalled))
      return ExitCode::Incomplete;
    return static_cast<ExitCode>(relayed.exitCode);
  }
  target.relay = false;
  target.leaveUninstaller = true;
  target.relayFailure = relayed.status;
  return std::nullopt;
}

RunEnd Remove(const UninstallTarget& target, const SetupOptions& options, int editionBits, CInstallLog* log) {
  if (target.refusedText) {
    const std::string text = UninstallFolderInvalidText(*target.refusedText);
    if (log) log->Error("Message: " + text);
    if (!options.silent) ShowWarning(text);
    return RunEnd::BadCommandLine;
  }
  if (target.installDir.empty()) {
    if (log) log->Warn("Message: " + NoEntryText());
    if (!options.silent) ShowWarning(NoEntryText());
    return RunEnd::NotInstalled;
  }
  if (log && !target.relayFailure.ok())
    log->Warn("The uninstaller could not run from a copy in the temp folder (" + DescribeError(target.relayFailure) +
              "): it stays in the install folder when everything else is removed");
  // The record names each key by its registry view, as the edition saw it.
  UninstallRequest request;
  request.installDir = target.installDir;
  request.editionBits = editionBits;
  if (target.leaveUninstaller) request.leaveForLater = UninstallerPath(target.installDir);
  BoxUninstallDriver boxes;
  SilentUninstallDriver silent;
  UninstallDriver& driver = options.silent ? static_cast<UninstallDriver&>(silent) : boxes;
  CUninstallEngine engine;
  return EndOf(UninstallWithLog(engine, request, driver, log).outcome);
}

// The log (unless the run has it open already), the lock and the removal,
// of the user's part for the user the run serves.
ExitCode Uninstall(const UninstallTarget& target, const SetupOptions& options, const BuildInfo& build,
                   std::unique_ptr<CInstallLog> log = nullptr) {
  if (!log && !OpenLog(options, build, &log)) return ExitCode::BadCommandLine;
  std::unique_ptr<platform::InstanceLock> lock;
  if (!AcquireLock(options.silent, log.get(), &lock)) return Finish(log.get(), RunEnd::AlreadyRunning);
  std::optional<CServedUser> served;
  if (const std::optional<std::string> sid = UserToServe(options)) served.emplace(*sid, log.get());
  return Finish(log.get(), Remove(target, options, build.editionBits, log.get()));
}

RunEnd FinishUninstall(const UninstallTarget& target, std::uint32_t waitFor, CInstallLog* log) {
  const bool finished = FinishRemoval(target.installDir, waitFor);
  if (log) {
    if (finished)
      log->Info("Uninstaller and install record removed from " + target.installDir);
    else
      log->Info("The uninstaller stays in " + target.installDir +
                ": the install record still names more than it (the uninstall was declined or is incomplete), or it "
                "could not be deleted");
  }
  return finished ? RunEnd::UninstallerRemoved : RunEnd::UninstallerKept;
}

// The folder the copy ran from with full rights goes whatever became of the
// uninstall.
void ForgetHandOver(std::uint32_t firstProcess, CInstallLog* log) {
  const std::string folder = HandOverFolder(firstProcess);
  if (folder.empty()) return;
  const platform::Status asked = RemoveHandOverFolder(folder);
  if (!log) return;
  if (asked)
    log->Info("The uninstaller's copy and its folder " + folder + " go when Windows next starts");
  else
    log->Warn("The uninstaller's copy and its folder " + folder + " stay: " + DescribeError(asked));
}

}  // namespace

ExitCode RunUninstall(const SetupOptions& given, const BuildInfo& build) {
  // The uninstaller started under its own name hands over as /UNINSTALL.
  SetupOptions options = given;
  options.mode = RunMode::Uninstall;
  // Without administrator rights an elevated copy does the removal; this
  // process holds no lock while it waits. An installation for the current
  // user alone took nothing that needs rights to take back.
  UninstallTarget target = UninstallTargetOf(options, build.editionBits);
  const bool forTheUser = !target.installDir.empty() && ReadRecord(target.installDir).record.currentUser;
  std::unique_ptr<CInstallLog> log;
  if (platform::GetRights().Token() != platform::TokenRights::Full && !forTheUser) {
    if (!OpenLog(options, build, &log)) return ExitCode::BadCommandLine;
    if (const std::optional<ExitCode> code = CheckRights(options, log.get()).handedOver) return *code;
  }
  if (target.relay) {
    if (const std::optional<ExitCode> code = RelayUninstall(target, options)) return *code;
  }
  return Uninstall(target, options, build, std::move(log));
}

ExitCode RunRemoval(const SetupOptions& options, const BuildInfo& build) {
  return Uninstall(HandedOver(options), options, build);
}

ExitCode RunFinish(const SetupOptions& options, const BuildInfo& build) {
  std::unique_ptr<CInstallLog> log;
  if (!OpenLog(options, build, &log)) return ExitCode::BadCommandLine;
  const std::uint32_t firstProcess = options.finishAfter.value_or(0);
  const RunEnd end = FinishUninstall(HandedOver(options), firstProcess, log.get());
  ForgetHandOver(firstProcess, log.get());
  return Finish(log.get(), end);
}
