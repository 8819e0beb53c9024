// How the uninstaller removes its own file. A running program's file cannot
// be deleted on Windows, so the uninstaller started from the install folder
// runs the removal from a copy of itself in the temp folder and waits for it,
// ending with the removal's exit code: whoever started it (Programs and
// Features, `start /wait`, a deployment tool) sees the real result. Once it
// has ended, a second run of the copy deletes the uninstaller and the folder
// (FinishRemoval).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/status.h"

// Whether the running program is the uninstaller inside `installDir`.
bool RunsFromInstallFolder(const std::string& installDir);

// The uninstaller of `installDir`.
std::string UninstallerPath(const std::string& installDir);

struct RelayResult {
  // False: no copy could be made or started (`status` says why) and nothing
  // ran; the removal is then this process's own to run.
  bool started = false;
  // With `started`: ok when the removal's end was awaited and `exitCode` is
  // its exit code.
  platform::Status status;
  std::uint32_t exitCode = 0;
  std::string copy;  // the temp copy
};

// Copies the running program into the temp folder, runs the copy with
// `removalArguments` and waits for it; then starts it again with
// `cleanupArguments` (which name this process, CurrentProcessId, for the copy
// to wait for) without waiting.
RelayResult RelayToTempCopy(const std::vector<std::string>& removalArguments,
                            const std::vector<std::string>& cleanupArguments);

// The last step of an uninstall that left its own uninstaller for later:
// waits for process `waitFor` (the one that ran it) to end, then deletes the
// uninstaller, the record and the install folder (and its parent, if the
// install made it) when empty; only if the record names nothing else. False
// when something stays.
bool FinishRemoval(const std::string& installDir, std::uint32_t waitFor);
