// The setup dialog's selection view, its release boxes, the Finish button,
// the version caption and its colours, run on every window host.
#include <array>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "hosts/acad_hosts.h"
#include "tests/dialog_probe.h"
#include "tests/fakes/services.h"
#include "tests/fakes/window_host.h"
#include "ui/setup_dialog.h"
#include "ui/setup_template.h"

namespace {

constexpr int kYears = kReleaseCount;

int Slot(int year) { return year - kFirstReleaseYear; }
int BoxOf(int year) { return kReleaseBoxIds[Slot(year)]; }

class SetupDialogTest : public testing::TestWithParam<std::shared_ptr<DialogRunner>> {
 protected:
  // AutoCAD installed for these release years.
  void Installed(const std::vector<int>& years) {
    for (int year : years) hosts_.locations[Slot(year)].push_back("C:\\Program Files\\AutoCAD " + std::to_string(year));
  }

  // Runs a fresh dialog with `script`; returns DoModal's result.
  std::intptr_t Run(Dlg_Setup& dialog, const std::function<void(DialogProbe&)>& script) {
    return GetParam()->Run([&] { return dialog.DoModal(); }, script);
  }

  void ExpectSelectionView(DialogProbe& probe) {
    for (int id : {kIdVersionCaption, kIdComponentsHeading, kIdPathLabel, kIdInstallPath, kIdBrowse, kIdInstall,
                   kIdCancelButton})
      EXPECT_TRUE(probe.IsVisible(id)) << "control " << id;
    for (int id : {kIdFinish, kIdProgress, kIdMenuPicture, kIdDoneHeading})
      EXPECT_FALSE(probe.IsVisible(id)) << "control " << id;
  }

