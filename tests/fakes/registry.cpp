#include "tests/fakes/registry.h"

#include <algorithm>
#include <cstring>

#include "platform/mbcs.h"

namespace platform {
namespace {

std::string ChildUpperPath(const std::string& parentPath, const std::string& name) {
  return parentPath.empty() ? mbcs::ToUpper(name) : parentPath + "\\" + mbcs::ToUpper(name);
}

}  // namespace

struct MemoryRegistry::Node {
  std::string name;  // as created
  std::string upperPath;  // from the hive root, upper-cased
  Hive hive = Hive::LocalMachine;
  Node* parent = nullptr;
  bool deleted = false;
  std::vector<std::shared_ptr<Node>> children;  // in enumeration order
  std::vector<std::pair<std::string, StoredValue>> values;

  std::shared_ptr<Node> Child(const std::string& childName) const {
    for (const auto& child : children)
      if (mbcs::EqualsNoCase(child->name, childName)) return child;
    return nullptr;
  }

  std::shared_ptr<Node> AddChild(const std::string& childName) {
    auto child = std::make_shared<Node>();
    child->name = childName;
    child->upperPath = ChildUpperPath(upperPath, childName);
    child->hive = hive;
    child->parent = this;
    // Wine's order (see Registry::EnumSubkey): lower-cased names, compared
    // as unsigned bytes, which is Wine's order for ASCII names.
    std::string key = mbcs::ToLower(childName);
    auto at = std::find_if(children.begin(), children.end(),
                           [&](const std::shared_ptr<Node>& c) { return key < mbcs::ToLower(c->name); });
    children.insert(at, child);
    return child;
  }

  // Handles still open on a removed key see it as deleted, as on Windows.
  void MarkDeleted() {
    deleted = true;
    for (auto& child : children) child->MarkDeleted();
    children.clear();
  }

