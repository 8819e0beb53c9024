// The Win32 services an unattended run needs, on the real system: the log
// file (UTF-8 with one byte-order mark, CRLF, appended, several writers),
// the machine-wide lock, the system's information and its texts, the clock.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/instance_lock.h"
#include "platform/log_file.h"
#include "platform/system_info.h"
#include "platform/win32/services.h"
#include "platform/win32/text.h"

namespace {

using platform::Status;

class LogFileWin32 : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = platform::win32::TheSystemInfo().TempFolder() + "\\zv日志" + std::to_string(GetCurrentProcessId());
    CreateDirectoryW(platform::win32::Widen(folder_).c_str(), nullptr);
  }
  void TearDown() override {
    DeleteFileW(platform::win32::Widen(Path()).c_str());
    RemoveDirectoryW(platform::win32::Widen(folder_).c_str());
  }
  std::string Path() const { return folder_ + "\\安装.log"; }
  std::string Bytes() const {
    std::ifstream in(platform::win32::Widen(Path()).c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::unique_ptr<platform::LogFile> Open(Status* status) {
    return platform::win32::TheLogFiles().OpenForAppend(Path(), status);
  }

  std::string folder_;
};

TEST_F(LogFileWin32, NewFileGetsOneByteOrderMarkAndUtf8LinesWithCrLf) {
  Status status;
  {
    std::unique_ptr<platform::LogFile> log = Open(&status);
    ASSERT_TRUE(log) << status.code();
    EXPECT_TRUE(log->AppendLine("安装 C:\\Zorvel\\Zorvel批打印软件"));
  }
  {
    std::unique_ptr<platform::LogFile> log = Open(&status);
    ASSERT_TRUE(log);
    EXPECT_TRUE(log->AppendLine("second run"));
  }
  EXPECT_EQ(Bytes(), "\xEF\xBB\xBF" u8"安装 C:\\Zorvel\\Zorvel批打印软件\r\nsecond run\r\n");
}

TEST_F(LogFileWin32, NamesOutsideGbkAreWrittenWithTheirOwnCharacters) {
  Status status;
  {
    std::unique_ptr<platform::LogFile> log = Open(&status);
    ASSERT_TRUE(log) << status.code();
    EXPECT_TRUE(log->AppendLine(platform::win32::Narrow(L"C:\\users\\\xAE40\xCCA0\xC218 S\xF8ren \xD83D\xDE00 批")));
  }
  // In UTF-8: 김철수, ø, U+1F600 and 批.
  EXPECT_EQ(Bytes(), "\xEF\xBB\xBF" "C:\\users\\\xEA\xB9\x80\xEC\xB2\xA0\xEC\x88\x98 S\xC3\xB8ren \xF0\x9F\x98\x80 \xE6\x89\xB9\r\n");
}

// Against code page 936 itself: every code unit GBK has keeps its bytes,
// every other one takes a four-byte form, and each comes back.
TEST(TextWin32, EveryCodeUnitComesBackAndGbkKeepsItsBytes) {
  int fourByte = 0;
  for (unsigned unit = 0; unit <= 0xFFFF; ++unit) {
    const wchar_t wide = static_cast<wchar_t>(unit);
    char gbk[2];
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, &wide, 1, gbk, 2, nullptr, &usedDefault);
    const std::string text = platform::win32::Narrow(&wide, 1);
    ASSERT_EQ(platform::win32::Widen(text), std::wstring(1, wide)) << unit;
    if (text.size() == 4) {
      ++fourByte;
    } else {
      ASSERT_TRUE(n > 0 && !usedDefault && text == std::string(gbk, static_cast<std::size_t>(n))) << unit;
    }
  }
  EXPECT_GT(fourByte, 2048);  // at least the surrogates
  EXPECT_EQ(platform::win32::Narrow(L"C:\\Zorvel批打印软件"), "C:\\Zorvel批打印软件");
  const std::wstring mixed = L"\xD800\xDC00\xDBFF\xD800x\xDFFF\x20AC\xAE40\x00F8\x30FB\x00B7";
  EXPECT_EQ(platform::win32::Widen(platform::win32::Narrow(mixed)), mixed);
  std::wstring wide;
  EXPECT_FALSE(platform::win32::WidenExact("a\x81", 2, &wide));
}

