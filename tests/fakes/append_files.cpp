#include "tests/fakes/append_files.h"

#include <algorithm>

#include "platform/mbcs.h"

namespace platform {
namespace {

std::uintptr_t Id(AppendHandle file) { return reinterpret_cast<std::uintptr_t>(file); }

}  // namespace

Status MemoryAppendFiles::Opening(const std::string& path, const std::string& key) {
  for (const auto& open : open_)
    if (open.second.key == key) return Status(kErrorSharingViolation);
  // A new file fails as a new file of the file service does: a missing
  // folder, a name Windows refuses, a path too long.
  if (!files_.Exists(path)) return files_.WriteFile(path, std::string());
  std::uint32_t attributes = 0;
  if (!files_.MutableContent(path) || !files_.GetAttributes(path, &attributes) || (attributes & kAttrReadOnly))
    return Status(kErrorAccessDenied);
  return Status::Ok();
}

AppendHandle MemoryAppendFiles::Open(const std::string& path, Status* status) {
  const std::string key = mbcs::ToUpper(path);
  const Status opened = Opening(path, key);
  if (status) *status = opened;
  if (!opened) return nullptr;
  onDisk_.emplace(key, files_.MutableContent(path)->size());  // a file known already keeps its unflushed tail
  open_[next_] = {path, key};
  return reinterpret_cast<AppendHandle>(next_++);
}

const MemoryAppendFiles::Opened* MemoryAppendFiles::Find(AppendHandle file) const {
  auto found = open_.find(Id(file));
  return found != open_.end() ? &found->second : nullptr;
}

Status MemoryAppendFiles::Append(AppendHandle file, const std::string& bytes) {
  const Opened* opened = Find(file);
  if (!opened) return Status(kErrorInvalidHandle);
  std::string* content = files_.MutableContent(opened->path);
  if (!content) return Status(kErrorFileNotFound);  // deleted behind the handle's back, which Windows refuses
  content->append(bytes);
  return Status::Ok();
}

Status MemoryAppendFiles::Flush(AppendHandle file) {
  const Opened* opened = Find(file);
  if (!opened) return Status(kErrorInvalidHandle);
  const std::string* content = files_.MutableContent(opened->path);
  if (!content) return Status(kErrorFileNotFound);
  onDisk_[opened->key] = content->size();
  return Status::Ok();
}

void MemoryAppendFiles::Close(AppendHandle file) { open_.erase(Id(file)); }

void MemoryAppendFiles::Kill() { open_.clear(); }

void MemoryAppendFiles::PowerCut(LostTail lost) {
  open_.clear();
  for (const auto& [key, kept] : onDisk_) {
    std::string* content = files_.MutableContent(key);
    if (!content || content->size() <= kept) continue;
    if (lost == LostTail::Cut) {
      content->resize(kept);
    } else {
      std::fill(content->begin() + static_cast<std::ptrdiff_t>(kept), content->end(), '\0');
    }
  }
  // After the restart, what is on the disk is all there is.
  onDisk_.clear();
}

std::size_t MemoryAppendFiles::Unflushed(const std::string& path) const {
  auto kept = onDisk_.find(mbcs::ToUpper(path));
  std::optional<std::string> content = files_.Content(path);
  return kept != onDisk_.end() && content && content->size() > kept->second ? content->size() - kept->second : 0;
}

}  // namespace platform
