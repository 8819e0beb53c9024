// Loading the system DLLs the program does not import, from System32 only.
#include <windows.h>

#include <string>

#include "platform/win32/system_library.h"

namespace platform::win32 {

void KeepDllSearchToSystem32() {
  // Windows 7 has the function only with its update KB2533623; imported, it
  // would keep the program from starting there at all.
  using Function = BOOL(WINAPI*)(DWORD);
  const auto setDefault = reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (setDefault != nullptr) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

void* SystemFunctionAddress(const wchar_t* dll, const char* name) {
  // A bare name still goes through the manifest's side-by-side assemblies
  // (comctl32 version 6) before System32.
  HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) {
    // A Windows 7 without KB2533623 knows no search flags: name the file in
    // System32 itself.
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    module = LoadLibraryW((std::wstring(system, length) + L"\\" + dll).c_str());
  }
  return module != nullptr ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}

}  // namespace platform::win32
