// What an install leaves so that it can be undone: the uninstaller, the
// Programs and Features entry, and the record of what the install changed.
#pragma once

#include <string>

#include "deploy/events.h"
#include "deploy/product.h"
#include "record/install_record.h"

// Copies the running program into the install folder as the uninstaller,
// registers the Programs and Features entry and writes the record of
// `changes` with them, merged into an earlier install's record of the same
// folder. Returns how many of the three could not be made; a record that
// cannot be written takes back the entry, which would otherwise point at an
// uninstaller with nothing to do.
[[nodiscard]] int SetUpUninstall(const std::string& installDir, const BuildInfo& build, InstallRecord changes,
                                 InstallEvents& events);
