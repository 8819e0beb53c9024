// An uninstall run: which install folder it takes back (the uninstaller's
// own, the one /DIR= names, or the one Programs and Features knows), the
// hand-over to a copy in the temp folder when the uninstaller runs from that
// folder, the removal itself, and the copy's last step that removes the
// uninstaller once the program that was started has ended.
#pragma once

#include "deploy/product.h"
#include "run/command_line.h"
#include "run/exit_code.h"

// The uninstall (RunMode::Uninstall): the folder it takes back, the hand-over
// to a copy when this program is that folder's uninstaller (the copy keeps
// the log and the lock), else the log, the lock and the removal, asking and
// telling the user unless the run is silent.
ExitCode RunUninstall(const SetupOptions& options, const BuildInfo& build);

// The copy's removal (RunMode::Remove): as the uninstall, of exactly the
// folder handed over, leaving the uninstaller for the finish.
ExitCode RunRemoval(const SetupOptions& options, const BuildInfo& build);

// The copy's last step (RunMode::Finish): once the process it was handed has
// ended, the uninstaller, the record and the empty folder go.
ExitCode RunFinish(const SetupOptions& options, const BuildInfo& build);
