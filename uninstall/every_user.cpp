#include "uninstall/every_user.h"

#include "hosts/changes.h"
#include "platform/mbcs.h"
#include "platform/registry.h"
#include "platform/user_hives.h"
#include "platform/user_redirect.h"
#include "record/logon_steps.h"
#include "record/user_record.h"

namespace {

using What = RemovalEvent::What;
using Result = RemovalEvent::Result;
using platform::Hive;
using platform::Status;

Result ResultOf(LogonStepRemoval::Result removal) {
  switch (removal) {
    case LogonStepRemoval::Result::Removed:
      return Result::Removed;
    case LogonStepRemoval::Result::Gone:
      return Result::Unchanged;
    case LogonStepRemoval::Result::Taken:
      return Result::NotOurs;
    case LogonStepRemoval::Result::Failed:
      break;
  }
  return Result::Failed;
}

const char* WhyNotTrusted(RecordState state) {
  if (state == RecordState::NewerVersion) return "written by a newer version of the program";
  if (state == RecordState::Truncated) return "cut short";
  return "not a record of this program's, or naming more than the user's own part";
}

RemovalEvent Event(What what, Hive hive, const std::string& target, Result result, Status status = Status()) {
  return {what, hive, target, 0, result, status, {}};
}

bool Stays(Result result) { return result == Result::Failed || result == Result::Unreachable; }

class EveryUser {
 public:
  EveryUser(const std::string& installDir, int editionBits, RemovalEvents& events)
      : installDir_(installDir), editionBits_(editionBits), events_(events) {}

  bool Run() {
    // First, so that no user who logs on meanwhile is served again.
    for (const LogonStepRemoval& step : RemoveLogonSteps(installDir_)) {
      RemovalEvent event = Event(What::LogonStep, Hive::LocalMachine, step.key, ResultOf(step.result), step.status);
      event.view = editionBits_;
      complete_ = complete_ && !Stays(event.result);
      events_.OnRemoval(event);
    }
    for (const platform::HiveUnload& leftover : platform::UnloadLeftovers())
      events_.OnRemoval(Event(What::UserHive, Hive::Users, leftover.name,
                              leftover.status ? Result::Removed : Result::Failed, leftover.status));
    const platform::ProfileSurvey survey = platform::ListProfiles();
    for (const platform::SkippedProfile& skipped : survey.skipped) {
      RemovalEvent event = Event(What::User, Hive::Users, skipped.name, Result::NotReached);
      event.detail = skipped.reason;
      events_.OnRemoval(event);
    }
    for (const platform::UserProfile& user : survey.users) TakeBackUser(user);
    return complete_;
  }

 private:
  void TakeBackUser(const platform::UserProfile& user) {
    RemovalEvent told = Event(What::User, Hive::Users, user.sid, Result::Failed);
    const std::string folder = user.folder.empty() ? std::string("no profile folder") : user.folder;
    if (!user.loaded) {
      told.status = platform::LoadUserHive(user.sid, user.hiveFile);
      if (!told.status) {
        told.detail = folder + ": its hive " + user.hiveFile + " could not be loaded";
        TellUser(told);
        return;
      }
    }
    told.detail = folder + (user.loaded ? ", logged on" : ", its hive loaded from " + user.hiveFile);
    {
      // The registry alone: a user whose APPDATA cannot be known here (a
      // folder redirected to a path with %USERNAME% in it) is reached too.
      const platform::Redirection redirection = platform::RedirectRegistryToUser(user.sid, user.HiveKey());
      if (redirection.redirect) {
        told.result = TakeBackPart(user.sid, told.detail);
      } else {
        told.detail = folder + ": " + redirection.problem;
      }
    }  // every key of the hive closed: it can be unloaded
    TellUser(told);
    if (user.loaded) return;
    const Status unloaded = platform::UnloadUserHive(user.sid);
    if (!unloaded)
      events_.OnRemoval(Event(What::UserHive, Hive::Users, platform::OwnHiveName(user.sid), Result::Failed, unloaded));
  }

  void TellUser(const RemovalEvent& event) {
    complete_ = complete_ && event.result != Result::Failed;
    events_.OnRemoval(event);
  }

  // The current user's part, from the record in the current user's hive.
  // How it went for the user as a whole; `detail` gains why a record was
  // left.
  Result TakeBackPart(const std::string& sid, std::string& detail) {
    const ParsedUserRecord parsed = ReadUserRecord();
    if (parsed.state == RecordState::Missing) return DeleteMarker(sid) ? Result::Unchanged : Result::Failed;
    if (parsed.state != RecordState::Complete) {
      detail += "; its record HKU\\" + sid + "\\" + kUserRecordKey + " is " + WhyNotTrusted(parsed.state);
      return Result::NotOurs;
    }
    std::string recorded = parsed.record.installDir;
    mbcs::DropTrailingBackslash(recorded);
    if (!mbcs::EqualsNoCase(recorded, installDir_)) {
      detail += "; its record is of the installation in " + parsed.record.installDir;
      return Result::NotOurs;
    }
    bool whole = true;
    for (const TrustedPathChange& trusted : parsed.record.trustedPaths) {
      Status status;
      const Result result = RemovalResultOf(UndoTrustedPath(trusted, installDir_, &status));
      events_.OnRemoval(Event(What::TrustedPaths, Hive::Users, sid + "\\" + trusted.key, result, status));
      whole = whole && !Stays(result);
    }
    if (!parsed.record.settings.empty())
      events_.OnRemoval(Event(What::Settings, Hive::Users, parsed.record.settings, Result::Kept));
    // A record that still names what could not be taken back stays whole:
    // taking back the rest a second time changes nothing.
    if (whole) {
      const Status deleted = DeleteUserRecord();
      events_.OnRemoval(Event(What::UserRecord, Hive::Users, sid + "\\" + kUserRecordKey,
                              deleted ? Result::Removed : Result::Failed, deleted));
      whole = deleted.ok();
    }
    whole = DeleteMarker(sid) && whole;
    return whole ? Result::Removed : Result::Failed;
  }

  // Without Active Setup's marker, a later installation for every user
  // serves the user again, whatever its version.
  bool DeleteMarker(const std::string& sid) {
    platform::Registry& registry = platform::GetRegistry();
    {
      platform::ScopedKey user(registry, registry.OpenHive(Hive::CurrentUser));
      platform::ScopedKey marker(registry, registry.OpenRead(user.get(), kActiveSetupMarkerKey));
      if (!marker) return true;
    }
    const Status deleted = DeleteActiveSetupMarker();
    events_.OnRemoval(Event(What::ActiveSetupMarker, Hive::Users, sid + "\\" + kActiveSetupMarkerKey,
                            deleted ? Result::Removed : Result::Failed, deleted));
    return deleted.ok();
  }

  const std::string& installDir_;
  const int editionBits_;
  RemovalEvents& events_;
  bool complete_ = true;
};

}  // namespace

bool TakeBackEveryUser(const std::string& installDir, int editionBits, RemovalEvents& events) {
  return EveryUser(installDir, editionBits, events).Run();
}
