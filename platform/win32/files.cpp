// The file service through the W functions (FindFirstFileW, CopyFileW,
// GetFileAttributesW, CreateFileW, ...), with paths converted from GBK at this
// boundary.
// Paths longer than kMaxPathBytes are refused here, before Windows sees them,
// because Windows and Wine do not agree on where MAX_PATH bites.
#include <windows.h>
#undef CopyFile
#undef CreateDirectory
#undef DeleteFile
#undef RemoveDirectory

#include <algorithm>
#include <vector>

#include "platform/files.h"
#include "platform/win32/services.h"
#include "platform/win32/text.h"

namespace platform {
namespace {

bool Fits(const std::string& path) { return path.size() <= kMaxPathBytes; }

Status LastError() { return Status(GetLastError()); }

// What a call that succeeded or failed with GetLastError came to.
Status Result(BOOL succeeded) { return succeeded ? Status::Ok() : LastError(); }

constexpr Status kTooLong{kErrorFilenameTooLong};

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

Status WriteWhole(const std::wstring& path, const std::string& content) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return LastError();
  for (std::size_t done = 0; done < content.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(file.get(), content.data() + done, chunk, &written, nullptr)) return LastError();
    done += written;
  }
  return Result(FlushFileBuffers(file.get()));
}

void Fill(const WIN32_FIND_DATAW& found, FindData* data) {
  data->attributes = found.dwFileAttributes;
  data->size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  data->name = win32::Narrow(found.cFileName);
}

class Win32Files : public Files {
 public:
  FindHandle FindFirst(const std::string& pattern, FindData* data) override {
    if (!Fits(pattern)) return nullptr;
    WIN32_FIND_DATAW found;
    HANDLE handle = FindFirstFileW(win32::Widen(pattern).c_str(), &found);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    Fill(found, data);
    return reinterpret_cast<FindHandle>(handle);
  }

  bool FindNext(FindHandle handle, FindData* data) override {
    WIN32_FIND_DATAW found;
    if (!handle || !FindNextFileW(reinterpret_cast<HANDLE>(handle), &found)) return false;
    Fill(found, data);
    return true;
  }

  void FindClose(FindHandle handle) override {
    if (handle) ::FindClose(reinterpret_cast<HANDLE>(handle));
  }

  bool GetAttributes(const std::string& path, std::uint32_t* attributes) override {
    if (!Fits(path)) return false;
    DWORD word = GetFileAttributesW(win32::Widen(path).c_str());
    if (word == INVALID_FILE_ATTRIBUTES) return false;
    *attributes = word;
    return true;
  }

  Status SetAttributes(const std::string& path, std::uint32_t attributes) override {
    if (!Fits(path)) return kTooLong;
    return Result(SetFileAttributesW(win32::Widen(path).c_str(), attributes));
  }

  Status CopyFile(const std::string& source, const std::string& destination) override {
    if (!Fits(source) || !Fits(destination)) return kTooLong;
    return Result(CopyFileW(win32::Widen(source).c_str(), win32::Widen(destination).c_str(), FALSE));
  }

  Status CreateDirectory(const std::string& path) override {
    if (!Fits(path)) return kTooLong;
    return Result(CreateDirectoryW(win32::Widen(path).c_str(), nullptr));
  }

  bool Exists(const std::string& path) override {
    return Fits(path) && GetFileAttributesW(win32::Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  Status DeleteFile(const std::string& path) override {
    if (!Fits(path)) return kTooLong;
    return Result(DeleteFileW(win32::Widen(path).c_str()));
  }

  Status RemoveDirectory(const std::string& path) override {
    if (!Fits(path)) return kTooLong;
    return Result(RemoveDirectoryW(win32::Widen(path).c_str()));
  }

  Status DeleteAtRestart(const std::string& path) override {
    if (!Fits(path)) return kTooLong;
    return Result(MoveFileExW(win32::Widen(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
  }

  Status ReadFile(const std::string& path, std::size_t limit, std::string* content) override {
    if (!Fits(path)) return kTooLong;
    FileHandle file(CreateFileW(win32::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError();
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) return LastError();
    if (static_cast<std::uint64_t>(size.QuadPart) > limit) return Status(kErrorFileTooLarge);
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
      DWORD got = 0;
      if (!::ReadFile(file.get(), bytes.data() + done, chunk, &got, nullptr)) return LastError();
      if (got == 0) break;  // the file shrank while it was read
      done += got;
    }
    bytes.resize(done);
    *content = std::move(bytes);
    return Status::Ok();
  }

  // Written whole beside the file, then moved over it: a write that fails
  // half-way never leaves it cut.
  Status WriteFile(const std::string& path, const std::string& content) override {
    const std::string writing = path + kWritingSuffix;
    if (!Fits(writing)) return kTooLong;
    const std::wstring widePath = win32::Widen(path), wideWriting = win32::Widen(writing);
    Status written = WriteWhole(wideWriting, content);
    if (written) written = Result(MoveFileExW(wideWriting.c_str(), widePath.c_str(),
                                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    if (!written) DeleteFileW(wideWriting.c_str());
    return written;
  }

  std::string ModulePath() override {
    // GetModuleFileNameW cuts the path to the buffer and says nothing but its
    // size: grow until the whole path fits.
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
      DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
      if (length == 0) return std::string();
      if (length < buffer.size()) return win32::Narrow(buffer.data(), length);
      buffer.resize(buffer.size() * 2);
    }
  }

  std::string CurrentDirectory() override {
    DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0) return std::string();
    std::vector<wchar_t> buffer(size);
    DWORD length = GetCurrentDirectoryW(size, buffer.data());
    if (length == 0 || length >= size) return std::string();
    return win32::Narrow(buffer.data(), length);
  }
};

}  // namespace

}  // namespace platform

platform::Files& platform::win32::TheFiles() {
  static Win32Files files;
  return files;
}
