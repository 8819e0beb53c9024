// The catalogue of AutoCAD installations on this machine, per release year,
// and everything the installer writes into AutoCAD's registry and folders.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "deploy/events.h"
#include "platform/files.h"
#include "platform/registry.h"

// Release slots: the 18 AutoCAD release years 2007..2024, slot = year - 2007.
constexpr int kFirstReleaseYear = 2007;
constexpr int kReleaseCount = 18;
constexpr int kLastReleaseYear = kFirstReleaseYear + kReleaseCount - 1;

// Where AutoCAD keeps its installations (HKEY_LOCAL_MACHINE) and its users'
// profiles (HKEY_CURRENT_USER); on a 64-bit system the 32-bit view's
// installations also appear below the Wow6432Node path.
constexpr char kAcadKeyPath[] = "SOFTWARE\\Autodesk\\AutoCAD";
constexpr char kWowAcadKeyPath[] = "SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD";

// The loader key of release Y below a product key: Applications\ZV_BatchPlotY.
constexpr char kApplicationsKey[] = "Applications";
constexpr char kLoaderKeyPrefix[] = "ZV_BatchPlot";

// Whether `keyPath` names a loader key: it ends in Applications\ZV_BatchPlot
// and a four-digit year.
bool IsLoaderKeyPath(const std::string& keyPath);

// Whether a LOADER text names a module inside `installDir` (ignoring case).
bool LoaderPointsInto(const std::string& loader, const std::string& installDir);

// What follows the install folder in a LOADER text: "\ZV_BatchPlot", the
// module generation's year and ".ARX".
constexpr std::size_t kLoaderNameBytes = sizeof("\\ZV_BatchPlot2008.ARX") - 1;

// The LOADER text must stay within AutoCAD's path limit, which leaves this
// much for the install folder (238 bytes).
constexpr std::size_t kMaxInstallDirBytes = platform::kMaxPathBytes - kLoaderNameBytes;

// The install folder's sub-folder that keeps AutoCAD's own plot drivers which
// the add-on's replaced, so that the uninstall can put them back.
constexpr char kBackupFolder[] = "Backup";

// Backups of one driver name there: the name itself, then the name with the
// number for its extension (pdfplot9.2, pdfplot9.3, ...), which no AutoCAD
// loads, up to this many: one digit, so that no backup's path is longer than
// a loader module's, which sets the limit of the install folder.
constexpr int kMaxBackupsOfOneName = 9;
std::string BackupName(const std::string& name, int number);

// One flag per release slot, 2007 first; non-zero means the release is ticked.
using ReleaseFlags = std::array<std::int32_t, kReleaseCount>;

class CAcadHosts {
 public:
  // Fills the catalogue from HKEY_LOCAL_MACHINE: the Wow6432Node view first
  // (releases 2007..2009 only), then the plain AutoCAD key.
  void Discover();
  void DiscoverWow64();
  // Depth-first search below `parent`\`name` for values called `searchName`.
  void CollectValues(platform::RegKey parent, const std::string& name, std::string relative, std::string base);

  // Stores the install folder, without one trailing backslash (a backslash
  // that is the second byte of a double-byte character stays).
  void SetInstallDir(std::string path);

  // The integration steps report every value and file to `events` and
  // return how many settings or files they could not write (typically: not
  // run as administrator).

  // Registers the loader under every product key of each ticked release, then
  // adds the install folder to every profile's trusted paths. An install
  // folder longer than kMaxInstallDirBytes registers no loader at all (no
  // value is ever cut short); each product key then counts as not written,
  // as does one removed since discovery.
  int RegisterLoaders(const ReleaseFlags& ticked, InstallEvents& events);
  int RegisterLoader(int year, InstallEvents& events);
  // Adds the install folder to TRUSTEDPATHS of every AutoCAD profile of the
  // current user, unless one of the list's entries already is that folder.
  // The stored list is kept whole, however long.
  int AddTrustedPath(InstallEvents& events);

  // Copies the shape fonts (and, for 2008, the plot driver) into every install
  // location of each ticked release. A plot driver that is not the add-on's
  // is first kept in the install folder's backup area; one that cannot be
  // kept is not replaced.
  int PlaceSupportFiles(const ReleaseFlags& ticked, InstallEvents& events);
  int CopySupportFiles(std::string location, bool withPlotDriver, InstallEvents& events);

  std::string installDir;
  std::array<std::vector<std::string>, kReleaseCount> locations;
  std::array<std::vector<std::string>, kReleaseCount> productKeys;
  std::string searchName = "AcadLocation";
  std::vector<std::string> foundKeyPaths;
  std::vector<std::string> foundValues;
};

// The add-on's loader module files, one per module generation
// (ZV_BatchPlot2008.ARX ...), which LOADER names inside the install folder.
std::vector<std::string> LoaderModuleNames();

// The TRUSTEDPATHS list that holds `installDir`, made from the stored one: a
// list of two bytes or fewer holds no real folder and is replaced by the
// folder; any other is kept whole, upper-cased, with the folder appended after
// a ";" unless one of its entries already is the folder.
std::string ComposeTrustedPaths(const std::string& existing, const std::string& installDir);

// Whether one of the ';'-separated entries of a TRUSTEDPATHS list is
// `folder`, ignoring case and a trailing backslash. An entry that only begins
// with the folder is another folder.
bool ListHasEntry(const std::string& list, std::string folder);

// A stored value in the form the events report it (ValueEvent::previous), and
// back.
std::string ValueText(const platform::StoredValue& value);
platform::StoredValue StoredValueOf(std::uint32_t type, const std::string& text);

// Reads the name of sub-key `index` of `key`; false when it cannot be read.
// An empty name counts as unreadable: opening it would open `key` itself.
bool ReadSubkeyName(platform::RegKey key, std::uint32_t index, std::string& name);

// Appends to `names` the name of every sub-key of `key` that can be opened for
// reading. Neither opens nor closes `key`.
void EnumSubkeyNames(platform::RegKey key, std::vector<std::string>& names);
