#include "install/install_engine.h"

#include <optional>

#include "deploy/host_check.h"
#include "install/install_recorder.h"
#include "install/path_rules.h"
#include "install/product.h"
#include "install/uninstall_setup.h"
#include "platform/files.h"
#include "platform/mbcs.h"

namespace {

// The driver, with every file and value also told to the recorder.
class RecordingDriver : public InstallDriver {
 public:
  RecordingDriver(InstallDriver& driver, InstallRecorder& recorder) : driver_(driver), recorder_(recorder) {}
  void OnProgressBegin() override { driver_.OnProgressBegin(); }
  void OnProgressStep() override { driver_.OnProgressStep(); }
  void OnProgressEnd() override { driver_.OnProgressEnd(); }
  CopyDecision OnCopyFailed(const FileEvent& failure, const std::string& question) override {
    return driver_.OnCopyFailed(failure, question);
  }
  void Tell(Notice notice, const std::string& text) override { driver_.Tell(notice, text); }
  void OnFile(const FileEvent& event) override {
    recorder_.OnFile(event);
    driver_.OnFile(event);
  }
  void OnValue(const ValueEvent& event) override {
    recorder_.OnValue(event);
    driver_.OnValue(event);
  }

 private:
  InstallDriver& driver_;
  InstallRecorder& recorder_;
};

// The deployment's questions go to the driver, with the engine's wording.
class DeployForDriver : public DeployObserver {
 public:
  explicit DeployForDriver(InstallDriver& driver) : driver_(driver) {}
  void OnStep() override { driver_.OnProgressStep(); }
  void OnFile(const FileEvent& event) override { driver_.OnFile(event); }
  void OnValue(const ValueEvent& event) override { driver_.OnValue(event); }
  CopyDecision OnCopyFailed(const FileEvent& failure) override {
    return driver_.OnCopyFailed(failure, CopyFailedText(failure.destination));
  }

 private:
  InstallDriver& driver_;
};

InstallReport Stop(InstallOutcome outcome, InstallReport report) {
  report.outcome = outcome;
  return report;
}

// A Data folder the deployment cannot walk, told to the driver; nothing when
// it can.
std::optional<InstallOutcome> DataFolderProblem(DeployResult result, InstallDriver& driver) {
  switch (result) {
    case DeployResult::DataMissing:
      driver.Tell(Notice::DataMissing, DataMissingText());
      return InstallOutcome::DataMissing;
    case DeployResult::DataUnreadable:
      driver.Tell(Notice::DataUnreadable, DataUnreadableText());
      return InstallOutcome::DataUnreadable;
    case DeployResult::Done:
    case DeployResult::Aborted:
      break;
  }
  return std::nullopt;
}

// The picker's rules; a drive root keeps its backslash, any other folder may
// end in one, as the dialog drops it.
bool IsAcceptedPath(const std::string& text) {
  if (BuildFolderPath(text.c_str(), 1) == kPathOk) return true;
  std::string trimmed = text;
  mbcs::DropTrailingBackslash(trimmed);
  return trimmed != text && BuildFolderPath(trimmed.c_str(), 1) == kPathOk;
}

// Strict: every missing level of the install folder, and it must exist
// then. Otherwise one level each for the folder and the product folder: a
// missing parent makes both fail, and the deployment then meets a folder that
// does not exist.
bool MakeFolders(const std::string& folder, const std::string& installDir, bool strict) {
  platform::Files& files = platform::GetFiles();
  if (strict) return BuildFolderPath(installDir.c_str(), 0) == kPathOk && files.Exists(installDir);
  files.CreateDirectory(folder);
  files.CreateDirectory(installDir);
  return true;
}

}  // namespace

InstallReport CInstallEngine::Install(const InstallRequest& request, InstallDriver& driver) {
  InstallReport report;
  if (request.checkHostRunning && IsHostRunning()) {
    driver.Tell(Notice::HostRunning, HostRunningText());
    return Stop(InstallOutcome::HostRunning, report);
  }

  std::string folder = request.folderText;
  if (folder.empty()) {
    driver.Tell(Notice::NoFolder, NoFolderText());
    return Stop(InstallOutcome::FolderRefused, report);
  }
  if (request.strictFolder && !IsAcceptedPath(folder)) {
    driver.Tell(Notice::FolderInvalid, FolderInvalidText(folder));
    return Stop(InstallOutcome::FolderRefused, report);
  }
  mbcs::DropTrailingBackslash(folder);
  const std::string installDir = folder + "\\" + kProductFolder;
  if (installDir.size() > kMaxInstallDirBytes) {
    driver.Tell(Notice::FolderTooLong, FolderTooLongText());
    return Stop(InstallOutcome::FolderRefused, report);
  }
  report.installDir = installDir;

  driver.OnProgressBegin();
  // Nothing is made for a distribution that cannot be installed from.
  if (auto stopped = DataFolderProblem(CheckDataFolder(), driver)) return Stop(*stopped, report);
  const bool parentExisted = platform::GetFiles().Exists(folder);
  if (!MakeFolders(folder, installDir, request.strictFolder)) {
    driver.Tell(Notice::FolderNotCreated, FolderNotCreatedText(installDir));
    return Stop(InstallOutcome::FolderRefused, report);
  }
  InstallRecorder recorder(installDir, request.build.editionBits);
  InstallRecord made;
  made.parentCreated = !parentExisted && platform::GetFiles().Exists(folder);
  recorder.Add(made);

  RecordingDriver recording(driver, recorder);
  DeployForDriver observer(recording);
  const DeployResult deployed = CFileDeployer(installDir, observer).DeployDataFolder();
  if (deployed == DeployResult::Aborted) return Stop(InstallOutcome::Aborted, report);
  if (auto stopped = DataFolderProblem(deployed, driver)) return Stop(*stopped, report);

  driver.OnProgressStep();
  hosts_.SetInstallDir(installDir);
  report.settingsFailed = hosts_.RegisterLoaders(request.ticked, recording);
  driver.OnProgressStep();
  report.filesFailed = hosts_.PlaceSupportFiles(request.ticked, recording);
  driver.OnProgressStep();
  report.uninstallFailed = SetUpUninstall(installDir, request.build, recorder, driver);
  driver.OnProgressEnd();

  if (report.settingsFailed == 0 && report.filesFailed == 0 && report.uninstallFailed == 0)
    return Stop(InstallOutcome::Installed, report);
  driver.Tell(Notice::Incomplete, IncompleteText(report.settingsFailed, report.filesFailed, report.uninstallFailed));
  return Stop(InstallOutcome::Incomplete, report);
}
