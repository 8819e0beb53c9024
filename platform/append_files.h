// Append service: files that bytes are only ever added to, one whole line a
// call, such as a record written ahead of the changes it names. Rewriting a
// whole file per line (Files::WriteFile) costs time that grows with the
// square of its lines; appending costs each line once.
//
// What survives the end of the process: whatever Append wrote, once the
// call has returned, survives the process being killed (it is in the
// system's cache); only what Flush has reached also survives a power cut.
//
// Implementations: platform/win32/append_files.cpp (CreateFileW with
// write access, shared with readers only, code page 936 at the boundary) and, for the tests,
// tests/fakes/append_files.h (appending to the in-memory file system, with
// both ends of a process).
#pragma once

#include <string>

#include "platform/status.h"

namespace platform {

// A file open for appending. Null means none.
using AppendHandle = struct AppendOpaque*;

class AppendFiles {
 public:
  virtual ~AppendFiles() = default;

  // Opens `path` for appending: created empty when missing (the folder must
  // exist), never cut short when it exists. While it is open, others may
  // read the file but not write it, open it for appending or delete it
  // (kErrorSharingViolation). Null on failure, with the reason in `*status`
  // when given.
  virtual AppendHandle Open(const std::string& path, Status* status = nullptr) = 0;

  // Adds `bytes` at the end of the file in one write, so that a line is
  // never split. Nothing else moves the end: every call lands after the one
  // before.
  virtual Status Append(AppendHandle file, const std::string& bytes) = 0;

  // Writes what was appended through to the disk (FlushFileBuffers), so
  // that it survives a power cut.
  virtual Status Flush(AppendHandle file) = 0;

  // Closes without flushing. Closing null does nothing.
  virtual void Close(AppendHandle file) = 0;
};

AppendFiles& GetAppendFiles();

// Holds an open file and closes it when it goes out of scope.
class ScopedAppend {
 public:
  ScopedAppend(AppendFiles& files, AppendHandle file) : files_(files), file_(file) {}
  ~ScopedAppend() { files_.Close(file_); }
  ScopedAppend(const ScopedAppend&) = delete;
  ScopedAppend& operator=(const ScopedAppend&) = delete;

  AppendHandle get() const { return file_; }
  explicit operator bool() const { return file_ != nullptr; }

 private:
  AppendFiles& files_;
  AppendHandle file_;
};

// Passes every call on to another append service: the base of the shims
// that change a few calls (the tests' failures and crashes).
class ForwardingAppendFiles : public AppendFiles {
 public:
  explicit ForwardingAppendFiles(AppendFiles& inner) : inner_(inner) {}

  AppendHandle Open(const std::string& path, Status* status = nullptr) override { return inner_.Open(path, status); }
  Status Append(AppendHandle file, const std::string& bytes) override { return inner_.Append(file, bytes); }
  Status Flush(AppendHandle file) override { return inner_.Flush(file); }
  void Close(AppendHandle file) override { inner_.Close(file); }

 protected:
  AppendFiles& inner_;
};

}  // namespace platform
