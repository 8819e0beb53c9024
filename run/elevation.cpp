#include "run/elevation.h"

#include "deploy/product.h"
#include "install/edition.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/lookup.h"
#include "platform/mbcs.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/rights.h"
#include "platform/services.h"

using platform::ElevatedStartResult;
using platform::TokenRights;

namespace {

std::string Years(const std::vector<int>& years) {
  std::string text;
  for (int year : years) text += (text.empty() ? "" : ",") + mbcs::Decimal(year);
  return text;
}

std::vector<int> YearsOf(const ReleaseFlags& ticked) {
  std::vector<int> years;
  for (int slot = 0; slot < kReleaseCount; ++slot)
    if (ticked[slot]) years.push_back(kFirstReleaseYear + slot);
  return years;
}

std::string Joined(const std::vector<std::string>& arguments) {
  std::string text;
  for (const std::string& argument : arguments) text += " " + argument;
  return text;
}

struct StartRow {
  ElevatedStartResult start;
  ElevatedRunResult run;  // what the dialog is told
  const char* logged;
};

// A start that failed for another reason than a No or the policy is as
// good as refused: asking again would fail the same way.
constexpr StartRow kStarts[] = {
    {ElevatedStartResult::Started, ElevatedRunResult::Ran, "started"},
    {ElevatedStartResult::Declined, ElevatedRunResult::Declined, "declined at the prompt"},
    {ElevatedStartResult::Refused, ElevatedRunResult::Refused, "refused by the system's policy"},
    {ElevatedStartResult::Failed, ElevatedRunResult::Refused, "not possible"},
};

// An exit code of ours; a copy that ended otherwise (killed, crashed) or
// could not be waited for finished nothing that can be vouched for.
ExitCode CopysExitCode(bool waited, std::uint32_t code) {
  if (!waited || code > static_cast<std::uint32_t>(ExitCode::NotInstalled)) return ExitCode::Incomplete;
  return static_cast<ExitCode>(code);
}

// The copy starts in the program's folder: a log named relative to this
// process's current folder is named for it in full, so that both write the
// one file.
std::string InFull(const std::string& path) {
  const bool full = (path.size() >= 3 && path[1] == ':' && path[2] == '\\') || mbcs::StartsWithNoCase(path, "\\\\");
  if (full) return path;
  std::string current = platform::GetFiles().CurrentDirectory();
  if (!path.empty() && path[0] == '\\') return current.substr(0, 2) + path;
  mbcs::DropTrailingBackslash(current);
  return current + "\\" + path;
}

}  // namespace

std::vector<std::string> ElevatedArguments(const SetupOptions& options, const std::string& sid,
                                           const InstallChoices* choices) {
  platform::Rights& rights = platform::GetRights();
  std::vector<std::string> arguments;
  if (options.mode == RunMode::Uninstall) arguments.push_back("/UNINSTALL");
  const std::optional<std::string> folder = choices ? choices->folderText : options.folder;
  if (folder) arguments.push_back("/DIR=" + rights.UniversalPath(*folder));
  const std::optional<std::vector<int>> releases = choices ? YearsOf(choices->ticked) : options.releases;
  if (releases && !releases->empty()) arguments.push_back("/RELEASES=" + Years(*releases));
  if (options.logPath) arguments.push_back("/LOG=" + rights.UniversalPath(InFull(*options.logPath)));
  if (options.everyUser) arguments.push_back("/ALLUSERS");
  arguments.push_back("/ELEVATED=" + sid);
  if (choices) arguments.push_back("/CONTINUE");
  if (choices && choices->hostWarned) arguments.push_back("/HOSTWARNED");
  return arguments;
}

ElevatedRun HandOver(const SetupOptions& options, const InstallChoices* choices, CInstallLog* log) {
  platform::Rights& rights = platform::GetRights();
  const std::string program = rights.UniversalPath(platform::GetFiles().ModulePath());
  const std::string sid = rights.CurrentAccount().sid;
  if (sid.empty()) {
    // The copy could not be told whom to install for, and would take its
    // own account's hive for this user's.
    if (log) log->Warn("Not elevated, and this account's SID cannot be told: going on without administrator rights");
    return ElevatedRun{ElevatedRunResult::Refused, 0};
  }
  const std::vector<std::string> arguments = ElevatedArguments(options, sid, choices);
  if (log) log->Info("Not elevated: handing over to an elevated copy: " + program + Joined(arguments));
  platform::ElevatedStart start = rights.StartElevated(program, arguments);
  const StartRow& row = RowOf(kStarts, &StartRow::start, start.result);
  ElevatedRun run;
  run.result = row.run;
  if (start.result != ElevatedStartResult::Started) {
    if (log)
      log->Warn(std::string("Elevation ") + row.logged + " (" + DescribeError(start.status) +
                "): going on without administrator rights");
    return run;
  }
  platform::Processes& processes = platform::GetProcesses();
  std::uint32_t code = 0;
  const platform::Status waited = processes.Wait(start.process, &code);
  processes.Release(start.process);
  run.exitCode = static_cast<std::uint32_t>(ExitCodeNumber(CopysExitCode(waited.ok(), code)));
  if (log) {
    if (waited.ok())
      log->Info("The elevated copy ended with exit code " + mbcs::Decimal(code));
    else
      log->Error("The elevated copy could not be waited for (" + DescribeError(waited) + ")");
  }
  return run;
}

