#include "install/release_choice.h"

#include <algorithm>

#include "install/edition.h"
#include "platform/mbcs.h"

namespace {

bool IsNamed(const std::optional<std::vector<int>>& named, int year) {
  return !named || std::find(named->begin(), named->end(), year) != named->end();
}

bool IsKnownYear(int year) { return year >= kFirstReleaseYear && year <= kLastReleaseYear; }

}  // namespace

ReleaseChoice ChooseReleases(const CAcadHosts& hosts, int editionBits, const std::optional<std::vector<int>>& named) {
  ReleaseChoice choice;
  for (int slot = 0; slot < kReleaseCount; ++slot) {
    const int year = kFirstReleaseYear + slot;
    const bool found = !hosts.locations[slot].empty();
    if (!found) continue;
    if (!IsOfferedByEdition(year, editionBits)) {
      choice.skipped.push_back({year, SkipReason::NotOffered});
    } else if (!IsNamed(named, year)) {
      choice.skipped.push_back({year, SkipReason::NotNamed});
    } else {
      choice.ticked[slot] = 1;
    }
  }
  if (named) {
    for (int year : *named) {
      if (!IsKnownYear(year)) {
        choice.skipped.push_back({year, SkipReason::NotSupported});
      } else if (hosts.locations[year - kFirstReleaseYear].empty()) {
        const bool offered = IsOfferedByEdition(year, editionBits);
        choice.skipped.push_back({year, offered ? SkipReason::NotInstalled : SkipReason::NotOffered});
      }
    }
  }
  // A year is skipped for one reason only, so the order is total.
  std::sort(choice.skipped.begin(), choice.skipped.end(),
            [](const SkippedRelease& a, const SkippedRelease& b) { return a.year < b.year; });
  return choice;
}

std::string SkipReasonText(SkipReason reason, int editionBits) {
  switch (reason) {
    case SkipReason::NotOffered:
      return "not offered by the " + mbcs::Decimal(editionBits) + "-bit edition";
    case SkipReason::NotNamed:
      return "installed, but not named in /RELEASES";
    case SkipReason::NotInstalled:
      return "named in /RELEASES, but not installed on this machine";
    case SkipReason::NotSupported:
      break;
  }
  return "named in /RELEASES, but not a release this setup supports (" + mbcs::Decimal(kFirstReleaseYear) + "-" +
         mbcs::Decimal(kLastReleaseYear) + ")";
}
