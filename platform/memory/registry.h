// An in-memory registry for tests: two hives of keys and values that behave
// like the Windows registry as the logic sees it (case-insensitive names,
// Windows' enumeration order for ASCII names, texts stored exactly as
// written), and that can be told to fail the way a real registry does: writes
// refused without administrator rights, keys that cannot be opened, names that
// cannot be read, keys removed by someone else in the middle of a walk.
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
  RegKey Create(RegKey parent, const std::string& path) override;
  bool SetValue(RegKey key, const std::string& name, std::uint32_t type, const void* data,
                std::uint32_t size) override;
  bool DeleteKey(RegKey parent, const std::string& path) override;
  void Close(RegKey key) override;

  // Inspection for tests; no fault applies. `path` is below the hive root.
  struct StoredValue {
    std::uint32_t type = 0;
    std::string bytes;  // exactly as written, terminator only if it was passed
  };
  bool KeyExists(Hive hive, const std::string& path) const;
  bool Stored(Hive hive, const std::string& path, const std::string& name, StoredValue* value) const;
  std::size_t OpenHandles() const { return handles_.size(); }

  // Faults. `path` names a key below the hive root; "" is the root itself.
  // Creating keys and writing or deleting at or below `path` fails, as without
  // administrator rights: an existing key still opens through Create, but
  // nothing can be changed in it.
  void DenyWrites(Hive hive, const std::string& path);
  // The key is listed by its parent but cannot be opened or created.
  void DenyOpen(Hive hive, const std::string& path);
  // Asking the key's number of sub-keys fails.
  void FailSubkeyCount(Hive hive, const std::string& path);
  // Reading the name of the key's sub-key `index` fails.
  void FailEnumAt(Hive hive, const std::string& path, std::uint32_t index);
  // The key and everything below it disappear right after its parent has
  // delivered its name, as if another program deleted it at that moment.
  void VanishWhenListed(Hive hive, const std::string& path);
  // Value `name` of the key reads as text GBK cannot express.
  void MakeNotGbk(Hive hive, const std::string& path, const std::string& name);

 private:
  struct Node;
  enum class FaultKind { DenyWrites, DenyOpen, FailSubkeyCount, FailEnumAt, VanishWhenListed, NotGbk };
  struct Fault {
    FaultKind kind;
    Hive hive;
    std::string path;  // upper-cased, no trailing backslash
    std::uint32_t index = 0;
    std::string valueName;
  };

  void AddFault(FaultKind kind, Hive hive, const std::string& path, std::uint32_t index = 0,
                const std::string& valueName = std::string());
  bool HasFault(FaultKind kind, Hive hive, const std::string& upperPath, std::uint32_t index = 0,
                const std::string& valueName = std::string()) const;
  bool WritesDenied(Hive hive, const std::string& upperPath) const;
  Node* Lookup(RegKey key) const;
  RegKey NewHandle(const std::shared_ptr<Node>& node);
  RegKey OpenPath(RegKey parent, const std::string& path);
  const Node* FindPath(Hive hive, const std::string& path) const;

  std::shared_ptr<Node> hives_[2];
  std::map<RegKey, std::shared_ptr<Node>> handles_;
  std::vector<Fault> faults_;
  std::uintptr_t nextHandle_ = 0x1000;
};

}  // namespace platform
