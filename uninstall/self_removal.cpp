#include "uninstall/self_removal.h"

#include "deploy/file_utils.h"
#include "platform/files.h"
#include "platform/mbcs.h"
#include "platform/processes.h"
#include "platform/system_info.h"
#include "record/install_record.h"

namespace {

// The copy is named after the process that made it, so that two uninstalls
// at once do not share one.
constexpr char kCopyPrefix[] = "ZorvelUninstall-";
constexpr char kCopySuffix[] = ".exe";

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
  const std::string temp = platform::GetSystemInfo().TempFolder();
  if (temp.empty()) {
    result.status = platform::Status(platform::kErrorPathNotFound);
    return result;
  }
  result.copy = temp + "\\" + kCopyPrefix + mbcs::Decimal(processes.CurrentProcessId()) + kCopySuffix;
  result.status = files.CopyFile(files.ModulePath(), result.copy);
  if (!result.status) return result;
  platform::ProcessHandle removal = processes.Start(result.copy, removalArguments, &result.status);
  if (!removal) {
    (void)files.DeleteFile(result.copy);
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
