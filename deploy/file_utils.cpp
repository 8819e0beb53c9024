#include "deploy/file_utils.h"

#include "platform/files.h"
#include "platform/mbcs.h"

void GetDataFolder(std::string& dataFolder) {
  dataFolder = mbcs::FolderOf(platform::GetFiles().ModulePath()) + "\\Data";
}

int GetPathKind(std::string path) {
  platform::Files& files = platform::GetFiles();
  platform::FindData found;
  platform::FindHandle handle = files.FindFirst(path, &found);
  if (!handle) return kPathNothing;
  files.FindClose(handle);
  return (found.attributes & platform::kAttrDirectory) ? kPathFolder : kPathFile;
}

bool IsFolder(const std::string& path) {
  std::uint32_t attributes = 0;
  return platform::GetFiles().GetAttributes(path, &attributes) && (attributes & platform::kAttrDirectory) != 0;
}

void ClearReadOnly(std::string path) {
  platform::Files& files = platform::GetFiles();
  std::uint32_t attributes = 0;
  if (files.GetAttributes(path, &attributes) && (attributes & platform::kAttrReadOnly)) {
    files.SetAttributes(path, attributes & ~platform::kAttrReadOnly);
  }
}