RightsCheck CheckRights(const SetupOptions& options, CInstallLog* log) {
  RightsCheck check;
  if (platform::GetRights().Token() == TokenRights::Full) return check;
  if (options.currentUser) {
    // Everything of such an install is the user's own to write.
    if (log) log->Info("Not elevated: none needed for an install for the current user alone");
    return check;
  }
  if (options.silent) {
    // Deployment tools start it elevated or as SYSTEM; nobody is there to
    // answer a prompt.
    if (log) log->Warn("Not elevated: with /S there is no prompt; what needs administrator rights is not written");
    check.state = ElevationState::Impossible;
    return check;
  }
  if (options.servedUser) {
    // The copy was started to get the rights and has none (UAC is off for
    // a standard user): another copy would get none either.
    if (log) log->Warn("Not elevated although started to be: going on without administrator rights");
    check.state = ElevationState::Impossible;
    return check;
  }
  const ElevatedRun run = HandOver(options, nullptr, log);
  if (run.result == ElevatedRunResult::Ran) {
    check.handedOver = static_cast<ExitCode>(run.exitCode);
    if (log) log->Info("Exit code " + mbcs::Decimal(run.exitCode) + ": the elevated copy's");
    return check;
  }
  check.state = run.result == ElevatedRunResult::Declined ? ElevationState::Declined : ElevationState::Refused;
  return check;
}

ElevatedRun CElevationOffer::Elevate(const InstallChoices& choices) {
  if (state_ != ElevationState::Declined) return ElevatedRun{ElevatedRunResult::Refused, 0};
  lock_->reset();
  const ElevatedRun run = HandOver(options_, &choices, log_);
  if (run.result == ElevatedRunResult::Refused) state_ = ElevationState::Refused;
  if (run.result != ElevatedRunResult::Ran &&
      platform::GetInstanceLocks().Acquire(kInstanceLockName, lock_) != platform::LockResult::Acquired && log_)
    log_->Warn("The lock against a second SetUp.exe could not be taken again; going on without");
  return run;
}

void CElevationOffer::Answered(RightsWay way) {
  struct Row {
    RightsWay way;
    const char* logged;
  };
  static constexpr Row kLogged[] = {
      {RightsWay::AsAdministrator, "as an administrator"},
      {RightsWay::ForMeOnly, "for the current user alone, with no administrator rights needed"},
      {RightsWay::WithoutRights, "with the rights there are"},
      {RightsWay::Cancelled, "not now (the box was closed)"},
  };
  if (log_)
    log_->Info(std::string("Asked how to install without administrator rights: ") + RowOf(kLogged, &Row::way, way).logged);
}

bool ServesEveryUser(const SetupOptions& options) {
  // Asked for the current user alone, SYSTEM too installs for itself.
  if (options.currentUser) return false;
  return options.everyUser || mbcs::EqualsNoCase(platform::GetRights().CurrentAccount().sid, platform::kSystemSid);
}

std::string EveryUserNeedsRightsText() {
  return "为本机所有用户安装（/ALLUSERS）需要管理员权限。\n请以管理员身份运行SetUp.exe。未做任何更改。";
}

std::optional<std::string> UserToServe(const SetupOptions& options) {
  platform::Rights& rights = platform::GetRights();
  const std::string own = rights.CurrentAccount().sid;
  if (options.servedUser) {
    if (mbcs::EqualsNoCase(*options.servedUser, own)) return std::nullopt;
    return options.servedUser;
  }
  // "Run as administrator" with another account's password: the desktop's
  // user is the one who wants the add-on.
  if (rights.Token() != TokenRights::Full) return std::nullopt;
  const std::optional<platform::Account> shell = rights.ShellAccount();
  if (!shell || shell->sid.empty() || mbcs::EqualsNoCase(shell->sid, own)) return std::nullopt;
  return shell->sid;
}

// Current-user services that reach nobody: no current-user hive, no
// application-data folder. Everything else goes through as before.
class CServedUser::Withheld : public platform::ForwardingRegistry, public platform::Environment {
 public:
  Withheld()
      : ForwardingRegistry(*platform::CurrentServices().registry),
        previous_(platform::CurrentServices()),
        environment_(*previous_.environment) {
    platform::Services services = previous_;
    services.registry = this;
    services.environment = this;
    platform::UseServices(services);
  }
  ~Withheld() override { platform::UseServices(previous_); }

  platform::RegKey OpenHive(platform::Hive hive) override {
    return hive == platform::Hive::CurrentUser ? nullptr : inner().OpenHive(hive);
  }

  bool GetVariable(const std::string& name, std::string* value) override {
    if (mbcs::EqualsNoCase(name, "APPDATA")) return false;
    return environment_.GetVariable(name, value);
  }
  std::string RoamingAppDataFolder() override { return std::string(); }

 private:
  const platform::Services previous_;
  platform::Environment& environment_;
};

CServedUser::CServedUser(const std::string& sid, CInstallLog* log) : redirection_(platform::RedirectToUser(sid)) {
  if (redirection_.redirect) {
    if (log) log->Info("Installing the user's part for " + sid + " (APPDATA " + redirection_.appData + ")");
    return;
  }
  if (log)
    log->Error("The user's part cannot be written for " + sid + ": " + redirection_.problem +
               "; it is left out, the rest goes on");
  withheld_ = std::make_unique<Withheld>();
}

CServedUser::~CServedUser() = default;
