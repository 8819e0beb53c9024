#include "deploy/file_utils.h"

#include <cstdint>

#include "platform/append_files.h"
#include "platform/environment.h"
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

std::string AppDataFolder() {
  platform::Environment& environment = platform::GetEnvironment();
  std::string value;
  if (environment.GetVariable("APPDATA", &value) && !value.empty()) return value;
  return environment.RoamingAppDataFolder();
}

bool IsFolder(const std::string& path) {
  std::uint32_t attributes = 0;
  return platform::GetFiles().GetAttributes(path, &attributes) && (attributes & platform::kAttrDirectory) != 0;
}

void ClearReadOnly(std::string path) {
  platform::Files& files = platform::GetFiles();
  std::uint32_t attributes = 0;
  if (files.GetAttributes(path, &attributes) && (attributes & platform::kAttrReadOnly)) {
    (void)files.SetAttributes(path, attributes & ~platform::kAttrReadOnly);
  }
}

bool SameContent(const std::string& a, const std::string& b) {
  platform::Files& files = platform::GetFiles();
  std::string first, second;
  return files.ReadFile(a, kMaxComparedFileBytes, &first) && files.ReadFile(b, kMaxComparedFileBytes, &second) &&
         first == second;
}

std::string FingerprintOf(const std::string& path) {
  std::string content;
  if (!platform::GetFiles().ReadFile(path, kMaxComparedFileBytes, &content)) return std::string();
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char byte : content) hash = (hash ^ byte) * 0x100000001b3ull;
  static const char kHex[] = "0123456789abcdef";
  std::string text = mbcs::Decimal(content.size()) + ":";
  for (int shift = 60; shift >= 0; shift -= 4) text.push_back(kHex[(hash >> shift) & 0xF]);
  return text;
}

platform::Status DeleteMadeFile(const std::string& path) {
  ClearReadOnly(path);
  return platform::GetFiles().DeleteFile(path);
}

bool Gone(platform::Status deleted) {
  return deleted || deleted.code() == platform::kErrorFileNotFound || deleted.code() == platform::kErrorPathNotFound;
}

platform::Status FlushToDisk(const std::string& path) {
  platform::AppendFiles& appends = platform::GetAppendFiles();
  platform::Status status;
  platform::ScopedAppend file(appends, appends.Open(path, &status));
  if (!file) return status;
  return appends.Flush(file.get());
}
