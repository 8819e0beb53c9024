// A token without full rights on the in-memory machine: what Windows refuses
// such a token, the registry and the files refuse too, and only while it
// lasts; folders' lists as their parents hand them down.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/registry.h"
#include "tests/fakes/files.h"
#include "tests/fakes/limited_token.h"
#include "tests/fakes/registry.h"
#include "tests/fakes/services.h"

namespace {

using platform::AccessEntry;
using platform::AccessList;
using platform::Hive;
using platform::TokenRights;

constexpr const char* kOwn = platform::MemoryRights::kUserSid;
constexpr std::uint8_t kDown = platform::kInheritToFiles | platform::kInheritToFolders;

class LimitedTokenTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetRegistry(&registry_);
    platform::SetFiles(&files_);
    platform::SetRights(&rights_);
  }
  void TearDown() override {
    platform::SetRegistry(nullptr);
    platform::SetFiles(nullptr);
    platform::SetRights(nullptr);
  }

  // Creates `path` below the hive and writes a value there.
  platform::Status Write(Hive hive, const std::string& path) {
    platform::Registry& registry = platform::GetRegistry();
    platform::ScopedKey root(registry, registry.OpenHive(hive));
    platform::Status status;
    platform::ScopedKey key(registry, registry.Create(root.get(), path, &status));
    if (!key) return status;
    return registry.SetValue(key.get(), "v", platform::kRegSz, "x", 1);
  }

  platform::MemoryRegistry registry_;
  platform::MemoryFiles files_;
  platform::MemoryRights rights_;  // the lists it keeps go with the test
};

TEST_F(LimitedTokenTest, RegistryWritesOutsideTheUsersOwnHivesAreRefused) {
  ASSERT_TRUE(Write(Hive::LocalMachine, "SOFTWARE\\Autodesk\\AutoCAD\\R18.0"));
  struct Row { Hive hive; std::string path; bool refused; };
  const Row rows[] = {
      {Hive::LocalMachine, "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\Applications\\ZV_BatchPlot2010", true},
      {Hive::LocalMachine, "SOFTWARE\\Autodesk\\AutoCAD\\R18.0", true},  // opens, but takes no value
      {Hive::CurrentUser, "SOFTWARE\\Autodesk\\AutoCAD\\R18.0", false},
      {Hive::Users, std::string(kOwn) + "\\Software\\Autodesk", false},
      {Hive::Users, std::string(kOwn) + "_Classes\\Zorvel", false},
      {Hive::Users, "S-1-5-21-1000-2000-3000-500\\Software\\Autodesk", true},
      {Hive::Users, ".DEFAULT\\Software", true},
  };
  for (TokenRights token : {TokenRights::Limited, TokenRights::Standard, TokenRights::Full}) {
    platform::LimitedToken limited(token);
    EXPECT_EQ(platform::GetRights().Token(), token);
    for (const Row& row : rows) {
      const bool refused = row.refused && token != TokenRights::Full;
      EXPECT_EQ(Write(row.hive, row.path), refused ? platform::Status(platform::kErrorAccessDenied) : platform::Status())
          << row.path << " " << static_cast<int>(token);
    }
  }
  EXPECT_TRUE(Write(Hive::LocalMachine, "SOFTWARE\\After"));  // the token is full again
  EXPECT_EQ(platform::GetRights().Token(), TokenRights::Full);
  EXPECT_EQ(registry_.OpenHandles(), 0u);
}

