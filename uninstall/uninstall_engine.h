// The uninstall engine: takes back what the install record of a folder names,
// and nothing else. Like the install engine it has no window: it asks and
// tells its driver (a dialog-less program with message boxes, or the silent
// command line with its log) through UninstallDriver.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hosts/changes.h"
#include "platform/registry.h"
#include "platform/status.h"
#include "record/install_record.h"

enum class UninstallOutcome {
  Removed,        // everything the record names is gone or back as it was
  Incomplete,     // some of it could not be taken back: the record still names it, for a second uninstall
  Declined,       // the user answered No; nothing changed
  HostRunning,    // AutoCAD runs; nothing changed
  NotInstalled,   // no record in the folder; nothing changed
  RecordDamaged,  // the record cannot be trusted (ParsedRecord::state); nothing changed
};

struct UninstallRequest {
  // The install folder: the one that holds the record.
  std::string installDir;
  // Stop with HostRunning when AutoCAD runs.
  bool checkHostRunning = true;
  // The registry view this program sees by default.
  int editionBits = kOwnRegistryView;
  // The uninstaller's own file while the process that runs it keeps it from
  // being deleted: left in place and named in the record, for FinishRemoval.
  std::string leaveForLater;
};

// One thing the uninstall took back, left or could not take back.
struct RemovalEvent {
  enum class What {
    File,
    Folder,
    LoaderKey,
    TrustedPaths,  // below HKEY_USERS: "<SID>\<key>" of a user of an installation for every user
    SupportPath,   // a profile's General key, below HKEY_CURRENT_USER
    PlotDriver,
    Backup,
    Entry,
    Record,
    Font,
    Settings,
    SettingsKept,  // the user's own settings file, kept beside ours before ours replaced it
    // An installation for every user (uninstall/every_user.h): a user of
    // the machine (the target is the SID, or the ProfileList entry of one
    // not reached), the record in that user's hive and Active Setup's
    // marker there ("<SID>\<key>" below HKEY_USERS), a hive loaded under
    // our name (its name below HKEY_USERS), and the steps that served users
    // at logon (below HKEY_LOCAL_MACHINE).
    User,
    UserRecord,
    ActiveSetupMarker,
    UserHive,
    LogonStep,
  };
  enum class Result {
    Removed,
    Restored,
    Kept,         // kept on purpose: fonts, the settings file, AutoCAD's driver when another replaced it
    Unchanged,    // nothing of the install's was there any more
    NotOurs,      // changed by someone else since: left as it is
    Unreachable,  // in a registry view this edition cannot reach
    NotReached,   // a user's profile this machine cannot give us (a roaming one...): logged, counted
    Failed,
  };
  What what = What::File;
  platform::Hive hive = platform::Hive::LocalMachine;  // for keys
  std::string target;  // a path, or a key below its hive
  int view = 0;        // a key of HKEY_LOCAL_MACHINE: the registry view it is in (32 or 64)
  Result result = Result::Removed;
  platform::Status status;  // with Failed
  // Of a user: the profile folder and how the hive was reached, or why the
  // user's part was not taken back.
  std::string detail;
};

// How taking back one change went, as the uninstall tells it.
RemovalEvent::Result RemovalResultOf(Undo undo);

struct UninstallReport {
  UninstallOutcome outcome = UninstallOutcome::Removed;
  std::string installDir;
  RecordState recordState = RecordState::Missing;
  platform::Status recordStatus;  // with an unreadable record
  std::vector<int> ignoredLines;  // record lines not understood, left out
  std::vector<int> otherFileLines;  // of those, naming a file Windows would take for another
  int removed = 0;    // files, keys, lists and entries taken away
  int restored = 0;   // loader keys, lists and plot drivers put back as they were
  int leftAlone = 0;  // changed by someone else since
  int failed = 0;     // could not be taken back: still in the record
  int driversRestored = 0;
  int fontsKept = 0;
  std::string settingsKept;               // the settings file, where the record names it
  std::string settingsCopyKept;           // the user's own one, kept beside it by the install
  std::vector<std::string> backupsKept;   // AutoCAD's drivers kept where another driver replaced ours
  bool folderKept = false;                // files the user added keep the install folder
  // An installation for every user: users whose part was taken back, user
  // profiles not reached (logged, their part stays), users reached whose
  // part could not be (wholly) taken back (exit code 7, tried again by a
  // second uninstall), and the settings files kept in users' APPDATA.
  int usersTakenBack = 0;
  int usersNotReached = 0;
  int usersFailed = 0;
  int usersSettingsKept = 0;

  // Nothing was left that a second uninstall could still take back.
  bool complete() const { return failed == 0 && usersFailed == 0; }
};

enum class UninstallNotice { NotInstalled, RecordDamaged, HostRunning, Summary };

class UninstallDriver {
 public:
  virtual ~UninstallDriver() = default;
  // Asked once, before anything changes; false leaves everything as it is.
  virtual bool Confirm(const std::string& question) = 0;
  // A message the user must see: why nothing was done, or the summary of
  // what was removed and what was kept.
  virtual void Tell(UninstallNotice notice, const std::string& text) = 0;
  virtual void OnRemoval(const RemovalEvent& event) = 0;
};

// What an install that stopped half-way (or one killed before it finished)
// changed, to be taken back as the uninstall would, with no question asked.
struct TakeBackRequest {
  std::string installDir;
  int editionBits = kOwnRegistryView;
  InstallRecord changes;  // what to take back
  // What an earlier, finished install into the folder recorded: it stays, and
  // the record names it again afterwards (finished). Empty when there was none:
  // the record then goes, and the folder with it, as after an uninstall.
  InstallRecord kept;
};

class CUninstallEngine {
 public:
  UninstallReport Uninstall(const UninstallRequest& request, UninstallDriver& driver);
  // Takes back `request.changes` without asking or telling: no check for a
  // running AutoCAD, no question, no summary; every removal goes to
  // driver.OnRemoval. Fonts and the settings file stay, as in an uninstall.
  UninstallReport TakeBack(const TakeBackRequest& request, UninstallDriver& driver);
};
