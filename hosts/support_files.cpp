// Shape fonts (and, for AutoCAD 2008, the plot driver) copied from the Data
// folder into the folders of each chosen AutoCAD installation.
#include <utility>
#include <vector>

#include "deploy/file_utils.h"
#include "deploy/payload.h"
#include "hosts/acad_hosts.h"
#include "platform/files.h"
#include "platform/mbcs.h"

namespace {

// Keeps a copy of AutoCAD's own driver, `write.file.destination`, in the
// install folder's backup area, under the first name no earlier backup
// holds, and writes it through to the disk: ours replaces the driver only
// once a power cut can no longer lose it. The journal hears of the backup
// before it is made.
FileEvent BackUp(const SupportFileWrite& write, const std::string& installDir, ChangeJournal* journal) {
  platform::Files& files = platform::GetFiles();
  const std::string& driver = write.file.destination;
  FileEvent backup;
  backup.kind = FileKind::Backup;
  backup.source = driver;
  backup.status = platform::Status(installDir.empty() ? platform::kErrorPathNotFound : platform::kErrorFileExists);
  if (installDir.empty()) return backup;
  const std::string folder = installDir + "\\" + kBackupFolder;
  (void)files.CreateDirectory(folder);
  for (int number = 1; number <= kMaxBackupsOfOneName; ++number) {
    backup.destination = folder + "\\" + BackupName(mbcs::FileNameOf(driver), number);
    if (files.Exists(backup.destination)) continue;
    if (journal) {
      SupportFileWrite planned = write;
      planned.backup = backup;
      planned.backup->status = platform::Status::Ok();
      journal->BeforeSupportFile(planned);
    }
    backup.status = files.CopyFile(driver, backup.destination);
    if (backup.status) backup.status = FlushToDisk(backup.destination);
    break;
  }
  return backup;
}

// Copies one support file, overwriting what is there. The read-only bits of
// both ends are cleared first, so that a read-only copy from an earlier
// install is replaced. A plot driver that is not ours is backed up first, and
// stays in place when it cannot be.
SupportFileWrite PlaceFile(const SupportFile& support, const std::string& source, const std::string& destination,
                           const std::string& installDir, ChangeJournal* journal) {
  platform::Files& files = platform::GetFiles();
  ClearReadOnly(source);
  ClearReadOnly(destination);
  SupportFileWrite write;
  write.plotDriver = support.plotDriver;
  FileEvent& file = write.file;
  file.kind = FileKind::SupportFile;
  file.source = source;
  file.destination = destination;
  file.replaced = files.Exists(destination);
  if (support.plotDriver && file.replaced && !SameContent(source, destination)) {
    write.backup = BackUp(write, installDir, journal);
    file.status = write.backup->status;
  }
  if (file.status) {
    if (journal) journal->BeforeSupportFile(write);
    file.status = files.CopyFile(source, destination);
  }
  if (file.status) {
    ClearReadOnly(destination);  // the copy carries a bit the source kept
  } else if (write.backup && !write.backup->destination.empty() &&
             write.backup->status.code() != platform::kErrorFileExists) {
    // The original is still where it was. Not when every name was taken:
    // the name last tried is an earlier install's backup.
    (void)files.DeleteFile(write.backup->destination);
  }
  return write;
}

}  // namespace

std::string BackupName(const std::string& name, int number) {
  if (number == 1) return name;
  return name.substr(0, name.rfind('.')) + "." + mbcs::Decimal(number);
}

std::vector<SupportFileWrite> CAcadHosts::PlaceSupportFiles(const ReleaseFlags& ticked) {
  std::vector<SupportFileWrite> writes;
  for (int slot = 0; slot < kReleaseCount; ++slot) {
    if (!ticked[slot]) continue;
    for (const std::string& location : locations[slot]) {
      for (SupportFileWrite& write : CopySupportFiles(location, slot == kPlotDriverSlot))
        writes.push_back(std::move(write));
    }
  }
  return writes;
}

std::vector<SupportFileWrite> CAcadHosts::CopySupportFiles(std::string location, bool withPlotDriver) {
  std::string dataFolder;
  GetDataFolder(dataFolder);
  std::vector<SupportFileWrite> writes;
  for (const SupportFile& file : kSupportFiles) {
    if (file.plotDriver && !withPlotDriver) continue;
    writes.push_back(PlaceFile(file, dataFolder + "\\" + file.source,
                               location + "\\" + file.folder + "\\" + file.installedAs, installDir, journal));
  }
  return writes;
}
