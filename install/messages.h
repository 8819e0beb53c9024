// The texts the install shows its user (in the dialog, a message box
// captioned kMessageCaption; without a window, a line of the log).
#pragma once

#include <string>
#include <vector>

#include "deploy/events.h"
#include "install/install_folder.h"
#include "platform/status.h"

enum class Notice {
  HostRunning,       // AutoCAD runs: close it first
  NoFolder,          // the folder text is empty
  FolderInvalid,     // the folder text is no folder path the install can use
  FolderTooLong,     // a file of the install would pass the path limit
  FolderNotCreated,  // the install folder cannot be made
  DataMissing,       // no Data folder beside the program
  DataUnreadable,    // a Data folder that cannot be listed
  Incomplete,        // installed, but some settings, support files or uninstaller parts were not written
  RolledBack,        // the install stopped half-way, and what it had changed is taken back
};

// What kept a file or a setting from being written, as far as the user can
// act on it. The order is the order the warning names them in.
enum class Cause {
  SourceMissing,  // a file the distribution should carry is not in its Data folder
  FolderMissing,  // the destination folder is not there (or is a file)
  AccessDenied,   // not allowed: typically not run as administrator
  InUse,          // another program holds the file open
  KeyMissing,     // an AutoCAD registry key is gone (AutoCAD uninstalled meanwhile)
  WrongType,      // a TRUSTEDPATHS value that is no text, left as it is
  Unreadable,     // a TRUSTEDPATHS value that cannot be read whole, left as it is
  NoSupportPath,  // a profile with no support file search path yet (AutoCAD never started with it)
  SupportPathKept,  // a support file search path that is no text or cannot be read whole, left as it is
  Other,
};

Cause CauseOfFile(platform::Status status);
Cause CauseOfValue(platform::Status status);
// A profile's support file search path not written: why.
Cause CauseOfSupportPath(platform::Status status);

// What the integration could not write, and why.
struct Shortfall {
  int settingsFailed = 0;  // registry values
  int filesFailed = 0;     // support files
  std::vector<Cause> causes;  // each once, in the order of Cause
  std::vector<platform::OsError> otherErrors;  // the codes behind Cause::Other, each once
  int uninstallFailed = 0;  // the uninstaller, its Programs and Features entry, its record
  int settingsFileFailed = 0;  // the add-on's settings file, in the user's application-data folder
  int usersFailed = 0;  // users of an installation for every user whose part was not (wholly) written
  // AutoCAD 2008's plot driver, which an install for the current user alone
  // cannot place: it goes into AutoCAD's program folder.
  bool plotDriverLeft = false;
};

std::string HostRunningText();
std::string NoFolderText();
// Why the folder text `folderText` was refused.
std::string FolderRefusedText(const std::string& folderText, const FolderVerdict& verdict);
Notice NoticeOf(FolderRefusal refusal);
std::string DataMissingText();
std::string DataUnreadableText();
// Names what failed (settings, files, parts of the uninstaller) and each cause
// with what the user can do about it; and the log, when one is written
// (`logPath`).
std::string IncompleteText(const Shortfall& shortfall, const std::string& logPath);
// An install that stopped half-way: `undone` changes taken back, `failed`
// that could not be (an uninstall takes them back later).
std::string RolledBackText(int undone, int failed, const std::string& logPath);
// Another setup program holds the instance lock.
std::string AlreadyRunningText();
// The buttons of the rights box, named in its texts.
constexpr char kAsAdministratorLabel[] = "以管理员身份安装";
constexpr char kForMeOnlyLabel[] = "仅为我安装";
constexpr char kWithoutRightsLabel[] = "不用管理员权限继续";
// Install, without administrator rights, where they may be asked for: what
// each way of the box does.
std::string ElevationQuestionText();
// The install folder `refused` could not be made for want of rights: the
// install for the current user alone goes into `installDir`.
std::string FolderFallbackText(const std::string& refused, const std::string& installDir);
// A machine-wide install found the current user's install for that user
// alone in `installDir`: take it back first (Yes) or keep it (No)?
std::string UserInstallQuestionText(const std::string& installDir);
// Install, without administrator rights, where the computer does not let the
// program ask for them: the two ways without, and whom to ask.
std::string ElevationRefusedText();
// The log file named cannot be opened: why, as the system says it.
std::string LogNotOpenedText(const std::string& path, unsigned error, const std::string& systemText);
// The abort/retry/ignore question after a failed copy onto `destination`.
std::string CopyFailedText(const std::string& destination);
// The same question for `failure`, naming its cause where the usual two
// reasons (AutoCAD still open, no rights) cannot be it.
std::string CopyFailedText(const FileEvent& failure);
