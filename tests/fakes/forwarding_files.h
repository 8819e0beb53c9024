// File-service shims that stack over any file service (the in-memory one
// natively, the real one under Wine): ForwardingFiles passes every call on,
// and a shim overrides the few it changes.
#pragma once

#include <string>
#include <utility>

#include "platform/files.h"

namespace platform {

class ForwardingFiles : public Files {
 public:
  explicit ForwardingFiles(Files& inner) : inner_(inner) {}

  FindHandle FindFirst(const std::string& pattern, FindData* data) override { return inner_.FindFirst(pattern, data); }
  bool FindNext(FindHandle handle, FindData* data) override { return inner_.FindNext(handle, data); }
  void FindClose(FindHandle handle) override { inner_.FindClose(handle); }
  bool GetAttributes(const std::string& path, std::uint32_t* attributes) override {
    return inner_.GetAttributes(path, attributes);
  }
  Status SetAttributes(const std::string& path, std::uint32_t attributes) override {
    return inner_.SetAttributes(path, attributes);
  }
  Status CopyFile(const std::string& source, const std::string& destination) override {
    return inner_.CopyFile(source, destination);
  }
  Status CreateDirectory(const std::string& path) override { return inner_.CreateDirectory(path); }
  bool Exists(const std::string& path) override { return inner_.Exists(path); }
  Status DeleteFile(const std::string& path) override { return inner_.DeleteFile(path); }
  Status RemoveDirectory(const std::string& path) override { return inner_.RemoveDirectory(path); }
  Status DeleteAtRestart(const std::string& path) override { return inner_.DeleteAtRestart(path); }
  Status ReadFile(const std::string& path, std::size_t limit, std::string* content) override {
    return inner_.ReadFile(path, limit, content);
  }
  Status WriteFile(const std::string& path, const std::string& content) override {
    return inner_.WriteFile(path, content);
  }
  std::string ModulePath() override { return inner_.ModulePath(); }
  std::string CurrentDirectory() override { return inner_.CurrentDirectory(); }

 protected:
  Files& inner_;
};

// The service with the program's own file placed elsewhere: the code under
// test then looks for its Data folder (and copies itself) from there.
class RelocatedFiles : public ForwardingFiles {
 public:
  explicit RelocatedFiles(Files& inner, std::string modulePath = std::string())
      : ForwardingFiles(inner), modulePath_(std::move(modulePath)) {}
  void SetModulePath(const std::string& path) { modulePath_ = path; }
  std::string ModulePath() override { return modulePath_; }

 private:
  std::string modulePath_;
};

}  // namespace platform
