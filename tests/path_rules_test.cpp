#include "install/path_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "deploy/file_utils.h"
#include "platform/files.h"
#include "tests/fakes/faulty_files.h"
#include "tests/fakes/files.h"
#include "tests/fakes/message_boxes.h"
#include "tests/fakes/services.h"
#include "tests/files_world.h"

namespace {

// The in-memory file system behind the failure shim, with a log of what the
// rules asked of it: every folder creation attempted (in order), those that
// succeeded, and how often existence was tested.
class RecordingFiles : public platform::Files {
 public:
  RecordingFiles() {
    memory_.AddFolder("C:\\Program Files");
    memory_.AddFile("C:\\boot.ini");
  }
  platform::FindHandle FindFirst(const std::string& pattern, platform::FindData* data) override {
    return faults_.FindFirst(pattern, data);
  }
  bool FindNext(platform::FindHandle handle, platform::FindData* data) override { return faults_.FindNext(handle, data); }
  void FindClose(platform::FindHandle handle) override { faults_.FindClose(handle); }
  bool GetAttributes(const std::string& path, std::uint32_t* attributes) override {
    return faults_.GetAttributes(path, attributes);
  }
  platform::Status SetAttributes(const std::string& path, std::uint32_t attributes) override {
    return faults_.SetAttributes(path, attributes);
  }
  platform::Status CopyFile(const std::string& source, const std::string& destination) override {
    return faults_.CopyFile(source, destination);
  }
  platform::Status CreateDirectory(const std::string& path) override {
    attempts_.push_back(path);
    const platform::Status made = faults_.CreateDirectory(path);
    if (made) created_.push_back(path);
    return made;
  }
  bool Exists(const std::string& path) override {
    ++existsCalls_;
    return faults_.Exists(path);
  }
  platform::Status DeleteFile(const std::string& path) override { return faults_.DeleteFile(path); }
  platform::Status RemoveDirectory(const std::string& path) override { return faults_.RemoveDirectory(path); }
  platform::Status DeleteAtRestart(const std::string& path) override { return faults_.DeleteAtRestart(path); }
  platform::Status ReadFile(const std::string& path, std::size_t limit, std::string* content) override {
    return faults_.ReadFile(path, limit, content);
  }
  platform::Status WriteFile(const std::string& path, const std::string& content) override {
    return faults_.WriteFile(path, content);
  }
  std::string ModulePath() override { return faults_.ModulePath(); }
  std::string CurrentDirectory() override { return faults_.CurrentDirectory(); }

  void SetModulePath(const std::string& path) { memory_.SetModulePath(path); }
  platform::FaultyFiles& faults() { return faults_; }
  const std::vector<std::string>& created() const { return created_; }
  const std::vector<std::string>& attempts() const { return attempts_; }
  int existsCalls() const { return existsCalls_; }

 private:
  platform::MemoryFiles memory_;
  platform::FaultyFiles faults_{memory_};
  std::vector<std::string> created_;
  std::vector<std::string> attempts_;
  int existsCalls_ = 0;
};

class PathRules : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetFiles(&folders_);
    platform::SetMessageBoxes(&boxes_);
  }
  void TearDown() override {
    platform::SetFiles(nullptr);
    platform::SetMessageBoxes(nullptr);
  }

  RecordingFiles folders_;
  platform::MemoryMessageBoxes boxes_;
};

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

// The folder routines' codes as numbers: the tables hold the codes they have
// always returned.
int Code(NameVerdict verdict) { return static_cast<int>(verdict); }
int Code(FolderPathResult result) { return static_cast<int>(result); }

TEST(PathComponent, AcceptsOnlyNamesWithoutForbiddenOrEdgeBytes) {
  struct Case { const char* name; int expected; };
  const Case cases[] = {
      {nullptr, 0}, {"", 0},
      {"Zorvel", 1}, {"a", 1}, {"Zorvel批打印软件", 1}, {"a b", 1}, {"a.b", 1}, {"a\tb", 1},
      {"a..b", 1}, {"\x01", 1}, {"a\x7F" "b", 1}, {"\xFF", 1}, {"#%&'()+,;=@[]^`{}~", 1},
      {" a", 0}, {"a ", 0}, {"\ta", 0}, {"a\t", 0}, {".a", 0}, {"a.", 0}, {".", 0}, {"..", 0}, {" ", 0},
      {"a\"b", 0}, {"a*b", 0}, {"a/b", 0}, {"a:b", 0}, {"a<b", 0}, {"a>b", 0}, {"a?b", 0},
      {"a\\b", 0}, {"a|b", 0},
      // Tested by character: a trail byte is no vertical bar or backslash...
      {"\x81\x7C", 1}, {"\x95\x5C", 1}, {"a\x95\x5C" "b", 1},
      // ...but a lead byte without its trail byte makes no name Windows keeps.
      {"\x81\x2F", 0}, {"\x81", 0}, {"a\x81", 0}, {"\x81;", 0},
      {"a;b", 1},  // a folder name may hold ';' (the install folder may not)
  };
  for (const Case& c : cases)
    EXPECT_EQ(Code(IsValidPathComponent(c.name)), c.expected) << (c.name ? c.name : "(null)");
}

