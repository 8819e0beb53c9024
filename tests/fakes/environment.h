// In-memory environment for tests: variables the test sets (names matched
// without regard to case, as Windows does), the shell's application-data
// folder, which a test may also take away, the temp folder and the date.
#pragma once

#include <map>
#include <string>

#include "platform/environment.h"

namespace platform {

class MemoryEnvironment : public Environment {
 public:
  // APPDATA and the shell's folder both name C:\Users\user\AppData\Roaming;
  // the temp folder is C:\Users\user\AppData\Local\Temp; today is 2024-01-05.
  MemoryEnvironment();

  bool GetVariable(const std::string& name, std::string* value) override;
  std::string RoamingAppDataFolder() override { return roamingAppData_; }
  std::string TempFolder() override { return tempFolder_; }
  int LocalDate() override { return date_; }

  void SetVariable(const std::string& name, const std::string& value);
  void Unset(const std::string& name);
  void SetRoamingAppDataFolder(const std::string& path) { roamingAppData_ = path; }
  void SetTempFolder(const std::string& path) { tempFolder_ = path; }
  void SetLocalDate(int date) { date_ = date; }

 private:
  std::map<std::string, std::string> variables_;  // by upper-cased name
  std::string roamingAppData_;
  std::string tempFolder_ = "C:\\Users\\user\\AppData\\Local\\Temp";
  int date_ = 20240105;
};

}  // namespace platform
