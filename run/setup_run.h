// One run of the setup program, from its arguments to its exit code: the
// usage, a log when asked for (or by an unattended install), the lock
// against a second setup program, discovery, and then the setup dialog, or
// with /S the install with no window at all.
#pragma once

#include <string>
#include <vector>

#include "deploy/product.h"
#include "run/exit_code.h"

ExitCode RunSetup(const BuildInfo& build, const std::vector<std::string>& arguments);
