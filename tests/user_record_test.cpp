// The record of a user's part in that user's hive: read back as written,
// and refused when it is not whole or names more than the user's own part.
#include "record/user_record.h"

#include <gtest/gtest.h>

#include "tests/fakes/registry.h"
#include "tests/fakes/services.h"

namespace {

using platform::Hive;
using Before = TrustedPathChange::Before;

const char kVariables[] = "SOFTWARE\\Autodesk\\AutoCAD\\R24.0\\ACAD-7101:804\\Profiles\\<<未命名|配置>>\\Variables";

UserRecord Lins() {
  TrustedPathChange listed;
  listed.key = kVariables;
  listed.before = Before::Listed;
  listed.original = platform::StoredValue{platform::kRegSz, std::string("C:\\a;\0", 6)};
  TrustedPathChange made;
  made.key = "SOFTWARE\\Autodesk\\AutoCAD\\R23.1\\ACAD-6101:804\\Profiles\\x\\Variables";
  made.createdLevels = 1;
  return {"D:\\CAD\\Zorvel批打印软件", 3, 3, {listed, made}, "C:\\Users\\lin\\AppData\\Roaming\\Zorvel\\zv.ini"};
}

class UserRecordTest : public testing::Test {
 protected:
  void SetUp() override { platform::SetRegistry(&registry_); }
  void TearDown() override { platform::SetRegistry(nullptr); }
  void Set(const char* name, std::uint32_t type, const std::string& bytes) {
    platform::ScopedKey user(registry_, registry_.OpenHive(Hive::CurrentUser));
    platform::ScopedKey key(registry_, registry_.Create(user.get(), kUserRecordKey));
    ASSERT_TRUE(registry_.SetValue(key.get(), name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size())));
  }
  platform::MemoryRegistry registry_;
};

TEST_F(UserRecordTest, ReadsBackAsWritten) {
  ASSERT_TRUE(WriteUserRecord(Lins()));
  const ParsedUserRecord parsed = ReadUserRecord();
  ASSERT_EQ(parsed.state, RecordState::Complete);
  EXPECT_TRUE(parsed.ignoredLines.empty());
  const UserRecord& got = parsed.record;
  EXPECT_EQ(got.installDir, Lins().installDir);
  EXPECT_EQ(got.serial, 3u);
  EXPECT_EQ(got.served, 3u);
  EXPECT_EQ(got.settings, Lins().settings);
  ASSERT_EQ(got.trustedPaths.size(), 2u);
  EXPECT_EQ(got.trustedPaths[0].key, kVariables);
  EXPECT_EQ(got.trustedPaths[0].original->bytes, std::string("C:\\a;\0", 6)) << "with its terminator";
  EXPECT_EQ(got.trustedPaths[1].createdLevels, 1);
  EXPECT_EQ(registry_.OpenHandles(), 0u);
  ASSERT_TRUE(DeleteUserRecord());
  EXPECT_EQ(ReadUserRecord().state, RecordState::Missing);
  EXPECT_TRUE(DeleteUserRecord()) << "nothing there is done";
}

TEST_F(UserRecordTest, WhatIsNoWholeRecordOfTheUsersOwnPart) {
  const std::string header = std::string("[ZorvelInstallRecord]\0Version=2\0", 32);
  struct Row {
    const char* name;
    std::uint32_t type;
    std::string bytes;
    RecordState state;
  };
  const Row rows[] = {
      {"UserPart", platform::kRegMultiSz, header + std::string("File=evil.exe\0[End]\0\0", 22), RecordState::NotARecord},
      {"UserPart", platform::kRegMultiSz, header + std::string("Entry=HKLM|64\0[End]\0\0", 21),
       RecordState::NotARecord},
      {"UserPart", platform::kRegMultiSz, header + std::string("Settings=C:\\a.ini\0", 19), RecordState::Truncated},
      {"UserPart", platform::kRegSz, "[ZorvelInstallRecord]", RecordState::NotARecord},
      {"Serial", platform::kRegSz, "3", RecordState::NotARecord},
      {"Served", platform::kRegDword, std::string("\1\0", 2), RecordState::NotARecord},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.bytes);
    ASSERT_TRUE(WriteUserRecord(Lins()));
    Set(row.name, row.type, row.bytes);
    const ParsedUserRecord parsed = ReadUserRecord();
    EXPECT_EQ(parsed.state, row.state);
    EXPECT_TRUE(parsed.state == RecordState::Truncated || parsed.record.trustedPaths.empty());
  }
}

}  // namespace
