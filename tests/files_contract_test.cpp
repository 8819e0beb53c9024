// What the installer relies on from the file service, checked against every
// implementation: the in-memory one must not drift from Windows (Wine).
#include <algorithm>
#include <set>

#include "tests/fakes/faulty_files.h"
#include "tests/fakes/files.h"
#include "tests/files_world.h"

namespace {

using platform::FindData;
using platform::FindHandle;
using platform::kAttrArchive;
using platform::kAttrDirectory;
using platform::kAttrHidden;
using platform::kAttrReadOnly;

class FilesContract : public FilesWorldTest {
 protected:
  // name -> attribute word of every entry the pattern lists, "." and ".." too.
  std::vector<std::pair<std::string, std::uint32_t>> Listing(const std::string& pattern) {
    std::vector<std::pair<std::string, std::uint32_t>> entries;
    FindData data;
    FindHandle handle = files().FindFirst(pattern, &data);
    for (bool more = handle != nullptr; more; more = files().FindNext(handle, &data)) {
      entries.emplace_back(data.name, data.attributes);
    }
    files().FindClose(handle);
    return entries;
  }

  std::set<std::string> Names(const std::string& pattern) {
    std::set<std::string> names;
    for (const auto& entry : Listing(pattern)) names.insert(entry.first);
    return names;
  }
};

TEST_P(FilesContract, ListingHoldsDotEntriesAndEveryNameWithItsDirectoryBit) {
  world().MakeFile(At("Data\\a.txt"), "a");
  world().MakeFile(At("Data\\noext"), "n");
  world().MakeFolder(At("Data\\sub"));
  auto entries = Listing(At("Data\\*.*"));
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[0].first, ".");
  EXPECT_EQ(entries[1].first, "..");
  for (const auto& [name, attributes] : entries) {
    bool folder = name == "." || name == ".." || name == "sub";
    EXPECT_EQ((attributes & kAttrDirectory) != 0, folder) << name;
  }
  EXPECT_EQ(Names(At("Data\\*")), Names(At("Data\\*.*")));
}

