// The uninstall of an installation for every user, on a machine in memory
// with several users, each user's part from that user's own record.
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "platform/mbcs.h"
#include "platform/user_redirect.h"
#include "record/logon_steps.h"
#include "record/user_record.h"
#include "run/setup_run.h"
#include "tests/fakes/user_hives.h"
#include "tests/setup_world.h"

namespace {

using platform::Hive;
using W = SetupWorld;

// Logged on; not logged on (the hive is a file); served by an installation
// in another folder; a roaming profile, with no NTUSER.DAT here.
constexpr char kLin[] = "S-1-5-21-7-8-9-1001", kWang[] = "S-1-5-21-7-8-9-1002", kOther[] = "S-1-5-21-7-8-9-1003",
               kRoaming[] = "S-1-5-21-7-8-9-1004";
constexpr char kWangsHive[] = "C:\\Users\\S-1-5-21-7-8-9-1002\\NTUSER.DAT", kOtherDir[] = "D:\\Other\\Zorvel批打印软件";
constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
               kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\";
const BuildInfo kBuild{20231218, 64};

class EveryUserUninstall : public testing::Test {
 protected:
  void SetUp() override { Build(); }
  void TearDown() override { platform::SetUserHives(nullptr), hives_.reset(), w_.reset(); }

  void Build() {
    hives_.reset(), w_.reset();
    w_ = std::make_unique<W>();
    hives_ = std::make_unique<platform::MemoryUserHives>(w_->registry);
    platform::SetUserHives(hives_.get());
    ASSERT_EQ(ExitCodeNumber(RunSetup(kBuild, {"/S", "/LOG=C:\\install.log"})), 0);
    ParsedRecord parsed = ReadRecord(W::kDefaultInstall);
    parsed.record.allUsers = 3;
    ASSERT_TRUE(WriteRecord(W::kDefaultInstall, parsed.record));
    QuietInstallDriver quiet;
    ASSERT_EQ(WriteLogonSteps(W::kDefaultInstall, "2023,12,18,3", quiet), 0);
    for (const std::string sid : {kLin, kOther, kWang, kRoaming}) {
      w_->Text(Hive::LocalMachine, kProfileList + sid, "ProfileImagePath", "C:\\Users\\" + sid);
      if (sid != kLin && sid != kOther) continue;  // the rest for the users logged on
      w_->Text(Hive::Users, sid + "\\" + kShellFolders, "AppData", "C:\\Users\\" + sid);
      w_->Text(Hive::Users, sid + "\\" + W::kVariables, "TRUSTEDPATHS", "c:\\lisp");
      Serve(sid, sid, sid == kLin ? W::kDefaultInstall : kOtherDir);
    }
    w_->files.AddFile(kWangsHive, "regf");
    hives_->AddHiveFile(kWangsHive, {{kShellFolders, {{"AppData", {platform::kRegSz, "C:\\Users\\wang"}}}},
                                     {W::kVariables, {{"TRUSTEDPATHS", {platform::kRegSz, "e:\\tools"}}}}});
    ASSERT_TRUE(platform::LoadUserHive(kWang, kWangsHive));
    Serve(kWang, platform::OwnHiveName(kWang), W::kDefaultInstall);
    ASSERT_TRUE(platform::UnloadUserHive(kWang));
  }

  // What an installation for every user leaves a user: the folder in the
  // profile's list, the user's record of it, Active Setup's marker.
  void Serve(const std::string& sid, const std::string& hiveKey, const std::string& installDir) {
    const platform::Redirection redirection = platform::RedirectToUser(sid, hiveKey);
    ASSERT_TRUE(redirection.redirect) << redirection.problem;
    CAcadHosts hosts;
    hosts.SetInstallDir(installDir);
    UserRecord record{installDir, 3, 3, {}, redirection.appData + "\\Zorvel\\Zorvel.Ini"};
    for (const TrustedPathWrite& write : hosts.AddTrustedPath()) record.trustedPaths.push_back(write.change);
    ASSERT_TRUE(WriteUserRecord(record));
    w_->Text(Hive::Users, hiveKey + "\\" + kActiveSetupMarkerKey, "Version", "2023,12,18,3");
  }

  std::string List(const std::string& sid) {
    return w_->registry.Stored(Hive::Users, sid + "\\" + W::kVariables, "TRUSTEDPATHS", &stored_) ? stored_.bytes : "";
  }
  // As the last unload wrote it back.
  const platform::MemoryUserHives::Key* WangsKey(const std::string& path) {
    for (const platform::MemoryUserHives::Key& key : *hives_->File(kWangsHive))
      if (mbcs::EqualsNoCase(key.path, path)) return &key;
    return nullptr;
  }
  int Uninstall() { return ExitCodeNumber(RunSetup(kBuild, {"/UNINSTALL", "/S"})); }
  bool Logged(const std::vector<std::string>& parts) { return w_->Logged(W::kTempLog, parts); }

