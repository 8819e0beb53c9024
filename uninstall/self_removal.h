// How the uninstaller removes its own file. A running program's file cannot
// be deleted on Windows, so the uninstaller started from the install folder
// runs the removal from a copy of itself and waits for it, ending with the
// removal's exit code: whoever started it (Programs and Features, `start
// /wait`, a deployment tool) sees the real result. Once it has ended, a
// second run of the copy deletes the uninstaller and the folder
// (FinishRemoval).
//
// A copy that runs with full rights must not run from a folder its user can
// write to: a DLL placed beside it would run with those rights. With full
// rights the copy goes into a folder of its own that only administrators can
// change, below %SystemRoot%\Temp (where a standard user can add a folder but
// cannot rename or delete another's), as
// %SystemRoot%\Temp\ZorvelUninstall-<process id>\Uninstall.exe; otherwise into
// the user's temp folder, as ZorvelUninstall-<process id>.exe.
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
  std::string copy;  // the copy
};

// Copies the running program (see above for where), runs the copy with
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

// The folder the copy of process `firstProcess` ran from with full rights, when
// the running program is that copy; empty otherwise.
std::string HandOverFolder(std::uint32_t firstProcess);

// Asks Windows to delete the copy in `handOverFolder` and the folder at its
// next restart: the copy runs this very step, so neither can go before.
platform::Status RemoveHandOverFolder(const std::string& handOverFolder);
