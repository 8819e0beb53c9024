#include "run/run_steps.h"

#include <optional>

#include "deploy/product.h"
#include "install/messages.h"
#include "platform/mbcs.h"
#include "platform/message_box.h"
#include "platform/processes.h"
#include "platform/system_info.h"

namespace {

// An unattended run always keeps a log: deployment tools see nothing else
// of it.
std::optional<std::string> LogPathFor(const SetupOptions& options) {
  if (options.logPath) return options.logPath;
  if (options.silent) return platform::GetSystemInfo().TempFolder() + "\\" + kDefaultLogName;
  return std::nullopt;
}

// Which process of the run writes: its id, and whether it is the copy a
// run without administrator rights handed over to, the uninstaller's copy
// in the temp folder, or the process the user or a tool started.
std::string WriterOf(const SetupOptions& options) {
  const char* role = options.servedUser ? "elevated" : options.removeFolder ? "copy" : "first";
  return mbcs::Decimal(platform::GetProcesses().CurrentProcessId()) + " " + role;
}

}  // namespace

void ShowBox(const std::string& text, unsigned style) {
  platform::GetMessageBoxes().Show(text, kMessageCaption, style);
}

void ShowWarning(const std::string& text) { ShowBox(text, platform::kMbOk | platform::kMbIconWarning); }

bool OpenLog(const SetupOptions& options, const BuildInfo& build, std::unique_ptr<CInstallLog>* log) {
  const std::optional<std::string> path = LogPathFor(options);
  if (!path) return true;
  platform::Status status;
  *log = CInstallLog::Open(*path, &status);
  if (!*log) {
    const std::string reason = platform::GetSystemInfo().ErrorText(status.code());
    if (!options.silent) ShowWarning(LogNotOpenedText(*path, status.code(), reason) + "\n\n" + UsageText());
    return false;
  }
  (*log)->SetWriter(WriterOf(options));
  LogRunHeader(**log, build);
  return true;
}

bool AcquireLock(bool silent, CInstallLog* log, std::unique_ptr<platform::InstanceLock>* lock) {
  switch (platform::GetInstanceLocks().Acquire(kInstanceLockName, lock)) {
    case platform::LockResult::HeldElsewhere:
      if (log) log->Error("Another SetUp.exe is running");
      if (!silent) ShowWarning(AlreadyRunningText());
      return false;
    case platform::LockResult::Unavailable:
      // Not worth refusing a run for: two setups at once are rare.
      if (log) log->Warn("No lock against a second SetUp.exe could be made; going on without");
      break;
    case platform::LockResult::Acquired:
      break;
  }
  return true;
}

ExitCode Finish(CInstallLog* log, RunEnd end) {
  const ExitCode code = ExitCodeOf(end);
  if (log != nullptr)
    log->Write(LogLevelOf(end), "Exit code " + mbcs::Decimal(ExitCodeNumber(code)) + ": " + RunEndMeaning(end));
  return code;
}