  platform::MemoryRegistry::StoredValue stored_;
  std::unique_ptr<W> w_;
  std::unique_ptr<platform::MemoryUserHives> hives_;
};

TEST_F(EveryUserUninstall, EveryUsersPartGoesAndWhatTheUsersChangedSinceStays) {
  w_->Text(Hive::Users, kLin + std::string("\\") + W::kVariables, "TRUSTEDPATHS", List(kLin) + ";x:\\mine");
  {  // redirected to a folder this process cannot know
    platform::ScopedKey users(w_->registry, w_->registry.OpenHive(Hive::Users)),
        folders(w_->registry, w_->registry.Open(users.get(), kLin + std::string("\\") + kShellFolders));
    ASSERT_TRUE(w_->registry.SetValue(folders.get(), "AppData", platform::kRegExpandSz, "\\\\srv\\%USERNAME%", 16));
  }
  ASSERT_TRUE(platform::LoadUserHive(kWang, kWangsHive)) << "left loaded by a run that was stopped";
  EXPECT_EQ(Uninstall(), 0);
  EXPECT_TRUE(Logged({"INFO ", "Hive HKU\\ZorvelBatchPlot-", kWang, ": unloaded (a run that was stopped"}));
  EXPECT_EQ(mbcs::ToUpper(List(kLin)), "C:\\LISP;X:\\MINE") << "the folder goes, the user's own entry stays";
  EXPECT_EQ(WangsKey(W::kVariables)->values.at(0).second.bytes, "e:\\tools") << "written back into the hive file";
  for (const char* gone : {kUserRecordKey, kActiveSetupMarkerKey}) {
    EXPECT_EQ(WangsKey(gone), nullptr) << gone;
    EXPECT_FALSE(w_->registry.KeyExists(Hive::Users, kLin + std::string("\\") + gone)) << gone;
    EXPECT_TRUE(w_->registry.KeyExists(Hive::Users, kOther + std::string("\\") + gone)) << "another installation's";
  }
  EXPECT_NE(mbcs::ToUpper(List(kOther)).find(mbcs::ToUpper(kOtherDir)), std::string::npos);
  EXPECT_FALSE(w_->registry.KeyExists(Hive::LocalMachine, kActiveSetupKey));
  EXPECT_FALSE(w_->registry.Stored(Hive::LocalMachine, kRunKey, kRunValue, &stored_));
  EXPECT_TRUE(Logged({"INFO ", kWang, std::string("its hive loaded from ") + kWangsHive + "): the user's part taken back"}));
  EXPECT_TRUE(Logged({"WARN ", kOther, "its record is of the installation in D:\\Other", "left as it is"}));
  EXPECT_TRUE(Logged({"WARN ", kRoaming, "NTUSER.DAT (a roaming profile", "not reached"}));
  EXPECT_TRUE(Logged({"Message: ", "已从2位用户", "有1个用户配置文件无法访问", "2位用户APPDATA中的设置文件"}));
  EXPECT_TRUE(Logged({"users: 2 taken back, 1 not reached, 0 not wholly taken back"}));
}

TEST_F(EveryUserUninstall, AUserNotWhollyTakenBackIsTriedAgainByASecondUninstall) {
  const std::tuple<const char*, std::function<void()>, std::string, std::function<void()>> rows[] = {
      {"a hive in use", [this] { ASSERT_TRUE(hives_->EnablePrivileges() && hives_->Load("elsewhere", kWangsHive)); },
       "could not be loaded): the user's part not wholly taken back, error 32",
       [this] { ASSERT_TRUE(hives_->Unload("elsewhere")); }},
      {"a list the user's registry refuses to change",
       [this] { w_->faultyRegistry.DenyWrites(Hive::Users, kLin + std::string("\\") + W::kVariables); },
       "Variables: not removed, error 5", [this] { w_->faultyRegistry.ClearFaults(); }},
  };
  for (const auto& [what, stage, logged, clear] : rows) {
    SCOPED_TRACE(what);
    if (!w_->files.Exists(W::kDefaultInstall)) Build();
    stage();
    EXPECT_EQ(Uninstall(), 7);
    EXPECT_TRUE(Logged({"ERROR", logged}));
    EXPECT_TRUE(Logged({"Message: ", "1位用户的设置未能全部撤销"}));
    EXPECT_EQ(ReadRecord(W::kDefaultInstall).record.allUsers, 3u);
    EXPECT_FALSE(w_->registry.KeyExists(Hive::LocalMachine, kActiveSetupKey)) << "no user is served again meanwhile";
    clear();
    EXPECT_EQ(Uninstall(), 0);
    EXPECT_EQ(List(kLin), "c:\\lisp");
  }
}

}  // namespace
