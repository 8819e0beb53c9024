#include "tests/snapshot.h"

#include <gtest/gtest.h>

using platform::Registry;
using platform::ScopedKey;

namespace {

struct HiveName {
  platform::Hive hive;
  const char* name;
};
constexpr HiveName kHives[] = {
    {platform::Hive::LocalMachine, "HKLM"}, {platform::Hive::CurrentUser, "HKCU"}, {platform::Hive::Users, "HKU"}};

std::string Below(const std::string& path, const std::string& name) { return path.empty() ? name : path + "\\" + name; }

void AddKeyState(const platform::MemoryRegistry& registry, platform::Hive hive, const std::string& path,
                 std::vector<MachineState::Key>& keys) {
  keys.push_back({hive, path, registry.Values(hive, path)});
  for (const std::string& name : registry.Subkeys(hive, path)) AddKeyState(registry, hive, Below(path, name), keys);
}

// Every folder and file below `folder` with its attribute word ("<path>\\"
// or "<path>" -> "<attributes>:<content>").
void AddFiles(platform::MemoryFiles& files, const std::string& folder, Picture& picture) {
  platform::FindData entry;
  platform::FindHandle listing = files.FindFirst(folder + "\\*", &entry);
  for (bool more = listing != nullptr; more; more = files.FindNext(listing, &entry)) {
    if (entry.name == "." || entry.name == "..") continue;
    const std::string path = folder + "\\" + entry.name;
    const bool isFolder = (entry.attributes & platform::kAttrDirectory) != 0;
    picture[isFolder ? path + "\\" : path] =
        std::to_string(entry.attributes) + ":" + (isFolder ? std::string() : files.Content(path).value_or("?"));
    if (isFolder) AddFiles(files, path, picture);
  }
  files.FindClose(listing);
}

std::vector<MachineState::Key> KeysOf(const platform::MemoryRegistry& registry) {
  std::vector<MachineState::Key> keys;
  for (const HiveName& hive : kHives) AddKeyState(registry, hive.hive, "", keys);
  return keys;
}

void AddKey(Registry& registry, platform::RegKey parent, const std::string& path, const std::string& shown,
            Picture& picture) {
  ScopedKey key(registry, registry.OpenRead(parent, path));
  if (!key) return;
  picture[shown + "\\"] = "";
  // Values have no enumeration in the service: the names the program and its
  // tests write are looked for.
  static const char* const kNames[] = {
      "AcadLocation", "ProductName", "LOADCTRLS", "LOADER", "TRUSTEDPATHS", "ACAD", "ACADPREFIX", "Other",
      "DisplayName", "DisplayVersion", "Publisher", "InstallLocation", "DisplayIcon", "UninstallString",
      "QuietUninstallString", "EstimatedSize", "InstallDate", "NoModify", "NoRepair"};
  for (const char* name : kNames) {
    platform::StoredValue value;
    if (platform::ReadValue(registry, key.get(), name, &value) != platform::QueryResult::NotFound)
      picture[shown + "\\" + name] = std::to_string(value.type) + ":" + value.bytes;
  }
  std::uint32_t count = 0;
  std::uint32_t values = 0;
  if (registry.ValueCount(key.get(), &values)) picture[shown + "\\"] = "values " + std::to_string(values);
  if (!registry.SubkeyCount(key.get(), &count)) return;
  for (std::uint32_t i = 0; i < count; ++i) {
    char name[platform::kKeyNameBufferBytes];
    if (registry.EnumSubkey(key.get(), i, name, sizeof name)) AddKey(registry, key.get(), name, shown + "\\" + name, picture);
  }
}

}  // namespace

Picture RegistryPicture(Registry& registry, platform::Hive hive, const std::string& path) {
  Picture picture;
  ScopedKey root(registry, registry.OpenHive(hive));
  AddKey(registry, root.get(), path, (hive == platform::Hive::LocalMachine ? "HKLM\\" : "HKCU\\") + path, picture);
  return picture;
}

Picture FilesPicture(platform::Files& files, const std::string& folder) {
  Picture picture;
  platform::FindData entry;
  platform::FindHandle listing = files.FindFirst(folder + "\\*", &entry);
  for (bool more = listing != nullptr; more; more = files.FindNext(listing, &entry)) {
    if (entry.name == "." || entry.name == "..") continue;
    const std::string path = folder + "\\" + entry.name;
    if (entry.attributes & platform::kAttrDirectory) {
      picture[path + "\\"] = "";
      for (const auto& [inner, content] : FilesPicture(files, path)) picture[inner] = content;
    } else {
      std::string content;
      EXPECT_TRUE(files.ReadFile(path, 1u << 24, &content)) << path;
      picture[path] = content;
    }
  }
  files.FindClose(listing);
  return picture;
}

MachineState TakeMachineState(const platform::MemoryRegistry& registry, const platform::MemoryFiles& files) {
  return MachineState{KeysOf(registry), files};
}

FreshMachine::FreshMachine(const MachineState& state) : files(state.disk) {
  for (const MachineState::Key& key : state.keys) {
    ScopedKey root(registry, registry.OpenHive(key.hive));
    ScopedKey made(registry, registry.Create(root.get(), key.path));
    for (const auto& [name, value] : key.values)
      EXPECT_TRUE(registry.SetValue(made.get(), name, value.type, value.bytes.data(),
                                    static_cast<std::uint32_t>(value.bytes.size())))
          << key.path << "\\" << name;
  }
}

Picture MachinePicture(platform::MemoryRegistry& registry, platform::MemoryFiles& files) {
  Picture picture;
  for (const MachineState::Key& key : KeysOf(registry)) {
    const char* hive = "";
    for (const HiveName& known : kHives)
      if (known.hive == key.hive) hive = known.name;
    const std::string shown = key.path.empty() ? std::string(hive) : std::string(hive) + "\\" + key.path;
    picture[shown + "\\"] = "";
    for (const auto& [name, value] : key.values) picture[shown + "\\" + name] = std::to_string(value.type) + ":" + value.bytes;
  }
  for (char drive = 'A'; drive <= 'Z'; ++drive) {
    const std::string root = std::string(1, drive) + ":";
    if (!files.Exists(root + "\\")) continue;
    picture[root + "\\"] = "";
    AddFiles(files, root, picture);
  }
  return picture;
}

std::string Differences(const Picture& before, const Picture& after) {
  std::string out;
  for (const auto& [key, value] : before) {
    const auto found = after.find(key);
    if (found == after.end() || found->second != value) out += "- " + key + ": " + value + "\n";
  }
  for (const auto& [key, value] : after) {
    const auto found = before.find(key);
    if (found == before.end() || found->second != value) out += "+ " + key + ": " + value + "\n";
  }
  return out;
}
