// What a build of the setup program is: its date and its bitness, and which
// AutoCAD releases it offers.
#pragma once

#include <string>

#include "hosts/acad_hosts.h"

struct BuildInfo {
  int date = 0;         // yyyymmdd
  int editionBits = 0;  // 32 or 64
  int release = 0;      // the release's number; 0 in an ordinary build
};

// The program's version as its version resource carries it: year, month and
// day of the build date without zero padding, and the release number
// ("2023.12.18.0").
std::string ProductVersion(const BuildInfo& build);

// The 32-bit edition offers no release from this year on: AutoCAD 2017 and
// later come as 64-bit programs only.
constexpr int kFirstYearHiddenIn32Bit = 2017;

// Whether this edition offers release `year` at all.
bool IsOfferedByEdition(int year, int editionBits);

// The releases ticked when the setup starts: found on this machine (at least
// one install location) and offered by the edition.
ReleaseFlags OfferedReleases(const CAcadHosts& hosts, int editionBits);
