// regtool.exe: seeds and reads registry values for the end-to-end scripts,
// through the W functions, with UTF-8 on the command line and on stdout, so
// Chinese names and texts pass whatever the locale.
//
//   regtool set-sz HIVE KEY NAME TEXT   REG_SZ stored without its terminator,
//                                       as the setup program stores texts
//   regtool get HIVE KEY NAME           prints: TYPE BYTES TEXT  (TEXT is the
//                                       stored characters, a terminator shown
//                                       as \0; a DWORD prints its number)
//   regtool has-key HIVE KEY            exit 0 when the key exists, 1 when not
//   regtool keys HIVE KEY               prints the names of the sub-keys
//   regtool delete-tree HIVE KEY        removes the key and all below it
//   regtool dump HIVE KEY               prints the key and every key below it, one
//                                       line each, and every value as a line
//                                       KEY<TAB>NAME<TAB>TYPE<TAB>DATA (text as its
//                                       characters, \0 for a terminator; other
//                                       types in hex); nothing when there is no key
//   regtool save-hive HKCU KEY FILE     saves the key as a hive file (RegSaveKeyW,
//                                       Wine's own format under Wine)
//   regtool load-hive HKU NAME FILE     loads a hive file as HKEY_USERS\NAME
//   regtool unload-hive HKU NAME        unloads it again
//
// HIVE is HKLM, HKCU or HKU. Exit 1 when a value or key is missing or a hive
// call fails, 2 for a usage error.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "tests/tools/utf8.h"

namespace {

void Print(const std::wstring& line) {
  std::string bytes = ToUtf8(line) + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Error(const std::wstring& line) {
  std::string bytes = "regtool: " + ToUtf8(line) + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

bool HiveOf(const std::wstring& name, HKEY* hive) {
  if (name == L"HKLM") *hive = HKEY_LOCAL_MACHINE;
  else if (name == L"HKCU") *hive = HKEY_CURRENT_USER;
  else if (name == L"HKU") *hive = HKEY_USERS;
  else return false;
  return true;
}

int SetText(HKEY hive, const std::wstring& path, const std::wstring& name, const std::wstring& text) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(hive, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    Error(L"cannot create " + path);
    return 1;
  }
  // A character after the counted text that is not zero keeps the system
  // from storing a terminator of its own.
  std::wstring buffer = text + L'\x1';
  LONG rc = RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(buffer.data()),
                           static_cast<DWORD>(text.size() * sizeof(wchar_t)));
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) Error(L"cannot write " + name);
  return rc == ERROR_SUCCESS ? 0 : 1;
}

// A value's data as the scripts compare it.
std::wstring Shown(DWORD type, const BYTE* data, DWORD size) {
  std::wstring shown;
  if (type == REG_DWORD && size == sizeof(DWORD)) {
    shown = std::to_wstring(*reinterpret_cast<const DWORD*>(data));
  } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
    const wchar_t* chars = reinterpret_cast<const wchar_t*>(data);
    for (DWORD i = 0; i < size / sizeof(wchar_t); ++i) shown += chars[i] == L'\0' ? std::wstring(L"\\0") : std::wstring(1, chars[i]);
  } else {
    const wchar_t* digits = L"0123456789abcdef";
    for (DWORD i = 0; i < size; ++i) {
      shown += digits[data[i] >> 4];
      shown += digits[data[i] & 15];
    }
  }
  return shown;
}

int Get(HKEY hive, const std::wstring& path, const std::wstring& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(hive, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    Error(L"no key " + path);
    return 1;
  }
  DWORD type = 0, size = 0;
  LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
  std::vector<BYTE> data(size + sizeof(wchar_t));
  if (rc == ERROR_SUCCESS) rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) {
    Error(L"no value " + name + L" in " + path);
    return 1;
  }
  Print(std::to_wstring(type) + L" " + std::to_wstring(size) + L" " + Shown(type, data.data(), size));
  return 0;
}

