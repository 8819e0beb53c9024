// In-memory system information for tests: a command line the test sets (and
// splits itself), a user, a version, a temporary folder (which a
// test may take away), and
// the system's texts for the error codes the tests meet.
#pragma once

#include <string>
#include <vector>

#include "platform/system_info.h"

namespace platform {

class MemorySystemInfo : public SystemInfo {
 public:
  std::string CommandLine() override { return commandLine_; }
  std::vector<std::string> Arguments() override { return arguments_; }
  std::string UserName() override { return "user"; }
  std::string WindowsVersion() override { return "10.0.19045"; }
  std::string TempFolder() override { return tempFolder_; }
  // Chinese Windows' texts for a few codes; empty for the others.
  std::string ErrorText(OsError error) override;

  // The program is C:\dist\SetUp.exe; the command line is that name and the
  // arguments, each quoted when it holds a space.
  void SetArguments(std::vector<std::string> arguments);
  void SetTempFolder(const std::string& folder) { tempFolder_ = folder; }

 private:
  std::vector<std::string> arguments_;
  std::string commandLine_ = "\"C:\\dist\\SetUp.exe\"";
  std::string tempFolder_ = "C:\\Users\\user\\AppData\\Local\\Temp";
};

}  // namespace platform
