#include "uninstall/self_removal.h"

#include "deploy/file_utils.h"
#include "deploy/folder_access.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/mbcs.h"
#include "platform/processes.h"
#include "platform/rights.h"
#include "platform/system_info.h"
#include "record/install_record.h"

namespace {

// The copy is named after the process that made it, so that two uninstalls
// at once do not share one.
constexpr char kCopyPrefix[] = "ZorvelUninstall-";
constexpr char kCopySuffix[] = ".exe";

// %SystemRoot%\Temp\ZorvelUninstall-<firstProcess>; empty without SystemRoot.
std::string LockedCopyFolder(std::uint32_t firstProcess) {
  std::string root;
  if (!platform::GetEnvironment().GetVariable("SystemRoot", &root)) return std::string();
  mbcs::DropTrailingBackslash(root);
  if (root.empty()) return std::string();
  return root + "\\Temp\\" + kCopyPrefix + mbcs::Decimal(firstProcess);
}

struct CopyPlace {
  std::string folder;  // made for the copy; empty in the user's temp folder
  std::string copy;    // empty when there is no place: `status` says why
  platform::Status status;
};

CopyPlace PlaceForCopy() {
  const std::uint32_t self = platform::GetProcesses().CurrentProcessId();
  CopyPlace place;
  if (platform::GetRights().Token() != platform::TokenRights::Full) {
    const std::string temp = platform::GetSystemInfo().TempFolder();
    if (temp.empty())
      place.status = platform::Status(platform::kErrorPathNotFound);
    else
      place.copy = temp + "\\" + kCopyPrefix + mbcs::Decimal(self) + kCopySuffix;
    return place;
  }
  const std::string folder = LockedCopyFolder(self);
  if (folder.empty()) {
    place.status = platform::Status(platform::kErrorPathNotFound);
    return place;
  }
  // Only a folder made here and now is known to be the administrators' alone:
  // one that is there already, whoever made it, is not run from.
  place.status =
      platform::GetRights().CreateFolder(folder, LockedFolderAccess(platform::TokenRights::Full, std::string()));
  if (!place.status) return place;
  place.folder = folder;
  place.copy = folder + "\\" + kUninstallerName;
  return place;
}

// A copy that did not run, and the folder made for it.
void Discard(const CopyPlace& place) {
  platform::Files& files = platform::GetFiles();
  (void)files.DeleteFile(place.copy);
  if (!place.folder.empty()) (void)files.RemoveDirectory(place.folder);
}

}  // namespace

std::string UninstallerPath(const std::string& installDir) {
  std::string folder = installDir;
  mbcs::DropTrailingBackslash(folder);
  return folder + "\\" + kUninstallerName;
}

bool RunsFromInstallFolder(const std::string& installDir) {
  return mbcs::EqualsNoCase(platform::GetFiles().ModulePath(), UninstallerPath(installDir));
}

RelayResult RelayToTempCopy(const std::vector<std::string>& removalArguments,
                            const std::vector<std::string>& cleanupArguments) {
  platform::Files& files = platform::GetFiles();
  platform::Processes& processes = platform::GetProcesses();
  RelayResult result;
  const CopyPlace place = PlaceForCopy();
  result.status = place.status;
  if (!result.status) return result;
  result.copy = place.copy;
  result.status = files.CopyFile(files.ModulePath(), result.copy);
  if (!result.status) {
    Discard(place);
    return result;
  }
  platform::ProcessHandle removal = processes.Start(result.copy, removalArguments, &result.status);
  if (!removal) {
    Discard(place);
    return result;
  }
  result.started = true;
  result.status = processes.Wait(removal, &result.exitCode);
  processes.Release(processes.Start(result.copy, cleanupArguments));
  return result;
}

bool FinishRemoval(const std::string& installDir, std::uint32_t waitFor) {
  platform::GetProcesses().WaitForEnd(waitFor);
  std::string folder = installDir;
  mbcs::DropTrailingBackslash(folder);
  const ParsedRecord parsed = ReadRecord(folder);
  InstallRecord rest = parsed.record;
  const bool onlyTheUninstaller = rest.files.size() == 1 && mbcs::EqualsNoCase(rest.files[0], kUninstallerName);
  rest.files.clear();
  if (parsed.state != RecordState::Complete || !onlyTheUninstaller || !rest.NamesNothing()) return false;
  if (!Gone(DeleteMadeFile(folder + "\\" + kUninstallerName)) || !Gone(DeleteMadeFile(RecordPath(folder))))
    return false;
  // Files the user added keep the folder.
  platform::Files& files = platform::GetFiles();
  if (files.RemoveDirectory(folder) && rest.parentCreated) (void)files.RemoveDirectory(mbcs::FolderOf(folder));
  return true;
}

std::string HandOverFolder(std::uint32_t firstProcess) {
  const std::string folder = LockedCopyFolder(firstProcess);
  if (folder.empty() || !mbcs::EqualsNoCase(platform::GetFiles().ModulePath(), folder + "\\" + kUninstallerName))
    return std::string();
  return folder;
}

platform::Status RemoveHandOverFolder(const std::string& handOverFolder) {
  platform::Files& files = platform::GetFiles();
  const platform::Status copy = files.DeleteAtRestart(handOverFolder + "\\" + kUninstallerName);
  if (!copy) return copy;
  return files.DeleteAtRestart(handOverFolder);
}
