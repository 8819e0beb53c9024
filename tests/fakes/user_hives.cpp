#include "tests/fakes/user_hives.h"

#include <algorithm>

#include "platform/mbcs.h"

namespace platform {
namespace {

std::string Below(const std::string& path, const std::string& name) {
  return path.empty() ? name : name.empty() ? path : path + "\\" + name;
}

}  // namespace

Status MemoryUserHives::EnablePrivileges() {
  if (!held_) return Status(kErrorNotAllAssigned);
  enabled_ = true;
  return Status::Ok();
}

MemoryUserHives::StoredFile* MemoryUserHives::Find(const std::string& file) {
  auto it = std::find_if(files_.begin(), files_.end(),
                         [&](const StoredFile& stored) { return mbcs::EqualsNoCase(stored.file, file); });
  return it == files_.end() ? nullptr : &*it;
}

Status MemoryUserHives::Load(const std::string& name, const std::string& file) {
  if (!enabled_) return Status(kErrorPrivilegeNotHeld);
  if (name.empty() || mbcs::Find(name, "\\") != mbcs::npos) return Status(kErrorInvalidParameter);
  if (registry_.KeyExists(Hive::Users, name)) return Status(kErrorAlreadyExists);
  StoredFile* stored = Find(file);
  if (!stored) return Status(kErrorFileNotFound);
  const bool inUse = stored->held || std::any_of(loaded_.begin(), loaded_.end(), [&](const LoadedHive& hive) {
                       return mbcs::EqualsNoCase(hive.file, file);
                     });
  if (inUse) return Status(kErrorSharingViolation);
  if (!stored->isHive) return Status(kErrorNotRegistryFile);
  ScopedKey users(registry_, registry_.OpenHive(Hive::Users));
  registry_.Close(registry_.Create(users.get(), name));
  for (const Key& key : stored->keys) {
    ScopedKey at(registry_, registry_.Create(users.get(), Below(name, key.path)));
    for (const auto& value : key.values) {
      const Status set = registry_.SetValue(at.get(), value.first, value.second.type, value.second.bytes.data(),
                                            static_cast<std::uint32_t>(value.second.bytes.size()));
      if (!set) return set;  // the test laid out a value no registry holds
    }
  }
  loaded_.push_back({name, stored->file});
  return Status::Ok();
}

void MemoryUserHives::Export(const std::string& path, const std::string& below, HiveFile& keys) const {
  keys.push_back({below, registry_.Values(Hive::Users, path)});
  for (const std::string& child : registry_.Subkeys(Hive::Users, path))
    Export(path + "\\" + child, Below(below, child), keys);
}

Status MemoryUserHives::Unload(const std::string& name) {
  if (!enabled_) return Status(kErrorPrivilegeNotHeld);
  auto hive = std::find_if(loaded_.begin(), loaded_.end(),
                           [&](const LoadedHive& loaded) { return mbcs::EqualsNoCase(loaded.name, name); });
  if (hive == loaded_.end())
    return Status(registry_.KeyExists(Hive::Users, name) ? kErrorInvalidParameter : kErrorFileNotFound);
  if (registry_.OpenHandlesAt(Hive::Users, name) != 0) return Status(kErrorAccessDenied);
  HiveFile keys;
  Export(name, "", keys);
  Find(hive->file)->keys = keys;
  // Deepest first: a key with sub-keys cannot be deleted.
  ScopedKey users(registry_, registry_.OpenHive(Hive::Users));
  for (auto key = keys.rbegin(); key != keys.rend(); ++key) (void)registry_.DeleteKey(users.get(), Below(name, key->path));
  loaded_.erase(hive);
  return Status::Ok();
}

void MemoryUserHives::AddHiveFile(const std::string& file, HiveFile keys) {
  if (StoredFile* stored = Find(file)) {
    *stored = {file, true, false, std::move(keys)};
  } else {
    files_.push_back({file, true, false, std::move(keys)});
  }
}

void MemoryUserHives::AddOtherFile(const std::string& file) {
  AddHiveFile(file, {});
  Find(file)->isHive = false;
}

void MemoryUserHives::HoldFile(const std::string& file) {
  if (!Find(file)) AddHiveFile(file, {});
  Find(file)->held = true;
}

const MemoryUserHives::HiveFile* MemoryUserHives::File(const std::string& file) const {
  for (const StoredFile& stored : files_)
    if (mbcs::EqualsNoCase(stored.file, file)) return &stored.keys;
  return nullptr;
}

std::vector<std::string> MemoryUserHives::LoadedNames() const {
  std::vector<std::string> names;
  for (const LoadedHive& hive : loaded_) names.push_back(hive.name);
  return names;
}

}  // namespace platform
