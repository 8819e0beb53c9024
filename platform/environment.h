// Environment service: the one variable the program reads, the shell's idea
// of the user's roaming application-data folder, the temp folder and today's
// date.
#pragma once

#include <string>

namespace platform {

class Environment {
 public:
  virtual ~Environment() = default;

  // Value of environment variable `name`; false when it is not set.
  virtual bool GetVariable(const std::string& name, std::string* value) = 0;

  // The current user's roaming application-data folder as the shell knows it
  // (CSIDL_APPDATA); empty when the shell cannot tell.
  virtual std::string RoamingAppDataFolder() = 0;

  // The user's temp folder (GetTempPath), without a trailing backslash; empty
  // when the system cannot tell.
  virtual std::string TempFolder() = 0;

  // Today's local date as yyyymmdd.
  virtual int LocalDate() = 0;
};

Environment& GetEnvironment();

}  // namespace platform
