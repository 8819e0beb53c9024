// In-memory log files for tests: the lines appended to each path (as GBK,
// before any conversion), paths that cannot be opened, and writes that fail
// from some line on. Paths compare without regard to case.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/log_file.h"

namespace platform {

class MemoryLogFiles : public LogFiles {
 public:
  std::unique_ptr<LogFile> OpenForAppend(const std::string& path, Status* status) override;

  // Opening `path` fails with `error`.
  void FailOpen(const std::string& path, OsError error);
  // Every line appended to `path` after its first `lines` fails (disk full).
  void FailWritesAfter(const std::string& path, std::size_t lines);

  bool Exists(const std::string& path) const;
  // The lines that reached `path`, across every opening; empty when none did.
  std::vector<std::string> Lines(const std::string& path) const;

 private:
  struct File {
    std::vector<std::string> lines;
    std::size_t writableLines = static_cast<std::size_t>(-1);
  };
  class Appender;

  std::map<std::string, File> files_;         // by upper-cased path
  std::map<std::string, OsError> failOpen_;  // by upper-cased path
};

}  // namespace platform
