// Loader registration: the application key under every product key of each
// ticked release, naming the module of the release's generation.
#include <functional>
#include <optional>

#include "tests/hosts_world.h"
#include "tests/recorded_events.h"

namespace {

using platform::Hive;

class Loaders : public HostsWorldTest {
 protected:
  // A product of `year` known to the catalogue; returns its key path.
  std::string AddKnownProduct(CAcadHosts& hosts, int year, const std::string& product = "ACAD-0001:804") {
    std::string key = std::string(kAcadKey) + "\\R" + std::to_string(year) + "\\" + product + "\\";
    MakeKey(Hive::LocalMachine, key);
    hosts.productKeys[year - kFirstReleaseYear].push_back(key);
    return key;
  }

  static std::string Application(const std::string& productKey, int year) {
    return productKey + "Applications\\ZV_BatchPlot" + std::to_string(year);
  }

  static ReleaseFlags Ticked(std::initializer_list<int> years) {
    ReleaseFlags flags{};
    for (int year : years) flags[year - kFirstReleaseYear] = 1;
    return flags;
  }
};

TEST_P(Loaders, EachReleaseNamesTheModuleOfItsGeneration) {
  struct Case { int year; int generation; };
  const Case cases[] = {
      {2007, 2008}, {2008, 2008}, {2009, 2008}, {2010, 2010}, {2011, 2010}, {2012, 2010},
      {2013, 2013}, {2014, 2013}, {2015, 2015}, {2016, 2015}, {2017, 2017}, {2018, 2018},
      {2019, 2019}, {2020, 2019}, {2021, 2021}, {2022, 2021}, {2023, 2021}, {2024, 2021},
  };
  CAcadHosts hosts;
  hosts.SetInstallDir(kInstallDir);
  ReleaseFlags all{};
  for (const Case& c : cases) {
    AddKnownProduct(hosts, c.year);
    all[c.year - kFirstReleaseYear] = 1;
  }
  EXPECT_EQ(FailuresOf(hosts.RegisterLoaders(all)), 0);
  for (const Case& c : cases) {
    std::string application = Application(hosts.productKeys[c.year - kFirstReleaseYear][0], c.year);
    EXPECT_EQ(ReadDword(Hive::LocalMachine, application, "LOADCTRLS"), 2u) << c.year;
    EXPECT_EQ(ReadText(Hive::LocalMachine, application, "LOADER"),
              std::string(kInstallDir) + "\\ZV_BatchPlot" + std::to_string(c.generation) + ".ARX")
        << c.year;
  }
}

TEST_P(Loaders, LoaderTextIsStoredWithoutTerminator) {
  CAcadHosts hosts;
  hosts.SetInstallDir(kInstallDir);
  std::string key = AddKnownProduct(hosts, 2012);
  const std::vector<LoaderWrite> writes = hosts.RegisterLoader(2012);
  EXPECT_EQ(FailuresOf(writes), 0);
  const std::string expected = "C:\\Zorvel\\Zorvel批打印软件\\ZV_BatchPlot2010.ARX";
  EXPECT_EQ(expected.size(), 47u);
  EXPECT_EQ(ReadText(Hive::LocalMachine, Application(key, 2012), "LOADER"), expected);
  if (memory()) {
    platform::MemoryRegistry::StoredValue stored;
    ASSERT_TRUE(memory()->Stored(Hive::LocalMachine, Application(key, 2012), "LOADER", &stored));
    EXPECT_EQ(stored.type, platform::kRegSz);
    EXPECT_EQ(stored.bytes, expected);
  }
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].keyPath, Application(key, 2012));
  EXPECT_EQ(writes[0].loadCtrls, 2u);
  EXPECT_EQ(writes[0].loader, expected);
  ASSERT_TRUE(writes[0].loadCtrlsStatus);
  EXPECT_TRUE(writes[0].loadCtrlsStatus->ok());
  EXPECT_TRUE(writes[0].loaderStatus.ok());
}

