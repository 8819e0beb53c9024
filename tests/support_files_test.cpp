// Shape fonts and the 2008 plot driver copied into AutoCAD's own folders.
#include <functional>
#include <optional>

#include "hosts/acad_hosts.h"
#include "tests/deploy_world.h"
#include "tests/fakes/faulty_append_files.h"
#include "tests/fakes/faulty_files.h"
#include "tests/fakes/files.h"
#include "tests/recorded_events.h"

namespace {

constexpr int k2008 = 2008 - kFirstReleaseYear;
constexpr int k2010 = 2010 - kFirstReleaseYear;

class SupportFiles : public DeployWorldTest {
 protected:
  void SetUp() override {
    DeployWorldTest::SetUp();
    AddData("Zorvel_EN.shx");
    AddData("Zorvel_HZ.shx");
    AddData("Zorvel.prt5");
    world().MakeFolder(Install());
    hosts_.installDir = Install();
  }

  // An AutoCAD folder with its Fonts and Drv folders.
  std::string Acad(const std::string& name) {
    std::string location = At(name);
    world().MakeFolder(location + "\\Fonts");
    world().MakeFolder(location + "\\Drv");
    return location;
  }

  ReleaseFlags Ticked(std::initializer_list<int> slots) {
    ReleaseFlags flags{};
    for (int slot : slots) flags[slot] = 1;
    return flags;
  }

  bool HasFonts(const std::string& location) {
    return world().Read(location + "\\Fonts\\Zorvel_EN.shx") == "Zorvel_EN.shx" &&
           world().Read(location + "\\Fonts\\Zorvel_HZ.shx") == "Zorvel_HZ.shx";
  }
  bool HasDriver(const std::string& location) {
    return world().Read(location + "\\Drv\\pdfplot9.hdi") == "Zorvel.prt5";
  }

  // Keeps the files a placement reports in the order they were copied (a
  // backup before its driver); returns how many were not placed.
  int Placed(const std::vector<SupportFileWrite>& writes) {
    for (const SupportFileWrite& write : writes) {
      if (write.backup) events_.files.push_back(*write.backup);
      events_.files.push_back(write.file);
    }
    return FailuresOf(writes);
  }

