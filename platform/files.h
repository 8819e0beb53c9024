// File-system service: the file operations of the deployment, the support-file
// placement and the folder rules. Paths are GBK byte strings in Windows form
// (drive letter, backslashes).
//
// Implementations: platform/win32/files.cpp (W functions, code page 936 at the
// boundary) and, for the tests, tests/fakes/files.cpp (an in-memory tree that
// keeps every attribute bit).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/status.h"

namespace platform {

constexpr std::uint32_t kAttrReadOnly = 0x01;   // FILE_ATTRIBUTE_READONLY
constexpr std::uint32_t kAttrHidden = 0x02;     // FILE_ATTRIBUTE_HIDDEN
constexpr std::uint32_t kAttrDirectory = 0x10;  // FILE_ATTRIBUTE_DIRECTORY
constexpr std::uint32_t kAttrArchive = 0x20;    // FILE_ATTRIBUTE_ARCHIVE
constexpr std::uint32_t kAttrNormal = 0x80;     // FILE_ATTRIBUTE_NORMAL

// Windows' path buffer (MAX_PATH), terminator included: the unit every path
// limit of the program is derived from.
constexpr std::size_t kPathBufferBytes = 260;

// The longest path, in GBK bytes, that any operation below accepts. A longer
// path fails with kErrorFilenameTooLong, in every edition alike, instead of
// depending on how each Windows counts MAX_PATH.
constexpr std::size_t kMaxPathBytes = kPathBufferBytes - 1;

// See Files::WriteFile.
constexpr char kWritingSuffix[] = ".new";

// One entry of a directory listing.
struct FindData {
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;  // bytes, for a file
  std::string name;  // file name only, whole (never cut to a fixed buffer)
};

using FindHandle = struct FindOpaque*;

class Files {
 public:
  virtual ~Files() = default;

  // Directory listing (FindFirstFile / FindNextFile / FindClose). `pattern` is
  // a path whose last component may hold * and ?; "*.*" matches every name. A
  // listing of a folder other than a drive root includes "." and "..". Entries
  // come in the file system's order. Null when nothing matches; FindClose
  // accepts null.
  virtual FindHandle FindFirst(const std::string& pattern, FindData* data) = 0;
  virtual bool FindNext(FindHandle handle, FindData* data) = 0;
  virtual void FindClose(FindHandle handle) = 0;

  // Attribute word of `path`; false when it cannot be read.
  virtual bool GetAttributes(const std::string& path, std::uint32_t* attributes) = 0;
  virtual Status SetAttributes(const std::string& path, std::uint32_t attributes) = 0;

  // Copies a file with its attribute word, overwriting an existing destination
  // (CopyFile with bFailIfExists false). Fails for a missing source, a folder
  // as source or destination, a missing destination folder and a read-only
  // destination.
  virtual Status CopyFile(const std::string& source, const std::string& destination) = 0;

  // Creates one folder level; kErrorAlreadyExists when something of that
  // name is there.
  virtual Status CreateDirectory(const std::string& path) = 0;

  // True when a file or folder of that name exists (_access with mode 0).
  virtual bool Exists(const std::string& path) = 0;

  // Deletes a file (DeleteFile). Fails for a folder, a missing file, a
  // read-only file and a file another program holds open.
  virtual Status DeleteFile(const std::string& path) = 0;

  // Removes an empty folder (RemoveDirectory); kErrorDirNotEmpty while
  // anything is in it.
  virtual Status RemoveDirectory(const std::string& path) = 0;

  // Deletes a file, or a folder that is empty by then, when Windows next
  // starts (MoveFileEx with MOVEFILE_DELAY_UNTIL_REBOOT): how a running
  // program's own file goes, which cannot be deleted while it runs. Only an
  // administrator may ask; the requests are carried out in their order.
  virtual Status DeleteAtRestart(const std::string& path) = 0;

  // The whole content of a file. A file longer than `limit` bytes is not read
  // (kErrorFileTooLarge), so no caller holds more than it means to.
  virtual Status ReadFile(const std::string& path, std::size_t limit, std::string* content) = 0;

  // Creates or replaces a file with `content`. The file is either replaced
  // whole or, when that fails, left as it was: never cut short. It is first
  // written whole under its path followed by kWritingSuffix, which must fit
  // the path limit too.
  virtual Status WriteFile(const std::string& path, const std::string& content) = 0;

  // Full path of the running program file, whole whatever its length.
  virtual std::string ModulePath() = 0;

  // The process's current directory.
  virtual std::string CurrentDirectory() = 0;
};

Files& GetFiles();

}  // namespace platform
