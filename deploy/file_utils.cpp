#include "deploy/file_utils.h"

#include "platform/files.h"
#include "platform/mbcs.h"

void GetDataFolder(std::string& dataFolder) {
  std::string program = platform::GetFiles().ModulePath();
  // The last backslash that starts a character: a GBK trail byte 0x5C is
  // part of a name.
  std::size_t cut = 0;
  for (std::size_t i = 0; i < program.size(); i += mbcs::CharLength(program, i)) {
    if (program[i] == '\\') cut = i;
  }
  dataFolder = program.substr(0, cut) + "\\Data";
}

int GetPathKind(std::string path) {
  platform::Files& files = platform::GetFiles();
  platform::FindData found;
  platform::FindHandle handle = files.FindFirst(path, &found);
  if (!handle) return kPathNothing;
  files.FindClose(handle);
  return (found.attributes & platform::kAttrDirectory) ? kPathFolder : kPathFile;
}

void ClearReadOnly(std::string path) {
  platform::Files& files = platform::GetFiles();
  std::uint32_t attributes = 0;
  if (files.GetAttributes(path, &attributes) && (attributes & platform::kAttrReadOnly)) {
    files.SetAttributes(path, attributes & ~platform::kAttrReadOnly);
  }
}
