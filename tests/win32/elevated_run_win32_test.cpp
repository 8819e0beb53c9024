// The hand-over on the real system: this test program is the first process
// of a run without administrator rights (a limited token, as the in-memory
// rights say; everything else is Windows': registry, files, processes, the
// log). "runas" starts the real SetUp.exe beside it, which under Wine needs
// no prompt; the dialog driver answers the copy's box; the copy's exit code
// is the run's, and both processes wrote to the one log.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "platform/mbcs.h"
#include "platform/system_info.h"
#include "platform/win32/services.h"
#include "platform/win32/text.h"
#include "run/setup_run.h"
#include "tests/fakes/forwarding_files.h"
#include "tests/fakes/rights.h"
#include "tests/fakes/services.h"

namespace {

using platform::win32::Widen;

std::string OwnFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return mbcs::FolderOf(platform::win32::Narrow(std::wstring(path, length)));
}

// Starts the dialog driver on its own: it waits for the copy's box and
// presses OK while this process waits for the copy.
HANDLE StartDriver(const std::wstring& commands) {
  std::wstring line = L"\"" + Widen(OwnFolder()) + L"\\driver.exe\" " + commands;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
    return nullptr;
  CloseHandle(started.hThread);
  return started.hProcess;
}

TEST(ElevatedRunWin32, TheFirstProcessWaitsForTheElevatedCopyAndEndsWithItsCode) {
  const std::string setup = OwnFolder() + "\\SetUp.exe";
  ASSERT_NE(GetFileAttributesW(Widen(setup).c_str()), INVALID_FILE_ATTRIBUTES) << "SetUp.exe is built beside";
  const std::string folder =
      platform::win32::TheSystemInfo().TempFolder() + "\\zv提权" + mbcs::Decimal(GetCurrentProcessId());
  const std::string log = folder + "\\run.log";
  ASSERT_TRUE(CreateDirectoryW(Widen(folder).c_str(), nullptr));

  platform::RelocatedFiles files(platform::win32::TheFiles(), setup);
  platform::MemoryRights rights(files);
  rights.SetToken(platform::TokenRights::Limited);
  platform::SetFiles(&files);
  platform::SetRights(&rights);
  // Nothing installed in that folder: the copy says so in a box and ends 9.
  HANDLE driver = StartDriver(L"wait-box 120 \"Zorvel软件安装\" -- click 1");
  ASSERT_NE(driver, nullptr);
  const ExitCode code = RunSetup(BuildInfo{20231218, 64}, {"/UNINSTALL", "/DIR=" + folder, "/LOG=" + log});
  WaitForSingleObject(driver, INFINITE);
  DWORD driverCode = 1;
  GetExitCodeProcess(driver, &driverCode);
  CloseHandle(driver);
  platform::SetFiles(nullptr);
  platform::SetRights(nullptr);

  EXPECT_EQ(driverCode, 0u) << "the copy showed its box";
  EXPECT_EQ(ExitCodeNumber(code), 9);
  EXPECT_EQ(rights.elevatedRequests().at(0).program, setup);
  std::ifstream in(Widen(log).c_str(), std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  in.close();
  const std::string first = "[" + mbcs::Decimal(GetCurrentProcessId()) + " first] ";
  for (const std::string& part : {first + "Not elevated: handing over to an elevated copy: ",
                                  std::string(" elevated] Exit code 9"),
                                  first + "The elevated copy ended with exit code 9",
                                  first + "Exit code 9: the elevated copy's"})
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
  DeleteFileW(Widen(log).c_str());
  RemoveDirectoryW(Widen(folder).c_str());
}

}  // namespace
