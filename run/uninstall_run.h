// An uninstall run: which install folder it takes back (the uninstaller's
// own, the one /DIR= names, or the one Programs and Features knows), the
// hand-over to a copy in the temp folder when the uninstaller runs from that
// folder, the removal itself, and the copy's last step that removes the
// uninstaller once the program that was started has ended.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/status.h"
#include "run/command_line.h"
#include "run/exit_code.h"
#include "run/install_log.h"

struct UninstallTarget {
  // The install folder whose record is taken back; empty when /UNINSTALL
  // named none and Programs and Features has no entry.
  std::string installDir;
  // The /DIR= text, when it is no folder path: nothing is taken back.
  std::optional<std::string> refusedText;
  // This program is the uninstaller in `installDir`: a copy must run the
  // removal, for this file to go too.
  bool relay = false;
  // The uninstaller in `installDir` is held by the program that was started:
  // the removal leaves it for the finish.
  bool leaveUninstaller = false;
  // Why no copy could run the removal, when the uninstaller runs it itself.
  platform::Status relayFailure;
};

// The uninstall the options (or the program's own name) ask for; nothing for
// an install.
std::optional<UninstallTarget> UninstallTargetOf(const SetupOptions& options, int editionBits);

// Runs the removal from a copy of this program in the temp folder, waits for
// it and returns its exit code; afterwards the copy runs once more to remove
// the uninstaller. Nothing when no copy could run: `target` then says the
// removal runs here and leaves the uninstaller.
std::optional<ExitCode> RelayUninstall(UninstallTarget& target, const SetupOptions& options);

// The removal, asking and telling the user unless the run is silent.
ExitCode RunUninstall(const UninstallTarget& target, const SetupOptions& options, int editionBits,
                      CInstallLog* log);

// The copy's last step: once process `waitFor` has ended, the uninstaller,
// the record and the empty folder go.
ExitCode FinishUninstall(const UninstallTarget& target, std::uint32_t waitFor, CInstallLog* log);
