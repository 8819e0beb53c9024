#include "tests/fakes/faulty_append_files.h"

#include "platform/mbcs.h"

namespace platform {

void FaultyAppendFiles::FailOpen(const std::string& path, OsError error) { opens_[mbcs::ToUpper(path)] = error; }

void FaultyAppendFiles::FailAppends(const std::string& path, std::size_t after, OsError error) {
  appends_[mbcs::ToUpper(path)] = {after, error};
}

void FaultyAppendFiles::FailFlushes(const std::string& path, OsError error) { flushes_[mbcs::ToUpper(path)] = error; }

void FaultyAppendFiles::ClearFailures() {
  opens_.clear();
  appends_.clear();
  flushes_.clear();
}

const std::string* FaultyAppendFiles::PathOf(AppendHandle file) const {
  auto found = paths_.find(file);
  return found != paths_.end() ? &found->second : nullptr;
}

AppendHandle FaultyAppendFiles::Open(const std::string& path, Status* status) {
  const std::string key = mbcs::ToUpper(path);
  auto failing = opens_.find(key);
  if (failing != opens_.end()) {
    if (status) *status = Status(failing->second);
    return nullptr;
  }
  AppendHandle file = inner_.Open(path, status);
  if (file) paths_[file] = key;
  return file;
}

Status FaultyAppendFiles::Append(AppendHandle file, const std::string& bytes) {
  const std::string* path = PathOf(file);
  auto failing = path ? appends_.find(*path) : appends_.end();
  if (failing == appends_.end()) return inner_.Append(file, bytes);
  if (failing->second.after == 0) return Status(failing->second.error);
  --failing->second.after;
  return inner_.Append(file, bytes);
}

Status FaultyAppendFiles::Flush(AppendHandle file) {
  const std::string* path = PathOf(file);
  auto failing = path ? flushes_.find(*path) : flushes_.end();
  return failing == flushes_.end() ? inner_.Flush(file) : Status(failing->second);
}

void FaultyAppendFiles::Close(AppendHandle file) {
  paths_.erase(file);
  inner_.Close(file);
}

}  // namespace platform
