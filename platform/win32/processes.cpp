// The process service: a Toolhelp snapshot of all processes, CreateProcessW
// and the waits on process handles; names and arguments converted between GBK
// and UTF-16 at this boundary.
#include <windows.h>
#include <tlhelp32.h>

#include "platform/mbcs.h"
#include "platform/processes.h"
#include "platform/win32/services.h"
#include "platform/win32/text.h"

namespace platform {
namespace {

HANDLE ToHandle(ProcessHandle process) { return reinterpret_cast<HANDLE>(process); }

class Win32Processes : public Processes {
 public:
  bool ListImageNames(std::vector<std::string>* names) override {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    names->clear();
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
      names->push_back(win32::Narrow(entry.szExeFile));
    }
    CloseHandle(snapshot);
    return true;
  }

  ProcessHandle Start(const std::string& program, const std::vector<std::string>& arguments,
                      Status* status) override {
    const std::wstring wideProgram = win32::Widen(program);
    std::wstring commandLine = win32::QuotedArgument(wideProgram);
    for (const std::string& argument : arguments)
      commandLine += L" " + win32::QuotedArgument(win32::Widen(argument));
    const std::wstring folder = win32::Widen(mbcs::FolderOf(program));
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    const BOOL ok = CreateProcessW(wideProgram.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   folder.empty() ? nullptr : folder.c_str(), &startup, &started);
    if (status) *status = ok ? Status::Ok() : Status(GetLastError());
    if (!ok) return nullptr;
    CloseHandle(started.hThread);
    return reinterpret_cast<ProcessHandle>(started.hProcess);
  }

  Status Wait(ProcessHandle process, std::uint32_t* exitCode) override {
    if (!process) return Status(kErrorInvalidHandle);
    Status result;
    DWORD code = 0;
    if (WaitForSingleObject(ToHandle(process), INFINITE) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(ToHandle(process), &code))
      result = Status(GetLastError());
    CloseHandle(ToHandle(process));
    *exitCode = code;
    return result;
  }

  void Release(ProcessHandle process) override {
    if (process) CloseHandle(ToHandle(process));
  }

  std::uint32_t CurrentProcessId() override { return GetCurrentProcessId(); }

  void WaitForEnd(std::uint32_t id) override {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (!process) return;  // ended already, or never was
    WaitForSingleObject(process, INFINITE);
    CloseHandle(process);
  }
};

}  // namespace

}  // namespace platform

platform::Processes& platform::win32::TheProcesses() {
  static Win32Processes processes;
  return processes;
}
