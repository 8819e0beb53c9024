// The process's exit code: how a run of the setup program ended, for the
// batch files and deployment tools that start it. One list for every way the
// program runs (the dialog, the unattended install, the uninstall), each code with its
// meaning for the log and for the usage text.
#pragma once

#include <string>

#include "install/install_engine.h"
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

// What an installation that ended this way makes the process return.
ExitCode ExitCodeOf(InstallOutcome outcome);
ExitCode ExitCodeOf(UninstallOutcome outcome);

// Which kind of run a code ends: a few codes say something else after an
// uninstall.
enum class Run { Install, Uninstall };

// The code as a number, and what it means: in English for the log, in
// Chinese for the usage text (with what it means after an uninstall).
int ExitCodeNumber(ExitCode code);
std::string ExitCodeMeaning(ExitCode code, Run run = Run::Install);
std::string ExitCodeMeaningChinese(ExitCode code);

// Every code, in ascending order, for the usage text.
inline constexpr ExitCode kAllExitCodes[] = {
    ExitCode::Installed,   ExitCode::Cancelled,     ExitCode::BadCommandLine,
    ExitCode::HostRunning, ExitCode::DataMissing,   ExitCode::FolderRefused,
    ExitCode::CopyAborted, ExitCode::Incomplete,    ExitCode::AlreadyRunning, ExitCode::NotInstalled,
};
