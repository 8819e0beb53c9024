#include "tests/fakes/faulty_registry.h"

#include "platform/mbcs.h"

namespace platform {
namespace {

std::string Child(const std::string& path, std::string_view name) {
  std::string upper = mbcs::ToUpper(name);
  return path.empty() ? upper : path + "\\" + upper;
}

std::string Normalized(const std::string& path) {
  std::string out;
  for (std::string_view part : mbcs::Split(path, '\\')) {
    if (!part.empty()) out = Child(out, part);
  }
  return out;
}

}  // namespace

void FaultyRegistry::Add(Kind kind, Hive hive, const std::string& path, std::uint32_t index, const std::string& name) {
  faults_.push_back({kind, hive, Normalized(path), index, name});
}

void FaultyRegistry::DenyWrites(Hive hive, const std::string& path) { Add(Kind::DenyWrites, hive, path); }
void FaultyRegistry::DenyOpen(Hive hive, const std::string& path) { Add(Kind::DenyOpen, hive, path); }
void FaultyRegistry::FailSubkeyCount(Hive hive, const std::string& path) { Add(Kind::FailSubkeyCount, hive, path); }
void FaultyRegistry::FailEnumAt(Hive hive, const std::string& path, std::uint32_t index) {
  Add(Kind::FailEnumAt, hive, path, index);
}
void FaultyRegistry::VanishWhenListed(Hive hive, const std::string& path) { Add(Kind::VanishWhenListed, hive, path); }
void FaultyRegistry::MakeNotGbk(Hive hive, const std::string& path, const std::string& name) {
  Add(Kind::NotGbk, hive, path, 0, name);
}

bool FaultyRegistry::Has(Kind kind, const Where& where, std::uint32_t index, const std::string& name) const {
  for (const Fault& fault : faults_) {
    if (fault.kind == kind && fault.hive == where.hive && fault.path == where.path && fault.index == index &&
        mbcs::EqualsNoCase(fault.valueName, name))
      return true;
  }
  return false;
}

bool FaultyRegistry::WritesDenied(const Where& where) const {
  for (const Fault& fault : faults_) {
    if (fault.kind != Kind::DenyWrites || fault.hive != where.hive) continue;
    if (fault.path.empty() || where.path == fault.path ||
        (where.path.size() > fault.path.size() && where.path.compare(0, fault.path.size(), fault.path) == 0 &&
         where.path[fault.path.size()] == '\\'))
      return true;
  }
  return false;
}

const FaultyRegistry::Where* FaultyRegistry::Find(RegKey key) const {
  auto it = handles_.find(key);
  return it == handles_.end() ? nullptr : &it->second.where;
}

std::vector<FaultyRegistry::Where> FaultyRegistry::Levels(const Where& parent, const std::string& path) const {
  std::vector<Where> levels;
  Where at = parent;
  for (std::string_view part : mbcs::Split(path, '\\')) {
    if (part.empty()) continue;
    at.path = Child(at.path, part);
    levels.push_back(at);
  }
  return levels;
}

RegKey FaultyRegistry::Opened(RegKey key, const Where& where) {
  if (key) {
    Handle& handle = handles_[key];
    handle.where = where;
    ++handle.count;
  }
  return key;
}

RegKey FaultyRegistry::OpenHive(Hive hive) { return Opened(inner().OpenHive(hive), {hive, ""}); }

RegKey FaultyRegistry::OpenWith(RegKey parent, const std::string& path, bool forReading) {
  auto open = [&] { return forReading ? inner().OpenRead(parent, path) : inner().Open(parent, path); };
  const Where* at = Find(parent);
  if (!at) return open();
  const std::vector<Where> levels = Levels(*at, path);
  for (const Where& level : levels) {
    if (Has(Kind::DenyOpen, level)) return nullptr;
  }
  return Opened(open(), levels.empty() ? *at : levels.back());
}

RegKey FaultyRegistry::Open(RegKey parent, const std::string& path) { return OpenWith(parent, path, false); }
RegKey FaultyRegistry::OpenRead(RegKey parent, const std::string& path) { return OpenWith(parent, path, true); }

bool FaultyRegistry::SubkeyCount(RegKey key, std::uint32_t* count) {
  const Where* at = Find(key);
  if (at && Has(Kind::FailSubkeyCount, *at)) return false;
  return inner().SubkeyCount(key, count);
}

bool FaultyRegistry::EnumSubkey(RegKey key, std::uint32_t index, char* buffer, std::uint32_t bufferSize) {
  const Where* at = Find(key);
  if (at && Has(Kind::FailEnumAt, *at, index)) return false;
  if (!inner().EnumSubkey(key, index, buffer, bufferSize)) return false;
  if (at && Has(Kind::VanishWhenListed, {at->hive, Child(at->path, buffer)})) DeleteTree(key, buffer);
  return true;
}

QueryResult FaultyRegistry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type, void* data,
                                       std::uint32_t* size) {
  const QueryResult read = inner().QueryValue(key, name, type, data, size);
  const Where* at = Find(key);
  // The value is delivered as stored, standing for its '?'-substituted reading.
  if (read == QueryResult::Ok && at && Has(Kind::NotGbk, *at, 0, name)) return QueryResult::NotGbk;
  return read;
}

