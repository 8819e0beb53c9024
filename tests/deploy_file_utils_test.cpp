// The small file utilities the deployment and the support-file placement share.
#include "deploy/file_utils.h"
#include "tests/fakes/files.h"
#include "tests/deploy_world.h"

namespace {

class FileUtils : public DeployWorldTest {};

TEST_P(FileUtils, PathKindFollowsTheDirectoryBit) {
  world().MakeFile(At("f.txt"), "f");
  world().MakeFolder(At("dir"));
  struct Case {
    std::string path;
    int kind;
  };
  const Case cases[] = {
      {At("f.txt"), kPathFile},   {At("F.TXT"), kPathFile},    {At("dir"), kPathFolder},
      {At("missing"), kPathNothing}, {At("dir\\"), kPathNothing},  // a search pattern must name something
      {At("*.txt"), kPathFile},  // the path is a pattern: its first match decides
  };
  for (const Case& c : cases) EXPECT_EQ(GetPathKind(c.path), c.kind) << c.path;
}

TEST_P(FileUtils, ContentIsComparedAndFingerprintedWhole) {
  struct File {
    const char* name;
    std::string content;
  };
  const File made[] = {{"a", "AutoCAD's driver"}, {"b", "AutoCAD's driver"}, {"c", "AutoCAD's drivex"},
                       {"d", "AutoCAD's driver "}, {"e", ""}, {"f", std::string("\0\x01", 2)}};
  for (const File& f : made) world().MakeFile(At(f.name), f.content);
  for (const File& x : made) {
    for (const File& y : made) {
      const bool same = x.content == y.content;
      EXPECT_EQ(SameContent(At(x.name), At(y.name)), same) << x.name << y.name;
      EXPECT_EQ(FingerprintOf(At(x.name)) == FingerprintOf(At(y.name)), same) << x.name << y.name;
    }
  }
  EXPECT_EQ(FingerprintOf(At("a")), "16:" + FingerprintOf(At("a")).substr(3));
  EXPECT_EQ(FingerprintOf(At("missing")), "");
  EXPECT_FALSE(SameContent(At("missing"), At("missing")));
}

TEST_P(FileUtils, PathKindOfAFolderWithMoreBitsIsStillAFolder) {
  world().MakeFolder(At("dir"));
  (void)files().SetAttributes(At("dir"), 0x31);
  EXPECT_EQ(GetPathKind(At("dir")), kPathFolder);
}

TEST_P(FileUtils, ClearReadOnlyClearsThatBitAlone) {
  world().MakeFile(At("f.txt"), "f");
  ASSERT_TRUE(files().SetAttributes(At("f.txt"), platform::kAttrReadOnly | platform::kAttrHidden | platform::kAttrArchive));
  ClearReadOnly(At("f.txt"));
  EXPECT_EQ(world().Attributes(At("f.txt")), platform::kAttrHidden | platform::kAttrArchive);
  ClearReadOnly(At("missing"));  // nothing to do, nothing said
  EXPECT_FALSE(files().Exists(At("missing")));
}

INSTANTIATE_TEST_SUITE_P(AllFileServices, FileUtils, testing::ValuesIn(FilesWorldKinds()), FilesWorldName);

TEST(GetDataFolder, IsTheProgramsFolderFollowedByData) {
  struct Case {
    const char* program;
    const char* data;
  };
  const Case cases[] = {
      {"C:\\dist\\SetUp.exe", "C:\\dist\\Data"},
      {"C:\\SetUp.exe", "C:\\Data"},
      {"SetUp.exe", "\\Data"},                          // no backslash at all
      {"C:\\a\x95\x5C" "b.exe", "C:\\Data"},           // 0x5C inside a GBK character
      {"C:\\Zorvel批打印软件\\SetUp.exe", "C:\\Zorvel批打印软件\\Data"},
      {"", "\\Data"},
  };
  platform::MemoryFiles files;
  platform::SetFiles(&files);
  for (const Case& c : cases) {
    files.SetModulePath(c.program);
    std::string data = "previous";
    GetDataFolder(data);
    EXPECT_EQ(data, c.data) << c.program;
  }
  platform::SetFiles(nullptr);
}

TEST(GetDataFolder, KeepsAProgramPathLongerThanAnyBufferWhole) {
  platform::MemoryFiles files;
  platform::SetFiles(&files);
  std::string folder = "C:\\" + std::string(400, 'p');
  files.SetModulePath(folder + "\\SetUp.exe");
  std::string data;
  GetDataFolder(data);
  EXPECT_EQ(data, folder + "\\Data");
  platform::SetFiles(nullptr);
}

}  // namespace
