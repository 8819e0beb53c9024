// Shape fonts (and, for AutoCAD 2008, the plot driver) copied from the Data
// folder into the folders of each chosen AutoCAD installation.
#include "deploy/file_utils.h"
#include "hosts/acad_hosts.h"
#include "platform/files.h"

namespace {

// Only AutoCAD 2008 needs the add-on's plot driver.
constexpr int kPlotDriverSlot = 2008 - kFirstReleaseYear;

// Copies one support file, overwriting what is there. The read-only bits of
// both ends are cleared first, so that a read-only copy from an earlier
// install is replaced. Returns 1 when the copy failed, else 0.
int PlaceFile(const std::string& source, const std::string& destination) {
  ClearReadOnly(source);
  ClearReadOnly(destination);
  if (!platform::GetFiles().CopyFile(source, destination)) return 1;
  ClearReadOnly(destination);  // the copy carries a bit the source kept
  return 0;
}

}  // namespace

int CAcadHosts::PlaceSupportFiles(const ReleaseFlags& ticked) {
  int failed = 0;
  for (int slot = 0; slot < kReleaseCount; ++slot) {
    if (!ticked[slot]) continue;
    std::size_t count = locations[slot].size();
    for (std::size_t k = 0; k < count; ++k) failed += CopySupportFiles(locations[slot][k], slot == kPlotDriverSlot);
  }
  return failed;
}

int CAcadHosts::CopySupportFiles(std::string location, bool withPlotDriver) {
  std::string dataFolder;
  GetDataFolder(dataFolder);
  std::string fontsFolder = location + "\\Fonts";
  int failed = PlaceFile(dataFolder + "\\Zorvel_EN.shx", fontsFolder + "\\Zorvel_EN.shx");
  failed += PlaceFile(dataFolder + "\\Zorvel_HZ.shx", fontsFolder + "\\Zorvel_HZ.shx");
  if (withPlotDriver) {
    std::string driverFolder = location + "\\Drv";
    failed += PlaceFile(dataFolder + "\\Zorvel.prt5", driverFolder + "\\pdfplot9.hdi");
  }
  return failed;
}
