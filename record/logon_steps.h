// What serves, at their next logon, the users an installation for every user
// could not reach: Active Setup, which runs a step once per user and
// version before the desktop starts, and a Run entry, which runs at every
// logon and lets a user whose AutoCAD had no profile yet at the first be
// served after AutoCAD's first start. Both run the uninstaller's user-part
// switch, which ends at once for a user already served.
//
// Both are written below HKEY_LOCAL_MACHINE in the edition's own registry
// view: Windows runs the steps of both views.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "deploy/events.h"
#include "deploy/product.h"
#include "platform/status.h"

constexpr char kActiveSetupKey[] = "SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\ZorvelBatchPlot";
constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "ZorvelBatchPlot";
constexpr char kUserPartSwitch[] = "/USERPART";

// "year,month,day,serial" of the build date and the installation's count of
// installs for every user: new for every install, so that Active Setup
// serves every user again after a reinstall.
std::string ActiveSetupVersion(const BuildInfo& build, std::uint32_t serial);

// The command both run: "<install folder>\Uninstall.exe" /USERPART.
std::string UserPartCommand(const std::string& installDir);

// Writes the Active Setup key (its default value the product name,
// StubPath, Version, IsInstalled = 1) and the Run entry, reporting every
// value. How many of them could not be written.
[[nodiscard]] int WriteLogonSteps(const std::string& installDir, const std::string& version, InstallEvents& events);

struct LogonStepRemoval {
  std::string key;  // below HKEY_LOCAL_MACHINE
  // Gone: there was none; Taken: it runs another folder's uninstaller now
  // and stays.
  enum class Result { Removed, Gone, Taken, Failed } result = Result::Removed;
  platform::Status status;
};

// Takes the Active Setup key and the Run entry away, each only while it
// still runs `installDir`'s uninstaller.
std::vector<LogonStepRemoval> RemoveLogonSteps(const std::string& installDir);

// Below HKEY_CURRENT_USER: Active Setup's mark that this user has had the
// step run. Deleted by the uninstall, so that a later install serves the
// user again whatever its version. Nothing there counts as done.
constexpr char kActiveSetupMarkerKey[] =
    "Software\\Microsoft\\Active Setup\\Installed Components\\ZorvelBatchPlot";
platform::Status DeleteActiveSetupMarker();
