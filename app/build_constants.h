// Values fixed at build time.
#pragma once

#include "build_config.h"
#include "deploy/product.h"

// Build date as yyyymmdd, shown in the dialog caption as Vyyyy.m.d.
constexpr int kBuildDate = ZV_BUILD_DATE;
// Bitness of this edition: 32 or 64. The 32-bit edition hides AutoCAD 2017..2024.
constexpr int kEditionBits = ZV_EDITION_BITS;

// The release's number, the version record's fourth field: 0 but in a release.
constexpr int kRelease = ZV_VERSION_RELEASE;

constexpr BuildInfo kThisBuild{kBuildDate, kEditionBits, kRelease};
