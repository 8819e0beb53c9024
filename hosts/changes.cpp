// Taking back what an install changed in AutoCAD's registry and folders.
#include "hosts/changes.h"

#include "deploy/file_utils.h"
#include "hosts/acad_hosts.h"
#include "platform/files.h"
#include "platform/mbcs.h"

using platform::Hive;
using platform::QueryResult;
using platform::Registry;
using platform::ScopedKey;
using platform::Status;

namespace {

constexpr char kSoftware[] = "SOFTWARE\\";
constexpr char kWowSoftware[] = "SOFTWARE\\Wow6432Node\\";
const char kTrustedPaths[] = "TRUSTEDPATHS";
const char kSupportPath[] = "ACAD";

Undo Fail(Status failure, Status* status) {
  *status = failure;
  return Undo::Failed;
}

// A key with nothing in it: no values, no sub-keys.
bool IsEmpty(Registry& registry, platform::RegKey root, const std::string& path) {
  ScopedKey key(registry, registry.OpenRead(root, path));
  std::uint32_t subkeys = 0, values = 0;
  return key && registry.SubkeyCount(key.get(), &subkeys) && registry.ValueCount(key.get(), &values) &&
         subkeys == 0 && values == 0;
}

// Whether a loader key is as the install writes it: its LOADER names a
// module in `installDir`, or, made but not yet given its LOADER, it holds
// nothing but the LOADCTRLS written first.
bool IsOwnLoaderKey(Registry& registry, platform::RegKey key, const std::string& installDir) {
  platform::StoredValue loader;
  switch (platform::ReadValue(registry, key, "LOADER", &loader)) {
    case QueryResult::Ok:
      return LoaderPointsInto(loader.bytes, installDir);
    case QueryResult::NotFound:
      break;
    default:
      return false;
  }
  platform::StoredValue loadCtrls;
  const bool hasLoadCtrls = platform::ReadValue(registry, key, "LOADCTRLS", &loadCtrls) == QueryResult::Ok;
  std::uint32_t subkeys = 0, values = 0;
  return registry.SubkeyCount(key, &subkeys) && registry.ValueCount(key, &values) && subkeys == 0 &&
         values == (hasLoadCtrls ? 1u : 0u);
}

// The product key a loader key ("<product>\Applications\<name>") is below.
std::string ProductKeyOf(const std::string& loaderKey) { return mbcs::FolderOf(mbcs::FolderOf(loaderKey)); }

// Writes `value`, or deletes the value where there was none.
Status PutBack(Registry& registry, platform::RegKey key, const char* name,
               const std::optional<platform::StoredValue>& value) {
  if (!value) {
    const Status deleted = registry.DeleteValue(key, name);
    return deleted.code() == platform::kErrorFileNotFound ? Status() : deleted;
  }
  return registry.SetValue(key, name, value->type, value->bytes.data(), static_cast<std::uint32_t>(value->bytes.size()));
}

// Written back of the type it was read with (a list AutoCAD expands stays
// one), as the install writes it.
Status WriteList(Registry& registry, platform::RegKey key, const char* name, const std::string& list,
                 std::uint32_t type) {
  return registry.SetValue(key, name, type, list.data(), static_cast<std::uint32_t>(list.size()));
}

}  // namespace

ViewedKey RegistryViewOf(const std::string& path, int bits) {
  if (mbcs::StartsWithNoCase(path, kWowSoftware)) return {32, kSoftware + path.substr(sizeof kWowSoftware - 1)};
  return {bits, path};
}

std::optional<std::string> PathFrom(const ViewedKey& key, int bits) {
  if (key.view == bits) return key.path;
  if (bits == 32) return std::nullopt;
  if (!mbcs::StartsWithNoCase(key.path, kSoftware)) return key.path;
  return kWowSoftware + key.path.substr(sizeof kSoftware - 1);
}

Undo UndoLoader(const LoaderChange& change, const std::string& installDir, int editionBits, Status* status) {
  // Below HKEY_CURRENT_USER there are no views to choose from.
  const bool user = change.hive == Hive::CurrentUser;
  const std::optional<std::string> path = user ? change.key.path : PathFrom(change.key, editionBits);
  if (!path) return Undo::Unreachable;
  Registry& registry = platform::GetRegistry();
  ScopedKey root(registry, registry.OpenHive(user ? Hive::CurrentUser : Hive::LocalMachine));
  {
    ScopedKey key(registry, registry.OpenRead(root.get(), *path));
    // The install deletes a key that was there and makes it again: one that
    // stopped in between leaves none, to be put back while AutoCAD's product
    // key is still there.
    if (!key && (change.createdLevels != 0 || !ScopedKey(registry, registry.OpenRead(root.get(), ProductKeyOf(*path)))))
      return Undo::Unchanged;
    if (key && !IsOwnLoaderKey(registry, key.get(), installDir)) return Undo::NotOurs;
  }
  if (change.createdLevels == 0) {
    ScopedKey key(registry, registry.Create(root.get(), *path, status));
    if (!key) return Undo::Failed;
    *status = PutBack(registry, key.get(), "LOADCTRLS", change.loadCtrls);
    const Status loader = PutBack(registry, key.get(), "LOADER", change.loader);
    if (*status) *status = loader;
    return *status ? Undo::Restored : Undo::Failed;
  }
  *status = registry.DeleteKey(root.get(), *path);
  if (!*status) return Undo::Failed;
  // The keys above it the install made go while nothing else is in them.
  std::string above = *path;
  for (int level = 2; level <= change.createdLevels && level <= kMaxUserLoaderLevels; ++level) {
    above = mbcs::FolderOf(above);
    if (above.empty() || !IsEmpty(registry, root.get(), above) || !registry.DeleteKey(root.get(), above)) break;
  }
  return Undo::Removed;
}

