// Faults of a real machine, staged on every runtime (in memory, and under
// Wine against the real registry and file system): whatever goes wrong,
// nothing of the user's is lost and every failure is reported with its cause.
#include <gtest/gtest.h>

#include <string>

#include "install/messages.h"
#include "platform/mbcs.h"
#include "tests/engine_world.h"

namespace {

using platform::Hive;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class EngineOnRuntime : public EngineWorldTest {};

TEST_P(EngineOnRuntime, AProductKeyDeletedBetweenDiscoveryAndInstallIsReportedNotRecreated) {
  RemoveTree(Hive::LocalMachine, Product(2010));
  const InstallReport report = Install();
  EXPECT_EQ(report.outcome, InstallOutcome::Incomplete);
  EXPECT_EQ(report.settingsFailed, 1);
  EXPECT_EQ(report.filesFailed, 0);
  EXPECT_FALSE(KeyExists(Hive::LocalMachine, Product(2010)));
  EXPECT_TRUE(Loaded(2008));
  EXPECT_EQ(world().Read(Acad(2010) + "\\Fonts\\Zorvel_EN.shx"), "Zorvel_EN.shx");
  EXPECT_EQ(ReadText(Hive::CurrentUser, Variables(), "TRUSTEDPATHS"), "D:\\LISP;" + mbcs::ToUpper(InstallDir()));
  ASSERT_EQ(driver_.texts.size(), 1u);
  EXPECT_TRUE(Has(driver_.texts[0], "AutoCAD的注册表项已不存在")) << driver_.texts[0];
  EXPECT_FALSE(Has(driver_.texts[0], "管理员")) << driver_.texts[0];
}

TEST_P(EngineOnRuntime, AFontsFolderThatIsAFileIsLeftAsItIsAndNamedAsAMissingFolder) {
  world().Remove(Acad(2010) + "\\Fonts");
  world().MakeFile(Acad(2010) + "\\Fonts", "the user's");
  const InstallReport report = Install();
  EXPECT_EQ(report.outcome, InstallOutcome::Incomplete);
  EXPECT_EQ(report.filesFailed, 2);
  EXPECT_EQ(world().Read(Acad(2010) + "\\Fonts"), "the user's");
  int failed = 0;
  for (const FileEvent& file : driver_.files) {
    if (file.status) continue;
    ++failed;
    EXPECT_EQ(CauseOfFile(file.status), Cause::FolderMissing) << file.destination << ": " << file.status.code();
  }
  EXPECT_EQ(failed, 2);
  ASSERT_EQ(driver_.texts.size(), 1u);
  EXPECT_TRUE(Has(driver_.texts[0], "缺少所需的子文件夹")) << driver_.texts[0];
  EXPECT_TRUE(Loaded(2010)) << "the rest installs";
}

TEST_P(EngineOnRuntime, AnInstallFolderThatCannotBeMadeIsRefusedBeforeAnythingIsWritten) {
  world().MakeFile(At("file.txt"), "the user's");
  struct Row {
    std::string folderText;
    std::string says;
  };
  const std::string drive = MissingDrive();
  const Row rows[] = {
      {drive + "\\Zorvel\\deeper", "驱动器 " + drive + " 不存在"},
      {At("file.txt\\sub"), At("file.txt") + " 是一个文件，不是文件夹"},
      {At("file.txt"), At("file.txt") + " 是一个文件，不是文件夹"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.folderText);
    driver_ = RecordingDriver();
    request_.folderText = row.folderText;
    EXPECT_EQ(Install().outcome, InstallOutcome::FolderRefused);
    EXPECT_EQ(driver_.notices, std::vector<Notice>{Notice::FolderNotCreated});
    ASSERT_EQ(driver_.texts.size(), 1u);
    EXPECT_TRUE(Has(driver_.texts[0], row.says)) << driver_.texts[0];
    EXPECT_EQ(driver_.steps, 0);
    EXPECT_TRUE(driver_.files.empty());
  }
  EXPECT_EQ(world().Read(At("file.txt")), "the user's");
  EXPECT_FALSE(Loaded(2010));
  EXPECT_EQ(ReadText(Hive::CurrentUser, Variables(), "TRUSTEDPATHS"), "d:\\lisp");
}

TEST_P(EngineOnRuntime, AnApplicationDataFolderOnAMissingDriveIsAskedAboutWithItsCause) {
  struct Row {
    CopyDecision answer;
    InstallOutcome outcome;
  };
  // Ignored, the settings file leaves the install incomplete, never silently whole.
  const Row rows[] = {{CopyDecision::Ignore, InstallOutcome::Incomplete}, {CopyDecision::Abort, InstallOutcome::Aborted}};
  const std::string appData = MissingDrive() + "\\Users\\user\\AppData\\Roaming";
  environment().SetVariable("APPDATA", appData);
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.answer));
    driver_ = RecordingDriver();
    driver_.answers = {row.answer};
    EXPECT_EQ(Install().outcome, row.outcome);
    ASSERT_EQ(driver_.questions.size(), 1u);
    EXPECT_EQ(driver_.failures[0].destination, appData + "\\Zorvel\\Zorvel.Ini");
    EXPECT_EQ(CauseOfFile(driver_.failures[0].status), Cause::FolderMissing) << driver_.failures[0].status.code();
    EXPECT_TRUE(Has(driver_.questions[0], "文件夹 " + appData + "\\Zorvel 不存在，也无法创建")) << driver_.questions[0];
  }
  EXPECT_EQ(world().Read(InstallDir() + "\\ZV_BatchPlot2010.ARX"), "ZV_BatchPlot2010.ARX");
}

INSTANTIATE_FOR_EVERY_REGISTRY(EngineOnRuntime);

}  // namespace
