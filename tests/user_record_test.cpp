// The record of a user's part in that user's hive: read back as written,
// and refused when it is not whole or names more than the user's own part.
#include "record/user_record.h"

#include <gtest/gtest.h>

#include "tests/fakes/append_files.h"
#include "tests/fakes/crash_shim.h"
#include "tests/fakes/files.h"
#include "tests/fakes/registry.h"
#include "tests/fakes/services.h"

namespace {

const char kVariables[] = "SOFTWARE\\Autodesk\\AutoCAD\\R24.0\\ACAD-7101:804\\Profiles\\<<未命名|配置>>\\Variables";

class UserRecordTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetRegistry(&registry_);
    TrustedPathChange listed{kVariables, 0, TrustedPathChange::Before::Listed, "",
                             platform::StoredValue{platform::kRegSz, {"C:\\a;\0", 6}}};
    TrustedPathChange made;
    made.key = "SOFTWARE\\Autodesk\\AutoCAD\\R23.1\\ACAD-6101:804\\Profiles\\x\\Variables";
    made.createdLevels = 1;
    ASSERT_TRUE(WriteUserRecord({"D:\\CAD\\Zorvel批打印软件", 3, 2, {listed, made}, "C:\\zv.ini"}));
  }
  void TearDown() override { platform::SetRegistry(nullptr); }
  platform::MemoryRegistry registry_;
};

TEST_F(UserRecordTest, ReadsBackAsWritten) {
  const ParsedUserRecord parsed = ReadUserRecord();
  const UserRecord& got = parsed.record;
  ASSERT_EQ(parsed.state, RecordState::Complete);
  ASSERT_EQ(got.trustedPaths.size(), 2u);
  EXPECT_EQ(got.installDir + " " + std::to_string(got.serial) + " " + std::to_string(got.served) + " " + got.settings,
            "D:\\CAD\\Zorvel批打印软件 3 2 C:\\zv.ini");
  EXPECT_EQ(got.trustedPaths[0].key, kVariables);
  EXPECT_EQ(got.trustedPaths[0].original->bytes, std::string("C:\\a;\0", 6)) << "with its terminator";
  EXPECT_EQ(got.trustedPaths[1].createdLevels, 1);
  EXPECT_EQ(registry_.OpenHandles(), 0u);
  ASSERT_TRUE(DeleteUserRecord());
  EXPECT_EQ(ReadUserRecord().state, RecordState::Missing);
  EXPECT_TRUE(DeleteUserRecord()) << "nothing there is done";
}

TEST_F(UserRecordTest, WhatIsNoWholeRecordOfTheUsersOwnPart) {
  const std::string head("[ZorvelInstallRecord]\0Version=2\0", 32);
  const std::uint32_t kMulti = platform::kRegMultiSz;
  const std::tuple<const char*, std::uint32_t, std::string, RecordState> rows[] = {
      {"UserPart", kMulti, head + std::string("File=evil.exe\0[End]\0\0", 22), RecordState::NotARecord},
      {"UserPart", kMulti, head + std::string("Entry=HKLM|64\0[End]\0\0", 21), RecordState::NotARecord},
      {"UserPart", kMulti, head + std::string("Settings=C:\\a.ini\0", 19), RecordState::Truncated},
      {"UserPart", platform::kRegSz, "[ZorvelInstallRecord]", RecordState::NotARecord},
      {"Serial", platform::kRegSz, "3", RecordState::NotARecord},
      {"Served", platform::kRegDword, std::string("\1\0", 2), RecordState::NotARecord}};
  for (const auto& [name, type, bytes, state] : rows) {
    SetUp();
    platform::ScopedKey user(registry_, registry_.OpenHive(platform::Hive::CurrentUser));
    platform::ScopedKey key(registry_, registry_.Open(user.get(), kUserRecordKey));
    ASSERT_TRUE(registry_.SetValue(key.get(), name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size())));
    const ParsedUserRecord parsed = ReadUserRecord();
    EXPECT_EQ(parsed.state, state) << bytes;
    EXPECT_TRUE(state == RecordState::Truncated || parsed.record.trustedPaths.empty()) << bytes;
  }
}

