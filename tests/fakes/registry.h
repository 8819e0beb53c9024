// An in-memory registry for tests: three hives of keys and values that behave
// like the Windows registry as the logic sees it (case-insensitive names,
// Windows' enumeration order for ASCII names, texts stored exactly as
// written, names and texts that are not GBK refused as Windows has no
// characters for them). Failures on purpose come from the shim in
// tests/fakes/faulty_registry.h, which works over this and the real one alike.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace platform {

class MemoryRegistry : public Registry {
 public:
  MemoryRegistry();
  ~MemoryRegistry() override;

  RegKey OpenHive(Hive hive) override;
  RegKey Open(RegKey parent, const std::string& path) override;
  RegKey OpenRead(RegKey parent, const std::string& path) override;
  bool SubkeyCount(RegKey key, std::uint32_t* count) override;
  bool EnumSubkey(RegKey key, std::uint32_t index, char* buffer, std::uint32_t bufferSize) override;
  QueryResult QueryValue(RegKey key, const std::string& name, std::uint32_t* type, void* data,
                         std::uint32_t* size) override;
  QueryResult QueryStored(RegKey key, const std::string& name, StoredValue* value) override;
  RegKey Create(RegKey parent, const std::string& path, Status* status = nullptr) override;
  Status SetValue(RegKey key, const std::string& name, std::uint32_t type, const void* data,
                  std::uint32_t size) override;
  Status DeleteKey(RegKey parent, const std::string& path) override;
  Status DeleteValue(RegKey key, const std::string& name) override;
  bool ValueCount(RegKey key, std::uint32_t* count) override;
  void Close(RegKey key) override;

  // Inspection for tests. `path` is below the hive root.
  // The bytes exactly as written, a terminator only if it was passed.
  using StoredValue = platform::StoredValue;
  bool KeyExists(Hive hive, const std::string& path) const;
  bool Stored(Hive hive, const std::string& path, const std::string& name, StoredValue* value) const;
  std::size_t OpenHandles() const { return handles_.size(); }
  // Handles open on the key `path` or on a key below it.
  std::size_t OpenHandlesAt(Hive hive, const std::string& path) const;
  // The sub-keys of `path` in enumeration order, and its values in the order
  // they were first written; nothing when there is no such key.
  std::vector<std::string> Subkeys(Hive hive, const std::string& path) const;
  std::vector<std::pair<std::string, StoredValue>> Values(Hive hive, const std::string& path) const;


 private:
  struct Node;
  Node* Lookup(RegKey key) const;
  RegKey NewHandle(const std::shared_ptr<Node>& node);
  RegKey OpenPath(RegKey parent, const std::string& path);
  const Node* FindPath(Hive hive, const std::string& path) const;

  std::shared_ptr<Node> hives_[3];
  std::map<RegKey, std::shared_ptr<Node>> handles_;
  std::uintptr_t nextHandle_ = 0x1000;
};

}  // namespace platform