TEST_F(LogFileWin32, TwoWritersAppendWholeLinesAtTheEnd) {
  Status status;
  std::unique_ptr<platform::LogFile> first = Open(&status);
  std::unique_ptr<platform::LogFile> second = Open(&status);
  ASSERT_TRUE(first && second);
  EXPECT_TRUE(first->AppendLine("a1"));
  EXPECT_TRUE(second->AppendLine("b1"));
  EXPECT_TRUE(first->AppendLine("a2"));
  EXPECT_EQ(Bytes(), "\xEF\xBB\xBF" "a1\r\nb1\r\na2\r\n");
}

TEST_F(LogFileWin32, AFileThatCannotBeOpenedSaysWhy) {
  struct Row {
    std::string path;
    platform::OsError error;
  };
  const Row rows[] = {
      {folder_ + "\\missing\\x.log", platform::kErrorPathNotFound},
      {folder_, platform::kErrorAccessDenied},  // a folder
  };
  for (const Row& row : rows) {
    Status status;
    EXPECT_FALSE(platform::win32::TheLogFiles().OpenForAppend(row.path, &status)) << row.path;
    EXPECT_EQ(status.code(), row.error) << row.path;
  }
}

TEST(InstanceLockWin32, HeldOnceUntilReleased) {
  platform::InstanceLocks& locks = platform::win32::TheInstanceLocks();
  const std::string name = "Global\\ZorvelLockTest" + std::to_string(GetCurrentProcessId());
  std::unique_ptr<platform::InstanceLock> held, second, again;
  ASSERT_EQ(locks.Acquire(name, &held), platform::LockResult::Acquired);
  EXPECT_EQ(locks.Acquire(name, &second), platform::LockResult::HeldElsewhere);
  EXPECT_FALSE(second);
  held.reset();
  EXPECT_EQ(locks.Acquire(name, &again), platform::LockResult::Acquired);
}

TEST(SystemInfoWin32, WhatTheSystemSays) {
  platform::SystemInfo& system = platform::win32::TheSystemInfo();
  const std::string denied = system.ErrorText(platform::kErrorAccessDenied);
  EXPECT_FALSE(denied.empty());
  EXPECT_EQ(denied.find_first_of("\r\n"), std::string::npos) << denied;
  EXPECT_NE(denied.back(), ' ');
  EXPECT_TRUE(system.ErrorText(0x2FFFFFFF).empty());
  const std::string temp = system.TempFolder();
  ASSERT_FALSE(temp.empty());
  EXPECT_NE(temp.back(), '\\');
  EXPECT_NE(GetFileAttributesW(platform::win32::Widen(temp).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(std::regex_search(system.WindowsVersion(), std::regex("^[0-9]+\\.[0-9]+\\.[0-9]+"))) << system.WindowsVersion();
  EXPECT_FALSE(system.UserName().empty());
  // The command line starts with the program; the arguments leave it out.
  const std::string commandLine = system.CommandLine();
  EXPECT_NE(commandLine.find("zv_tests"), std::string::npos) << commandLine;
  for (const std::string& argument : system.Arguments()) EXPECT_EQ(argument.find("zv_tests.exe"), std::string::npos);
}

TEST(ClockWin32, LocalTimeIsADate) {
  const platform::LocalTime now = platform::win32::TheClock().Now();
  EXPECT_GE(now.year, 2023);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12);
  EXPECT_TRUE(now.day >= 1 && now.day <= 31);
  EXPECT_TRUE(now.millisecond >= 0 && now.millisecond < 1000);
}

}  // namespace
