// What a record written ahead of its changes relies on from the append
// service, checked against every implementation: the in-memory one must not
// drift from Windows (Wine). Then the fake's two ends of a process.
#include "tests/fakes/append_files.h"
#include "tests/fakes/faulty_append_files.h"
#include "tests/files_world.h"

namespace {

using platform::AppendHandle;
using platform::ScopedAppend;
using platform::Status;

class AppendFilesContract : public FilesWorldTest {
 protected:
  platform::AppendFiles& appends() { return world().appendFiles(); }
  // Read through the file service, which reads a file open for appending.
  std::string Content(const std::string& path) {
    std::string content = "unreadable";
    EXPECT_TRUE(files().ReadFile(path, 1000, &content)) << path;
    return content;
  }
};

TEST_P(AppendFilesContract, AppendsAtTheEndAndNeverCutsAFileShort) {
  world().MakeFile(At("记录.ini"), "旧的\r\n");
  {
    ScopedAppend file(appends(), appends().Open(At("记录.ini")));
    ASSERT_TRUE(file);
    EXPECT_TRUE(appends().Append(file.get(), "一\r\n"));
    EXPECT_TRUE(appends().Flush(file.get()));
    EXPECT_TRUE(appends().Append(file.get(), ""));
    EXPECT_TRUE(appends().Append(file.get(), "二\r\n"));
    EXPECT_EQ(Content(At("记录.ini")), "旧的\r\n一\r\n二\r\n");
  }
  ScopedAppend again(appends(), appends().Open(At("记录.INI")));
  EXPECT_TRUE(appends().Append(again.get(), "三"));
  EXPECT_EQ(Content(At("记录.ini")), "旧的\r\n一\r\n二\r\n三");
}

TEST_P(AppendFilesContract, OpenMakesAMissingFileAndRefusesWhatWindowsRefuses) {
  world().MakeFolder(At("dir"));
  world().MakeFile(At("held.ini"), "h");
  ScopedAppend held(appends(), appends().Open(At("held.ini")));
  ASSERT_TRUE(held);
  struct Case {
    std::string path;
    platform::OsError error;  // 0: opened
  };
  const Case cases[] = {
      {At("new.ini"), 0},
      {At("missing\\new.ini"), platform::kErrorPathNotFound},
      {At("dir"), platform::kErrorAccessDenied},
      {At("HELD.INI"), platform::kErrorSharingViolation},  // one writer at a time
      {At(std::string(platform::kMaxPathBytes, 'n')), platform::kErrorFilenameTooLong},
  };
  for (const Case& c : cases) {
    Status status(1);
    ScopedAppend file(appends(), appends().Open(c.path, &status));
    EXPECT_EQ(status.code(), c.error) << c.path;
    EXPECT_EQ(static_cast<bool>(file), c.error == 0) << c.path;
  }
  EXPECT_EQ(Content(At("new.ini")), "");
  EXPECT_EQ(Content(At("held.ini")), "h");
  EXPECT_FALSE(files().Exists(At("missing")));
  if (world().keepsReadOnly()) {
    world().MakeFile(At("ro.ini"), "r");
    ASSERT_TRUE(files().SetAttributes(At("ro.ini"), platform::kAttrReadOnly));
    Status status;
    EXPECT_EQ(appends().Open(At("ro.ini"), &status), nullptr);
    EXPECT_EQ(status.code(), platform::kErrorAccessDenied);
  }
}

// The failure shim stacks over either service and fails alike on both.
TEST_P(AppendFilesContract, TheShimFailsOpensAppendsAndFlushesOnPurpose) {
  platform::FaultyAppendFiles faulty(appends());
  faulty.FailOpen(At("other.ini"));
  faulty.FailAppends(At("R.INI"), 1);
  faulty.FailFlushes(At("r.ini"));
  ScopedAppend file(faulty, faulty.Open(At("r.ini")));
  EXPECT_TRUE(faulty.Append(file.get(), "1\r\n"));
  EXPECT_EQ(faulty.Append(file.get(), "2\r\n").code(), platform::kErrorDiskFull);
  EXPECT_EQ(faulty.Flush(file.get()).code(), platform::kErrorDiskFull);
  Status status;
  EXPECT_EQ(faulty.Open(At("other.ini"), &status), nullptr);
  EXPECT_EQ(status.code(), platform::kErrorAccessDenied);
  faulty.ClearFailures();
  EXPECT_TRUE(faulty.Append(file.get(), "3\r\n"));
  EXPECT_TRUE(faulty.Flush(file.get()));
  EXPECT_EQ(Content(At("r.ini")), "1\r\n3\r\n");
  EXPECT_FALSE(files().Exists(At("other.ini")));
}

INSTANTIATE_TEST_SUITE_P(AllAppendServices, AppendFilesContract, testing::ValuesIn(FilesWorldKinds()), FilesWorldName);

TEST(MemoryAppendFiles, AKillKeepsEveryByteAndAPowerCutLosesTheUnflushedTail) {
  using platform::MemoryAppendFiles;
  struct Case {
    const char* end;
    void (*die)(MemoryAppendFiles&);
    std::string left;
  };
  const std::string flushed = "old\r\nflushed\r\n";
  const Case cases[] = {
      {"kill", [](MemoryAppendFiles& a) { a.Kill(); }, flushed + "cached\r\n"},
      {"power cut", [](MemoryAppendFiles& a) { a.PowerCut(); }, flushed},
      {"power cut leaving zeros", [](MemoryAppendFiles& a) { a.PowerCut(MemoryAppendFiles::LostTail::Zeros); },
       flushed + std::string(8, '\0')},
      {"kill, then a power cut before the cache reached the disk",
       [](MemoryAppendFiles& a) {
         a.Kill();
         a.PowerCut();
       },
       flushed},
  };
  for (const Case& c : cases) {
    platform::MemoryFiles files;
    ASSERT_TRUE(files.AddFile("C:\\r.ini", "old\r\n"));
    MemoryAppendFiles appends(files);
    AppendHandle file = appends.Open("C:\\r.ini");
    ASSERT_TRUE(appends.Append(file, "flushed\r\n"));
    ASSERT_TRUE(appends.Flush(file));
    ASSERT_TRUE(appends.Append(file, "cached\r\n"));
    EXPECT_EQ(appends.Unflushed("C:\\R.INI"), 8u);
    c.die(appends);
    EXPECT_EQ(files.Content("C:\\r.ini"), c.left) << c.end;
    EXPECT_EQ(appends.openFiles(), 0u) << c.end;
    ScopedAppend next(appends, appends.Open("C:\\r.ini"));
    EXPECT_TRUE(next) << c.end << ": the dead process holds the file no longer";
  }
}

}  // namespace
