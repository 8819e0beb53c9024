// The install engine: the one place that says what an installation is. It
// checks the folder text, makes the folders, deploys the Data folder,
// registers the loaders, adds the trusted paths and places the support files,
// in that order, then leaves what the uninstall needs (the uninstaller, the
// Programs and Features entry, the record of what it changed), and returns
// how it went. It has no window: it reports to and
// asks its driver (the setup dialog, the command line) through InstallDriver.
#pragma once

#include <string>

#include "deploy/events.h"
#include "deploy/file_deployer.h"
#include "hosts/acad_hosts.h"
#include "install/edition.h"
#include "install/every_user.h"
#include "install/install_folder.h"
#include "install/messages.h"
#include "record/install_record.h"

enum class InstallOutcome {
  Installed,       // everything written
  Incomplete,      // installed, but some AutoCAD settings, support files or parts of the
                   // uninstaller were not written
  HostRunning,     // AutoCAD runs; nothing done (only when the request asks to check)
  FolderRefused,   // the folder text was refused, or the folder cannot be made; nothing
                   // copied, and no folder made but the levels before one that failed
  DataMissing,     // no Data folder; nothing made
  DataUnreadable,  // the Data folder cannot be listed; nothing made
  Aborted,         // a failed copy was answered Abort; what the install had changed is taken back
};

struct InstallRequest {
  // The folder chosen by the user; the install folder is this folder (without
  // one trailing backslash) plus the product folder. It must be a whole path
  // with a drive letter, the picker's name rules for every folder in it, and
  // no ';'; it is refused before anything is made otherwise.
  std::string folderText;
  ReleaseFlags ticked{};
  // Stop with HostRunning when AutoCAD runs.
  bool checkHostRunning = false;
  // Where a log of this run is being written; empty when there is none.
  std::string logPath;
  // The build that installs: its version goes into Programs and Features.
  BuildInfo build;
  // For every user of the machine (run as SYSTEM, or /ALLUSERS): the user
  // part goes to every profile and to later users at their logon, not to
  // the account that runs the install.
  bool everyUser = false;
  // For the user who runs it alone, with no administrator rights needed
  // (/CURRENTUSER, or the dialog's "for me only"): the loaders below
  // HKEY_CURRENT_USER, the fonts in the install folder's Fonts folder on
  // every profile's support file search path, the entry under
  // HKEY_CURRENT_USER, and no plot driver.
  bool currentUser = false;
  // Where the install goes instead when the install folder cannot be made
  // for want of rights (an install for the current user alone, no folder
  // given: the user's own programs folder); empty: nowhere else.
  std::string fallbackFolderText;
};

// The user's own programs folder (%LOCALAPPDATA%\Programs\Zorvel), the
// fallback of an install for the current user alone; empty when the
// environment names no LOCALAPPDATA.
std::string UserProgramsFolderText();

// How taking back went: what was removed or put back, and what could not be
// (still named by the record, for an uninstall).
struct TakeBackCount {
  int undone = 0;
  int failed = 0;
};

struct InstallReport {
  InstallOutcome outcome = InstallOutcome::Installed;
  // The install folder, once the folder text was accepted.
  std::string installDir;
  int settingsFailed = 0;   // registry values not written
  int filesFailed = 0;      // support files not copied
  int uninstallFailed = 0;  // of the uninstaller, its Programs and Features entry and the record
  int settingsFileFailed = 0;  // the add-on's settings file, given up after a failed copy
  // For the current user alone with AutoCAD 2008 ticked: its plot driver was
  // not placed.
  bool plotDriverLeft = false;
  EveryUserResult users;       // for every user: the profiles served, failed and left
  // An install that stopped after its first change: what was taken back.
  TakeBackCount rolledBack;
};

