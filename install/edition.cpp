#include "install/edition.h"
#include "platform/mbcs.h"

bool IsOfferedByEdition(int year, int editionBits) { return editionBits != 32 || year < kFirstYearHiddenIn32Bit; }

ReleaseFlags OfferedReleases(const CAcadHosts& hosts, int editionBits) {
  ReleaseFlags offered{};
  for (int slot = 0; slot < kReleaseCount; ++slot) {
    offered[slot] = !hosts.locations[slot].empty() && IsOfferedByEdition(kFirstReleaseYear + slot, editionBits);
  }
  return offered;
}

std::string ProductVersion(const BuildInfo& build) {
  return mbcs::Decimal(build.date / 10000) + "." + mbcs::Decimal(build.date % 10000 / 100) + "." +
         mbcs::Decimal(build.date % 100) + "." + mbcs::Decimal(build.release);
}
