#include "install/install_folder.h"

#include <optional>

#include "deploy/file_utils.h"
#include "deploy/folder_access.h"
#include "deploy/product.h"
#include "platform/files.h"
#include "platform/mbcs.h"
#include "platform/rights.h"
#include "record/install_record.h"

namespace {

FolderVerdict Refuse(FolderRefusal refusal, std::string subject = {}) {
  FolderVerdict verdict;
  verdict.refusal = refusal;
  verdict.subject = std::move(subject);
  return verdict;
}

// The text as the user means it: one trailing backslash is no part of the
// folder's name, except the one of a drive root.
std::string ChosenFolder(const std::string& text) {
  std::string folder = text;
  if (CheckFolderForm(text).fault == PathFault::None && FolderLevels(text).empty()) return folder;
  mbcs::DropTrailingBackslash(folder);
  return folder;
}

platform::AccessList LockedForThisProcess() {
  platform::Rights& rights = platform::GetRights();
  const platform::TokenRights token = rights.Token();
  return LockedFolderAccess(token, token == platform::TokenRights::Full ? std::string() : rights.CurrentAccount().sid);
}

// The product folder once it is there: `made` says whether this process made it.
FolderLock Lock(const std::string& folder, platform::Status made) {
  using What = FolderLock::What;
  platform::Rights& rights = platform::GetRights();
  FolderLock lock;
  lock.folder = folder;
  if (made) return lock;
  if (platform::GetFiles().Exists(RecordPath(folder))) {
    lock.status = rights.SetFolderAccess(folder, LockedForThisProcess());
    lock.what = lock.status ? What::Locked : What::NotLocked;
    return lock;
  }
  // Someone else's folder (made by hand, or just now by another program):
  // its list is the owner's business, but the log says when anyone can
  // change what AutoCAD will trust.
  const std::optional<platform::AccessList> access = rights.FolderAccess(folder);
  lock.what = !access ? What::LeftUnknown : UsersCanWrite(*access) ? What::LeftOpen : What::LeftAsIs;
  return lock;
}

}  // namespace

FolderVerdict CheckFolderText(const std::string& folderText, const std::vector<std::string>& names) {
  if (folderText.empty()) return Refuse(FolderRefusal::Empty);
  std::string folder = ChosenFolder(folderText);
  FolderVerdict verdict;
  verdict.form = CheckFolderForm(folder);
  if (verdict.form.fault != PathFault::None) {
    verdict.refusal = FolderRefusal::Invalid;
    return verdict;
  }
  mbcs::DropTrailingBackslash(folder);  // a drive root's
  verdict.installDir = folder + "\\" + kProductFolder;

  const std::string* longest = nullptr;
  for (const std::string& name : names) {
    if (!longest || name.size() > longest->size()) longest = &name;
  }
  const std::size_t bytes = longest ? verdict.installDir.size() + 1 + longest->size() : verdict.installDir.size();
  if (bytes > platform::kMaxPathBytes) {
    verdict.refusal = FolderRefusal::TooLong;
    verdict.subject = longest ? *longest : verdict.installDir;
    verdict.bytes = bytes;
  }
  return verdict;
}

FolderVerdict MakeInstallFolder(const std::string& installDir) {
  platform::Files& files = platform::GetFiles();
  const std::string drive = installDir.substr(0, 2);
  if (!IsFolder(drive + "\\")) return Refuse(FolderRefusal::NoDrive, drive);
  const std::vector<std::string> levels = FolderLevels(installDir);
  for (const std::string& level : levels) {
    if (files.Exists(level) && !IsFolder(level)) return Refuse(FolderRefusal::FileInTheWay, level);
  }
  platform::Status productMade(platform::kErrorAlreadyExists);
  for (const std::string& level : levels) {
    if (IsFolder(level)) continue;
    const bool product = &level == &levels.back();
    const platform::Status made = product ? platform::GetRights().CreateFolder(level, LockedForThisProcess())
                                          : files.CreateDirectory(level);
    if (product) productMade = made;
    if (IsFolder(level)) continue;
    FolderVerdict verdict = Refuse(FolderRefusal::NotCreated, level);
    verdict.status = made;
    return verdict;
  }
  FolderVerdict verdict;
  verdict.installDir = installDir;
  verdict.lock = Lock(installDir, productMade);
  return verdict;
}
