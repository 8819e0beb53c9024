// Serving another user: the user's hive stands in for HKEY_CURRENT_USER, the
// user's APPDATA for the process's own, for as long as the redirect lives.
#include "platform/user_redirect.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "platform/environment.h"
#include "platform/mbcs.h"
#include "platform/registry.h"
#include "platform/services.h"

namespace platform {
namespace {

constexpr char kUserShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kAppDataValue[] = "AppData";
constexpr char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr char kProfileImagePath[] = "ProfileImagePath";
constexpr char kUserProfile[] = "USERPROFILE";
constexpr char kAppData[] = "APPDATA";

// Variables whose value in this process is its own account's, not the
// served user's: expanded with them, a path would lead into the wrong
// profile. APPDATA and USERPROFILE the redirect answers itself.
constexpr const char* kPerUserVariables[] = {
    "APPDATA",    "LOCALAPPDATA", "USERPROFILE", "USERNAME",  "USERDOMAIN", "USERDOMAIN_ROAMINGPROFILE",
    "USERDNSDOMAIN", "HOMEDRIVE", "HOMEPATH",    "HOMESHARE", "TEMP",       "TMP",
    "LOGONSERVER", "ONEDRIVE",    "ONEDRIVECONSUMER", "ONEDRIVECOMMERCIAL", "CLIENTNAME", "SESSIONNAME"};

bool IsPerUser(std::string_view name) {
  return std::any_of(std::begin(kPerUserVariables), std::end(kPerUserVariables),
                     [&](const char* perUser) { return mbcs::EqualsNoCase(name, perUser); });
}

// "S-1-5-21-...": a SID in its text form, which names one key below
// HKEY_USERS and nothing else.
bool IsSidText(const std::string& sid) {
  return sid.size() > 2 && (sid[0] == 'S' || sid[0] == 's') && sid[1] == '-' &&
         std::all_of(sid.begin() + 2, sid.end(), [](char c) { return (c >= '0' && c <= '9') || c == '-'; });
}

// A folder from a drive letter (C:\...) or a share (\\server\...).
bool IsFullPath(const std::string& path) {
  const bool drive = path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                     path[1] == ':' && path[2] == '\\';
  return drive || (path.size() > 2 && path[0] == '\\' && path[1] == '\\');
}

struct Text {
  std::string value;
  std::string problem;  // when it could not be had
};

// A text value: REG_SZ as stored, REG_EXPAND_SZ with its %VARIABLES% still
// in it (`expand` set). Nothing when the key or value is missing.
std::optional<StoredValue> ReadText(Registry& registry, RegKey root, const std::string& path, const char* name) {
  ScopedKey key(registry, registry.OpenRead(root, path));
  StoredValue value;
  if (!key || ReadValue(registry, key.get(), name, &value) != QueryResult::Ok) return std::nullopt;
  if (value.type != kRegSz && value.type != kRegExpandSz) return std::nullopt;
  value.bytes = value.bytes.substr(0, value.bytes.find('\0'));
  return value;
}

// Expands the %VARIABLES% of `text` as Windows would at the served user's
// logon: USERPROFILE is `profile` (null: none may appear), a variable of the
// machine comes from this process's environment, and one that holds the
// process's own account's value is refused rather than taken.
Text Expand(const std::string& text, const std::string* profile, Environment& environment) {
  const std::vector<std::string_view> pieces = mbcs::Split(text, '%');
  Text out;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    // Pieces at odd places lie between two '%'; the last one has no closing
    // '%' when their number is even: a lone '%' is a character of the path.
    const bool isName = i % 2 == 1 && i + 1 < pieces.size();
    if (!isName) {
      if (i % 2 == 1) out.value += '%';
      out.value += pieces[i];
      continue;
    }
    const std::string name(pieces[i]);
    std::string value;
    if (mbcs::EqualsNoCase(name, kUserProfile) && profile) {
      value = *profile;
    } else if (name.empty() || IsPerUser(name)) {
      out.problem = "%" + name + "% would be this process's own account's";
      return out;
    } else if (!environment.GetVariable(name, &value)) {
      out.problem = "%" + name + "% is not set";
      return out;
    }
    out.value += value;
  }
  return out;
}

std::string Where(const char* hive, const std::string& sid, const char* path, const char* name) {
  return std::string(hive) + "\\" + sid + "\\" + path + " \"" + name + "\"";
}

// The user's profile folder, as ProfileList names it for the SID.
Text ProfileFolderText(Registry& registry, const std::string& sid, Environment& environment) {
  ScopedKey machine(registry, registry.OpenHive(Hive::LocalMachine));
  const std::string path = std::string(kProfileList) + "\\" + sid;
  const std::optional<StoredValue> stored = ReadText(registry, machine.get(), path, kProfileImagePath);
  const std::string where = "HKLM\\" + path + " \"" + kProfileImagePath + "\"";
  if (!stored || stored->bytes.empty()) return {std::string(), where + " names no profile folder"};
  Text folder = stored->type == kRegExpandSz ? Expand(stored->bytes, nullptr, environment) : Text{stored->bytes, {}};
  if (!folder.problem.empty()) folder.problem = where + ": " + folder.problem;
  return folder;
}

// The served user's APPDATA: User Shell Folders, or Shell Folders where
// that has none, with %USERPROFILE% the user's own profile folder.
Text UserAppData(Registry& registry, RegKey hive, const std::string& sid, const std::string& hiveKey,
                 Environment& environment) {
  const char* folders = kUserShellFolders;
  std::optional<StoredValue> stored = ReadText(registry, hive, folders, kAppDataValue);
  if (!stored) stored = ReadText(registry, hive, folders = kShellFolders, kAppDataValue);
  const std::string where = Where("HKU", hiveKey, folders, kAppDataValue);
  if (!stored || stored->bytes.empty())
    return {std::string(), Where("HKU", hiveKey, kUserShellFolders, kAppDataValue) + " names no folder"};
  Text appData{stored->bytes, {}};
  if (stored->type == kRegExpandSz) {
    std::optional<Text> profile;
    if (mbcs::Find(mbcs::ToUpper(stored->bytes), "%USERPROFILE%") != mbcs::npos) {
      profile = ProfileFolderText(registry, sid, environment);
      if (!profile->problem.empty()) return {std::string(), profile->problem};
    }
    appData = Expand(stored->bytes, profile ? &profile->value : nullptr, environment);
  }
  if (appData.problem.empty() && !IsFullPath(appData.value))
    appData.problem = "\"" + appData.value + "\" is no full path";
  if (!appData.problem.empty()) appData.problem = where + ": " + appData.problem;
  return appData;
}

// HKEY_CURRENT_USER is the user's hive below HKEY_USERS; every other call
// goes through unchanged, on the handles of the registry below.
class UserRegistry : public ForwardingRegistry {
 public:
  UserRegistry(Registry& inner, std::string sid) : ForwardingRegistry(inner), sid_(std::move(sid)) {}

