// The machine's user profiles, and the hives of users who are not logged on:
// loaded under our own name, served through the redirect, unloaded.
#include "platform/user_hives.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/user_redirect.h"
#include "tests/fakes/environment.h"
#include "tests/fakes/files.h"
#include "tests/fakes/services.h"
#include "tests/fakes/user_hives.h"

namespace {

using platform::Hive;
using platform::Status;

constexpr char kSid[] = "S-1-5-21-7-8-9-1002";
constexpr char kOwnName[] = "ZorvelBatchPlot-S-1-5-21-7-8-9-1002";
constexpr char kHive[] = "C:\\Users\\lin\\NTUSER.DAT";
constexpr char kWangs[] = "C:\\Users\\wang\\NTUSER.DAT";

class UserHives : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetRegistry(&registry_), platform::SetFiles(&files_), platform::SetEnvironment(&environment_);
    platform::SetUserHives(&hives_);
    environment_.SetVariable("SystemDrive", "C:");
    hives_.AddHiveFile(kHive, {{"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                                {{"AppData", {platform::kRegExpandSz, "%USERPROFILE%\\AppData\\Roaming"}}}}});
    hives_.AddHiveFile(kWangs, {});
  }
  void TearDown() override {
    platform::SetRegistry(nullptr), platform::SetFiles(nullptr), platform::SetEnvironment(nullptr);
    platform::SetUserHives(nullptr);
  }
  // A key; with `folder`, a ProfileList entry that names it.
  void Key(Hive hive, const std::string& path, const char* folder = nullptr) {
    platform::ScopedKey root(registry_, registry_.OpenHive(hive));
    platform::ScopedKey key(registry_, registry_.Create(root.get(), path));
    if (folder) (void)registry_.SetValue(key.get(), "ProfileImagePath", platform::kRegExpandSz, folder,
                                         static_cast<std::uint32_t>(std::strlen(folder)));
  }
  void Profile(const std::string& sid, const char* folder) {
    Key(Hive::LocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\" + sid, folder);
  }
  platform::MemoryRegistry registry_;
  platform::MemoryFiles files_;
  platform::MemoryEnvironment environment_;
  platform::MemoryUserHives hives_{registry_};
};

TEST_F(UserHives, EveryUsersProfileOnceAndWhatIsLeftWithWhy) {
  for (const char* loaded : {".DEFAULT", "S-1-5-18", "S-1-5-21-7-8-9-1001", "S-1-5-21-7-8-9-1001_Classes",
                             "S-1-12-1-11-22-33-44", "ZorvelBatchPlot-S-1-5-21-7-8-9-1009"})
    Key(Hive::Users, loaded);
  const std::pair<const char*, const char*> profiles[] = {
      {"S-1-5-18", "%systemroot%\\system32\\config\\systemprofile"}, {"S-1-5-21-7-8-9-1001", "C:\\Users\\admin"},
      {kSid, "%SystemDrive%\\Users\\lin"}, {"S-1-5-21-7-8-9-1003.bak", "C:\\Users\\wang"},
      {"S-1-5-21-7-8-9-1004", "C:\\Users\\roaming"}, {"S-1-5-21-7-8-9-1005", nullptr},
      {"S-1-12-1-5-6-7-8", "C:\\Users\\entra"}};
  for (const auto& [sid, folder] : profiles) Profile(sid, folder);
  for (const char* file : {kHive, kWangs, "C:\\Users\\entra\\NTUSER.DAT"}) files_.AddFile(file);
  const platform::ProfileSurvey survey = platform::ListProfiles();
  std::string users, skipped;
  for (const platform::UserProfile& user : survey.users)
    users += user.sid + " " + user.folder + " " + user.HiveKey() + " " + user.hiveFile + "\n";
  for (const platform::SkippedProfile& profile : survey.skipped) skipped += profile.name + ": " + profile.reason + "\n";
  EXPECT_EQ(users, std::string("S-1-12-1-11-22-33-44  S-1-12-1-11-22-33-44 \n"
                               "S-1-5-21-7-8-9-1001 C:\\Users\\admin S-1-5-21-7-8-9-1001 \n"
                               "S-1-12-1-5-6-7-8 C:\\Users\\entra ZorvelBatchPlot-S-1-12-1-5-6-7-8 "
                               "C:\\Users\\entra\\NTUSER.DAT\n") +
                       kSid + " C:\\Users\\lin " + kOwnName + " " + kHive + "\n");
  EXPECT_EQ(skipped.find("S-1-5-21-7-8-9-1003.bak: a backup Windows keeps of a damaged profile\n"
                         "S-1-5-21-7-8-9-1004: no C:\\Users\\roaming\\NTUSER.DAT (a roaming profile"),
            0u) << skipped;
  EXPECT_NE(skipped.find("S-1-5-21-7-8-9-1005: HKLM\\"), std::string::npos) << skipped;
  EXPECT_EQ(registry_.OpenHandles(), 0u);
  const std::pair<const char*, bool> names[] = {{"s-1-12-1-1-2-3-4", true}, {"S-1-5-21-", false},
                                                {"S-1-5-21-1--2", false}, {"S-1-5-21-1-2-3-1001.bak", false}};
  for (const auto& [name, user] : names) EXPECT_EQ(platform::IsUserSid(name), user) << name;
}

TEST_F(UserHives, AHiveIsLoadedUnderOurNameServedAndWrittenBackWhenNoKeyIsOpen) {
  Profile(kSid, "C:\\Users\\lin");
  hives_.SetPrivilegesHeld(false);
  EXPECT_EQ(platform::LoadUserHive(kSid, kHive), Status(platform::kErrorNotAllAssigned)) << "no administrator";
  hives_.SetPrivilegesHeld(true);
  ASSERT_TRUE(platform::LoadUserHive(kSid, kHive));
  EXPECT_FALSE(platform::RedirectToUser(kSid, std::string(kOwnName) + "\\Software").redirect) << "one key below HKU";
  {
    const platform::Redirection redirection = platform::RedirectToUser(kSid, kOwnName);
    ASSERT_TRUE(redirection.redirect) << redirection.problem;
    EXPECT_EQ(redirection.appData, "C:\\Users\\lin\\AppData\\Roaming");
    platform::ScopedKey user(registry_, platform::GetRegistry().OpenHive(Hive::CurrentUser));
    platform::ScopedKey key(registry_, registry_.Create(user.get(), "Software\\Zorvel"));
    ASSERT_TRUE(registry_.SetValue(key.get(), "Mine", platform::kRegSz, "1", 1));
    EXPECT_EQ(platform::UnloadUserHive(kSid), Status(platform::kErrorAccessDenied)) << "a key of it is open";
  }
  EXPECT_TRUE(platform::UnloadUserHive(kSid));
  EXPECT_FALSE(registry_.KeyExists(Hive::Users, kOwnName));
  ASSERT_EQ(hives_.File(kHive)->size(), 8u);  // the root, the six levels down to User Shell Folders, Software\Zorvel
  EXPECT_EQ(hives_.File(kHive)->back().path, "Software\\Zorvel");
  EXPECT_EQ(hives_.File(kHive)->back().values.at(0).second.bytes, "1");
  EXPECT_EQ(platform::UnloadUserHive(kSid), Status(platform::kErrorFileNotFound));
}

TEST_F(UserHives, WhatWindowsRefusesToLoad) {
  hives_.HoldFile("C:\\Users\\busy\\NTUSER.DAT");
  hives_.AddOtherFile("C:\\Users\\odd\\NTUSER.DAT");
  EXPECT_EQ(hives_.Load(kOwnName, kHive), Status(platform::kErrorPrivilegeNotHeld)) << "not enabled";
  ASSERT_TRUE(platform::LoadUserHive("S-1-5-21-7-8-9-1003", kWangs));
  Key(Hive::Users, kSid);
  const std::pair<const char*, platform::OsError> rows[] = {
      {kWangs, platform::kErrorSharingViolation},  // loaded already
      {"C:\\Users\\busy\\NTUSER.DAT", platform::kErrorSharingViolation},
      {"C:\\Users\\odd\\NTUSER.DAT", platform::kErrorNotRegistryFile},
      {"C:\\Users\\gone\\NTUSER.DAT", platform::kErrorFileNotFound}};
  for (const auto& [file, error] : rows) EXPECT_EQ(hives_.Load(kOwnName, file), Status(error)) << file;
  EXPECT_EQ(hives_.Load(kSid, kHive), Status(platform::kErrorAlreadyExists)) << "the name is taken";
  EXPECT_EQ(hives_.LoadedNames(), std::vector<std::string>{"ZorvelBatchPlot-S-1-5-21-7-8-9-1003"});
}

TEST_F(UserHives, LeftoversOfOursAreUnloadedAtStartAndNothingElse) {
  ASSERT_TRUE(platform::LoadUserHive(kSid, kHive));
  ASSERT_TRUE(platform::LoadUserHive("S-1-5-21-7-8-9-1003", kWangs));
  Key(Hive::Users, "S-1-5-21-7-8-9-1001");
  platform::ScopedKey users(registry_, registry_.OpenHive(Hive::Users));
  platform::ScopedKey held(registry_, registry_.Open(users.get(), "ZorvelBatchPlot-S-1-5-21-7-8-9-1003"));
  const std::vector<platform::HiveUnload> unloads = platform::UnloadLeftovers();
  ASSERT_EQ(unloads.size(), 2u);
  EXPECT_EQ(unloads[0].name + " " + std::to_string(unloads[0].status.code()) + ", " + unloads[1].name + " " +
                std::to_string(unloads[1].status.code()),
            std::string(kOwnName) + " 0, ZorvelBatchPlot-S-1-5-21-7-8-9-1003 5");
  EXPECT_EQ(hives_.LoadedNames(), std::vector<std::string>{"ZorvelBatchPlot-S-1-5-21-7-8-9-1003"});
  EXPECT_TRUE(registry_.KeyExists(Hive::Users, "S-1-5-21-7-8-9-1001"));
}

}  // namespace
