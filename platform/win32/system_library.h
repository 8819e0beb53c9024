// Functions of system DLLs that are not KnownDLLs. The loader looks for a DLL
// the program imports in the program's own folder before System32, and it
// does so before main runs; a KnownDLL alone always comes from System32. So
// the program imports only KnownDLLs (tests/check_imports.cmake holds it to
// that) and takes anything else from System32, or from the side-by-side
// assembly its manifest names, when it first needs it.
#pragma once

namespace platform::win32 {

// SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32), where the system
// has it: from now on no DLL is looked for beside the program.
void KeepDllSearchToSystem32();

// The function `name` of the system DLL `dll`; null when the DLL or the
// function is not there.
void* SystemFunctionAddress(const wchar_t* dll, const char* name);

template <typename Function>
Function SystemFunction(const wchar_t* dll, const char* name) {
  return reinterpret_cast<Function>(SystemFunctionAddress(dll, name));
}

}  // namespace platform::win32
