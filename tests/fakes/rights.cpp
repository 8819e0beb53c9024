#include "tests/fakes/rights.h"

#include "platform/mbcs.h"
#include "platform/processes.h"

namespace platform {

ElevatedStart MemoryRights::StartElevated(const std::string& program, const std::vector<std::string>& arguments) {
  requests_.push_back({program, arguments});
  ElevatedStart start;
  start.result = startResult_;
  switch (startResult_) {
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
  auto share = mapped_.find(mbcs::ToUpper(path.substr(0, 2)));
  return share != mapped_.end() ? share->second + path.substr(2) : path;
}

Status MemoryRights::CreateFolder(const std::string& path, const AccessList& access) {
  const Status made = files().CreateDirectory(path);
  if (made) access_[KeyOf(path)] = access;
  return made;
}

Status MemoryRights::SetFolderAccess(const std::string& path, const AccessList& access) {
  std::uint32_t attributes = 0;
  if (!files().GetAttributes(path, &attributes)) return Status(kErrorFileNotFound);
  access_[KeyOf(path)] = access;
  return Status::Ok();
}

std::optional<AccessList> MemoryRights::FolderAccess(const std::string& path) {
  if (!files().Exists(path)) return std::nullopt;
  auto found = access_.find(KeyOf(path));
  return found != access_.end() ? found->second : InheritedFromDriveRoot();
}

void MemoryRights::SetAccess(const std::string& path, AccessList access) { access_[KeyOf(path)] = std::move(access); }

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
