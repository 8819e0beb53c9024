// The record of one user's part of an installation for every user, kept in
// that user's own hive: the install folder is locked to administrators, and
// the logon step that serves a user runs as that user, so the user's record
// cannot go beside the machine's. Through a redirect (platform/user_redirect.h)
// it is read and written in the hive of the user served.
//
// Below HKEY_CURRENT_USER\Software\Zorvel\BatchPlot: "Install" (REG_SZ, the
// install folder the part belongs to), "Serial" and "Served" (REG_DWORD: the
// installation's count of installs for every user, and the count at which
// this user had every chosen release's profiles served, 0 before), and
// "UserPart" (REG_MULTI_SZ: the lines of an install record, one a string,
// naming only trusted paths and the settings file).
//
// The hive is the user's to change, and the uninstall that reads it runs as
// an administrator: a record naming anything but that user's own part
// (files, loaders, fonts...) is no record of ours and is acted on in nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hosts/user_part.h"
#include "record/install_record.h"

constexpr char kUserRecordKey[] = "Software\\Zorvel\\BatchPlot";

struct UserRecord {
  std::string installDir;
  std::uint32_t serial = 0;
  std::uint32_t served = 0;
  std::vector<TrustedPathChange> trustedPaths;
  std::string settings;  // the settings file in the user's APPDATA
};

struct ParsedUserRecord {
  // Complete, Missing, NotARecord (a value missing or of another type, or a
  // line naming more than the user's part), NewerVersion or Truncated.
  RecordState state = RecordState::Missing;
  UserRecord record;              // what could be read
  std::vector<int> ignoredLines;  // 1-based numbers of "UserPart" strings not understood
};

ParsedUserRecord ReadUserRecord();
platform::Status WriteUserRecord(const UserRecord& record);
// Nothing there counts as done.
platform::Status DeleteUserRecord();

// Serving the current user for an installation for every user: the user
// part, and the user's record of it, merged into the record there for the
// same install folder (which keeps what was there before the first change).
// `served` is set to `serial` once the part is complete; until then the
// record keeps the count at which it was last served.
struct UserService {
  UserPartResult part;
  platform::Status recordStatus;  // of writing the user's record
  bool served = false;            // the record now says Served = serial
  // The install folder of the record there before, when it was another
  // installation's (or one this version cannot merge into): that record is
  // replaced; the user part it names stays as it is.
  std::string replacedInstall;
};
UserService ServeCurrentUser(const UserPartRequest& request, std::uint32_t serial);

// Whether the current user's record says the installation in `installDir`
// served it at `serial`: the logon step then has nothing to do.
bool AlreadyServed(const std::string& installDir, std::uint32_t serial);
