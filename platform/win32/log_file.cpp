// The log-file service: CreateFileW with append-only access, so that every
// WriteFile lands at the end of the file even while another program appends
// to it too; GBK lines converted to UTF-8 at this boundary.
#include <windows.h>

#include "platform/log_file.h"
#include "platform/win32/services.h"
#include "platform/win32/text.h"

namespace platform {
namespace {

constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), length, nullptr, nullptr);
  return out;
}

Status WriteAll(HANDLE file, const std::string& bytes) {
  DWORD written = 0;
  if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
    return Status(GetLastError());
  return written == bytes.size() ? Status::Ok() : Status(ERROR_WRITE_FAULT);
}

class Win32LogFile : public LogFile {
 public:
  explicit Win32LogFile(HANDLE file) : file_(file) {}
  ~Win32LogFile() override { CloseHandle(file_); }
  Win32LogFile(const Win32LogFile&) = delete;
  Win32LogFile& operator=(const Win32LogFile&) = delete;

  // One WriteFile per line: an append-only handle writes it whole at the end.
  Status AppendLine(const std::string& line) override { return WriteAll(file_, ToUtf8(win32::Widen(line)) + "\r\n"); }

 private:
  HANDLE file_;
};

class Win32LogFiles : public LogFiles {
 public:
  std::unique_ptr<LogFile> OpenForAppend(const std::string& path, Status* status) override {
    HANDLE file = CreateFileW(win32::Widen(path).c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      *status = Status(GetLastError());
      return nullptr;
    }
    LARGE_INTEGER size = {};
    *status = GetFileSizeEx(file, &size) ? Status::Ok() : Status(GetLastError());
    if (*status && size.QuadPart == 0) *status = WriteAll(file, kUtf8ByteOrderMark);
    if (!*status) {
      CloseHandle(file);
      return nullptr;
    }
    return std::make_unique<Win32LogFile>(file);
  }
};

}  // namespace

}  // namespace platform

platform::LogFiles& platform::win32::TheLogFiles() {
  static Win32LogFiles files;
  return files;
}
