// Trusted-path registration: the install folder joins TRUSTEDPATHS in every
// AutoCAD profile of the current user, whatever releases were ticked.
#include <algorithm>
#include <limits>
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

namespace {

const char kAcadKey[] = "SOFTWARE\\Autodesk\\AutoCAD";
const char kTrustedPaths[] = "TRUSTEDPATHS";

// Typical lists fit at once; a longer one is read again with the size the
// registry asks for, a few times in case it keeps growing meanwhile.
constexpr std::uint32_t kFirstReadBytes = 13000;
constexpr int kReadAttempts = 8;

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
    DropTrailingBackslash(child);
    out->push_back(child + suffix);
  }
}

// SOFTWARE\Autodesk\AutoCAD\<release>\<product>\Profiles for every release and
// product key of the current user.
std::vector<std::string> ProfileRoots(Registry& registry) {
  std::vector<std::string> roots;
  ScopedKey root(registry, registry.OpenHive(Hive::CurrentUser));
  ScopedKey acad(registry, registry.OpenRead(root.get(), kAcadKey));
  std::uint32_t count = 0;
  if (!acad || !registry.SubkeyCount(acad.get(), &count)) return roots;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string release;
    if (ReadSubkeyName(acad.get(), i, release))
      AppendChildPaths(registry, acad.get(), release, std::string(kAcadKey) + "\\" + release, "\\Profiles", &roots);
  }
  return roots;
}

// <profile root>\<profile>\Variables for every profile below the roots.
std::vector<std::string> VariablesKeys(Registry& registry, const std::vector<std::string>& profileRoots) {
  std::vector<std::string> keys;
  ScopedKey root(registry, registry.OpenHive(Hive::CurrentUser));
  if (!root) return keys;
  for (const std::string& profileRoot : profileRoots)
    AppendChildPaths(registry, root.get(), profileRoot, profileRoot, "\\Variables", &keys);
  return keys;
}

// The stored list, whole, up to its first zero byte; empty when the key or the
// value is missing. False when it cannot be read whole: writing then would
// lose what could not be read.
bool ReadTrustedPaths(Registry& registry, RegKey root, const std::string& variablesKey, std::string* list) {
  list->clear();
  ScopedKey variables(registry, registry.Open(root, variablesKey));
  if (!variables) return true;
  std::vector<char> buffer(kFirstReadBytes);
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    std::uint32_t size = static_cast<std::uint32_t>(buffer.size());
    switch (registry.QueryValue(variables.get(), kTrustedPaths, nullptr, buffer.data(), &size)) {
      case QueryResult::Ok:
        list->assign(buffer.data(), std::find(buffer.data(), buffer.data() + size, '\0'));
        return true;
      case QueryResult::NotFound:
        return true;
      case QueryResult::NotGbk:
        return false;
      case QueryResult::MoreData:
        if (size <= buffer.size()) return false;
        buffer.resize(size);
        break;
    }
  }
  return false;
}

// Whether one ';'-separated entry of `list` is `folder`, ignoring case and a
// trailing backslash. An entry that only begins with the folder is another
// folder.
bool ListHasEntry(const std::string& list, std::string folder) {
  DropTrailingBackslash(folder);
  for (std::size_t start = 0;;) {
    std::size_t end = mbcs::Find(list, ";", start);
    std::string entry = list.substr(start, end == mbcs::npos ? std::string::npos : end - start);
    DropTrailingBackslash(entry);
    if (mbcs::EqualsNoCase(entry, folder)) return true;
    if (end == mbcs::npos) return false;
    start = end + 1;
  }
}

}  // namespace

std::string ComposeTrustedPaths(const std::string& existing, const std::string& installDir) {
  if (existing.size() <= 2) return installDir;
  std::string list = mbcs::ToUpper(existing);
  std::string folder = mbcs::ToUpper(installDir);
  if (ListHasEntry(list, folder)) return list;
  return list + ";" + folder;
}

int CAcadHosts::AddTrustedPath() {
  Registry& registry = GetRegistry();
  const std::vector<std::string> variablesKeys = VariablesKeys(registry, ProfileRoots(registry));

  int failures = 0;
  ScopedKey root(registry, registry.OpenHive(Hive::CurrentUser));
  for (const std::string& path : variablesKeys) {
    std::string existing;
    if (!ReadTrustedPaths(registry, root.get(), path, &existing)) {
      ++failures;
      continue;
    }
    const std::string list = ComposeTrustedPaths(existing, installDir);
    ScopedKey variables(registry, registry.Create(root.get(), path));
    if (!variables || list.size() > std::numeric_limits<std::uint32_t>::max() ||
        !registry.SetValue(variables.get(), kTrustedPaths, platform::kRegSz, list.data(),
                           static_cast<std::uint32_t>(list.size())))
      ++failures;
  }
  return failures;
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
