// Serving another user: the user's APPDATA resolved from the user's hive and
// ProfileList, and the services redirected while the redirect lives.
#include "platform/user_redirect.h"

#include <gtest/gtest.h>

#include "platform/environment.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "tests/fakes/environment.h"
#include "tests/fakes/registry.h"
#include "tests/fakes/services.h"

namespace {

using platform::Hive;

constexpr char kSid[] = "S-1-5-21-1004336348-1177238915-682003330-1001";
constexpr char kUserShell[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr char kShell[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kProfiles[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\";

class UserRedirectTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetRegistry(&registry_);
    platform::SetEnvironment(&environment_);
    environment_.SetVariable("SystemDrive", "C:");
    environment_.SetVariable("USERPROFILE", "C:\\Users\\admin");
    environment_.SetVariable("USERNAME", "admin");
  }
  void TearDown() override {
    platform::SetRegistry(nullptr);
    platform::SetEnvironment(nullptr);
  }
  // Into the registry in use.
  static void Write(Hive hive, const std::string& path, const char* name, std::uint32_t type,
                    const std::string& text) {
    platform::Registry& registry = platform::GetRegistry();
    platform::ScopedKey root(registry, registry.OpenHive(hive));
    platform::ScopedKey key(registry, registry.Create(root.get(), path));
    ASSERT_TRUE(registry.SetValue(key.get(), name, type, text.data(), static_cast<std::uint32_t>(text.size())));
  }

  platform::MemoryRegistry registry_;
  platform::MemoryEnvironment environment_;
};

struct AppDataRow {
  const char* what;
  std::uint32_t userShellType;  // 0: no User Shell Folders value
  const char* userShell;
  const char* shellFolders;  // null: none
  const char* profile;       // ProfileImagePath (REG_EXPAND_SZ); null: none
  const char* appData;       // expected, or null with a problem
  const char* problem;       // a part of it
};

const AppDataRow kAppDataRows[] = {
    {"usual", platform::kRegExpandSz, "%USERPROFILE%\\AppData\\Roaming", nullptr, "%SystemDrive%\\Users\\lin",
     "C:\\Users\\lin\\AppData\\Roaming", nullptr},
    {"case of a name", platform::kRegExpandSz, "%userprofile%\\AppData\\Roaming", nullptr, "%systemdrive%\\Users\\lin",
     "C:\\Users\\lin\\AppData\\Roaming", nullptr},
    {"plain text is not expanded", platform::kRegSz, "\\\\srv\\roam%1%\\lin", nullptr, nullptr,
     "\\\\srv\\roam%1%\\lin", nullptr},
    {"a lone percent sign", platform::kRegExpandSz, "%USERPROFILE%\\50%", nullptr, "D:\\Users\\lin",
     "D:\\Users\\lin\\50%", nullptr},
    {"Shell Folders where User Shell Folders has none", 0, nullptr, "E:\\lin\\AppData", nullptr, "E:\\lin\\AppData",
     nullptr},
    {"another user's variable", platform::kRegExpandSz, "%HOMEDRIVE%%HOMEPATH%\\AppData", nullptr, nullptr, nullptr,
     "%HOMEDRIVE% would be this process's own"},
    {"in the profile folder", platform::kRegExpandSz, "%USERPROFILE%\\AppData", nullptr, "C:\\Users\\%USERNAME%",
     nullptr, "%USERNAME% would be"},
    {"a variable not set", platform::kRegExpandSz, "%ZV_NOT_SET%\\AppData", nullptr, nullptr, nullptr,
     "%ZV_NOT_SET% is not set"},
    {"no profile folder", platform::kRegExpandSz, "%USERPROFILE%\\AppData", nullptr, nullptr, nullptr,
     "names no profile folder"},
    {"no folder at all", 0, nullptr, nullptr, "C:\\Users\\lin", nullptr, "names no folder"},
    {"no full path", platform::kRegSz, "AppData\\Roaming", nullptr, nullptr, nullptr, "is no full path"},
};

TEST_F(UserRedirectTest, AppDataIsTheUsersOwnOrAProblemSaysWhy) {
  for (const AppDataRow& row : kAppDataRows) {
    SCOPED_TRACE(row.what);
    platform::MemoryRegistry registry;
    platform::SetRegistry(&registry);
    const std::string hive = std::string(kSid) + "\\";
    Write(Hive::Users, kSid, "Marker", platform::kRegSz, "x");
    if (row.userShellType) Write(Hive::Users, hive + kUserShell, "AppData", row.userShellType, row.userShell);
    if (row.shellFolders) Write(Hive::Users, hive + kShell, "AppData", platform::kRegSz, row.shellFolders);
    if (row.profile) Write(Hive::LocalMachine, kProfiles + std::string(kSid), "ProfileImagePath",
                           platform::kRegExpandSz, row.profile);
    const platform::Redirection redirection = platform::RedirectToUser(kSid);
    EXPECT_EQ(redirection.redirect != nullptr, row.appData != nullptr) << redirection.problem;
    EXPECT_EQ(redirection.appData, row.appData ? row.appData : "");
    if (row.problem) {
      EXPECT_NE(redirection.problem.find(row.problem), std::string::npos) << redirection.problem;
    }
    EXPECT_EQ(registry.OpenHandles(), 0u);
  }
}

TEST_F(UserRedirectTest, NoHiveOrNoSidIsAProblem) {
  EXPECT_NE(platform::RedirectToUser(kSid).problem.find("is not loaded"), std::string::npos);
  Write(Hive::Users, "S-1-5-21-1\\Sub", "Marker", platform::kRegSz, "x");
  EXPECT_NE(platform::RedirectToUser("S-1-5-21-1\\Sub").problem.find("is not a user's SID"), std::string::npos);
}

TEST_F(UserRedirectTest, TheCurrentUserIsTheServedOneWhileTheRedirectLives) {
  Write(Hive::Users, std::string(kSid) + "\\" + kUserShell, "AppData", platform::kRegSz, "C:\\Users\\lin\\Roaming");
  {
    platform::Redirection redirection = platform::RedirectToUser(kSid);
    ASSERT_TRUE(redirection.redirect) << redirection.problem;
    platform::Registry& registry = platform::GetRegistry();
    {
      platform::ScopedKey user(registry, registry.OpenHive(Hive::CurrentUser));
      platform::ScopedKey key(registry, registry.Create(user.get(), "Software\\Zorvel"));
      ASSERT_TRUE(registry.SetValue(key.get(), "Mine", platform::kRegSz, "1", 1));
    }
    platform::Environment& environment = platform::GetEnvironment();
    std::string value;
    EXPECT_TRUE(environment.GetVariable("appdata", &value));
    EXPECT_EQ(value, "C:\\Users\\lin\\Roaming");
    EXPECT_EQ(environment.RoamingAppDataFolder(), "C:\\Users\\lin\\Roaming");
    EXPECT_FALSE(environment.GetVariable("USERPROFILE", &value));
    EXPECT_FALSE(environment.GetVariable("UserName", &value));
    EXPECT_TRUE(environment.GetVariable("SystemDrive", &value));
  }
  EXPECT_TRUE(registry_.KeyExists(Hive::Users, std::string(kSid) + "\\Software\\Zorvel"));
  EXPECT_FALSE(registry_.KeyExists(Hive::CurrentUser, "Software\\Zorvel"));
  EXPECT_EQ(&platform::GetRegistry(), &registry_);
  EXPECT_EQ(&platform::GetEnvironment(), &environment_);
  EXPECT_EQ(registry_.OpenHandles(), 0u);
}

}  // namespace
