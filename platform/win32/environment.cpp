// The environment service: GetEnvironmentVariableW and the shell's
// SHGetFolderPathW, text converted to GBK at this boundary.
#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "platform/environment.h"
#include "platform/win32/services.h"
#include "platform/win32/text.h"

namespace platform {
namespace {

class Win32Environment : public Environment {
 public:
  bool GetVariable(const std::string& name, std::string* value) override {
    std::wstring wideName = win32::Widen(name);
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
      SetLastError(ERROR_SUCCESS);
      DWORD length = GetEnvironmentVariableW(wideName.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
      if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
      // A value too long for the buffer comes back as the size it needs.
      if (length < buffer.size()) {
        *value = win32::Narrow(buffer.data(), length);
        return true;
      }
      buffer.resize(length);
    }
  }

  std::string RoamingAppDataFolder() override {
    wchar_t path[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) return std::string();
    return win32::Narrow(path);
  }
};

}  // namespace

}  // namespace platform

platform::Environment& platform::win32::TheEnvironment() {
  static Win32Environment environment;
  return environment;
}
