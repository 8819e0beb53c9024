// A scratch world of folders and files for tests that must hold on every file
// service: the in-memory one (all builds) and the real file system (the
// Windows test program, under Wine). A test builds its world below root(),
// runs the code under test against files(), and looks at the result.
//
// The program finds its Data folder beside its own file, so files() answers
// ModulePath() with a path the test chooses (SetModulePath): on the real file
// system a thin wrapper around the Win32 service does it, which is the one
// seam the deployment tests need.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/append_files.h"
#include "platform/files.h"

namespace platform {
class MemoryFiles;
}

class FilesWorld {
 public:
  virtual ~FilesWorld() = default;

  virtual platform::Files& files() = 0;
  // The append service over the same files.
  virtual platform::AppendFiles& appendFiles() = 0;
  // An empty folder of this world, e.g. C:\scratch; no trailing backslash.
  virtual std::string root() = 0;

  // Builders create missing parent folders; they fail the test on error.
  virtual void MakeFolder(const std::string& path) = 0;
  virtual void MakeFile(const std::string& path, const std::string& content) = 0;
  // Content of a file, or nothing when there is no such file.
  virtual std::optional<std::string> Read(const std::string& path) = 0;
  // Removes a file or a whole folder.
  virtual void Remove(const std::string& path) = 0;
  virtual void SetModulePath(const std::string& path) = 0;

  // What this file system can express. Wine running as root drops the
  // read-only bit and keeps no folder bits beyond 0x10 (and hidden).
  virtual bool keepsReadOnly() const = 0;
  virtual bool keepsFolderBits() const = 0;
  // The in-memory service, for failure on purpose; null on a real one.
  virtual platform::MemoryFiles* memory() { return nullptr; }

  // Names in a folder in listing order, without "." and "..".
  std::vector<std::string> List(const std::string& folder);
  std::uint32_t Attributes(const std::string& path);  // 0 when it cannot be read
};

struct FilesWorldKind {
  const char* name;
  std::unique_ptr<FilesWorld> (*make)();
};

inline void PrintTo(const FilesWorldKind& kind, std::ostream* out) { *out << kind.name; }

// Every world this test program can build: memory always, the real file
// system in the Windows test program.
std::vector<FilesWorldKind>& FilesWorldKinds();

// The in-memory world alone, for cases only it can stage.
FilesWorldKind MemoryFilesWorld();

struct RegisterFilesWorld {
  explicit RegisterFilesWorld(FilesWorldKind kind) { FilesWorldKinds().push_back(kind); }
};

// For INSTANTIATE_TEST_SUITE_P: names the instance after its world.
std::string FilesWorldName(const testing::TestParamInfo<FilesWorldKind>& info);

// A test suite that runs once per world; the world is fresh for each test.
class FilesWorldTest : public testing::TestWithParam<FilesWorldKind> {
 protected:
  void SetUp() override { world_ = GetParam().make(); }
  void TearDown() override { world_.reset(); }
  FilesWorld& world() { return *world_; }
  platform::Files& files() { return world_->files(); }
  std::string At(const std::string& relative) { return world_->root() + "\\" + relative; }

 private:
  std::unique_ptr<FilesWorld> world_;
};
