// What the uninstaller relies on from the process service, checked against
// every implementation: programs started with arguments that reach them
// whole, in their own folder, waited for with their exit code. The real
// service starts args_echo.exe (tests/tools), the in-memory one plays it.
#include <optional>
#include <string>
#include <vector>

#include "platform/mbcs.h"
#include "platform/processes.h"
#include "tests/fakes/processes.h"
#include "tests/fakes/services.h"
#include "tests/files_world.h"

namespace {

class ProcessesContract : public FilesWorldTest {
 protected:
  void SetUp() override {
    FilesWorldTest::SetUp();
    program_ = At("工具 dir\\args_echo.exe");
    world().MakeFolder(At("工具 dir"));
    if (world().memory()) {
      memory_.SetProgram([this](const std::string& program, const std::vector<std::string>& arguments) {
        return PlayArgsEcho(program, arguments);
      });
      processes_ = &memory_;
      world().MakeFile(program_, "program");
    } else {
      processes_ = platform::TestServices().processes;
      const std::string tool = mbcs::FolderOf(platform::TestServices().files->ModulePath()) + "\\args_echo.exe";
      ASSERT_TRUE(files().CopyFile(tool, program_)) << tool << " is built beside the test program";
    }
  }

  // args_echo.exe as the in-memory service runs it.
  std::optional<std::uint32_t> PlayArgsEcho(const std::string& program, const std::vector<std::string>& arguments) {
    if (!files().Exists(program)) return std::nullopt;
    std::string lines = mbcs::FolderOf(program);
    for (const std::string& argument : arguments) lines += "\n" + argument;
    (void)files().WriteFile(arguments.at(0), lines);
    return static_cast<std::uint32_t>(std::stoul(arguments.at(1)));
  }

  // Runs the program with `arguments` after the output file and the exit
  // code; returns the lines it wrote.
  std::vector<std::string> Run(std::uint32_t exitCode, const std::vector<std::string>& arguments) {
    std::vector<std::string> all = {Output(), std::to_string(exitCode)};
    all.insert(all.end(), arguments.begin(), arguments.end());
    platform::Status status;
    platform::ProcessHandle process = processes_->Start(program_, all, &status);
    EXPECT_TRUE(status.ok()) << status.code();
    std::uint32_t code = 0xFFFF;
    EXPECT_TRUE(processes_->Wait(process, &code));
    EXPECT_EQ(code, exitCode);
    const std::string written = world().Read(Output()).value_or("");
    std::vector<std::string> lines;
    for (std::string_view line : mbcs::Split(written, '\n')) lines.emplace_back(line);
    return lines;
  }

  std::string Output() { return At("out.txt"); }

  platform::MemoryProcesses memory_;
  platform::Processes* processes_ = nullptr;
  std::string program_;
};

TEST_P(ProcessesContract, EveryArgumentArrivesWholeAndTheProgramRunsInItsFolder) {
  const std::vector<std::string> arguments = {
      "/UNINSTALL",
      "/DIR=C:\\Zorvel\\Zorvel批打印软件",
      "with space",
      "",
      "quote\"inside",
      "C:\\trailing\\",
      "C:\\with space\\",
      "\\\\server\\share",
      "a\\\\\"b",
      "嘰\\",  // a double-byte character whose second byte is a backslash, then one
  };
  std::vector<std::string> expected = {mbcs::FolderOf(program_), Output(), "0"};
  expected.insert(expected.end(), arguments.begin(), arguments.end());
  EXPECT_EQ(Run(0, arguments), expected);
}

TEST_P(ProcessesContract, WaitGivesTheExitCode) {
  for (std::uint32_t code : {0u, 3u, 7u, 9u, 255u}) EXPECT_EQ(Run(code, {}).size(), 3u) << code;
}

TEST_P(ProcessesContract, AMissingProgramDoesNotStart) {
  platform::Status status;
  EXPECT_EQ(processes_->Start(At("missing.exe"), {Output(), "0"}, &status), nullptr);
  EXPECT_EQ(status.code(), platform::kErrorFileNotFound);
  EXPECT_FALSE(files().Exists(Output()));
}

TEST_P(ProcessesContract, AProgramLeftRunningIsReleased) {
  platform::ProcessHandle process = processes_->Start(program_, {Output(), "0", "released"});
  ASSERT_NE(process, nullptr);
  processes_->Release(process);
  processes_->WaitForEnd(0);  // no process has id 0: returns at once
}

INSTANTIATE_TEST_SUITE_P(AllProcessServices, ProcessesContract, testing::ValuesIn(FilesWorldKinds()), FilesWorldName);

}  // namespace
