#include "uninstall/uninstall_engine.h"

#include <algorithm>
#include <string_view>

#include "deploy/file_utils.h"
#include "deploy/host_check.h"
#include "deploy/payload.h"
#include "hosts/acad_hosts.h"
#include "platform/files.h"
#include "platform/mbcs.h"
#include "platform/processes.h"
#include "record/uninstall_entry.h"
#include "uninstall/every_user.h"
#include "uninstall/uninstall_messages.h"

namespace {

using What = RemovalEvent::What;
using Result = RemovalEvent::Result;
using platform::Hive;
using platform::Status;

Result ResultOf(EntryRemoval removal) {
  switch (removal) {
    case EntryRemoval::Removed:
      return Result::Removed;
    case EntryRemoval::Gone:
      return Result::Unchanged;
    case EntryRemoval::Taken:
      return Result::NotOurs;
    case EntryRemoval::Unreachable:
      return Result::Unreachable;
    case EntryRemoval::Failed:
      break;
  }
  return Result::Failed;
}

// The names of the files in a folder, as the file system keeps them.
std::vector<std::string> FileNames(const std::string& folder) {
  std::vector<std::string> names;
  platform::Files& files = platform::GetFiles();
  platform::FindData entry;
  platform::FindHandle listing = files.FindFirst(folder + "\\*.*", &entry);
  for (bool more = listing != nullptr; more; more = files.FindNext(listing, &entry)) {
    if (!(entry.attributes & platform::kAttrDirectory)) names.push_back(entry.name);
  }
  files.FindClose(listing);
  return names;
}

// One uninstall: tells the driver each step, counts it, and keeps in `left`
// what could not be taken back.
class Removal : public RemovalEvents {
 public:
  Removal(const UninstallRequest& request, const std::string& installDir, UninstallDriver& driver,
          UninstallReport& report)
      : request_(request), installDir_(installDir), driver_(driver), report_(report) {}

  // Takes back what `record` names; the record then names `kept` (what an
  // earlier install into the folder left, none for an uninstall) and what
  // could not be taken back.
  void Run(const InstallRecord& record, const InstallRecord& kept = InstallRecord()) {
    kept_ = kept;
    left_.parentCreated = record.parentCreated;
    // What is left of an install for the current user alone is still the
    // user's: a second uninstall needs no rights for it either.
    left_.currentUser = record.currentUser && kept.NamesNothing();
    for (const LoaderChange& loader : record.loaders) TakeBackLoader(loader);
    for (const TrustedPathChange& trusted : record.trustedPaths) TakeBackTrustedPath(trusted);
    for (const SupportPathChange& support : record.supportPaths) TakeBackSupportPath(support);
    // A user not wholly taken back is tried again by a second uninstall,
    // which the AllUsers line sends round the users again. The users of an
    // earlier install for every user keep their part.
    if (record.allUsers != 0 && kept.allUsers == 0 && !TakeBackEveryUser(installDir_, request_.editionBits, *this))
      left_.allUsers = record.allUsers;
    TakeBackDrivers(record);
    TakeBackFonts(record);
    TellKept(record);
    present_ = FileNames(installDir_);
    for (const std::string& file : record.files) {
      if (!IsUninstaller(file)) TakeBackFile(file);
    }
    (void)platform::GetFiles().RemoveDirectory(BackupFolder());  // stays while it keeps AutoCAD's driver
    TakeBackWayIn(record);
    Finish();
  }

 private:
  static bool IsUninstaller(const std::string& file) { return mbcs::EqualsNoCase(file, kUninstallerName); }

  void TakeBackDrivers(const InstallRecord& record) {
    for (const SupportChange& driver : record.drivers) TakeBackDriver(driver, record.backups);
    for (const BackupChange& backup : record.backups) {
      // Of no driver the record names: AutoCAD's, whatever became of it.
      if (std::none_of(record.drivers.begin(), record.drivers.end(),
                       [&](const SupportChange& driver) { return mbcs::EqualsNoCase(driver.path, backup.original); }))
        KeepBackup(backup);
    }
  }

  std::string FontsFolder() const { return installDir_ + "\\" + kFontsFolder; }

  bool IsOwnFont(const SupportChange& font) const { return mbcs::EqualsNoCase(mbcs::FolderOf(font.path), FontsFolder()); }

