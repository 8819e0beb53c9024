#include "install/install_engine.h"

#include <algorithm>
#include <optional>

#include "deploy/host_check.h"
#include "deploy/payload.h"
#include "install/install_folder.h"
#include "platform/files.h"
#include "platform/mbcs.h"
#include "record/install_recorder.h"
#include "record/uninstall_setup.h"

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
    const CopyDecision decision = driver_.OnCopyFailed(failure, CopyFailedText(failure));
    if (decision == CopyDecision::Ignore && failure.kind == FileKind::Settings) ++settingsFileFailed_;
    return decision;
  }
  // The settings file given up: the install goes on, and ends incomplete.
  int SettingsFileFailed() const { return settingsFileFailed_; }

 private:
  InstallDriver& driver_;
  int settingsFileFailed_ = 0;
};

// Passes the integration's events on to the driver and keeps why each write
// failed, for the warning at the end.
class CauseTally : public InstallEvents {
 public:
  explicit CauseTally(InstallEvents& next) : next_(next) {}
  void OnFile(const FileEvent& event) override {
    if (!event.status) Add(CauseOfFile(event.status), event.status);
    next_.OnFile(event);
  }
  void OnValue(const ValueEvent& event) override {
    if (!event.status) Add(CauseOfValue(event.status), event.status);
    next_.OnValue(event);
  }
  void Fill(Shortfall* shortfall) const {
    shortfall->causes = causes_;
    std::sort(shortfall->causes.begin(), shortfall->causes.end());
    shortfall->otherErrors = otherErrors_;
  }

 private:
  void Add(Cause cause, platform::Status status) {
    if (std::find(causes_.begin(), causes_.end(), cause) == causes_.end()) causes_.push_back(cause);
    if (cause == Cause::Other &&
        std::find(otherErrors_.begin(), otherErrors_.end(), status.code()) == otherErrors_.end())
      otherErrors_.push_back(status.code());
  }

  InstallEvents& next_;
  std::vector<Cause> causes_;
  std::vector<platform::OsError> otherErrors_;
};

InstallReport Stop(InstallOutcome outcome, InstallReport report) {
  report.outcome = outcome;
  return report;
}

InstallReport Refuse(const InstallRequest& request, const FolderVerdict& folder, InstallDriver& driver,
                     InstallReport report) {
  driver.Tell(NoticeOf(folder.refusal), FolderRefusedText(request.folderText, folder));
  report.installDir.clear();
  return Stop(InstallOutcome::FolderRefused, report);
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

// Everything the install writes into the install folder: the payload, the
// loader modules the registration names there, the uninstaller, its record
// (with the name it is first written under) and the longest name a kept plot
// driver may get.
std::vector<std::string> InstallFolderFiles() {
  std::vector<std::string> names = LoaderModuleNames();
  for (std::string& name : InstallFolderNames()) names.push_back(std::move(name));
  names.push_back(kUninstallerName);
  names.push_back(std::string(kRecordName) + platform::kWritingSuffix);
  for (const SupportFile& file : kSupportFiles) {
    if (file.plotDriver)
      names.push_back(std::string(kBackupFolder) + "\\" + BackupName(file.installedAs, kMaxBackupsOfOneName));
  }
  return names;
}

}  // namespace

InstallReport CInstallEngine::Install(const InstallRequest& request, InstallDriver& driver) {
  InstallReport report;
  if (request.checkHostRunning && IsHostRunning()) {
    driver.Tell(Notice::HostRunning, HostRunningText());
    return Stop(InstallOutcome::HostRunning, report);
  }

  FolderVerdict folder = CheckFolderText(request.folderText, InstallFolderFiles());
  if (!folder.accepted()) return Refuse(request, folder, driver, report);
  report.installDir = folder.installDir;

  // Nothing is made for a distribution that cannot be installed from; its
  // message comes over the progress view, where the copying would have begun.
  const DeployResult data = CheckDataFolder();
  if (data != DeployResult::Done) {
    driver.OnProgressBegin();
    return Stop(*DataFolderProblem(data, driver), report);
  }
  platform::Files& files = platform::GetFiles();
  const std::string parent = mbcs::FolderOf(folder.installDir);
  const bool parentExisted = files.Exists(parent);
  folder = MakeInstallFolder(folder.installDir);
  if (!folder.accepted()) return Refuse(request, folder, driver, report);
  const std::string& installDir = folder.installDir;
  InstallRecorder recorder(installDir, request.build.editionBits);
  InstallRecord made;
  made.parentCreated = !parentExisted && files.Exists(parent);
  recorder.Add(made);
  driver.OnProgressBegin();

  RecordingDriver recording(driver, recorder);
  DeployForDriver observer(recording);
  const DeployResult deployed = CFileDeployer(installDir, observer).DeployDataFolder();
  if (deployed == DeployResult::Aborted) return Stop(InstallOutcome::Aborted, report);
  if (auto stopped = DataFolderProblem(deployed, driver)) return Stop(*stopped, report);
  report.settingsFileFailed = observer.SettingsFileFailed();

  CauseTally tally(recording);
  driver.OnProgressStep();
  hosts_.SetInstallDir(installDir);
  report.settingsFailed = hosts_.RegisterLoaders(request.ticked, tally);
  driver.OnProgressStep();
  report.filesFailed = hosts_.PlaceSupportFiles(request.ticked, tally);
  driver.OnProgressStep();
  report.uninstallFailed = SetUpUninstall(installDir, request.build, recorder, driver);
  driver.OnProgressEnd();

  if (report.settingsFailed == 0 && report.filesFailed == 0 && report.uninstallFailed == 0 &&
      report.settingsFileFailed == 0)
    return Stop(InstallOutcome::Installed, report);
  Shortfall shortfall;
  shortfall.settingsFailed = report.settingsFailed;
  shortfall.filesFailed = report.filesFailed;
  shortfall.uninstallFailed = report.uninstallFailed;
  shortfall.settingsFileFailed = report.settingsFileFailed;
  tally.Fill(&shortfall);
  driver.Tell(Notice::Incomplete, IncompleteText(shortfall, request.logPath));
  return Stop(InstallOutcome::Incomplete, report);
}
