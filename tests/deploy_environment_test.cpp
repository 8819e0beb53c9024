// What the deployment relies on from the environment service, on the
// in-memory one and the test program's own (the Win32 one under Wine).
#include "platform/environment.h"
#include "platform/mbcs.h"
#include "tests/fakes/environment.h"

#include <gtest/gtest.h>

namespace {

TEST(EnvironmentContract, AppDataNamesTheShellsRoamingFolderAndNamesIgnoreCase) {
  platform::MemoryEnvironment memory;
  platform::Environment* services[] = {&memory, &platform::GetEnvironment()};
  for (platform::Environment* service : services) {
    std::string appData, lower;
    ASSERT_TRUE(service->GetVariable("APPDATA", &appData));
    EXPECT_FALSE(appData.empty());
    EXPECT_TRUE(mbcs::EqualsNoCase(appData, service->RoamingAppDataFolder())) << appData;
    ASSERT_TRUE(service->GetVariable("appdata", &lower));
    EXPECT_EQ(lower, appData);
    std::string untouched = "untouched";
    EXPECT_FALSE(service->GetVariable("ZV_NO_SUCH_VARIABLE_9517", &untouched));
    EXPECT_EQ(untouched, "untouched");
  }
}

}  // namespace
