#include "tests/fakes/crash_shim.h"

#include <utility>

#include "tests/fakes/forwarding_files.h"

namespace platform {
namespace {

constexpr Status kDead{CrashShim::kDeadError};

// An append's first line, enough to tell one record line from another.
std::string FirstLine(const std::string& bytes) { return bytes.substr(0, bytes.find_first_of("\r\n")); }

}  // namespace

class CrashShim::CrashRegistry : public ForwardingRegistry {
 public:
  CrashRegistry(Registry& inner, CrashShim& crash) : ForwardingRegistry(inner), crash_(crash) {}

  RegKey Create(RegKey parent, const std::string& path, Status* status = nullptr) override {
    if (crash_.Change("Create " + path)) return inner().Create(parent, path, status);
    if (status) *status = kDead;
    return nullptr;
  }
  Status SetValue(RegKey key, const std::string& name, std::uint32_t type, const void* data,
                  std::uint32_t size) override {
    return crash_.Change("SetValue " + name) ? inner().SetValue(key, name, type, data, size) : kDead;
  }
  Status DeleteKey(RegKey parent, const std::string& path) override {
    return crash_.Change("DeleteKey " + path) ? inner().DeleteKey(parent, path) : kDead;
  }
  Status DeleteValue(RegKey key, const std::string& name) override {
    return crash_.Change("DeleteValue " + name) ? inner().DeleteValue(key, name) : kDead;
  }

 private:
  CrashShim& crash_;
};

class CrashShim::CrashFiles : public ForwardingFiles {
 public:
  CrashFiles(Files& inner, CrashShim& crash) : ForwardingFiles(inner), crash_(crash) {}

  Status SetAttributes(const std::string& path, std::uint32_t attributes) override {
    return crash_.Change("SetAttributes " + path) ? inner_.SetAttributes(path, attributes) : kDead;
  }
  Status CopyFile(const std::string& source, const std::string& destination) override {
    return crash_.Change("CopyFile " + destination) ? inner_.CopyFile(source, destination) : kDead;
  }
  Status CreateDirectory(const std::string& path) override {
    return crash_.Change("CreateDirectory " + path) ? inner_.CreateDirectory(path) : kDead;
  }
  Status DeleteFile(const std::string& path) override {
    return crash_.Change("DeleteFile " + path) ? inner_.DeleteFile(path) : kDead;
  }
  Status RemoveDirectory(const std::string& path) override {
    return crash_.Change("RemoveDirectory " + path) ? inner_.RemoveDirectory(path) : kDead;
  }
  Status DeleteAtRestart(const std::string& path) override {
    return crash_.Change("DeleteAtRestart " + path) ? inner_.DeleteAtRestart(path) : kDead;
  }
  // Written whole or not at all (see Files::WriteFile): one change.
  Status WriteFile(const std::string& path, const std::string& content) override {
    return crash_.Change("WriteFile " + path) ? inner_.WriteFile(path, content) : kDead;
  }

 private:
  CrashShim& crash_;
};

class CrashShim::CrashAppendFiles : public ForwardingAppendFiles {
 public:
  CrashAppendFiles(AppendFiles& inner, CrashShim& crash) : ForwardingAppendFiles(inner), crash_(crash) {}

  AppendHandle Open(const std::string& path, Status* status = nullptr) override {
    if (crash_.Change("Open " + path)) return inner_.Open(path, status);
    if (status) *status = kDead;
    return nullptr;
  }
  Status Append(AppendHandle file, const std::string& bytes) override {
    return crash_.Change("Append " + FirstLine(bytes)) ? inner_.Append(file, bytes) : kDead;
  }
  Status Flush(AppendHandle file) override { return crash_.Change("Flush") ? inner_.Flush(file) : kDead; }

 private:
  CrashShim& crash_;
};

CrashShim::CrashShim(Registry& registry, Files& files, AppendFiles& appendFiles, std::size_t dieAfter)
    : dieAfter_(dieAfter),
      registry_(std::make_unique<CrashRegistry>(registry, *this)),
      files_(std::make_unique<CrashFiles>(files, *this)),
      appendFiles_(std::make_unique<CrashAppendFiles>(appendFiles, *this)) {}

CrashShim::~CrashShim() = default;

Registry& CrashShim::registry() { return *registry_; }
Files& CrashShim::files() { return *files_; }
AppendFiles& CrashShim::appendFiles() { return *appendFiles_; }

bool CrashShim::Change(std::string what) {
  log_.push_back(std::move(what));
  return !dead();
}

}  // namespace platform