  RegKey OpenHive(Hive hive) override {
    if (hive != Hive::CurrentUser) return inner().OpenHive(hive);
    ScopedKey users(inner(), inner().OpenHive(Hive::Users));
    return inner().Open(users.get(), sid_);
  }

 private:
  const std::string sid_;
};

// The served user's APPDATA and profile folder; the other variables of the
// user's own are not known here and read as unset, never as this
// process's.
class UserEnvironment : public Environment {
 public:
  UserEnvironment(Environment& inner, std::string appData) : inner_(inner), appData_(std::move(appData)) {}

  bool GetVariable(const std::string& name, std::string* value) override {
    if (mbcs::EqualsNoCase(name, kAppData)) {
      *value = appData_;
      return !appData_.empty();
    }
    return !IsPerUser(name) && inner_.GetVariable(name, value);
  }
  std::string RoamingAppDataFolder() override { return appData_; }

 private:
  Environment& inner_;
  const std::string appData_;
};

class Redirect : public UserRedirect {
 public:
  Redirect(const std::string& sid, const std::string& appData)
      : previous_(CurrentServices()),
        registry_(*previous_.registry, sid),
        environment_(*previous_.environment, appData) {
    Services services = previous_;
    services.registry = &registry_;
    services.environment = &environment_;
    UseServices(services);
  }
  ~Redirect() override { UseServices(previous_); }

 private:
  const Services previous_;
  UserRegistry registry_;
  UserEnvironment environment_;
};

// With `withAppData` false, APPDATA reads as unset while redirected.
Redirection RedirectTo(const std::string& sid, const std::string& hiveKey, bool withAppData) {
  Redirection redirection;
  if (!IsSidText(sid)) {
    redirection.problem = "\"" + sid + "\" is not a user's SID";
    return redirection;
  }
  // One key right below HKEY_USERS, never a path into another hive.
  if (hiveKey.empty() || mbcs::Find(hiveKey, "\\") != mbcs::npos) {
    redirection.problem = "\"" + hiveKey + "\" names no hive below HKU";
    return redirection;
  }
  Registry& registry = GetRegistry();
  Environment& environment = GetEnvironment();
  ScopedKey users(registry, registry.OpenHive(Hive::Users));
  ScopedKey hive(registry, registry.Open(users.get(), hiveKey));
  if (!hive) {
    redirection.problem = "the user's registry (HKU\\" + hiveKey + ") is not loaded";
    return redirection;
  }
  if (withAppData) {
    const Text appData = UserAppData(registry, hive.get(), sid, hiveKey, environment);
    if (!appData.problem.empty()) {
      redirection.problem = appData.problem;
      return redirection;
    }
    redirection.appData = appData.value;
  }
  redirection.redirect = std::make_unique<Redirect>(hiveKey, redirection.appData);
  return redirection;
}

}  // namespace

Redirection RedirectToUser(const std::string& sid) { return RedirectToUser(sid, sid); }

Redirection RedirectToUser(const std::string& sid, const std::string& hiveKey) {
  return RedirectTo(sid, hiveKey, true);
}

Redirection RedirectRegistryToUser(const std::string& sid, const std::string& hiveKey) {
  return RedirectTo(sid, hiveKey, false);
}

ProfileFolder ProfileFolderOf(const std::string& sid) {
  if (!IsSidText(sid)) return {std::string(), "\"" + sid + "\" is not a user's SID"};
  Text folder = ProfileFolderText(GetRegistry(), sid, GetEnvironment());
  return {folder.problem.empty() ? folder.value : std::string(), folder.problem};
}

}  // namespace platform
