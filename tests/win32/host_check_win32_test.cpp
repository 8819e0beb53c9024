// The running-AutoCAD check against the real process list: stand-in
// processes under AutoCAD-like names are started, looked for and killed.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "deploy/host_check.h"
#include "platform/win32/services.h"
#include "platform/processes.h"
#include "tests/fakes/services.h"
#include "platform/mbcs.h"
#include "platform/win32/text.h"

namespace {

using platform::win32::Narrow;
using platform::win32::Widen;

// The folder of this test program, where the build puts fake_process.exe.
std::wstring OwnFolder() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

bool Lists(const std::string& image) {
  std::vector<std::string> names;
  if (!platform::win32::TheProcesses().ListImageNames(&names)) return false;
  for (const std::string& name : names) {
    if (mbcs::EqualsNoCase(name, image)) return true;
  }
  return false;
}

// A copy of fake_process.exe under another name, running until destroyed.
class StandIn {
 public:
  StandIn(const std::wstring& folder, const std::wstring& name) : path_(folder + L"\\" + name) {
    if (!CopyFileW((OwnFolder() + L"\\fake_process.exe").c_str(), path_.c_str(), FALSE)) return;
    std::wstring command = L"\"" + path_ + L"\" 60";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    started_ = CreateProcessW(path_.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process_) != 0;
  }
  ~StandIn() {
    if (started_) {
      TerminateProcess(process_.hProcess, 0);
      WaitForSingleObject(process_.hProcess, 10000);
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
    DeleteFileW(path_.c_str());
  }
  bool started() const { return started_; }

 private:
  std::wstring path_;
  PROCESS_INFORMATION process_ = {};
  bool started_ = false;
};

TEST(IsHostRunningOnWindows, SeesRunningProcessesWhoseImageNameContainsAcadExe) {
  ASSERT_NE(GetFileAttributesW((OwnFolder() + L"\\fake_process.exe").c_str()), INVALID_FILE_ATTRIBUTES)
      << "fake_process.exe is built beside the test program";
  std::wstring folder = L"C:\\zv_scratch_processes_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  platform::SetProcesses(nullptr);
  ASSERT_FALSE(IsHostRunning()) << "something AutoCAD-like runs already";

  struct Case {
    const char* name;
    bool running;
  };
  const Case cases[] = {{"acad.exe", true}, {"ACAD.EXE", true}, {"xacad.exe", true}, {"acadx.exe", false}};
  for (const Case& c : cases) {
    StandIn process(folder, Widen(c.name));
    ASSERT_TRUE(process.started()) << c.name;
    EXPECT_TRUE(Lists(c.name)) << c.name;
    EXPECT_EQ(IsHostRunning(), c.running) << c.name;
  }
  EXPECT_FALSE(IsHostRunning());
  RemoveDirectoryW(folder.c_str());
}

TEST(ProcessesOnWindows, WaitForEndReturnsOnceTheProcessHasEnded) {
  std::wstring program = OwnFolder() + L"\\fake_process.exe";
  std::wstring command = L"\"" + program + L"\" 1";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process));
  platform::win32::TheProcesses().WaitForEnd(process.dwProcessId);
  DWORD code = STILL_ACTIVE;
  EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
  EXPECT_NE(code, static_cast<DWORD>(STILL_ACTIVE));
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  EXPECT_EQ(platform::win32::TheProcesses().CurrentProcessId(), GetCurrentProcessId());
}

TEST(ProcessesOnWindows, ListHoldsThisTestProgram) {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::string own = Narrow(path, length);
  EXPECT_TRUE(Lists(own.substr(own.find_last_of('\\') + 1))) << own;
}

}  // namespace
