// What only the real registry can show of user hives: a hive file as
// RegSaveKeyW writes it (Wine's own format under Wine) loads below
// HKEY_USERS under our name, is served through the redirect, keeps what was
// written once unloaded, and cannot be unloaded while a key of it is open.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "platform/rights.h"
#include "platform/user_hives.h"
#include "platform/user_redirect.h"
#include "platform/win32/text.h"

namespace {

using platform::Hive;

constexpr char kSid[] = "S-1-5-21-0-0-0-4242";
constexpr wchar_t kScratch[] = L"Software\\ZorvelHiveScratch";

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string TextOf(Hive hive, const std::string& path, const char* name) {
  platform::Registry& registry = platform::GetRegistry();
  platform::ScopedKey root(registry, registry.OpenHive(hive));
  platform::ScopedKey key(registry, registry.OpenRead(root.get(), path));
  platform::StoredValue value;
  if (!key || platform::ReadValue(registry, key.get(), name, &value) != platform::QueryResult::Ok) return "(none)";
  return value.bytes.substr(0, value.bytes.find('\0'));
}

TEST(UserHivesWin32, ASavedHiveIsServedUnderOurNameAndKeepsWhatWasWritten) {
  wchar_t temp[MAX_PATH];
  ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring file = std::wstring(temp) + L"zv-hive-" + std::to_wstring(GetCurrentProcessId()) + L".dat";
  DeleteFileW(file.c_str());
  // A profile's hive, made the way Wine can: a key of ours saved to a file.
  HKEY scratch = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kScratch) +
                                                L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders")
                                                   .c_str(),
                            0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &scratch, nullptr),
            ERROR_SUCCESS);
  const std::wstring appData = L"C:\\users\\second\\AppData\\Roaming";
  ASSERT_EQ(RegSetValueExW(scratch, L"AppData", 0, REG_SZ, reinterpret_cast<const BYTE*>(appData.c_str()),
                           static_cast<DWORD>((appData.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  RegCloseKey(scratch);
  ASSERT_TRUE(platform::GetUserHives().EnablePrivileges()) << "the backup privilege RegSaveKeyW needs";
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kScratch, 0, KEY_READ, &scratch), ERROR_SUCCESS);
  ASSERT_EQ(RegSaveKeyW(scratch, file.c_str(), nullptr), ERROR_SUCCESS);
  RegCloseKey(scratch);
  ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, kScratch), ERROR_SUCCESS);

  const std::string path = platform::win32::Narrow(file);
  const std::string own = platform::OwnHiveName(kSid);
  ASSERT_TRUE(platform::LoadUserHive(kSid, path));
  // The machine's own user is found logged on, with its folder; a hive we
  // hold is nobody's profile.
  const std::string self = platform::GetRights().CurrentAccount().sid;
  std::string found;
  for (const platform::UserProfile& user : platform::ListProfiles().users)
    found += user.sid + (user.loaded ? " loaded " : " file ") + user.folder + "\n";
  EXPECT_NE(found.find(self + " loaded C:\\"), std::string::npos) << found;
  EXPECT_EQ(found.find(kSid), std::string::npos) << found;
  {
    const platform::Redirection redirection = platform::RedirectToUser(kSid, own);
    ASSERT_TRUE(redirection.redirect) << redirection.problem;
    EXPECT_EQ(redirection.appData, "C:\\users\\second\\AppData\\Roaming");
    platform::Registry& registry = platform::GetRegistry();
    platform::ScopedKey user(registry, registry.OpenHive(Hive::CurrentUser));
    platform::ScopedKey key(registry, registry.Create(user.get(), "Software\\Zorvel"));
    ASSERT_TRUE(registry.SetValue(key.get(), "Mine", platform::kRegSz, "1", 1));
    const platform::Status held = platform::UnloadUserHive(kSid);
    EXPECT_FALSE(held) << "unloaded while a key of it is open";
  }
  EXPECT_TRUE(platform::UnloadUserHive(kSid));
  EXPECT_EQ(TextOf(Hive::Users, own + "\\Software\\Zorvel", "Mine"), "(none)");
  // Loaded again it holds what was written: Windows writes a hive back at
  // its unload; Wine's server drops the branch without saving it, so under
  // Wine only a hive that stays loaded (a logged-on user's) keeps a change.
  ASSERT_TRUE(platform::LoadUserHive(kSid, path));
  EXPECT_EQ(TextOf(Hive::Users, own + "\\Software\\Zorvel", "Mine"), UnderWine() ? "(none)" : "1");
  EXPECT_EQ(TextOf(Hive::Users, own + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                   "AppData"),
            "C:\\users\\second\\AppData\\Roaming");
  // A run that finds it left loaded unloads it.
  const std::vector<platform::HiveUnload> unloads = platform::UnloadLeftovers();
  ASSERT_EQ(unloads.size(), 1u);
  EXPECT_EQ(unloads[0].name, own);
  EXPECT_TRUE(unloads[0].status) << unloads[0].status.code();
  EXPECT_EQ(TextOf(Hive::Users, own + "\\Software\\Zorvel", "Mine"), "(none)");
  DeleteFileW(file.c_str());
}

}  // namespace
