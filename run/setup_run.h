// One run of the setup program, from its arguments to its exit code. The
// arguments say the run mode, and each mode is a run of its own: the usage;
// the install (a log when asked for or unattended, the lock against a second
// setup program, discovery, then the setup dialog, or with /S the install
// with no window at all); the uninstall and the steps of the uninstaller's
// copy (run/uninstall_run.h); the logon step (run/user_part_run.h).
// Arguments not understood end the run first.
#pragma once

#include <string>
#include <vector>

#include "deploy/product.h"
#include "run/exit_code.h"

ExitCode RunSetup(const BuildInfo& build, const std::vector<std::string>& arguments);
