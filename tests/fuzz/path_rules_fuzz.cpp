// The folder rules on any text: the picker's check, the install's check of
// the folder box, and creating the folder on an in-memory disk, where nothing
// but the levels the path names may appear.
#include <algorithm>
#include <string>
#include <vector>

#include "deploy/file_utils.h"
#include "install/install_folder.h"
#include "install/path_rules.h"
#include "platform/mbcs.h"
#include "platform/services.h"
#include "tests/fakes/files.h"
#include "tests/fakes/rights.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// Every folder below the drive roots C: and D:, upper-cased.
void CollectFolders(platform::Files& files, const std::string& folder, std::vector<std::string>* out) {
  platform::FindData entry;
  platform::FindHandle listing = files.FindFirst(folder + "\\*.*", &entry);
  for (bool more = listing != nullptr; more; more = files.FindNext(listing, &entry)) {
    if (entry.name == "." || entry.name == ".." || !(entry.attributes & platform::kAttrDirectory)) continue;
    const std::string path = folder + "\\" + entry.name;
    out->push_back(mbcs::ToUpper(path));
    CollectFolders(files, path, out);
  }
  files.FindClose(listing);
}

std::vector<std::string> Folders(platform::Files& files) {
  std::vector<std::string> folders;
  for (const char* drive : {"C:", "D:"}) CollectFolders(files, drive, &folders);
  std::sort(folders.begin(), folders.end());
  return folders;
}

std::vector<std::string> Upper(std::vector<std::string> paths) {
  for (std::string& path : paths) path = mbcs::ToUpper(path);
  std::sort(paths.begin(), paths.end());
  return paths;
}

// Every level exists, and no other folder does. A folder whose parent's
// listing pattern would pass the path limit cannot be listed, so existence is
// asked of each level, and the listing only checked for strays.
bool HoldsExactly(platform::MemoryFiles& disk, const std::vector<std::string>& levels) {
  const std::vector<std::string> expected = Upper(levels);
  for (const std::string& level : levels) {
    if (!disk.Exists(level)) return false;
  }
  for (const std::string& folder : Folders(disk)) {
    if (!std::binary_search(expected.begin(), expected.end(), folder)) return false;
  }
  return true;
}

void CheckForm(const std::string& text) {
  const PathCheck form = CheckFolderForm(text);
  const bool good = form.fault == PathFault::None;
  // BuildFolderPath takes a C string: what follows a zero byte is not its.
  if (text.find('\0') == std::string::npos)
    FUZZ_CHECK(BuildFolderPath(text.c_str(), 1) ==
               (good && text.size() < kFolderPathBufferSize ? FolderPathResult::Ok : FolderPathResult::Invalid));
  if (!good) return;
  FUZZ_CHECK(text.size() >= 3 && text[1] == ':' && text[2] == '\\');
  FUZZ_CHECK(mbcs::IsWellFormed(text) && text.find(';') == std::string::npos);
  FUZZ_CHECK(!mbcs::EndsWithBackslash(text) || text.size() == 3);
  const std::vector<std::string> levels = FolderLevels(text);
  FUZZ_CHECK(levels.empty() == (text.size() == 3));
  for (const std::string& level : levels) {
    FUZZ_CHECK(text.compare(0, level.size(), level) == 0);
    FUZZ_CHECK(IsValidPathComponent(mbcs::FileNameOf(level).c_str()) == NameVerdict::Valid);
  }
  if (!levels.empty()) FUZZ_CHECK(levels.back() == text);
}

void CheckInstallFolder(const std::string& text) {
  const std::vector<std::string> names = {"ZV_BatchPlot2008.ARX", "PdfSharp.Charting.dll"};
  const FolderVerdict verdict = CheckFolderText(text, names);
  if (!verdict.accepted()) return;
  FUZZ_CHECK(verdict.installDir.size() + 1 + 21 <= platform::kMaxPathBytes);
  // The install folder is the chosen folder, of good form, and the product folder.
  const std::string chosen = mbcs::FolderOf(verdict.installDir);
  FUZZ_CHECK(CheckFolderForm(chosen.size() == 2 ? chosen + "\\" : chosen).fault == PathFault::None);

  platform::MemoryFiles disk;
  disk.AddDrive('D');
  platform::MemoryRights rights(disk);
  platform::Services services;
  services.files = &disk;
  services.rights = &rights;
  platform::UseServices(services);
  const FolderVerdict made = MakeInstallFolder(verdict.installDir);
  if (made.accepted()) {
    FUZZ_CHECK(IsFolder(verdict.installDir));
    FUZZ_CHECK(HoldsExactly(disk, FolderLevels(verdict.installDir)));
  } else {
    FUZZ_CHECK(Folders(disk).empty() || made.refusal == FolderRefusal::NotCreated);
  }
  platform::UseServices({});
}

void CheckCreation(const std::string& text) {
  if (text.find('\0') != std::string::npos) return;
  platform::MemoryFiles disk;
  disk.AddDrive('D');
  platform::Services services;
  services.files = &disk;
  platform::UseServices(services);
  const FolderPathResult code = BuildFolderPath(text.c_str(), 0);
  if (code == FolderPathResult::Ok) {
    FUZZ_CHECK(disk.Exists(text));
    // No stray folder: exactly the levels the path names were made.
    FUZZ_CHECK(HoldsExactly(disk, FolderLevels(text)));
  } else {
    FUZZ_CHECK(code == FolderPathResult::Invalid ? Folders(disk).empty() : code == FolderPathResult::NotCreated);
  }
  platform::UseServices({});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::string text = input.Rest();
  (void)IsValidPathComponent(text.c_str());
  CheckForm(text);
  CheckInstallFolder(text);
  CheckCreation(text);
  return 0;
}
