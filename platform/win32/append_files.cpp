// The append service: CreateFileW for writing (FlushFileBuffers asks for a
// handle with GENERIC_WRITE) that no one else may write while it is open,
// its file pointer set to the end once, WriteFile and FlushFileBuffers; paths
// converted from GBK at this boundary.
#include <windows.h>

#include "platform/append_files.h"
#include "platform/files.h"
#include "platform/win32/services.h"
#include "platform/win32/text.h"

namespace platform {
namespace {

HANDLE FromAppend(AppendHandle file) { return reinterpret_cast<HANDLE>(file); }

class Win32AppendFiles : public AppendFiles {
 public:
  AppendHandle Open(const std::string& path, Status* status) override {
    Status opened;
    HANDLE file = INVALID_HANDLE_VALUE;
    // Refused before Windows sees it, as the file service does: Windows and
    // Wine do not agree on where MAX_PATH bites.
    if (path.size() > kMaxPathBytes) {
      opened = Status(kErrorFilenameTooLong);
    } else {
      file = CreateFileW(win32::Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE) {
        opened = Status(GetLastError());
      } else if (!SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_END)) {
        // Only this handle writes the file: every write then lands after the last.
        opened = Status(GetLastError());
        CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
      }
    }
    if (status) *status = opened;
    return file == INVALID_HANDLE_VALUE ? nullptr : reinterpret_cast<AppendHandle>(file);
  }

  Status Append(AppendHandle file, const std::string& bytes) override {
    if (!file) return Status(kErrorInvalidHandle);
    DWORD written = 0;
    if (!WriteFile(FromAppend(file), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
      return Status(GetLastError());
    return written == bytes.size() ? Status::Ok() : Status(ERROR_WRITE_FAULT);
  }

  Status Flush(AppendHandle file) override {
    if (!file) return Status(kErrorInvalidHandle);
    return FlushFileBuffers(FromAppend(file)) ? Status::Ok() : Status(GetLastError());
  }

  void Close(AppendHandle file) override {
    if (file) CloseHandle(FromAppend(file));
  }
};

}  // namespace
}  // namespace platform

platform::AppendFiles& platform::win32::TheAppendFiles() {
  static Win32AppendFiles files;
  return files;
}
