// What an install leaves so that it can be undone: the uninstaller, the
// Programs and Features entry, and the record of what the install changed.
#pragma once

#include <string>

#include "deploy/events.h"
#include "deploy/product.h"
#include "platform/registry.h"
#include "record/install_journal.h"
#include "record/install_record.h"

// Copies the running program into the install folder as the uninstaller,
// noted in the record first: placed before anything else, it can take back
// whatever the install goes on to change.
FileEvent PlaceUninstaller(const std::string& installDir, InstallJournal& journal);

// Registers the Programs and Features entry right after the uninstaller,
// noted in the record first, so that Programs and Features and SetUp.exe
// /UNINSTALL find the install however it ends; FinishUninstall writes it again
// with the install's size. What it writes is not reported: the second write
// reports every value. `hive` as for RegisterUninstallEntry.
void RegisterEntryAhead(const std::string& installDir, const BuildInfo& build, InstallJournal& journal,
                        platform::Hive hive);

// Registers the Programs and Features entry (noted in the record first) and
// writes the whole record, finished: `earlier`, the record found in the
// folder, with `changes` merged in. Returns how many of the two could not be
// made. An entry stays only where a record names it: a record that cannot be
// written whole while the one written ahead lacks entries takes the entry
// back. Over a record of a later version nothing is written (2). `hive` as
// for RegisterUninstallEntry.
[[nodiscard]] int FinishUninstall(const std::string& installDir, const BuildInfo& build, const ParsedRecord& earlier,
                                  InstallRecord changes, InstallEvents& events, InstallJournal& journal,
                                  platform::Hive hive);
