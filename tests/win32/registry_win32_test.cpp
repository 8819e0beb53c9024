// What only the real registry can show: the sizes the values are stored with,
// and text that GBK cannot express: a list never written back with it lost,
// a product name still read for its year.
#include <windows.h>

#include <vector>

#include "platform/win32/services.h"
#include "platform/win32/text.h"
#include "platform/environment.h"
#include "platform/mbcs.h"
#include "platform/registry.h"
#include "platform/rights.h"
#include "platform/user_redirect.h"
#include "tests/fakes/services.h"
#include "tests/hosts_world.h"

namespace {

using platform::Hive;

// The raw stored data of a value, read with the W function.
struct RawValue {
  DWORD type = 0;
  std::vector<BYTE> bytes;
};

bool ReadRaw(HKEY hive, const std::wstring& path, const wchar_t* name, RawValue* value) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(hive, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  LONG rc = RegQueryValueExW(key, name, nullptr, &value->type, nullptr, &size);
  value->bytes.resize(size);
  if (rc == ERROR_SUCCESS) rc = RegQueryValueExW(key, name, nullptr, &value->type, value->bytes.data(), &size);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

void WriteRawText(HKEY hive, const std::wstring& path, const wchar_t* name, const std::wstring& text) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(hive, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                           static_cast<DWORD>(text.size() * sizeof(wchar_t))),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

class RealRegistry : public HostsWorldTest {};

// The texts hold 5 Chinese characters (2 bytes each in GBK, 1 UTF-16 unit).
TEST_P(RealRegistry, TextsAreStoredWithoutTerminator) {
  CAcadHosts hosts;
  hosts.SetInstallDir(kInstallDir);
  const std::string product = std::string(kAcadKey) + "\\R18.2\\ACAD-A001:804\\";
  MakeKey(Hive::LocalMachine, product);
  hosts.productKeys[5].push_back(product);
  const std::string variables = VariablesKey("R18.2", "ACAD-A001:804", "Default");
  WriteText(Hive::CurrentUser, variables, "TRUSTEDPATHS", "d:\\lisp");
  ASSERT_EQ(FailuresOf(hosts.RegisterLoaders(ReleaseFlags{0, 0, 0, 0, 0, 1})), 0);

  RawValue loader, trusted;
  ASSERT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Autodesk\\AutoCAD\\R18.2\\ACAD-A001:804\\Applications\\ZV_BatchPlot2012",
                      L"LOADER", &loader));
  EXPECT_EQ(loader.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(loader.bytes.size(), (47u - 5u) * sizeof(wchar_t));
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(loader.bytes.data()), loader.bytes.size() / 2).back(), L'X')
      << "a terminator was stored";
  ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER,
                      L"SOFTWARE\\Autodesk\\AutoCAD\\R18.2\\ACAD-A001:804\\Profiles\\Default\\Variables",
                      L"TRUSTEDPATHS", &trusted));
  EXPECT_EQ(trusted.bytes.size(), (std::string("D:\\LISP;").size() + 26u - 5u) * sizeof(wchar_t));
}

TEST_P(RealRegistry, AListWithCharactersGbkLacksGainsTheFolderAndKeepsThem) {
  const std::wstring path = L"SOFTWARE\\Autodesk\\AutoCAD\\R24.0\\ACAD-1:804\\Profiles\\S\u00F8ren\\Variables";
  WriteRawText(HKEY_CURRENT_USER, path, L"TRUSTEDPATHS", L"d:\\lisp;e:\\\U0001F600\xD800");  // no GBK form
  RawValue after;
  CAcadHosts hosts;
  hosts.SetInstallDir(kInstallDir);
  const std::vector<TrustedPathWrite> writes = hosts.AddTrustedPath();
  EXPECT_EQ(FailuresOf(writes), 0);
  ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, path, L"TRUSTEDPATHS", &after));
  const std::wstring list(reinterpret_cast<const wchar_t*>(after.bytes.data()), after.bytes.size() / 2);
  EXPECT_EQ(list.rfind(L"D:\\LISP;E:\\\U0001F600\xD800;", 0), 0u) << "every entry kept whole";
}

TEST_P(RealRegistry, AProductNameGbkCannotExpressStillTellsItsYear) {
  const std::wstring product = L"SOFTWARE\\Autodesk\\AutoCAD\\R22.0\\ACAD-1001:40C";
  WriteRawText(HKEY_LOCAL_MACHINE, product, L"AcadLocation", L"C:\\AutoCAD 2018");
  WriteRawText(HKEY_LOCAL_MACHINE, product, L"ProductName", L"AutoCAD 2018 - Fran\u00E7ais");  // no GBK 'ç'
  CAcadHosts hosts;
  hosts.Discover();
  EXPECT_EQ(hosts.locations[2018 - 2007], std::vector<std::string>{"C:\\AutoCAD 2018"});
}

TEST_P(RealRegistry, AKeyNameGbkCannotExpressIsReadWhole) {
  WriteRawText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Autodesk\\AutoCAD\\R\U0001F600\\ACAD-1:804", L"AcadLocation", L"C:\\x");
  WriteRawText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Autodesk\\AutoCAD\\R\U0001F600\\ACAD-1:804", L"ProductName",
               L"AutoCAD 2010");
  AddProduct(kAcadKey, "R18.0", "ACAD-8001:804", "C:\\AutoCAD 2010", "AutoCAD 2010");
  CAcadHosts hosts;
  hosts.Discover();
  EXPECT_EQ(hosts.locations[3], (std::vector<std::string>{"C:\\AutoCAD 2010", "C:\\x"}));
  // The scratch clean-up knows only the keys it made.
  EXPECT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Autodesk\\AutoCAD\\R\U0001F600"), ERROR_SUCCESS);
}

// Serving the process's own user through HKEY_USERS reaches its own keys and
// the shell's APPDATA.
TEST(UserRedirectWin32, TheOwnUserThroughItsLoadedHive) {
  const std::string sid = platform::GetRights().CurrentAccount().sid;
  if (sid.empty()) GTEST_SKIP() << "the rights service names no account";
  const std::string shells = platform::GetEnvironment().RoamingAppDataFolder();
  platform::Redirection redirection = platform::RedirectToUser(sid);
  ASSERT_TRUE(redirection.redirect) << redirection.problem;
  EXPECT_TRUE(mbcs::EqualsNoCase(redirection.appData, shells)) << redirection.appData << " / " << shells;
  platform::Registry& registry = platform::GetRegistry();
  platform::ScopedKey user(registry, registry.OpenHive(Hive::CurrentUser));
  EXPECT_TRUE(platform::ScopedKey(registry, registry.OpenRead(user.get(), "Software\\Microsoft\\Windows")))
      << "the user's own keys";
}

INSTANTIATE_TEST_SUITE_P(, RealRegistry, testing::Values(RegistryKind::Win32), RegistryKindName);

}  // namespace