  CAcadHosts hosts_;
  RecordedEvents events_;
};

TEST_P(SupportFiles, Release2008GetsFontsAndDriverInEveryLocation) {
  std::string first = Acad("ACAD2008"), second = Acad("ACAD2008 LT");
  hosts_.locations[k2008] = {first, second};
  EXPECT_EQ(Placed(hosts_.PlaceSupportFiles(Ticked({k2008}))), 0);
  for (const std::string& location : {first, second}) {
    EXPECT_TRUE(HasFonts(location)) << location;
    EXPECT_TRUE(HasDriver(location)) << location;
    EXPECT_EQ(world().List(location + "\\Drv"), (std::vector<std::string>{"pdfplot9.hdi"}));
  }
}

TEST_P(SupportFiles, OtherReleasesGetFontsOnly) {
  std::string location = Acad("ACAD2010");
  hosts_.locations[k2010] = {location};
  EXPECT_EQ(Placed(hosts_.PlaceSupportFiles(Ticked({k2010}))), 0);
  EXPECT_TRUE(HasFonts(location));
  EXPECT_TRUE(world().List(location + "\\Drv").empty());
}

TEST_P(SupportFiles, OnlyTickedReleasesWithLocationsAreServed) {
  std::string location2008 = Acad("ACAD2008"), location2010 = Acad("ACAD2010");
  hosts_.locations[k2008] = {location2008};
  hosts_.locations[k2010] = {location2010};
  EXPECT_EQ(Placed(hosts_.PlaceSupportFiles(Ticked({k2010, 2012 - kFirstReleaseYear}))), 0);  // 2012: no locations
  EXPECT_TRUE(HasFonts(location2010));
  EXPECT_TRUE(world().List(location2008 + "\\Fonts").empty());
  EXPECT_EQ(Placed(hosts_.PlaceSupportFiles(Ticked({}))), 0);
}

TEST_P(SupportFiles, MissingFoldersGetNothingAndEachFailedCopyIsCounted) {
  struct Case {
    const char* label;
    bool fonts;
    bool drv;
    int slot;
    int failed;
  };
  const Case cases[] = {
      {"no Fonts, 2010", false, true, k2010, 2},
      {"no Fonts, 2008", false, true, k2008, 2},
      {"no Drv, 2008", true, false, k2008, 1},
      {"neither, 2008", false, false, k2008, 3},
  };
  for (const Case& c : cases) {
    std::string location = At("bare");
    world().MakeFolder(location);
    if (c.fonts) world().MakeFolder(location + "\\Fonts");
    if (c.drv) world().MakeFolder(location + "\\Drv");
    CAcadHosts hosts;
    hosts.locations[c.slot] = {location};
    EXPECT_EQ(Placed(hosts.PlaceSupportFiles(Ticked({c.slot}))), c.failed) << c.label;
    EXPECT_EQ(files().Exists(location + "\\Fonts\\Zorvel_HZ.shx"), c.fonts) << c.label;
    EXPECT_EQ(files().Exists(location + "\\Drv\\pdfplot9.hdi"), c.drv && c.slot == k2008) << c.label;
    EXPECT_EQ(world().List(location).size(), static_cast<std::size_t>(c.fonts + c.drv)) << c.label;  // no folder made
    for (const FileEvent& file : events_.files) {
      if (!file.status) {
        EXPECT_EQ(file.status.code(), platform::kErrorPathNotFound) << c.label << file.destination;
      }
    }
    events_.files.clear();
    world().Remove(location);
  }
}

TEST_P(SupportFiles, SameLocationListedTwiceIsServedTwice) {
  std::string location = Acad("ACAD2008");
  hosts_.locations[k2008] = {location, location};
  EXPECT_EQ(Placed(hosts_.PlaceSupportFiles(Ticked({k2008}))), 0);
  EXPECT_TRUE(HasFonts(location));
  if (platform::MemoryFiles* memory = world().memory()) {
    EXPECT_EQ(memory->copies().size(), 6u);
  }
}

TEST_P(SupportFiles, MissingSourceIsCounted) {
  world().Remove(Data() + "\\Zorvel_HZ.shx");
  std::string location = Acad("ACAD2010");
  EXPECT_EQ(Placed(hosts_.CopySupportFiles(location, false)), 1);
  EXPECT_EQ(world().List(location + "\\Fonts"), (std::vector<std::string>{"Zorvel_EN.shx"}));
  ASSERT_EQ(events_.files.size(), 2u);
  EXPECT_TRUE(events_.files[0].status.ok());
  EXPECT_EQ(events_.files[1].kind, FileKind::SupportFile);
  EXPECT_EQ(events_.files[1].source, Data() + "\\Zorvel_HZ.shx");
  EXPECT_EQ(events_.files[1].destination, location + "\\Fonts\\Zorvel_HZ.shx");
  EXPECT_EQ(events_.files[1].status.code(), platform::kErrorFileNotFound) << "the cause, for the message and the log";
}

TEST_P(SupportFiles, LocationTooLongForWindowsFailsWithoutHarm) {
  std::string location = At(std::string(platform::kMaxPathBytes - At("").size() - 8, 'L'));
  world().MakeFolder(location);
  EXPECT_EQ(Placed(hosts_.CopySupportFiles(location, true)), 3);
}

TEST_P(SupportFiles, ReadOnlyOldFilesAreReplaced) {
  if (!world().keepsReadOnly()) GTEST_SKIP() << "this file system drops the read-only bit";
  std::string location = Acad("ACAD2008");
  const std::string olds[] = {location + "\\Fonts\\Zorvel_EN.shx", location + "\\Fonts\\Zorvel_HZ.shx",
                              location + "\\Drv\\pdfplot9.hdi"};
  for (const std::string& old : olds) {
    world().MakeFile(old, "old");
    ASSERT_TRUE(files().SetAttributes(old, platform::kAttrReadOnly));
  }
  ASSERT_TRUE(files().SetAttributes(Data() + "\\Zorvel.prt5", platform::kAttrReadOnly | platform::kAttrArchive));
  EXPECT_EQ(Placed(hosts_.CopySupportFiles(location, true)), 0);
  EXPECT_TRUE(HasFonts(location));
  EXPECT_TRUE(HasDriver(location));
  for (const std::string& old : olds) EXPECT_EQ(world().Attributes(old) & platform::kAttrReadOnly, 0u) << old;
}

TEST_P(SupportFiles, AutoCad2008sOwnDriverIsKeptBeforeOursReplacesIt) {
  struct Case {
    const char* label;
    std::optional<std::string> before;       // pdfplot9.hdi before the install
    std::optional<std::string> earlierBackup;  // Backup\pdfplot9.hdi already there
    const char* backupName;                  // where AutoCAD's driver is kept; null: not kept
  };
  const Case cases[] = {
      {"no driver", std::nullopt, std::nullopt, nullptr},
      {"our driver already", std::string("Zorvel.prt5"), std::nullopt, nullptr},
      {"AutoCAD's driver", std::string("AutoCAD's own"), std::nullopt, "pdfplot9.hdi"},
      {"a second location", std::string("AutoCAD's own"), std::string("the first's"), "pdfplot9.2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const std::string location = Acad("ACAD2008"), driver = location + "\\Drv\\pdfplot9.hdi";
    const std::string backups = InInstall("Backup");
    if (c.before) world().MakeFile(driver, *c.before);
    if (c.earlierBackup) world().MakeFile(backups + "\\pdfplot9.hdi", *c.earlierBackup);
    events_.files.clear();
    RecordingJournal journal;  // each font, the backup if any, ours: the driver still AutoCAD's
    const std::string kept = backups + "\\" + (c.backupName ? c.backupName : "-");
    journal.look = [&] { return world().Read(driver).value_or("-") + (files().Exists(kept) ? "+kept" : ""); };
    hosts_.journal = &journal;
    EXPECT_EQ(Placed(hosts_.CopySupportFiles(location, true)), 0);
    std::vector<std::string> seen(3, c.before.value_or("-"));
    if (c.backupName) seen.push_back(*c.before + "+kept");
    EXPECT_EQ(journal.seen, seen);
    EXPECT_TRUE(HasDriver(location));
    ASSERT_FALSE(events_.files.empty());
    EXPECT_EQ(events_.files.back().replaced, c.before.has_value());
    if (c.backupName) {
      EXPECT_EQ(world().Read(backups + "\\" + c.backupName), c.before);
      ASSERT_EQ(events_.files.size(), 4u);
      EXPECT_EQ(events_.files[2].kind, FileKind::Backup);
      EXPECT_EQ(events_.files[2].source, driver);
      EXPECT_EQ(events_.files[2].destination, backups + "\\" + c.backupName);
      EXPECT_TRUE(events_.files[2].status.ok());
    } else {
      EXPECT_FALSE(files().Exists(backups));
      EXPECT_EQ(events_.files.size(), 3u);
    }
    if (c.earlierBackup) {
      EXPECT_EQ(world().Read(backups + "\\pdfplot9.hdi"), c.earlierBackup);
    }
    world().Remove(location);
    if (files().Exists(backups)) world().Remove(backups);
  }
}

TEST_P(SupportFiles, ADriverThatCannotBeKeptIsNotReplaced) {
  const std::string location = Acad("ACAD2008"), driver = location + "\\Drv\\pdfplot9.hdi";
  world().MakeFile(driver, "AutoCAD's own");
  platform::FaultyFiles faulty(files());
  platform::SetFiles(&faulty);
  platform::FaultyAppendFiles appends(world().appendFiles());
  platform::SetAppendFiles(&appends);
  struct Case {
    const char* label;
    std::function<void()> stage;
    platform::OsError error;
  };
  const Case cases[] = {
      {"no install folder known", [&] { hosts_.installDir.clear(); }, platform::kErrorPathNotFound},
      {"the backup cannot be written",
       [&] {
         hosts_.installDir = Install();
         faulty.FailCopiesTo(InInstall("Backup\\pdfplot9.hdi"), platform::FaultyFiles::kAlways,
                             platform::kErrorDiskFull);
       },
       platform::kErrorDiskFull},
      {"ours cannot be copied after the backup",
       [&] {
         faulty.ClearFailures();
         faulty.FailCopiesTo(driver, platform::FaultyFiles::kAlways, platform::kErrorSharingViolation);
       },
       platform::kErrorSharingViolation},
      {"the backup cannot be flushed to the disk",
       [&] { faulty.ClearFailures(), appends.FailFlushes(InInstall("Backup\\pdfplot9.hdi")); }, platform::kErrorDiskFull},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    c.stage();
    events_.files.clear();
    EXPECT_EQ(Placed(hosts_.CopySupportFiles(location, true)), 1);
    EXPECT_EQ(world().Read(driver), "AutoCAD's own");
    EXPECT_EQ(events_.files.back().destination, driver);
    EXPECT_EQ(events_.files.back().status.code(), c.error);
    EXPECT_FALSE(files().Exists(InInstall("Backup\\pdfplot9.hdi"))) << "no backup of a driver still in place";
  }
  platform::SetFiles(nullptr);
}

INSTANTIATE_TEST_SUITE_P(AllFileServices, SupportFiles, testing::ValuesIn(FilesWorldKinds()), FilesWorldName);

}  // namespace
