#include "tests/fakes/log_files.h"

#include "platform/mbcs.h"

namespace platform {

class MemoryLogFiles::Appender : public LogFile {
 public:
  explicit Appender(File& file) : file_(file) {}
  Status AppendLine(const std::string& line) override {
    if (file_.lines.size() >= file_.writableLines) return Status(kDiskFull);
    file_.lines.push_back(line);
    return Status::Ok();
  }

 private:
  static constexpr OsError kDiskFull = 112;  // ERROR_DISK_FULL
  File& file_;
};

std::unique_ptr<LogFile> MemoryLogFiles::OpenForAppend(const std::string& path, Status* status) {
  const std::string key = mbcs::ToUpper(path);
  auto failing = failOpen_.find(key);
  if (failing != failOpen_.end()) {
    *status = Status(failing->second);
    return nullptr;
  }
  *status = Status::Ok();
  return std::make_unique<Appender>(files_[key]);
}

void MemoryLogFiles::FailOpen(const std::string& path, OsError error) { failOpen_[mbcs::ToUpper(path)] = error; }

void MemoryLogFiles::FailWritesAfter(const std::string& path, std::size_t lines) {
  files_[mbcs::ToUpper(path)].writableLines = lines;
}

bool MemoryLogFiles::Exists(const std::string& path) const { return files_.count(mbcs::ToUpper(path)) != 0; }

std::vector<std::string> MemoryLogFiles::Lines(const std::string& path) const {
  auto found = files_.find(mbcs::ToUpper(path));
  return found != files_.end() ? found->second.lines : std::vector<std::string>();
}

}  // namespace platform
