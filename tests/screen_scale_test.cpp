// The dialog at the screen's scale: which drawing a picture's place takes,
// the box filter that fits it, and pixel sizes of our own.
#include <gtest/gtest.h>

#include "ui/screen_scale.h"
#include "ui/setup_template.h"

namespace {

platform::Image Filled(int width, int height, std::uint32_t pixel) {
  return {width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, pixel)};
}

TEST(ScreenScale, APlaceTakesTheSmallestDrawingAtLeastAsLargeOrTheLargest) {
  struct Row {
    const PictureArt* art;
    int baseWidth, baseHeight, width, height;
    std::size_t chosen;
  };
  const Row rows[] = {
      {kLogoArt, kLogoWidth, kLogoHeight, 64, 64, 0},    // 100 %: the template's own
      {kLogoArt, kLogoWidth, kLogoHeight, 65, 65, 0},    // the pixel that rounding dialog units adds
      {kLogoArt, kLogoWidth, kLogoHeight, 66, 66, 1},    // more: 1.5x scaled down, never 1x scaled up
      {kLogoArt, kLogoWidth, kLogoHeight, 80, 80, 1},    // 125 %
      {kLogoArt, kLogoWidth, kLogoHeight, 96, 96, 1},    // 150 %
      {kLogoArt, kLogoWidth, kLogoHeight, 97, 97, 1},
      {kLogoArt, kLogoWidth, kLogoHeight, 96, 98, 2},    // taller than 1.5x
      {kLogoArt, kLogoWidth, kLogoHeight, 112, 112, 2},  // 175 %
      {kLogoArt, kLogoWidth, kLogoHeight, 150, 150, 2},  // beyond 200 %: the largest
      {kMenuArt, kMenuWidth, kMenuHeight, 308, 176, 0},
      {kMenuArt, kMenuWidth, kMenuHeight, 307, 234, 1},  // a place taller than the picture's shape
      {kMenuArt, kMenuWidth, kMenuHeight, 512, 321, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.width << " x " << row.height);
    EXPECT_EQ(ChooseArt(row.art, 3, row.baseWidth, row.baseHeight, row.width, row.height), row.chosen);
  }
}

TEST(ScreenScale, TheBoxFilterAveragesWhatEachPixelCovers) {
  struct Row {
    const char* what;
    platform::Image source;
    int width, height;
    std::vector<std::uint32_t> expected;
  };
  const Row rows[] = {
      {"the same size stays", {2, 1, {0x102030, 0xA0B0C0}}, 2, 1, {0x102030, 0xA0B0C0}},
      {"two pixels become their mean", {2, 1, {0x000000, 0xFEFEFE}}, 1, 1, {0x7F7F7F}},
      {"a 1-pixel line at 2x keeps half its strength", {4, 1, {0, 0xFF0000, 0, 0}}, 2, 1, {0x800000, 0}},
      {"three into two: a third of the middle each", {3, 1, {0x0000FF, 0x00FF00, 0xFF0000}}, 2, 1,
       {0x0055AA, 0xAA5500}},
      {"rows as columns", {1, 2, {0x000000, 0x0000FE}}, 1, 1, {0x00007F}},
      {"larger: each pixel spreads", {1, 1, {0x123456}}, 2, 2, {0x123456, 0x123456, 0x123456, 0x123456}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const platform::Image scaled = ScaleImage(row.source, row.width, row.height);
    EXPECT_EQ(scaled.width, row.width);
    EXPECT_EQ(scaled.height, row.height);
    EXPECT_EQ(scaled.pixels, row.expected);
  }
  EXPECT_TRUE(ScaleImage(platform::Image{}, 4, 4).pixels.empty()) << "nothing to scale";
  const platform::Image flat = ScaleImage(Filled(128, 128, 0x0A4628), 107, 118);
  EXPECT_EQ(flat.pixels, Filled(107, 118, 0x0A4628).pixels) << "a flat colour stays exactly itself";
}

TEST(ScreenScale, PixelSizesScaleWithTheScreen) {
  const int rows[][3] = {{12, 96, 12}, {12, 120, 15}, {12, 144, 18}, {12, 192, 24}, {27, 144, 41}, {4, 120, 5}};
  for (const auto& row : rows) EXPECT_EQ(ScaleToDpi(row[0], row[1]), row[2]) << row[0] << " at " << row[1];
}

}  // namespace
