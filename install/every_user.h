// An installation for every user of the machine: the user part goes to each
// user profile, one at a time. A user who is logged on is served in the hive
// Windows loaded; any other user's NTUSER.DAT is loaded under our own name
// for as long as it takes, and unloaded again. Profiles that cannot be had
// here (roaming profiles, profile containers, damaged ones) are left to the
// logon step (record/logon_steps.h) and only logged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hosts/user_part.h"
#include "platform/user_hives.h"
#include "record/user_record.h"

// One user the loop reached, or tried to.
struct UserServed {
  std::string sid;
  std::string profileFolder;
  bool loadedHere = false;  // the hive was loaded by this run (the user is not logged on)
  // Why the user could not be served at all: the hive could not be loaded,
  // the redirect refused, ...; empty when `service` says how it went.
  std::string problem;
  platform::Status status;  // with `problem`, where there is one
  UserService service;
  // The hive could not be unloaded again (the user then gets a temporary
  // profile at logon until it is): logged as an error, counted.
  platform::Status unload;

  bool failed() const;  // a problem, a write that failed, or the hive left loaded
};

class EveryUserEvents {
 public:
  virtual ~EveryUserEvents() = default;
  // A hive a killed run left loaded, unloaded (or not) before anything else.
  virtual void OnLeftoverHive(const platform::HiveUnload&) {}
  virtual void OnUserSkipped(const platform::SkippedProfile&) {}
  virtual void OnUser(const UserServed&) {}
};

struct EveryUserResult {
  int served = 0;
  int failed = 0;   // users reached but not (wholly) written: counted, exit code 7
  int skipped = 0;  // profiles left to the logon step: logged only
};

EveryUserResult ServeEveryUser(const UserPartRequest& request, std::uint32_t serial, EveryUserEvents& events);
