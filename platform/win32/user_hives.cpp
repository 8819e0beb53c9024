// User hives through advapi32: the backup and restore privileges enabled in
// the process's token, hives loaded and unloaded below HKEY_USERS.
#include <windows.h>

#include "platform/user_hives.h"
#include "platform/win32/services.h"
#include "platform/win32/text.h"

namespace platform {
namespace {

// Loading and unloading need SeRestorePrivilege; Windows' own hive files
// are opened with backup semantics, which SeBackupPrivilege grants.
constexpr const wchar_t* kPrivileges[] = {L"SeRestorePrivilege", L"SeBackupPrivilege"};

class Win32UserHives : public UserHives {
 public:
  Status EnablePrivileges() override {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
      return Status(GetLastError());
    Status status;
    for (const wchar_t* name : kPrivileges) {
      TOKEN_PRIVILEGES privileges = {};
      privileges.PrivilegeCount = 1;
      privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
      if (!LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid) ||
          !AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr)) {
        status = Status(GetLastError());
        break;
      }
      // AdjustTokenPrivileges succeeds for a privilege the token lacks, and
      // says so only here.
      if (GetLastError() == ERROR_NOT_ALL_ASSIGNED) {
        status = Status(kErrorNotAllAssigned);
        break;
      }
    }
    CloseHandle(token);
    return status;
  }

  Status Load(const std::string& name, const std::string& file) override {
    return Status(static_cast<OsError>(
        RegLoadKeyW(HKEY_USERS, win32::Widen(name).c_str(), win32::Widen(file).c_str())));
  }

  Status Unload(const std::string& name) override {
    return Status(static_cast<OsError>(RegUnLoadKeyW(HKEY_USERS, win32::Widen(name).c_str())));
  }
};

}  // namespace

namespace win32 {

UserHives& TheUserHives() {
  static Win32UserHives hives;
  return hives;
}

}  // namespace win32
}  // namespace platform
