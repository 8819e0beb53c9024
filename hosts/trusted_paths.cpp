// Trusted-path registration: the install folder joins TRUSTEDPATHS in every
// AutoCAD profile of the current user, whatever releases were ticked.
#include <algorithm>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "hosts/acad_hosts.h"
#include "platform/mbcs.h"

using platform::GetRegistry;
using platform::Hive;
using platform::QueryResult;
using platform::RegKey;
using platform::Registry;
using platform::ScopedKey;
using platform::Status;

namespace {

const char kTrustedPaths[] = "TRUSTEDPATHS";

// A stored list this short holds no real folder: the install folder replaces it.
constexpr std::size_t kMaxPlaceholderBytes = 2;

// `path`\<sub-key>`suffix` for every sub-key of the key `relative` below
// `parent` (the same key as `path` below the hive root) that can be opened.
void AppendChildPaths(Registry& registry, RegKey parent, const std::string& relative, const std::string& path,
                      const char* suffix, std::vector<std::string>* out) {
  ScopedKey key(registry, registry.OpenRead(parent, relative));
  if (!key) return;
  std::vector<std::string> names;
  EnumSubkeyNames(key.get(), names);
  for (const std::string& name : names) {
    std::string child = path + "\\" + name;
    mbcs::DropTrailingBackslash(child);
    out->push_back(child + suffix);
  }
}

// SOFTWARE\Autodesk\AutoCAD\<release>\<product>\Profiles for every release and
// product key of the current user.
std::vector<std::string> ProfileRoots(Registry& registry) {
  std::vector<std::string> roots;
  ScopedKey root(registry, registry.OpenHive(Hive::CurrentUser));
  ScopedKey acad(registry, registry.OpenRead(root.get(), kAcadKeyPath));
  std::uint32_t count = 0;
  if (!acad || !registry.SubkeyCount(acad.get(), &count)) return roots;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string release;
    if (ReadSubkeyName(acad.get(), i, release))
      AppendChildPaths(registry, acad.get(), release, std::string(kAcadKeyPath) + "\\" + release, "\\Profiles",
                       &roots);
  }
  return roots;
}

// Whether a stored list is one the folder can be appended to: a text, or a
// text whose %VARIABLES% AutoCAD expands (kept unexpanded, and kept of that
// type). A list of several texts or of any other type is not ours to rewrite.
bool IsListType(std::uint32_t type) { return type == platform::kRegSz || type == platform::kRegExpandSz; }

}  // namespace

std::vector<std::string> ProfileKeys(Registry& registry, const char* subkey) {
  const std::vector<std::string> profileRoots = ProfileRoots(registry);
  const std::string suffix = std::string("\\") + subkey;
  std::vector<std::string> keys;
  ScopedKey root(registry, registry.OpenHive(Hive::CurrentUser));
  if (!root) return keys;
  for (const std::string& profileRoot : profileRoots)
    AppendChildPaths(registry, root.get(), profileRoot, profileRoot, suffix.c_str(), &keys);
  return keys;
}

Status ReadProfileList(Registry& registry, RegKey root, const char* name, TrustedPathWrite* write) {
  write->previous.reset();
  write->type = platform::kRegSz;
  ScopedKey key(registry, registry.Open(root, write->change.key));
  write->change.createdLevels = key ? 0 : 1;
  if (!key) return Status::Ok();
  platform::StoredValue stored;
  switch (registry.QueryStored(key.get(), name, &stored)) {
    case QueryResult::Ok:
      write->type = stored.type;
      if (!IsListType(stored.type)) return Status(platform::kErrorDatatypeMismatch);
      write->previous = stored.bytes.substr(0, stored.bytes.find('\0'));
      write->change.original = std::move(stored);
      return Status::Ok();
    case QueryResult::NotFound:
      return Status::Ok();
    case QueryResult::NotGbk:
      return Status(platform::kErrorNoUnicodeTranslation);
    case QueryResult::MoreData:
      break;
  }
  return Status(platform::kErrorMoreData);
}

bool ListHasEntry(const std::string& list, std::string folder) {
  mbcs::DropTrailingBackslash(folder);
  for (std::string_view entry : mbcs::Split(list, ';')) {
    if (mbcs::EndsWithBackslash(entry)) entry.remove_suffix(1);
    if (mbcs::EqualsNoCase(entry, folder)) return true;
  }
  return false;
}

std::string ComposeTrustedPaths(const std::string& existing, const std::string& installDir) {
  if (existing.size() <= kMaxPlaceholderBytes) return installDir;
  std::string list = mbcs::ToUpper(existing);
  std::string folder = mbcs::ToUpper(installDir);
  if (ListHasEntry(list, folder)) return list;
  return list + ";" + folder;
}

std::vector<TrustedPathWrite> CAcadHosts::AddTrustedPath() {
  Registry& registry = GetRegistry();
  const std::vector<std::string> variablesKeys = ProfileKeys(registry, "Variables");

  std::vector<TrustedPathWrite> writes;
  ScopedKey root(registry, registry.OpenHive(Hive::CurrentUser));
  for (const std::string& path : variablesKeys) {
    TrustedPathWrite write;
    write.change.key = path;
    write.status = ReadProfileList(registry, root.get(), kTrustedPaths, &write);
    if (write.previous) {
      // A list that held the folder already does not gain it.
      write.gained = !ListHasEntry(*write.previous, installDir);
      const bool replaced = write.previous->size() <= kMaxPlaceholderBytes;
      write.change.before = replaced ? TrustedPathChange::Before::Replaced : TrustedPathChange::Before::Listed;
      if (replaced) write.change.replaced = *write.previous;
    }
    if (write.status) {
      write.list = ComposeTrustedPaths(write.previous.value_or(std::string()), installDir);
      if (journal) journal->BeforeTrustedPaths(write);
      ScopedKey variables(registry, registry.Create(root.get(), path, &write.status));
      if (variables && write.list.size() > std::numeric_limits<std::uint32_t>::max())
        write.status = Status(platform::kErrorInvalidParameter);
      else if (variables)
        write.status = registry.SetValue(variables.get(), kTrustedPaths, write.type, write.list.data(),
                                         static_cast<std::uint32_t>(write.list.size()));
    }
    writes.push_back(std::move(write));
  }
  return writes;
}

void EnumSubkeyNames(RegKey key, std::vector<std::string>& names) {
  Registry& registry = GetRegistry();
  std::uint32_t count = 0;
  if (!registry.SubkeyCount(key, &count)) return;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string name;
    if (!ReadSubkeyName(key, i, name)) continue;
    ScopedKey subkey(registry, registry.OpenRead(key, name));
    if (subkey) names.push_back(name);
  }
}
