// The texts the install shows its user (in the dialog, a message box
// captioned kMessageCaption; without a window, a line of the log).
#pragma once

#include <string>

enum class Notice {
  HostRunning,     // AutoCAD runs: close it first
  NoFolder,        // the folder text is empty
  FolderTooLong,   // the install folder would not fit the loader text
  FolderInvalid,   // the folder text is no path the picker would accept
  FolderNotCreated,  // a level of the folder cannot be made
  DataMissing,     // no Data folder beside the program
  DataUnreadable,  // a Data folder that cannot be listed
  Incomplete,      // installed, but some settings, support files or uninstaller parts were not written
};

std::string HostRunningText();
std::string NoFolderText();
std::string FolderTooLongText();
std::string FolderInvalidText(const std::string& folder);
std::string FolderNotCreatedText(const std::string& folder);
std::string DataMissingText();
std::string DataUnreadableText();
// Names only what failed: settings (registry values), files, parts of the
// uninstaller (itself, its Programs and Features entry, its record).
std::string IncompleteText(int settingsFailed, int filesFailed, int uninstallFailed = 0);
// Another setup program holds the instance lock.
std::string AlreadyRunningText();
// The log file named cannot be opened: why, as the system says it.
std::string LogNotOpenedText(const std::string& path, unsigned error, const std::string& systemText);
// The abort/retry/ignore question after a failed copy onto `destination`.
std::string CopyFailedText(const std::string& destination);