// Whoever runs the engine. Besides the stream of files and values
// (InstallEvents), it sees what the integration wrote, shows the progress and
// the engine's messages and answers its one question.
class InstallDriver : public InstallEvents, public EveryUserEvents {
 public:
  // The folder text was accepted and the install starts.
  virtual void OnProgressBegin() = 0;
  // One step: each pass of the deployment's walk, then each integration step.
  virtual void OnProgressStep() = 0;
  // All steps done.
  virtual void OnProgressEnd() = 0;
  // A copy failed; `question` asks the user whether to abort, retry or ignore.
  virtual CopyDecision OnCopyFailed(const FileEvent& failure, const std::string& question) = 0;
  // A message the user must see.
  virtual void Tell(Notice notice, const std::string& text) = 0;
  // Each loader key, profile list and support file written or not.
  virtual void OnLoader(const LoaderWrite& write) = 0;
  virtual void OnTrustedPaths(const TrustedPathWrite& write) = 0;
  virtual void OnSupportFile(const SupportFileWrite& write) = 0;
  // Each profile's support file search path, for an install for the
  // current user alone.
  virtual void OnSupportPath(const SupportPathWrite&) {}
  // A machine-wide install found an installation for the current user alone
  // in `installDir`: its loaders below HKEY_CURRENT_USER would hide the
  // machine's from AutoCAD. True takes it back first.
  virtual bool TakeBackUserInstall(const std::string& installDir) = 0;
  // Who can change the install folder, once it is there. Only the log says
  // it: a driver that shows nothing of it need not override.
  virtual void OnFolderLock(const FolderLock&) {}
  // The install folder `refused` could not be made (`why`): the install
  // goes into `installDir` instead. Only the log says it.
  virtual void OnFolderFallback(const std::string& /*refused*/, platform::Status /*why*/,
                                const std::string& /*installDir*/) {}
};

// A driver that shows nothing, keeps nothing and aborts at a failed copy:
// the base of drivers that care for only some of it.
class QuietInstallDriver : public InstallDriver {
 public:
  void OnFile(const FileEvent&) override {}
  void OnValue(const ValueEvent&) override {}
  void OnProgressBegin() override {}
  void OnProgressStep() override {}
  void OnProgressEnd() override {}
  CopyDecision OnCopyFailed(const FileEvent&, const std::string&) override { return CopyDecision::Abort; }
  void Tell(Notice, const std::string&) override {}
  void OnLoader(const LoaderWrite&) override {}
  void OnTrustedPaths(const TrustedPathWrite&) override {}
  void OnSupportFile(const SupportFileWrite&) override {}
  bool TakeBackUserInstall(const std::string&) override { return true; }
};

// What is taken back: an install that stopped or did not finish, or the
// current user's install for that user alone, which a machine-wide install
// replaces.
enum class TakeBackOf { Unfinished, UserInstall };

// Takes back what an install recorded, as the uninstall does, with no
// question asked: an install that stopped half-way, one that was killed
// before it finished, whose record the next install into the folder finds,
// and an install for the current user alone that the driver agreed to give
// up for a machine-wide one.
// The program gives it to the engine; without one, nothing is taken back.
class TakeBack {
 public:
  virtual ~TakeBack() = default;
  // Takes back `changes` in `installDir`; the record there then names `kept`
  // (an earlier, finished install: it stays) and what could not be taken
  // back, or is gone with the folder when that is nothing.
  virtual TakeBackCount Run(const std::string& installDir, const InstallRecord& changes, const InstallRecord& kept,
                            TakeBackOf what) = 0;
};

class CInstallEngine {
 public:
  // The engine installs for the installations `hosts` lists, and stores the
  // install folder in it.
  explicit CInstallEngine(CAcadHosts& hosts, TakeBack* takeBack = nullptr) : hosts_(hosts), takeBack_(takeBack) {}

  // What takes back an install that stopped half-way; the program sets it
  // for every install it runs.
  void SetTakeBack(TakeBack* takeBack) { takeBack_ = takeBack; }

  InstallReport Install(const InstallRequest& request, InstallDriver& driver);

 private:
  CAcadHosts& hosts_;
  TakeBack* takeBack_;
};
