#include "tests/fakes/faulty_files.h"

#include "platform/mbcs.h"

namespace platform {

void FaultyFiles::FailCopiesTo(const std::string& destination, int times, OsError error) {
  if (times != 0) copies_[mbcs::ToUpper(destination)] = {times, error};
}

void FaultyFiles::FailCreateDirectory(const std::string& path, OsError error) {
  folders_[mbcs::ToUpper(path)] = error;
}

void FaultyFiles::FailDelete(const std::string& path, OsError error) { deletes_[mbcs::ToUpper(path)] = error; }

void FaultyFiles::FailWrite(const std::string& path, OsError error) { writes_[mbcs::ToUpper(path)] = error; }

void FaultyFiles::ClearFailures() {
  copies_.clear();
  folders_.clear();
  deletes_.clear();
  writes_.clear();
}

Status FaultyFiles::CopyFile(const std::string& source, const std::string& destination) {
  auto failing = copies_.find(mbcs::ToUpper(destination));
  if (failing == copies_.end()) return inner_.CopyFile(source, destination);
  const OsError error = failing->second.error;
  if (failing->second.times != kAlways && --failing->second.times == 0) copies_.erase(failing);
  return Status(error);
}

Status FaultyFiles::CreateDirectory(const std::string& path) {
  auto failing = folders_.find(mbcs::ToUpper(path));
  return failing == folders_.end() ? inner_.CreateDirectory(path) : Status(failing->second);
}

Status FaultyFiles::DeleteFile(const std::string& path) {
  auto failing = deletes_.find(mbcs::ToUpper(path));
  return failing == deletes_.end() ? inner_.DeleteFile(path) : Status(failing->second);
}

Status FaultyFiles::WriteFile(const std::string& path, const std::string& content) {
  auto failing = writes_.find(mbcs::ToUpper(path));
  return failing == writes_.end() ? inner_.WriteFile(path, content) : Status(failing->second);
}

}  // namespace platform
