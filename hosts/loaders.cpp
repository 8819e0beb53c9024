// Loader registration: the application key under each product key that makes
// AutoCAD load the add-on's module when it starts.
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

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

// A loader key as it was before the install replaced it.
struct LoaderKeyBefore {
  int createdLevels = 0;  // 1: only the loader key was missing, 2: Applications too
  std::optional<platform::StoredValue> loadCtrls;
  std::optional<platform::StoredValue> loader;
};

std::optional<platform::StoredValue> ReadBefore(Registry& registry, platform::RegKey key, const char* name) {
  platform::StoredValue value;
  if (platform::ReadValue(registry, key, name, &value) != platform::QueryResult::Ok) return std::nullopt;
  return value;
}

LoaderKeyBefore ReadLoaderKey(Registry& registry, platform::RegKey product, const std::string& applicationKey) {
  LoaderKeyBefore before;
  ScopedKey application(registry, registry.OpenRead(product, applicationKey));
  if (!application) {
    ScopedKey applications(registry, registry.OpenRead(product, kApplicationsKey));
    before.createdLevels = applications ? 1 : 2;
    return before;
  }
  before.loadCtrls = ReadBefore(registry, application.get(), "LOADCTRLS");
  before.loader = ReadBefore(registry, application.get(), "LOADER");
  return before;
}

ValueEvent LoaderValue(const std::string& key, const char* name, std::string data, Status status,
                       const LoaderKeyBefore& before = {}) {
  ValueEvent event;
  event.hive = Hive::LocalMachine;
  event.key = key;
  event.name = name;
  event.data = std::move(data);
  event.status = status;
  event.createdLevels = before.createdLevels;
  const std::optional<platform::StoredValue>& previous =
      std::string_view(name) == "LOADER" ? before.loader : before.loadCtrls;
  if (previous) {
    event.previous = ValueText(*previous);
    event.previousType = previous->type;
  }
  return event;
}

}  // namespace

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

int CAcadHosts::RegisterLoaders(const ReleaseFlags& ticked, InstallEvents& events) {
  int failures = 0;
  for (int slot = 0; slot < kReleaseCount; ++slot) {
    if (ticked[slot] != 0) failures += RegisterLoader(kFirstReleaseYear + slot, events);
  }
  return failures + AddTrustedPath(events);
}

int CAcadHosts::RegisterLoader(int year, InstallEvents& events) {
  if (year < kFirstReleaseYear || year > kLastReleaseYear) return 0;
  const int slot = year - kFirstReleaseYear;
  const std::vector<std::string>& keys = productKeys[slot];
  const std::string applicationKey = "Applications\\ZV_BatchPlot" + mbcs::Decimal(year);
  const std::string loader = installDir + "\\" + ModuleName(kModuleGeneration[slot]);
  const std::string loadCtrlsText = mbcs::Decimal(kLoadOnStartup);
  // A cut-off folder would make AutoCAD look for the module somewhere else;
  // the install refuses such a folder before it gets here.
  if (installDir.size() > kMaxInstallDirBytes) {
    for (const std::string& productKey : keys)
      events.OnValue(LoaderValue(productKey + applicationKey, "LOADER", loader,
                                 Status(platform::kErrorFilenameTooLong)));
    return static_cast<int>(keys.size());
  }

  Registry& registry = GetRegistry();
  ScopedKey root(registry, registry.OpenHive(Hive::LocalMachine));
  int failures = 0;
  for (const std::string& productKey : keys) {
    const std::string keyPath = productKey + applicationKey;
    LoaderKeyBefore before;
    const auto notWritten = [&](Status why) {
      events.OnValue(LoaderValue(keyPath, "LOADCTRLS", loadCtrlsText, why, before));
      events.OnValue(LoaderValue(keyPath, "LOADER", loader, why, before));
      ++failures;
    };
    ScopedKey product(registry, registry.Open(root.get(), productKey));
    if (!product) {
      // Removed since discovery (AutoCAD uninstalled meanwhile): nothing to
      // register under, and the ticked release gets no loader.
      notWritten(Status(platform::kErrorFileNotFound));
      continue;
    }
    before = ReadLoaderKey(registry, product.get(), applicationKey);
    // A previous registration is replaced, so only our two values remain;
    // one that has sub-keys survives the delete and is overwritten.
    registry.DeleteKey(product.get(), applicationKey);
    Status created;
    ScopedKey application(registry, registry.Create(product.get(), applicationKey, &created));
    if (!application) {
      notWritten(created);
      continue;
    }
    const std::uint32_t loadCtrls = kLoadOnStartup;
    const Status ctrlsWritten =
        registry.SetValue(application.get(), "LOADCTRLS", platform::kRegDword, &loadCtrls, sizeof loadCtrls);
    events.OnValue(LoaderValue(keyPath, "LOADCTRLS", loadCtrlsText, ctrlsWritten, before));
    const Status loaderWritten = registry.SetValue(application.get(), "LOADER", platform::kRegSz, loader.data(),
                                                   static_cast<std::uint32_t>(loader.size()));
    events.OnValue(LoaderValue(keyPath, "LOADER", loader, loaderWritten, before));
    if (!ctrlsWritten || !loaderWritten) ++failures;
  }
  return failures;
}
