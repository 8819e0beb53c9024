// An append-service shim that fails on purpose, stacked over any append
// service (the in-memory one natively, the real one under Wine): files that
// cannot be opened, appends that fail from some line on (a full disk), and
// flushes that fail. A failed call changes nothing. Paths compare without
// regard to case; everything else passes through.
#pragma once

#include <cstddef>
#include <map>
#include <string>

#include "platform/append_files.h"

namespace platform {

class FaultyAppendFiles : public ForwardingAppendFiles {
 public:
  explicit FaultyAppendFiles(AppendFiles& inner) : ForwardingAppendFiles(inner) {}

  // Opening `path` fails with `error`.
  void FailOpen(const std::string& path, OsError error = kErrorAccessDenied);
  // Appending to `path` fails with `error` once `after` more appends to it
  // have succeeded.
  void FailAppends(const std::string& path, std::size_t after = 0, OsError error = kErrorDiskFull);
  // Flushing `path` fails with `error`.
  void FailFlushes(const std::string& path, OsError error = kErrorDiskFull);
  void ClearFailures();

  AppendHandle Open(const std::string& path, Status* status = nullptr) override;
  Status Append(AppendHandle file, const std::string& bytes) override;
  Status Flush(AppendHandle file) override;
  void Close(AppendHandle file) override;

 private:
  struct AppendFailure {
    std::size_t after;
    OsError error;
  };
  const std::string* PathOf(AppendHandle file) const;

  std::map<std::string, OsError> opens_;          // by upper-cased path
  std::map<std::string, AppendFailure> appends_;  // by upper-cased path
  std::map<std::string, OsError> flushes_;        // by upper-cased path
  std::map<AppendHandle, std::string> paths_;     // upper-cased, of every file open through the shim
};

}  // namespace platform
