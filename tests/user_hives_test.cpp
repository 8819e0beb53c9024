// The machine's user profiles, and the hives of users who are not logged on:
// loaded under our own name, served through the redirect, unloaded.
#include "platform/user_hives.h"

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "platform/user_redirect.h"
#include "tests/fakes/environment.h"
#include "tests/fakes/files.h"
#include "tests/fakes/registry.h"
#include "tests/fakes/services.h"
#include "tests/fakes/user_hives.h"

namespace {

using platform::Hive;
using platform::Status;

constexpr char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\";
constexpr char kSid[] = "S-1-5-21-7-8-9-1002";
constexpr char kHive[] = "C:\\Users\\lin\\NTUSER.DAT";
constexpr char kOwnName[] = "ZorvelBatchPlot-S-1-5-21-7-8-9-1002";
const platform::MemoryUserHives::HiveFile kLinsHive = {
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
     {{"AppData", {platform::kRegExpandSz, "%USERPROFILE%\\AppData\\Roaming"}}}}};

class UserHives : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetRegistry(&registry_), platform::SetFiles(&files_), platform::SetEnvironment(&environment_);
    platform::SetUserHives(&hives_);
    environment_.SetVariable("SystemDrive", "C:");
    files_.AddDrive('C');
  }
  void TearDown() override {
    platform::SetRegistry(nullptr), platform::SetFiles(nullptr), platform::SetEnvironment(nullptr);
    platform::SetUserHives(nullptr);
  }
  void Key(Hive hive, const std::string& path) {
    platform::ScopedKey root(registry_, registry_.OpenHive(hive));
    registry_.Close(registry_.Create(root.get(), path));
  }
  // A ProfileList entry; `folder` null names none.
  void Profile(const std::string& name, const char* folder) {
    Key(Hive::LocalMachine, kProfileList + name);
    if (!folder) return;
    platform::ScopedKey root(registry_, registry_.OpenHive(Hive::LocalMachine));
    platform::ScopedKey key(registry_, registry_.Open(root.get(), kProfileList + name));
    const std::string text(folder);
    ASSERT_TRUE(registry_.SetValue(key.get(), "ProfileImagePath", platform::kRegExpandSz, text.data(),
                                   static_cast<std::uint32_t>(text.size())));
  }
  platform::MemoryRegistry registry_;
  platform::MemoryFiles files_;
  platform::MemoryEnvironment environment_;
  platform::MemoryUserHives hives_{registry_};
};

TEST_F(UserHives, EveryUsersProfileOnceAndWhatIsLeftWithWhy) {
  for (const char* loaded : {".DEFAULT", "S-1-5-18", "S-1-5-19", "S-1-5-21-7-8-9-1001", "S-1-5-21-7-8-9-1001_Classes",
                             "S-1-12-1-11-22-33-44", "ZorvelBatchPlot-S-1-5-21-7-8-9-1009"})
    Key(Hive::Users, loaded);
  Profile("S-1-5-18", "%systemroot%\\system32\\config\\systemprofile");
  Profile("S-1-5-21-7-8-9-1001", "C:\\Users\\admin");
  Profile(kSid, "%SystemDrive%\\Users\\lin");
  Profile("S-1-5-21-7-8-9-1003.bak", "C:\\Users\\wang");
  Profile("S-1-5-21-7-8-9-1004", "C:\\Users\\roaming");
  Profile("S-1-5-21-7-8-9-1005", nullptr);
  Profile("S-1-12-1-5-6-7-8", "C:\\Users\\entra");
  files_.AddFile(kHive);
  files_.AddFile("C:\\Users\\entra\\NTUSER.DAT");
  files_.AddFile("C:\\Users\\wang\\NTUSER.DAT");
  const platform::ProfileSurvey survey = platform::ListProfiles();
  std::vector<std::string> users;
  for (const platform::UserProfile& user : survey.users)
    users.push_back(user.sid + " " + user.folder + " " + user.HiveKey() + " " + user.hiveFile);
  EXPECT_EQ(users, (std::vector<std::string>{"S-1-12-1-11-22-33-44  S-1-12-1-11-22-33-44 ",
                                             "S-1-5-21-7-8-9-1001 C:\\Users\\admin S-1-5-21-7-8-9-1001 ",
                                             "S-1-12-1-5-6-7-8 C:\\Users\\entra ZorvelBatchPlot-S-1-12-1-5-6-7-8 "
                                             "C:\\Users\\entra\\NTUSER.DAT",
                                             std::string(kSid) + " C:\\Users\\lin " + kOwnName + " " + kHive}));
  std::vector<std::string> skipped;
  for (const platform::SkippedProfile& profile : survey.skipped) skipped.push_back(profile.name + ": " + profile.reason);
  ASSERT_EQ(skipped.size(), 3u);
  EXPECT_EQ(skipped[0], "S-1-5-21-7-8-9-1003.bak: a backup Windows keeps of a damaged profile");
  EXPECT_NE(skipped[1].find("S-1-5-21-7-8-9-1004: no C:\\Users\\roaming\\NTUSER.DAT (a roaming profile"), std::string::npos);
  EXPECT_NE(skipped[2].find("S-1-5-21-7-8-9-1005: HKLM\\"), std::string::npos) << skipped[2];
  EXPECT_EQ(registry_.OpenHandles(), 0u);
}

