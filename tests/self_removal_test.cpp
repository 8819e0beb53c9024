// The uninstaller started from the install folder hands the removal to a copy
// of itself, waits for it and ends with its exit code; then the copy is
// started once more to remove the uninstaller. With full rights the copy runs
// from a folder only administrators can change; without, from the user's
// temp folder.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "deploy/folder_access.h"
#include "tests/fakes/environment.h"
#include "tests/fakes/faulty_files.h"
#include "tests/fakes/files.h"
#include "tests/fakes/processes.h"
#include "tests/fakes/rights.h"
#include "tests/fakes/services.h"
#include "tests/fakes/system_info.h"
#include "uninstall/self_removal.h"

namespace {

const char kUninstaller[] = "C:\\Zorvel\\Zorvel批打印软件\\Uninstall.exe";
const char kCopy[] = "C:\\Users\\user\\AppData\\Local\\Temp\\ZorvelUninstall-4242.exe";
const char kLockedFolder[] = "C:\\Windows\\Temp\\ZorvelUninstall-4242";
const char kLockedCopy[] = "C:\\Windows\\Temp\\ZorvelUninstall-4242\\Uninstall.exe";

class SelfRemoval : public testing::Test {
 protected:
  void SetUp() override {
    files_.AddFile(kUninstaller, "MZ the uninstaller");
    files_.AddFolder("C:\\Users\\user\\AppData\\Local\\Temp");
    files_.AddFolder("C:\\Windows\\Temp");
    files_.SetModulePath(kUninstaller);
    rights_.SetToken(platform::TokenRights::Limited);
    processes_.SetProgram([this](const std::string& program, const std::vector<std::string>&) {
      return files_.Exists(program) ? std::optional<std::uint32_t>(7) : std::nullopt;
    });
    platform::SetFiles(&faulty_);
    platform::SetProcesses(&processes_);
    platform::SetSystemInfo(&system_);
    platform::SetRights(&rights_);
    platform::SetEnvironment(&environment_);  // SystemRoot C:\Windows on every runtime
  }
  void TearDown() override {
    platform::SetRights(nullptr);
    platform::SetEnvironment(nullptr);
    platform::SetFiles(nullptr);
    platform::SetProcesses(nullptr);
    platform::SetSystemInfo(nullptr);
  }

