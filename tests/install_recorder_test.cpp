// From what an install wrote to its record: only what was written, as it was
// before the install.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "deploy/file_utils.h"
#include "record/install_recorder.h"
#include "tests/fakes/files.h"
#include "tests/fakes/services.h"

namespace {

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

// A loader key written (or, not `ok`, refused) that held `loadCtrls` and
// `loader` before.
LoaderWrite Loader(const std::string& keyPath, int createdLevels, std::optional<platform::StoredValue> loadCtrls = {},
                   std::optional<platform::StoredValue> loader = {}, bool ok = true) {
  LoaderWrite write;
  write.keyPath = keyPath;
  write.before.createdLevels = createdLevels;
  write.before.loadCtrls = std::move(loadCtrls);
  write.before.loader = std::move(loader);
  const platform::Status status = ok ? platform::Status() : platform::Status(platform::kErrorAccessDenied);
  write.loadCtrlsStatus = status;
  write.loaderStatus = status;
  return write;
}

SupportFileWrite Support(const std::string& destination, bool plotDriver, bool ok = true) {
  SupportFileWrite write;
  write.plotDriver = plotDriver;
  write.file = File(FileKind::SupportFile, destination, ok);
  return write;
}

TEST(InstallRecorder, NamesTheFilesWrittenIntoTheInstallFolderOnly) {
  InstallRecorder recorder(kFolder, 64);
  const std::string in = std::string(kFolder) + "\\";
  recorder.OnFile(File(FileKind::Payload, in + "a.dll"));
  recorder.OnFile(File(FileKind::Payload, in + "failed.dll", false));
  recorder.OnFile(File(FileKind::Payload, "C:\\Elsewhere\\b.dll"));
  recorder.OnFile(File(FileKind::Payload, in + "A.DLL"));
  recorder.OnFile(File(FileKind::Settings, "C:\\Users\\u\\AppData\\Roaming\\Zorvel\\Zorvel.Ini"));
  recorder.OnFile(File(FileKind::Record, in + "Uninstall.ini"));
  const InstallRecord record = recorder.Record();
  EXPECT_EQ(record.files, (std::vector<std::string>{"a.dll"}));
  EXPECT_EQ(record.settings, "C:\\Users\\u\\AppData\\Roaming\\Zorvel\\Zorvel.Ini");
}

TEST(InstallRecorder, SupportFilesAndBackups) {
  platform::MemoryFiles files;
  platform::SetFiles(&files);
  const std::string driver = "C:\\AutoCAD 2008\\Drv\\pdfplot9.hdi", font = "C:\\AutoCAD 2008\\Fonts\\Zorvel_EN.shx";
  files.AddFile(driver, "ours");
  InstallRecorder recorder(kFolder, 64);
  SupportFileWrite placed = Support(driver, true);
  placed.file.replaced = true;
  placed.backup = File(FileKind::Backup, std::string(kFolder) + "\\Backup\\pdfplot9.hdi", true, driver);
  recorder.Add(placed);
  placed.file.replaced = false;  // the same location listed twice: now it found ours
  placed.backup.reset();
  recorder.Add(placed);
  recorder.Add(Support(font, false));
  // A backup of a driver ours then did not replace names nothing.
  SupportFileWrite failed = Support("C:\\B\\Drv\\pdfplot9.hdi", true, false);
  failed.backup =
      File(FileKind::Backup, std::string(kFolder) + "\\Backup\\pdfplot9.2", true, "C:\\B\\Drv\\pdfplot9.hdi");
  recorder.Add(failed);
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
    std::vector<LoaderWrite> writes;
    int view, createdLevels;
    std::optional<std::string> loadCtrls, loader;
  };
  const std::string key = std::string(kProduct) + kApplication, wowKey = std::string(kWowProduct) + kApplication;
  const std::string ours = std::string(kFolder) + "\\ZV_BatchPlot2008.ARX";
  const platform::StoredValue two{platform::kRegDword, std::string("\x02\0\0\0", 4)};
  const platform::StoredValue oursStored{platform::kRegSz, ours};
  const Case cases[] = {
      {"a new key", 64, {Loader(key, 2)}, 64, 2, std::nullopt, std::nullopt},
      {"another version's key", 64,
       {Loader(key, 0, platform::StoredValue{platform::kRegDword, std::string("\x0e\0\0\0", 4)},
               platform::StoredValue{platform::kRegSz, "D:\\Old\\x.arx"})},
       64, 0, std::string("\x0e\0\0\0", 4), "D:\\Old\\x.arx"},
      {"one key by two paths (the 32-bit edition)", 32, {Loader(wowKey, 1), Loader(key, 0, two, oursStored)}, 32, 1,
       std::nullopt, std::nullopt},
      {"a key an earlier install made", 64, {Loader(key, 0, two, oursStored)}, 64, 1, std::nullopt, std::nullopt},
      {"the 32-bit view from the 64-bit edition", 64, {Loader(wowKey, 2)}, 32, 2, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    InstallRecorder recorder(kFolder, c.bits);
    for (const LoaderWrite& write : c.writes) recorder.Add(write);
    recorder.Add(Loader(std::string(kProduct) + "Applications\\ZV_BatchPlot2010", 2, {}, {}, false));
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
    bool gained, written, named;
  };
  const Case cases[] = {{true, true, true}, {false, true, false}, {true, false, false}};
  for (const Case& c : cases) {
    InstallRecorder recorder(kFolder, 64);
    TrustedPathWrite write;
    write.change = {kVariables, 1, Before::Replaced, ";", {}};
    write.gained = c.gained;
    write.status = c.written ? platform::Status() : platform::Status(platform::kErrorAccessDenied);
    recorder.Add(write);
    recorder.AddSupportPath(write);  // the same rule, in a list of its own
    const InstallRecord& record = recorder.Record();
    ASSERT_EQ(record.trustedPaths.size(), c.named ? 1u : 0u);
    ASSERT_EQ(record.supportPaths.size(), c.named ? 1u : 0u);
    if (!c.named) continue;
    EXPECT_EQ(record.trustedPaths[0].key, kVariables);
    EXPECT_EQ(record.trustedPaths[0].createdLevels, 1);
    EXPECT_EQ(record.trustedPaths[0].before, Before::Replaced);
    EXPECT_EQ(record.trustedPaths[0].replaced, ";");
  }
}

}  // namespace
