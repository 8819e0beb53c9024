// What an operating-system call came to: success, or the Windows error code
// (ERROR_*) it failed with. The Win32 services translate GetLastError and the
// registry's result codes into this once, at the boundary; the in-memory
// services in the tests produce the same codes for the same failures, so that
// the install log and the messages can name the cause either way.
#pragma once

#include <cstdint>

namespace platform {

using OsError = std::uint32_t;

// The codes the program and its tests name.
constexpr OsError kErrorFileNotFound = 2;       // ERROR_FILE_NOT_FOUND
constexpr OsError kErrorPathNotFound = 3;       // ERROR_PATH_NOT_FOUND
constexpr OsError kErrorAccessDenied = 5;       // ERROR_ACCESS_DENIED
constexpr OsError kErrorInvalidHandle = 6;      // ERROR_INVALID_HANDLE
constexpr OsError kErrorInvalidDrive = 15;      // ERROR_INVALID_DRIVE
constexpr OsError kErrorNotReady = 21;          // ERROR_NOT_READY
constexpr OsError kErrorSharingViolation = 32;  // ERROR_SHARING_VIOLATION
constexpr OsError kErrorLockViolation = 33;     // ERROR_LOCK_VIOLATION
constexpr OsError kErrorFileExists = 80;        // ERROR_FILE_EXISTS
constexpr OsError kErrorInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
constexpr OsError kErrorDiskFull = 112;         // ERROR_DISK_FULL
constexpr OsError kErrorInvalidName = 123;      // ERROR_INVALID_NAME
constexpr OsError kErrorDirNotEmpty = 145;      // ERROR_DIR_NOT_EMPTY
constexpr OsError kErrorFileTooLarge = 223;     // ERROR_FILE_TOO_LARGE
constexpr OsError kErrorAlreadyExists = 183;    // ERROR_ALREADY_EXISTS
constexpr OsError kErrorFilenameTooLong = 206;  // ERROR_FILENAME_EXCED_RANGE
constexpr OsError kErrorMoreData = 234;         // ERROR_MORE_DATA
constexpr OsError kErrorDirectory = 267;        // ERROR_DIRECTORY (a folder where a file was expected)
constexpr OsError kErrorKeyDeleted = 1018;      // ERROR_KEY_DELETED
constexpr OsError kErrorCancelled = 1223;       // ERROR_CANCELLED (the user declined)
constexpr OsError kErrorNoUnicodeTranslation = 1113;  // ERROR_NO_UNICODE_TRANSLATION
constexpr OsError kErrorDatatypeMismatch = 1629;      // ERROR_DATATYPE_MISMATCH

class [[nodiscard]] Status {
 public:
  constexpr Status() = default;  // success
  constexpr explicit Status(OsError code) : code_(code) {}

  static constexpr Status Ok() { return Status(); }

  constexpr bool ok() const { return code_ == 0; }
  constexpr explicit operator bool() const { return ok(); }
  // 0 on success.
  constexpr OsError code() const { return code_; }

  friend constexpr bool operator==(Status a, Status b) { return a.code_ == b.code_; }
  friend constexpr bool operator!=(Status a, Status b) { return a.code_ != b.code_; }

 private:
  OsError code_ = 0;
};

}  // namespace platform