TEST_P(FilesContract, PatternsSelectNames) {
  world().MakeFile(At("Data\\a.txt"), "a");
  world().MakeFile(At("Data\\B.TXT"), "b");
  world().MakeFile(At("Data\\c.dll"), "c");
  world().MakeFolder(At("Empty"));
  struct Case {
    const char* pattern;
    std::set<std::string> names;
  };
  const Case cases[] = {
      {"Data\\*.txt", {"a.txt", "B.TXT"}},
      {"Data\\?.DLL", {"c.dll"}},
      {"Data\\A.TXT", {"a.txt"}},  // a plain name finds the entry as it is spelt
      {"DATA", {"Data"}},
      {"Empty\\*.*", {".", ".."}},
      {"Data\\", {}},              // a trailing backslash lists nothing
      {"Data\\*.exe", {}},
      {"Missing\\*.*", {}},
      {"Missing", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Names(At(c.pattern)), c.names) << c.pattern;
}

TEST_P(FilesContract, FindHandleEndsAndCloseAcceptsNull) {
  world().MakeFile(At("one.txt"), "1");
  FindData data;
  FindHandle handle = files().FindFirst(At("one.txt"), &data);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(data.name, "one.txt");
  EXPECT_FALSE(files().FindNext(handle, &data));
  EXPECT_FALSE(files().FindNext(handle, &data));
  files().FindClose(handle);
  files().FindClose(nullptr);
}

TEST_P(FilesContract, AttributesOfFilesAndFolders) {
  world().MakeFile(At("f.txt"), "f");
  world().MakeFolder(At("dir"));
  EXPECT_EQ(world().Attributes(At("f.txt")) & (kAttrDirectory | kAttrArchive), kAttrArchive);
  EXPECT_EQ(world().Attributes(At("dir")), kAttrDirectory);
  EXPECT_EQ(world().Attributes(At("DIR\\")), kAttrDirectory);
  std::uint32_t word = 0;
  EXPECT_FALSE(files().GetAttributes(At("f.txt\\"), &word));  // a file is no folder
  EXPECT_FALSE(files().GetAttributes(At("missing"), &word));
  EXPECT_FALSE(files().SetAttributes(At("missing"), kAttrArchive));

  EXPECT_TRUE(files().SetAttributes(At("f.txt"), kAttrArchive | kAttrHidden));
  EXPECT_EQ(world().Attributes(At("F.TXT")), kAttrArchive | kAttrHidden);
}

TEST_P(FilesContract, ReadOnlyAndFolderBitsAreKeptWhereTheFileSystemCan) {
  world().MakeFile(At("f.txt"), "f");
  world().MakeFolder(At("dir"));
  ASSERT_TRUE(files().SetAttributes(At("f.txt"), kAttrReadOnly | kAttrArchive));
  ASSERT_TRUE(files().SetAttributes(At("dir"), kAttrDirectory | kAttrArchive));
  if (world().keepsReadOnly()) {
    EXPECT_EQ(world().Attributes(At("f.txt")), kAttrReadOnly | kAttrArchive);
  }
  if (world().keepsFolderBits()) {
    EXPECT_EQ(world().Attributes(At("dir")), kAttrDirectory | kAttrArchive);
  }
  EXPECT_TRUE(files().SetAttributes(At("f.txt"), kAttrArchive));
  EXPECT_EQ(world().Attributes(At("f.txt")), kAttrArchive);
}

TEST_P(FilesContract, CopyOverwritesAndCarriesTheAttributeWord) {
  world().MakeFile(At("src.txt"), "new");
  world().MakeFile(At("out\\dst.txt"), "old content");
  ASSERT_TRUE(files().SetAttributes(At("src.txt"), kAttrArchive | kAttrHidden));
  EXPECT_TRUE(files().CopyFile(At("src.txt"), At("out\\dst.txt")));
  EXPECT_EQ(world().Read(At("out\\dst.txt")), "new");
  EXPECT_TRUE(files().CopyFile(At("SRC.TXT"), At("out\\fresh.txt")));
  EXPECT_EQ(world().Attributes(At("out\\fresh.txt")), kAttrArchive | kAttrHidden);
  EXPECT_EQ(world().Read(At("src.txt")), "new");
}

TEST_P(FilesContract, CopyFailsWithoutTouchingAnything) {
  world().MakeFile(At("src.txt"), "s");
  world().MakeFolder(At("dir"));
  world().MakeFile(At("dir\\keep.txt"), "keep");
  struct Case {
    const char* source;
    const char* destination;
    platform::OsError error;  // what Windows (Wine) says
  };
  const Case cases[] = {
      {"missing.txt", "dir\\x.txt", platform::kErrorFileNotFound},
      {"dir", "dir2", platform::kErrorAccessDenied},                // a folder is not copied
      {"src.txt", "dir", platform::kErrorAccessDenied},             // nor is a folder overwritten
      {"src.txt", "nowhere\\x.txt", platform::kErrorPathNotFound},  // the destination folder must exist
      {"src.txt", "src.txt", platform::kErrorSharingViolation},     // onto itself
      {"src.txt", "dir\\", platform::kErrorAccessDenied},
  };
  for (const Case& c : cases)
    EXPECT_EQ(files().CopyFile(At(c.source), At(c.destination)).code(), c.error) << c.source << " " << c.destination;
  std::vector<std::string> left = world().List(world().root());
  EXPECT_EQ(std::set<std::string>(left.begin(), left.end()), (std::set<std::string>{"src.txt", "dir"}));
  EXPECT_EQ(world().Read(At("dir\\keep.txt")), "keep");
  EXPECT_EQ(world().Read(At("src.txt")), "s");
}

TEST_P(FilesContract, CopyOntoReadOnlyFileFails) {
  if (!world().keepsReadOnly()) GTEST_SKIP() << "this file system drops the read-only bit";
  world().MakeFile(At("src.txt"), "new");
  world().MakeFile(At("dst.txt"), "old");
  ASSERT_TRUE(files().SetAttributes(At("dst.txt"), kAttrReadOnly));
  EXPECT_EQ(files().CopyFile(At("src.txt"), At("dst.txt")).code(), platform::kErrorAccessDenied);
  EXPECT_EQ(world().Read(At("dst.txt")), "old");
  ASSERT_TRUE(files().SetAttributes(At("dst.txt"), kAttrArchive));
  EXPECT_TRUE(files().CopyFile(At("src.txt"), At("dst.txt")));
}

TEST_P(FilesContract, CreateDirectoryMakesOneLevel) {
  struct Case {
    const char* path;
    bool created;
    const char* thenExists;
  };
  const Case cases[] = {
      {"a", true, "a"},
      {"a", false, "a"},             // exists already
      {"A", false, "a"},             // whatever the case
      {"a\\b\\", true, "a\\b"},      // a trailing backslash is fine
      {"a\\\\c", true, "a\\c"},      // so is a doubled one
      {"x\\y", false, nullptr},      // only one level
      {"a\\.\\d", true, "a\\d"},
      {"a\\d\\..\\e", true, "a\\e"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(files().CreateDirectory(At(c.path)).ok(), c.created) << c.path;
    if (c.thenExists) {
      EXPECT_EQ(world().Attributes(At(c.thenExists)), kAttrDirectory) << c.path;
    }
  }
  EXPECT_FALSE(files().Exists(At("x")));
  EXPECT_EQ(files().CreateDirectory(At("a")).code(), platform::kErrorAlreadyExists);
  EXPECT_EQ(files().CreateDirectory(At("x\\y")).code(), platform::kErrorPathNotFound);
  world().MakeFile(At("file"), "f");
  EXPECT_EQ(files().CreateDirectory(At("file")).code(), platform::kErrorAlreadyExists);
  EXPECT_EQ(files().CreateDirectory(At("file\\sub")).code(), platform::kErrorPathNotFound);
}

TEST_P(FilesContract, ExistsForFilesAndFoldersOnly) {
  world().MakeFile(At("dir\\f.txt"), "f");
  struct Case {
    const char* path;
    bool exists;
  };
  const Case cases[] = {
      {"dir", true},          {"DIR\\F.TXT", true}, {"dir\\", true},
      {"dir\\f.txt\\", false}, {"dir\\g.txt", false}, {"dir\\..\\dir\\f.txt", true},
      {"dir/f.txt", true},    {"f.txt", false},
  };
  for (const Case& c : cases) EXPECT_EQ(files().Exists(At(c.path)), c.exists) << c.path;
  EXPECT_TRUE(files().Exists("C:\\"));
}

TEST_P(FilesContract, PathsLongerThanTheLimitFailEverywhere) {
  world().MakeFile(At("src.txt"), "s");
  std::string folder = At(std::string(200, 'f'));
  ASSERT_TRUE(files().CreateDirectory(folder));
  std::string fits = folder + "\\" + std::string(platform::kMaxPathBytes - folder.size() - 1, 'n');
  std::string tooLong = fits + "x";
  ASSERT_EQ(fits.size(), platform::kMaxPathBytes);

  EXPECT_TRUE(files().CopyFile(At("src.txt"), fits));
  EXPECT_TRUE(files().Exists(fits));
  EXPECT_EQ(files().CopyFile(At("src.txt"), tooLong).code(), platform::kErrorFilenameTooLong);
  EXPECT_EQ(files().CreateDirectory(tooLong).code(), platform::kErrorFilenameTooLong);
  EXPECT_FALSE(files().Exists(tooLong));
  FindData data;
  EXPECT_EQ(files().FindFirst(tooLong, &data), nullptr);
  EXPECT_EQ(world().List(folder), (std::vector<std::string>{fits.substr(folder.size() + 1)}));
}

TEST_P(FilesContract, GbkNamesRoundTrip) {
  const std::string name = "Zorvel批打印软件";
  world().MakeFile(At("src.txt"), "s");
  ASSERT_TRUE(files().CreateDirectory(At(name)));
  EXPECT_TRUE(files().CopyFile(At("src.txt"), At(name + "\\" + name + ".ini")));
  EXPECT_EQ(world().List(At(name)), (std::vector<std::string>{name + ".ini"}));
  EXPECT_EQ(world().Read(At(name + "\\" + name + ".ini")), "s");
}

TEST_P(FilesContract, DeleteFileRemovesFilesOnly) {
  world().MakeFile(At("dir\\f.txt"), "f");
  world().MakeFile(At("批\\文件.txt"), "g");
  struct Case {
    const char* path;
    platform::OsError error;  // 0: deleted
  };
  const Case cases[] = {
      {"dir\\F.TXT", 0},
      {"dir\\f.txt", platform::kErrorFileNotFound},
      {"dir", platform::kErrorAccessDenied},  // a folder is no file
      {"批\\文件.txt", 0},
      {"missing\\f.txt", platform::kErrorPathNotFound},
  };
  for (const Case& c : cases) EXPECT_EQ(files().DeleteFile(At(c.path)).code(), c.error) << c.path;
  EXPECT_TRUE(world().List(At("dir")).empty());
  EXPECT_TRUE(files().Exists(At("dir")));
}

TEST_P(FilesContract, DeleteFileRefusesAReadOnlyFile) {
  if (!world().keepsReadOnly()) GTEST_SKIP() << "this file system drops the read-only bit";
  world().MakeFile(At("ro.txt"), "r");
  ASSERT_TRUE(files().SetAttributes(At("ro.txt"), kAttrReadOnly));
  EXPECT_EQ(files().DeleteFile(At("ro.txt")).code(), platform::kErrorAccessDenied);
  EXPECT_EQ(world().Read(At("ro.txt")), "r");
}

TEST_P(FilesContract, RemoveDirectoryRemovesOnlyAnEmptyFolder) {
  world().MakeFile(At("full\\f.txt"), "f");
  world().MakeFolder(At("empty"));
  world().MakeFolder(At("outer\\inner"));
  struct Case {
    const char* path;
    platform::OsError error;  // 0: removed
  };
  const Case cases[] = {
      {"full", platform::kErrorDirNotEmpty},
      {"outer", platform::kErrorDirNotEmpty},
      {"EMPTY", 0},
      {"empty", platform::kErrorFileNotFound},
      {"full\\f.txt", platform::kErrorDirectory},  // a file is no folder
      {"outer\\inner", 0},
      {"outer", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(files().RemoveDirectory(At(c.path)).code(), c.error) << c.path;
  EXPECT_EQ(world().List(world().root()), std::vector<std::string>{"full"});
  EXPECT_EQ(world().Read(At("full\\f.txt")), "f");
}

TEST_P(FilesContract, ReadFileDeliversTheWholeFileUpToALimit) {
  const std::string bytes("a\0b\r\n\xff\x95\x5C", 8);
  world().MakeFile(At("bin.dat"), bytes);
  world().MakeFile(At("empty.dat"), "");
  world().MakeFolder(At("dir"));
  struct Case {
    const char* path;
    std::size_t limit;
    platform::OsError error;
    const char* content;
  };
  const Case cases[] = {
      {"empty.dat", 0, 0, ""},
      {"bin.dat", 7, platform::kErrorFileTooLarge, nullptr},
      {"missing.dat", 100, platform::kErrorFileNotFound, nullptr},
      {"dir", 100, platform::kErrorAccessDenied, nullptr},
  };
  for (const Case& c : cases) {
    std::string content = "untouched";
    EXPECT_EQ(files().ReadFile(At(c.path), c.limit, &content).code(), c.error) << c.path;
    EXPECT_EQ(content, c.content ? c.content : "untouched") << c.path;
  }
  std::string content;
  ASSERT_TRUE(files().ReadFile(At("BIN.DAT"), 8, &content));
  EXPECT_EQ(content, bytes);
}

TEST_P(FilesContract, WriteFileCreatesOrReplacesWhole) {
  const std::string record = "第一行\r\n|%7C\r\n";
  EXPECT_TRUE(files().WriteFile(At("记录.ini"), "a much longer first version of the file"));
  EXPECT_TRUE(files().WriteFile(At("记录.ini"), record));
  EXPECT_EQ(world().Read(At("记录.ini")), record);
  EXPECT_TRUE(files().WriteFile(At("empty.ini"), ""));
  EXPECT_EQ(world().Read(At("empty.ini")), "");
  EXPECT_EQ(files().WriteFile(At("missing\\x.ini"), "x").code(), platform::kErrorPathNotFound);
  world().MakeFolder(At("dir"));
  EXPECT_FALSE(files().WriteFile(At("dir"), "x"));
  std::vector<std::string> left = world().List(world().root());
  EXPECT_EQ(std::set<std::string>(left.begin(), left.end()), (std::set<std::string>{"记录.ini", "empty.ini", "dir"}))
      << "nothing half-written is left beside them";
  EXPECT_TRUE(world().List(At("dir")).empty());
}

// The failure shim stacks over either file system and fails alike on both.
TEST_P(FilesContract, TheShimFailsCopiesAndFoldersOnPurpose) {
  world().MakeFile(At("s.txt"), "s");
  platform::FaultyFiles faulty(files());
  faulty.FailCopiesTo(At("D.TXT"), 2);
  EXPECT_EQ(faulty.CopyFile(At("s.txt"), At("d.txt")).code(), platform::kErrorSharingViolation);
  EXPECT_EQ(faulty.CopyFile(At("s.txt"), At("d.txt")).code(), platform::kErrorSharingViolation);
  EXPECT_TRUE(faulty.CopyFile(At("s.txt"), At("d.txt")));
  faulty.FailCopiesTo(At("e.txt"), platform::FaultyFiles::kAlways, platform::kErrorAccessDenied);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(faulty.CopyFile(At("s.txt"), At("e.txt")).code(), platform::kErrorAccessDenied);
  faulty.FailCreateDirectory(At("A\\B"));
  EXPECT_TRUE(faulty.CreateDirectory(At("a")));
  EXPECT_EQ(faulty.CreateDirectory(At("a\\b")).code(), platform::kErrorAccessDenied);
  EXPECT_FALSE(files().Exists(At("e.txt")));
  EXPECT_FALSE(files().Exists(At("a\\b")));
  faulty.ClearFailures();
  EXPECT_TRUE(faulty.CopyFile(At("s.txt"), At("e.txt")));
  EXPECT_TRUE(faulty.CreateDirectory(At("a\\b")));
  EXPECT_EQ(world().Read(At("e.txt")), "s");
}

INSTANTIATE_TEST_SUITE_P(AllFileServices, FilesContract, testing::ValuesIn(FilesWorldKinds()), FilesWorldName);

TEST(MemoryFiles, RecordsTheCopiesThatSucceeded) {
  platform::MemoryFiles files;
  ASSERT_TRUE(files.AddFile("C:\\s.txt", "s"));
  EXPECT_TRUE(files.CopyFile("C:\\s.txt", "C:\\d.txt"));
  EXPECT_FALSE(files.CopyFile("C:\\s.txt", "C:\\no\\d.txt"));
  ASSERT_EQ(files.copies().size(), 1u);
  EXPECT_EQ(files.copies()[0].destination, "C:\\d.txt");
}

TEST(MemoryFiles, KeepsEveryAttributeBitAndTheWindowsWordRules) {
  platform::MemoryFiles files;
  ASSERT_TRUE(files.AddFolder("C:\\d", 0x31));
  ASSERT_TRUE(files.AddFile("C:\\f", "", 0x21));
  std::uint32_t word = 0;
  ASSERT_TRUE(files.GetAttributes("C:\\d", &word));
  EXPECT_EQ(word, 0x31u);
  struct Case {
    const char* path;
    std::uint32_t set;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {"C:\\f", 0, platform::kAttrNormal},  // no bits at all reads as "normal"
      {"C:\\f", kAttrDirectory | kAttrReadOnly, kAttrReadOnly},
      {"C:\\d", 0, kAttrDirectory},          // a folder stays a folder
      {"C:\\d", kAttrHidden, kAttrDirectory | kAttrHidden},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(files.SetAttributes(c.path, c.set));
    ASSERT_TRUE(files.GetAttributes(c.path, &word));
    EXPECT_EQ(word, c.expected) << c.path << " " << c.set;
  }
}

TEST(MemoryFiles, DrivesAndRelativePaths) {
  platform::MemoryFiles files;
  EXPECT_TRUE(files.Exists("C:\\"));
  EXPECT_FALSE(files.Exists("D:\\"));
  EXPECT_FALSE(files.CreateDirectory("D:\\x"));
  files.AddDrive('d');
  EXPECT_TRUE(files.CreateDirectory("D:\\x"));
  ASSERT_TRUE(files.AddFile("C:\\work\\f.txt", "f"));
  files.SetCurrentDirectory("C:\\work");
  EXPECT_TRUE(files.Exists("f.txt"));
  EXPECT_TRUE(files.Exists("\\work\\f.txt"));
  EXPECT_FALSE(files.Exists("\\\\server\\share\\f.txt"));
  EXPECT_EQ(files.Content("C:f.txt"), "f");
}

}  // namespace
