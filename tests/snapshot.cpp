#include "tests/snapshot.h"

#include <gtest/gtest.h>

using platform::Registry;
using platform::ScopedKey;

namespace {

void AddKey(Registry& registry, platform::RegKey parent, const std::string& path, const std::string& shown,
            Picture& picture) {
  ScopedKey key(registry, registry.OpenRead(parent, path));
  if (!key) return;
  picture[shown + "\\"] = "";
  // Values have no enumeration in the service: the names the program and its
  // tests write are looked for.
  static const char* const kNames[] = {
      "AcadLocation", "ProductName", "LOADCTRLS", "LOADER", "TRUSTEDPATHS", "ACADPREFIX", "Other",
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
