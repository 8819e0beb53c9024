// Serving another user: APPDATA from the user's hive and ProfileList, and the
// services redirected while the redirect lives.
#include "platform/user_redirect.h"

#include <gtest/gtest.h>

#include "platform/environment.h"
#include "platform/registry.h"
#include "tests/fakes/environment.h"
#include "tests/fakes/registry.h"
#include "tests/fakes/services.h"

namespace {

using platform::Hive;

constexpr char kSid[] = "S-1-5-21-1004336348-1177238915-682003330-1001";
const std::string kExplorer = std::string(kSid) + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
const std::string kProfile = std::string("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\") + kSid;

void Write(Hive hive, const std::string& path, const char* name, std::uint32_t type, const std::string& text) {
  platform::Registry& registry = platform::GetRegistry();
  platform::ScopedKey root(registry, registry.OpenHive(hive));
  platform::ScopedKey key(registry, registry.Create(root.get(), path));
  ASSERT_TRUE(registry.SetValue(key.get(), name, type, text.data(), static_cast<std::uint32_t>(text.size())));
}

class UserRedirect : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetEnvironment(&environment_);  // its APPDATA and HOMEDRIVE are the administrator's
    environment_.SetVariable("SystemDrive", "C:");
    environment_.SetVariable("HOMEDRIVE", "C:");
  }
  void TearDown() override { platform::SetRegistry(nullptr), platform::SetEnvironment(nullptr); }
  platform::MemoryEnvironment environment_;
};

TEST_F(UserRedirect, AppDataIsTheUsersOwnOrAProblemSaysWhy) {
  constexpr std::uint32_t kSz = platform::kRegSz, kExpand = platform::kRegExpandSz;
  struct Row {
    const char* sid;
    const char* folders;  // the key AppData is in; null: none
    std::uint32_t type;
    const char* appData;
    const char* profile;   // ProfileImagePath; null: none
    const char* expected;  // APPDATA, or a part of the problem
  };
  const Row rows[] = {
      {kSid, "User Shell Folders", kExpand, "%userprofile%\\50%", "%systemdrive%\\lin", "C:\\lin\\50%"},
      {kSid, "User Shell Folders", kSz, "\\\\srv\\%a%\\lin", nullptr, "\\\\srv\\%a%\\lin"},
      {kSid, "Shell Folders", kSz, "E:\\lin\\AppData", nullptr, "E:\\lin\\AppData"},
      {kSid, "User Shell Folders", kExpand, "%HOMEDRIVE%\\AppData", nullptr, "%HOMEDRIVE% would be this process's own"},
      {kSid, "User Shell Folders", kExpand, "%USERPROFILE%\\AppData", "C:\\Users\\%USERNAME%", "%USERNAME% would be"},
      {kSid, "User Shell Folders", kExpand, "%ZV_NOT_SET%\\AppData", nullptr, "%ZV_NOT_SET% is not set"},
      {kSid, "User Shell Folders", kExpand, "%USERPROFILE%\\AppData", nullptr, "names no profile folder"},
      {kSid, "User Shell Folders", kSz, "AppData\\Roaming", nullptr, "is no full path"},
      {kSid, nullptr, 0, nullptr, "C:\\Users\\lin", "names no folder"},
      {"S-1-5-21-9", nullptr, 0, nullptr, nullptr, "(HKU\\S-1-5-21-9) is not loaded"},
      {"S-1-5-21-1004336348-1177238915-682003330-1001\\Software", nullptr, 0, nullptr, nullptr, "is not a user's SID"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.expected);
    platform::MemoryRegistry registry;
    platform::SetRegistry(&registry);
    Write(Hive::Users, kExplorer + "Other", "Marker", kSz, "x");
    if (row.folders) Write(Hive::Users, kExplorer + row.folders, "AppData", row.type, row.appData);
    if (row.profile) Write(Hive::LocalMachine, kProfile, "ProfileImagePath", kExpand, row.profile);
    const platform::Redirection redirection = platform::RedirectToUser(row.sid);
    const bool served = redirection.redirect != nullptr;
    const std::string got = served ? redirection.appData : redirection.problem;
    EXPECT_TRUE(served ? got == row.expected : got.find(row.expected) != std::string::npos) << got;
    EXPECT_EQ(registry.OpenHandles(), 0u);
  }
}

TEST_F(UserRedirect, TheCurrentUserIsTheServedOneWhileTheRedirectLives) {
  platform::MemoryRegistry registry;
  platform::SetRegistry(&registry);
  Write(Hive::Users, kExplorer + "User Shell Folders", "AppData", platform::kRegSz, "C:\\Users\\lin\\Roaming");
  {
    const platform::Redirection redirection = platform::RedirectToUser(kSid);
    ASSERT_TRUE(redirection.redirect) << redirection.problem;
    Write(Hive::CurrentUser, "Software\\Zorvel", "Mine", platform::kRegSz, "1");
    platform::Environment& environment = platform::GetEnvironment();
    std::string value;
    EXPECT_TRUE(environment.GetVariable("appdata", &value) && value == environment.RoamingAppDataFolder());
    EXPECT_EQ(value, "C:\\Users\\lin\\Roaming");
    EXPECT_FALSE(environment.GetVariable("HomeDrive", &value)) << "the administrator's";
    EXPECT_TRUE(environment.GetVariable("SystemDrive", &value));
  }
  EXPECT_TRUE(registry.KeyExists(Hive::Users, std::string(kSid) + "\\Software\\Zorvel"));
  EXPECT_FALSE(registry.KeyExists(Hive::CurrentUser, "Software\\Zorvel"));
  EXPECT_EQ(&platform::GetEnvironment(), &environment_) << "put back";
  EXPECT_EQ(&platform::GetRegistry(), &registry);
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

}  // namespace
