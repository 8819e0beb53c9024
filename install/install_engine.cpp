#include "install/install_engine.h"

#include <algorithm>
#include <optional>

#include "deploy/host_check.h"
#include "deploy/payload.h"
#include "install/every_user.h"
#include "install/install_folder.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/mbcs.h"
#include "record/install_journal.h"
#include "record/install_recorder.h"
#include "record/logon_steps.h"
#include "record/uninstall_entry.h"
#include "record/uninstall_setup.h"

namespace {

// An install for the current user alone is that user's in Programs and
// Features too.
platform::Hive EntryHive(const InstallRequest& request) {
  return request.currentUser ? platform::Hive::CurrentUser : platform::Hive::LocalMachine;
}

// The deployment's files go to the recorder and the driver, its questions to
// the driver, with the engine's wording.
class DeployForDriver : public DeployObserver {
 public:
  DeployForDriver(InstallDriver& driver, InstallRecorder& recorder, InstallJournal& journal)
      : driver_(driver), recorder_(recorder), journal_(journal) {}
  void OnStep() override { driver_.OnProgressStep(); }
  void OnCopying(const FileEvent& planned) override { journal_.BeforeFile(planned); }
  void OnFile(const FileEvent& event) override {
    recorder_.OnFile(event);
    driver_.OnFile(event);
  }
  CopyDecision OnCopyFailed(const FileEvent& failure) override {
    const CopyDecision decision = driver_.OnCopyFailed(failure, CopyFailedText(failure));
    if (decision == CopyDecision::Ignore && failure.kind == FileKind::Settings) ++settingsFileFailed_;
    return decision;
  }
  // The settings file given up: the install goes on, and ends incomplete.
  int SettingsFileFailed() const { return settingsFileFailed_; }

 private:
  InstallDriver& driver_;
  InstallRecorder& recorder_;
  InstallJournal& journal_;
  int settingsFileFailed_ = 0;
};

// What the integration wrote goes to the record and the driver; why each
// write failed is kept for the warning at the end.
class Integration {
 public:
  Integration(InstallDriver& driver, InstallRecorder& recorder) : driver_(driver), recorder_(recorder) {}

  [[nodiscard]] int Report(const LoaderRegistration& registration) {
    for (const LoaderWrite& write : registration.loaders) {
      if (write.loadCtrlsStatus) Tally(*write.loadCtrlsStatus, CauseOfValue);
      Tally(write.loaderStatus, CauseOfValue);
      recorder_.Add(write);
      driver_.OnLoader(write);
    }
    for (const TrustedPathWrite& write : registration.trustedPaths) {
      Tally(write.status, CauseOfValue);
      recorder_.Add(write);
      driver_.OnTrustedPaths(write);
    }
    return FailuresOf(registration);
  }

  [[nodiscard]] int Report(const std::vector<SupportFileWrite>& writes) {
    for (const SupportFileWrite& write : writes) {
      if (write.backup) Tally(write.backup->status, CauseOfFile);
      Tally(write.file.status, CauseOfFile);
      recorder_.Add(write);
      driver_.OnSupportFile(write);
    }
    return FailuresOf(writes);
  }

  [[nodiscard]] int Report(const std::vector<SupportPathWrite>& writes) {
    for (const SupportPathWrite& write : writes) {
      Tally(write.status, CauseOfSupportPath);
      recorder_.AddSupportPath(write);
      driver_.OnSupportPath(write);
    }
    return FailuresOf(writes);
  }

  // The logon steps' values, each passed on to the driver.
  class Values : public InstallEvents {
   public:
    explicit Values(Integration& integration) : integration_(integration) {}
    void OnFile(const FileEvent& event) override { integration_.driver_.OnFile(event); }
    void OnValue(const ValueEvent& event) override {
      integration_.Tally(event.status, CauseOfValue);
      integration_.driver_.OnValue(event);
    }

   private:
    Integration& integration_;
  };

  void Fill(Shortfall* shortfall) const {
    shortfall->causes = causes_;
    std::sort(shortfall->causes.begin(), shortfall->causes.end());
    shortfall->otherErrors = otherErrors_;
  }

