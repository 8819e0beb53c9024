// Loader registration: the application key under each product key that makes
// AutoCAD load the add-on's module when it starts.
#include <string>

#include "hosts/acad_hosts.h"

using platform::GetRegistry;
using platform::Hive;
using platform::Registry;
using platform::ScopedKey;

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

}  // namespace

int CAcadHosts::RegisterLoaders(const ReleaseFlags& ticked) {
  int failures = 0;
  for (int slot = 0; slot < kReleaseCount; ++slot) {
    if (ticked[slot] != 0) failures += RegisterLoader(kFirstReleaseYear + slot);
  }
  return failures + AddTrustedPath();
}

int CAcadHosts::RegisterLoader(int year) {
  if (year < kFirstReleaseYear || year >= kFirstReleaseYear + kReleaseCount) return 0;
  const int slot = year - kFirstReleaseYear;
  const std::vector<std::string>& keys = productKeys[slot];
  // A cut-off folder would make AutoCAD look for the module somewhere else;
  // the install sequence refuses such a folder before it gets here.
  if (installDir.size() > kMaxInstallDirBytes) return static_cast<int>(keys.size());

  const std::string applicationKey = "Applications\\ZV_BatchPlot" + std::to_string(year);
  const std::string loader = installDir + "\\ZV_BatchPlot" + std::to_string(kModuleGeneration[slot]) + ".ARX";
  Registry& registry = GetRegistry();
  ScopedKey root(registry, registry.OpenHive(Hive::LocalMachine));
  int failures = 0;
  for (const std::string& productKey : keys) {
    ScopedKey product(registry, registry.Open(root.get(), productKey));
    if (!product) continue;  // removed since discovery: nothing to register under
    // A previous registration is replaced, so only our two values remain;
    // one that has sub-keys survives the delete and is overwritten.
    registry.DeleteKey(product.get(), applicationKey);
    ScopedKey application(registry, registry.Create(product.get(), applicationKey));
    if (!application) {
      ++failures;
      continue;
    }
    const std::uint32_t loadCtrls = kLoadOnStartup;
    bool ctrlsWritten =
        registry.SetValue(application.get(), "LOADCTRLS", platform::kRegDword, &loadCtrls, sizeof loadCtrls);
    bool loaderWritten = registry.SetValue(application.get(), "LOADER", platform::kRegSz, loader.data(),
                                           static_cast<std::uint32_t>(loader.size()));
    if (!ctrlsWritten || !loaderWritten) ++failures;
  }
  return failures;
}
