// The setup dialog's template 141, described once: the Windows builds take
// the same dialog from res/setup.rc (a test under Wine compares the compiled
// resource with this description), the headless host builds it from here.
#pragma once

#include <array>

#include "hosts/acad_hosts.h"
#include "platform/window_host.h"

constexpr int kSetupDialogId = 141;
constexpr int kLogoBitmapId = 147;
constexpr int kMenuBitmapId = 151;
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

// The release check boxes by slot (year - 2007). The ids follow the years
// except for 2010 and 2011, whose ids are crossed.
constexpr std::array<int, kReleaseCount> kReleaseBoxIds = {
    1018, 1019, 1020, 1027, 1026, 1028, 1029, 1030, 1031, 1032, 1033, 1034, 1035, 1036, 1037, 1038, 1039, 1040,
};

// The 32-bit edition offers no release from this year on.
constexpr int kFirstYearHiddenIn32Bit = 2017;

extern const platform::DialogTemplate kSetupDialogTemplate;
