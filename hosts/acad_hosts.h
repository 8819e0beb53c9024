// The catalogue of AutoCAD installations on this machine, per release year,
// and everything the installer writes into AutoCAD's registry and folders.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "deploy/events.h"
#include "hosts/changes.h"
#include "hosts/loaders.h"
#include "hosts/support_files.h"
#include "hosts/trusted_paths.h"
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

// Whose profiles RegisterLoaders adds the install folder to: the current
// user's, or none (an installation for every user serves each user on its
// own, hosts/user_part.h).
enum class TrustedPathsFor { CurrentUser, NoOne };

// One flag per release slot, 2007 first; non-zero means the release is ticked.
using ReleaseFlags = std::array<std::int32_t, kReleaseCount>;

// What RegisterLoaders wrote: the loader keys, then the profiles' lists.
struct LoaderRegistration {
  std::vector<LoaderWrite> loaders;
  std::vector<TrustedPathWrite> trustedPaths;
};

[[nodiscard]] inline int FailuresOf(const LoaderRegistration& registration) {
  return FailuresOf(registration.loaders) + FailuresOf(registration.trustedPaths);
}

// The catalogue, and the integration steps that write into what it lists.
// The member functions are defined by job: discovery and the install folder
// in acad_hosts.cpp, the loaders in loaders.cpp, the trusted paths in
// trusted_paths.cpp, the support files in support_files.cpp; each of those
// files declares its free functions in the header of the same name.
class CAcadHosts {
 public:
  // Discovery (acad_hosts.cpp). Fills the catalogue from HKEY_LOCAL_MACHINE:
  // the Wow6432Node view first (releases 2007..2009 only), then the plain
  // AutoCAD key.
  void Discover();
  void DiscoverWow64();

  // Stores the install folder, without one trailing backslash (a backslash
  // that is the second byte of a double-byte character stays).
  void SetInstallDir(std::string path);

  // The integration steps return every key, list and file they wrote or
  // could not write (typically: not run as administrator), with what it held
  // before; FailuresOf counts what they could not write.

  // Loaders (loaders.cpp). Registers the loader under every product key of
  // each ticked release, then adds the install folder to every profile's
  // trusted paths (unless `trusted` is NoOne). An install folder longer than kMaxInstallDirBytes
  // registers no loader at all (no value is ever cut short); each product key
  // then counts as not written, as does one removed since discovery.
  [[nodiscard]] LoaderRegistration RegisterLoaders(const ReleaseFlags& ticked,
                                                   TrustedPathsFor trusted = TrustedPathsFor::CurrentUser);
  [[nodiscard]] std::vector<LoaderWrite> RegisterLoader(int year);

  // Trusted paths (trusted_paths.cpp). Adds the install folder to
  // TRUSTEDPATHS of every AutoCAD profile of the current user, unless one of
  // the list's entries already is that folder. The stored list is kept
  // whole, however long.
  [[nodiscard]] std::vector<TrustedPathWrite> AddTrustedPath();

  // Support files (support_files.cpp). Only AutoCAD 2008 needs the add-on's
  // plot driver, which goes into its program folder.
  static constexpr int kPlotDriverSlot = 2008 - kFirstReleaseYear;
  // Copies the shape fonts (and, for
  // 2008, the plot driver) into every install location of each ticked
  // release. A plot driver that is not the add-on's is first kept in the
  // install folder's backup area; one that cannot be kept is not replaced.
  [[nodiscard]] std::vector<SupportFileWrite> PlaceSupportFiles(const ReleaseFlags& ticked);
  [[nodiscard]] std::vector<SupportFileWrite> CopySupportFiles(std::string location, bool withPlotDriver);

  // Support file search path (support_paths.cpp). Adds `folder` to the
  // support file search path of every AutoCAD profile of the current user,
  // with the list rules of AddTrustedPath, but never upper-casing the list
  // and never making one: a profile without its list is left (not written).
  [[nodiscard]] std::vector<SupportPathWrite> AddSupportPath(const std::string& folder);

  std::string installDir;
  // Where RegisterLoader writes: HKEY_LOCAL_MACHINE, or HKEY_CURRENT_USER
  // for an installation for the current user alone.
  platform::Hive loaderHive = platform::Hive::LocalMachine;
  // Told of every write before it is made; none when nothing records ahead.
  ChangeJournal* journal = nullptr;
  std::array<std::vector<std::string>, kReleaseCount> locations;
  std::array<std::vector<std::string>, kReleaseCount> productKeys;

 private:
  // Discovery's search (acad_hosts.cpp): one view of the AutoCAD key, and
  // below `parent`\`name`, depth first, every key holding a value called
  // `searchName`, into the found lists.
  void DiscoverView(const std::string& acadKeyPath, int lastYear);
  void Search(platform::RegKey release, const std::string& base, const char* name);
  void CollectValues(platform::RegKey parent, const std::string& name, std::string relative, std::string base);

  std::string searchName = "AcadLocation";
  std::vector<std::string> foundKeyPaths;
  std::vector<std::string> foundValues;
};

// A stored value as text (a text without its terminator, a REG_DWORD in
// decimal, any other type as its stored bytes), and back.
std::string ValueText(const platform::StoredValue& value);
platform::StoredValue StoredValueOf(std::uint32_t type, const std::string& text);

// Reads the name of sub-key `index` of `key`; false when it cannot be read.
// An empty name counts as unreadable: opening it would open `key` itself.
bool ReadSubkeyName(platform::RegKey key, std::uint32_t index, std::string& name);

// Appends to `names` the name of every sub-key of `key` that can be opened for
// reading. Neither opens nor closes `key`.
void EnumSubkeyNames(platform::RegKey key, std::vector<std::string>& names);
