// Host discovery: which AutoCAD installations the catalogue records, in which
// release slot, with which key path.
#include <algorithm>

#include "tests/hosts_world.h"

namespace {

using platform::Hive;

class Discovery : public HostsWorldTest {
 protected:
  // The release year whose slot holds `location`; 0 when none does.
  int YearOf(const CAcadHosts& hosts, const std::string& location) {
    for (int slot = 0; slot < kReleaseCount; ++slot) {
      const auto& list = hosts.locations[slot];
      if (std::find(list.begin(), list.end(), location) != list.end()) return kFirstReleaseYear + slot;
    }
    return 0;
  }

  std::size_t TotalFound(const CAcadHosts& hosts) {
    std::size_t total = 0;
    for (int slot = 0; slot < kReleaseCount; ++slot) {
      EXPECT_EQ(hosts.locations[slot].size(), hosts.productKeys[slot].size()) << "slot " << slot;
      total += hosts.locations[slot].size();
    }
    return total;
  }
};

TEST_P(Discovery, NoAutoCadKeyLeavesEverySlotEmpty) {
  CAcadHosts hosts;
  hosts.Discover();
  EXPECT_EQ(TotalFound(hosts), 0u);
}

TEST_P(Discovery, TheFirstYearAfterTheStartOfTheProductNameDecidesTheSlot) {
  struct Case { const char* productName; int year; };
  const Case cases[] = {
      {"AutoCAD 2010", 2010},
      {"AutoCAD 2012 - 2013", 2012},                  // two years: the earlier
      {"AutoCAD 2013 (2012)", 2012},                  // earlier year wins, wherever it stands
      {"Autodesk AutoCAD Map 3D 2024 - 简体中文 (Simplified Chinese)", 2024},
      {"X2007", 2007},                                // position 1 counts
      {"2010 AutoCAD", 0},                            // position 0 does not
      {"2010 AutoCAD 2010", 0},                       // its first occurrence decides
      {"2010 AutoCAD 2011", 2011},
      {"AutoCAD", 0},
      {"AutoCAD 2006", 0},
      {"AutoCAD 2025", 0},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i)
    AddProduct(kAcadKey, "R" + std::to_string(i), "ACAD-0001:804", "C:\\row" + std::to_string(i), cases[i].productName);
  CAcadHosts hosts;
  hosts.Discover();
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(YearOf(hosts, "C:\\row" + std::to_string(i)), cases[i].year) << cases[i].productName;
}

TEST_P(Discovery, RecordsTheLocationAsReadAndTheKeyPathWithItsTrailingBackslash) {
  std::string key = AddProduct(kAcadKey, "R18.2", "ACAD-A001:804", "D:\\软件\\AutoCAD 2012\\",
                               "AutoCAD 2012 - 简体中文 (Simplified Chinese)");
  CAcadHosts hosts;
  hosts.Discover();
  EXPECT_EQ(key, "SOFTWARE\\Autodesk\\AutoCAD\\R18.2\\ACAD-A001:804\\");
  EXPECT_EQ(hosts.productKeys[5], std::vector<std::string>{key});
  EXPECT_EQ(hosts.locations[5], std::vector<std::string>{"D:\\软件\\AutoCAD 2012\\"});
  EXPECT_EQ(TotalFound(hosts), 1u);
}

TEST_P(Discovery, ProductsOfOneReleaseComeInEnumerationOrder) {
  AddProduct(kAcadKey, "R18.0", "ACAD-B001:804", "C:\\b", "AutoCAD 2010");
  AddProduct(kAcadKey, "R18.0", "ACAD-A001:409", "C:\\a", "AutoCAD 2010");
  CAcadHosts hosts;
  hosts.Discover();
  EXPECT_EQ(hosts.locations[3], (std::vector<std::string>{"C:\\a", "C:\\b"}));
}

TEST_P(Discovery, ManyProductsOfOneReleasePairByKeyPathInEnumerationOrder) {
  // Product keys whose names sort apart by case, so that the byte order of
  // their paths is not the enumeration order.
  enum class Kind { Both, LocationOnly, NameOnly, NameOneLevelDown };
  const Kind kinds[] = {Kind::Both, Kind::LocationOnly, Kind::Both, Kind::NameOnly, Kind::NameOneLevelDown};
  std::vector<std::string> locations[kReleaseCount], keys[kReleaseCount];
  for (int i = 0; i < 60; ++i) {
    const Kind kind = kinds[i % std::size(kinds)];
    const int year = 2010 + i / 2 % 3;  // each year's products in both cases
    const std::string product = std::string(i % 2 ? "acad-" : "ACAD-") + (i < 10 ? "0" : "") + std::to_string(i);
    const std::string path = std::string(kAcadKey) + "\\R22.0\\" + product;
    const std::string location = "C:\\AutoCAD " + std::to_string(i);
    const std::string name = "AutoCAD " + std::to_string(year);
    if (kind != Kind::NameOnly) WriteText(Hive::LocalMachine, path, "AcadLocation", location);
    if (kind == Kind::Both || kind == Kind::NameOnly) WriteText(Hive::LocalMachine, path, "ProductName", name);
    if (kind == Kind::NameOneLevelDown) WriteText(Hive::LocalMachine, path + "\\Sub", "ProductName", name);
    if (kind != Kind::Both) continue;
    locations[year - kFirstReleaseYear].push_back(location);
    keys[year - kFirstReleaseYear].push_back(path + "\\");
  }
  CAcadHosts hosts;
  hosts.Discover();
  for (int slot = 0; slot < kReleaseCount; ++slot) {
    EXPECT_EQ(hosts.locations[slot], locations[slot]) << "slot " << slot;
    EXPECT_EQ(hosts.productKeys[slot], keys[slot]) << "slot " << slot;
  }
}

TEST_P(Discovery, LocationAndNameMustSitInTheSameKey) {
  const std::string product = std::string(kAcadKey) + "\\R19.0\\ACAD-B001:804";
  WriteText(Hive::LocalMachine, product, "AcadLocation", "C:\\split");
  WriteText(Hive::LocalMachine, product + "\\Sub", "ProductName", "AutoCAD 2013");
  // Both deeper in one key: found there, with the deeper path.
  AddProduct(kAcadKey, "R19.0", "ACAD-C001:804\\Inner", "C:\\deep", "AutoCAD 2013");
  CAcadHosts hosts;
  hosts.Discover();
  EXPECT_EQ(hosts.locations[6], std::vector<std::string>{"C:\\deep"});
  EXPECT_EQ(hosts.productKeys[6], std::vector<std::string>{std::string(kAcadKey) + "\\R19.0\\ACAD-C001:804\\Inner\\"});
}

TEST_P(Discovery, AKeyHoldingTheValueHidesEverythingBelowIt) {
  AddProduct(kAcadKey, "R20.0", "ACAD-E001:804", "C:\\outer", "AutoCAD 2015");
  AddProduct(kAcadKey, "R20.0", "ACAD-E001:804\\Nested", "C:\\nested", "AutoCAD 2016");
  // The location hides the nested one, the name is found only below: no pair.
  const std::string other = std::string(kAcadKey) + "\\R20.0\\ACAD-F001:804";
  WriteText(Hive::LocalMachine, other, "AcadLocation", "C:\\lonely");
  AddProduct(kAcadKey, "R20.0", "ACAD-F001:804\\Nested", "C:\\hidden", "AutoCAD 2016");
  CAcadHosts hosts;
  hosts.Discover();
  EXPECT_EQ(hosts.locations[8], std::vector<std::string>{"C:\\outer"});
  EXPECT_EQ(TotalFound(hosts), 1u);
}

TEST_P(Discovery, LocationsOf256BytesOrMoreCountAsAbsent) {
  struct Case { std::size_t length; bool found; };
  const Case cases[] = {{255, true}, {256, false}, {400, false}};
  for (const Case& c : cases)
    AddProduct(kAcadKey, "R" + std::to_string(c.length), "ACAD-0001:804", std::string(c.length, 'L'),
               "AutoCAD 2014");
  CAcadHosts hosts;
  hosts.Discover();
  for (const Case& c : cases) EXPECT_EQ(YearOf(hosts, std::string(c.length, 'L')) == 2014, c.found) << c.length;
}

TEST_P(Discovery, The32BitViewComesFirstAndOnlyFor2007To2009) {
  if (!ViewsAreSeparate()) GTEST_SKIP() << "a 32-bit program sees one view through both paths";
  std::string wow9 = AddProduct(kWowAcadKey, "R17.2", "ACAD-7001:804", "C:\\AutoCAD 2009", "AutoCAD 2009");
  AddProduct(kWowAcadKey, "R18.0", "ACAD-8001:804", "C:\\wow 2010", "AutoCAD 2010");
  std::string plain9 = AddProduct(kAcadKey, "R17.2", "ACAD-7001:804", "C:\\AutoCAD 2009", "AutoCAD 2009");
  std::string plain10 = AddProduct(kAcadKey, "R18.0", "ACAD-8001:804", "C:\\AutoCAD 2010", "AutoCAD 2010");
  CAcadHosts hosts;
  hosts.Discover();
  // The same installation seen through both paths is listed twice.
  EXPECT_EQ(hosts.productKeys[2], (std::vector<std::string>{wow9, plain9}));
  EXPECT_EQ(hosts.locations[2], (std::vector<std::string>{"C:\\AutoCAD 2009", "C:\\AutoCAD 2009"}));
  EXPECT_EQ(hosts.productKeys[3], std::vector<std::string>{plain10});
  EXPECT_EQ(wow9.rfind("SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD\\", 0), 0u);
}

TEST_P(Discovery, A32BitProgramFindsItsViewThroughBothPaths) {
  if (ViewsAreSeparate()) GTEST_SKIP() << "only a 32-bit program on the real registry";
  AddProduct(kAcadKey, "R17.2", "ACAD-7001:804", "C:\\AutoCAD 2009", "AutoCAD 2009");
  CAcadHosts hosts;
  hosts.Discover();
  EXPECT_EQ(hosts.productKeys[2],
            (std::vector<std::string>{std::string(kWowAcadKey) + "\\R17.2\\ACAD-7001:804\\",
                                      std::string(kAcadKey) + "\\R17.2\\ACAD-7001:804\\"}));
}

TEST_P(Discovery, KeysThatCannotBeReadAreSkippedAndTheWalkGoesOn) {
  AddProduct(kAcadKey, "R17.0", "ACAD-5001:804", "C:\\2007", "AutoCAD 2007");
  AddProduct(kAcadKey, "R17.1", "ACAD-6001:804", "C:\\unnamed", "AutoCAD 2008");
  AddProduct(kAcadKey, "R17.2", "ACAD-7001:804", "C:\\2009", "AutoCAD 2009");
  AddProduct(kAcadKey, "R17.2", "ACAD-7002:804", "C:\\vanished", "AutoCAD 2009");
  AddProduct(kAcadKey, "R18.0", "ACAD-8001:804", "C:\\locked", "AutoCAD 2010");
  AddProduct(kAcadKey, "R18.1", "ACAD-9001:804", "C:\\uncounted", "AutoCAD 2011");
  // A 32-bit program sees the same keys through the Wow6432Node path too.
  for (const std::string acad : {kAcadKey, kWowAcadKey}) {
    faults().FailEnumAt(Hive::LocalMachine, acad, 1);  // R17.1
    faults().VanishWhenListed(Hive::LocalMachine, acad + "\\R17.2\\ACAD-7002:804");
    faults().DenyOpen(Hive::LocalMachine, acad + "\\R18.0");
    faults().FailSubkeyCount(Hive::LocalMachine, acad + "\\R18.1");
  }
  CAcadHosts hosts;
  hosts.Discover();
  const std::size_t views = ViewsAreSeparate() ? 1 : 2;  // each found once per path that reaches it
  EXPECT_EQ(hosts.locations[0], std::vector<std::string>(views, "C:\\2007"));
  EXPECT_EQ(hosts.locations[2], std::vector<std::string>(views, "C:\\2009"));
  EXPECT_EQ(TotalFound(hosts), 2 * views);
}

INSTANTIATE_FOR_EVERY_REGISTRY(Discovery);

TEST(InstallDir, LosesOneTrailingBackslash) {
  struct Case { std::string in, out; };
  const Case cases[] = {
      {"C:\\Zorvel\\Zorvel批打印软件\\", "C:\\Zorvel\\Zorvel批打印软件"},
      {"C:\\Zorvel\\Zorvel批打印软件", "C:\\Zorvel\\Zorvel批打印软件"},
      {"D:\\a\\\\", "D:\\a\\"},
      {"D:\\\x95\x5C", "D:\\\x95\x5C"},  // the backslash byte ends a double-byte character
      {"C:\\", "C:"},
  };
  for (const Case& c : cases) {
    CAcadHosts hosts;
    hosts.SetInstallDir(c.in);
    EXPECT_EQ(hosts.installDir, c.out) << c.in;
  }
}

}  // namespace
