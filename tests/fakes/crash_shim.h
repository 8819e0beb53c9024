// A process that dies on purpose, as SQLite's crash tests stage it: shims
// over a registry, a file and an append service that count every call that
// changes the machine and, once the count has passed the limit given, let
// no later call change anything. The machine then stays as the process left
// it when it died right after change number `dieAfter`, whatever the rest
// of the run does. Reads pass through, before and after.
//
// Counted, whether the call succeeds or not: a registry key created (also
// one that exists), a value set, a key or value deleted; a file copied,
// written, deleted or scheduled for deletion at restart, its attributes set,
// a folder created or removed; a file opened for appending (which may create
// it), an append, a flush. A refused call fails with kDeadError, and a
// refused Create or Open hands out no key or file.
//
// What the disk holds afterwards is what a kill leaves behind;
// MemoryAppendFiles::PowerCut over the append service below turns it into
// what a power cut leaves.
#pragma once

#include <cstddef>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/append_files.h"
#include "platform/files.h"
#include "platform/registry.h"

namespace platform {

class CrashShim {
 public:
  static constexpr std::size_t kNever = std::numeric_limits<std::size_t>::max();
  static constexpr OsError kDeadError = kErrorNotReady;

  CrashShim(Registry& registry, Files& files, AppendFiles& appendFiles, std::size_t dieAfter = kNever);
  ~CrashShim();
  CrashShim(const CrashShim&) = delete;
  CrashShim& operator=(const CrashShim&) = delete;

  // The services the code under test is to reach.
  Registry& registry();
  Files& files();
  AppendFiles& appendFiles();

  // The changes asked for so far, refused ones included: after a run that
  // never died, how many the run makes.
  std::size_t changes() const { return log_.size(); }
  bool dead() const { return log_.size() > dieAfter_; }
  // Each change asked for, in order ("SetValue LOADER", "CopyFile
  // C:\...\readme.txt"), for a test to say after which one it died.
  const std::vector<std::string>& log() const { return log_; }

 private:
  class CrashRegistry;
  class CrashFiles;
  class CrashAppendFiles;
  // Counts a change; false when it comes after the death.
  bool Change(std::string what);

  std::size_t dieAfter_;
  std::vector<std::string> log_;
  std::unique_ptr<CrashRegistry> registry_;
  std::unique_ptr<CrashFiles> files_;
  std::unique_ptr<CrashAppendFiles> appendFiles_;
};

}  // namespace platform
