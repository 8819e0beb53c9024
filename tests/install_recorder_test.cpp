// From the events of an install to its record: only what was written, as it
// was before the install.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "deploy/file_utils.h"
#include "record/install_recorder.h"
#include "tests/fakes/files.h"
#include "tests/fakes/services.h"

namespace {

using platform::Hive;
using Before = TrustedPathChange::Before;

const char kFolder[] = "C:\\Zorvel\\Zorvel批打印软件";
const char kProduct[] = "SOFTWARE\\Autodesk\\AutoCAD\\R17.1\\ACAD-6001:804\\";
const char kWowProduct[] = "SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD\\R17.1\\ACAD-6001:804\\";
const char kApplication[] = "Applications\\ZV_BatchPlot2008";
const char kVariables[] = "SOFTWARE\\Autodesk\\AutoCAD\\R17.1\\ACAD-6001:804\\Profiles\\P\\Variables";

FileEvent File(FileKind kind, const std::string& destination, bool ok = true, const std::string& source = "") {
  FileEvent event;
  event.kind = kind;
  event.source = source;
  event.destination = destination;
  event.status = ok ? platform::Status() : platform::Status(platform::kErrorAccessDenied);
  return event;
}

ValueEvent Value(Hive hive, const std::string& key, const std::string& name, int createdLevels,
                 std::optional<std::string> previous = std::nullopt, std::uint32_t previousType = 0, bool ok = true) {
  ValueEvent event;
  event.hive = hive;
  event.key = key;
  event.name = name;
  event.createdLevels = createdLevels;
  event.previous = std::move(previous);
  event.previousType = previousType;
  event.status = ok ? platform::Status() : platform::Status(platform::kErrorAccessDenied);
  return event;
}

TEST(InstallRecorder, NamesTheFilesWrittenIntoTheInstallFolderOnly) {
  InstallRecorder recorder(kFolder, 64);
  const std::string in = std::string(kFolder) + "\\";
  recorder.OnFile(File(FileKind::Payload, in + "a.dll"));
  recorder.OnFile(File(FileKind::Payload, in + "failed.dll", false));
  recorder.OnFile(File(FileKind::Payload, "C:\\Elsewhere\\b.dll"));
  recorder.OnFile(File(FileKind::Payload, in + "A.DLL"));
  recorder.OnFile(File(FileKind::Uninstaller, in + "Uninstall.exe"));
  recorder.OnFile(File(FileKind::Settings, "C:\\Users\\u\\AppData\\Roaming\\Zorvel\\Zorvel.Ini"));
  recorder.OnFile(File(FileKind::Record, in + "Uninstall.ini"));
  const InstallRecord record = recorder.Record();
  EXPECT_EQ(record.files, (std::vector<std::string>{"a.dll", "Uninstall.exe"}));
  EXPECT_EQ(record.settings, "C:\\Users\\u\\AppData\\Roaming\\Zorvel\\Zorvel.Ini");
}

TEST(InstallRecorder, SupportFilesAndBackups) {
  platform::MemoryFiles files;
  platform::SetFiles(&files);
  const std::string driver = "C:\\AutoCAD 2008\\Drv\\pdfplot9.hdi", font = "C:\\AutoCAD 2008\\Fonts\\Zorvel_EN.shx";
  files.AddFile(driver, "ours");
  InstallRecorder recorder(kFolder, 64);
  FileEvent placed = File(FileKind::SupportFile, driver);
  placed.replaced = true;
  recorder.OnFile(File(FileKind::Backup, std::string(kFolder) + "\\Backup\\pdfplot9.hdi", true, driver));
  recorder.OnFile(placed);
  placed.replaced = false;  // the same location listed twice: now it found ours
  recorder.OnFile(placed);
  recorder.OnFile(File(FileKind::SupportFile, font));
  // A backup of a driver ours then did not replace names nothing.
  recorder.OnFile(File(FileKind::Backup, std::string(kFolder) + "\\Backup\\pdfplot9.2", true, "C:\\B\\Drv\\pdfplot9.hdi"));
  recorder.OnFile(File(FileKind::SupportFile, "C:\\B\\Drv\\pdfplot9.hdi", false));
  const InstallRecord record = recorder.Record();
  ASSERT_EQ(record.drivers.size(), 1u);
  EXPECT_TRUE(record.drivers[0].replaced);
  EXPECT_EQ(record.drivers[0].fingerprint, FingerprintOf(driver));
  EXPECT_EQ(record.drivers[0].fingerprint.substr(0, 2), "4:") << "its size first";
  ASSERT_EQ(record.fonts.size(), 1u);
  EXPECT_EQ(record.fonts[0].path, font);
  ASSERT_EQ(record.backups.size(), 1u);
  EXPECT_EQ(record.backups[0].name, "pdfplot9.hdi");
  EXPECT_EQ(record.backups[0].original, driver);
  platform::SetFiles(nullptr);
}

TEST(InstallRecorder, LoaderKeysKeepWhatTheFirstWriteFound) {
  struct Case {
    const char* label;
    int bits;
    std::vector<ValueEvent> events;
    int view, createdLevels;
    std::optional<std::string> loadCtrls, loader;
  };
  const std::string key = std::string(kProduct) + kApplication, wowKey = std::string(kWowProduct) + kApplication;
  const std::string ours = std::string(kFolder) + "\\ZV_BatchPlot2008.ARX";
  const Case cases[] = {
      {"a new key", 64,
       {Value(Hive::LocalMachine, key, "LOADCTRLS", 2), Value(Hive::LocalMachine, key, "LOADER", 2)}, 64, 2,
       std::nullopt, std::nullopt},
      {"another version's key", 64,
       {Value(Hive::LocalMachine, key, "LOADCTRLS", 0, "14", platform::kRegDword),
        Value(Hive::LocalMachine, key, "LOADER", 0, "D:\\Old\\x.arx", platform::kRegSz)},
       64, 0, std::string("\x0e\0\0\0", 4), "D:\\Old\\x.arx"},
      {"one key by two paths (the 32-bit edition)", 32,
       {Value(Hive::LocalMachine, wowKey, "LOADCTRLS", 1), Value(Hive::LocalMachine, wowKey, "LOADER", 1),
        Value(Hive::LocalMachine, key, "LOADCTRLS", 0, "2", platform::kRegDword),
        Value(Hive::LocalMachine, key, "LOADER", 0, ours, platform::kRegSz)},
       32, 1, std::nullopt, std::nullopt},
      {"a key an earlier install made", 64,
       {Value(Hive::LocalMachine, key, "LOADCTRLS", 0, "2", platform::kRegDword),
        Value(Hive::LocalMachine, key, "LOADER", 0, ours, platform::kRegSz)},
       64, 1, std::nullopt, std::nullopt},
      {"the 32-bit view from the 64-bit edition", 64,
       {Value(Hive::LocalMachine, wowKey, "LOADCTRLS", 2), Value(Hive::LocalMachine, wowKey, "LOADER", 2)}, 32, 2,
       std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    InstallRecorder recorder(kFolder, c.bits);
    for (const ValueEvent& event : c.events) recorder.OnValue(event);
    recorder.OnValue(Value(Hive::LocalMachine, std::string(kProduct) + "Applications\\ZV_BatchPlot2010", "LOADER", 2,
                           std::nullopt, 0, false));
    const InstallRecord record = recorder.Record();
    ASSERT_EQ(record.loaders.size(), 1u);
    EXPECT_EQ(record.loaders[0].key.view, c.view);
    EXPECT_EQ(record.loaders[0].key.path, key);
    EXPECT_EQ(record.loaders[0].createdLevels, c.createdLevels);
    EXPECT_EQ(record.loaders[0].loadCtrls ? std::optional<std::string>(record.loaders[0].loadCtrls->bytes) : std::nullopt,
              c.loadCtrls);
    EXPECT_EQ(record.loaders[0].loader ? std::optional<std::string>(record.loaders[0].loader->bytes) : std::nullopt,
              c.loader);
  }
}

TEST(InstallRecorder, ProfilesAreNamedOnlyWhenTheirListGainedTheFolder) {
  struct Case {
    std::optional<std::string> previous;
    int createdLevels;
    bool named;
    Before before;
    std::string replaced;
  };
  const Case cases[] = {
      {std::nullopt, 1, true, Before::Missing, ""},
      {std::nullopt, 0, true, Before::Missing, ""},
      {std::string(";"), 0, true, Before::Replaced, ";"},
      {std::string(""), 0, true, Before::Replaced, ""},
      {std::string("d:\\lisp"), 0, true, Before::Listed, ""},
      {std::string("d:\\lisp;C:\\ZORVEL\\ZORVEL批打印软件"), 0, false, Before::Missing, ""},
  };
  for (const Case& c : cases) {
    InstallRecorder recorder(kFolder, 64);
    recorder.OnValue(Value(Hive::CurrentUser, kVariables, "TRUSTEDPATHS", c.createdLevels, c.previous, platform::kRegSz));
    recorder.OnValue(Value(Hive::CurrentUser, kVariables + std::string("2"), "TRUSTEDPATHS", 0, std::nullopt, 0, false));
    const InstallRecord record = recorder.Record();
    ASSERT_EQ(record.trustedPaths.size(), c.named ? 1u : 0u) << c.previous.value_or("(none)");
    if (!c.named) continue;
    EXPECT_EQ(record.trustedPaths[0].key, kVariables);
    EXPECT_EQ(record.trustedPaths[0].createdLevels, c.createdLevels);
    EXPECT_EQ(record.trustedPaths[0].before, c.before);
    EXPECT_EQ(record.trustedPaths[0].replaced, c.replaced);
  }
}

}  // namespace