TEST_F(PathRules, CheckOnlyModeJudgesTheFormAndTouchesNothing) {
  struct Case { std::string path; int expected; };
  const Case cases[] = {
      {"", 1}, {"C", 1}, {"C:", 1}, {"C:\\", 0}, {"c:\\", 0}, {"Z:\\", 0}, {"Q:\\", 0},
      {"1:\\", 1}, {"::\\", 1}, {"\\\\server\\share", 1}, {"\\Zorvel", 1}, {"Zorvel\\a", 1},
      {"C\\Zorvel", 1}, {"C:Zorvel", 1}, {"C:/Zorvel", 1}, {"\xC5\xFA:\\", 1},
      {"C:\\Zorvel", 0}, {"c:\\zorvel\\Zorvel批打印软件", 0}, {"C:\\Program Files\\Zorvel", 0},
      {"C:\\Zorvel\\", 1}, {"C:\\\\", 1}, {"C:\\\\Zorvel", 1}, {"C:\\a\\\\b", 1}, {"C:\\a\\b\\\\", 1},
      {"C:\\ a", 1}, {"C:\\a ", 1}, {"C:\\\ta", 1}, {"C:\\a\t", 1}, {"C:\\.a", 1}, {"C:\\a.", 1},
      {"C:\\.", 1}, {"C:\\..", 1}, {"C:\\a\\.\\b", 1}, {"C:\\a\\..\\b", 1}, {"C:\\a b.c", 0},
      {"C:\\x\\a?", 1}, {"C:\\a|b\\c", 1}, {"C:\\a/b", 1}, {"C:\\a:b", 1},
      // By character: 0x7C or 0x5C as a trail byte neither rejects nor splits
      // a name.
      {"C:\\\x81\x7C", 0}, {"C:\\a\\\x81\x7C" "b", 0},
      {"C:\\\x95\x5C" "abc", 0}, {"C:\\\x95\x5C", 0}, {"C:\\\x95\x5C\x5C" "abc", 0},
      {"C:\\\x95\x5C" " abc", 0}, {"C:\\\x95\x5C\x5C", 1},
      {"C:\\\x81\\b", 0}, {"C:\\a\x81" "\\b", 0},  // 81 5C is one character
      {"C:\\\x81", 1}, {"C:\\\x81\x7F" "b", 1}, {"C:\\a\\\x81", 1},  // lead bytes without a trail byte
      // The trusted-path list separates folders with ';'.
      {"C:\\a;b", 1}, {"C:\\a\\b;", 1}, {"C:\\;", 1},
      {"C:\\" + Repeat('a', 256), 0},                 // 259 bytes
      {"C:\\" + Repeat('a', 257), 1},                 // 260 bytes: over the work buffer
      {"C:\\" + Repeat('a', 1000), 1},
      {"C:\\" + Repeat('a', 200) + "\\" + Repeat('b', 55), 0},
      {"C:\\" + Repeat('a', 200) + "\\" + Repeat('b', 56), 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Code(BuildFolderPath(c.path.c_str(), 1)), c.expected) << c.path;
    EXPECT_EQ(Code(BuildFolderPath(c.path.c_str(), 7)), c.expected) << "any non-zero flag checks only: " << c.path;
  }
  EXPECT_EQ(Code(BuildFolderPath(nullptr, 1)), 1);
  EXPECT_EQ(Code(BuildFolderPath(nullptr, 0)), 1);
  EXPECT_TRUE(folders_.attempts().empty());
  EXPECT_EQ(folders_.existsCalls(), 0);
}

