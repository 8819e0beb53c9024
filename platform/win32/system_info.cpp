// The system-information service: the command line (GetCommandLineW, split
// by CommandLineToArgvW), the account (GetUserNameW), the version ntdll reports (GetVersionEx lies to programs without a
// compatibility manifest), GetTempPathW and FormatMessageW; texts converted
// to GBK at this boundary.
#include <windows.h>

#include <lmcons.h>
#include <shellapi.h>


#include "platform/mbcs.h"
#include "platform/system_info.h"
#include "platform/win32/services.h"
#include "platform/win32/text.h"

namespace platform {
namespace {

using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
using WineGetVersionFunction = const char*(CDECL*)();

// A symbol of ntdll, or null where this system has none.
template <typename Function>
Function NtdllFunction(const char* name) {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(ntdll, name)))
                          : nullptr;
}

// Line breaks inside a system message become spaces, and the trailing ones go.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

class Win32SystemInfo : public SystemInfo {
 public:
  std::string CommandLine() override { return win32::Narrow(GetCommandLineW()); }

  std::vector<std::string> Arguments() override {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> result;
    if (arguments == nullptr) return result;
    for (int i = 1; i < count; ++i) result.push_back(win32::Narrow(arguments[i]));
    LocalFree(arguments);
    return result;
  }

  std::string UserName() override {
    wchar_t name[UNLEN + 1];
    DWORD size = UNLEN + 1;
    if (!GetUserNameW(name, &size) || size == 0) return std::string();
    return win32::Narrow(name, size - 1);  // the size counts the terminator
  }

  std::string WindowsVersion() override {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    auto rtlGetVersion = NtdllFunction<RtlGetVersionFunction>("RtlGetVersion");
    if (rtlGetVersion == nullptr || rtlGetVersion(&info) != 0) return std::string();
    std::string version = mbcs::Decimal(info.dwMajorVersion) + "." + mbcs::Decimal(info.dwMinorVersion) + "." +
                          mbcs::Decimal(info.dwBuildNumber);
    // Support staff reading a log from a test machine should see that it was
    // not a real Windows.
    if (auto wineVersion = NtdllFunction<WineGetVersionFunction>("wine_get_version"))
      version += std::string(" (Wine ") + wineVersion() + ")";
    return version;
  }

  std::string TempFolder() override {
    wchar_t path[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, path);
    if (length == 0 || length > MAX_PATH) return std::string();
    std::string folder = win32::Narrow(path, length);
    mbcs::DropTrailingBackslash(folder);
    return folder;
  }

  std::string ErrorText(OsError error) override {
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
        reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 || text == nullptr) return std::string();
    std::string result = OneLine(win32::Narrow(text, length));
    LocalFree(text);
    return result;
  }
};

}  // namespace

}  // namespace platform

platform::SystemInfo& platform::win32::TheSystemInfo() {
  static Win32SystemInfo info;
  return info;
}
