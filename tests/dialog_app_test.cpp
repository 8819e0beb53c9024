// Start-up: the application object finds the installations, runs the setup
// dialog once and returns false, so that no message loop follows.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "app/wizard_app.h"
#include "hosts/acad_hosts.h"
#include "tests/dialog_probe.h"
#include "tests/fakes/registry.h"
#include "tests/fakes/rights.h"
#include "tests/fakes/services.h"
#include "tests/fakes/system_info.h"
#include "ui/setup_template.h"

namespace {

class StartupTest : public testing::TestWithParam<std::shared_ptr<DialogRunner>> {
 protected:
  // The test program's own command line is not the setup program's.
  void SetUp() override {
    platform::SetRegistry(&registry_);
    platform::SetSystemInfo(&system_);
  }
  void TearDown() override {
    platform::SetRegistry(nullptr);
    platform::SetSystemInfo(nullptr);
  }

  void Product(const std::string& key, const std::string& location, const std::string& name) {
    platform::RegKey root = registry_.OpenHive(platform::Hive::LocalMachine);
    platform::RegKey product = registry_.Create(root, "SOFTWARE\\Autodesk\\AutoCAD\\" + key);
    ASSERT_NE(product, nullptr);
    (void)registry_.SetValue(product, "AcadLocation", platform::kRegSz, location.data(),
                             static_cast<std::uint32_t>(location.size()));
    (void)registry_.SetValue(product, "ProductName", platform::kRegSz, name.data(),
                             static_cast<std::uint32_t>(name.size()));
    registry_.Close(product);
    registry_.Close(root);
  }

  platform::MemoryRegistry registry_;
  platform::MemorySystemInfo system_;
  CWizardApp app_{BuildInfo{20231218, 64}};
};

TEST_P(StartupTest, DiscoversThenRunsTheDialogOnceAndReturnsFalse) {
  Product("R18.0\\ACAD-8001:804", "C:\\AutoCAD 2010", "AutoCAD 2010 - 简体中文");
  Product("R24.3\\ACAD-7101:804", "D:\\AutoCAD 2024", "AutoCAD 2024");
  int runs = 0;
  bool initResult = true;
  GetParam()->Run(
      [&] {
        initResult = app_.InitInstance();
        return std::intptr_t{0};
      },
      [&](DialogProbe& probe) {
        ++runs;
        EXPECT_EQ(probe.Text(0), "Zorvel批打印软件安装");
        EXPECT_TRUE(probe.IsEnabled(kReleaseBoxIds[2010 - kFirstReleaseYear]));
        EXPECT_EQ(probe.Check(kReleaseBoxIds[2010 - kFirstReleaseYear]), 1);
        EXPECT_EQ(probe.Check(kReleaseBoxIds[2024 - kFirstReleaseYear]), 1);
        EXPECT_FALSE(probe.IsEnabled(kReleaseBoxIds[2011 - kFirstReleaseYear]));
        probe.Close();
      });
  EXPECT_FALSE(initResult);
  EXPECT_EQ(runs, 1);
}

TEST_P(StartupTest, WithoutAutoCadTheDialogStillOpensWithNothingToTick) {
  bool opened = false;
  GetParam()->Run([&] { return std::intptr_t{app_.InitInstance()}; },
                  [&](DialogProbe& probe) {
                    opened = true;
                    for (int id : kReleaseBoxIds) {
                      EXPECT_FALSE(probe.IsEnabled(id)) << id;
                      EXPECT_EQ(probe.Check(id), 0) << id;
                    }
                    EXPECT_FALSE(probe.IsEnabled(kIdFinish));
                    EXPECT_TRUE(probe.IsEnabled(kIdInstall));
                  });
  EXPECT_TRUE(opened);
}

INSTANTIATE_FOR_EVERY_WINDOW_HOST(StartupTest);

// A process keeps the DLL search to System32 before its services are even in
// use, then runs the application with them.
TEST(ProcessStart, TheDllSearchIsKeptToSystem32FirstOfAll) {
  struct App : CWinApp {
    int ExitInstance() override { return 3; }
  } app;
  const platform::Services before = platform::CurrentServices();
  platform::Services services = before;
  platform::MemoryRights rights;
  services.rights = &rights;
  EXPECT_EQ(RunProcess(services, app), 3);
  EXPECT_EQ(rights.dllSearchRestricted(), 1);
  EXPECT_TRUE(rights.restrictedBeforeServices());
  EXPECT_EQ(platform::CurrentServices().rights, &rights);
  platform::UseServices(before);
}

}  // namespace