  // Fonts copied into the install folder itself (an installation for its
  // user alone) go with it; those in AutoCAD's folders stay, as drawings use
  // them.
  void TakeBackFonts(const InstallRecord& record) {
    bool any = false;
    for (const SupportChange& font : record.fonts) {
      if (!IsOwnFont(font)) continue;
      any = true;
      const Status deleted = DeleteMadeFile(font.path);
      const Result result = deleted ? Result::Removed : Gone(deleted) ? Result::Unchanged : Result::Failed;
      Tell(What::Font, Hive::LocalMachine, font.path, result, deleted);
      if (result == Result::Failed) left_.fonts.push_back(font);
    }
    if (any && platform::GetFiles().RemoveDirectory(FontsFolder()))
      Tell(What::Folder, Hive::LocalMachine, FontsFolder(), Result::Removed);
  }

  void TellKept(const InstallRecord& record) {
    for (const SupportChange& font : record.fonts) {
      if (IsOwnFont(font)) continue;
      Tell(What::Font, Hive::LocalMachine, font.path, Result::Kept);
      ++report_.fontsKept;
    }
    if (!record.settings.empty()) {
      Tell(What::Settings, Hive::CurrentUser, record.settings, Result::Kept);
      report_.settingsKept = record.settings;
    }
    if (!record.settingsKept.empty()) {
      Tell(What::SettingsKept, Hive::CurrentUser, record.settingsKept, Result::Kept);
      report_.settingsCopyKept = record.settingsKept;
    }
  }

  // The way in for a second uninstall, the entry in Programs and Features and
  // the uninstaller, goes last, and only when nothing is left for one.
  void TakeBackWayIn(const InstallRecord& record) {
    if (report_.complete()) {
      for (const EntryChange& entry : record.entries) TakeBackEntry(entry);
    } else {
      left_.entries = record.entries;
    }
    for (const std::string& file : record.files) {
      if (!IsUninstaller(file)) continue;
      if (report_.complete()) {  // the entries too
        TakeBackFile(file);
      } else {
        left_.files.push_back(file);
      }
    }
  }

  std::string BackupFolder() const { return installDir_ + "\\" + kBackupFolder; }

  void Tell(What what, Hive hive, const std::string& target, Result result, Status status = Status(), int view = 0) {
    OnRemoval({what, hive, target, view, result, status, {}});
  }

  void OnRemoval(const RemovalEvent& event) override {
    if (!CountedForUsers(event)) Count(event.result);
    driver_.OnRemoval(event);
  }

  // A user of an installation for every user counts as one, whatever the
  // changes in the user's hive (counted as any other) came to; so does a
  // settings file kept in a user's APPDATA.
  bool CountedForUsers(const RemovalEvent& event) {
    if (event.what == What::Settings && event.hive == Hive::Users) {
      ++report_.usersSettingsKept;
      return true;
    }
    if (event.what != What::User) return false;
    switch (event.result) {
      case Result::Removed:
        ++report_.usersTakenBack;
        break;
      case Result::NotReached:
        ++report_.usersNotReached;
        break;
      case Result::Failed:
        ++report_.usersFailed;
        break;
      case Result::NotOurs:
        ++report_.leftAlone;
        break;
      case Result::Restored:
      case Result::Kept:
      case Result::Unchanged:
      case Result::Unreachable:
        break;
    }
    return true;
  }

  void Count(Result result) {
    switch (result) {
      case Result::Removed:
        ++report_.removed;
        break;
      case Result::Restored:
        ++report_.restored;
        break;
      case Result::NotOurs:
        ++report_.leftAlone;
        break;
      case Result::Unreachable:
      case Result::Failed:
        ++report_.failed;
        break;
      case Result::Kept:
      case Result::Unchanged:
      case Result::NotReached:
        break;
    }
  }

  static bool Stays(Result result) { return result == Result::Failed || result == Result::Unreachable; }

  void TakeBackLoader(const LoaderChange& loader) {
    Status status;
    const Result result = RemovalResultOf(UndoLoader(loader, installDir_, request_.editionBits, &status));
    const bool user = loader.hive == Hive::CurrentUser;
    Tell(What::LoaderKey, loader.hive, loader.key.path, result, status, user ? 0 : loader.key.view);
    if (Stays(result)) left_.loaders.push_back(loader);
  }

  void TakeBackTrustedPath(const TrustedPathChange& trusted) {
    Status status;
    const Result result = RemovalResultOf(UndoTrustedPath(trusted, installDir_, &status));
    Tell(What::TrustedPaths, Hive::CurrentUser, trusted.key, result, status);
    if (Stays(result)) left_.trustedPaths.push_back(trusted);
  }

