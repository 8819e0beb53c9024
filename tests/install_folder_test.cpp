// The folder text of the setup dialog (and of the command line) on its way to
// becoming the install folder: what is refused before anything is made, and
// how the folder is made, on every file service.
#include "install/install_folder.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "deploy/file_utils.h"
#include "deploy/folder_access.h"
#include "deploy/product.h"
#include "record/install_record.h"
#include "tests/fakes/faulty_files.h"
#include "tests/fakes/rights.h"
#include "tests/fakes/services.h"
#include "tests/files_world.h"

namespace {

const std::string kSub = std::string("\\") + kProductFolder;  // 17 bytes
const std::vector<std::string> kNames = {"ZV_BatchPlot2008.ARX", "PdfSharp.Charting.dll", "a.txt"};

// A folder text whose install folder has exactly `bytes` bytes.
std::string TextFor(std::size_t bytes) { return "C:\\" + std::string(bytes - 3 - kSub.size(), 'f'); }

TEST(FolderText, IsRefusedUnlessItIsAWholePathOfGoodFormThatLeavesRoomForEveryFile) {
  struct Row {
    std::string text;
    FolderRefusal refusal;
    PathFault fault;
    std::string installDir;  // when the form is good
  };
  const Row rows[] = {
      {"C:\\Zorvel", FolderRefusal::None, PathFault::None, "C:\\Zorvel" + kSub},
      {"C:\\Zorvel\\", FolderRefusal::None, PathFault::None, "C:\\Zorvel" + kSub},
      {"d:\\", FolderRefusal::None, PathFault::None, "d:" + kSub},
      {"C:\\工具嘰", FolderRefusal::None, PathFault::None, "C:\\工具嘰" + kSub},  // 嘰 ends in 0x5C
      {"C:\\\x81\x5C", FolderRefusal::None, PathFault::None, "C:\\\x81\x5C" + kSub},
      // "Zorvel 한", and a lone high surrogate, in their four-byte forms.
      {"C:\\Zorvel \x85\x33\xAD\x30\\", FolderRefusal::None, PathFault::None, "C:\\Zorvel \x85\x33\xAD\x30" + kSub},
      {"C:\\a\x85\x33\xF0\x36", FolderRefusal::Invalid, PathFault::LoneSurrogate, ""},
      {"C:\\a\x8F\x30\x81\x30", FolderRefusal::Invalid, PathFault::BadName, ""},
      {"", FolderRefusal::Empty, PathFault::None, ""},
      {"Zorvel", FolderRefusal::Invalid, PathFault::NotAbsolute, ""},
      {"C:", FolderRefusal::Invalid, PathFault::NotAbsolute, ""},
      {"C:Zorvel", FolderRefusal::Invalid, PathFault::NotAbsolute, ""},
      {"\\\\server\\share", FolderRefusal::Invalid, PathFault::NotAbsolute, ""},
      {"\\", FolderRefusal::Invalid, PathFault::NotAbsolute, ""},
      {"C:\\Zorvel\\\\", FolderRefusal::Invalid, PathFault::EmptyName, ""},
      {"C:\\\\Zorvel", FolderRefusal::Invalid, PathFault::EmptyName, ""},
      {"C:\\a;b", FolderRefusal::Invalid, PathFault::Semicolon, ""},
      {"C:\\x\\..\\y", FolderRefusal::Invalid, PathFault::BadName, ""},
      {"C:\\x\\.", FolderRefusal::Invalid, PathFault::BadName, ""},
      {"C:\\bad|name", FolderRefusal::Invalid, PathFault::BadName, ""},
      {"C:\\trailing ", FolderRefusal::Invalid, PathFault::BadName, ""},
      {"C:\\\x81", FolderRefusal::Invalid, PathFault::BadName, ""},
      {std::string("C:\\a\0b", 6), FolderRefusal::Invalid, PathFault::BadName, ""},
      // The longest name, PdfSharp.Charting.dll (21 bytes), and a backslash
      // must fit behind the install folder within 259 bytes.
      {TextFor(237), FolderRefusal::None, PathFault::None, TextFor(237) + kSub},
      {TextFor(238), FolderRefusal::TooLong, PathFault::None, TextFor(238) + kSub},
      {TextFor(238) + "\\", FolderRefusal::TooLong, PathFault::None, TextFor(238) + kSub},
  };
  for (const Row& row : rows) {
    const FolderVerdict verdict = CheckFolderText(row.text, kNames);
    EXPECT_EQ(verdict.refusal, row.refusal) << row.text;
    EXPECT_EQ(verdict.form.fault, row.fault) << row.text;
    EXPECT_EQ(verdict.installDir, row.installDir) << row.text;
  }
}

TEST(FolderText, TooLongNamesTheFileThatWouldNotFitAndItsLength) {
  struct Row {
    std::vector<std::string> names;
    std::size_t installDirBytes;
    const char* subject;  // nullptr: accepted
    std::size_t bytes;
  };
  const Row rows[] = {
      {kNames, 238, "PdfSharp.Charting.dll", 260},
      {{"ZV_BatchPlot2008.ARX", "a.txt"}, 238, nullptr, 0},
      {{"ZV_BatchPlot2008.ARX", "a.txt"}, 239, "ZV_BatchPlot2008.ARX", 260},
      {{"a", "longest-of-all.txt", "b", "longest-of-all.dat"}, 250, "longest-of-all.txt", 269},
      {{}, 259, nullptr, 0},
      {{}, 260, nullptr, 260},  // no file at all: the folder itself
  };
  for (const Row& row : rows) {
    const FolderVerdict verdict = CheckFolderText(TextFor(row.installDirBytes), row.names);
    SCOPED_TRACE(row.installDirBytes);
    if (!row.bytes) {
      EXPECT_TRUE(verdict.accepted());
      continue;
    }
    EXPECT_EQ(verdict.refusal, FolderRefusal::TooLong);
    EXPECT_EQ(verdict.subject, row.subject ? row.subject : verdict.installDir);
    EXPECT_EQ(verdict.bytes, row.bytes);
  }
}

TEST(FolderText, NamesTheNameItRefuses) {
  EXPECT_EQ(CheckFolderText("C:\\ok\\bad|name\\x", kNames).form.name, "bad|name");
  EXPECT_EQ(CheckFolderText("C:\\ok\\a;b", kNames).form.name, "a;b");
}

class InstallFolderOnFiles : public FilesWorldTest {
 protected:
  void SetUp() override {
    FilesWorldTest::SetUp();
    faults_ = std::make_unique<platform::FaultyFiles>(files());
    rights_ = std::make_unique<platform::MemoryRights>(*faults_);
    platform::SetFiles(faults_.get());
    platform::SetRights(rights_.get());
  }
  void TearDown() override {
    platform::SetRights(nullptr);
    platform::SetFiles(nullptr);
    FilesWorldTest::TearDown();
  }
  std::unique_ptr<platform::FaultyFiles> faults_;
  std::unique_ptr<platform::MemoryRights> rights_;
};

// The product folder only administrators can change: made so, or an earlier
// install's (its record is there) locked; another's left as it is. The parent
// is made as its parent hands down.
TEST_P(InstallFolderOnFiles, TheProductFolderIsLockedWhenItIsOurs) {
  using platform::TokenRights;
  using What = FolderLock::What;
  const platform::AccessList full = LockedFolderAccess(TokenRights::Full, ""),
                             limited = LockedFolderAccess(TokenRights::Limited, platform::MemoryRights::kUserSid),
                             open = platform::MemoryRights::InheritedFromDriveRoot(),
                             denied{true, {{platform::kEveryoneSid, platform::kAccessModify, 0, false}}},
                             interactive{true, {{platform::kInteractiveSid, 0x00000002 /*add a file*/, 0}}};
  struct Row {
    TokenRights token;
    std::optional<platform::AccessList> before;  // the folder is there, with this list
    bool record;
    What what;
    platform::AccessList after;
  };
  const Row rows[] = {
      {TokenRights::Full, {}, false, What::Made, full},         {TokenRights::Limited, {}, false, What::Made, limited},
      {TokenRights::Full, open, true, What::Locked, full},      {TokenRights::Standard, limited, true, What::Locked, limited},
      {TokenRights::Full, open, false, What::LeftOpen, open},   {TokenRights::Full, full, false, What::LeftAsIs, full},
      {TokenRights::Full, denied, false, What::LeftAsIs, denied},
      {TokenRights::Full, interactive, false, What::LeftOpen, interactive},
  };
  for (const Row& row : rows) {
    const std::string parent = At("row" + std::to_string(&row - rows)), installDir = parent + kSub;
    rights_->SetToken(row.token);
    if (row.before) (void)world().MakeFolder(installDir), rights_->SetAccess(installDir, *row.before);
    if (row.record) world().MakeFile(RecordPath(installDir), "the record");
    const FolderVerdict verdict = MakeInstallFolder(installDir);
    EXPECT_EQ(verdict.lock.what, row.what) << installDir;
    EXPECT_EQ(rights_->FolderAccess(installDir), row.after) << installDir;
    EXPECT_EQ(rights_->FolderAccess(parent), open) << installDir;
  }
}

TEST_P(InstallFolderOnFiles, EveryMissingLevelIsMadeFromTheDriveOutwards) {
  world().MakeFolder(At("there"));
  const std::string installDir = At("there\\new\\deeper") + kSub;
  const FolderVerdict verdict = MakeInstallFolder(installDir);
  EXPECT_TRUE(verdict.accepted());
  EXPECT_EQ(verdict.installDir, installDir);
  EXPECT_TRUE(IsFolder(installDir));
  EXPECT_TRUE(MakeInstallFolder(installDir).accepted()) << "a folder that is there already";
}

TEST_P(InstallFolderOnFiles, AFileInTheWayIsRefusedBeforeAnythingIsMade) {
  world().MakeFile(At("file"), "the user's");
  world().MakeFile(At("a\\b") + kSub, "also the user's");
  struct Row { std::string installDir, inTheWay; };
  const Row rows[] = {
      {At("file"), At("file")},
      {At("file\\below") + kSub, At("file")},
      {At("a\\b") + kSub, At("a\\b") + kSub},
  };
  for (const Row& row : rows) {
    const FolderVerdict verdict = MakeInstallFolder(row.installDir);
    EXPECT_EQ(verdict.refusal, FolderRefusal::FileInTheWay) << row.installDir;
    EXPECT_EQ(verdict.subject, row.inTheWay) << row.installDir;
  }
  EXPECT_EQ(world().Read(At("file")), "the user's");
  EXPECT_EQ(world().Read(At("a\\b") + kSub), "also the user's");
  EXPECT_EQ(world().List(At("a\\b")), std::vector<std::string>{kProductFolder});
}

TEST_P(InstallFolderOnFiles, AMissingDriveIsRefused) {
  std::string drive;
  for (char letter = 'Q'; letter <= 'Y' && drive.empty(); ++letter) {
    const std::string root = std::string(1, letter) + ":";
    if (!files().Exists(root + "\\")) drive = root;
  }
  ASSERT_FALSE(drive.empty()) << "every drive letter from Q to Y is taken";
  const FolderVerdict verdict = MakeInstallFolder(drive + "\\Zorvel" + kSub);
  EXPECT_EQ(verdict.refusal, FolderRefusal::NoDrive);
  EXPECT_EQ(verdict.subject, drive);
}

TEST_P(InstallFolderOnFiles, ALevelThatCannotBeMadeIsNamedWithTheReason) {
  faults_->FailCreateDirectory(At("locked"), platform::kErrorAccessDenied);
  const FolderVerdict verdict = MakeInstallFolder(At("locked\\x") + kSub);
  EXPECT_EQ(verdict.refusal, FolderRefusal::NotCreated);
  EXPECT_EQ(verdict.subject, At("locked"));
  EXPECT_EQ(verdict.status.code(), platform::kErrorAccessDenied);
  EXPECT_TRUE(world().List(world().root()).empty());
}

INSTANTIATE_TEST_SUITE_P(AllFileServices, InstallFolderOnFiles, testing::ValuesIn(FilesWorldKinds()), FilesWorldName);

}  // namespace