  StoredValue* Value(const std::string& valueName) {
    for (auto& value : values)
      if (mbcs::EqualsNoCase(value.first, valueName)) return &value.second;
    return nullptr;
  }
};

namespace {

bool IsText(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

// Splits a key path at its backslashes, never at the trail byte of a
// double-byte character. One trailing backslash is allowed; any other empty
// component makes the path invalid, as does text that is not GBK.
bool SplitPath(const std::string& path, std::vector<std::string>* parts) {
  parts->clear();
  if (!mbcs::IsWellFormed(path)) return false;
  std::string current;
  for (std::size_t i = 0; i < path.size();) {
    std::size_t n = mbcs::CharLength(path, i);
    if (n == 1 && path[i] == '\\') {
      if (current.empty()) return false;
      parts->push_back(current);
      current.clear();
    } else {
      current.append(path, i, n);
    }
    i += n;
  }
  if (!current.empty()) parts->push_back(current);
  return true;
}

}  // namespace

MemoryRegistry::MemoryRegistry() {
  for (Hive hive : {Hive::LocalMachine, Hive::CurrentUser, Hive::Users}) {
    auto root = std::make_shared<Node>();
    root->hive = hive;
    hives_[static_cast<int>(hive)] = root;
  }
}

MemoryRegistry::~MemoryRegistry() = default;

MemoryRegistry::Node* MemoryRegistry::Lookup(RegKey key) const {
  auto it = handles_.find(key);
  if (it == handles_.end() || it->second->deleted) return nullptr;
  return it->second.get();
}

RegKey MemoryRegistry::NewHandle(const std::shared_ptr<Node>& node) {
  RegKey key = reinterpret_cast<RegKey>(nextHandle_);
  nextHandle_ += 4;
  handles_[key] = node;
  return key;
}

RegKey MemoryRegistry::OpenHive(Hive hive) { return NewHandle(hives_[static_cast<int>(hive)]); }

RegKey MemoryRegistry::OpenPath(RegKey parent, const std::string& path) {
  auto it = handles_.find(parent);
  if (it == handles_.end() || it->second->deleted) return nullptr;
  std::vector<std::string> parts;
  if (!SplitPath(path, &parts)) return nullptr;
  std::shared_ptr<Node> node = it->second;
  for (const std::string& part : parts) {
    node = node->Child(part);
    if (!node) return nullptr;
  }
  return NewHandle(node);
}

RegKey MemoryRegistry::Open(RegKey parent, const std::string& path) { return OpenPath(parent, path); }
RegKey MemoryRegistry::OpenRead(RegKey parent, const std::string& path) { return OpenPath(parent, path); }

bool MemoryRegistry::SubkeyCount(RegKey key, std::uint32_t* count) {
  Node* node = Lookup(key);
  if (!node) return false;
  *count = static_cast<std::uint32_t>(node->children.size());
  return true;
}

bool MemoryRegistry::EnumSubkey(RegKey key, std::uint32_t index, char* buffer, std::uint32_t bufferSize) {
  Node* node = Lookup(key);
  if (!node || index >= node->children.size()) return false;
  std::shared_ptr<Node> child = node->children[index];
  if (child->name.size() + 1 > bufferSize) return false;
  std::memcpy(buffer, child->name.c_str(), child->name.size() + 1);
  return true;
}

QueryResult MemoryRegistry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type, void* data,
                                       std::uint32_t* size) {
  Node* node = Lookup(key);
  if (!node || (data && !size)) return QueryResult::NotFound;
  StoredValue* value = node->Value(name);
  if (!value) return QueryResult::NotFound;
  std::string delivered = value->bytes;
  if (IsText(value->type) && (delivered.empty() || delivered.back() != '\0')) delivered.push_back('\0');
  return Deliver(QueryResult::Ok, value->type, delivered, type, data, size);
}

QueryResult MemoryRegistry::QueryStored(RegKey key, const std::string& name, StoredValue* value) {
  Node* node = Lookup(key);
  const StoredValue* stored = node ? node->Value(name) : nullptr;
  if (!stored) return QueryResult::NotFound;
  *value = *stored;
  return QueryResult::Ok;
}

RegKey MemoryRegistry::Create(RegKey parent, const std::string& path, Status* status) {
  auto report = [status](OsError code) -> RegKey {
    if (status) *status = Status(code);
    return nullptr;
  };
  auto it = handles_.find(parent);
  if (it == handles_.end()) return report(kErrorInvalidHandle);
  if (it->second->deleted) return report(kErrorKeyDeleted);
  // Windows has no characters for text that is not GBK.
  if (!mbcs::IsWellFormed(path)) return report(kErrorNoUnicodeTranslation);
  std::vector<std::string> parts;
  if (!SplitPath(path, &parts)) return report(kErrorInvalidParameter);
  std::shared_ptr<Node> node = it->second;
  for (const std::string& part : parts) {
    std::shared_ptr<Node> child = node->Child(part);
    if (!child) child = node->AddChild(part);
    node = child;
  }
  if (status) *status = Status::Ok();
  return NewHandle(node);
}

Status MemoryRegistry::SetValue(RegKey key, const std::string& name, std::uint32_t type, const void* data,
                                std::uint32_t size) {
  Node* node = Lookup(key);
  if (!node) return Status(handles_.count(key) ? kErrorKeyDeleted : kErrorInvalidHandle);
  if (!data && size > 0) return Status(kErrorInvalidParameter);
  StoredValue stored{type, std::string(static_cast<const char*>(data), size)};
  if (!mbcs::IsWellFormed(name) || (IsText(type) && !mbcs::IsWellFormed(stored.bytes)))
    return Status(kErrorNoUnicodeTranslation);
  if (StoredValue* existing = node->Value(name)) {
    *existing = stored;
  } else {
    node->values.emplace_back(name, stored);
  }
  return Status::Ok();
}

Status MemoryRegistry::DeleteKey(RegKey parent, const std::string& path) {
  std::vector<std::string> parts;
  if (!SplitPath(path, &parts) || parts.empty()) return Status(kErrorInvalidParameter);
  RegKey target = OpenPath(parent, path);
  Node* node = Lookup(target);
  Close(target);
  if (!node) return Status(kErrorFileNotFound);
  if (!node->children.empty()) return Status(kErrorAccessDenied);  // what RegDeleteKey says of a key with sub-keys
  auto& siblings = node->parent->children;
  auto it = std::find_if(siblings.begin(), siblings.end(),
                         [&](const std::shared_ptr<Node>& c) { return c.get() == node; });
  std::shared_ptr<Node> keep = *it;
  siblings.erase(it);
  keep->MarkDeleted();
  return Status::Ok();
}

Status MemoryRegistry::DeleteValue(RegKey key, const std::string& name) {
  Node* node = Lookup(key);
  if (!node) return Status(handles_.count(key) ? kErrorKeyDeleted : kErrorInvalidHandle);
  auto it = std::find_if(node->values.begin(), node->values.end(),
                         [&](const auto& value) { return mbcs::EqualsNoCase(value.first, name); });
  if (it == node->values.end()) return Status(kErrorFileNotFound);
  node->values.erase(it);
  return Status::Ok();
}

bool MemoryRegistry::ValueCount(RegKey key, std::uint32_t* count) {
  Node* node = Lookup(key);
  if (!node) return false;
  *count = static_cast<std::uint32_t>(node->values.size());
  return true;
}

void MemoryRegistry::Close(RegKey key) { handles_.erase(key); }

const MemoryRegistry::Node* MemoryRegistry::FindPath(Hive hive, const std::string& path) const {
  std::vector<std::string> parts;
  if (!SplitPath(path, &parts)) return nullptr;
  const Node* node = hives_[static_cast<int>(hive)].get();
  for (const std::string& part : parts) {
    std::shared_ptr<Node> child = node->Child(part);
    if (!child) return nullptr;
    node = child.get();
  }
  return node;
}

std::size_t MemoryRegistry::OpenHandlesAt(Hive hive, const std::string& path) const {
  const std::string upper = mbcs::ToUpper(path);
  return static_cast<std::size_t>(std::count_if(handles_.begin(), handles_.end(), [&](const auto& handle) {
    const Node& node = *handle.second;
    if (node.deleted || node.hive != hive || node.upperPath.compare(0, upper.size(), upper) != 0) return false;
    return node.upperPath.size() == upper.size() || upper.empty() || node.upperPath[upper.size()] == '\\';
  }));
}

std::vector<std::string> MemoryRegistry::Subkeys(Hive hive, const std::string& path) const {
  std::vector<std::string> names;
  if (const Node* node = FindPath(hive, path))
    for (const auto& child : node->children) names.push_back(child->name);
  return names;
}

std::vector<std::pair<std::string, StoredValue>> MemoryRegistry::Values(Hive hive, const std::string& path) const {
  const Node* node = FindPath(hive, path);
  return node ? node->values : std::vector<std::pair<std::string, StoredValue>>();
}

bool MemoryRegistry::KeyExists(Hive hive, const std::string& path) const { return FindPath(hive, path) != nullptr; }

bool MemoryRegistry::Stored(Hive hive, const std::string& path, const std::string& name, StoredValue* value) const {
  const Node* node = FindPath(hive, path);
  if (!node) return false;
  for (const auto& entry : node->values) {
    if (mbcs::EqualsNoCase(entry.first, name)) {
      *value = entry.second;
      return true;
    }
  }
  return false;
}


}  // namespace platform
