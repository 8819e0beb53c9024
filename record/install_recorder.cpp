#include "record/install_recorder.h"

#include "deploy/file_utils.h"
#include "hosts/acad_hosts.h"
#include "platform/mbcs.h"

InstallRecorder::InstallRecorder(std::string installDir, int editionBits)
    : installDir_(std::move(installDir)), editionBits_(editionBits) {
  mbcs::DropTrailingBackslash(installDir_);
}

void InstallRecorder::OnFile(const FileEvent& event) {
  if (!event.status) return;
  InstallRecord item;
  switch (event.kind) {
    case FileKind::Payload:
      if (mbcs::EqualsNoCase(mbcs::FolderOf(event.destination), installDir_))
        item.files.push_back(mbcs::FileNameOf(event.destination));
      break;
    case FileKind::Settings:
      item.settings = event.destination;
      break;
    case FileKind::SettingsKept:
      item.settingsKept = event.destination;
      break;
    case FileKind::SupportFile:  // with their backups, through Add
    case FileKind::Backup:
    case FileKind::Uninstaller:  // the uninstall's set-up records its own
    case FileKind::Record:
      break;
  }
  MergeInto(record_, item);
}

void InstallRecorder::Add(const LoaderWrite& write) {
  const bool loadCtrlsWritten = write.loadCtrlsStatus && write.loadCtrlsStatus->ok();
  if (!loadCtrlsWritten && !write.loaderStatus) return;
  LoaderChange change = write.before;
  change.key = RegistryViewOf(write.keyPath, editionBits_);
  // What the record says a key held is what it held before the value written.
  if (!loadCtrlsWritten) change.loadCtrls.reset();
  if (!write.loaderStatus) change.loader.reset();
  if (change.createdLevels == 0 && change.loader && LoaderPointsInto(change.loader->bytes, installDir_)) {
    change.createdLevels = 1;
    change.loadCtrls.reset();
    change.loader.reset();
  }
  InstallRecord item;
  item.loaders.push_back(std::move(change));
  MergeInto(record_, item);
}

void InstallRecorder::Add(const TrustedPathWrite& write) {
  if (!write.status || !write.gained) return;
  InstallRecord item;
  item.trustedPaths.push_back(write.change);
  MergeInto(record_, item);
}

void InstallRecorder::AddSupportPath(const SupportPathWrite& write) {
  if (!write.status || !write.gained) return;
  InstallRecord item;
  item.supportPaths.push_back(write.change);
  MergeInto(record_, item);
}

void InstallRecorder::Add(const SupportFileWrite& write) {
  const FileEvent& file = write.file;
  if (!file.status) return;
  InstallRecord item;
  if (write.plotDriver) {
    item.drivers.push_back({file.destination, file.replaced, FingerprintOf(file.destination)});
  } else {
    item.fonts.push_back({file.destination, file.replaced, std::string()});
  }
  if (write.backup && write.backup->status &&
      mbcs::EqualsNoCase(mbcs::FolderOf(write.backup->destination), installDir_ + "\\" + kBackupFolder))
    item.backups.push_back({mbcs::FileNameOf(write.backup->destination), write.backup->source});
  MergeInto(record_, item);
}
