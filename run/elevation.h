// A run without administrator rights hands its work to an elevated copy of
// the program: the copy is started with the run's own switches and
// /ELEVATED=<this user's SID>, the run waits for it, shows nothing and ends
// with the copy's exit code. Where elevation is declined or refused, the run
// opens the dialog itself, which may ask again (ElevationOffer). The copy,
// and a run elevated under another account than the desktop's, write the
// user's part of the installation for the user it is meant for.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/instance_lock.h"
#include "platform/user_redirect.h"
#include "run/command_line.h"
#include "run/exit_code.h"
#include "run/install_log.h"
#include "ui/elevation_offer.h"

// The elevated copy's arguments: the run's switches (paths as the copy can
// reach them, a mapped drive as its UNC path), /ELEVATED=`sid`, and with
// `choices` what the dialog was left with, to go on from there.
std::vector<std::string> ElevatedArguments(const SetupOptions& options, const std::string& sid,
                                           const InstallChoices* choices);

// Starts the elevated copy and waits for it to end; with `choices`, to go on
// with the dialog's install. Ran carries the copy's exit code.
ElevatedRun HandOver(const SetupOptions& options, const InstallChoices* choices, CInstallLog* log);

// How a run without full rights goes on: the first process of an
// interactive run hands over (an exit code when the copy ran), the copy and
// an unattended run go on without (logged). `state` is then what the dialog
// may offer. An install for the current user alone needs no rights: nothing
// is handed over, nothing offered.
struct RightsCheck {
  std::optional<ExitCode> handedOver;
  ElevationState state = ElevationState::NotNeeded;
};
RightsCheck CheckRights(const SetupOptions& options, CInstallLog* log);

// What the dialog of a run without full rights may offer. The run's lock is
// let go while the copy runs (the copy takes its own) and taken again when
// the dialog stays.
class CElevationOffer : public ElevationOffer {
 public:
  CElevationOffer(ElevationState state, const SetupOptions& options, CInstallLog* log,
                  std::unique_ptr<platform::InstanceLock>* lock)
      : state_(state), options_(options), log_(log), lock_(lock) {}
  ElevationState State() override { return state_; }
  ElevatedRun Elevate(const InstallChoices& choices) override;
  void Answered(RightsWay way) override;

 private:
  ElevationState state_;
  const SetupOptions& options_;
  CInstallLog* log_;
  std::unique_ptr<platform::InstanceLock>* lock_;
};

// Whether the run installs for every user of the machine: /ALLUSERS, or the
// process runs as SYSTEM, as deployment tools start it, whose own hive and
// APPDATA nobody uses AutoCAD with.
bool ServesEveryUser(const SetupOptions& options);

// The box (and log line) of an install for every user that has no
// administrator rights: without them no other user's hive can be reached.
std::string EveryUserNeedsRightsText();

// The user whose part of the installation this run writes, when not the
// process's own: the one /ELEVATED= names, or, for a run elevated under
// another account, the desktop's user.
std::optional<std::string> UserToServe(const SetupOptions& options);

// While alive, the current-user services are the served user's. Where that
// user cannot be served, they reach no user at all: the user part is then
// not written (and counted), never written for the wrong person.
class CServedUser {
 public:
  CServedUser(const std::string& sid, CInstallLog* log);
  ~CServedUser();
  CServedUser(const CServedUser&) = delete;
  CServedUser& operator=(const CServedUser&) = delete;

 private:
  class Withheld;
  platform::Redirection redirection_;
  std::unique_ptr<Withheld> withheld_;
};
