// The user's part of an installation, for whoever the current-user services
// mean: the trusted paths of every AutoCAD profile, and the settings file.
#include "hosts/user_part.h"

#include <algorithm>

#include "deploy/file_utils.h"
#include "deploy/payload.h"
#include "hosts/acad_hosts.h"
#include "platform/files.h"
#include "platform/mbcs.h"
#include "platform/registry.h"

namespace {

using platform::Registry;
using platform::ScopedKey;

// "<release>\<product>" of a product key below HKEY_LOCAL_MACHINE, in
// either registry view; empty for a key outside AutoCAD's.
std::string ReleaseAndProduct(std::string productKey) {
  mbcs::DropTrailingBackslash(productKey);
  for (const char* acad : {kWowAcadKeyPath, kAcadKeyPath}) {
    const std::string prefix = std::string(acad) + "\\";
    if (productKey.size() > prefix.size() && mbcs::StartsWithNoCase(productKey, prefix))
      return productKey.substr(prefix.size());
  }
  return std::string();
}

// Whether the current user has a profile of the product: AutoCAD makes the
// user's Profiles key below the same release and product at its first start.
bool HasProfile(Registry& registry, platform::RegKey user, const std::string& productKey) {
  const std::string product = ReleaseAndProduct(productKey);
  if (product.empty()) return false;
  ScopedKey profiles(registry, registry.OpenRead(user, std::string(kAcadKeyPath) + "\\" + product + "\\Profiles"));
  std::uint32_t count = 0;
  return profiles && registry.SubkeyCount(profiles.get(), &count) && count > 0;
}

// The settings file copied into the user's APPDATA\Zorvel, unless the user
// has one there: the user's own settings are never replaced.
void PlaceSettings(const std::string& source, UserPartResult& result, UserPartJournal* journal) {
  platform::Files& files = platform::GetFiles();
  const std::string appData = AppDataFolder();
  const std::string folder = (appData.empty() ? std::string(kUnknownAppData) : appData) + "\\" + kSettingsFolder;
  FileEvent file;
  file.kind = FileKind::Settings;
  file.source = source;
  file.destination = folder + "\\" + kSettingsFile;
  platform::FindData found;
  if (platform::FindHandle handle = files.FindFirst(source, &found)) {
    file.bytes = found.size;
    files.FindClose(handle);
  }
  if (appData.empty()) {
    file.status = platform::Status(platform::kErrorPathNotFound);
  } else if (files.Exists(file.destination)) {
    result.settingsKept = true;
    return;
  } else {
    (void)files.CreateDirectory(folder);
    if (journal) journal->BeforeSettings(file);
    file.status = files.CopyFile(file.source, file.destination);
    // The copy keeps the source's attributes; the user edits this file.
    if (file.status) ClearReadOnly(file.destination);
  }
  result.settings = file;
}

}  // namespace

bool UserPartResult::complete() const { return FailuresOf(*this) == 0 && productsWithoutProfile.empty(); }

int FailuresOf(const UserPartResult& result) {
  return FailuresOf(result.trustedPaths) + (result.settings && !result.settings->status ? 1 : 0);
}

UserPartResult ServeUserPart(const UserPartRequest& request, UserPartJournal* journal) {
  UserPartResult result;
  CAcadHosts hosts;
  hosts.SetInstallDir(request.installDir);
  hosts.journal = journal;
  result.trustedPaths = hosts.AddTrustedPath();
  if (!request.settingsSource.empty()) PlaceSettings(request.settingsSource, result, journal);

  Registry& registry = platform::GetRegistry();
  ScopedKey user(registry, registry.OpenHive(platform::Hive::CurrentUser));
  for (const std::string& productKey : request.productKeys) {
    const bool listed = std::any_of(result.productsWithoutProfile.begin(), result.productsWithoutProfile.end(),
                                    [&](const std::string& key) { return mbcs::EqualsNoCase(key, productKey); });
    if (!listed && !HasProfile(registry, user.get(), productKey)) result.productsWithoutProfile.push_back(productKey);
  }
  return result;
}