std::vector<std::wstring> SubkeyNames(HKEY key) {
  std::vector<std::wstring> names;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

void DeleteTree(HKEY parent, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  for (const std::wstring& child : SubkeyNames(key)) DeleteTree(key, child);
  RegCloseKey(key);
  RegDeleteKeyW(parent, path.c_str());
}

void Dump(HKEY parent, const std::wstring& path, const std::wstring& shownPath) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  Print(shownPath);
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    DWORD length = 16384, type = 0, size = 0;
    if (RegEnumValueW(key, i, name, &length, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    std::vector<BYTE> data(size + sizeof(wchar_t));
    length = 16384;
    if (RegEnumValueW(key, i, name, &length, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
    Print(shownPath + L"\t" + std::wstring(name, length) + L"\t" + std::to_wstring(type) + L"\t" +
          Shown(type, data.data(), size));
  }
  for (const std::wstring& child : SubkeyNames(key)) Dump(key, child, shownPath + L"\\" + child);
  RegCloseKey(key);
}

// Saving a hive needs SeBackupPrivilege, loading and unloading one
// SeRestorePrivilege: an administrator's token holds both, disabled.
bool EnableHivePrivileges() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
  bool enabled = true;
  for (const wchar_t* name : {L"SeBackupPrivilege", L"SeRestorePrivilege"}) {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    enabled = enabled && LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid) &&
              AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
              GetLastError() == ERROR_SUCCESS;
  }
  CloseHandle(token);
  return enabled;
}

int HiveFile(const std::vector<std::wstring>& args, HKEY hive) {
  if (!EnableHivePrivileges()) {
    Error(L"the backup and restore privileges cannot be enabled");
    return 1;
  }
  const std::wstring& command = args[0];
  LONG rc = ERROR_INVALID_PARAMETER;
  if (command == L"save-hive") {
    HKEY key = nullptr;
    rc = RegOpenKeyExW(hive, args[2].c_str(), 0, KEY_READ, &key);
    if (rc == ERROR_SUCCESS) {
      DeleteFileW(args[3].c_str());  // RegSaveKeyW refuses to overwrite
      rc = RegSaveKeyW(key, args[3].c_str(), nullptr);
      RegCloseKey(key);
    }
  } else if (command == L"load-hive") {
    rc = RegLoadKeyW(hive, args[2].c_str(), args[3].c_str());
  } else if (command == L"unload-hive") {
    rc = RegUnLoadKeyW(hive, args[2].c_str());
  }
  if (rc != ERROR_SUCCESS) Error(command + L" " + args[2] + L": error " + std::to_wstring(rc));
  return rc == ERROR_SUCCESS ? 0 : 1;
}

int Run(const std::vector<std::wstring>& args) {
  HKEY hive = nullptr;
  if (args.size() < 3 || !HiveOf(args[1], &hive)) return 2;
  const std::wstring& command = args[0];
  if (command == L"set-sz" && args.size() == 5) return SetText(hive, args[2], args[3], args[4]);
  if (command == L"get" && args.size() == 4) return Get(hive, args[2], args[3]);
  if ((command == L"save-hive" && hive == HKEY_CURRENT_USER && args.size() == 4) ||
      (command == L"load-hive" && hive == HKEY_USERS && args.size() == 4) ||
      (command == L"unload-hive" && hive == HKEY_USERS && args.size() == 3))
    return HiveFile(args, hive);
  if (command == L"dump" && args.size() == 3) {
    Dump(hive, args[2], args[1] + L"\\" + args[2]);
    return 0;
  }
  if (command == L"delete-tree" && args.size() == 3) {
    DeleteTree(hive, args[2]);
    return 0;
  }
  if ((command == L"has-key" || command == L"keys") && args.size() == 3) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(hive, args[2].c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 1;
    if (command == L"keys")
      for (const std::wstring& name : SubkeyNames(key)) Print(name);
    RegCloseKey(key);
    return 0;
  }
  return 2;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args;
  for (int i = 1; argv && i < argc; ++i) args.emplace_back(argv[i]);
  int rc = Run(args);
  if (rc == 2) Error(L"usage: regtool set-sz|get|has-key|keys|delete-tree|dump|save-hive|load-hive|unload-hive HKLM|HKCU|HKU KEY "
          L"[NAME|FILE [TEXT]]");
  return rc;
}