TEST_P(Loaders, EveryProductKeyOfOnlyTheTickedReleasesIsRegistered) {
  CAcadHosts hosts;
  hosts.SetInstallDir(kInstallDir);
  std::string first = AddKnownProduct(hosts, 2010, "ACAD-8001:804");
  std::string second = AddKnownProduct(hosts, 2010, "ACAD-8001:409");
  std::string unticked = AddKnownProduct(hosts, 2011);
  EXPECT_EQ(FailuresOf(hosts.RegisterLoaders(Ticked({2010, 2020}))), 0);  // 2020 has no products
  EXPECT_TRUE(KeyExists(Hive::LocalMachine, Application(first, 2010)));
  EXPECT_TRUE(KeyExists(Hive::LocalMachine, Application(second, 2010)));
  EXPECT_FALSE(KeyExists(Hive::LocalMachine, unticked + "Applications"));
}

TEST_P(Loaders, APreviousRegistrationIsReplacedUnlessItHasSubkeys) {
  CAcadHosts hosts;
  hosts.SetInstallDir(kInstallDir);
  std::string plain = AddKnownProduct(hosts, 2014, "ACAD-D001:804");
  std::string nested = AddKnownProduct(hosts, 2014, "ACAD-D001:409");
  for (const std::string& key : {plain, nested}) {
    WriteText(Hive::LocalMachine, Application(key, 2014), "LOADER", "C:\\old\\ZV_BatchPlot2013.ARX");
    WriteText(Hive::LocalMachine, Application(key, 2014), "Extra", "x");
  }
  MakeKey(Hive::LocalMachine, Application(nested, 2014) + "\\Keep");
  EXPECT_EQ(FailuresOf(hosts.RegisterLoader(2014)), 0);
  const std::string loader = std::string(kInstallDir) + "\\ZV_BatchPlot2013.ARX";
  EXPECT_EQ(ReadText(Hive::LocalMachine, Application(plain, 2014), "LOADER"), loader);
  EXPECT_EQ(ReadText(Hive::LocalMachine, Application(plain, 2014), "Extra"), std::nullopt);
  EXPECT_EQ(ReadText(Hive::LocalMachine, Application(nested, 2014), "LOADER"), loader);
  EXPECT_EQ(ReadText(Hive::LocalMachine, Application(nested, 2014), "Extra"), "x");
  EXPECT_TRUE(KeyExists(Hive::LocalMachine, Application(nested, 2014) + "\\Keep"));
}

TEST_P(Loaders, AnInstallFolderTooLongForTheLoaderTextWritesNothing) {
  struct Case { std::size_t length; int failures; };
  const Case cases[] = {{238, 0}, {239, 2}, {600, 2}};
  for (const Case& c : cases) {
    CAcadHosts hosts;
    hosts.SetInstallDir("C:\\" + std::string(c.length - 3, 'd'));
    std::string first = AddKnownProduct(hosts, 2018, "ACAD-1001:804");
    std::string second = AddKnownProduct(hosts, 2018, "ACAD-1002:804");
    WriteText(Hive::LocalMachine, Application(second, 2018), "LOADER", "C:\\previous");
    EXPECT_EQ(FailuresOf(hosts.RegisterLoader(2018)), c.failures) << c.length;
    std::optional<std::string> loader = ReadText(Hive::LocalMachine, Application(first, 2018), "LOADER");
    if (c.failures == 0) {
      ASSERT_TRUE(loader) << c.length;
      EXPECT_EQ(loader->size(), 259u);
    } else {
      EXPECT_EQ(loader, std::nullopt) << c.length;
      EXPECT_EQ(ReadText(Hive::LocalMachine, Application(second, 2018), "LOADER"), "C:\\previous");
    }
    RemoveTree(Hive::LocalMachine, kAcadKey);
  }
}

