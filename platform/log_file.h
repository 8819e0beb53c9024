// Log-file service: text files that lines are appended to, for the install
// log. Lines are given as GBK text without a line end; the file holds UTF-8
// with a byte-order mark and CRLF line ends, so that Notepad on any Windows
// shows the Chinese paths in it. Several programs may append to one file at
// the same time: each line is appended whole.
#pragma once

#include <memory>
#include <string>

#include "platform/status.h"

namespace platform {

class LogFile {
 public:
  virtual ~LogFile() = default;

  // Appends `line` and a line end.
  virtual Status AppendLine(const std::string& line) = 0;
};

class LogFiles {
 public:
  virtual ~LogFiles() = default;

  // Opens `path` for appending, creating it (with its byte-order mark) when
  // it does not exist; the folder must exist. Null, with the reason in
  // `*status`, when it cannot be opened.
  virtual std::unique_ptr<LogFile> OpenForAppend(const std::string& path, Status* status) = 0;
};

LogFiles& GetLogFiles();

}  // namespace platform
