// The hives of users who are not logged on, and the list of the machine's
// user profiles, over the registry, file and user-hive services.
#include "platform/user_hives.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/mbcs.h"
#include "platform/registry.h"
#include "platform/user_redirect.h"

namespace platform {
namespace {

constexpr char kOwnHivePrefix[] = "ZorvelBatchPlot-";
constexpr char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr char kBackupSuffix[] = ".BAK";
constexpr char kHiveFileName[] = "NTUSER.DAT";
// The authorities of people's accounts: local and domain (S-1-5-21), and
// Microsoft Entra ID (S-1-12-1).
constexpr const char* kUserSidPrefixes[] = {"S-1-5-21-", "S-1-12-1-"};

// The names of the sub-keys of `path` below `hive`, in the registry's order.
std::vector<std::string> SubkeyNames(Registry& registry, Hive hive, const char* path) {
  std::vector<std::string> names;
  ScopedKey root(registry, registry.OpenHive(hive));
  ScopedKey key(registry, registry.OpenRead(root.get(), path));
  char name[kKeyNameBufferBytes];
  for (std::uint32_t i = 0; key && registry.EnumSubkey(key.get(), i, name, sizeof name); ++i) names.emplace_back(name);
  return names;
}

bool Listed(const std::vector<UserProfile>& users, const std::string& sid) {
  return std::any_of(users.begin(), users.end(),
                     [&](const UserProfile& user) { return mbcs::EqualsNoCase(user.sid, sid); });
}

}  // namespace

std::string OwnHiveName(const std::string& sid) { return kOwnHivePrefix + sid; }

bool IsOwnHiveName(const std::string& name) {
  return name.size() > sizeof kOwnHivePrefix - 1 && mbcs::StartsWithNoCase(name, kOwnHivePrefix);
}

bool IsUserSid(const std::string& name) {
  for (const char* prefix : kUserSidPrefixes) {
    const std::size_t length = std::char_traits<char>::length(prefix);
    if (name.size() <= length || !mbcs::StartsWithNoCase(name, prefix)) continue;
    // Digits in groups; "_Classes" or anything else makes it another key.
    bool digitBefore = false;
    for (std::size_t i = length; i < name.size(); ++i) {
      const char c = name[i];
      if (c == '-' && digitBefore) {
        digitBefore = false;
      } else if (c >= '0' && c <= '9') {
        digitBefore = true;
      } else {
        return false;
      }
    }
    return digitBefore;
  }
  return false;
}

Status LoadUserHive(const std::string& sid, const std::string& file) {
  UserHives& hives = GetUserHives();
  const Status enabled = hives.EnablePrivileges();
  if (!enabled) return enabled;
  return hives.Load(OwnHiveName(sid), file);
}

Status UnloadUserHive(const std::string& sid) {
  UserHives& hives = GetUserHives();
  const Status enabled = hives.EnablePrivileges();
  if (!enabled) return enabled;
  return hives.Unload(OwnHiveName(sid));
}

std::vector<HiveUnload> UnloadLeftovers() {
  std::vector<HiveUnload> unloads;
  for (const std::string& name : SubkeyNames(GetRegistry(), Hive::Users, "")) {
    if (!IsOwnHiveName(name)) continue;
    UserHives& hives = GetUserHives();
    Status status = hives.EnablePrivileges();
    if (status) status = hives.Unload(name);
    unloads.push_back({name, status});
  }
  return unloads;
}

ProfileSurvey ListProfiles() {
  Registry& registry = GetRegistry();
  ProfileSurvey survey;
  for (const std::string& name : SubkeyNames(registry, Hive::Users, "")) {
    if (!IsUserSid(name)) continue;
    UserProfile user;
    user.sid = name;
    user.loaded = true;
    user.folder = ProfileFolderOf(name).folder;  // the hive names its APPDATA; a missing folder shows there
    survey.users.push_back(user);
  }
  for (const std::string& name : SubkeyNames(registry, Hive::LocalMachine, kProfileList)) {
    if (mbcs::EndsWithNoCase(name, kBackupSuffix) && IsUserSid(name.substr(0, name.size() - (sizeof kBackupSuffix - 1)))) {
      survey.skipped.push_back({name, "a backup Windows keeps of a damaged profile"});
      continue;
    }
    if (!IsUserSid(name) || Listed(survey.users, name)) continue;
    const ProfileFolder folder = ProfileFolderOf(name);
    if (!folder.problem.empty()) {
      survey.skipped.push_back({name, folder.problem});
      continue;
    }
    const std::string hiveFile =
        folder.folder + (mbcs::EndsWithBackslash(folder.folder) ? "" : "\\") + kHiveFileName;
    if (!GetFiles().Exists(hiveFile)) {
      survey.skipped.push_back(
          {name, "no " + hiveFile + " (a roaming profile or a profile container brings its own at logon)"});
      continue;
    }
    survey.users.push_back({name, folder.folder, false, hiveFile});
  }
  return survey;
}

}  // namespace platform