TEST_P(Loaders, MissingProductKeysAndYearsOutsideTheRangeAreSkipped) {
  CAcadHosts hosts;
  hosts.SetInstallDir(kInstallDir);
  const std::string gone = std::string(kAcadKey) + "\\R20.1\\Gone\\";
  hosts.productKeys[9].push_back(gone);
  std::string present = AddKnownProduct(hosts, 2016);
  // Skipped, but not silently: the ticked release gets no loader there.
  const std::vector<LoaderWrite> writes = hosts.RegisterLoader(2016);
  EXPECT_EQ(FailuresOf(writes), 1);
  EXPECT_FALSE(KeyExists(Hive::LocalMachine, std::string(kAcadKey) + "\\R20.1\\Gone"));
  EXPECT_TRUE(KeyExists(Hive::LocalMachine, Application(present, 2016)));
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0].keyPath, Application(gone, 2016));
  EXPECT_EQ(writes[0].loaderStatus.code(), platform::kErrorFileNotFound);
  EXPECT_EQ(hosts.RegisterLoader(2006).size(), 0u);
  EXPECT_EQ(hosts.RegisterLoader(2025).size(), 0u);
}

TEST_P(Loaders, TrustedPathsAreUpdatedAlsoWhenNothingIsTicked) {
  CAcadHosts hosts;
  hosts.SetInstallDir(kInstallDir);
  std::string product = AddKnownProduct(hosts, 2019);
  MakeKey(Hive::CurrentUser, VariablesKey("R23.0", "ACAD-3001:804", "Default"));
  EXPECT_EQ(FailuresOf(hosts.RegisterLoaders(ReleaseFlags{})), 0);
  EXPECT_FALSE(KeyExists(Hive::LocalMachine, product + "Applications"));
  EXPECT_EQ(ReadText(Hive::CurrentUser, VariablesKey("R23.0", "ACAD-3001:804", "Default"), "TRUSTEDPATHS"),
            kInstallDir);
}

TEST_P(Loaders, DiscoveredProductsAreRegistered) {
  std::string key = AddProduct(kAcadKey, "R24.3", "ACAD-7101:804", "C:\\AutoCAD 2024", "AutoCAD 2024");
  CAcadHosts hosts;
  hosts.Discover();
  hosts.SetInstallDir(std::string(kInstallDir) + "\\");
  EXPECT_EQ(FailuresOf(hosts.RegisterLoaders(Ticked({2024}))), 0);
  EXPECT_EQ(ReadText(Hive::LocalMachine, Application(key, 2024), "LOADER"),
            std::string(kInstallDir) + "\\ZV_BatchPlot2021.ARX");
}

TEST_P(Loaders, SettingsThatCannotBeWrittenAreCounted) {
  CAcadHosts hosts;
  hosts.SetInstallDir(kInstallDir);
  std::string fresh = AddKnownProduct(hosts, 2021, "ACAD-5001:804");
  std::string previous = AddKnownProduct(hosts, 2021, "ACAD-5002:804");
  WriteText(Hive::LocalMachine, Application(previous, 2021), "LOADER", "C:\\old");
  MakeKey(Hive::CurrentUser, VariablesKey("R24.0", "ACAD-5001:804", "Default"));
  MakeKey(Hive::CurrentUser, VariablesKey("R24.0", "ACAD-5001:804", "Other"));
  // Without administrator rights: the fresh key cannot be created, the
  // previous one opens but its values cannot be written; each counts once.
  faults().DenyWrites(Hive::LocalMachine, "");
  faults().DenyWrites(Hive::CurrentUser, VariablesKey("R24.0", "ACAD-5001:804", "Other"));
  const LoaderRegistration registration = hosts.RegisterLoaders(Ticked({2021}));
  EXPECT_EQ(FailuresOf(registration), 3);
  EXPECT_FALSE(KeyExists(Hive::LocalMachine, Application(fresh, 2021)));
  EXPECT_EQ(ReadText(Hive::LocalMachine, Application(previous, 2021), "LOADER"), "C:\\old");
  EXPECT_EQ(ReadText(Hive::CurrentUser, VariablesKey("R24.0", "ACAD-5001:804", "Default"), "TRUSTEDPATHS"),
            kInstallDir);
  // Each value is reported with what kept it from being written.
  ASSERT_EQ(registration.loaders.size(), 2u);
  ASSERT_EQ(registration.trustedPaths.size(), 2u);
  int refused = 0;
  for (const LoaderWrite& loader : registration.loaders) {
    ASSERT_TRUE(loader.loadCtrlsStatus);
    refused += loader.loadCtrlsStatus->code() == platform::kErrorAccessDenied;
    refused += loader.loaderStatus.code() == platform::kErrorAccessDenied;
  }
  for (const TrustedPathWrite& list : registration.trustedPaths)
    refused += list.status.code() == platform::kErrorAccessDenied;
  EXPECT_EQ(refused, 5);
}

