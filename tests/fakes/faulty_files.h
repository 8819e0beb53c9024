// A file-service shim that fails on purpose, stacked over any file service
// (the in-memory one natively, the real one under Wine): copies onto a
// destination that fail a number of times, folders that cannot be created,
// files that cannot be deleted or written.
// Paths compare without regard to case. Everything else passes through.
#pragma once

#include <map>
#include <string>

#include "tests/fakes/forwarding_files.h"

namespace platform {

class FaultyFiles : public ForwardingFiles {
 public:
  explicit FaultyFiles(Files& inner) : ForwardingFiles(inner) {}

  static constexpr int kAlways = -1;
  // A copy onto `destination` fails `times` more times (kAlways: until
  // cleared) with `error`: by default what Windows says of a file another
  // program holds open.
  void FailCopiesTo(const std::string& destination, int times = kAlways, OsError error = kErrorSharingViolation);
  // Creating the folder `path` fails with `error`.
  void FailCreateDirectory(const std::string& path, OsError error = kErrorAccessDenied);
  // Deleting the file `path` fails with `error`: by default a file in use.
  void FailDelete(const std::string& path, OsError error = kErrorSharingViolation);
  // Writing the file `path` fails with `error`, leaving it as it was.
  void FailWrite(const std::string& path, OsError error = kErrorAccessDenied);
  void ClearFailures();

  Status CopyFile(const std::string& source, const std::string& destination) override;
  Status CreateDirectory(const std::string& path) override;
  Status DeleteFile(const std::string& path) override;
  Status WriteFile(const std::string& path, const std::string& content) override;

 private:
  struct Failure {
    int times;
    OsError error;
  };

  std::map<std::string, Failure> copies_;   // by upper-cased destination
  std::map<std::string, OsError> folders_;  // by upper-cased path
  std::map<std::string, OsError> deletes_;  // by upper-cased path
  std::map<std::string, OsError> writes_;   // by upper-cased path
};

}  // namespace platform
