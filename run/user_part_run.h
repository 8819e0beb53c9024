// The logon step (/USERPART): Active Setup and the Run entry start the
// uninstaller of an installation for every user with it, as the user who
// logs on, at every logon. It serves that user's part of the installation
// in its own folder and ends: no window, no lock (a deployment's lock must
// never make it fail: Active Setup marks the user served whatever it
// returns), no hand-over and no copy in the temp folder. A user already
// served costs one small file read and one registry read; the log gets lines
// only from a run that changed something or failed.
#pragma once

#include "deploy/product.h"
#include "run/command_line.h"
#include "run/exit_code.h"

ExitCode RunUserPart(const SetupOptions& options, const BuildInfo& build);
