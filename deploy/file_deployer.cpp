#include "deploy/file_deployer.h"

#include "deploy/file_utils.h"
#include "deploy/payload.h"
#include "platform/mbcs.h"

namespace {

// Whether the deployment copies an entry of the Data folder at all.
bool IsCopied(const platform::FindData& entry) {
  if (entry.name == "." || entry.name == "..") return false;
  // The directory bit alone decides: a read-only or archived sub-folder is
  // still a folder, and no copy of it could ever succeed.
  if (entry.attributes & platform::kAttrDirectory) return false;
  return !IsSkippedEntry(entry.name);
}

bool IsSettingsFile(const std::string& name) { return mbcs::EqualsNoCase(name, kSettingsFile); }

platform::Status Copy(bool reachable, const FileEvent& file) {
  if (!reachable) return platform::Status(platform::kErrorPathNotFound);
  return platform::GetFiles().CopyFile(file.source, file.destination);
}

// The user's own settings file is kept beside it as "<name>.bak", or the
// first of "<name>.bak2" ... "<name>.bak99" that is free.
constexpr int kMaxKeptSettings = 99;

std::string KeptSettingsName(const std::string& settings, int number) {
  return settings + ".bak" + (number == 1 ? std::string() : mbcs::Decimal(number));
}

std::uint64_t SizeOf(const std::string& path) {
  platform::Files& files = platform::GetFiles();
  platform::FindData found;
  platform::FindHandle handle = files.FindFirst(path, &found);
  if (!handle) return 0;
  files.FindClose(handle);
  return found.size;
}

}  // namespace

// Before the settings copy replaces a settings file of the user's that is
// not ours, a copy of it is kept beside it and written through to the disk.
// Not ok (and the settings file not to be replaced) when it cannot be kept.
platform::Status CFileDeployer::KeepSettings(const FileEvent& settings) {
  platform::Files& files = platform::GetFiles();
  FileEvent kept;
  kept.kind = FileKind::SettingsKept;
  kept.source = settings.destination;
  kept.bytes = SizeOf(kept.source);
  kept.status = platform::Status(platform::kErrorFileExists);
  for (int number = 1; number <= kMaxKeptSettings; ++number) {
    kept.destination = KeptSettingsName(kept.source, number);
    if (files.Exists(kept.destination)) continue;
    kept.status = platform::Status::Ok();
    observer.OnCopying(kept);
    kept.status = files.CopyFile(kept.source, kept.destination);
    if (kept.status) kept.status = FlushToDisk(kept.destination);
    break;
  }
  observer.OnFile(kept);
  return kept.status;
}

DeployResult CheckDataFolder() {
  platform::Files& files = platform::GetFiles();
  std::string dataFolder;
  GetDataFolder(dataFolder);
  if (GetPathKind(dataFolder) != kPathFolder) return DeployResult::DataMissing;
  platform::FindData entry;
  platform::FindHandle listing = files.FindFirst(dataFolder + "\\*.*", &entry);
  if (listing == nullptr) return DeployResult::DataUnreadable;
  files.FindClose(listing);
  return DeployResult::Done;
}

std::vector<std::string> InstallFolderNames(SettingsFor settings) {
  platform::Files& files = platform::GetFiles();
  std::string dataFolder;
  GetDataFolder(dataFolder);
  std::vector<std::string> names;
  platform::FindData entry;
  platform::FindHandle listing = files.FindFirst(dataFolder + "\\*.*", &entry);
  for (bool more = listing != nullptr; more; more = files.FindNext(listing, &entry)) {
    if (!IsCopied(entry)) continue;
    if (!IsSettingsFile(entry.name)) {
      names.emplace_back(InstalledName(entry.name));
    } else if (settings == SettingsFor::EveryUser) {
      names.emplace_back(kSettingsForUsers);
    }
  }
  files.FindClose(listing);
  return names;
}

CFileDeployer::CFileDeployer(std::string path, DeployObserver& observer, SettingsFor settings)
    : installDir(std::move(path)), observer(observer), settingsFor(settings) {
  mbcs::DropTrailingBackslash(installDir);
}

DeployResult CFileDeployer::DeployDataFolder() {
  platform::Files& files = platform::GetFiles();
  std::string dataFolder;
  GetDataFolder(dataFolder);
  if (GetPathKind(dataFolder) != kPathFolder) return DeployResult::DataMissing;
  (void)files.CreateDirectory(installDir);  // normally made by the caller already

  platform::FindData entry;
  platform::FindHandle listing = files.FindFirst(dataFolder + "\\*.*", &entry);
  // A folder lists at least "." and "..": one that lists nothing cannot be
  // read (no access, or a path so long that no file in it could be named).
  if (listing == nullptr) return DeployResult::DataUnreadable;
  bool aborted = false;
  for (bool first = true; !aborted; first = false) {
    observer.OnStep();
    if (!first && !files.FindNext(listing, &entry)) break;
    aborted = DeployEntry(dataFolder, entry) == Outcome::Aborted;
  }
  files.FindClose(listing);
  return aborted ? DeployResult::Aborted : DeployResult::Done;
}

CFileDeployer::Outcome CFileDeployer::DeployEntry(const std::string& dataFolder, const platform::FindData& entry) {
  if (!IsCopied(entry)) return Outcome::Done;

  bool reachable = true;
  FileEvent file = Destination(dataFolder, entry, &reachable);
  ClearReadOnly(file.source);
  if (reachable) ClearReadOnly(file.destination);
  file.replaced = reachable && platform::GetFiles().Exists(file.destination);
  // A settings file of the user's that differs from ours is kept first.
  bool keep = file.kind == FileKind::Settings && file.replaced && !SameContent(file.source, file.destination);
  bool announced = false;
  const auto place = [&] {
    if (keep) {
      const platform::Status kept = KeepSettings(file);
      if (!kept) return kept;
      keep = false;
    }
    if (!announced) observer.OnCopying(file);
    announced = true;
    return Copy(reachable, file);
  };
  file.status = place();
  observer.OnFile(file);
  while (!file.status) {
    CopyDecision decision = observer.OnCopyFailed(file);
    if (decision == CopyDecision::Ignore) break;
    if (decision != CopyDecision::Retry) return Outcome::Aborted;
    file.status = place();
    observer.OnFile(file);
  }
  if (reachable) ClearReadOnly(file.destination);
  return Outcome::Done;
}

FileEvent CFileDeployer::Destination(const std::string& dataFolder, const platform::FindData& entry,
                                     bool* reachable) {
  FileEvent file;
  file.source = dataFolder + "\\" + entry.name;
  file.bytes = entry.size;
  if (!IsSettingsFile(entry.name) || settingsFor == SettingsFor::EveryUser) {
    file.kind = FileKind::Payload;
    const std::string_view name = IsSettingsFile(entry.name) ? kSettingsForUsers : InstalledName(entry.name);
    file.destination = installDir + "\\" + std::string(name);
    return file;
  }
  file.kind = FileKind::Settings;
  const std::string appData = AppDataFolder();
  *reachable = !appData.empty();
  const std::string settingsFolder = (*reachable ? appData : kUnknownAppData) + "\\" + kSettingsFolder;
  if (*reachable) (void)platform::GetFiles().CreateDirectory(settingsFolder);
  file.destination = settingsFolder + "\\" + entry.name;
  return file;
}
