#include "tests/fakes/rights.h"

#include <cstring>
#include <set>

#include "platform/mbcs.h"
#include "platform/processes.h"

namespace platform {
namespace {

constexpr std::uint32_t kWriteDac = 0x00040000;
constexpr std::uint32_t kGenericAll = 0x10000000;

// The folders only administrators may change on every Windows.
constexpr const char* kSystemFolders[] = {"c:\\program files", "c:\\program files (x86)", "c:\\windows"};

bool AtOrBelow(const std::string& key, const char* folder) {
  const std::size_t length = std::strlen(folder);
  // Both are lower-cased and `folder` is ASCII, so comparing bytes cannot
  // meet half a character.
  return key.compare(0, length, folder) == 0 && (key.size() == length || key[length] == '\\');
}

// Whether `list` grants `account` (or a group every signed-in user is in)
// any of `bits`; a denied entry that applies decides first, as Windows puts
// denied entries first.
bool Grants(const AccessList& list, const std::string& account, std::uint32_t bits) {
  auto applies = [&](const AccessEntry& entry) {
    if ((entry.flags & kInheritOnly) != 0 || (entry.mask & bits) == 0) return false;
    for (const char* group : {kUsersSid, kAuthenticatedUsersSid, kInteractiveSid, kEveryoneSid}) {
      if (entry.sid == group) return true;
    }
    return mbcs::EqualsNoCase(entry.sid, account);
  };
  for (const AccessEntry& entry : list.entries) {
    if (!entry.allow && applies(entry)) return false;
  }
  for (const AccessEntry& entry : list.entries) {
    if (entry.allow && applies(entry)) return true;
  }
  return false;
}

std::set<const Rights*>& Living() {
  static std::set<const Rights*> living;
  return living;
}

}  // namespace

MemoryRights::MemoryRights() { Living().insert(this); }
MemoryRights::MemoryRights(Files& files) : files_(&files) { Living().insert(this); }
MemoryRights::~MemoryRights() { Living().erase(this); }

MemoryRights* MemoryRights::Of(Rights* rights) {
  return Living().count(rights) != 0 ? static_cast<MemoryRights*>(rights) : nullptr;
}

ElevatedStart MemoryRights::StartElevated(const std::string& program, const std::vector<std::string>& arguments) {
  state_.requests.push_back({program, arguments});
  ElevatedStart start;
  start.result = state_.startResult;
  switch (state_.startResult) {
    case ElevatedStartResult::Started:
      start.process = GetProcesses().Start(program, arguments, &start.status);
      if (start.process == nullptr) start.result = ElevatedStartResult::Failed;
      break;
    case ElevatedStartResult::Declined:
      start.status = Status(kErrorCancelled);
      break;
    case ElevatedStartResult::Refused:
      start.status = Status(kErrorAccessDenied);
      break;
    case ElevatedStartResult::Failed:
      start.status = Status(kErrorFileNotFound);
      break;
  }
  return start;
}

std::string MemoryRights::UniversalPath(const std::string& path) {
  if (path.size() < 2 || path[1] != ':') return path;
  auto share = state_.mapped.find(mbcs::ToUpper(path.substr(0, 2)));
  return share != state_.mapped.end() ? share->second + path.substr(2) : path;
}

Status MemoryRights::CreateFolder(const std::string& path, const AccessList& access) {
  if (!MayWriteIn(mbcs::FolderOf(KeyOf(path)))) return Status(kErrorAccessDenied);
  const Status made = files().CreateDirectory(path);
  if (made) state_.access[KeyOf(path)] = access;
  return made;
}

Status MemoryRights::SetFolderAccess(const std::string& path, const AccessList& access) {
  std::uint32_t attributes = 0;
  if (!files().GetAttributes(path, &attributes)) return Status(kErrorFileNotFound);
  // Re-listing a folder takes the right to change its list.
  const std::string key = KeyOf(path);
  if (state_.token != TokenRights::Full &&
      (!MayWriteIn(key) || !Grants(ListOf(key), state_.account.sid, kWriteDac | kGenericAll)))
    return Status(kErrorAccessDenied);
  state_.access[key] = access;
  return Status::Ok();
}

std::optional<AccessList> MemoryRights::FolderAccess(const std::string& path) {
  if (!files().Exists(path)) return std::nullopt;
  return ListOf(KeyOf(path));
}

AccessList MemoryRights::ListOf(const std::string& key) const {
  auto own = state_.access.find(key);
  if (own != state_.access.end()) return own->second;
  const std::size_t cut = mbcs::LastBackslash(key);
  if (cut == std::string::npos) return InheritedFromDriveRoot();
  // What the folder above hands down: entries for folders apply here and go
  // on down; entries for files only wait here for the files.
  AccessList handed;
  for (const AccessEntry& entry : ListOf(key.substr(0, cut)).entries) {
    if ((entry.flags & kInheritToFolders) != 0) {
      handed.entries.push_back(
          {entry.sid, entry.mask, static_cast<std::uint8_t>((entry.flags & ~kInheritOnly) | kInherited), entry.allow});
    } else if ((entry.flags & kInheritToFiles) != 0) {
      handed.entries.push_back(
          {entry.sid, entry.mask, static_cast<std::uint8_t>(entry.flags | kInheritOnly | kInherited), entry.allow});
    }
  }
  return handed;
}

bool MemoryRights::MayWriteIn(const std::string& folder) {
  if (state_.token == TokenRights::Full) return true;
  const std::string key = KeyOf(folder);
  for (const char* system : kSystemFolders) {
    if (AtOrBelow(key, system)) return false;
  }
  return Grants(ListOf(key), state_.account.sid, kAccessAnyWrite);
}

void MemoryRights::SetAccess(const std::string& path, AccessList access) { state_.access[KeyOf(path)] = std::move(access); }

AccessList MemoryRights::InheritedFromDriveRoot() {
  constexpr std::uint8_t kHanded = kInheritToFiles | kInheritToFolders | kInherited;
  return AccessList{false,
                    {{kAdministratorsSid, kAccessFullControl, kHanded},
                     {kSystemSid, kAccessFullControl, kHanded},
                     {kUsersSid, kAccessReadExecute, kHanded},
                     {kAuthenticatedUsersSid, kAccessModify, kHanded}}};
}

std::string MemoryRights::KeyOf(const std::string& path) {
  std::string key = mbcs::ToLower(path);
  while (!key.empty() && key.back() == '\\') key.pop_back();
  return key;
}

}  // namespace platform
