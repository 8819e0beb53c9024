#include "record/install_recorder.h"

#include <algorithm>

#include "deploy/file_utils.h"
#include "deploy/payload.h"
#include "hosts/acad_hosts.h"
#include "platform/mbcs.h"

namespace {

bool IsPlotDriver(const std::string& path) {
  const std::string name = mbcs::FileNameOf(path);
  return std::any_of(std::begin(kSupportFiles), std::end(kSupportFiles), [&](const SupportFile& file) {
    return file.plotDriver && mbcs::EqualsNoCase(name, file.installedAs);
  });
}

}  // namespace

InstallRecorder::InstallRecorder(std::string installDir, int editionBits)
    : installDir_(std::move(installDir)), editionBits_(editionBits) {
  mbcs::DropTrailingBackslash(installDir_);
}

void InstallRecorder::OnFile(const FileEvent& event) {
  if (!event.status) return;
  InstallRecord item;
  const std::string folder = mbcs::FolderOf(event.destination), name = mbcs::FileNameOf(event.destination);
  switch (event.kind) {
    case FileKind::Payload:
      if (mbcs::EqualsNoCase(folder, installDir_)) item.files.push_back(name);
      break;
    case FileKind::Uninstaller:
      item.files.push_back(kUninstallerName);
      break;
    case FileKind::Settings:
      item.settings = event.destination;
      break;
    case FileKind::SupportFile:
      if (IsPlotDriver(event.destination)) {
        item.drivers.push_back({event.destination, event.replaced, FingerprintOf(event.destination)});
      } else {
        item.fonts.push_back({event.destination, event.replaced, std::string()});
      }
      break;
    case FileKind::Backup:
      if (mbcs::EqualsNoCase(folder, installDir_ + "\\" + kBackupFolder)) item.backups.push_back({name, event.source});
      break;
    case FileKind::Record:
      break;
  }
  MergeInto(record_, item);
}

void InstallRecorder::OnValue(const ValueEvent& event) {
  if (!event.status) return;
  if (event.hive == platform::Hive::LocalMachine && IsLoaderKeyPath(event.key)) OnLoaderValue(event);
  if (event.hive == platform::Hive::CurrentUser && event.name == "TRUSTEDPATHS") OnTrustedPaths(event);
}

void InstallRecorder::OnLoaderValue(const ValueEvent& event) {
  const bool loadCtrls = event.name == "LOADCTRLS";
  if (!loadCtrls && event.name != "LOADER") return;
  const ViewedKey key = RegistryViewOf(event.key, editionBits_);
  auto change = std::find_if(record_.loaders.begin(), record_.loaders.end(), [&](const LoaderChange& have) {
    return have.key.view == key.view && mbcs::EqualsNoCase(have.key.path, key.path);
  });
  if (change == record_.loaders.end()) {
    record_.loaders.push_back({key, event.createdLevels, std::nullopt, std::nullopt});
    loadersSeen_.emplace_back();
    change = record_.loaders.end() - 1;
  }
  Seen& seen = loadersSeen_[static_cast<std::size_t>(change - record_.loaders.begin())];
  bool& taken = loadCtrls ? seen.loadCtrls : seen.loader;
  if (taken) return;
  taken = true;
  if (event.previous) (loadCtrls ? change->loadCtrls : change->loader) = StoredValueOf(event.previousType, *event.previous);
}

void InstallRecorder::OnTrustedPaths(const ValueEvent& event) {
  // A list that held the folder already did not gain it.
  if (event.previous && ListHasEntry(*event.previous, installDir_)) return;
  TrustedPathChange change{event.key, event.createdLevels, TrustedPathChange::Before::Missing, std::string()};
  if (event.previous) {
    const bool replaced = ComposeTrustedPaths(*event.previous, installDir_) == installDir_;
    change.before = replaced ? TrustedPathChange::Before::Replaced : TrustedPathChange::Before::Listed;
    if (replaced) change.replaced = *event.previous;
  }
  InstallRecord item;
  item.trustedPaths.push_back(change);
  MergeInto(record_, item);
}

InstallRecord InstallRecorder::Record() const {
  InstallRecord record = record_;
  for (LoaderChange& loader : record.loaders) {
    if (loader.createdLevels == 0 && loader.loader && LoaderPointsInto(loader.loader->bytes, installDir_)) {
      loader.createdLevels = 1;
      loader.loadCtrls.reset();
      loader.loader.reset();
    }
  }
  record.backups.erase(std::remove_if(record.backups.begin(), record.backups.end(),
                                      [&](const BackupChange& backup) {
                                        return std::none_of(record.drivers.begin(), record.drivers.end(),
                                                            [&](const SupportChange& driver) {
                                                              return mbcs::EqualsNoCase(driver.path, backup.original);
                                                            });
                                      }),
                       record.backups.end());
  return record;
}