 private:
  void Tally(platform::Status status, Cause (*causeOf)(platform::Status)) {
    if (status) return;
    const Cause cause = causeOf(status);
    if (std::find(causes_.begin(), causes_.end(), cause) == causes_.end()) causes_.push_back(cause);
    if (cause == Cause::Other &&
        std::find(otherErrors_.begin(), otherErrors_.end(), status.code()) == otherErrors_.end())
      otherErrors_.push_back(status.code());
  }

  InstallDriver& driver_;
  InstallRecorder& recorder_;
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
std::vector<std::string> InstallFolderFiles(SettingsFor settings) {
  std::vector<std::string> names = LoaderModuleNames();
  for (std::string& name : InstallFolderNames(settings)) names.push_back(std::move(name));
  names.push_back(kUninstallerName);
  names.push_back(std::string(kRecordName) + platform::kWritingSuffix);
  for (const SupportFile& file : kSupportFiles) {
    if (file.plotDriver)
      names.push_back(std::string(kBackupFolder) + "\\" + BackupName(file.installedAs, kMaxBackupsOfOneName));
  }
  return names;
}

// The product keys the loaders were written under: the users of an
// installation for every user count as served once each has a profile of
// every one of them.
std::vector<std::string> ProductKeysOf(const LoaderRegistration& registration) {
  std::vector<std::string> written;
  for (const LoaderWrite& write : registration.loaders) {
    if (write.written()) written.push_back(write.keyPath);
  }
  return ::ProductKeysOf(written);
}

// The record found in the install folder, once an install that did not
// finish there has been taken back: what it did goes first, so that what an
// install finds there before is always what was there before any install of
// ours. Whether that install made the folder above the install folder: it
// stays the install's when what was left cannot all go (a power cut may have
// cost the record the lines of the files still there).
struct Found {
  ParsedRecord record;
  bool parentMade = false;
};

Found FinishedRecord(const std::string& installDir, TakeBack* takeBack) {
  Found found{ReadRecord(installDir)};
  if (found.record.state != RecordState::Truncated || takeBack == nullptr) return found;
  found.parentMade = found.record.record.parentCreated;
  (void)takeBack->Run(installDir, found.record.record, InstallRecord(), TakeBackOf::Unfinished);
  found.record = ReadRecord(installDir);
  return found;
}

// What an install for the current user alone changes. Its record lies in a
// folder of that user's, who could have written anything there: a
// machine-wide install, with rights that user lacks, takes back nothing
// else it names.
InstallRecord UserPartOf(InstallRecord record) {
  const auto machines = [](const auto& change) { return change.hive != platform::Hive::CurrentUser; };
  record.loaders.erase(std::remove_if(record.loaders.begin(), record.loaders.end(), machines), record.loaders.end());
  record.entries.erase(std::remove_if(record.entries.begin(), record.entries.end(), machines), record.entries.end());
  record.drivers.clear();
  record.backups.clear();
  record.allUsers = 0;
  return record;
}

// The current user's install for that user alone, which a machine-wide
// install finds through that user's Programs and Features entry: its
// loaders below HKEY_CURRENT_USER would hide the machine's from AutoCAD, so
// it is taken back whole first, where the driver agrees.
void OfferUserInstallBack(int editionBits, TakeBack* takeBack, InstallDriver& driver) {
  if (takeBack == nullptr) return;
  std::optional<std::string> dir = EntryInstallLocation({platform::Hive::CurrentUser, 0}, editionBits);
  if (!dir || dir->empty()) return;
  mbcs::DropTrailingBackslash(*dir);
  const ParsedRecord found = ReadRecord(*dir);
  const bool readable = found.state == RecordState::Complete || found.state == RecordState::Truncated;
  if (!readable || !found.record.currentUser || !driver.TakeBackUserInstall(*dir)) return;
  (void)takeBack->Run(*dir, UserPartOf(found.record), InstallRecord(), TakeBackOf::UserInstall);
}

}  // namespace

InstallReport CInstallEngine::Install(const InstallRequest& request, InstallDriver& driver) {
  InstallReport report;
  if (request.checkHostRunning && IsHostRunning()) {
    driver.Tell(Notice::HostRunning, HostRunningText());
    return Stop(InstallOutcome::HostRunning, report);
  }

  const SettingsFor settingsFor = request.everyUser ? SettingsFor::EveryUser : SettingsFor::RunningUser;
  FolderVerdict folder = CheckFolderText(request.folderText, InstallFolderFiles(settingsFor));
  if (!folder.accepted()) return Refuse(request, folder, driver, report);
  report.installDir = folder.installDir;

  // Nothing is made for a distribution that cannot be installed from; its
  // message comes over the progress view, where the copying would have begun.
  const DeployResult data = CheckDataFolder();
  if (data != DeployResult::Done) {
    driver.OnProgressBegin();
    return Stop(*DataFolderProblem(data, driver), report);
  }
  if (!request.currentUser) OfferUserInstallBack(request.build.editionBits, takeBack_, driver);
  Found found = FinishedRecord(folder.installDir, takeBack_);
  platform::Files& files = platform::GetFiles();
  std::string parent = mbcs::FolderOf(folder.installDir);
  bool parentExisted = files.Exists(parent) && !(found.parentMade && files.Exists(folder.installDir));
  const std::string wanted = folder.installDir;
  folder = MakeInstallFolder(folder.installDir);
  if (folder.refusal == FolderRefusal::NotCreated && folder.status.code() == platform::kErrorAccessDenied &&
      !request.fallbackFolderText.empty()) {
    const FolderVerdict fallback = CheckFolderText(request.fallbackFolderText, InstallFolderFiles(settingsFor));
    if (fallback.accepted()) {
      driver.OnFolderFallback(wanted, folder.status, fallback.installDir);
      report.installDir = fallback.installDir;
      found = FinishedRecord(fallback.installDir, takeBack_);
      parent = mbcs::FolderOf(fallback.installDir);
      parentExisted = files.Exists(parent) && !(found.parentMade && files.Exists(fallback.installDir));
      folder = MakeInstallFolder(fallback.installDir);
    }
  }
  if (!folder.accepted()) return Refuse(request, folder, driver, report);
  // A machine-wide install over the user's own one in the same folder keeps
  // what that one did in its record, which then needs a machine-wide
  // uninstall.
  if (!request.currentUser) found.record.record.currentUser = false;
  const ParsedRecord& earlier = found.record;
  const std::string& installDir = folder.installDir;
  InstallRecorder recorder(installDir, request.build.editionBits);
  InstallRecord made;
  made.parentCreated = !parentExisted && files.Exists(parent);
  recorder.Add(made);

  // The record begins before the first change, and the uninstaller comes
  // next: from then on, whatever happens, the install can be taken back.
  // Over a record of a later version, which this one cannot keep whole,
  // nothing is recorded ahead.
  InstallJournal journal(installDir, request.build.editionBits);
  if (earlier.state != RecordState::NewerVersion) (void)journal.Begin(earlier.record, made);
  driver.OnFolderLock(folder.lock);
  driver.OnProgressBegin();
  const FileEvent uninstaller = PlaceUninstaller(installDir, journal);
  driver.OnFile(uninstaller);
  if (uninstaller.status) {
    InstallRecord copied;
    copied.files.push_back(kUninstallerName);
    recorder.Add(copied);
    // An earlier install's entry names the folder already, and stays as it
    // is should this one stop.
    if (journal.open() && earlier.record.entries.empty())
      RegisterEntryAhead(installDir, request.build, journal, EntryHive(request));
  } else {
    ++report.uninstallFailed;
  }

  // An install that stops half-way is taken back from its record.
  const auto rollBack = [&](InstallOutcome outcome) {
    journal.Close();
    // What was noted ahead, and what was written where nothing could be.
    InstallRecord changes = journal.Noted();
    MergeInto(changes, recorder.Record());
    if (takeBack_ == nullptr || (changes.NamesNothing() && !changes.parentCreated)) return Stop(outcome, report);
    report.rolledBack = takeBack_->Run(installDir, changes, earlier.record, TakeBackOf::Unfinished);
    driver.Tell(Notice::RolledBack, RolledBackText(report.rolledBack.undone, report.rolledBack.failed, request.logPath));
    return Stop(outcome, report);
  };

  DeployForDriver observer(driver, recorder, journal);
  const DeployResult deployed = CFileDeployer(installDir, observer, settingsFor).DeployDataFolder();
  journal.Flush();
  if (deployed == DeployResult::Aborted) return rollBack(InstallOutcome::Aborted);
  if (auto stopped = DataFolderProblem(deployed, driver)) return rollBack(*stopped);
  report.settingsFileFailed = observer.SettingsFileFailed();

  Integration integration(driver, recorder);
  driver.OnProgressStep();
  hosts_.SetInstallDir(installDir);
  hosts_.journal = &journal;
  // For the user alone, the loaders go below HKEY_CURRENT_USER, and the fonts,
  // which AutoCAD's folders would need rights for, into the install folder
  // on every profile's support path; the plot driver needs those rights.
  if (request.currentUser) {
    hosts_.loaderHive = platform::Hive::CurrentUser;
    InstallRecord forTheUser;
    forTheUser.currentUser = true;
    journal.Note(forTheUser, Ahead::Overwrites);
    recorder.Add(forTheUser);
  }
  const LoaderRegistration registration = hosts_.RegisterLoaders(
      request.ticked, request.everyUser ? TrustedPathsFor::NoOne : TrustedPathsFor::CurrentUser);
  journal.Flush();
  report.settingsFailed = integration.Report(registration);
  driver.OnProgressStep();
  if (request.currentUser) {
    const std::string fonts = installDir + "\\" + kFontsFolder;
    (void)platform::GetFiles().CreateDirectory(fonts);
    report.filesFailed = integration.Report(hosts_.CopySupportFiles(installDir, false));
    report.settingsFailed += integration.Report(hosts_.AddSupportPath(fonts));
    report.plotDriverLeft = request.ticked[CAcadHosts::kPlotDriverSlot] &&
                            !hosts_.locations[CAcadHosts::kPlotDriverSlot].empty();
  } else {
    report.filesFailed = integration.Report(hosts_.PlaceSupportFiles(request.ticked));
  }
  hosts_.journal = nullptr;
  journal.Flush();
  // Every install for every user counts up: a new Active Setup version
  // serves each user again, and each user's record tells which install
  // served it.
  std::uint32_t serial = 0;
  if (request.everyUser) {
    serial = earlier.record.allUsers + 1;
    InstallRecord forEveryUser;
    forEveryUser.allUsers = serial;
    journal.Note(forEveryUser, Ahead::Overwrites);
    Integration::Values values(integration);
    report.settingsFailed += WriteLogonSteps(installDir, ActiveSetupVersion(request.build, serial), values);
    recorder.Add(forEveryUser);
  }
  driver.OnProgressStep();
  report.uninstallFailed +=
      FinishUninstall(installDir, request.build, earlier, recorder.Record(), driver, journal, EntryHive(request));
  if (request.everyUser) {
    UserPartRequest part;
    part.installDir = installDir;
    const std::vector<std::string>& made = recorder.Record().files;
    if (std::any_of(made.begin(), made.end(),
                    [](const std::string& name) { return mbcs::EqualsNoCase(name, kSettingsForUsers); }))
      part.settingsSource = installDir + "\\" + kSettingsForUsers;
    part.productKeys = ProductKeysOf(registration);
    report.users = ServeEveryUser(part, serial, driver);
  }
  driver.OnProgressEnd();

  if (report.settingsFailed == 0 && report.filesFailed == 0 && report.uninstallFailed == 0 &&
      report.settingsFileFailed == 0 && report.users.failed == 0 && !report.plotDriverLeft)
    return Stop(InstallOutcome::Installed, report);
  Shortfall shortfall;
  shortfall.settingsFailed = report.settingsFailed;
  shortfall.filesFailed = report.filesFailed;
  shortfall.uninstallFailed = report.uninstallFailed;
  shortfall.settingsFileFailed = report.settingsFileFailed;
  shortfall.usersFailed = report.users.failed;
  shortfall.plotDriverLeft = report.plotDriverLeft;
  integration.Fill(&shortfall);
  driver.Tell(Notice::Incomplete, IncompleteText(shortfall, request.logPath));
  return Stop(InstallOutcome::Incomplete, report);
}

std::string UserProgramsFolderText() {
  std::string localAppData;
  if (!platform::GetEnvironment().GetVariable("LOCALAPPDATA", &localAppData) || localAppData.empty()) return {};
  mbcs::DropTrailingBackslash(localAppData);
  return localAppData + "\\Programs\\Zorvel";
}