// The uninstall puts a loader key back as it was: the registration tells
// what was there before the install replaced it.
TEST_P(Loaders, WritesTellWhatTheKeyHeldBefore) {
  struct Case {
    const char* label;
    std::function<void(const std::string& product)> stage;
    int createdLevels;
    std::optional<std::string> loadCtrls, loader;
    std::uint32_t loaderType;
  };
  const Case cases[] = {
      {"no Applications key", [](const std::string&) {}, 2, std::nullopt, std::nullopt, 0},
      {"an Applications key", [this](const std::string& p) { MakeKey(Hive::LocalMachine, p + "Applications\\Other"); },
       1, std::nullopt, std::nullopt, 0},
      {"another version's key",
       [this](const std::string& p) {
         WriteDword(Hive::LocalMachine, Application(p, 2012), "LOADCTRLS", 14);
         WriteText(Hive::LocalMachine, Application(p, 2012), "LOADER", "D:\\旧版\\ZV_BatchPlot2010.ARX");
       },
       0, "14", "D:\\旧版\\ZV_BatchPlot2010.ARX", platform::kRegSz},
      {"a key without values", [this](const std::string& p) { MakeKey(Hive::LocalMachine, Application(p, 2012)); },
       0, std::nullopt, std::nullopt, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    CAcadHosts hosts;
    hosts.SetInstallDir(kInstallDir);
    const std::string product = AddKnownProduct(hosts, 2012);
    c.stage(product);
    RecordingJournal journal;
    journal.look = [&] { return ReadText(Hive::LocalMachine, Application(product, 2012), "LOADER").value_or("-"); };
    hosts.journal = &journal;
    const std::vector<LoaderWrite> writes = hosts.RegisterLoader(2012);
    EXPECT_EQ(FailuresOf(writes), 0);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(journal.seen, std::vector<std::string>{c.loader.value_or("-")}) << "announced before it is written";
    const LoaderChange& before = writes[0].before;
    EXPECT_EQ(before.createdLevels, c.createdLevels);
    EXPECT_EQ(before.loadCtrls ? std::optional<std::string>(ValueText(*before.loadCtrls)) : std::nullopt, c.loadCtrls);
    EXPECT_EQ(before.loadCtrls ? before.loadCtrls->type : 0u, c.loadCtrls ? platform::kRegDword : 0u);
    EXPECT_EQ(before.loader ? std::optional<std::string>(before.loader->bytes) : std::nullopt, c.loader);
    EXPECT_EQ(before.loader ? before.loader->type : 0u, c.loaderType);
    RemoveTree(Hive::LocalMachine, kAcadKey);
  }
}

// For the user alone: below HKEY_CURRENT_USER at the product's path without
// Wow6432Node, making the keys a user who never started AutoCAD lacks.
TEST_P(Loaders, TheUsersLoaderKeysAreMadeBelowTheSameProductPath) {
  const std::string user = std::string(kAcadKey) + "\\R18.2\\ACAD-A001:804\\";
  MakeKey(Hive::CurrentUser, kAcadKey);
  CAcadHosts hosts;
  hosts.SetInstallDir(kInstallDir);
  hosts.loaderHive = Hive::CurrentUser;
  hosts.productKeys[2012 - kFirstReleaseYear] = {std::string(kWowAcadKey) + "\\R18.2\\ACAD-A001:804\\"};
  const std::vector<LoaderWrite> writes = hosts.RegisterLoader(2012);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].keyPath, Application(user, 2012));
  EXPECT_EQ(writes[0].before.createdLevels, 4);
  EXPECT_EQ(ReadText(Hive::CurrentUser, Application(user, 2012), "LOADER"), std::string(kInstallDir) + "\\ZV_BatchPlot2010.ARX");
}

