// A destination another process holds open without sharing, on the real file
// system: the copy fails as in use, the user closes that program and chooses
// Retry, and the copy then succeeds.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "install/messages.h"
#include "platform/win32/text.h"
#include "tests/engine_world.h"

namespace {

using platform::win32::Widen;

// hold_file.exe, built beside this test program, holding one file open until
// Release (which writes the word it waits for into a file beside it) or
// destruction.
class Holder {
 public:
  explicit Holder(const std::string& path) : signal_(Widen(path) + L".release") {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE outWrite = nullptr;
    if (!CreatePipe(&output_, &outWrite, &inherit, 0)) return;
    SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
    wchar_t self[MAX_PATH];
    std::wstring program(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    program = program.substr(0, program.find_last_of(L'\\')) + L"\\hold_file.exe";
    std::wstring command = L"\"" + program + L"\" \"" + Widen(path) + L"\" \"" + signal_ + L"\" release 30";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    const bool started = CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process_) != 0;
    CloseHandle(outWrite);
    char said[8] = {};
    DWORD got = 0;
    held_ = started && ReadFile(output_, said, 7, &got, nullptr) && std::string(said, got) == "holding";
  }
  ~Holder() {
    Release();
    CloseHandle(output_);
    DeleteFileW(signal_.c_str());
  }
  bool held() const { return held_; }
  // The holding program ends and lets the file go.
  void Release() {
    if (!process_.hProcess) return;
    HANDLE signal = CreateFileW(signal_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(signal, "release", 7, &written, nullptr);
    CloseHandle(signal);
    WaitForSingleObject(process_.hProcess, 10000);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    process_ = {};
  }

 private:
  std::wstring signal_;
  HANDLE output_ = nullptr;
  PROCESS_INFORMATION process_ = {};
  bool held_ = false;
};

class EngineOnWindows : public EngineWorldTest {};

TEST_P(EngineOnWindows, AFileHeldOpenByAnotherProgramIsCopiedOnRetryOnceItIsReleased) {
  const std::string held = InstallDir() + "\\itextsharp.dll";
  world().MakeFile(held, "an older copy");
  Holder holder(held);
  ASSERT_TRUE(holder.held()) << "hold_file.exe is built beside the test program";
  driver_.onCopyFailed = [&](const FileEvent& failure) {
    EXPECT_EQ(failure.destination, held);
    EXPECT_EQ(CauseOfFile(failure.status), Cause::InUse) << failure.status.code();
    holder.Release();  // the user closes AutoCAD, then answers Retry
    return CopyDecision::Retry;
  };
  EXPECT_EQ(Install().outcome, InstallOutcome::Installed);
  ASSERT_EQ(driver_.questions.size(), 1u);
  EXPECT_NE(driver_.questions[0].find("1、AutoCAD未关闭"), std::string::npos) << driver_.questions[0];
  EXPECT_EQ(world().Read(held), "Zorvel.prt7");
}

INSTANTIATE_TEST_SUITE_P(, EngineOnWindows, testing::Values(RegistryKind::Win32), RegistryKindName);

}  // namespace