  void TakeBackSupportPath(const SupportPathChange& support) {
    Status status;
    const Result result = RemovalResultOf(UndoSupportPath(support, FontsFolder(), &status));
    Tell(What::SupportPath, Hive::CurrentUser, support.key, result, status);
    if (Stays(result)) left_.supportPaths.push_back(support);
  }

  void TakeBackEntry(const EntryChange& entry) {
    Status status;
    const Result result = ResultOf(RemoveUninstallEntry(entry, installDir_, request_.editionBits, &status));
    Tell(What::Entry, entry.hive, kUninstallKey, result, status, entry.hive == Hive::LocalMachine ? entry.view : 0);
    if (Stays(result)) left_.entries.push_back(entry);
  }

  void TakeBackDriver(const SupportChange& driver, const std::vector<BackupChange>& backups) {
    const auto backup = std::find_if(backups.begin(), backups.end(), [&](const BackupChange& b) {
      return mbcs::EqualsNoCase(b.original, driver.path);
    });
    const bool hasBackup = backup != backups.end();
    const std::string backupPath = hasBackup ? BackupFolder() + "\\" + backup->name : std::string();
    Status status;
    const Undo undo = UndoPlotDriver(driver, backupPath, &status);
    const Result result = RemovalResultOf(undo);
    Tell(What::PlotDriver, Hive::LocalMachine, driver.path, result, status);
    if (result == Result::Restored) ++report_.driversRestored;
    if (Stays(result)) {
      left_.drivers.push_back(driver);
      if (hasBackup) left_.backups.push_back(*backup);
      return;
    }
    if (!hasBackup) return;
    if (result == Result::NotOurs) {
      KeepBackup(*backup);
      return;
    }
    // AutoCAD's driver is in place again: its copy has done its job.
    const Status deleted = DeleteMadeFile(backupPath);
    if (Gone(deleted)) return;
    Tell(What::Backup, Hive::LocalMachine, backupPath, Result::Failed, deleted);
    left_.drivers.push_back(driver);
    left_.backups.push_back(*backup);
  }

  void KeepBackup(const BackupChange& backup) {
    const std::string path = BackupFolder() + "\\" + backup.name;
    if (!platform::GetFiles().Exists(path)) return;
    Tell(What::Backup, Hive::LocalMachine, path, Result::Kept);
    report_.backupsKept.push_back(path);
  }

  // Only a file the folder lists under the record's name goes: Windows would
  // take a name such as "readme.txt." or "README~1.TXT" for another file.
  void TakeBackFile(const std::string& name) {
    const std::string path = installDir_ + "\\" + name;
    if (!request_.leaveForLater.empty() && mbcs::EqualsNoCase(path, request_.leaveForLater)) {
      left_.files.push_back(name);
      return;
    }
    const auto listed = std::find_if(present_.begin(), present_.end(),
                                     [&](const std::string& present) { return mbcs::EqualsNoCase(present, name); });
    if (listed == present_.end()) {
      Tell(What::File, Hive::LocalMachine, path, Result::Unchanged);
      return;
    }
    const Status deleted = DeleteMadeFile(installDir_ + "\\" + *listed);
    const Result result = deleted ? Result::Removed : Gone(deleted) ? Result::Unchanged : Result::Failed;
    Tell(What::File, Hive::LocalMachine, path, result, deleted);
    if (result == Result::Failed) left_.files.push_back(name);
  }

  // The record goes with the last thing it names; otherwise it keeps naming
  // what is left, for a second uninstall.
  void Finish() {
    MergeInto(kept_, left_);
    if (!kept_.NamesNothing()) {
      const Status written = WriteRecord(installDir_, kept_);
      if (!written) Tell(What::Record, Hive::LocalMachine, RecordPath(installDir_), Result::Failed, written);
      return;
    }
    const Status deleted = DeleteMadeFile(RecordPath(installDir_));
    Tell(What::Record, Hive::LocalMachine, RecordPath(installDir_), Gone(deleted) ? Result::Removed : Result::Failed,
         deleted);
    if (!Gone(deleted)) return;
    platform::Files& files = platform::GetFiles();
    const Status folder = files.RemoveDirectory(installDir_);
    if (folder) Tell(What::Folder, Hive::LocalMachine, installDir_, Result::Removed);
    report_.folderKept = !folder && files.Exists(installDir_);
    if (folder && kept_.parentCreated && files.RemoveDirectory(mbcs::FolderOf(installDir_)))
      Tell(What::Folder, Hive::LocalMachine, mbcs::FolderOf(installDir_), Result::Removed);
  }