  platform::MemoryFiles files_;
  platform::FaultyFiles faulty_{files_};
  platform::MemoryProcesses processes_;
  platform::MemorySystemInfo system_;
  platform::MemoryEnvironment environment_;
  platform::MemoryRights rights_{faulty_};
};

TEST_F(SelfRemoval, TheCopyRemovesAndTheStartedProgramEndsWithItsExitCode) {
  const RelayResult result = RelayToTempCopy({"/UNINSTALL", "/S"}, {"/CLEANUP", "4242"});
  EXPECT_TRUE(result.started);
  EXPECT_TRUE(result.status.ok());
  EXPECT_EQ(result.exitCode, 7u);
  EXPECT_EQ(result.copy, kCopy);
  EXPECT_EQ(files_.Content(kCopy), "MZ the uninstaller");
  EXPECT_FALSE(files_.Exists(kLockedFolder)) << "nothing runs with more rights than the user's";
  ASSERT_EQ(processes_.started().size(), 2u);
  EXPECT_EQ(processes_.started()[0].program, kCopy);
  EXPECT_EQ(processes_.started()[0].arguments, (std::vector<std::string>{"/UNINSTALL", "/S"}));
  EXPECT_TRUE(processes_.started()[0].waited);
  EXPECT_EQ(processes_.started()[1].arguments, (std::vector<std::string>{"/CLEANUP", "4242"}));
  EXPECT_FALSE(processes_.started()[1].waited) << "the cleanup waits for this process, not it for the cleanup";
  EXPECT_EQ(processes_.openHandles(), 0);
}

// With full rights the copy runs from a folder made for it that only
// administrators can change; only that very copy takes the folder away.
TEST_F(SelfRemoval, WithFullRightsTheCopyRunsFromAFolderOnlyAdministratorsCanChange) {
  rights_.SetToken(platform::TokenRights::Full);
  EXPECT_EQ(RelayToTempCopy({"/UNINSTALL"}, {"/CLEANUP"}).copy, kLockedCopy);
  EXPECT_EQ(rights_.FolderAccess(kLockedFolder), LockedFolderAccess(platform::TokenRights::Full, ""));
  EXPECT_EQ(HandOverFolder(4242), "") << "the uninstaller in the install folder is no copy";
  files_.SetModulePath(kLockedCopy);
  EXPECT_EQ(HandOverFolder(4243), "") << "another process's folder";
}

TEST_F(SelfRemoval, WhenNoCopyCanRunNothingRuns) {
  struct Case {
    const char* label;
    std::function<void()> stage;
    platform::OsError error;
    platform::TokenRights token = platform::TokenRights::Limited;
  };
  const platform::TokenRights full = platform::TokenRights::Full;
  const Case cases[] = {
      {"no temp folder", [this] { system_.SetTempFolder(""); }, platform::kErrorPathNotFound},
      {"the copy cannot be made", [this] { faulty_.FailCopiesTo(kCopy, platform::FaultyFiles::kAlways, platform::kErrorDiskFull); },
       platform::kErrorDiskFull},
      {"the copy cannot be started", [this] { processes_.FailStarts(platform::kErrorAccessDenied); },
       platform::kErrorAccessDenied},
      {"full rights, the folder is there already", [this] { files_.AddFolder(kLockedFolder); },
       platform::kErrorAlreadyExists, full},
      {"full rights, the copy cannot be made",
       [this] { faulty_.FailCopiesTo(kLockedCopy, platform::FaultyFiles::kAlways, platform::kErrorDiskFull); },
       platform::kErrorDiskFull, full},
  };
  for (const Case& c : cases) {
    SetUp();
    rights_.SetToken(c.token);
    c.stage();
    const bool folderWasThere = files_.Exists(kLockedFolder);
    const RelayResult result = RelayToTempCopy({"/UNINSTALL"}, {"/CLEANUP"});
    EXPECT_FALSE(result.started) << c.label;
    EXPECT_EQ(result.status.code(), c.error) << c.label;
    EXPECT_TRUE(processes_.started().empty()) << c.label;
    EXPECT_FALSE(files_.Exists(kCopy)) << c.label << ": no copy left behind";
    EXPECT_FALSE(files_.Exists(kLockedCopy)) << c.label;
    EXPECT_EQ(files_.Exists(kLockedFolder), folderWasThere) << c.label << ": only the folder made for it goes";
    faulty_.ClearFailures();
    processes_.FailStarts(0);
    system_.SetTempFolder("C:\\Users\\user\\AppData\\Local\\Temp");
    files_.Remove(kLockedFolder);
  }
}

TEST_F(SelfRemoval, TheUninstallerIsTheOneInTheInstallFolder) {
  struct Case {
    const char* module;
    const char* installDir;
    bool fromFolder;
  };
  const Case cases[] = {
      {kUninstaller, "C:\\Zorvel\\Zorvel批打印软件", true},
      {"c:\\zorvel\\ZORVEL批打印软件\\UNINSTALL.EXE", "C:\\Zorvel\\Zorvel批打印软件\\", true},
      {"C:\\dist\\SetUp.exe", "C:\\Zorvel\\Zorvel批打印软件", false},
      {"C:\\Copy\\Uninstall.exe", "C:\\Zorvel\\Zorvel批打印软件", false},
  };
  for (const Case& c : cases) {
    files_.SetModulePath(c.module);
    EXPECT_EQ(RunsFromInstallFolder(c.installDir), c.fromFolder) << c.module;
  }
}

}  // namespace
