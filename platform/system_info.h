// System-information service: what the system says about this run of the
// program. The command line as the user typed it and as the system's rules
// split it, who runs it (its rights: platform/rights.h), on which Windows, where the
// temporary folder is, and the system's own text for an error code. All
// texts are GBK.
#pragma once

#include <string>
#include <vector>

#include "platform/status.h"

namespace platform {

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;

  // The whole command line, program name included, exactly as given.
  virtual std::string CommandLine() = 0;

  // The arguments after the program name, split and unquoted the way
  // CommandLineToArgvW does it.
  virtual std::vector<std::string> Arguments() = 0;

  // The account the program runs as; empty when it cannot be told.
  virtual std::string UserName() = 0;

  // The Windows version, such as "10.0.19045".
  virtual std::string WindowsVersion() = 0;

  // The user's temporary folder, without a trailing backslash.
  virtual std::string TempFolder() = 0;

  // The system's text for `error` in the user's language (FormatMessage),
  // on one line; empty when the system has none.
  virtual std::string ErrorText(OsError error) = 0;
};

SystemInfo& GetSystemInfo();

}  // namespace platform