  const UninstallRequest& request_;
  const std::string& installDir_;
  UninstallDriver& driver_;
  UninstallReport& report_;
  InstallRecord kept_;
  InstallRecord left_;
  std::vector<std::string> present_;  // the install folder's files before any went
};

// Whether `folder` is there and holds nothing at all.
bool IsEmptyFolder(const std::string& folder) {
  platform::Files& files = platform::GetFiles();
  platform::FindData entry;
  platform::FindHandle listing = files.FindFirst(folder + "\\*.*", &entry);
  bool empty = listing != nullptr;
  for (bool more = empty; more && empty; more = files.FindNext(listing, &entry))
    empty = std::string_view(entry.name) == "." || std::string_view(entry.name) == "..";
  files.FindClose(listing);
  return empty;
}

UninstallReport Stop(UninstallOutcome outcome, UninstallReport report) {
  report.outcome = outcome;
  return report;
}

}  // namespace

RemovalEvent::Result RemovalResultOf(Undo undo) {
  switch (undo) {
    case Undo::Removed:
      return Result::Removed;
    case Undo::Restored:
      return Result::Restored;
    case Undo::Unchanged:
      return Result::Unchanged;
    case Undo::NotOurs:
      return Result::NotOurs;
    case Undo::Unreachable:
      return Result::Unreachable;
    case Undo::Failed:
      break;
  }
  return Result::Failed;
}

UninstallReport CUninstallEngine::Uninstall(const UninstallRequest& request, UninstallDriver& driver) {
  UninstallReport report;
  report.installDir = request.installDir;
  mbcs::DropTrailingBackslash(report.installDir);
  const ParsedRecord parsed = ReadRecord(report.installDir);
  report.recordState = parsed.state;
  report.recordStatus = parsed.status;
  report.ignoredLines = parsed.ignoredLines;
  report.otherFileLines = parsed.otherFileLines;
  if (parsed.state == RecordState::Missing) {
    // An install killed before its record's first line leaves the folder it
    // made, empty.
    if (IsEmptyFolder(report.installDir) && platform::GetFiles().RemoveDirectory(report.installDir))
      driver.OnRemoval({What::Folder, Hive::LocalMachine, report.installDir, 0, Result::Removed, Status(), {}});
    driver.Tell(UninstallNotice::NotInstalled, NotInstalledText(report.installDir));
    return Stop(UninstallOutcome::NotInstalled, report);
  }
  // Without its end line, the record of an install that did not finish:
  // what it names is taken back as any other.
  if (parsed.state != RecordState::Complete && parsed.state != RecordState::Truncated) {
    driver.Tell(UninstallNotice::RecordDamaged, RecordDamagedText(report));
    return Stop(UninstallOutcome::RecordDamaged, report);
  }
  if (request.checkHostRunning && IsHostRunning()) {
    driver.Tell(UninstallNotice::HostRunning, UninstallHostRunningText());
    return Stop(UninstallOutcome::HostRunning, report);
  }
  if (!driver.Confirm(UninstallQuestionText(report.installDir))) return Stop(UninstallOutcome::Declined, report);

  Removal(request, report.installDir, driver, report).Run(parsed.record);
  report.outcome = report.complete() ? UninstallOutcome::Removed : UninstallOutcome::Incomplete;
  driver.Tell(UninstallNotice::Summary, UninstallSummaryText(report));
  return report;
}

UninstallReport CUninstallEngine::TakeBack(const TakeBackRequest& request, UninstallDriver& driver) {
  UninstallReport report;
  report.installDir = request.installDir;
  mbcs::DropTrailingBackslash(report.installDir);
  UninstallRequest removal;
  removal.installDir = report.installDir;
  removal.checkHostRunning = false;
  removal.editionBits = request.editionBits;
  // What the earlier install left stays as it is, and stays its: its files,
  // its keys, its lists, its way in.
  InstallRecord kept = request.kept;
  // Its users' part stays as this install left it: the record counts on from
  // the logon steps' version now in place.
  if (kept.allUsers != 0) kept.allUsers = std::max(kept.allUsers, request.changes.allUsers);
  Removal(removal, report.installDir, driver, report).Run(NotNamedIn(request.changes, kept), kept);
  report.outcome = report.complete() ? UninstallOutcome::Removed : UninstallOutcome::Incomplete;
  return report;
}
