#include "run/user_part_run.h"

#include <memory>
#include <string>
#include <vector>

#include "deploy/payload.h"
#include "hosts/changes.h"
#include "hosts/loaders.h"
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
  std::vector<std::string> keys;
  for (const LoaderChange& loader : record.loaders) {
    const std::optional<std::string> path = PathFrom(loader.key, editionBits);
    if (!path || !IsLoaderKeyPath(*path)) continue;
    // <product key>\Applications\ZV_BatchPlot<year>
    const std::string product = mbcs::FolderOf(mbcs::FolderOf(*path));
    bool listed = false;
    for (const std::string& key : keys) listed = listed || mbcs::EqualsNoCase(key, product);
    if (!listed) keys.push_back(product);
  }
  return keys;
}

// What is worth a line in the log: a change, a failure, or the user served
// at last. A user who has not started every release's AutoCAD yet is looked
// at again at every logon, mostly to find nothing to do.
bool DidSomething(const UserService& service) {
  bool changed = service.served || !service.recordStatus || service.part.settings.has_value();
  for (const TrustedPathWrite& write : service.part.trustedPaths) changed = changed || write.gained || !write.written();
  return changed;
}

void LogService(CInstallLog& log, const UserService& service, const std::string& installDir) {
  QuietInstallDriver quiet;
  LoggingDriver logging(quiet, log);
  for (const TrustedPathWrite& write : service.part.trustedPaths) logging.OnTrustedPaths(write);
  if (service.part.settings) logging.OnFile(*service.part.settings);
  if (service.part.settingsKept) log.Info("The user's own settings file stays as it is");
  for (const std::string& product : service.part.productsWithoutProfile)
    log.Info("No AutoCAD profile of this user yet below " + product +
             ": its trusted path follows at a logon after AutoCAD's first start");
  if (!service.replacedInstall.empty())
    log.Warn("The user's record of the installation in " + service.replacedInstall +
             " is replaced by this one's; what it names stays as it is");
  const platform::Account account = platform::GetRights().CurrentAccount();
  const std::string who = account.sid + (account.name.empty() ? "" : " (" + account.name + ")");
  if (service.recordStatus)
    log.Info("The user's part of " + installDir + " for " + who + (service.served ? ": served" : ": served in part"));
  else
    log.Error("The user's record could not be written for " + who + " (" + DescribeError(service.recordStatus) + ")");
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
  request.settingsSource = installDir + "\\" + kSettingsForUsers;
  request.productKeys = ProductKeysOf(parsed.record, build.editionBits);
  const UserService service = ServeCurrentUser(request, parsed.record.allUsers);
  const bool failed = FailuresOf(service.part) > 0 || !service.recordStatus;
  const RunEnd end = failed ? RunEnd::UserPartIncomplete : RunEnd::UserServed;
  if (!DidSomething(service)) return ExitCodeOf(end);
  // A log that cannot be opened does not change how the user was served.
  std::unique_ptr<CInstallLog> log;
  (void)OpenLog(options, build, &log);
  if (log) LogService(*log, service, installDir);
  return Finish(log.get(), end);
}