TEST_F(UserRecordTest, ServingMergesIntoTheFoldersRecordAndReplacesAnotherInstallations) {
  platform::ScopedKey user(registry_, registry_.OpenHive(platform::Hive::CurrentUser));
  platform::ScopedKey key(registry_, registry_.Create(user.get(), kVariables));
  const std::string list = "C:\\A;D:\\CAD\\Zorvel批打印软件";
  ASSERT_TRUE(registry_.SetValue(key.get(), "TRUSTEDPATHS", platform::kRegSz, list.data(), list.size()));
  const UserService same = ServeCurrentUser({"D:\\CAD\\Zorvel批打印软件\\", "", {}}, 4);
  EXPECT_TRUE(same.served && !same.part.trustedPaths.at(0).gained);
  const UserRecord got = ReadUserRecord().record;
  ASSERT_EQ(got.trustedPaths.size(), 2u) << "what the first install found stays";
  EXPECT_EQ(got.trustedPaths[0].original->bytes + got.settings, std::string("C:\\a;\0C:\\zv.ini", 15));
  const std::tuple<const char*, std::uint32_t, bool> asked[] = {
      {"d:\\cad\\Zorvel批打印软件", 4, true}, {"D:\\CAD\\Zorvel批打印软件", 3, false}, {"E:\\Other", 4, false}};
  for (const auto& [folder, serial, served] : asked) EXPECT_EQ(AlreadyServed(folder, serial), served) << folder;
  const UserService other = ServeCurrentUser({"E:\\Other", "", {"SOFTWARE\\Autodesk\\AutoCAD\\R25.0\\A"}}, 1);
  EXPECT_EQ(other.replacedInstall, "D:\\CAD\\Zorvel批打印软件");
  EXPECT_FALSE(other.served) << "no profile of that release yet";
  EXPECT_EQ(ReadUserRecord().record.trustedPaths.size(), 1u) << "the other installation's record is replaced";
}

// A run that dies after any change leaves a record naming each list changed.
TEST_F(UserRecordTest, ARunCutOffAnywhereLeavesARecordNamingWhatItChanged) {
  const std::string profiles = "SOFTWARE\\Autodesk\\AutoCAD\\R24.0\\A\\Profiles\\";
  const std::string lists[] = {profiles + "A\\Variables", profiles + "B\\Variables"};
  for (std::size_t dieAfter = 0, dead = 1; dead; ++dieAfter) {
    platform::MemoryRegistry registry;
    platform::MemoryFiles files;
    platform::MemoryAppendFiles appends(files);
    platform::ScopedKey user(registry, registry.OpenHive(platform::Hive::CurrentUser));
    for (const std::string& list : lists) platform::ScopedKey made(registry, registry.Create(user.get(), list));
    platform::CrashShim crash(registry, files, appends, dieAfter);
    platform::SetRegistry(&crash.registry());
    const bool served = ServeCurrentUser({"E:\\Zv", "", {}}, 1).served;
    platform::SetRegistry(&registry);
    const ParsedUserRecord parsed = ReadUserRecord();
    platform::MemoryRegistry::StoredValue value;
    std::size_t changed = 0;
    for (const std::string& list : lists) changed += registry.Stored(platform::Hive::CurrentUser, list, "TRUSTEDPATHS", &value);
    EXPECT_GE(parsed.state == RecordState::Complete ? parsed.record.trustedPaths.size() : 0, changed) << dieAfter;
    dead = crash.dead();
    EXPECT_EQ(served ? 2u : 0u, dead ? 0u : parsed.record.trustedPaths.size()) << "a whole run's record as ever";
  }
}

}  // namespace