  // What discovery found, and the build the dialog belongs to.
  CAcadHosts hosts_;
  BuildInfo build_{20231218, 64};
};

struct Scenario {
  const char* name;
  int editionBits;
  std::vector<int> installed;
  // Per release year: offered (visible), usable (enabled), ticked.
  std::vector<int> visibleYears;  // empty: all 18
  bool finishEnabled;
};

TEST_P(SetupDialogTest, OffersExactlyTheReleasesFoundAndHidesLaterOnesIn32BitEdition) {
  const std::vector<int> upTo2016 = {2007, 2008, 2009, 2010, 2011, 2012, 2013, 2014, 2015, 2016};
  const Scenario scenarios[] = {
      {"no AutoCAD, 64-bit", 64, {}, {}, false},
      {"no AutoCAD, 32-bit", 32, {}, upTo2016, false},
      {"32-bit with only 2018", 32, {2018}, upTo2016, false},
      {"64-bit with several", 64, {2007, 2010, 2016, 2024}, {}, true},
      {"32-bit with 2008 and 2020", 32, {2008, 2020}, upTo2016, true},
      {"64-bit with 2011 twice", 64, {2011, 2011}, {}, true},
  };
  for (const Scenario& scenario : scenarios) {
    SCOPED_TRACE(scenario.name);
    for (auto& list : hosts_.locations) list.clear();
    Installed(scenario.installed);
    build_.editionBits = scenario.editionBits;
    Dlg_Setup dialog(hosts_, build_);
    Run(dialog, [&](DialogProbe& probe) {
      for (int year = kFirstReleaseYear; year < kFirstReleaseYear + kYears; ++year) {
        SCOPED_TRACE(year);
        bool found = !hosts_.locations[Slot(year)].empty();
        bool offered = scenario.visibleYears.empty() ||
                       std::find(scenario.visibleYears.begin(), scenario.visibleYears.end(), year) !=
                           scenario.visibleYears.end();
        EXPECT_EQ(probe.IsVisible(BoxOf(year)), offered);
        EXPECT_EQ(probe.IsEnabled(BoxOf(year)), found);
        EXPECT_EQ(probe.Check(BoxOf(year)), found && offered ? 1 : 0);
        EXPECT_EQ(dialog.ticked()[Slot(year)], found && offered ? 1 : 0);
      }
      EXPECT_EQ(probe.IsEnabled(kIdFinish), scenario.finishEnabled);
      EXPECT_TRUE(probe.IsEnabled(kIdInstall));
      ExpectSelectionView(probe);
    });
  }
}

TEST_P(SetupDialogTest, VersionCaptionShowsBuildDateWithoutZeroPaddingAndTheEdition) {
  struct Row {
    int date;
    int bits;
    const char* caption;
  };
  const Row rows[] = {
      {20231218, 32, "Zorvel批打印软件 V2023.12.18 (32位版本)"},
      {20240105, 64, "Zorvel批打印软件 V2024.1.5 (64位版本)"},
      {20201001, 64, "Zorvel批打印软件 V2020.10.1 (64位版本)"},
      {20000101, 32, "Zorvel批打印软件 V2000.1.1 (32位版本)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.caption);
    build_.date = row.date;
    build_.editionBits = row.bits;
    Dlg_Setup dialog(hosts_, build_);
    Run(dialog, [&](DialogProbe& probe) { EXPECT_EQ(probe.Text(kIdVersionCaption), row.caption); });
    EXPECT_EQ(dialog.versionCaption(), row.caption);
  }
}

TEST_P(SetupDialogTest, CrossedBoxesOf2010And2011SetTheirOwnYearsFlags) {
  struct Row {
    int id;
    const char* label;
    int slot;
  };
  const Row rows[] = {{1027, "For AutoCAD2010", 3}, {1026, "For AutoCAD2011", 4}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    Installed({2010, 2011});
    build_.editionBits = 64;
    Dlg_Setup dialog(hosts_, build_);
    Run(dialog, [&](DialogProbe& probe) {
      EXPECT_EQ(probe.Text(row.id), row.label);
      ASSERT_TRUE(probe.Click(row.id));
      EXPECT_EQ(probe.Check(row.id), 0);
      EXPECT_EQ(dialog.ticked()[row.slot], 0);
      EXPECT_EQ(dialog.ticked()[row.slot == 3 ? 4 : 3], 1);
    });
    EXPECT_EQ(&dialog.ReleaseBox(row.slot), &dialog.boxesInTemplateOrder()[kReleaseCount - 1 - row.slot]);
    for (auto& list : hosts_.locations) list.clear();
  }
}

TEST_P(SetupDialogTest, UntickingEveryBoxDisablesFinishAndTickingOneEnablesIt) {
  Installed({2008, 2013, 2022});
  build_.editionBits = 64;
  Dlg_Setup dialog(hosts_, build_);
  Run(dialog, [&](DialogProbe& probe) {
    EXPECT_TRUE(probe.IsEnabled(kIdFinish));
    ASSERT_TRUE(probe.Click(BoxOf(2008)));
    ASSERT_TRUE(probe.Click(BoxOf(2013)));
    EXPECT_TRUE(probe.IsEnabled(kIdFinish)) << "2022 is still ticked";
    ASSERT_TRUE(probe.Click(BoxOf(2022)));
    EXPECT_FALSE(probe.IsEnabled(kIdFinish));
    EXPECT_TRUE(probe.IsEnabled(kIdInstall));
    ASSERT_TRUE(probe.Click(BoxOf(2013)));
    EXPECT_TRUE(probe.IsEnabled(kIdFinish));
    EXPECT_EQ(dialog.ticked()[Slot(2013)], 1);
  });
}

TEST_P(SetupDialogTest, BoxesWithoutAnInstallationCannotBeClicked) {
  Installed({2009});
  build_.editionBits = 32;
  Dlg_Setup dialog(hosts_, build_);
  Run(dialog, [&](DialogProbe& probe) {
    EXPECT_FALSE(probe.Click(BoxOf(2010))) << "disabled";
    EXPECT_FALSE(probe.Click(BoxOf(2017))) << "hidden";
    EXPECT_EQ(probe.Check(BoxOf(2010)), 0);
  });
}

TEST_P(SetupDialogTest, ClickingABoxReadsTheFolderBoxIntoInstallPath) {
  const std::string folders[] = {"D:\\Other", "E:\\安装\\目录", ""};
  for (const std::string& folder : folders) {
    SCOPED_TRACE(folder);
    Installed({2015});
    build_.editionBits = 64;
    Dlg_Setup dialog(hosts_, build_);
    EXPECT_EQ(dialog.folderText(), "C:\\Zorvel");
    Run(dialog, [&](DialogProbe& probe) {
      EXPECT_EQ(probe.Text(kIdInstallPath), "C:\\Zorvel");
      ASSERT_TRUE(probe.Type(kIdInstallPath, folder));
      EXPECT_EQ(dialog.folderText(), "C:\\Zorvel") << "typing alone reads nothing back";
      ASSERT_TRUE(probe.Click(BoxOf(2015)));
      EXPECT_EQ(dialog.folderText(), folder);
    });
    for (auto& list : hosts_.locations) list.clear();
  }
}

TEST_P(SetupDialogTest, LongFolderTextIsReadBackWhole) {
  std::string folder = "C:\\";
  while (folder.size() < 600) folder += "很长的目录名\\";
  Installed({2012});
  Dlg_Setup dialog(hosts_, build_);
  Run(dialog, [&](DialogProbe& probe) {
    ASSERT_TRUE(probe.Type(kIdInstallPath, folder));
    ASSERT_TRUE(probe.Click(BoxOf(2012)));
  });
  EXPECT_EQ(dialog.folderText(), folder);
}

TEST_P(SetupDialogTest, ColourRequestsGetTheLightGreenBrushAndTheCaptionItsFont) {
  struct Row {
    const char* what;
    int id;
    unsigned kind;
    platform::Colour text;
    int bkMode;
    bool captionFont;
  };
  const Row rows[] = {
      {"version caption", kIdVersionCaption, platform::kCtlColorStatic, kCaptionColour, platform::kTransparent, true},
      {"heading", kIdComponentsHeading, platform::kCtlColorStatic, kTextColour, platform::kTransparent, false},
      {"release box", BoxOf(2010), platform::kCtlColorStatic, kTextColour, platform::kTransparent, false},
      {"install button", kIdInstall, platform::kCtlColorButton, kTextColour, platform::kTransparent, false},
      {"folder box", kIdInstallPath, platform::kCtlColorEdit, kTextColour, platform::kOpaque, false},
      {"dialog", 0, platform::kCtlColorDialog, kTextColour, platform::kTransparent, false},
  };
  Dlg_Setup dialog(hosts_, build_);
  Run(dialog, [&](DialogProbe& probe) {
    for (int pass = 0; pass < 2; ++pass) {
      for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ColourSeen seen = probe.Colour(row.id, row.kind);
        ASSERT_TRUE(seen.brushKnown);
        EXPECT_EQ(seen.brushColour, kBackgroundColour);
        EXPECT_EQ(seen.textColour, row.text);
        EXPECT_EQ(seen.bkMode, row.bkMode);
        EXPECT_EQ(seen.fontChanged, row.captionFont);
        if (row.captionFont) {
          EXPECT_EQ(seen.fontHeight, 12);
          EXPECT_EQ(seen.fontWeight, 600);
          EXPECT_EQ(seen.fontCharSet, 0);
          EXPECT_EQ(seen.fontFace, "宋体");
        }
      }
    }
  });
}

TEST_P(SetupDialogTest, SetsItsSmallIconOnly) {
  Dlg_Setup dialog(hosts_, build_);
  Run(dialog, [&](DialogProbe& probe) {
    EXPECT_TRUE(probe.HasIcon(false));
    EXPECT_FALSE(probe.HasIcon(true));
  });
}

TEST_P(SetupDialogTest, CancelCloseBoxAndOkEndTheDialogWithTheirResults) {
  struct Row {
    const char* how;
    std::function<void(DialogProbe&)> end;
    std::intptr_t result;
  };
  const Row rows[] = {
      {"Cancel button", [](DialogProbe& probe) { EXPECT_TRUE(probe.Click(kIdCancelButton)); }, 2},
      {"close box", [](DialogProbe& probe) { probe.Close(); }, 2},
      {"OK command", [](DialogProbe& probe) { probe.Command(kIdFinish, platform::kBnClicked); }, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.how);
    Installed({2019});
    Dlg_Setup dialog(hosts_, build_);
    std::intptr_t result = Run(dialog, [&](DialogProbe& probe) {
      ASSERT_TRUE(probe.Type(kIdInstallPath, "F:\\Read"));
      row.end(probe);
    });
    EXPECT_EQ(result, row.result);
    // Only OK reads the controls back.
    EXPECT_EQ(dialog.folderText(), row.result == 1 ? "F:\\Read" : "C:\\Zorvel");
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
    for (auto& list : hosts_.locations) list.clear();
  }
}

INSTANTIATE_FOR_EVERY_WINDOW_HOST(SetupDialogTest);

// What only the headless host can show: the drawing objects' lifetime and a
// missing icon resource.
class SetupDialogHeadlessTest : public SetupDialogTest {};

TEST_P(SetupDialogHeadlessTest, BrushAndCaptionFontLiveExactlyAsLongAsTheDialogObject) {
  platform::HeadlessWindowHost* host = GetParam()->headlessHost();
  if (!host) GTEST_SKIP() << "GDI objects are counted on the headless host";
  std::size_t brushes = host->LiveBrushes(), fonts = host->LiveFonts();
  {
    Dlg_Setup dialog(hosts_, build_);
    Run(dialog, [&](DialogProbe& probe) {
      for (int i = 0; i < 5; ++i) probe.Colour(kIdVersionCaption, platform::kCtlColorStatic);
      EXPECT_EQ(host->LiveFonts(), fonts + 1) << "one caption font, however many requests";
    });
    EXPECT_EQ(host->LiveBrushes(), brushes + 1);
    // The dialog object gives its objects back to the host that made them.
    platform::SetWindowHost(host);
  }
  platform::SetWindowHost(nullptr);
  EXPECT_EQ(host->LiveBrushes(), brushes);
  EXPECT_EQ(host->LiveFonts(), fonts);
}

TEST_P(SetupDialogHeadlessTest, DefaultColourHandlerRunsFirstForEveryRequest) {
  platform::HeadlessWindowHost* host = GetParam()->headlessHost();
  if (!host) GTEST_SKIP() << "the default handler is observed on the headless host";
  Dlg_Setup dialog(hosts_, build_);
  Run(dialog, [&](DialogProbe&) {
    platform::ColourReply reply = host->RequestColour(dialog.GetSafeHwnd(), kIdInstallPath, platform::kCtlColorEdit);
    EXPECT_EQ(reply.defaultHandlerCalls, 1);
    EXPECT_NE(reply.brush, host->SystemBrush()) << "the default handler's brush is not used";
  });
}

TEST_P(SetupDialogHeadlessTest, WithoutTheIconResourceNoIconIsSent) {
  platform::HeadlessWindowHost* host = GetParam()->headlessHost();
  if (!host) GTEST_SKIP() << "the resources of the real program are fixed";
  host->SetIconResource(kAppIconId, false);
  Dlg_Setup dialog(hosts_, build_);
  Run(dialog, [&](DialogProbe& probe) {
    EXPECT_FALSE(probe.HasIcon(false));
    EXPECT_FALSE(probe.HasIcon(true));
  });
  host->SetIconResource(kAppIconId, true);
}

// The pictures' drawings, each filled with its own resource id as its colour.
void GiveArt(platform::HeadlessWindowHost& host) {
  for (const auto& [art, width, height] : {std::tuple(kLogoArt, kLogoWidth, kLogoHeight),
                                           std::tuple(kMenuArt, kMenuWidth, kMenuHeight)}) {
    for (int i = 0; i < 3; ++i) {
      const int w = width * art[i].scaleHalves / 2, h = height * art[i].scaleHalves / 2;
      const auto colour = static_cast<std::uint32_t>(art[i].resourceId);
      host.SetBitmapResource(art[i].resourceId, {w, h, std::vector<std::uint32_t>(std::size_t(w) * h, colour)});
    }
  }
}

// The picture control of `resourceId` in the template shows `drawing` (0: the
// template's own), at its place and of its size (give or take the rounding).
void ExpectPicture(platform::HeadlessWindowHost& host, platform::WindowHandle dialog, int resourceId,
                   std::uint32_t drawing) {
  const platform::DialogTemplate& dialogTemplate = SetupDialogTemplate();
  std::size_t index = 0;
  while (dialogTemplate.controls[index].imageId != resourceId) ++index;
  const platform::ControlTemplate& item = dialogTemplate.controls[index];
  const platform::Rect place = host.MapDialogRect(dialog, {item.x, item.y, item.x + item.cx, item.y + item.cy});
  const platform::HeadlessWindow* control = host.Window(host.ChildAt(dialog, index));
  const platform::Image* image = host.BitmapOf(control->picture);
  EXPECT_EQ(image ? image->pixels.front() : 0, drawing) << "picture " << resourceId;
  const platform::Rect& rect = control->rect;
  EXPECT_TRUE(rect.left == place.left && rect.top == place.top && rect.right <= place.right &&
              rect.right + kRoundingSlack >= place.right && rect.bottom <= place.bottom &&
              rect.bottom + kRoundingSlack >= place.bottom)
      << "picture " << resourceId << " at " << rect.left << "," << rect.top << " to " << rect.right << ","
      << rect.bottom << ", its place to " << place.right << "," << place.bottom;
}

TEST_P(SetupDialogHeadlessTest, TheLogoFillsItsPlaceAndTheCaptionFontScalesAtEveryScreensScale) {
  platform::HeadlessWindowHost* host = GetParam()->headlessHost();
  if (!host) GTEST_SKIP() << "the screen's scale is set on the headless host";
  GiveArt(*host);
  const struct {
    int dpi;
    std::uint32_t drawing;
    int fontHeight;
  } rows[] = {{96, 0, 12}, {120, 148, 15}, {144, 148, 18}, {168, 149, 21}, {192, 149, 24}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.dpi);
    host->SetDpi(row.dpi);
    Dlg_Setup dialog(hosts_, build_);
    Run(dialog, [&](DialogProbe& probe) {
      ExpectPicture(*host, dialog.GetSafeHwnd(), kLogoBitmapId, row.drawing);
      EXPECT_EQ(probe.Colour(kIdVersionCaption, platform::kCtlColorStatic).fontHeight, row.fontHeight);
    });
  }
  host->SetDpi(platform::kStandardDpi);
}