INSTANTIATE_FOR_EVERY_REGISTRY(Loaders);

TEST(LoaderKeys, ShapeAndTargetAreRecognised) {
  struct Path {
    const char* path;
    bool loaderKey;
  };
  const Path paths[] = {
      {"SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Applications\\ZV_BatchPlot2010", true},
      {"software\\x\\applications\\zv_batchplot2024", true},
      {"SOFTWARE\\X\\Applications\\ZV_BatchPlot201", false},
      {"SOFTWARE\\X\\Applications\\ZV_BatchPlot20100", false},
      {"SOFTWARE\\X\\Applications\\ZV_BatchPlotABCD", false},
      {"SOFTWARE\\X\\Applications\\Other", false},
      {"SOFTWARE\\X\\XApplications\\ZV_BatchPlot2010", false},
      {"Applications\\ZV_BatchPlot2010", false},
      {"", false},
  };
  for (const Path& p : paths) EXPECT_EQ(IsLoaderKeyPath(p.path), p.loaderKey) << p.path;

  struct Loader {
    const char* loader;
    bool inside;
  };
  const Loader loaders[] = {
      {"C:\\Zorvel\\Zorvel批打印软件\\ZV_BatchPlot2010.ARX", true},
      {"c:\\zorvel\\ZORVEL批打印软件\\zv_batchplot2010.arx", true},
      {"C:\\Zorvel\\Zorvel批打印软件2\\ZV_BatchPlot2010.ARX", false},  // another folder that begins alike
      {"C:\\Zorvel\\Zorvel批打印软件", false},
      {"C:\\Zorvel\\Zorvel批打印软件\\", false},
      {"D:\\Other\\ZV_BatchPlot2010.ARX", false},
      {"", false},
  };
  for (const Loader& l : loaders) EXPECT_EQ(LoaderPointsInto(l.loader, kInstallDir), l.inside) << l.loader;
  EXPECT_TRUE(LoaderPointsInto("C:\\Zorvel\\Zorvel批打印软件\\x.arx", std::string(kInstallDir) + "\\"));
}

TEST(StoredValues, TravelAsEventTextAndBack) {
  struct Case {
    std::uint32_t type;
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {platform::kRegDword, std::string("\x02\0\0\0", 4), "2"},
      {platform::kRegDword, std::string("\xff\xff\xff\xff", 4), "4294967295"},
      {platform::kRegDword, std::string("\x0e\x01\0\0", 4), "270"},
      {platform::kRegSz, "C:\\旧版\\x.ARX", "C:\\旧版\\x.ARX"},
      {platform::kRegSz, "2", "2"},  // a number stored as text stays text
      {platform::kRegBinary, std::string("\0\x01", 2), std::string("\0\x01", 2)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ValueText({c.type, c.bytes}), c.text) << c.text;
    const platform::StoredValue back = StoredValueOf(c.type, c.text);
    EXPECT_EQ(back.type, c.type);
    EXPECT_EQ(back.bytes, c.bytes) << c.text;
  }
}

}  // namespace
