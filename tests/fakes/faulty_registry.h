// A registry shim that fails on purpose, stacked over any registry (the
// in-memory one natively, the real one under Wine), as SQLite stacks its test
// VFSes over the real one: writes refused as without administrator rights,
// keys that cannot be opened, names that cannot be read, keys removed by
// someone else in the middle of a walk, texts that GBK cannot express.
// Everything else passes through unchanged.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace platform {

class FaultyRegistry : public ForwardingRegistry {
 public:
  explicit FaultyRegistry(Registry& inner) : ForwardingRegistry(inner) {}

  // Faults. `path` names a key below the hive root; "" is the root itself.
  // Creating keys and writing or deleting keys and values at or below `path`
  // fails with kErrorAccessDenied: an existing key still opens through
  // Create, but nothing can be changed in it.
  void DenyWrites(Hive hive, const std::string& path);
  // The key is listed by its parent but cannot be opened or created.
  void DenyOpen(Hive hive, const std::string& path);
  // Asking the key's number of sub-keys fails.
  void FailSubkeyCount(Hive hive, const std::string& path);
  // Reading the name of the key's sub-key `index` fails.
  void FailEnumAt(Hive hive, const std::string& path, std::uint32_t index);
  // The key and everything below it are deleted right after its parent has
  // delivered its name, as if another program deleted it at that moment.
  void VanishWhenListed(Hive hive, const std::string& path);
  // Value `name` of the key reads as text GBK cannot express.
  void MakeNotGbk(Hive hive, const std::string& path, const std::string& name);
  void ClearFaults() { faults_.clear(); }

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
  void Close(RegKey key) override;

 private:
  enum class Kind { DenyWrites, DenyOpen, FailSubkeyCount, FailEnumAt, VanishWhenListed, NotGbk };
  struct Fault {
    Kind kind;
    Hive hive;
    std::string path;  // upper-cased components joined by single backslashes
    std::uint32_t index = 0;
    std::string valueName;
  };
  // Where a handle this shim handed out stands.
  struct Where {
    Hive hive;
    std::string path;
  };

  void Add(Kind kind, Hive hive, const std::string& path, std::uint32_t index = 0, const std::string& name = "");
  bool Has(Kind kind, const Where& where, std::uint32_t index = 0, const std::string& name = "") const;
  bool WritesDenied(const Where& where) const;
  const Where* Find(RegKey key) const;
  // `path` below `parent`, level by level: each level's place.
  std::vector<Where> Levels(const Where& parent, const std::string& path) const;
  RegKey Opened(RegKey key, const Where& where);
  RegKey OpenWith(RegKey parent, const std::string& path, bool forReading);
  void DeleteTree(RegKey parent, const std::string& name);

  std::vector<Fault> faults_;
  // The real registry hands out the same predefined handle for every opening
  // of a hive root, so handles are counted.
  struct Handle {
    Where where;
    int count = 0;
  };
  std::map<RegKey, Handle> handles_;
};

}  // namespace platform
