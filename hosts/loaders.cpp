// Loader registration: the application key under each product key that makes
// AutoCAD load the add-on's module when it starts.
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "hosts/acad_hosts.h"
#include "platform/mbcs.h"

using platform::GetRegistry;
using platform::Hive;
using platform::Registry;
using platform::ScopedKey;
using platform::Status;

namespace {

// Releases that load one module file form a generation, named by its own
// year; indexed by release slot.
constexpr int kModuleGeneration[kReleaseCount] = {
    2008, 2008, 2008,        // 2007-2009
    2010, 2010, 2010,        // 2010-2012
    2013, 2013,              // 2013-2014
    2015, 2015,              // 2015-2016
    2017, 2018,              // 2017, 2018
    2019, 2019,              // 2019-2020
    2021, 2021, 2021, 2021,  // 2021-2024
};

// AutoCAD's flag for "load when AutoCAD starts".
constexpr std::uint32_t kLoadOnStartup = 2;

std::string ModuleName(int generation) { return "ZV_BatchPlot" + mbcs::Decimal(generation) + ".ARX"; }

std::optional<platform::StoredValue> ReadBefore(Registry& registry, platform::RegKey key, const char* name) {
  platform::StoredValue value;
  if (platform::ReadValue(registry, key, name, &value) != platform::QueryResult::Ok) return std::nullopt;
  return value;
}

// What a loader key held before the install replaced it; where it was not
// there, how many of the keys down to it are missing.
LoaderChange ReadLoaderKey(Registry& registry, platform::RegKey root, const std::string& keyPath) {
  LoaderChange before;
  ScopedKey application(registry, registry.OpenRead(root, keyPath));
  if (!application) {
    std::string above = keyPath;
    do {
      ++before.createdLevels;
      above = mbcs::FolderOf(above);
    } while (before.createdLevels < kMaxUserLoaderLevels && !above.empty() &&
             !ScopedKey(registry, registry.OpenRead(root, above)));
    return before;
  }
  before.loadCtrls = ReadBefore(registry, application.get(), "LOADCTRLS");
  before.loader = ReadBefore(registry, application.get(), "LOADER");
  return before;
}

}  // namespace

std::vector<std::string> ProductKeysOf(const std::vector<std::string>& loaderKeyPaths) {
  std::vector<std::string> keys;
  for (const std::string& path : loaderKeyPaths) {
    if (!IsLoaderKeyPath(path)) continue;
    const std::string product = mbcs::FolderOf(mbcs::FolderOf(path));
    if (std::none_of(keys.begin(), keys.end(), [&](const std::string& key) { return mbcs::EqualsNoCase(key, product); }))
      keys.push_back(product);
  }
  return keys;
}

bool IsLoaderKeyPath(const std::string& keyPath) {
  constexpr std::size_t kYearDigits = 4;
  if (keyPath.size() < kYearDigits) return false;
  const std::string_view path(keyPath), year = path.substr(path.size() - kYearDigits);
  return std::all_of(year.begin(), year.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
         mbcs::EndsWithNoCase(path.substr(0, path.size() - kYearDigits),
                              std::string("\\") + kApplicationsKey + "\\" + kLoaderKeyPrefix);
}

bool LoaderPointsInto(const std::string& loader, const std::string& installDir) {
  std::string folder = installDir;
  mbcs::DropTrailingBackslash(folder);
  folder += '\\';
  return loader.size() > folder.size() && mbcs::StartsWithNoCase(loader, folder);
}

std::vector<std::string> LoaderModuleNames() {
  std::vector<std::string> names;
  for (int generation : kModuleGeneration) {
    const std::string name = ModuleName(generation);
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
  return names;
}

LoaderRegistration CAcadHosts::RegisterLoaders(const ReleaseFlags& ticked, TrustedPathsFor trusted) {
  LoaderRegistration registration;
  for (int slot = 0; slot < kReleaseCount; ++slot) {
    if (ticked[slot] == 0) continue;
    for (LoaderWrite& write : RegisterLoader(kFirstReleaseYear + slot))
      registration.loaders.push_back(std::move(write));
  }
  if (trusted == TrustedPathsFor::CurrentUser) registration.trustedPaths = AddTrustedPath();
  return registration;
}

std::vector<LoaderWrite> CAcadHosts::RegisterLoader(int year) {
  std::vector<LoaderWrite> writes;
  if (year < kFirstReleaseYear || year > kLastReleaseYear) return writes;
  const int slot = year - kFirstReleaseYear;
  const std::vector<std::string>& keys = productKeys[slot];
  const std::string applicationKey = "Applications\\ZV_BatchPlot" + mbcs::Decimal(year);
  // The user's keys of a product lie below the same path as its
  // installation's, in the one view HKEY_CURRENT_USER has.
  const bool user = loaderHive == Hive::CurrentUser;
  const auto keyPathOf = [&](const std::string& productKey) {
    return (user ? RegistryViewOf(productKey, kOwnRegistryView).path : productKey) + applicationKey;
  };
  LoaderWrite write;
  write.loadCtrls = kLoadOnStartup;
  write.loader = installDir + "\\" + ModuleName(kModuleGeneration[slot]);
  // A cut-off folder would make AutoCAD look for the module somewhere else;
  // the install refuses such a folder before it gets here.
  if (installDir.size() > kMaxInstallDirBytes) {
    for (const std::string& productKey : keys) {
      write.keyPath = keyPathOf(productKey);
      write.loaderStatus = Status(platform::kErrorFilenameTooLong);
      writes.push_back(write);
    }
    return writes;
  }

  Registry& registry = GetRegistry();
  ScopedKey root(registry, registry.OpenHive(loaderHive));
  for (const std::string& productKey : keys) {
    write.keyPath = keyPathOf(productKey);
    write.before = LoaderChange();
    const auto notWritten = [&](Status why) {
      write.loadCtrlsStatus = why;
      write.loaderStatus = why;
      writes.push_back(write);
    };
    // Removed since discovery (AutoCAD uninstalled meanwhile): nothing to
    // register under, and the ticked release gets no loader. A user who has
    // not yet started that AutoCAD has no product key of his own: it is made.
    if (!user && !ScopedKey(registry, registry.Open(root.get(), productKey))) {
      notWritten(Status(platform::kErrorFileNotFound));
      continue;
    }
    write.before = ReadLoaderKey(registry, root.get(), write.keyPath);
    write.before.hive = loaderHive;
    write.loadCtrlsStatus = Status::Ok();
    write.loaderStatus = Status::Ok();
    if (journal) journal->BeforeLoader(write);
    // A previous registration is replaced, so only our two values remain;
    // one that has sub-keys survives the delete and is overwritten.
    (void)registry.DeleteKey(root.get(), write.keyPath);
    Status created;
    ScopedKey application(registry, registry.Create(root.get(), write.keyPath, &created));
    if (!application) {
      notWritten(created);
      continue;
    }
    write.loadCtrlsStatus = registry.SetValue(application.get(), "LOADCTRLS", platform::kRegDword, &write.loadCtrls,
                                              sizeof write.loadCtrls);
    write.loaderStatus = registry.SetValue(application.get(), "LOADER", platform::kRegSz, write.loader.data(),
                                           static_cast<std::uint32_t>(write.loader.size()));
    writes.push_back(write);
  }
  return writes;
}
