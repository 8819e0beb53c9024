#include "install/install_folder.h"

#include "deploy/file_utils.h"
#include "deploy/product.h"
#include "platform/files.h"
#include "platform/mbcs.h"

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
  for (const std::string& level : levels) {
    if (IsFolder(level)) continue;
    const platform::Status made = files.CreateDirectory(level);
    if (IsFolder(level)) continue;
    FolderVerdict verdict = Refuse(FolderRefusal::NotCreated, level);
    verdict.status = made;
    return verdict;
  }
  FolderVerdict verdict;
  verdict.installDir = installDir;
  return verdict;
}
