// What an install changed in AutoCAD's registry and folders: as the
// integration steps report each write, as the record keeps it, and how the
// uninstall takes each change back. Every step looks at what is there now
// and touches only what is still the install's: a loader key another
// installation has re-pointed since, TRUSTEDPATHS entries the user added, a
// plot driver someone replaced stay as they are.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "deploy/events.h"

#include "platform/registry.h"
#include "platform/status.h"

// Where a key below HKEY_LOCAL_MACHINE lies: a 64-bit program reaches the
// 32-bit view through SOFTWARE\Wow6432Node; a 32-bit program sees only its
// own view (the 32-bit one on 64-bit Windows, by redirection).
struct ViewedKey {
  int view = 64;     // 32 or 64
  std::string path;  // within the view, without Wow6432Node
};

// The view this program sees by default: its own bitness's.
constexpr int kOwnRegistryView = static_cast<int>(sizeof(void*) * 8);

// The key a program of `bits` (32 or 64) named by `path`.
ViewedKey RegistryViewOf(const std::string& path, int bits);

// The path by which a program of `bits` reaches `key`; nothing when it cannot
// (a 32-bit program and the 64-bit view).
std::optional<std::string> PathFrom(const ViewedKey& key, int bits);

// A loader key the install wrote: below HKEY_LOCAL_MACHINE in a registry
// view, or, for an installation for its user alone, below HKEY_CURRENT_USER
// (`key.path` then the path below it, `key.view` unused).
struct LoaderChange {
  ViewedKey key;
  // 0: the key was there; 1: the install made it; 2: it made Applications
  // too. Below HKEY_CURRENT_USER, where a user who has not yet started that
  // AutoCAD has no product key, it may have made that and the keys above it
  // as well, up to kMaxUserLoaderLevels.
  int createdLevels = 0;
  // The values before, where the key was there.
  std::optional<platform::StoredValue> loadCtrls;
  std::optional<platform::StoredValue> loader;
  platform::Hive hive = platform::Hive::LocalMachine;
};

// A profile whose TRUSTEDPATHS gained the install folder.
struct TrustedPathChange {
  enum class Before {
    Missing,   // no TRUSTEDPATHS value
    Listed,    // a list, which the folder joined
    Replaced,  // a list of two bytes or fewer, which the folder replaced
  };
  std::string key;        // the profile's Variables key below HKEY_CURRENT_USER
  int createdLevels = 0;  // 1: the install made the Variables key
  Before before = Before::Missing;
  std::string replaced;   // the list the folder replaced
  // The value exactly as it was, type and bytes (a terminating zero
  // included when it had one), where there was one; nothing in a record of
  // an earlier version, which kept only the text.
  std::optional<platform::StoredValue> original;
};

// The keys of a loader path below HKEY_CURRENT_USER an install may make:
// ZV_BatchPlot<year>, Applications, the product, the release, AutoCAD and
// Autodesk ("Software" is always there).
constexpr int kMaxUserLoaderLevels = 6;

// A profile whose support file search path (the value "ACAD" of its General
// key) gained the folder of the add-on's fonts: the same list rules as
// TRUSTEDPATHS, `key` being the profile's General key.
using SupportPathChange = TrustedPathChange;

// A font or plot driver placed into an AutoCAD folder.
struct SupportChange {
  std::string path;
  bool replaced = false;    // a file of that name was there before
  std::string fingerprint;  // of the file placed (plot drivers only): FingerprintOf
};

// What the integration steps report: each loader key, profile list and
// support file they wrote or tried to, with what it held before and how the
// write went. The install's record is made from these, and its log.

// One loader key below a product key.
struct LoaderWrite {
  std::string keyPath;  // below HKEY_LOCAL_MACHINE, as this program reaches it
  // What the key held before; its `key` stays empty: the view depends on the
  // edition, which the record knows.
  LoaderChange before;
  std::uint32_t loadCtrls = 0;  // the LOADCTRLS number written
  std::string loader;           // the LOADER text written
  // Nothing when LOADCTRLS was not tried: a folder too long for any loader.
  std::optional<platform::Status> loadCtrlsStatus;
  platform::Status loaderStatus;

