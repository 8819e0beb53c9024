// The loop over the machine's users: each user's hive loaded where it is not,
// the current-user services redirected to it, the user served, every key of
// it closed again and the hive unloaded.
#include "install/every_user.h"

#include "platform/mbcs.h"
#include "platform/user_redirect.h"

namespace {

// The user's hive, reached: the user served through a redirect that lives
// only as long as this call, so that no key of the hive is open afterwards
// (an open key keeps the hive from being unloaded).
void ServeThroughRedirect(const platform::UserProfile& user, const UserPartRequest& request, std::uint32_t serial,
                          UserServed& served) {
  const platform::Redirection redirection = platform::RedirectToUser(user.sid, user.HiveKey());
  if (!redirection.redirect) {
    served.problem = redirection.problem;
    return;
  }
  served.service = ServeCurrentUser(request, serial);
}

}  // namespace

bool UserServed::failed() const {
  return !problem.empty() || FailuresOf(service.part) > 0 || !service.recordStatus || !unload;
}

EveryUserResult ServeEveryUser(const UserPartRequest& request, std::uint32_t serial, EveryUserEvents& events) {
  EveryUserResult result;
  for (const platform::HiveUnload& leftover : platform::UnloadLeftovers()) events.OnLeftoverHive(leftover);
  const platform::ProfileSurvey survey = platform::ListProfiles();
  for (const platform::SkippedProfile& skipped : survey.skipped) {
    events.OnUserSkipped(skipped);
    ++result.skipped;
  }
  for (const platform::UserProfile& user : survey.users) {
    if (!user.loaded) {
      // A hive in use by another program, or a damaged one: the logon step
      // serves that user at the next logon.
      const platform::Status loaded = platform::LoadUserHive(user.sid, user.hiveFile);
      if (!loaded) {
        events.OnUserSkipped({user.sid, "its hive " + user.hiveFile + " could not be loaded (error " +
                                            mbcs::Decimal(loaded.code()) + ")"});
        ++result.skipped;
        continue;
      }
    }
    UserServed served;
    served.sid = user.sid;
    served.profileFolder = user.folder;
    served.loadedHere = !user.loaded;
    ServeThroughRedirect(user, request, serial, served);
    if (served.loadedHere) served.unload = platform::UnloadUserHive(user.sid);
    events.OnUser(served);
    ++(served.failed() ? result.failed : result.served);
  }
  return result;
}