QueryResult FaultyRegistry::QueryStored(RegKey key, const std::string& name, StoredValue* value) {
  const QueryResult read = inner().QueryStored(key, name, value);
  const Where* at = Find(key);
  if (read == QueryResult::Ok && at && Has(Kind::NotGbk, *at, 0, name)) return QueryResult::NotGbk;
  return read;
}

RegKey FaultyRegistry::Create(RegKey parent, const std::string& path, Status* status) {
  const Where* at = Find(parent);
  if (!at) return inner().Create(parent, path, status);
  const std::vector<Where> levels = Levels(*at, path);
  std::string made;
  for (const Where& level : levels) {
    made = made.empty() ? mbcs::FileNameOf(level.path) : made + "\\" + mbcs::FileNameOf(level.path);
    bool denied = Has(Kind::DenyOpen, level);
    if (!denied && WritesDenied(level)) {
      ScopedKey existing(inner(), inner().OpenRead(parent, made));
      denied = !existing;
    }
    if (denied) {
      if (status) *status = Status(kErrorAccessDenied);
      return nullptr;
    }
  }
  const Where where = levels.empty() ? *at : levels.back();
  return Opened(inner().Create(parent, path, status), where);
}

Status FaultyRegistry::SetValue(RegKey key, const std::string& name, std::uint32_t type, const void* data,
                                std::uint32_t size) {
  const Where* at = Find(key);
  if (at && WritesDenied(*at)) return Status(kErrorAccessDenied);
  return inner().SetValue(key, name, type, data, size);
}

Status FaultyRegistry::DeleteKey(RegKey parent, const std::string& path) {
  const Where* at = Find(parent);
  if (at) {
    const std::vector<Where> levels = Levels(*at, path);
    if (!levels.empty() && WritesDenied(levels.back())) return Status(kErrorAccessDenied);
  }
  return inner().DeleteKey(parent, path);
}

Status FaultyRegistry::DeleteValue(RegKey key, const std::string& name) {
  const Where* at = Find(key);
  if (at && WritesDenied(*at)) return Status(kErrorAccessDenied);
  return inner().DeleteValue(key, name);
}

void FaultyRegistry::Close(RegKey key) {
  auto it = handles_.find(key);
  if (it != handles_.end() && --it->second.count == 0) handles_.erase(it);
  inner().Close(key);
}

void FaultyRegistry::DeleteTree(RegKey parent, const std::string& name) {
  {
    ScopedKey key(inner(), inner().OpenRead(parent, name));
    std::uint32_t count = 0;
    if (key && inner().SubkeyCount(key.get(), &count)) {
      for (std::uint32_t i = count; i-- > 0;) {
        char child[kKeyNameBufferBytes];
        if (inner().EnumSubkey(key.get(), i, child, sizeof child)) DeleteTree(key.get(), child);
      }
    }
  }
  (void)inner().DeleteKey(parent, name);
}

}  // namespace platform