  bool written() const { return loaderStatus.ok() && (!loadCtrlsStatus || loadCtrlsStatus->ok()); }
};

// One profile's TRUSTEDPATHS.
struct TrustedPathWrite {
  // The profile's key and what its list was before; `gained` is false when
  // the list held the folder already.
  TrustedPathChange change;
  bool gained = true;
  std::optional<std::string> previous;    // the stored list, up to its first zero byte
  std::uint32_t type = platform::kRegSz;  // of the stored list, kept by the list written
  std::string list;                       // the list written
  platform::Status status;                // of the write, or of what kept it from being made

  bool written() const { return status.ok(); }
};

// One profile's support file search path, as TrustedPathWrite says of
// TRUSTEDPATHS.
using SupportPathWrite = TrustedPathWrite;

// One font or plot driver copied into an AutoCAD folder.
struct SupportFileWrite {
  bool plotDriver = false;
  // AutoCAD's own plot driver, kept before ours replaced it; nothing when no
  // backup was needed.
  std::optional<FileEvent> backup;
  FileEvent file;  // the copy (FileKind::SupportFile)

  bool written() const { return file.status.ok(); }
};

// Told of each write to AutoCAD's registry and folders just before it is
// made, so that the install's record names it ahead of the change: `planned`
// is the write as it is about to be made, with what was there before and its
// status not yet known.
class ChangeJournal {
 public:
  virtual ~ChangeJournal() = default;
  virtual void BeforeLoader(const LoaderWrite& planned) = 0;
  virtual void BeforeTrustedPaths(const TrustedPathWrite& planned) = 0;
  virtual void BeforeSupportPath(const SupportPathWrite& planned) = 0;
  // Before AutoCAD's own driver is kept (`planned.backup` names the copy to
  // be made), and again before the file itself is copied.
  virtual void BeforeSupportFile(const SupportFileWrite& planned) = 0;
};

// How many of `writes` did not succeed.
template <typename Write>
[[nodiscard]] int FailuresOf(const std::vector<Write>& writes) {
  int failures = 0;
  for (const Write& write : writes) failures += write.written() ? 0 : 1;
  return failures;
}

// How taking a change back went.
enum class Undo {
  Removed,      // what the install made is gone
  Restored,     // what was there before is back
  Unchanged,    // nothing of the install's was left to take back
  NotOurs,      // changed by someone else since: left as it is
  Unreachable,  // in a registry view this edition cannot reach
  Failed,       // could not be changed; the status says why
};

// Deletes a loader key the install made, or puts back the values of one that
// was there; either only while its LOADER still names a module inside
// `installDir`. Applications goes too when the install made it and nothing
// else is in it.
Undo UndoLoader(const LoaderChange& change, const std::string& installDir, int editionBits, platform::Status* status);

// TRUSTEDPATHS without the entries that are `folder` (ignoring case and a
// trailing backslash); every other entry stays as it is. `removed` tells
// whether there was one.
std::string WithoutEntry(const std::string& list, const std::string& folder, bool* removed);

// Takes the install folder out of a profile's TRUSTEDPATHS. A list that
// then holds nothing goes back to what it was: no value, or the short list
// the folder replaced. A Variables key the install made goes when empty.
Undo UndoTrustedPath(const TrustedPathChange& change, const std::string& installDir, platform::Status* status);

// Takes `folder` (the install folder's Fonts folder) out of a profile's
// support file search path; every other entry stays, and a General key the
// install made goes when empty.
Undo UndoSupportPath(const SupportPathChange& change, const std::string& folder, platform::Status* status);

// Puts AutoCAD's own plot driver back from `backup` (empty when there is
// none), or deletes ours where there was none before; only while the driver
// in place is ours. Unchanged with a backup means AutoCAD's driver is in place
// already: the backup has done its job.
Undo UndoPlotDriver(const SupportChange& change, const std::string& backup, platform::Status* status);
