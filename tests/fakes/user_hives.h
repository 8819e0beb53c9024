// In-memory user hives for tests: hive files the test lays out, each a list
// of keys with their values, grafted into an in-memory registry below
// HKEY_USERS when loaded and written back when unloaded. It refuses what
// Windows refuses: loading or unloading before the privileges are enabled
// (or with a token that lacks them), a file that is missing, no hive, or in
// use (loaded already, or held by a logged-on user's session), a name that
// is taken, and unloading while a key at or below the hive is open.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/user_hives.h"
#include "tests/fakes/registry.h"

namespace platform {

class MemoryUserHives : public UserHives {
 public:
  explicit MemoryUserHives(MemoryRegistry& registry) : registry_(registry) {}

  Status EnablePrivileges() override;
  Status Load(const std::string& name, const std::string& file) override;
  Status Unload(const std::string& name) override;

  // A key of a hive file: its path below the hive's root ("" for the root)
  // and its values.
  struct Key {
    std::string path;
    std::vector<std::pair<std::string, StoredValue>> values;
  };
  using HiveFile = std::vector<Key>;

  // The test's side. Files are told apart ignoring case, as Windows does.
  void AddHiveFile(const std::string& file, HiveFile keys);
  void AddOtherFile(const std::string& file);  // there, but no hive
  void HoldFile(const std::string& file);      // in use by another process
  void SetPrivilegesHeld(bool held) { held_ = held; }
  // A hive file as it stands (written back at its last unload); null when
  // there is none.
  const HiveFile* File(const std::string& file) const;
  // The names loaded below HKEY_USERS, in the order they were loaded.
  std::vector<std::string> LoadedNames() const;

 private:
  struct StoredFile {
    std::string file;
    bool isHive = true;
    bool held = false;
    HiveFile keys;
  };
  struct LoadedHive {
    std::string name;
    std::string file;
  };
  StoredFile* Find(const std::string& file);
  void Export(const std::string& path, const std::string& below, HiveFile& keys) const;

  MemoryRegistry& registry_;
  bool held_ = true;
  bool enabled_ = false;
  std::vector<StoredFile> files_;
  std::vector<LoadedHive> loaded_;
};

}  // namespace platform