TEST_F(PathRules, CreateModeMakesEachLevelFromTheDriveOutwards) {
  struct Case {
    const char* path;
    int expected;
    std::vector<std::string> created;
  };
  const Case cases[] = {
      {"C:\\", 0, {}},
      {"Q:\\", 2, {}},
      {"C:\\Program Files", 0, {}},
      {"C:\\boot.ini", 2, {}},  // a file is no folder
      {"C:\\boot.ini\\sub", 2, {}},
      {"C:\\Zorvel\\Zorvel批打印软件", 0, {"C:\\Zorvel", "C:\\Zorvel\\Zorvel批打印软件"}},
      {"c:\\program files\\Zorvel\\bin", 0, {"c:\\program files\\Zorvel", "c:\\program files\\Zorvel\\bin"}},
      // One folder each, never a stray one named by the lead byte alone.
      {"C:\\\x95\x5C" "abc", 0, {"C:\\\x95\x5C" "abc"}},
      {"C:\\\x81\x5C" "x", 0, {"C:\\\x81\x5C" "x"}},
      {"C:\\\x9C\x5C\\a", 0, {"C:\\\x9C\x5C", "C:\\\x9C\x5C\\a"}},
      {"c:\\o\x8E\x89n\xA2\\a\xCA\x97", 0, {"c:\\o\x8E\x89n\xA2\\a\xCA\x97"}},  // found by fuzzing
      {"Q:\\Zorvel", 2, {}},
      {"C:\\new\\bad?", 1, {}},  // the whole form is checked before anything is made
  };
  for (const Case& c : cases) {
    RecordingFiles fresh;
    platform::SetFiles(&fresh);
    EXPECT_EQ(Code(BuildFolderPath(c.path, 0)), c.expected) << c.path;
    EXPECT_EQ(fresh.created(), c.created) << c.path;
  }
}

TEST_F(PathRules, CreateModeStopsAtTheFirstLevelThatCannotBeMade) {
  folders_.faults().FailCreateDirectory("C:\\a\\b");
  EXPECT_EQ(Code(BuildFolderPath("C:\\a\\b\\c", 0)), 2);
  EXPECT_EQ(folders_.created(), std::vector<std::string>{"C:\\a"});
  EXPECT_EQ(folders_.attempts(), (std::vector<std::string>{"C:\\a", "C:\\a\\b"}));
}

TEST_F(PathRules, DefaultCaptionIsTheProgramFileNameWithoutExtension) {
  struct Case { const char* module; const char* caption; };
  const Case cases[] = {
      {"C:\\dist\\SetUp.exe", "SetUp"},
      {"C:\\dist.v2\\SetUp.EXE", "SetUp"},
      {"D:\\x\\My.Setup.exe", "My.Setup"},
      {"C:\\dist\\SetUp", "SetUp"},
      {"C:\\a\\\x95\x5C" "x.exe", "\x95\x5C" "x"},  // the trail byte 0x5C is no separator
      {"SetUp.exe", "SetUp"},
  };
  for (const Case& c : cases) {
    folders_.SetModulePath(c.module);
    boxes_.Clear();
    EXPECT_EQ(Code(ConfirmFolderPath("C:\\a?")), 1);
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(boxes_.shown()[0].caption, c.caption) << c.module;
  }
}

std::string Question(const std::string& path) {
  return "The folder:\n\n" + path + "\n\ndoes not exist. Do you want the folder to be created?";
}
std::string Invalid(const std::string& path) { return "The folder:\n\n" + path + "\n\nis invalid. Please reenter."; }
std::string NotCreated(const std::string& path) {
  return "The folder:\n\n" + path + "\n\ncan not be created. Please double check.";
}

