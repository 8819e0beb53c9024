// Shape fonts (and, for AutoCAD 2008, the plot driver) copied from the Data
// folder into the folders of each chosen AutoCAD installation.
#include "deploy/file_utils.h"
#include "deploy/payload.h"
#include "hosts/acad_hosts.h"
#include "platform/files.h"
#include "platform/mbcs.h"

namespace {

// Only AutoCAD 2008 needs the add-on's plot driver.
constexpr int kPlotDriverSlot = 2008 - kFirstReleaseYear;

// Keeps a copy of AutoCAD's own `driver` in the install folder's backup area,
// under the first name no earlier backup holds.
FileEvent BackUp(const std::string& driver, const std::string& installDir) {
  platform::Files& files = platform::GetFiles();
  FileEvent backup;
  backup.kind = FileKind::Backup;
  backup.source = driver;
  backup.status = platform::Status(installDir.empty() ? platform::kErrorPathNotFound : platform::kErrorFileExists);
  if (installDir.empty()) return backup;
  const std::string folder = installDir + "\\" + kBackupFolder;
  files.CreateDirectory(folder);
  for (int number = 1; number <= kMaxBackupsOfOneName; ++number) {
    backup.destination = folder + "\\" + BackupName(mbcs::FileNameOf(driver), number);
    if (files.Exists(backup.destination)) continue;
    backup.status = files.CopyFile(driver, backup.destination);
    break;
  }
  return backup;
}

// Copies one support file, overwriting what is there. The read-only bits of
// both ends are cleared first, so that a read-only copy from an earlier
// install is replaced. A plot driver that is not ours is backed up first, and
// stays in place when it cannot be. Returns 1 when the file was not placed,
// else 0.
int PlaceFile(const SupportFile& support, const std::string& source, const std::string& destination,
              const std::string& installDir, InstallEvents& events) {
  platform::Files& files = platform::GetFiles();
  ClearReadOnly(source);
  ClearReadOnly(destination);
  FileEvent file;
  file.kind = FileKind::SupportFile;
  file.source = source;
  file.destination = destination;
  file.replaced = files.Exists(destination);
  std::string backup;
  if (support.plotDriver && file.replaced && !SameContent(source, destination)) {
    const FileEvent kept = BackUp(destination, installDir);
    events.OnFile(kept);
    file.status = kept.status;
    backup = kept.destination;
  }
  if (file.status) file.status = files.CopyFile(source, destination);
  if (file.status) {
    ClearReadOnly(destination);  // the copy carries a bit the source kept
  } else if (!backup.empty()) {
    files.DeleteFile(backup);  // the original is still where it was
  }
  events.OnFile(file);
  return file.status ? 0 : 1;
}

}  // namespace

std::string BackupName(const std::string& name, int number) {
  if (number == 1) return name;
  return name.substr(0, name.rfind('.')) + "." + mbcs::Decimal(number);
}

int CAcadHosts::PlaceSupportFiles(const ReleaseFlags& ticked, InstallEvents& events) {
  int failed = 0;
  for (int slot = 0; slot < kReleaseCount; ++slot) {
    if (!ticked[slot]) continue;
    std::size_t count = locations[slot].size();
    for (std::size_t k = 0; k < count; ++k)
      failed += CopySupportFiles(locations[slot][k], slot == kPlotDriverSlot, events);
  }
  return failed;
}

int CAcadHosts::CopySupportFiles(std::string location, bool withPlotDriver, InstallEvents& events) {
  std::string dataFolder;
  GetDataFolder(dataFolder);
  int failed = 0;
  for (const SupportFile& file : kSupportFiles) {
    if (file.plotDriver && !withPlotDriver) continue;
    failed += PlaceFile(file, dataFolder + "\\" + file.source,
                        location + "\\" + file.folder + "\\" + file.installedAs, installDir, events);
  }
  return failed;
}
