// The setup program's switches: an unattended install (/S), the folder and
// releases to install for, a log, the usage text. Parsed from the arguments
// the system split the command line into (GBK), without touching anything, so
// the rules can be checked on their own.
//
// A switch starts with '/' or '-', its name ignores case, and '=' separates
// its value: /S, /DIR=folder, /RELEASES=2010,2020 or all, /LOG=file, /?,
// /HELP.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct SetupOptions {
  bool silent = false;  // no window and no message box, ever
  bool help = false;    // show the usage and do nothing else
  // The folder for the folder box, as given.
  std::optional<std::string> folder;
  // The release years named, ascending and each once; none: every release
  // found.
  std::optional<std::vector<int>> releases;
  std::optional<std::string> logPath;
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
