// The add-on's entry in Programs and Features (Settings > Apps): the values
// Windows shows and runs the uninstaller with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "deploy/events.h"
#include "deploy/product.h"
#include "platform/status.h"
#include "record/install_record.h"

// Below HKEY_LOCAL_MACHINE in the edition's own view, or HKEY_CURRENT_USER.
constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZorvelBatchPlot";

// The version Programs and Features shows: the build date as year.month.day.
std::string DisplayVersionOf(int buildDate);

// Writes the entry under `hive`, reporting every value: under
// HKEY_LOCAL_MACHINE, or under HKEY_CURRENT_USER when that cannot be written
// (no administrator rights); an install for the current user alone writes
// it under HKEY_CURRENT_USER only. Nothing when it cannot be written.
std::optional<EntryChange> RegisterUninstallEntry(const std::string& installDir, const BuildInfo& build,
                                                  int installDate, std::uint32_t estimatedKilobytes,
                                                  InstallEvents& events,
                                                  platform::Hive hive = platform::Hive::LocalMachine);

// The install folder an entry names; nothing when there is no such entry.
std::optional<std::string> EntryInstallLocation(const EntryChange& entry, int editionBits);

// Deletes the entry, if it still names `installDir`; an entry another install
// has since taken over stays.
enum class EntryRemoval { Removed, Gone, Taken, Unreachable, Failed };
EntryRemoval RemoveUninstallEntry(const EntryChange& entry, const std::string& installDir, int editionBits,
                                  platform::Status* status);
