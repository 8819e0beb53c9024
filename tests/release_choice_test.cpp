// Which releases an install is for, and why each other one is skipped; the
// version the edition carries.
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "install/edition.h"
#include "install/release_choice.h"

namespace {

CAcadHosts Found(const std::vector<int>& years) {
  CAcadHosts hosts;
  for (int year : years) {
    const int slot = year - kFirstReleaseYear;
    hosts.locations[slot].push_back("C:\\AutoCAD " + std::to_string(year));
    hosts.productKeys[slot].push_back("SOFTWARE\\Autodesk\\AutoCAD\\R\\P" + std::to_string(year) + "\\");
  }
  return hosts;
}

std::vector<int> Ticked(const ReleaseChoice& choice) {
  std::vector<int> years;
  for (int slot = 0; slot < kReleaseCount; ++slot) {
    if (choice.ticked[slot]) years.push_back(kFirstReleaseYear + slot);
  }
  return years;
}

std::string Skipped(const ReleaseChoice& choice) {
  std::string text;
  for (const SkippedRelease& skipped : choice.skipped) {
    const char* why = skipped.reason == SkipReason::NotOffered     ? "edition"
                      : skipped.reason == SkipReason::NotNamed     ? "unnamed"
                      : skipped.reason == SkipReason::NotInstalled ? "absent"
                                                                   : "unknown";
    text += std::to_string(skipped.year) + ":" + why + " ";
  }
  return text;
}

TEST(ReleaseChoice, FoundOfferedAndNamedAreTicked) {
  struct Row {
    std::vector<int> found;
    int bits;
    std::optional<std::vector<int>> named;
    std::vector<int> ticked;
    std::string skipped;
  };
  const Row rows[] = {
      {{2008, 2010, 2020}, 64, std::nullopt, {2008, 2010, 2020}, ""},
      {{2008, 2010, 2020}, 32, std::nullopt, {2008, 2010}, "2020:edition "},
      {{2008, 2010, 2020}, 64, std::vector<int>{2010}, {2010}, "2008:unnamed 2020:unnamed "},
      {{2010}, 64, std::vector<int>{2010, 2016, 2031, 1999}, {2010}, "1999:unknown 2016:absent 2031:unknown "},
      {{2010, 2018}, 32, std::vector<int>{2018, 2019}, {}, "2010:unnamed 2018:edition 2019:edition "},
      {{}, 64, std::nullopt, {}, ""},
      {{}, 64, std::vector<int>{2024}, {}, "2024:absent "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.found) + " " + std::to_string(row.bits));
    const ReleaseChoice choice = ChooseReleases(Found(row.found), row.bits, row.named);
    EXPECT_EQ(Ticked(choice), row.ticked);
    EXPECT_EQ(Skipped(choice), row.skipped);
  }
}

TEST(ReleaseChoice, EveryReasonReadsDifferently) {
  const std::string texts[] = {
      SkipReasonText(SkipReason::NotOffered, 32), SkipReasonText(SkipReason::NotNamed, 32),
      SkipReasonText(SkipReason::NotInstalled, 32), SkipReasonText(SkipReason::NotSupported, 32)};
  EXPECT_EQ(texts[0], "not offered by the 32-bit edition");
  EXPECT_EQ(texts[3], "named in /RELEASES, but not a release this setup supports (2007-2024)");
  for (std::size_t i = 0; i < std::size(texts); ++i)
    for (std::size_t j = i + 1; j < std::size(texts); ++j) EXPECT_NE(texts[i], texts[j]);
}

}  // namespace

// The version record's text: the date without zero padding, then the release.
TEST(ProductVersion, IsTheDateUnpaddedThenTheReleaseNumber) {
  const struct {
    BuildInfo build;
    const char* text;
  } rows[] = {
      {{20231218, 64}, "2023.12.18.0"},
      {{20240105, 32, 3}, "2024.1.5.3"},
      {{20241231, 64, 65535}, "2024.12.31.65535"},
  };
  for (const auto& row : rows) EXPECT_EQ(ProductVersion(row.build), row.text);
}
