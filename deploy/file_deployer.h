// Copies the add-on's payload from the Data folder beside the setup program
// into the install folder, reporting each pass of its walk, each copy, and
// each failed copy for a decision.
#pragma once

#include <string>
#include <vector>

#include "deploy/events.h"
#include "platform/files.h"

enum class CopyDecision { Abort, Retry, Ignore };

// Whoever runs the deployment: it sees every step and copy, and decides what
// happens after a copy fails.
class DeployObserver {
 public:
  virtual ~DeployObserver() = default;
  // Every copy made or failed.
  virtual void OnFile(const FileEvent& event) = 0;
  // Just before a copy is first tried (`planned.status` is not yet known):
  // the record of the install is written ahead of what it names.
  virtual void OnCopying(const FileEvent& planned) { (void)planned; }
  // One pass of the walk (one entry looked at, or the pass that found none).
  virtual void OnStep() = 0;
  // A copy failed, `failure.status` says why. Retry copies again (without
  // clearing attributes again), Ignore goes on without the file, Abort stops.
  virtual CopyDecision OnCopyFailed(const FileEvent& failure) = 0;
};

enum class DeployResult {
  Done,            // the walk ran to its end, ignored entries included
  DataMissing,     // no Data folder (or a file of that name); nothing touched
  DataUnreadable,  // a Data folder that cannot be listed; nothing copied
  Aborted,         // a failed copy was answered Abort; what was copied stays
};

// Whether the Data folder beside the program can be deployed, looked at
// before anything is made: Done, DataMissing or DataUnreadable.
DeployResult CheckDataFolder();

// Where the settings file goes: into the running user's APPDATA\Zorvel, or,
// for an installation for every user, into the install folder as
// kSettingsForUsers, from where each user's part takes it.
enum class SettingsFor { RunningUser, EveryUser };

// The names the deployment writes into the install folder: every entry of
// the Data folder it copies there, renamed as it renames them. Empty when the
// Data folder is missing or cannot be listed.
std::vector<std::string> InstallFolderNames(SettingsFor settings = SettingsFor::RunningUser);

class CFileDeployer {
 public:
  // One trailing backslash of `path` is cut off (not a 0x5C that ends a
  // double-byte character).
  CFileDeployer(std::string path, DeployObserver& observer, SettingsFor settings = SettingsFor::RunningUser);

  // Copies every entry of the Data folder but the setup program, the support
  // files placed into AutoCAD and sub-folders; renames the three library
  // files and sends the settings file where `settingsFor` says.
  DeployResult DeployDataFolder();

  std::string installDir;
  DeployObserver& observer;
  SettingsFor settingsFor;

 private:
  enum class Outcome { Done, Aborted };

  Outcome DeployEntry(const std::string& dataFolder, const platform::FindData& entry);
  platform::Status KeepSettings(const FileEvent& settings);
  // The entry's copy: where it goes, and what kind of file it is. The
  // destination is unreachable when it lies in an application-data folder
  // that nobody can name.
  FileEvent Destination(const std::string& dataFolder, const platform::FindData& entry, bool* reachable);
};
