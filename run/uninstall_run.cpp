#include "run/uninstall_run.h"

#include "install/install_folder.h"
#include "platform/files.h"
#include "platform/mbcs.h"
#include "platform/processes.h"
#include "record/install_record.h"
#include "record/uninstall_entry.h"
#include "run/run_steps.h"
#include "uninstall/self_removal.h"
#include "uninstall/uninstall_drivers.h"
#include "uninstall/uninstall_messages.h"

namespace {

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
  return arguments;
}

}  // namespace

std::optional<UninstallTarget> UninstallTargetOf(const SetupOptions& options, int editionBits) {
  if (options.removeFolder) {
    UninstallTarget target;
    target.installDir = *options.removeFolder;
    mbcs::DropTrailingBackslash(target.installDir);
    target.leaveUninstaller = true;
    return target;
  }
  const std::string program = platform::GetFiles().ModulePath();
  const bool isUninstaller = mbcs::EqualsNoCase(mbcs::FileNameOf(program), kUninstallerName);
  if (!options.uninstall && !isUninstaller) return std::nullopt;
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

ExitCode RunUninstall(const UninstallTarget& target, const SetupOptions& options, int editionBits,
                      CInstallLog* log) {
  if (target.refusedText) {
    const std::string text = UninstallFolderInvalidText(*target.refusedText);
    if (log) log->Error("Message: " + text);
    if (!options.silent) ShowWarning(text);
    return ExitCode::BadCommandLine;
  }
  if (target.installDir.empty()) {
    if (log) log->Warn("Message: " + NoEntryText());
    if (!options.silent) ShowWarning(NoEntryText());
    return ExitCode::NotInstalled;
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
  return ExitCodeOf(UninstallWithLog(engine, request, driver, log).outcome);
}

ExitCode FinishUninstall(const UninstallTarget& target, std::uint32_t waitFor, CInstallLog* log) {
  const bool finished = FinishRemoval(target.installDir, waitFor);
  if (log) {
    if (finished)
      log->Info("Uninstaller and install record removed from " + target.installDir);
    else
      log->Info("The uninstaller stays in " + target.installDir +
                ": the install record still names more than it (the uninstall was declined or is incomplete), or it "
                "could not be deleted");
  }
  return finished ? ExitCode::Installed : ExitCode::Incomplete;
}
