#include "tests/files_world.h"

#include "tests/fakes/append_files.h"
#include "tests/fakes/files.h"

namespace {

class MemoryWorld : public FilesWorld {
 public:
  MemoryWorld() { files_.AddFolder(root()); }

  platform::Files& files() override { return files_; }
  platform::AppendFiles& appendFiles() override { return appendFiles_; }
  std::string root() override { return "C:\\scratch"; }
  void MakeFolder(const std::string& path) override { ASSERT_TRUE(files_.AddFolder(path)) << path; }
  void MakeFile(const std::string& path, const std::string& content) override {
    ASSERT_TRUE(files_.AddFile(path, content)) << path;
  }
  std::optional<std::string> Read(const std::string& path) override { return files_.Content(path); }
  void Remove(const std::string& path) override { ASSERT_TRUE(files_.Remove(path)) << path; }
  void SetModulePath(const std::string& path) override { files_.SetModulePath(path); }
  bool keepsReadOnly() const override { return true; }
  bool keepsFolderBits() const override { return true; }
  platform::MemoryFiles* memory() override { return &files_; }

 private:
  platform::MemoryFiles files_;
  platform::MemoryAppendFiles appendFiles_{files_};
};

std::unique_ptr<FilesWorld> MakeMemoryWorld() { return std::unique_ptr<FilesWorld>(new MemoryWorld); }

const RegisterFilesWorld kMemoryWorld({"Memory", MakeMemoryWorld});

}  // namespace

FilesWorldKind MemoryFilesWorld() { return {"Memory", MakeMemoryWorld}; }

std::vector<FilesWorldKind>& FilesWorldKinds() {
  static std::vector<FilesWorldKind> kinds;
  return kinds;
}

std::string FilesWorldName(const testing::TestParamInfo<FilesWorldKind>& info) { return info.param.name; }

std::vector<std::string> FilesWorld::List(const std::string& folder) {
  std::vector<std::string> names;
  platform::FindData data;
  platform::FindHandle handle = files().FindFirst(folder + "\\*.*", &data);
  for (bool more = handle != nullptr; more; more = files().FindNext(handle, &data)) {
    if (data.name != "." && data.name != "..") names.push_back(data.name);
  }
  files().FindClose(handle);
  return names;
}

std::uint32_t FilesWorld::Attributes(const std::string& path) {
  std::uint32_t attributes = 0;
  return files().GetAttributes(path, &attributes) ? attributes : 0;
}
