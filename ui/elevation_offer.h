// What the setup dialog may offer when its run has no administrator rights:
// to go on as an administrator. The run that opens the dialog knows how (it
// starts an elevated copy of the program with the choices made so far and
// waits for it); the dialog only asks the user and shows the shield.
#pragma once

#include <cstdint>
#include <string>

#include "install/edition.h"

// Why the run has no administrator rights, as far as the dialog cares.
enum class ElevationState {
  NotNeeded,   // the run has them: no shield, no box
  Declined,    // elevation was declined at the prompt: Install carries the shield and asks
  Refused,     // the system's policy refuses elevation: the box says to ask the administrator
  Impossible,  // no elevated copy can be started (an elevated copy itself, UAC off): as Refused
};

// The choices the elevated copy goes on with.
struct InstallChoices {
  std::string folderText;
  ReleaseFlags ticked{};
  bool hostWarned = false;  // the running-AutoCAD warning was already shown
};

enum class ElevatedRunResult {
  Ran,       // the elevated copy ran to its end: the dialog closes, the run ends with its exit code
  Declined,  // declined again: the dialog stays as it is
  Refused,   // refused by policy: the install goes on without rights
};

// The ways the rights box offers, by the ids of its buttons. An
// install for the current user alone needs no rights at all: its loaders,
// fonts and trusted path go into the user's own AutoCAD settings.
enum class RightsWay {
  AsAdministrator = 100,  // the elevated copy installs for the computer
  ForMeOnly,              // this run installs for the current user alone
  WithoutRights,          // this run installs what it can without rights
  Cancelled,              // the box was closed: nothing done
};

struct ElevatedRun {
  ElevatedRunResult result = ElevatedRunResult::Declined;
  std::uint32_t exitCode = 0;  // Ran: the elevated copy's
};

class ElevationOffer {
 public:
  virtual ~ElevationOffer() = default;
  virtual ElevationState State() = 0;
  // Starts the elevated copy with `choices` and waits for it to end.
  virtual ElevatedRun Elevate(const InstallChoices& choices) = 0;
  // The user's answer to the rights box, for the run's log.
  virtual void Answered(RightsWay way) = 0;
};
