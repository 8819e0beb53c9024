// The Win32 rights service and the instance lock's list on the real system.
// Wine starts every process with a full administrator token, asks no consent
// for "runas" and keeps no access list on files (so only the mechanisms are
// seen here; what a limited token meets is the native tests' matter).
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/instance_lock.h"
#include "platform/mbcs.h"
#include "platform/processes.h"
#include "platform/rights.h"
#include "platform/system_info.h"
#include "platform/win32/services.h"
#include "platform/win32/text.h"

namespace {

using platform::win32::Narrow;
using platform::win32::Widen;

platform::Rights& Rights() { return platform::win32::TheRights(); }

std::string OwnFolder() { return mbcs::FolderOf(platform::win32::TheFiles().ModulePath()); }

class RightsWin32 : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = platform::win32::TheSystemInfo().TempFolder() + "\\zv权限 " + std::to_string(GetCurrentProcessId());
    // Wine may let a started program's folder go only a moment after the
    // program ended, so an earlier process of the same id can have left it.
    ASSERT_TRUE(CreateDirectoryW(Widen(folder_).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  }
  void TearDown() override {
    for (const char* name : {"\\args_echo.exe", "\\out.txt"}) DeleteFileW(Widen(folder_ + name).c_str());
    RemoveDirectoryW(Widen(folder_ + "\\listed").c_str());
    RemoveDirectoryW(Widen(folder_).c_str());
  }

  std::string folder_;
};

TEST_F(RightsWin32, TheTokenIsFullItsUserNamedAndLocalPathsStayAsGiven) {
  EXPECT_EQ(Rights().Token(), platform::TokenRights::Full);
  const platform::Account account = Rights().CurrentAccount();
  EXPECT_EQ(account.sid.rfind("S-1-5-21-", 0), 0u) << account.sid;
  const std::string user = platform::win32::TheSystemInfo().UserName();
  EXPECT_TRUE(mbcs::EndsWithNoCase(account.name, "\\" + user)) << account.name;
  // The desktop's shell, where there is one, runs as the same user here.
  if (std::optional<platform::Account> shell = Rights().ShellAccount()) {
    EXPECT_EQ(shell->sid, account.sid);
  }
  for (const std::string& path : {folder_, std::string("\\\\server\\share\\x"), std::string("a")})
    EXPECT_EQ(Rights().UniversalPath(path), path);  // no mapped drive there
}

TEST_F(RightsWin32, AnElevatedStartGetsItsArgumentsAndFolderAndItsExitCodeComesBack) {
  const std::string program = folder_ + "\\args_echo.exe";
  ASSERT_TRUE(CopyFileW(Widen(OwnFolder() + "\\args_echo.exe").c_str(), Widen(program).c_str(), FALSE));
  const std::vector<std::string> arguments = {folder_ + "\\out.txt", "7", "/ELEVATED=S-1-5-21-1", "C:\\with space\\",
                                              "quote\"inside"};
  platform::ElevatedStart start = Rights().StartElevated(program, arguments);
  ASSERT_EQ(start.result, platform::ElevatedStartResult::Started) << start.status.code();
  std::uint32_t exitCode = 0;
  ASSERT_TRUE(platform::win32::TheProcesses().Wait(start.process, &exitCode));
  EXPECT_EQ(exitCode, 7u);
  std::string lines = folder_;
  for (const std::string& argument : arguments) lines += "\n" + argument;
  std::string written;
  ASSERT_TRUE(platform::win32::TheFiles().ReadFile(folder_ + "\\out.txt", 4096, &written));
  EXPECT_EQ(written, lines);
  EXPECT_EQ(Rights().StartElevated(folder_ + "\\missing.exe", {}).result, platform::ElevatedStartResult::Failed);
}

TEST_F(RightsWin32, AFolderIsMadeWithAListOnceAndItsListReadBack) {
  const platform::AccessList list{
      true,
      {{platform::kAdministratorsSid, platform::kAccessFullControl, platform::kInheritToFiles | platform::kInheritToFolders},
       {platform::kUsersSid, platform::kAccessReadExecute, platform::kInheritToFiles | platform::kInheritToFolders}}};
  const std::string listed = folder_ + "\\listed";
  ASSERT_TRUE(Rights().CreateFolder(listed, list).ok());
  EXPECT_NE(GetFileAttributesW(Widen(listed).c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(Rights().CreateFolder(listed, list), platform::Status(platform::kErrorAlreadyExists));
  EXPECT_TRUE(Rights().SetFolderAccess(listed, list).ok());
  // Wine keeps Unix permission bits for a list: what it makes of them
  // comes back, but something does.
  EXPECT_TRUE(Rights().FolderAccess(listed));
  EXPECT_FALSE(Rights().FolderAccess(folder_ + "\\missing"));
}

TEST_F(RightsWin32, NoDllIsTakenFromBesideTheProgramOnceTheSearchIsKeptToSystem32) {
  // Any image will do as a DLL to be found: LoadLibrary maps an .exe too.
  const std::string planted = OwnFolder() + "\\zv_planted.dll";
  ASSERT_TRUE(CopyFileW(Widen(OwnFolder() + "\\args_echo.exe").c_str(), Widen(planted).c_str(), FALSE));
  Rights().RestrictDllSearch();
  HMODULE byName = LoadLibraryW(L"zv_planted.dll");
  HMODULE byPath = LoadLibraryW(Widen(planted).c_str());
  EXPECT_EQ(byName, nullptr);
  EXPECT_NE(byPath, nullptr);  // it is loadable: the search kept it out
  if (byPath) FreeLibrary(byPath);
  DeleteFileW(Widen(planted).c_str());
}

TEST(InstanceLockWin32, EverySignedInUserMayWaitOnTheLock) {
  const std::string name = "Global\\ZorvelLockListTest" + std::to_string(GetCurrentProcessId());
  std::unique_ptr<platform::InstanceLock> held;
  ASSERT_EQ(platform::win32::TheInstanceLocks().Acquire(name, &held), platform::LockResult::Acquired);
  HANDLE mutex = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE | READ_CONTROL, FALSE, Widen(name).c_str());
  ASSERT_NE(mutex, nullptr) << GetLastError();
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_EQ(GetSecurityInfo(mutex, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr,
                            &descriptor),
            static_cast<DWORD>(ERROR_SUCCESS));
  wchar_t* text = nullptr;
  ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1,
                                                                    DACL_SECURITY_INFORMATION, &text, nullptr));
  EXPECT_NE(std::wstring(text).find(L"(A;;0x100001;;;AU)"), std::wstring::npos) << Narrow(text);
  LocalFree(text);
  LocalFree(descriptor);
  CloseHandle(mutex);
}

}  // namespace
