// Copies the add-on's payload from the Data folder beside the setup program
// into the install folder, stepping the dialog's progress bar on the way.
#pragma once

#include <string>

#include "platform/files.h"
#include "platform/progress.h"

// Steps `bar` once, but never past its maximum: the Windows control, stepped
// past it, would start again from empty.
void StepUpToFull(platform::ProgressBar& bar);

class CFileDeployer {
 public:
  // One trailing backslash of `path` is cut off (not a 0x5C that ends a
  // double-byte character).
  CFileDeployer(std::string path, platform::ProgressBar& progressBar);

  // Copies every entry of the Data folder but the setup program, the support
  // files placed into AutoCAD and sub-folders; renames the three library
  // files and sends the settings file to APPDATA\Zorvel. A copy that fails is
  // offered for abort, retry or ignore. False when the Data folder is missing
  // or the user aborts (what was copied stays).
  bool DeployDataFolder();

  std::string installDir;
  platform::ProgressBar& progressBar;

 private:
  enum class Outcome { Done, Aborted };

  void Step();
  Outcome DeployEntry(const std::string& dataFolder, const platform::FindData& entry);
  // Fills the destination of an entry; false when it lies in an
  // application-data folder that nobody can name (no copy is possible then).
  bool Destination(const std::string& name, std::string* destination);
  static bool Copy(bool reachable, const std::string& source, const std::string& destination);
  bool ConfirmFailure(bool reachable, const std::string& source, const std::string& destination);
};
