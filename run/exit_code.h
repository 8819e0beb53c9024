// How a run of the setup program ended: the process's exit code, for the
// batch files and deployment tools that start it, and the finer end the log
// names. One list of codes for every way the program runs (the dialog, the
// unattended install, the uninstall), each with its meaning for the usage
// text; several ends share a code (0 after an install, an uninstall or the
// usage).
#pragma once

#include <string>

#include "install/install_engine.h"
#include "run/install_log.h"
#include "uninstall/uninstall_engine.h"

enum class ExitCode : int {
  Installed = 0,       // installed completely
  Cancelled = 1,       // the user cancelled or closed the dialog
  BadCommandLine = 2,  // command line not understood, or the log cannot be opened; nothing done
  HostRunning = 3,     // AutoCAD is running; nothing changed
  DataMissing = 4,     // the Data folder is missing or cannot be read; nothing changed
  FolderRefused = 5,   // the install folder was refused; nothing changed
  CopyAborted = 6,     // a payload file could not be copied; the files before it stay, nothing registered
  Incomplete = 7,      // installed, but some AutoCAD settings, support files or uninstaller parts were not written
  AlreadyRunning = 8,  // another setup program is running; nothing done
  NotInstalled = 9,    // uninstall: no install record here, or one that cannot be trusted; nothing changed
};

// Every code, in ascending order, for the usage text.
inline constexpr ExitCode kAllExitCodes[] = {
    ExitCode::Installed,   ExitCode::Cancelled,     ExitCode::BadCommandLine,
    ExitCode::HostRunning, ExitCode::DataMissing,   ExitCode::FolderRefused,
    ExitCode::CopyAborted, ExitCode::Incomplete,    ExitCode::AlreadyRunning, ExitCode::NotInstalled,
};

// The code as a number, and what it means in Chinese for the usage text
// (with what it means after an uninstall, where that differs).
int ExitCodeNumber(ExitCode code);
std::string ExitCodeMeaningChinese(ExitCode code);

enum class RunEnd {
  // An install, or a run that never got to its work.
  Installed,
  Cancelled,
  BadCommandLine,
  HostRunning,
  DataMissing,
  FolderRefused,
  CopyAborted,
  Incomplete,
  AlreadyRunning,
  UsageShown,  // /? or /HELP: nothing else done
  EveryUserRefused,  // /ALLUSERS without administrator rights: nothing done
  // An uninstall.
  Uninstalled,
  Declined,
  UninstallIncomplete,
  NotInstalled,
  // The uninstaller's copy, once the uninstaller has ended.
  UninstallerRemoved,
  UninstallerKept,
  // The logon step (/USERPART), for the user logging on.
  UserServed,
  UserPartIncomplete,
};

RunEnd EndOf(InstallOutcome outcome);
RunEnd EndOf(UninstallOutcome outcome);

// The end's exit code, its level in the log and what it means there.
ExitCode ExitCodeOf(RunEnd end);
LogLevel LogLevelOf(RunEnd end);
std::string RunEndMeaning(RunEnd end);