TEST_F(LimitedTokenTest, FilesAreRefusedInSystemFoldersAndWhereTheListGivesNoWrite) {
  platform::LimitedToken limited(TokenRights::Standard);
  platform::MemoryRights& rights = limited.rights();
  const AccessEntry admins{platform::kAdministratorsSid, platform::kAccessFullControl, kDown};
  const AccessEntry usersModify{platform::kUsersSid, platform::kAccessModify, kDown};
  rights.SetAccess("C:\\Locked", {true, {admins, {platform::kUsersSid, platform::kAccessReadExecute, kDown}}});
  rights.SetAccess("C:\\Mine", {true, {admins, {kOwn, platform::kAccessFullControl, kDown}}});
  rights.SetAccess("C:\\Denied", {false, {{platform::kEveryoneSid, platform::kAccessModify, kDown, false}, usersModify}});
  // Inherit-only: it gives the folder's files write, not the folder itself.
  rights.SetAccess("C:\\FilesOnly", {true, {{platform::kUsersSid, platform::kAccessModify,
                                              platform::kInheritToFiles | platform::kInheritOnly}}});
  const std::pair<std::string, bool> rows[] = {
      {"C:\\Program Files\\AutoCAD 2010\\Fonts", true}, {"C:\\PROGRAM FILES (X86)\\AutoCAD 2007", true},
      {"C:\\Windows\\Fonts", true},                     {"C:\\Program Files Extra", false},
      {"C:\\Zorvel", false},  // the drive root lets every signed-in user change it
      {"C:\\Locked", true},                              {"C:\\Locked\\Sub\\Deeper", true},
      {"C:\\Mine\\Sub", false},                          {"C:\\Denied", true},
      {"C:\\FilesOnly", true},
  };
  platform::Files& files = platform::GetFiles();
  for (const auto& [folder, refused] : rows) {
    ASSERT_TRUE(files_.AddFolder(folder) && files_.AddFile(folder + "\\old.txt")) << folder;
    const platform::Status expected = refused ? platform::Status(platform::kErrorAccessDenied) : platform::Status();
    EXPECT_EQ(files.WriteFile(folder + "\\new.txt", "x"), expected) << folder;
    EXPECT_EQ(files.CopyFile(folder + "\\old.txt", folder + "\\copy.txt"), expected) << folder;
    EXPECT_EQ(files.CreateDirectory(folder + "\\made"), expected) << folder;
    EXPECT_EQ(rights.CreateFolder(folder + "\\listed", {true, {admins}}), expected) << folder;
    EXPECT_EQ(files.DeleteFile(folder + "\\old.txt"), expected) << folder;
  }
}

TEST_F(LimitedTokenTest, AFolderShowsWhatItsParentHandsDownAndOnlyItsOwnerMayReList) {
  platform::LimitedToken limited(TokenRights::Limited);
  platform::MemoryRights& rights = limited.rights();
  const AccessEntry admins{platform::kAdministratorsSid, platform::kAccessFullControl, kDown};
  const AccessEntry filesOnly{platform::kUsersSid, platform::kAccessModify, platform::kInheritToFiles};
  ASSERT_TRUE(rights.CreateFolder("C:\\Zorvel", {true, {admins, filesOnly}}).ok());
  ASSERT_TRUE(files_.AddFolder("C:\\Zorvel\\Sub"));
  const std::vector<AccessEntry> handed = {
      {platform::kAdministratorsSid, platform::kAccessFullControl, kDown | platform::kInherited},
      {platform::kUsersSid, platform::kAccessModify,
       platform::kInheritToFiles | platform::kInheritOnly | platform::kInherited}};
  const std::optional<AccessList> sub = rights.FolderAccess("C:\\Zorvel\\Sub");
  ASSERT_TRUE(sub);
  EXPECT_FALSE(sub->isProtected);
  EXPECT_EQ(sub->entries, handed);
  // An administrator's folder: the limited token may not change its list;
  // one that gives the account full control, it may.
  EXPECT_EQ(rights.SetFolderAccess("C:\\Zorvel", {true, {admins}}), platform::Status(platform::kErrorAccessDenied));
  ASSERT_TRUE(files_.AddFolder("C:\\Own"));
  rights.SetAccess("C:\\Own", {true, {{kOwn, platform::kAccessFullControl, kDown}}});
  EXPECT_TRUE(rights.SetFolderAccess("C:\\Own", {true, {admins}}).ok());
}

}  // namespace
