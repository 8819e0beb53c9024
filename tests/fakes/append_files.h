// The append service over the in-memory file system: what is appended is in
// the file at once, for every read of the file service to see. Beside the
// file, the fake keeps how much of it is on the disk: its size when it was
// first opened here (it was there before), then its size at each flush.
//
// The two ends of a process, each closing every file still open:
// - Kill: every byte appended stays, as it is in the system's cache.
// - PowerCut: each file loses what was appended since its last flush, cut
//   off (LostTail::Cut) or left as as many zero bytes (LostTail::Zeros), as
//   a file system does that had grown the file but not yet written its data.
// A kill loses nothing from the cache, so a power cut after it still loses
// the unflushed tails.
//
// Open refuses what Windows refuses: a missing folder, a folder, a read-only
// file, a file already open for appending. The file service does not see the
// handles of this one, so deleting or rewriting an open file succeeds here
// where Windows would refuse it. Paths compare without regard to case.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/append_files.h"
#include "tests/fakes/files.h"

namespace platform {

class MemoryAppendFiles : public AppendFiles {
 public:
  explicit MemoryAppendFiles(MemoryFiles& files) : files_(files) {}

  AppendHandle Open(const std::string& path, Status* status = nullptr) override;
  Status Append(AppendHandle file, const std::string& bytes) override;
  Status Flush(AppendHandle file) override;
  void Close(AppendHandle file) override;

  enum class LostTail { Cut, Zeros };
  void Kill();
  void PowerCut(LostTail lost = LostTail::Cut);

  std::size_t openFiles() const { return open_.size(); }
  // The bytes of `path` a power cut would lose now.
  std::size_t Unflushed(const std::string& path) const;

 private:
  struct Opened {
    std::string path;  // as given
    std::string key;   // upper-cased
  };
  Status Opening(const std::string& path, const std::string& key);
  const Opened* Find(AppendHandle file) const;

  MemoryFiles& files_;
  std::map<std::uintptr_t, Opened> open_;
  std::uintptr_t next_ = 1;
  std::map<std::string, std::size_t> onDisk_;  // by upper-cased path: the bytes that survive a power cut
};

}  // namespace platform
