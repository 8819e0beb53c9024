// TRUSTEDPATHS on any stored list: no entry the user had is lost, the folder
// is added once as a whole entry and never again, and a value that is no
// text is left exactly as it was. The input is the install folder, a zero
// byte, the stored value's type, then the stored bytes (kept without a
// terminator, as a program may store them).
#include <string>

#include "hosts/acad_hosts.h"
#include "install/path_rules.h"
#include "platform/mbcs.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "tests/fakes/registry.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

const char kVariables[] = "SOFTWARE\\Autodesk\\AutoCAD\\R24.0\\ACAD-1:804\\Profiles\\P\\Variables";

// How many ';'-separated entries of `list` name `folder`, the way AutoCAD
// reads the list: whole entries, case ignored, one trailing backslash aside.
int EntriesNaming(const std::string& list, std::string folder) {
  mbcs::DropTrailingBackslash(folder);
  int count = 0;
  for (std::string_view piece : mbcs::Split(list, ';')) {
    std::string entry(piece);
    mbcs::DropTrailingBackslash(entry);
    count += mbcs::EqualsNoCase(entry, folder) ? 1 : 0;
  }
  return count;
}

void CheckComposition(const std::string& existing, const std::string& folder) {
  const std::string list = ComposeTrustedPaths(existing, folder);
  if (existing.size() <= 2) {
    FUZZ_CHECK(list == folder);  // two bytes hold no folder: replaced
  } else {
    const std::string kept = mbcs::ToUpper(existing);
    FUZZ_CHECK(list == kept || list == kept + ";" + mbcs::ToUpper(folder));
    FUZZ_CHECK((list == kept) == (EntriesNaming(existing, folder) > 0));
  }
  FUZZ_CHECK(EntriesNaming(list, folder) >= 1);
  // A second install adds nothing.
  FUZZ_CHECK(ComposeTrustedPaths(list, folder) == mbcs::ToUpper(list) || list.size() <= 2);
}

void CheckStoredList(platform::MemoryRegistry& registry, const std::string& stored, std::uint32_t type,
                     const std::string& folder) {
  CAcadHosts hosts;
  hosts.SetInstallDir(folder);
  const int failed = FailuresOf(hosts.AddTrustedPath());

  platform::MemoryRegistry::StoredValue after;
  FUZZ_CHECK(registry.Stored(platform::Hive::CurrentUser, kVariables, "TRUSTEDPATHS", &after));
  FUZZ_CHECK(after.type == type);  // no value changes its type
  if (type == platform::kRegSz || type == platform::kRegExpandSz) {
    FUZZ_CHECK(failed == 0);
    FUZZ_CHECK(after.bytes == ComposeTrustedPaths(stored.substr(0, stored.find('\0')), hosts.installDir));
  } else {
    FUZZ_CHECK(failed == 1 && after.bytes == stored);
  }
  FUZZ_CHECK(registry.OpenHandles() == 0);
}

void CheckRegistry(const std::string& stored, std::uint32_t type, const std::string& folder) {
  platform::MemoryRegistry registry;
  platform::Services services;
  services.registry = &registry;
  platform::UseServices(services);
  platform::Status seeded;
  {
    platform::ScopedKey root(registry, registry.OpenHive(platform::Hive::CurrentUser));
    platform::ScopedKey key(registry, registry.Create(root.get(), kVariables));
    seeded = registry.SetValue(key.get(), "TRUSTEDPATHS", type, stored.data(), static_cast<std::uint32_t>(stored.size()));
  }
  // A text Windows has no characters for cannot be stored at all.
  if (seeded) CheckStoredList(registry, stored, type, folder);
  platform::UseServices({});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  std::string folder = input.Until('\0');
  const std::uint32_t type = input.Byte() % 8;
  const std::string stored = input.Rest();
  // An install folder the folder rules let through; another one would have
  // been refused before the install got here.
  if (CheckFolderForm(folder).fault != PathFault::None) folder = "C:\\Zorvel";
  mbcs::DropTrailingBackslash(folder);
  CheckComposition(stored.substr(0, stored.find('\0')), folder);
  CheckRegistry(stored, type, folder);
  return 0;
}
