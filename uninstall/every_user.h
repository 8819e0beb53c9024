// The uninstall of an installation for every user: each user's part goes,
// taken back from that user's own record in that user's own hive
// (record/user_record.h). A user who is logged on is reached in the hive
// Windows loaded; any other user's NTUSER.DAT is loaded under our own name
// for as long as it takes (platform/user_hives.h). What the user changed
// since stays, as in the uninstall for one user, and so does the settings
// file in the user's APPDATA.
#pragma once

#include <string>

#include "uninstall/uninstall_engine.h"

class RemovalEvents {
 public:
  virtual ~RemovalEvents() = default;
  virtual void OnRemoval(const RemovalEvent& event) = 0;
};

// Takes away the logon steps that served users (record/logon_steps.h), then
// every user's part of the installation in `installDir` that the machine's
// profiles reach. A record in a user's hive of another install folder, or
// one that cannot be trusted, is left as it is. Returns whether nothing is
// left that a second uninstall could take back: false when a user reached
// could not be (wholly) taken back or a logon step could not be removed.
// Profiles not reached (roaming profiles, "<SID>.bak" entries) are told and
// left: no second uninstall would reach them either.
[[nodiscard]] bool TakeBackEveryUser(const std::string& installDir, int editionBits, RemovalEvents& events);
