// User hives: the registry of a user who is not logged on, loaded from the
// profile's NTUSER.DAT under HKEY_USERS for as long as the program changes
// it, and the list of the machine's user profiles an installation for every
// user serves.
//
// A hive the program loads goes under a name that says it is ours
// (OwnHiveName), never under the user's SID: Windows' own logon uses that
// name, and a leftover of ours must be told from a hive Windows loaded. A
// hive that stays loaded gives its user a temporary profile at the next
// logon, so every run that loads hives first unloads what a killed run left.
//
// Implementations: platform/win32/user_hives.cpp (AdjustTokenPrivileges,
// RegLoadKeyW and RegUnLoadKeyW on HKEY_USERS) and, for the tests,
// tests/fakes/user_hives.h (hive files in memory, grafted into the in-memory
// registry).
#pragma once

#include <string>
#include <vector>

#include "platform/status.h"

namespace platform {

constexpr OsError kErrorNotRegistryFile = 1017;   // ERROR_NOT_REGISTRY_FILE
constexpr OsError kErrorNotAllAssigned = 1300;    // ERROR_NOT_ALL_ASSIGNED (a privilege the token lacks)
constexpr OsError kErrorPrivilegeNotHeld = 1314;  // ERROR_PRIVILEGE_NOT_HELD

class UserHives {
 public:
  virtual ~UserHives() = default;

  // Enables SeRestorePrivilege and SeBackupPrivilege in the process's token,
  // which loading and unloading a hive need. kErrorNotAllAssigned when the
  // token lacks one of them (the process is no administrator).
  virtual Status EnablePrivileges() = 0;

  // Loads the hive file `file` as HKEY_USERS\<name> (RegLoadKeyW). Refused
  // (kErrorSharingViolation) while the file is in use: loaded already, as
  // the hive of a user who is logged on is.
  virtual Status Load(const std::string& name, const std::string& file) = 0;

  // Writes back and unloads HKEY_USERS\<name> (RegUnLoadKeyW). Refused while
  // a key at or below it is open, by this process or another.
  virtual Status Unload(const std::string& name) = 0;
};

UserHives& GetUserHives();

// "ZorvelBatchPlot-<SID>": the name below HKEY_USERS under which the program
// loads the hive of `sid`.
std::string OwnHiveName(const std::string& sid);
bool IsOwnHiveName(const std::string& name);

// A person's account, whose hive an installation for every user serves:
// "S-1-5-21-…" (local and domain accounts) or "S-1-12-1-…" (Microsoft Entra
// ID accounts). Not a service account (S-1-5-18, -19, -20), not a
// "<SID>_Classes" hive, not ".DEFAULT".
bool IsUserSid(const std::string& name);

// Loads `file` as the hive of `sid` under OwnHiveName(sid), the privileges
// enabled first.
Status LoadUserHive(const std::string& sid, const std::string& file);
Status UnloadUserHive(const std::string& sid);

struct HiveUnload {
  std::string name;  // below HKEY_USERS
  Status status;
};

// Unloads every hive below HKEY_USERS that carries our name: those a run
// that was killed left loaded. What was found, each with how its unload went.
std::vector<HiveUnload> UnloadLeftovers();

struct UserProfile {
  std::string sid;
  std::string folder;    // the profile folder ProfileList names; empty when it names none
  bool loaded = false;   // its hive is loaded as HKEY_USERS\<sid> (the user is logged on)
  std::string hiveFile;  // not loaded: the NTUSER.DAT to load
  // Below HKEY_USERS, where the user's hive is while it is served.
  std::string HiveKey() const { return loaded ? sid : OwnHiveName(sid); }
};

struct SkippedProfile {
  std::string name;    // the ProfileList entry
  std::string reason;  // for the log
};

struct ProfileSurvey {
  std::vector<UserProfile> users;       // every user's hive loaded or in ProfileList, each once
  std::vector<SkippedProfile> skipped;  // entries that name a user whose hive cannot be had here
};

// The machine's user profiles: the user hives loaded under HKEY_USERS, then
// the users ProfileList names whose hive is not loaded and whose NTUSER.DAT
// is there. Left, with why: "<SID>.bak" entries (Windows keeps them beside a
// damaged profile's), entries that name no profile folder, and profiles
// without an NTUSER.DAT (roaming profiles and profile containers, which bring
// theirs at logon). Service accounts are no one's profile and are left
// without a word.
ProfileSurvey ListProfiles();

}  // namespace platform
