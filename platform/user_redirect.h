// Serving a user other than the one the process runs as. An elevated copy
// started with another account's password, or started for the desktop's user,
// writes that user's part of an installation (the trusted paths, the settings
// file) where that user will find it: in the user's hive, loaded under
// HKEY_USERS\<SID>, and in the APPDATA that hive names.
#pragma once

#include <memory>
#include <string>

namespace platform {

// While alive, every service call that means "the current user" means the
// user it was made for: Hive::CurrentUser opens HKEY_USERS\<SID>, and the
// roaming application-data folder is that user's. Destroying it puts the
// services back as they were.
class UserRedirect {
 public:
  virtual ~UserRedirect() = default;
};

struct Redirection {
  std::unique_ptr<UserRedirect> redirect;  // null when the user cannot be served
  std::string appData;                     // the user's APPDATA, as resolved
  std::string problem;                     // for the log when null: why not
};

// Redirects the current-user services to the user `sid`: its hive must be
// loaded under HKEY_USERS (it is while the user is logged on), and its
// APPDATA is the hive's User Shell Folders\AppData with %USERPROFILE% set to
// the profile folder ProfileList names for it. Other variables come from this
// process's environment, except those that hold its own account's values
// (USERNAME, HOMEPATH, LOCALAPPDATA, TEMP...): a path that needs one, an
// unset variable, a hive not loaded or an APPDATA that is no full path is a
// `problem`, never a guess that could be the administrator's folder. While
// redirected, those variables read as unset and APPDATA as the user's.
Redirection RedirectToUser(const std::string& sid);

// The same for a user whose hive the program loaded itself: it is found as
// HKEY_USERS\<hiveKey> (platform/user_hives.h names it), and ProfileList is
// asked for `sid`'s folder. With `hiveKey` the SID itself, as above.
Redirection RedirectToUser(const std::string& sid, const std::string& hiveKey);

// The user's registry only: HKEY_CURRENT_USER is HKEY_USERS\<hiveKey>, and
// APPDATA reads as unset. For work on the user's registry alone (the
// uninstall taking back the user's entries), which a user whose APPDATA this
// process cannot know (a folder redirected to a path with %USERNAME% in it)
// must not be kept from.
Redirection RedirectRegistryToUser(const std::string& sid, const std::string& hiveKey);

struct ProfileFolder {
  std::string folder;   // expanded
  std::string problem;  // for the log when `folder` is empty: why
};

// The profile folder ProfileList names for `sid`, its %VARIABLES% expanded
// from this process's environment (a per-user one refused, as above).
ProfileFolder ProfileFolderOf(const std::string& sid);

}  // namespace platform
