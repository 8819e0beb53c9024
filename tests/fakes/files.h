// In-memory file system for tests: drives, folders and files with contents
// and full attribute words, matched without regard to case like Windows does.
// Unlike Wine running as root it keeps every attribute bit (read-only files,
// read-only or archive folders). Failures on purpose come from the shim in
// tests/fakes/faulty_files.h, which works over this and the real one alike.
// Each failure carries the error code Windows gives for it.
//
// Paths are normalised like Win32 paths: '\' and '/' both separate, doubled
// separators collapse, "." and ".." resolve, trailing dots and spaces of a
// name are dropped, a path without a drive is taken from the current folder.
// A path that ends in a separator names a folder only. Listings come in the
// order the entries were created.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/status.h"

namespace platform {

class MemoryFiles : public Files {
 public:
  // Drive C: exists, the current folder is C:\, the program is C:\SetUp.exe.
  MemoryFiles();

  FindHandle FindFirst(const std::string& pattern, FindData* data) override;
  bool FindNext(FindHandle handle, FindData* data) override;
  void FindClose(FindHandle handle) override;
  bool GetAttributes(const std::string& path, std::uint32_t* attributes) override;
  Status SetAttributes(const std::string& path, std::uint32_t attributes) override;
  Status CopyFile(const std::string& source, const std::string& destination) override;
  Status CreateDirectory(const std::string& path) override;
  bool Exists(const std::string& path) override;
  Status DeleteFile(const std::string& path) override;
  Status RemoveDirectory(const std::string& path) override;
  // Recorded (see atRestart()); nothing goes, as no restart comes.
  Status DeleteAtRestart(const std::string& path) override;
  Status ReadFile(const std::string& path, std::size_t limit, std::string* content) override;
  Status WriteFile(const std::string& path, const std::string& content) override;
  std::string ModulePath() override { return modulePath_; }
  std::string CurrentDirectory() override { return currentDirectory_; }

  // Building a world. AddFolder and AddFile create missing parent folders;
  // they return false when the path is unusable or a file is in the way.
  void AddDrive(char letter);
  bool AddFolder(const std::string& path, std::uint32_t attributes = kAttrDirectory);
  bool AddFile(const std::string& path, const std::string& content = std::string(),
               std::uint32_t attributes = kAttrArchive);
  bool Remove(const std::string& path);  // a file, or a folder with all below it
  std::optional<std::string> Content(const std::string& path) const;  // files only
  // The bytes of the file itself, for the services that change a file in
  // place (the append service); null when there is no such file.
  std::string* MutableContent(const std::string& path);
  void SetModulePath(const std::string& path) { modulePath_ = path; }
  void SetCurrentDirectory(const std::string& path) { currentDirectory_ = path; }

  // What happened: every copy that succeeded (source, destination as given),
  // and how many listings are open.
  struct Copy {
    std::string source;
    std::string destination;
  };
  const std::vector<Copy>& copies() const { return copies_; }
  int openListings() const { return static_cast<int>(listings_.size()); }
  // The paths to be deleted at the next restart, in their order.
  const std::vector<std::string>& atRestart() const { return atRestart_; }

 private:
  struct Node {
    std::string name;    // as created: case kept
    std::string parent;  // key of the folder holding it; empty for a drive
    std::uint32_t attributes = 0;
    std::string content;
    std::uint64_t order = 0;
    bool IsFolder() const { return (attributes & kAttrDirectory) != 0; }
  };
  struct Resolved {
    std::vector<std::string> parts;  // parts[0] is the drive, e.g. "C:"
    bool folderOnly = false;         // the path ended in a separator
  };
  struct Listing {
    std::vector<FindData> entries;
    std::size_t next = 0;
  };

  std::optional<Resolved> Resolve(const std::string& path) const;
  static std::string Key(const std::vector<std::string>& parts);
  const Node* Find(const Resolved& path) const;
  Node* Find(const Resolved& path);
  std::vector<const Node*> Children(const std::string& key) const;
  Node& Insert(const std::vector<std::string>& parts, std::uint32_t attributes);
  bool EnsureFolders(const std::vector<std::string>& parts, std::size_t count);
  void RemoveTree(const std::string& key);
  // What Windows says of a path that names nothing: the file is not found, or
  // already a folder on the way is not.
  Status Missing(const Resolved& path) const;

  std::map<std::string, Node> nodes_;  // by upper-cased full path
  std::uint64_t nextOrder_ = 0;
  std::vector<Copy> copies_;
  std::vector<std::string> atRestart_;
  std::map<std::uintptr_t, Listing> listings_;
  std::uintptr_t nextListing_ = 1;
  std::string modulePath_ = "C:\\SetUp.exe";
  std::string currentDirectory_ = "C:\\";
};

}  // namespace platform
