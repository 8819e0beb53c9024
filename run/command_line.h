// The setup program's switches: an unattended install (/S), the folder and
// releases to install for, a log, the uninstall, the usage text. Parsed from the arguments
// the system split the command line into (GBK), without touching anything, so
// the rules can be checked on their own.
//
// A switch starts with '/' or '-', its name ignores case, and '=' separates
// its value: /S, /DIR=folder, /RELEASES=2010,2020 or all, /LOG=file,
// /ALLUSERS, /CURRENTUSER, /UNINSTALL, /?, /HELP. /USERPART is the logon step's (the
// uninstaller's user part for the user logging on): documented with the
// deployment, not in the usage box. Two more are the uninstaller's own, for the copy of
// itself it runs the removal from, and are not in the usage: /REMOVE=folder
// (the install folder itself, whose uninstaller is left for the finish) and
// /FINISH=id (wait for that process to end, then remove the uninstaller).
// Three are the hand-over's, for the copy a run without administrator rights
// starts elevated, and are not in the usage either: /ELEVATED=SID (this is
// that copy; it installs or uninstalls for the user of that SID),
// /CONTINUE (Install was already clicked: the dialog installs at once) and
// /HOSTWARNED (the running-AutoCAD warning was already shown).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What a run does: the user's kinds of run, and the steps of the
// uninstaller's copy (/REMOVE=, /FINISH=), which only the uninstaller asks
// for.
enum class RunMode {
  Install,    // the dialog, or with /S the install with no window
  Uninstall,  // /UNINSTALL
  Remove,     // /REMOVE=folder: the copy takes that install folder back, leaving the uninstaller
  Finish,     // /REMOVE=folder /FINISH=id: once that process has ended, the uninstaller and the record go
  Usage,      // /? or /HELP: the usage and nothing else
  UserPart,   // /USERPART: the logon step serves the user logging on, silently
};

struct SetupOptions {
  RunMode mode = RunMode::Install;
  bool silent = false;  // no window and no message box, ever (always with /USERPART)
  // /ALLUSERS: the user part goes to every user of the machine.
  bool everyUser = false;
  // /CURRENTUSER: for the user who runs it alone, with no administrator
  // rights needed.
  bool currentUser = false;
  // The folder for the folder box, as given.
  std::optional<std::string> folder;
  // The release years named, ascending and each once; none: every release
  // found.
  std::optional<std::vector<int>> releases;
  std::optional<std::string> logPath;
  // Remove and Finish: the install folder itself, as given.
  std::optional<std::string> removeFolder;
  // Finish: the process to wait for.
  std::optional<std::uint32_t> finishAfter;
  // The elevated copy: the SID of the user the first process ran as.
  std::optional<std::string> servedUser;
  bool continueInstall = false;  // /CONTINUE
  bool hostWarned = false;       // /HOSTWARNED
};

struct ParsedArguments {
  SetupOptions options;
  // What was not understood, one Chinese line per argument; empty when
  // everything was.
  std::vector<std::string> errors;
};

ParsedArguments ParseArguments(const std::vector<std::string>& arguments);

// The usage text of the help box (Chinese): every switch and every exit code.
std::string UsageText();

// Where an unattended install writes its log when not told: this file in the
// user's temporary folder.
constexpr char kDefaultLogName[] = "ZorvelSetup.log";
