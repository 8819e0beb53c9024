// What only the real registry can show of user hives: a hive file as
// RegSaveKeyW writes it (Wine's own format under Wine) loads below
// HKEY_USERS under our name, is served through the redirect, and cannot be
// unloaded while a key of it is open.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "platform/registry.h"
#include "platform/rights.h"
#include "platform/user_hives.h"
#include "platform/user_redirect.h"
#include "platform/win32/text.h"

namespace {

using platform::Hive;

constexpr char kSid[] = "S-1-5-21-0-0-0-4242";

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Value `name` of `path` below `hive`, written first when `text` is given.
std::string Text(Hive hive, const std::string& path, const char* name, const char* text = nullptr) {
  platform::Registry& registry = platform::GetRegistry();
  platform::ScopedKey root(registry, registry.OpenHive(hive));
  platform::ScopedKey key(registry, text ? registry.Create(root.get(), path) : registry.OpenRead(root.get(), path));
  if (text) (void)registry.SetValue(key.get(), name, platform::kRegSz, text, static_cast<std::uint32_t>(strlen(text)));
  platform::StoredValue value;
  if (!key || platform::ReadValue(registry, key.get(), name, &value) != platform::QueryResult::Ok) return "(none)";
  return value.bytes.substr(0, value.bytes.find('\0'));
}

TEST(UserHivesWin32, ASavedHiveIsServedUnderOurNameAndUnloadedOnceNoKeyIsOpen) {
  wchar_t temp[MAX_PATH];
  ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring file = std::wstring(temp) + L"zv-hive-" + std::to_wstring(GetCurrentProcessId()) + L".dat";
  DeleteFileW(file.c_str());
  // A second user's hive, made the way Wine can: a key of ours saved to a file.
  const char* const folders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  Text(Hive::CurrentUser, std::string("Software\\ZorvelHive\\") + folders, "AppData", "C:\\users\\second\\Roaming");
  ASSERT_TRUE(platform::GetUserHives().EnablePrivileges()) << "the backup privilege RegSaveKeyW needs";
  HKEY scratch = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\ZorvelHive", 0, KEY_READ, &scratch), ERROR_SUCCESS);
  ASSERT_EQ(RegSaveKeyW(scratch, file.c_str(), nullptr), ERROR_SUCCESS);
  RegCloseKey(scratch);
  ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\ZorvelHive"), ERROR_SUCCESS);

  const std::string path = platform::win32::Narrow(file), own = platform::OwnHiveName(kSid);
  ASSERT_TRUE(platform::LoadUserHive(kSid, path));
  // The machine's own user is found logged on, with its folder; a hive we
  // hold is nobody's profile.
  std::string found;
  for (const platform::UserProfile& user : platform::ListProfiles().users)
    found += user.sid + (user.loaded ? " loaded " : " file ") + user.folder + "\n";
  EXPECT_NE(found.find(platform::GetRights().CurrentAccount().sid + " loaded C:\\"), std::string::npos) << found;
  EXPECT_EQ(found.find(kSid), std::string::npos) << found;
  {
    const platform::Redirection redirection = platform::RedirectToUser(kSid, own);
    ASSERT_TRUE(redirection.redirect) << redirection.problem;
    EXPECT_EQ(redirection.appData, "C:\\users\\second\\Roaming");
    EXPECT_EQ(Text(Hive::CurrentUser, "Software\\Zorvel", "Mine", "1"), "1");
    platform::Registry& registry = platform::GetRegistry();
    platform::ScopedKey user(registry, registry.OpenHive(Hive::CurrentUser));
    EXPECT_FALSE(platform::UnloadUserHive(kSid)) << "unloaded while a key of it is open";
  }
  EXPECT_TRUE(platform::UnloadUserHive(kSid));
  EXPECT_EQ(Text(Hive::Users, own + "\\Software\\Zorvel", "Mine"), "(none)");
  // Loaded again it holds what was written: Windows writes a hive back at
  // its unload; Wine's server drops the branch without saving it, so under
  // Wine only a hive that stays loaded (a logged-on user's) keeps a change.
  // A run that finds it left loaded unloads it.
  ASSERT_TRUE(platform::LoadUserHive(kSid, path));
  EXPECT_EQ(Text(Hive::Users, own + "\\Software\\Zorvel", "Mine"), UnderWine() ? "(none)" : "1");
  EXPECT_EQ(Text(Hive::Users, own + "\\" + folders, "AppData"), "C:\\users\\second\\Roaming");
  const std::vector<platform::HiveUnload> unloads = platform::UnloadLeftovers();
  ASSERT_EQ(unloads.size(), 1u);
  EXPECT_EQ(unloads[0].name + " " + std::to_string(unloads[0].status.code()), own + " 0");
  EXPECT_EQ(Text(Hive::Users, own + "\\" + folders, "AppData"), "(none)");
  DeleteFileW(file.c_str());
}

}  // namespace
