// Loader registration: the application key under each product key that makes
// AutoCAD load the add-on's module when it starts.
#include <algorithm>
#include <string>

#include "hosts/acad_hosts.h"

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

std::string ModuleName(int generation) { return "ZV_BatchPlot" + std::to_string(generation) + ".ARX"; }

ValueEvent LoaderValue(const std::string& key, const char* name, std::string data, Status status) {
  ValueEvent event;
  event.hive = Hive::LocalMachine;
  event.key = key;
  event.name = name;
  event.data = std::move(data);
  event.status = status;
  return event;
}

}  // namespace

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
  const std::string applicationKey = "Applications\\ZV_BatchPlot" + std::to_string(year);
  const std::string loader = installDir + "\\" + ModuleName(kModuleGeneration[slot]);
  const std::string loadCtrlsText = std::to_string(kLoadOnStartup);
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
    const auto notWritten = [&](Status why) {
      events.OnValue(LoaderValue(keyPath, "LOADCTRLS", loadCtrlsText, why));
      events.OnValue(LoaderValue(keyPath, "LOADER", loader, why));
      ++failures;
    };
    ScopedKey product(registry, registry.Open(root.get(), productKey));
    if (!product) {
      // Removed since discovery (AutoCAD uninstalled meanwhile): nothing to
      // register under, and the ticked release gets no loader.
      notWritten(Status(platform::kErrorFileNotFound));
      continue;
    }
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
    events.OnValue(LoaderValue(keyPath, "LOADCTRLS", loadCtrlsText, ctrlsWritten));
    const Status loaderWritten = registry.SetValue(application.get(), "LOADER", platform::kRegSz, loader.data(),
                                                   static_cast<std::uint32_t>(loader.size()));
    events.OnValue(LoaderValue(keyPath, "LOADER", loader, loaderWritten));
    if (!ctrlsWritten || !loaderWritten) ++failures;
  }
  return failures;
}
