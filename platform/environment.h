// Environment service: the one variable the program reads, and the shell's
// idea of the user's roaming application-data folder.
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
};

Environment& GetEnvironment();

}  // namespace platform
