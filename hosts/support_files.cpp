// Shape fonts (and, for AutoCAD 2008, the plot driver) copied from the Data
// folder into the folders of each chosen AutoCAD installation.
#include "deploy/file_utils.h"
#include "deploy/payload.h"
#include "hosts/acad_hosts.h"
#include "platform/files.h"

namespace {

// Only AutoCAD 2008 needs the add-on's plot driver.
constexpr int kPlotDriverSlot = 2008 - kFirstReleaseYear;

// Copies one support file, overwriting what is there. The read-only bits of
// both ends are cleared first, so that a read-only copy from an earlier
// install is replaced. Returns 1 when the copy failed, else 0.
int PlaceFile(const std::string& source, const std::string& destination, InstallEvents& events) {
  ClearReadOnly(source);
  ClearReadOnly(destination);
  FileEvent file;
  file.kind = FileKind::SupportFile;
  file.source = source;
  file.destination = destination;
  file.status = platform::GetFiles().CopyFile(source, destination);
  if (file.status) ClearReadOnly(destination);  // the copy carries a bit the source kept
  events.OnFile(file);
  return file.status ? 0 : 1;
}

}  // namespace

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
    failed += PlaceFile(dataFolder + "\\" + file.source,
                        location + "\\" + file.folder + "\\" + file.installedAs, events);
  }
  return failed;
}
