// The add-on's payload: what the Data folder beside SetUp.exe holds and where
// each piece goes. The deployment copies everything into the install folder
// except the entries the support-file placement takes into AutoCAD's own
// folders, so both read this one table.
#pragma once

#include <string_view>

// The setup program itself, which a distribution may also carry in Data.
constexpr char kSetupProgramName[] = "SetUp.EXE";

// Files that go into every chosen AutoCAD installation instead of the install
// folder: the shape fonts, and AutoCAD 2008's plot driver.
struct SupportFile {
  const char* source;       // name in the Data folder
  const char* folder;       // below the AutoCAD location
  const char* installedAs;  // name there
  bool plotDriver;          // for AutoCAD 2008 only
};
// AutoCAD's folder of shape fonts, and the install folder's for an
// installation for its user alone.
inline constexpr char kFontsFolder[] = "Fonts";
inline constexpr SupportFile kSupportFiles[] = {
    {"Zorvel_EN.shx", kFontsFolder, "Zorvel_EN.shx", false},
    {"Zorvel_HZ.shx", kFontsFolder, "Zorvel_HZ.shx", false},
    {"Zorvel.prt5", "Drv", "pdfplot9.hdi", true},
};

// Payload files shipped under neutral names, copied under their library names.
struct Rename {
  const char* entry;
  const char* installedAs;
};
inline constexpr Rename kRenames[] = {
    {"Zorvel.prt7", "itextsharp.dll"},
    {"Zorvel.prt8", "PdfSharp.Charting.dll"},
    {"Zorvel.prt9", "PdfSharp.dll"},
};

// The add-on's settings file goes to APPDATA\Zorvel, not the install folder.
constexpr char kSettingsFile[] = "Zorvel.Ini";
constexpr char kSettingsFolder[] = "Zorvel";
// An installation for every user keeps the settings file in the install
// folder under this name instead; each user's part copies it from there.
constexpr char kSettingsForUsers[] = "Zorvel.Users.Ini";

// Whether the deployment leaves a Data entry where it is: the setup program
// and the support files. Names compare without regard to case.
bool IsSkippedEntry(std::string_view name);

// The name a Data entry is installed under in the install folder.
std::string_view InstalledName(std::string_view entry);