TEST_F(UserHives, OnlyPeoplesAccountsAreUsers) {
  const std::pair<const char*, bool> rows[] = {
      {"S-1-5-21-1004336348-1177238915-682003330-1001", true}, {"s-1-12-1-1-2-3-4", true},
      {"S-1-5-21-1-2-3-1001_Classes", false}, {"S-1-5-18", false}, {"S-1-5-21-", false}, {"S-1-5-21-1--2", false},
      {"S-1-5-21-1-2-3-1001.bak", false}, {".DEFAULT", false}, {"ZorvelBatchPlot-S-1-5-21-1-2-3-4", false}};
  for (const auto& [name, user] : rows) EXPECT_EQ(platform::IsUserSid(name), user) << name;
}

TEST_F(UserHives, AHiveIsLoadedUnderOurNameServedAndWrittenBackWhenNoKeyIsOpen) {
  hives_.AddHiveFile(kHive, kLinsHive);
  Profile(kSid, "C:\\Users\\lin");
  hives_.SetPrivilegesHeld(false);
  EXPECT_EQ(platform::LoadUserHive(kSid, kHive), Status(platform::kErrorNotAllAssigned)) << "no administrator";
  hives_.SetPrivilegesHeld(true);
  ASSERT_TRUE(platform::LoadUserHive(kSid, kHive));
  EXPECT_EQ(platform::LoadUserHive("S-1-5-21-7-8-9-1003", kHive), Status(platform::kErrorSharingViolation));
  EXPECT_FALSE(platform::RedirectToUser(kSid, std::string(kOwnName) + "\\Software").redirect) << "one key below HKU";
  {
    const platform::Redirection redirection = platform::RedirectToUser(kSid, kOwnName);
    ASSERT_TRUE(redirection.redirect) << redirection.problem;
    EXPECT_EQ(redirection.appData, "C:\\Users\\lin\\AppData\\Roaming");
    platform::Registry& registry = platform::GetRegistry();
    platform::ScopedKey user(registry, registry.OpenHive(Hive::CurrentUser));
    platform::ScopedKey key(registry, registry.Create(user.get(), "Software\\Zorvel"));
    ASSERT_TRUE(registry.SetValue(key.get(), "Mine", platform::kRegSz, "1", 1));
    EXPECT_EQ(platform::UnloadUserHive(kSid), Status(platform::kErrorAccessDenied)) << "a key of it is open";
  }
  EXPECT_TRUE(platform::UnloadUserHive(kSid));
  EXPECT_FALSE(registry_.KeyExists(Hive::Users, kOwnName));
  const platform::MemoryUserHives::HiveFile* file = hives_.File(kHive);
  ASSERT_TRUE(file != nullptr);
  ASSERT_EQ(file->size(), 8u);  // the root, the six levels down to User Shell Folders, Software\Zorvel
  EXPECT_EQ(file->back().path, "Software\\Zorvel");
  EXPECT_EQ(file->back().values.at(0).second.bytes, "1");
  EXPECT_EQ(platform::UnloadUserHive(kSid), Status(platform::kErrorFileNotFound));
}

TEST_F(UserHives, WhatWindowsRefusesToLoad) {
  hives_.AddHiveFile(kHive, kLinsHive);
  hives_.HoldFile("C:\\Users\\busy\\NTUSER.DAT");
  hives_.AddOtherFile("C:\\Users\\odd\\NTUSER.DAT");
  EXPECT_EQ(hives_.Load(kOwnName, kHive), Status(platform::kErrorPrivilegeNotHeld)) << "not enabled";
  ASSERT_TRUE(hives_.EnablePrivileges());
  const std::pair<const char*, platform::OsError> rows[] = {
      {"C:\\Users\\busy\\NTUSER.DAT", platform::kErrorSharingViolation},
      {"C:\\Users\\odd\\NTUSER.DAT", platform::kErrorNotRegistryFile},
      {"C:\\Users\\gone\\NTUSER.DAT", platform::kErrorFileNotFound},
  };
  for (const auto& [file, error] : rows) EXPECT_EQ(hives_.Load(kOwnName, file), Status(error)) << file;
  Key(Hive::Users, kSid);
  EXPECT_EQ(hives_.Load(kSid, kHive), Status(platform::kErrorAlreadyExists)) << "the name is taken";
  EXPECT_TRUE(hives_.LoadedNames().empty());
}

TEST_F(UserHives, LeftoversOfOursAreUnloadedAtStartAndNothingElse) {
  hives_.AddHiveFile(kHive, kLinsHive);
  hives_.AddHiveFile("C:\\Users\\wang\\NTUSER.DAT", {});
  ASSERT_TRUE(platform::LoadUserHive(kSid, kHive));
  ASSERT_TRUE(platform::LoadUserHive("S-1-5-21-7-8-9-1003", "C:\\Users\\wang\\NTUSER.DAT"));
  Key(Hive::Users, "S-1-5-21-7-8-9-1001");
  platform::ScopedKey users(registry_, registry_.OpenHive(Hive::Users));
  platform::ScopedKey held(registry_, registry_.Open(users.get(), "ZorvelBatchPlot-S-1-5-21-7-8-9-1003"));
  const std::vector<platform::HiveUnload> unloads = platform::UnloadLeftovers();
  ASSERT_EQ(unloads.size(), 2u);
  EXPECT_EQ(unloads[0].name, "ZorvelBatchPlot-S-1-5-21-7-8-9-1002");
  EXPECT_TRUE(unloads[0].status);
  EXPECT_EQ(unloads[1].status, Status(platform::kErrorAccessDenied));
  EXPECT_EQ(hives_.LoadedNames(), std::vector<std::string>{"ZorvelBatchPlot-S-1-5-21-7-8-9-1003"});
  EXPECT_TRUE(registry_.KeyExists(Hive::Users, "S-1-5-21-7-8-9-1001"));
}

}  // namespace
