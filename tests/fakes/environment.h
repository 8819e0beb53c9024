// In-memory environment for tests: variables the test sets (names matched
// without regard to case, as Windows does) and the shell's application-data
// folder, which a test may also take away.
#pragma once

#include <map>
#include <string>

#include "platform/environment.h"

namespace platform {

class MemoryEnvironment : public Environment {
 public:
  // APPDATA and the shell's folder both name C:\Users\user\AppData\Roaming;
  // SystemRoot is C:\Windows.
  MemoryEnvironment();

  bool GetVariable(const std::string& name, std::string* value) override;
  std::string RoamingAppDataFolder() override { return roamingAppData_; }

  void SetVariable(const std::string& name, const std::string& value);
  void Unset(const std::string& name);
  void SetRoamingAppDataFolder(const std::string& path) { roamingAppData_ = path; }

 private:
  std::map<std::string, std::string> variables_;  // by upper-cased name
  std::string roamingAppData_;
};

}  // namespace platform