std::string WithoutEntry(const std::string& list, const std::string& folder, bool* removed) {
  *removed = false;
  std::string kept;
  bool first = true;
  for (std::string_view piece : mbcs::Split(list, ';')) {
    if (ListHasEntry(std::string(piece), folder)) {
      *removed = true;
      continue;
    }
    if (!first) kept += ';';
    kept += piece;
    first = false;
  }
  return kept;
}

// Whether the list now, without the folder, is what the install found: the
// list it joined (which it upper-cased), or nothing where the folder replaced
// a short one. The value found then goes back exactly, its type and bytes.
bool NothingElseChanged(const TrustedPathChange& change, const platform::StoredValue& now, const std::string& kept,
                        bool upperCased) {
  if (!change.original || now.type != change.original->type) return false;
  const std::string& bytes = change.original->bytes;
  switch (change.before) {
    case TrustedPathChange::Before::Listed:
    {
      const std::string joined = bytes.substr(0, bytes.find('\0'));
      if (upperCased) return kept == mbcs::ToUpper(joined);
      // The folder went in behind the ';' that ended the list, if one did.
      return kept == joined || kept + ";" == joined;
    }
    case TrustedPathChange::Before::Replaced:
      return kept.empty();
    case TrustedPathChange::Before::Missing:
      break;
  }
  return false;
}

namespace {

// Takes `folder` out of the list `name` of a profile key, as
// UndoTrustedPath says; `upperCased` when the install upper-cased the list
// it joined.
Undo UndoProfileList(const TrustedPathChange& change, const char* name, const std::string& folder, bool upperCased,
                     Status* status) {
  Registry& registry = platform::GetRegistry();
  ScopedKey root(registry, registry.OpenHive(Hive::CurrentUser));
  Undo undone = Undo::Unchanged;
  {
    ScopedKey key(registry, registry.Open(root.get(), change.key));
    if (!key) return Undo::Unchanged;
    platform::StoredValue value;
    switch (registry.QueryStored(key.get(), name, &value)) {
      case QueryResult::NotFound:
        break;
      case QueryResult::NotGbk:
        return Fail(Status(platform::kErrorNoUnicodeTranslation), status);
      case QueryResult::MoreData:
        return Fail(Status(platform::kErrorMoreData), status);
      case QueryResult::Ok: {
        if (value.type != platform::kRegSz && value.type != platform::kRegExpandSz) break;  // not the install's
        bool removed = false;
        const std::size_t end = value.bytes.find('\0');
        const std::string kept = WithoutEntry(value.bytes.substr(0, end), folder, &removed);
        if (!removed) break;
        ScopedKey writable(registry, registry.Create(root.get(), change.key, status));
        if (!writable) return Undo::Failed;
        // A list changed since keeps the form it has now: a terminator where
        // it has one.
        const std::string terminator = end == std::string::npos ? "" : std::string(1, '\0');
        using Before = TrustedPathChange::Before;
        if (NothingElseChanged(change, value, kept, upperCased)) {
          *status = PutBack(registry, writable.get(), name, change.original);
          undone = Undo::Restored;
        } else if (!kept.empty() || change.before == Before::Listed) {
          *status = WriteList(registry, writable.get(), name, kept + terminator, value.type);
          undone = Undo::Removed;
        } else if (change.before == Before::Replaced) {
          *status = WriteList(registry, writable.get(), name, change.replaced + terminator, value.type);
          undone = Undo::Restored;
        } else {
          *status = registry.DeleteValue(writable.get(), name);
          undone = Undo::Removed;
        }
        if (!*status) return Undo::Failed;
        break;
      }
    }
  }
  if (change.createdLevels >= 1 && IsEmpty(registry, root.get(), change.key)) {
    *status = registry.DeleteKey(root.get(), change.key);
    if (!*status) return Undo::Failed;
    undone = Undo::Removed;
  }
  return undone;
}

}  // namespace

Undo UndoTrustedPath(const TrustedPathChange& change, const std::string& installDir, Status* status) {
  return UndoProfileList(change, kTrustedPaths, installDir, true, status);
}

Undo UndoSupportPath(const SupportPathChange& change, const std::string& folder, Status* status) {
  return UndoProfileList(change, kSupportPath, folder, false, status);
}

Undo UndoPlotDriver(const SupportChange& change, const std::string& backup, Status* status) {
  platform::Files& files = platform::GetFiles();
  const std::string inPlace = FingerprintOf(change.path);
  const bool ours = !inPlace.empty() && inPlace == change.fingerprint;
  if (!backup.empty()) {
    if (!ours && !inPlace.empty()) return SameContent(change.path, backup) ? Undo::Unchanged : Undo::NotOurs;
    ClearReadOnly(change.path);
    *status = files.CopyFile(backup, change.path);
    return *status ? Undo::Restored : Undo::Failed;
  }
  if (inPlace.empty()) return Undo::Unchanged;
  if (!ours) return Undo::NotOurs;
  // Ours already before this install, or put there by an install that kept
  // no backup: what was there before is what is there now.
  if (change.replaced) return Undo::Unchanged;
  ClearReadOnly(change.path);
  *status = files.DeleteFile(change.path);
  return *status ? Undo::Removed : Undo::Failed;
}