TEST_F(PathRules, ConfirmAsksOnlyForMissingFoldersAndReportsFailures) {
  struct Box { std::string text; unsigned style; };
  struct Case {
    std::string path;
    std::vector<int> answers;
    int expected;
    std::vector<Box> boxes;
    std::vector<std::string> created;
  };
  const std::string deep = "C:\\Zorvel\\Zorvel批打印软件";
  const std::string percent = "C:\\100%s %d";
  const Case cases[] = {
      {"C:\\Program Files", {}, 0, {}, {}},
      {"c:\\PROGRAM FILES", {}, 0, {}, {}},
      {"C:\\", {}, 0, {}, {}},
      {"C:\\boot.ini", {}, 1, {{Invalid("C:\\boot.ini"), 48}}, {}},  // a file is no folder
      {deep, {platform::kIdNo}, -1, {{Question(deep), 36}}, {}},
      {deep, {platform::kIdCancel}, -1, {{Question(deep), 36}}, {}},
      {deep, {}, -1, {{Question(deep), 36}}, {}},  // the box could not be shown
      {deep, {platform::kIdYes}, 0, {{Question(deep), 36}}, {"C:\\Zorvel", deep}},
      {percent, {platform::kIdYes}, 0, {{Question(percent), 36}}, {percent}},
      {"Q:\\", {platform::kIdYes}, 2, {{Question("Q:\\"), 36}, {NotCreated("Q:\\"), 48}}, {}},
      {"Q:\\Zorvel", {platform::kIdYes}, 2, {{Question("Q:\\Zorvel"), 36}, {NotCreated("Q:\\Zorvel"), 48}}, {}},
      {"Q:\\Zorvel", {platform::kIdNo}, -1, {{Question("Q:\\Zorvel"), 36}}, {}},
      {"C:\\Zorvel\\", {}, 1, {{Invalid("C:\\Zorvel\\"), 48}}, {}},
      {"C:\\a\\\\b", {}, 1, {{Invalid("C:\\a\\\\b"), 48}}, {}},
      {"\\\\server\\share", {}, 1, {{Invalid("\\\\server\\share"), 48}}, {}},
      {"Zorvel", {}, 1, {{Invalid("Zorvel"), 48}}, {}},
      {"C:\\\x81\x7C", {platform::kIdYes}, 0, {{Question("C:\\\x81\x7C"), 36}}, {"C:\\\x81\x7C"}},
      {"C:\\\x81", {}, 1, {{Invalid("C:\\\x81"), 48}}, {}},
      {"C:\\a;b", {}, 1, {{Invalid("C:\\a;b"), 48}}, {}},
      {"C:\\x\\..\\y", {}, 1, {{Invalid("C:\\x\\..\\y"), 48}}, {}},
      {"C:\\" + Repeat('x', 257), {}, 1, {{Invalid("C:\\" + Repeat('x', 257)), 48}}, {}},
  };
  for (const Case& c : cases) {
    RecordingFiles fresh;
    platform::SetFiles(&fresh);
    boxes_.Clear();
    for (int answer : c.answers) boxes_.Answer(answer);
    EXPECT_EQ(Code(ConfirmFolderPath(c.path.c_str())), c.expected) << c.path;
    ASSERT_EQ(boxes_.shown().size(), c.boxes.size()) << c.path;
    for (std::size_t i = 0; i < c.boxes.size(); ++i) {
      EXPECT_EQ(boxes_.shown()[i].text, c.boxes[i].text) << c.path;
      EXPECT_EQ(boxes_.shown()[i].style, c.boxes[i].style) << c.path;
      EXPECT_EQ(boxes_.shown()[i].caption, "SetUp") << c.path;
    }
    EXPECT_EQ(fresh.created(), c.created) << c.path;
    if (c.expected != 0) {
      EXPECT_TRUE(fresh.created().empty()) << c.path;
    }
  }
}

TEST_F(PathRules, ConfirmKeepsLevelsMadeBeforeAFailingOne) {
  folders_.faults().FailCreateDirectory("C:\\Zorvel\\locked");
  boxes_.Answer(platform::kIdYes);
  const char* path = "C:\\Zorvel\\locked\\bin";
  EXPECT_EQ(Code(ConfirmFolderPath(path)), 2);
  EXPECT_EQ(folders_.created(), std::vector<std::string>{"C:\\Zorvel"});
  ASSERT_EQ(boxes_.shown().size(), 2u);
  EXPECT_EQ(boxes_.shown()[1].text, NotCreated(path));
  EXPECT_EQ(boxes_.shown()[1].style, 48u);
}

TEST_F(PathRules, ConfirmOnNullReportsAnEmptyInvalidPath) {
  EXPECT_EQ(Code(ConfirmFolderPath(nullptr)), 1);
  ASSERT_EQ(boxes_.shown().size(), 1u);
  EXPECT_EQ(boxes_.shown()[0].text, Invalid(""));
}


// The same rules on every file service: the real file system (under Wine in
// the Windows test program) must agree with the in-memory one.
class PathRulesOnFiles : public FilesWorldTest {
 protected:
  void SetUp() override {
    FilesWorldTest::SetUp();
    world().SetModulePath(At("SetUp.exe"));
    platform::SetFiles(&files());
    platform::SetMessageBoxes(&boxes_);
  }
  void TearDown() override {
    platform::SetFiles(nullptr);
    platform::SetMessageBoxes(nullptr);
    FilesWorldTest::TearDown();
  }
  bool IsFolder(const std::string& path) { return (world().Attributes(path) & platform::kAttrDirectory) != 0; }

