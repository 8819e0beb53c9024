#include "record/uninstall_entry.h"

#include <vector>

#include "deploy/product.h"
#include "hosts/acad_hosts.h"
#include "platform/mbcs.h"

using platform::Hive;
using platform::Registry;
using platform::ScopedKey;
using platform::Status;

namespace {

constexpr char kPublisher[] = "Zorvel";
constexpr char kInstallLocation[] = "InstallLocation";
constexpr char kQuietSwitch[] = " /S";

struct EntryValue {
  const char* name;
  std::uint32_t type;
  std::string text;  // a REG_DWORD in decimal
};

std::vector<EntryValue> EntryValues(const std::string& installDir, const BuildInfo& build, int installDate,
                                    std::uint32_t estimatedKilobytes) {
  const std::string uninstaller = installDir + "\\" + kUninstallerName;
  return {
      {"DisplayName", platform::kRegSz, kProductName},
      {"DisplayVersion", platform::kRegSz, DisplayVersionOf(build.date)},
      {"Publisher", platform::kRegSz, kPublisher},
      {kInstallLocation, platform::kRegSz, installDir},
      {"DisplayIcon", platform::kRegSz, uninstaller + ",0"},
      {"UninstallString", platform::kRegSz, "\"" + uninstaller + "\""},
      {"QuietUninstallString", platform::kRegSz, "\"" + uninstaller + "\"" + kQuietSwitch},
      {"EstimatedSize", platform::kRegDword, mbcs::Decimal(estimatedKilobytes)},
      {"InstallDate", platform::kRegSz, mbcs::Decimal(installDate)},
      {"NoModify", platform::kRegDword, "1"},
      {"NoRepair", platform::kRegDword, "1"},
  };
}

// The entry's key as this edition reaches it.
std::optional<std::string> KeyPath(const EntryChange& entry, int editionBits) {
  if (entry.hive == Hive::CurrentUser) return std::string(kUninstallKey);
  return PathFrom({entry.view, kUninstallKey}, editionBits);
}

// Writes every value into the key; the status of the first that failed.
Status WriteEntry(Hive hive, const std::vector<EntryValue>& values, InstallEvents& events) {
  Registry& registry = platform::GetRegistry();
  ScopedKey root(registry, registry.OpenHive(hive));
  Status status;
  ScopedKey key(registry, registry.Create(root.get(), kUninstallKey, &status));
  Status first = status;
  for (const EntryValue& value : values) {
    ValueEvent event;
    event.hive = hive;
    event.key = kUninstallKey;
    event.name = value.name;
    event.data = value.text;
    event.status = status;
    if (key) {
      // Other programs read these texts too: unlike AutoCAD's values they are
      // stored with their terminator, as Windows' own tools store them.
      const platform::StoredValue stored = StoredValueOf(value.type, value.text);
      const std::string bytes = value.type == platform::kRegSz ? stored.bytes + '\0' : stored.bytes;
      event.status = registry.SetValue(key.get(), value.name, value.type, bytes.data(),
                                       static_cast<std::uint32_t>(bytes.size()));
    }
    if (first && !event.status) first = event.status;
    events.OnValue(event);
  }
  return first;
}

bool HasValue(Registry& registry, platform::RegKey root, const std::string& path, const char* name) {
  ScopedKey key(registry, registry.OpenRead(root, path));
  platform::StoredValue value;
  return key && platform::ReadValue(registry, key.get(), name, &value) != platform::QueryResult::NotFound;
}

}  // namespace

std::string DisplayVersionOf(int buildDate) {
  return mbcs::Decimal(buildDate / 10000) + "." + mbcs::Decimal(buildDate / 100 % 100) + "." +
         mbcs::Decimal(buildDate % 100);
}

std::optional<EntryChange> RegisterUninstallEntry(const std::string& installDir, const BuildInfo& build,
                                                  int installDate, std::uint32_t estimatedKilobytes,
                                                  InstallEvents& events, Hive hive) {
  const std::vector<EntryValue> values = EntryValues(installDir, build, installDate, estimatedKilobytes);
  if (hive == Hive::LocalMachine && WriteEntry(Hive::LocalMachine, values, events))
    return EntryChange{Hive::LocalMachine, build.editionBits};
  if (WriteEntry(Hive::CurrentUser, values, events)) return EntryChange{Hive::CurrentUser, 0};
  return std::nullopt;
}

std::optional<std::string> EntryInstallLocation(const EntryChange& entry, int editionBits) {
  const std::optional<std::string> path = KeyPath(entry, editionBits);
  if (!path) return std::nullopt;
  Registry& registry = platform::GetRegistry();
  ScopedKey root(registry, registry.OpenHive(entry.hive));
  ScopedKey key(registry, registry.OpenRead(root.get(), *path));
  platform::StoredValue location;
  if (!key || platform::ReadValue(registry, key.get(), kInstallLocation, &location) != platform::QueryResult::Ok ||
      location.type != platform::kRegSz)
    return std::nullopt;
  return location.bytes.substr(0, location.bytes.find('\0'));
}

EntryRemoval RemoveUninstallEntry(const EntryChange& entry, const std::string& installDir, int editionBits,
                                  Status* status) {
  const std::optional<std::string> path = KeyPath(entry, editionBits);
  if (!path) return EntryRemoval::Unreachable;
  Registry& registry = platform::GetRegistry();
  ScopedKey root(registry, registry.OpenHive(entry.hive));
  {
    ScopedKey key(registry, registry.OpenRead(root.get(), *path));
    if (!key) return EntryRemoval::Gone;
  }
  std::optional<std::string> location = EntryInstallLocation(entry, editionBits);
  if (location) mbcs::DropTrailingBackslash(*location);
  std::string folder = installDir;
  mbcs::DropTrailingBackslash(folder);
  // An entry without its location is one an install of ours stopped writing.
  const bool unfinished = !location && !HasValue(registry, root.get(), *path, kInstallLocation);
  if (!unfinished && (!location || !mbcs::EqualsNoCase(*location, folder))) return EntryRemoval::Taken;
  *status = registry.DeleteKey(root.get(), *path);
  return *status ? EntryRemoval::Removed : EntryRemoval::Failed;
}
