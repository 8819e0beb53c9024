// Which AutoCAD releases an install is for: every release found that the
// edition offers, or of those only the years the command line names. Every
// release left out is listed with the reason, for the log: the same command
// line serves workstations with different AutoCAD releases.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "hosts/acad_hosts.h"

enum class SkipReason {
  NotOffered,    // found (or named), but this edition offers it not
  NotNamed,      // found, but not among the years named
  NotInstalled,  // named, but not installed on this machine
  NotSupported,  // named, but no release this setup program knows
};

struct SkippedRelease {
  int year;
  SkipReason reason;
};

struct ReleaseChoice {
  ReleaseFlags ticked{};
  std::vector<SkippedRelease> skipped;  // ascending by year
};

// `named`: the years to install for; none means every release found.
ReleaseChoice ChooseReleases(const CAcadHosts& hosts, int editionBits, const std::optional<std::vector<int>>& named);

// Why a release was skipped, as the log says it.
std::string SkipReasonText(SkipReason reason, int editionBits);