TEST_P(SetupDialogHeadlessTest, MovedToAnotherScaleThePicturesAndTheCaptionFontFollow) {
  platform::HeadlessWindowHost* host = GetParam()->headlessHost();
  if (!host) GTEST_SKIP() << "the screen's scale is set on the headless host";
  GiveArt(*host);
  const std::size_t bitmaps = host->LiveBitmaps(), fonts = host->LiveFonts();
  {
    Dlg_Setup dialog(hosts_, build_);
    Run(dialog, [&](DialogProbe& probe) {
      const platform::WindowHandle window = dialog.GetSafeHwnd();
      const struct {
        int dpi;
        std::uint32_t logo, menu;
        int fontHeight;
      } moves[] = {{192, 149, 153, 24}, {120, 148, 152, 15}, {96, kLogoBitmapId, kMenuBitmapId, 12}};
      for (const auto& move : moves) {
        SCOPED_TRACE(move.dpi);
        host->ChangeDpi(window, move.dpi);
        ExpectPicture(*host, window, kLogoBitmapId, move.logo);
        ExpectPicture(*host, window, kMenuBitmapId, move.menu);
        EXPECT_EQ(probe.Colour(kIdVersionCaption, platform::kCtlColorStatic).fontHeight, move.fontHeight);
        EXPECT_EQ(host->LiveBitmaps(), bitmaps + 2) << "the drawings shown before are deleted";
        EXPECT_EQ(host->LiveFonts(), fonts + 1) << "one caption font at a time";
      }
    });
    platform::SetWindowHost(host);
  }
  platform::SetWindowHost(nullptr);
  host->SetDpi(platform::kStandardDpi);
  EXPECT_EQ(host->LiveBitmaps(), bitmaps);
}

INSTANTIATE_FOR_EVERY_WINDOW_HOST(SetupDialogHeadlessTest);

}  // namespace
