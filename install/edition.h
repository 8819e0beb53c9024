// Which AutoCAD releases an edition of the setup program offers.
#pragma once

#include "deploy/product.h"
#include "hosts/acad_hosts.h"

// The 32-bit edition offers no release from this year on: AutoCAD 2017 and
// later come as 64-bit programs only.
constexpr int kFirstYearHiddenIn32Bit = 2017;

// Whether this edition offers release `year` at all.
bool IsOfferedByEdition(int year, int editionBits);

// The releases ticked when the setup starts: found on this machine (at least
// one install location) and offered by the edition.
ReleaseFlags OfferedReleases(const CAcadHosts& hosts, int editionBits);
