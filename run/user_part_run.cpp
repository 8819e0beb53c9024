#include "run/user_part_run.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "deploy/payload.h"
#include "hosts/changes.h"
#include "hosts/loaders.h"
#include "install/every_user.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/mbcs.h"
#include "platform/rights.h"
#include "record/install_record.h"
#include "record/user_record.h"
#include "run/install_log.h"
#include "run/run_steps.h"

namespace {

// The product keys the installation registered its loaders under, as this
// edition reaches them: a user counts as served once each has a profile.
std::vector<std::string> ProductKeysOf(const InstallRecord& record, int editionBits) {
  std::vector<std::string> paths;
  for (const LoaderChange& loader : record.loaders) {
    if (const std::optional<std::string> path = PathFrom(loader.key, editionBits)) paths.push_back(*path);
  }
  return ::ProductKeysOf(paths);
}

// The settings file the installation keeps for its users, where it placed one.
bool KeepsUsersSettings(const InstallRecord& record) {
  return std::any_of(record.files.begin(), record.files.end(),
                     [](const std::string& file) { return mbcs::EqualsNoCase(file, kSettingsForUsers); });
}

// What is worth a line in the log: a change, a failure, or the user served
// at last. A user who has not started every release's AutoCAD yet is looked
// at again at every logon, mostly to find nothing to do.
bool DidSomething(const UserService& service) {
  bool changed = service.served || !service.recordStatus || service.part.settings.has_value();
  for (const TrustedPathWrite& write : service.part.trustedPaths) changed = changed || write.gained || !write.written();
  return changed;
}

// The user's line, as an installation for every user logs each user.
void LogUser(CInstallLog& log, UserServed& user) {
  user.sid = platform::GetRights().CurrentAccount().sid;
  if (!platform::GetEnvironment().GetVariable("USERPROFILE", &user.profileFolder)) user.profileFolder.clear();
  QuietInstallDriver quiet;
  LoggingDriver(quiet, log).OnUser(user);
}

}  // namespace

ExitCode RunUserPart(const SetupOptions& options, const BuildInfo& build) {
  // The uninstaller's own folder is the installation it serves.
  const std::string installDir = mbcs::FolderOf(platform::GetFiles().ModulePath());
  const ParsedRecord parsed = ReadRecord(installDir);
  // No installation for every user here (any more): nothing to serve.
  if (parsed.state != RecordState::Complete || parsed.record.allUsers == 0) return ExitCode::Installed;
  if (AlreadyServed(installDir, parsed.record.allUsers)) return ExitCode::Installed;

  UserPartRequest request;
  request.installDir = installDir;
  // A distribution without a settings file leaves the users none to get.
  if (KeepsUsersSettings(parsed.record)) request.settingsSource = installDir + "\\" + kSettingsForUsers;
  request.productKeys = ProductKeysOf(parsed.record, build.editionBits);
  UserServed user;
  user.service = ServeCurrentUser(request, parsed.record.allUsers);
  const bool failed = FailuresOf(user.service.part) > 0 || !user.service.recordStatus;
  const RunEnd end = failed ? RunEnd::UserPartIncomplete : RunEnd::UserServed;
  if (!DidSomething(user.service)) return ExitCodeOf(end);
  // A log that cannot be opened does not change how the user was served.
  std::unique_ptr<CInstallLog> log;
  (void)OpenLog(options, build, &log);
  if (log) LogUser(*log, user);
  return Finish(log.get(), end);
}
