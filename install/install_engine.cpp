#include "install/install_engine.h"

#include "deploy/host_check.h"
#include "install/install_recorder.h"
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
  mbcs::DropTrailingBackslash(folder);
  const std::string installDir = folder + "\\" + kProductFolder;
  if (installDir.size() > kMaxInstallDirBytes) {
    driver.Tell(Notice::FolderTooLong, FolderTooLongText());
    return Stop(InstallOutcome::FolderRefused, report);
  }

  // One level each: a missing parent makes both fail, and the deployment
  // then meets a folder that does not exist.
  platform::Files& files = platform::GetFiles();
  InstallRecorder recorder(installDir, request.build.editionBits);
  InstallRecord made;
  made.parentCreated = files.CreateDirectory(folder).ok();
  recorder.Add(made);
  files.CreateDirectory(installDir);
  report.installDir = installDir;
  driver.OnProgressBegin();

  RecordingDriver recording(driver, recorder);
  DeployForDriver observer(recording);
  switch (CFileDeployer(installDir, observer).DeployDataFolder()) {
    case DeployResult::Done:
      break;
    case DeployResult::DataMissing:
      driver.Tell(Notice::DataMissing, DataMissingText());
      return Stop(InstallOutcome::DataMissing, report);
    case DeployResult::DataUnreadable:
      driver.Tell(Notice::DataUnreadable, DataUnreadableText());
      return Stop(InstallOutcome::DataUnreadable, report);
    case DeployResult::Aborted:
      return Stop(InstallOutcome::Aborted, report);
  }

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
