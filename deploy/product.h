// The names the add-on and its setup program go by, and what a build of the
// setup program is.
#pragma once

#include <string>

// The add-on, as the dialog and the completion view name it.
constexpr char kProductName[] = "Zorvel批打印软件";

// The sub-folder of the chosen folder that holds the add-on: the install
// folder is the chosen folder, a backslash and this name.
constexpr char kProductFolder[] = "Zorvel批打印软件";

// The caption of every message box of the setup program's own.
constexpr char kMessageCaption[] = "Zorvel软件安装";

// The folder the folder box starts with, and an unattended install uses when
// not told another.
constexpr char kDefaultFolder[] = "C:\\Zorvel";

// The lock every setup program of the add-on holds while it runs, across the
// users of the machine, so that two never install at once.
constexpr char kInstanceLockName[] = "Global\\ZorvelBatchPlotSetup";

struct BuildInfo {
  int date = 0;         // yyyymmdd
  int editionBits = 0;  // 32 or 64
  int release = 0;      // the release's number; 0 in an ordinary build
};

// The program's version as its version resource carries it: year, month and
// day of the build date without zero padding, and the release number
// ("2023.12.18.0").
std::string ProductVersion(const BuildInfo& build);
