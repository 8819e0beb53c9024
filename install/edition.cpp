#include "install/edition.h"

bool IsOfferedByEdition(int year, int editionBits) { return editionBits != 32 || year < kFirstYearHiddenIn32Bit; }

ReleaseFlags OfferedReleases(const CAcadHosts& hosts, int editionBits) {
  ReleaseFlags offered{};
  for (int slot = 0; slot < kReleaseCount; ++slot) {
    offered[slot] = !hosts.locations[slot].empty() && IsOfferedByEdition(kFirstReleaseYear + slot, editionBits);
  }
  return offered;
}
