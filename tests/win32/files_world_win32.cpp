// The real file system as a test world: a fresh scratch folder on C: for each
// test, built and inspected with plain Win32 calls (not through the service
// under test), removed again afterwards.
#include <windows.h>
#undef CopyFile
#undef CreateDirectory
#undef DeleteFile
#undef RemoveDirectory

#include "platform/files.h"
#include "platform/win32/services.h"
#include "platform/win32/text.h"
#include "tests/fakes/forwarding_files.h"
#include "tests/files_world.h"

namespace {

using platform::win32::Widen;

bool MakeFolders(const std::wstring& path) {
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  std::size_t slash = path.find_last_of(L'\\');
  if (slash != std::wstring::npos && slash > 2 && !MakeFolders(path.substr(0, slash))) return false;
  return CreateDirectoryW(path.c_str(), nullptr) != 0;
}

void RemoveTree(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileW(path.c_str());
    return;
  }
  WIN32_FIND_DATAW found;
  HANDLE handle = FindFirstFileW((path + L"\\*").c_str(), &found);
  if (handle != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
    } while (FindNextFileW(handle, &found));
    FindClose(handle);
  }
  RemoveDirectoryW(path.c_str());
}

class Win32World : public FilesWorld {
 public:
  Win32World() : files_(platform::win32::TheFiles()) {
    static int counter = 0;
    root_ = "C:\\zv_scratch\\" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
    RemoveTree(Widen(root_));
    EXPECT_TRUE(MakeFolders(Widen(root_))) << root_;
    keepsReadOnly_ = KeepsBit(root_ + "\\probe.txt", false, FILE_ATTRIBUTE_READONLY);
    keepsFolderBits_ = KeepsBit(root_ + "\\probe", true, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE);
  }
  ~Win32World() override {
    RemoveTree(Widen(root_));
    RemoveDirectoryW(L"C:\\zv_scratch");  // only when no other run still uses it
  }

  platform::Files& files() override { return files_; }
  platform::AppendFiles& appendFiles() override { return platform::win32::TheAppendFiles(); }
  std::string root() override { return root_; }

  void MakeFolder(const std::string& path) override { ASSERT_TRUE(MakeFolders(Widen(path))) << path; }

  void MakeFile(const std::string& path, const std::string& content) override {
    std::wstring wide = Widen(path);
    std::size_t slash = wide.find_last_of(L'\\');
    ASSERT_TRUE(MakeFolders(wide.substr(0, slash))) << path;
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    BOOL ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_TRUE(ok && written == content.size()) << path;
  }

  std::optional<std::string> Read(const std::string& path) override {
    HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string content;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
    CloseHandle(file);
    return content;
  }

  void Remove(const std::string& path) override {
    RemoveTree(Widen(path));
    ASSERT_EQ(GetFileAttributesW(Widen(path).c_str()), INVALID_FILE_ATTRIBUTES) << path;
  }

  void SetModulePath(const std::string& path) override { files_.SetModulePath(path); }
  bool keepsReadOnly() const override { return keepsReadOnly_; }
  bool keepsFolderBits() const override { return keepsFolderBits_; }

 private:
  // Whether an attribute word set on a probe file or folder reads back whole:
  // on Windows it does, under Wine running as root it does not.
  bool KeepsBit(const std::string& path, bool folder, DWORD word) {
    std::wstring wide = Widen(path);
    if (folder) {
      CreateDirectoryW(wide.c_str(), nullptr);
    } else {
      CloseHandle(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    SetFileAttributesW(wide.c_str(), word);
    bool kept = GetFileAttributesW(wide.c_str()) == word;
    RemoveTree(wide);
    return kept;
  }

  // The program's path in the scratch folder, where the code under test
  // looks for its Data folder.
  platform::RelocatedFiles files_;
  std::string root_;
  bool keepsReadOnly_ = false;
  bool keepsFolderBits_ = false;
};

const RegisterFilesWorld kWin32World({"Win32", [] { return std::unique_ptr<FilesWorld>(new Win32World); }});

}  // namespace
