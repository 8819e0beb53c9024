#include "tests/fakes/files.h"

#include <algorithm>

#include "platform/mbcs.h"

namespace platform {
namespace {

constexpr std::uint32_t kFolderDropsBits = kAttrNormal;
constexpr std::uint32_t kFileDropsBits = kAttrDirectory | kAttrNormal;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Splits at separators that start a character, so that a GBK trail byte 0x5C
// never splits a name.
std::vector<std::string> SplitParts(const std::string& path, std::size_t from) {
  std::vector<std::string> parts(1);
  for (std::size_t i = from; i < path.size(); i += mbcs::CharLength(path, i)) {
    if (IsSeparator(path[i])) {
      parts.emplace_back();
    } else {
      parts.back().append(path, i, mbcs::CharLength(path, i));
    }
  }
  return parts;
}

// Position of the last separator that starts a character, or npos.
std::size_t LastSeparator(const std::string& path) {
  std::size_t last = std::string::npos;
  for (std::size_t i = 0; i < path.size(); i += mbcs::CharLength(path, i)) {
    if (IsSeparator(path[i])) last = i;
  }
  return last;
}

bool HasDrive(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

bool HasWildcard(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

// Characters Windows refuses in a name (wildcards included).
bool IsValidName(const std::string& name) {
  for (std::size_t i = 0; i < name.size(); i += mbcs::CharLength(name, i)) {
    if (mbcs::CharLength(name, i) == 1 && std::string("<>:\"|?*").find(name[i]) != std::string::npos) return false;
  }
  return true;
}

// Windows drops trailing dots and spaces of a name: "a." and "a " mean "a".
std::string TrimName(std::string name) {
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  return name;
}

// Wildcard match of whole names, ignoring case; '?' stands for one character.
bool GlobMatch(const std::string& pattern, std::size_t p, const std::string& name, std::size_t n) {
  while (p < pattern.size()) {
    if (pattern[p] == '*') {
      for (std::size_t k = n;; k += mbcs::CharLength(name, k)) {
        if (GlobMatch(pattern, p + 1, name, k)) return true;
        if (k >= name.size()) return false;
      }
    }
    if (n >= name.size()) return false;
    std::size_t pl = mbcs::CharLength(pattern, p), nl = mbcs::CharLength(name, n);
    if (!(pattern[p] == '?' && pl == 1) && pattern.compare(p, pl, name, n, nl) != 0) return false;
    p += pl;
    n += nl;
  }
  return n == name.size();
}

// "*.*" matches every name, "abc.*" also "abc": a trailing ".*" may match
// nothing at all, as in FindFirstFile.
bool MatchesPattern(const std::string& pattern, const std::string& name) {
  std::string upperPattern = mbcs::ToUpper(pattern), upperName = mbcs::ToUpper(name);
  if (GlobMatch(upperPattern, 0, upperName, 0)) return true;
  std::size_t size = upperPattern.size();
  return size >= 2 && upperPattern.compare(size - 2, 2, ".*") == 0 &&
         GlobMatch(upperPattern.substr(0, size - 2), 0, upperName, 0);
}

// A path Windows would refuse outright: too long, or with a forbidden character.
Status Unusable(const std::string& path) {
  return Status(path.size() > kMaxPathBytes ? kErrorFilenameTooLong : kErrorInvalidName);
}

FindHandle ToHandle(std::uintptr_t id) { return reinterpret_cast<FindHandle>(id); }
std::uintptr_t FromHandle(FindHandle handle) { return reinterpret_cast<std::uintptr_t>(handle); }

}  // namespace

MemoryFiles::MemoryFiles() { AddDrive('C'); }

std::optional<MemoryFiles::Resolved> MemoryFiles::Resolve(const std::string& path) const {
  if (path.empty() || path.size() > kMaxPathBytes) return std::nullopt;
  Resolved out;
  std::vector<std::string> parts;
  std::size_t rest = 0;
  if (HasDrive(path)) {
    std::string drive = mbcs::ToUpper(path.substr(0, 2));
    rest = 2;
    bool sameDrive = mbcs::EqualsNoCase(currentDirectory_.substr(0, 2), drive);
    if (rest < path.size() && IsSeparator(path[rest])) {
      parts = {drive};
    } else if (sameDrive && currentDirectory_ != path) {
      std::optional<Resolved> current = Resolve(currentDirectory_);
      if (!current) return std::nullopt;
      parts = current->parts;
    } else {
      parts = {drive};
    }
  } else if (IsSeparator(path[0])) {
    if (path.size() > 1 && IsSeparator(path[1])) return std::nullopt;  // no network paths
    parts = {mbcs::ToUpper(currentDirectory_.substr(0, 2))};
  } else {
    if (currentDirectory_ == path) return std::nullopt;
    std::optional<Resolved> current = Resolve(currentDirectory_);
    if (!current) return std::nullopt;
    parts = current->parts;
  }
  for (std::string& part : SplitParts(path, rest)) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (parts.size() > 1) parts.pop_back();
      continue;
    }
    part = TrimName(part);
    if (part.empty()) continue;
    if (!IsValidName(part)) return std::nullopt;
    parts.push_back(part);
  }
  out.parts = std::move(parts);
  std::size_t last = LastSeparator(path);
  out.folderOnly = last != std::string::npos && last + 1 == path.size();
  return out;
}

std::string MemoryFiles::Key(const std::vector<std::string>& parts) {
  std::string key;
  for (const std::string& part : parts) {
    if (!key.empty()) key += '\\';
    key += part;
  }
  return mbcs::ToUpper(key);
}

const MemoryFiles::Node* MemoryFiles::Find(const Resolved& path) const {
  auto it = nodes_.find(Key(path.parts));
  if (it == nodes_.end()) return nullptr;
  if (path.folderOnly && !it->second.IsFolder()) return nullptr;
  return &it->second;
}

MemoryFiles::Node* MemoryFiles::Find(const Resolved& path) {
  return const_cast<Node*>(static_cast<const MemoryFiles*>(this)->Find(path));
}

std::vector<const MemoryFiles::Node*> MemoryFiles::Children(const std::string& key) const {
  std::vector<const Node*> children;
  for (const auto& [childKey, node] : nodes_) {
    if (node.parent == key) children.push_back(&node);
  }
  std::sort(children.begin(), children.end(), [](const Node* a, const Node* b) { return a->order < b->order; });
  return children;
}

MemoryFiles::Node& MemoryFiles::Insert(const std::vector<std::string>& parts, std::uint32_t attributes) {
  Node& node = nodes_[Key(parts)];
  node.name = parts.back();
  node.parent = parts.size() > 1 ? Key({parts.begin(), parts.end() - 1}) : std::string();
  node.attributes = attributes;
  node.content.clear();
  node.order = nextOrder_++;
  return node;
}

bool MemoryFiles::EnsureFolders(const std::vector<std::string>& parts, std::size_t count) {
  for (std::size_t n = 1; n <= count; ++n) {
    std::vector<std::string> prefix(parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(n));
    auto it = nodes_.find(Key(prefix));
    if (it == nodes_.end()) {
      if (n == 1) return false;  // drives are not made on the fly
      Insert(prefix, kAttrDirectory);
    } else if (!it->second.IsFolder()) {
      return false;
    }
  }
  return true;
}

void MemoryFiles::RemoveTree(const std::string& key) {
  for (const Node* child : Children(key)) RemoveTree(Key({child->parent, child->name}));
  nodes_.erase(key);
}

FindHandle MemoryFiles::FindFirst(const std::string& pattern, FindData* data) {
  if (pattern.size() > kMaxPathBytes) return nullptr;
  std::size_t last = LastSeparator(pattern);
  if (last != std::string::npos && last + 1 == pattern.size()) return nullptr;
  std::size_t nameStart = last != std::string::npos ? last + 1 : (HasDrive(pattern) ? 2 : 0);
  std::string namePattern = pattern.substr(nameStart);
  Listing listing;
  if (!HasWildcard(namePattern)) {
    std::optional<Resolved> path = Resolve(pattern);
    const Node* node = path && path->parts.size() > 1 ? Find(*path) : nullptr;
    if (!node) return nullptr;
    listing.entries.push_back({node->attributes, node->content.size(), node->name});
  } else {
    std::string folderText = pattern.substr(0, nameStart);
    std::optional<Resolved> folder = Resolve(folderText.empty() ? currentDirectory_ : folderText);
    const Node* node = folder ? Find(*folder) : nullptr;
    if (!node || !node->IsFolder()) return nullptr;
    std::string key = Key(folder->parts);
    if (folder->parts.size() > 1) {
      std::vector<std::string> parentParts(folder->parts.begin(), folder->parts.end() - 1);
      const std::pair<const char*, std::uint32_t> dots[] = {
          {".", node->attributes}, {"..", nodes_.at(Key(parentParts)).attributes}};
      for (const auto& [name, attributes] : dots) {
        if (MatchesPattern(namePattern, name)) listing.entries.push_back({attributes, 0, name});
      }
    }
    for (const Node* child : Children(key)) {
      if (MatchesPattern(namePattern, child->name))
        listing.entries.push_back({child->attributes, child->content.size(), child->name});
    }
    if (listing.entries.empty()) return nullptr;
  }
  *data = listing.entries[0];
  listing.next = 1;
  std::uintptr_t id = nextListing_++;
  listings_[id] = std::move(listing);
  return ToHandle(id);
}

bool MemoryFiles::FindNext(FindHandle handle, FindData* data) {
  auto it = listings_.find(FromHandle(handle));
  if (it == listings_.end() || it->second.next >= it->second.entries.size()) return false;
  *data = it->second.entries[it->second.next++];
  return true;
}

void MemoryFiles::FindClose(FindHandle handle) { listings_.erase(FromHandle(handle)); }

bool MemoryFiles::GetAttributes(const std::string& path, std::uint32_t* attributes) {
  std::optional<Resolved> resolved = Resolve(path);
  const Node* node = resolved ? Find(*resolved) : nullptr;
  if (!node) return false;
  *attributes = node->attributes;
  return true;
}

Status MemoryFiles::SetAttributes(const std::string& path, std::uint32_t attributes) {
  std::optional<Resolved> resolved = Resolve(path);
  if (!resolved) return Unusable(path);
  Node* node = Find(*resolved);
  if (!node) return Status(kErrorFileNotFound);
  if (node->IsFolder()) {
    node->attributes = (attributes & ~kFolderDropsBits) | kAttrDirectory;
  } else {
    node->attributes = attributes & ~kFileDropsBits;
    if (node->attributes == 0) node->attributes = kAttrNormal;
  }
  return Status::Ok();
}

Status MemoryFiles::CopyFile(const std::string& source, const std::string& destination) {
  std::optional<Resolved> from = Resolve(source), to = Resolve(destination);
  if (!from) return Unusable(source);
  if (!to) return Unusable(destination);
  if (to->parts.size() < 2 || to->folderOnly) return Status(kErrorAccessDenied);
  std::string toKey = Key(to->parts);
  const Node* original = Find(*from);
  if (!original) return Status(kErrorFileNotFound);
  if (original->IsFolder()) return Status(kErrorAccessDenied);
  if (Key(from->parts) == toKey) return Status(kErrorSharingViolation);
  auto parent = nodes_.find(Key({to->parts.begin(), to->parts.end() - 1}));
  if (parent == nodes_.end() || !parent->second.IsFolder()) return Status(kErrorPathNotFound);
  Node* existing = Find(*to);
  if (existing && (existing->IsFolder() || (existing->attributes & kAttrReadOnly))) return Status(kErrorAccessDenied);
  Node copy = *original;
  Node& target = existing ? *existing : Insert(to->parts, 0);
  target.attributes = copy.attributes;
  target.content = copy.content;
  copies_.push_back({source, destination});
  return Status::Ok();
}

Status MemoryFiles::CreateDirectory(const std::string& path) {
  std::optional<Resolved> resolved = Resolve(path);
  if (!resolved) return Unusable(path);
  std::string key = Key(resolved->parts);
  if (nodes_.count(key)) return Status(kErrorAlreadyExists);
  if (resolved->parts.size() < 2) return Status(kErrorPathNotFound);  // a drive that is not there
  auto parent = nodes_.find(Key({resolved->parts.begin(), resolved->parts.end() - 1}));
  if (parent == nodes_.end() || !parent->second.IsFolder()) return Status(kErrorPathNotFound);
  Insert(resolved->parts, kAttrDirectory);
  return Status::Ok();
}

bool MemoryFiles::Exists(const std::string& path) {
  std::optional<Resolved> resolved = Resolve(path);
  return resolved && Find(*resolved);
}

Status MemoryFiles::Missing(const Resolved& path) const {
  auto parent = nodes_.find(Key({path.parts.begin(), path.parts.end() - 1}));
  return Status(parent != nodes_.end() && parent->second.IsFolder() ? kErrorFileNotFound : kErrorPathNotFound);
}

Status MemoryFiles::DeleteFile(const std::string& path) {
  std::optional<Resolved> resolved = Resolve(path);
  if (!resolved) return Unusable(path);
  Node* node = Find(*resolved);
  if (!node) return Missing(*resolved);
  if (node->IsFolder() || (node->attributes & kAttrReadOnly)) return Status(kErrorAccessDenied);
  nodes_.erase(Key(resolved->parts));
  return Status::Ok();
}

Status MemoryFiles::DeleteAtRestart(const std::string& path) {
  std::optional<Resolved> resolved = Resolve(path);
  if (!resolved) return Unusable(path);
  if (!Find(*resolved)) return Missing(*resolved);
  atRestart_.push_back(path);
  return Status::Ok();
}

Status MemoryFiles::RemoveDirectory(const std::string& path) {
  std::optional<Resolved> resolved = Resolve(path);
  if (!resolved) return Unusable(path);
  if (resolved->parts.size() < 2) return Status(kErrorAccessDenied);  // a drive
  Node* node = Find(*resolved);
  if (!node) return Missing(*resolved);
  if (!node->IsFolder()) return Status(kErrorDirectory);
  const std::string key = Key(resolved->parts);
  if (!Children(key).empty()) return Status(kErrorDirNotEmpty);
  nodes_.erase(key);
  return Status::Ok();
}

Status MemoryFiles::ReadFile(const std::string& path, std::size_t limit, std::string* content) {
  std::optional<Resolved> resolved = Resolve(path);
  if (!resolved) return Unusable(path);
  const Node* node = Find(*resolved);
  if (!node) return Missing(*resolved);
  if (node->IsFolder()) return Status(kErrorAccessDenied);
  if (node->content.size() > limit) return Status(kErrorFileTooLarge);
  *content = node->content;
  return Status::Ok();
}

Status MemoryFiles::WriteFile(const std::string& path, const std::string& content) {
  std::optional<Resolved> resolved = Resolve(path);
  if (!resolved) return Unusable(path);
  if (resolved->parts.size() < 2 || resolved->folderOnly) return Status(kErrorAccessDenied);
  auto parent = nodes_.find(Key({resolved->parts.begin(), resolved->parts.end() - 1}));
  if (parent == nodes_.end() || !parent->second.IsFolder()) return Status(kErrorPathNotFound);
  Node* existing = Find(*resolved);
  if (existing && (existing->IsFolder() || (existing->attributes & kAttrReadOnly))) return Status(kErrorAccessDenied);
  Node& node = existing ? *existing : Insert(resolved->parts, kAttrArchive);
  node.content = content;
  return Status::Ok();
}

void MemoryFiles::AddDrive(char letter) {
  std::string drive = mbcs::ToUpper(std::string(1, letter) + ":");
  if (!nodes_.count(drive)) Insert({drive}, kAttrDirectory);
}

bool MemoryFiles::AddFolder(const std::string& path, std::uint32_t attributes) {
  std::optional<Resolved> resolved = Resolve(path);
  if (!resolved || !EnsureFolders(resolved->parts, resolved->parts.size())) return false;
  nodes_.at(Key(resolved->parts)).attributes = attributes | kAttrDirectory;
  return true;
}

bool MemoryFiles::AddFile(const std::string& path, const std::string& content, std::uint32_t attributes) {
  std::optional<Resolved> resolved = Resolve(path);
  if (!resolved || resolved->folderOnly || resolved->parts.size() < 2) return false;
  if (!EnsureFolders(resolved->parts, resolved->parts.size() - 1)) return false;
  Node* existing = Find(*resolved);
  if (existing && existing->IsFolder()) return false;
  Node& node = existing ? *existing : Insert(resolved->parts, 0);
  node.attributes = attributes & ~kAttrDirectory;
  node.content = content;
  return true;
}

bool MemoryFiles::Remove(const std::string& path) {
  std::optional<Resolved> resolved = Resolve(path);
  if (!resolved || resolved->parts.size() < 2 || !Find(*resolved)) return false;
  RemoveTree(Key(resolved->parts));
  return true;
}

std::optional<std::string> MemoryFiles::Content(const std::string& path) const {
  std::optional<Resolved> resolved = Resolve(path);
  const Node* node = resolved ? Find(*resolved) : nullptr;
  if (!node || node->IsFolder()) return std::nullopt;
  return node->content;
}

std::string* MemoryFiles::MutableContent(const std::string& path) {
  std::optional<Resolved> resolved = Resolve(path);
  Node* node = resolved ? Find(*resolved) : nullptr;
  return node && !node->IsFolder() ? &node->content : nullptr;
}

}  // namespace platform
