// The setup dialog's template 141: the headless host builds it from here, the
// Windows builds take the same dialog from res/setup.rc, and the native build
// holds the script's rows against this description.
#pragma once

#include <array>

#include "hosts/acad_hosts.h"
#include "platform/window_host.h"
#include "ui/screen_scale.h"

constexpr int kSetupDialogId = 141;
constexpr int kLogoBitmapId = 147;
constexpr int kMenuBitmapId = 151;
// The two pictures at 100 % and their places' size, then drawn again for
// screens at 150 % and 200 % (res/make_art.py draws them all), smallest first.
constexpr int kLogoWidth = 64;
constexpr int kLogoHeight = 64;
constexpr int kMenuWidth = 307;
constexpr int kMenuHeight = 175;
inline constexpr PictureArt kLogoArt[] = {{kLogoBitmapId, 2}, {148, 3}, {149, 4}};
inline constexpr PictureArt kMenuArt[] = {{kMenuBitmapId, 2}, {152, 3}, {153, 4}};
constexpr int kAppIconId = 1;
constexpr int kDocumentIconId = 128;

// Control ids.
constexpr int kIdFinish = 1;  // IDOK
constexpr int kIdCancelButton = 2;  // IDCANCEL
constexpr int kIdInstallPath = 1000;
constexpr int kIdVersionCaption = 1013;
constexpr int kIdProgress = 1014;
constexpr int kIdBrowse = 1015;
constexpr int kIdComponentsHeading = 1016;
constexpr int kIdPathLabel = 1017;
constexpr int kIdMenuPicture = 1021;
constexpr int kIdInstall = 1022;
constexpr int kIdDoneHeading = 1023;

// The version caption's text in the template, which is also the format the
// dialog fills in with the build date and the edition's bitness.
constexpr char kVersionFormat[] = "Zorvel批打印软件 V%d.%d.%d (%d位版本)";

// The release check boxes, one per slot (year - 2007): the table the
// template, the data exchange and the message map are made from. The ids
// follow the years except for 2010 and 2011, whose ids are crossed.
struct ReleaseBox {
  int year;
  int id;
  int x, y;  // dialog units; every box is 74 x 10
  const char* label;
};
inline constexpr ReleaseBox kReleaseBoxes[kReleaseCount] = {
    {2007, 1018, 18, 81, "For AutoCAD2007"},   {2008, 1019, 18, 101, "For AutoCAD2008"},
    {2009, 1020, 18, 121, "For AutoCAD2009"},  {2010, 1027, 18, 141, "For AutoCAD2010"},
    {2011, 1026, 18, 161, "For AutoCAD2011"},  {2012, 1028, 18, 181, "For AutoCAD2012"},
    {2013, 1029, 104, 81, "For AutoCAD2013"},  {2014, 1030, 104, 101, "For AutoCAD2014"},
    {2015, 1031, 104, 121, "For AutoCAD2015"}, {2016, 1032, 104, 141, "For AutoCAD2016"},
    {2017, 1033, 104, 161, "For AutoCAD2017"}, {2018, 1034, 104, 181, "For AutoCAD2018"},
    {2019, 1035, 190, 81, "For AutoCAD2019"},  {2020, 1036, 190, 101, "For AutoCAD2020"},
    {2021, 1037, 190, 121, "For AutoCAD2021"}, {2022, 1038, 190, 141, "For AutoCAD2022"},
    {2023, 1039, 190, 161, "For AutoCAD2023"}, {2024, 1040, 190, 181, "For AutoCAD2024"},
};

constexpr std::array<int, kReleaseCount> ReleaseBoxIds() {
  std::array<int, kReleaseCount> ids{};
  for (int slot = 0; slot < kReleaseCount; ++slot) ids[slot] = kReleaseBoxes[slot].id;
  return ids;
}
// The box ids by slot.
inline constexpr std::array<int, kReleaseCount> kReleaseBoxIds = ReleaseBoxIds();

const platform::DialogTemplate& SetupDialogTemplate();