  platform::MemoryMessageBoxes boxes_;
};

TEST_P(PathRulesOnFiles, YesCreatesEveryMissingLevel) {
  const std::string path = At("Zorvel\\Zorvel批打印软件");
  boxes_.Answer(platform::kIdYes);
  EXPECT_EQ(Code(ConfirmFolderPath(path.c_str())), 0);
  EXPECT_TRUE(IsFolder(At("Zorvel")));
  EXPECT_TRUE(IsFolder(path));
  ASSERT_EQ(boxes_.shown().size(), 1u);
  EXPECT_EQ(boxes_.shown()[0].text, Question(path));
  EXPECT_EQ(boxes_.shown()[0].caption, "SetUp");
}

TEST_P(PathRulesOnFiles, ExistingFoldersAreTakenWithoutAQuestionAndFilesAreRefused) {
  world().MakeFolder(At("there"));
  world().MakeFile(At("file.txt"), "x");
  for (const std::string& path : {At("there"), world().root().substr(0, 3)}) {
    EXPECT_EQ(Code(ConfirmFolderPath(path.c_str())), 0) << path;
    EXPECT_EQ(Code(BuildFolderPath(path.c_str(), 0)), 0) << path;
  }
  EXPECT_TRUE(boxes_.shown().empty());
  const std::string file = At("file.txt"), below = At("file.txt\\sub");
  EXPECT_EQ(Code(BuildFolderPath(file.c_str(), 0)), 2);
  EXPECT_EQ(Code(BuildFolderPath(below.c_str(), 0)), 2);
  EXPECT_EQ(Code(ConfirmFolderPath(file.c_str())), 1);
  ASSERT_EQ(boxes_.shown().size(), 1u);
  EXPECT_EQ(boxes_.shown()[0].text, Invalid(file));
  boxes_.Clear();
  boxes_.Answer(platform::kIdYes);
  EXPECT_EQ(Code(ConfirmFolderPath(below.c_str())), 2);
  ASSERT_EQ(boxes_.shown().size(), 2u);
  EXPECT_EQ(boxes_.shown()[1].text, NotCreated(below));
  EXPECT_EQ(world().Read(file), "x");
}

TEST_P(PathRulesOnFiles, ATrailByte5CMakesNoStrayFolder) {
  // 乗 is 81 5C and 淺 9C 5C in GBK: one folder each, named by the whole
  // character.
  for (const char* name : {"\x81\x5C" "x", "\x9C\x5C"}) {
    const std::string path = At(name);
    EXPECT_EQ(Code(BuildFolderPath(path.c_str(), 0)), 0) << path;
    EXPECT_TRUE(IsFolder(path)) << path;
  }
  EXPECT_EQ(world().List(world().root()), (std::vector<std::string>{"\x81\x5C" "x", "\x9C\x5C"}));
}

TEST_P(PathRulesOnFiles, NamesWindowsWouldQuietlyChangeAreRefusedBeforeAnythingIsMade) {
  // Windows drops a trailing space or full stop from a name it creates; the
  // rules refuse such names so the folder made is the folder named.
  for (const char* name : {"new \\sub", "new.\\sub", " new", "new\t"}) {
    const std::string path = At(name);
    EXPECT_EQ(Code(BuildFolderPath(path.c_str(), 0)), 1) << path;
  }
  EXPECT_TRUE(world().List(world().root()).empty());
}

TEST_P(PathRulesOnFiles, AMissingDriveCannotBeCreated) {
  std::string drive;
  for (char letter = 'Q'; letter <= 'Y' && drive.empty(); ++letter) {
    const std::string root = std::string(1, letter) + ":\\";
    if (!files().Exists(root)) drive = root;
  }
  ASSERT_FALSE(drive.empty()) << "every drive letter from Q to Y is taken";
  boxes_.Answer(platform::kIdYes);
  const std::string path = drive + "Zorvel";
  EXPECT_EQ(Code(ConfirmFolderPath(path.c_str())), 2);
  ASSERT_EQ(boxes_.shown().size(), 2u);
  EXPECT_EQ(boxes_.shown()[1].text, NotCreated(path));
  EXPECT_EQ(Code(BuildFolderPath(drive.c_str(), 0)), 2);
}

INSTANTIATE_TEST_SUITE_P(AllFileServices, PathRulesOnFiles, testing::ValuesIn(FilesWorldKinds()), FilesWorldName);

}  // namespace
