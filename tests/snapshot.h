// Pictures of registry keys and folders, taken through the services, so that
// a test can compare what a machine held before an install with what it
// holds after the uninstall, on the in-memory services and the real ones.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/registry.h"
#include "tests/fakes/append_files.h"
#include "tests/fakes/files.h"
#include "tests/fakes/registry.h"

// Every key below `path` ("<path>\" -> "") and every value
// ("<key>\<name>" -> "<type>:<bytes>"), the key itself included.
using Picture = std::map<std::string, std::string>;

Picture RegistryPicture(platform::Registry& registry, platform::Hive hive, const std::string& path);

// Every folder below `folder` ("<path>\" -> "") and every file ("<path>" ->
// its content). Paths are kept as listed.
Picture FilesPicture(platform::Files& files, const std::string& folder);

// The whole of an in-memory machine at one moment (after a run that died,
// say): every key and value of its registry, and its disk.
struct MachineState {
  struct Key {
    platform::Hive hive;
    std::string path;  // below the hive's root
    std::vector<std::pair<std::string, platform::StoredValue>> values;
  };
  std::vector<Key> keys;  // each after its parent, in enumeration order
  platform::MemoryFiles disk;
};

MachineState TakeMachineState(const platform::MemoryRegistry& registry, const platform::MemoryFiles& files);

// Fresh services over a state, as the next program finds the machine: the
// registry rebuilt with no key open, the disk copied (the copies it lists
// and the deletions due at restart with it), no failure staged.
struct FreshMachine {
  explicit FreshMachine(const MachineState& state);
  FreshMachine(const FreshMachine&) = delete;
  FreshMachine& operator=(const FreshMachine&) = delete;

  platform::MemoryRegistry registry;
  platform::MemoryFiles files;
  platform::MemoryAppendFiles appendFiles{files};
};

// Every key and value of every hive ("HKLM\<path>\" -> "", "HKLM\<path>\<name>"
// -> "<type>:<bytes>") and every folder and file of every drive with its
// attribute word ("C:\<path>\" or "C:\<path>" -> "<attributes>:<content>"):
// the in-memory machine whole, to compare.
Picture MachinePicture(platform::MemoryRegistry& registry, platform::MemoryFiles& files);

// What `after` has that `before` has not ("+ key: value") and what it lost
// ("- key: value"), one a line: empty when they are the same.
std::string Differences(const Picture& before, const Picture& after);
