// The install log's lines, and the logging driver that sits in front of the
// driver that answers: every event logged, every answer passed through.
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "run/install_log.h"
#include "tests/fakes/clock.h"
#include "tests/fakes/log_files.h"
#include "tests/fakes/services.h"
#include "tests/fakes/system_info.h"

namespace {

using platform::Hive;
using platform::Status;

TEST(InstallLog, LineHasTimeLevelAndTextOnOneLine) {
  struct Row {
    platform::LocalTime time;
    LogLevel level;
    std::string text;
    std::string line;
  };
  const Row rows[] = {
      {{2023, 12, 18, 9, 5, 3, 42}, LogLevel::Info, "x", "2023-12-18 09:05:03.042 INFO  x"},
      {{2024, 1, 5, 23, 59, 59, 999}, LogLevel::Warn, "w", "2024-01-05 23:59:59.999 WARN  w"},
      {{2024, 1, 5, 0, 0, 0, 0}, LogLevel::Error, "安装\r\n目录", "2024-01-05 00:00:00.000 ERROR 安装  目录"},
  };
  for (const Row& row : rows) EXPECT_EQ(FormatLogLine(row.time, row.level, row.text), row.line);
}

// Answers from a script and records what reaches it.
class AnsweringDriver : public InstallDriver {
 public:
  void OnProgressBegin() override { seen.push_back("begin"); }
  void OnProgressStep() override { seen.push_back("step"); }
  void OnProgressEnd() override { seen.push_back("end"); }
  CopyDecision OnCopyFailed(const FileEvent& failure, const std::string& question) override {
    seen.push_back("ask " + failure.destination + " " + question);
    CopyDecision answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void Tell(Notice, const std::string& text) override { seen.push_back("tell " + text); }
  void OnFile(const FileEvent& event) override { seen.push_back("file " + event.destination); }
  void OnValue(const ValueEvent& event) override { seen.push_back("value " + event.name); }
  void OnLoader(const LoaderWrite& write) override { seen.push_back("loader " + write.keyPath); }
  void OnTrustedPaths(const TrustedPathWrite& write) override { seen.push_back("list " + write.change.key); }
  void OnSupportFile(const SupportFileWrite& write) override { seen.push_back("support " + write.file.destination); }
  void OnFolderLock(const FolderLock& lock) override { seen.push_back("lock " + lock.folder); }
  bool TakeBackUserInstall(const std::string& installDir) override {
    seen.push_back("found " + installDir);
    return true;
  }

  std::deque<CopyDecision> answers;
  std::vector<std::string> seen;
};

class LoggingDriverTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetLogFiles(&files_);
    platform::SetClock(&clock_);
    platform::SetSystemInfo(&system_);
    Status status;
    log_ = CInstallLog::Open("C:\\x.log", &status);
    ASSERT_TRUE(log_);
  }
  void TearDown() override {
    log_.reset();
    platform::SetLogFiles(nullptr);
    platform::SetClock(nullptr);
    platform::SetSystemInfo(nullptr);
  }
  // The lines without their time stamps.
  std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    for (const std::string& line : files_.Lines("C:\\x.log")) lines.push_back(line.substr(24));
    return lines;
  }

  platform::MemoryLogFiles files_;
  platform::FakeClock clock_;
  platform::MemorySystemInfo system_;
  std::unique_ptr<CInstallLog> log_;
};

FileEvent File(FileKind kind, const char* destination, std::uint64_t bytes, Status status) {
  FileEvent event;
  event.kind = kind;
  event.source = "C:\\dist\\Data\\a";
  event.destination = destination;
  event.bytes = bytes;
  event.status = status;
  return event;
}

TrustedPathWrite List(std::optional<std::string> previous, Status status) {
  TrustedPathWrite write;
  write.change.key = "K";
  write.previous = std::move(previous);
  write.list = "D";
  write.status = status;
  return write;
}

TEST_F(LoggingDriverTest, EveryEventIsLoggedAndPassedOn) {
  AnsweringDriver answering;
  LoggingDriver driver(answering, *log_);
  const Status denied(platform::kErrorAccessDenied);
  driver.OnFile(File(FileKind::Payload, "C:\\I\\a", 1048576, Status::Ok()));
  driver.OnFile(File(FileKind::Settings, "C:\\AppData\\Zorvel\\a", 3, Status(platform::kErrorSharingViolation)));
  SupportFileWrite font;
  font.file = File(FileKind::SupportFile, "C:\\AutoCAD\\Fonts\\a", 0, Status(1234));
  driver.OnSupportFile(font);
  LoaderWrite loader;
  loader.keyPath = "K";
  loader.loadCtrls = 2;
  loader.loadCtrlsStatus = denied;
  loader.loader = "D";
  driver.OnLoader(loader);
  driver.OnValue({Hive::LocalMachine, "K", "DisplayName", "D", Status::Ok()});
  driver.OnTrustedPaths(List(std::nullopt, Status::Ok()));
  driver.OnTrustedPaths(List("d:\\lisp", denied));
  driver.Tell(Notice::DataMissing, "一\n\n二");
  driver.OnFolderLock({FolderLock::What::NotLocked, "C:\\I", denied});
  driver.OnFolderLock({FolderLock::What::LeftOpen, "C:\\I", Status::Ok()});
  const std::vector<std::string> expected = {
      "INFO  File C:\\dist\\Data\\a -> C:\\I\\a (1048576 bytes): copied",
      "ERROR Settings file C:\\dist\\Data\\a -> C:\\AppData\\Zorvel\\a (3 bytes): not copied, error 32: "
      "另一个程序正在使用此文件，进程无法访问。",
      "ERROR Support file C:\\dist\\Data\\a -> C:\\AutoCAD\\Fonts\\a: not copied, error 1234",
      "ERROR Registry HKLM\\K LOADCTRLS not written (2), error 5: 拒绝访问。",
      "INFO  Registry HKLM\\K LOADER written: D",
      "INFO  Registry HKLM\\K DisplayName written: D",
      "INFO  Registry HKCU\\K TRUSTEDPATHS before: (none); written: D",
      "ERROR Registry HKCU\\K TRUSTEDPATHS before: d:\\lisp; not written (D), error 5: 拒绝访问。",
      "ERROR Message: 一 二",
      "WARN  Install folder C:\\I: made by an earlier install; its access list could not be set, error 5: 拒绝访问。",
      "WARN  Install folder C:\\I: not made by this program, left as it is: every user can change what it holds, and "
      "AutoCAD trusts what is there",
  };
  EXPECT_EQ(Lines(), expected);
  const std::vector<std::string> passed = {
      "file C:\\I\\a", "file C:\\AppData\\Zorvel\\a", "support C:\\AutoCAD\\Fonts\\a", "loader K",
      "value DisplayName", "list K", "list K", "tell 一\n\n二", "lock C:\\I", "lock C:\\I"};
  EXPECT_EQ(answering.seen, passed);
}

TEST_F(LoggingDriverTest, EachUserOfAnInstallForEveryUserIsOneLine) {
  AnsweringDriver answering;
  LoggingDriver driver(answering, *log_);
  const Status denied(platform::kErrorAccessDenied);
  driver.OnUserSkipped({"S-3.bak", "a backup"});
  UserServed a, b;
  a.sid = "S-4", a.profileFolder = "C:\\Users\\a", a.service.replacedInstall = "E:\\Z";
  a.service.part.trustedPaths = {List("x", Status::Ok()), List("y", denied)};
  a.service.part.trustedPaths[0].gained = false;
  a.service.part.settings = File(FileKind::Settings, "C:\\A\\Zorvel.Ini", 1, Status::Ok());
  b.sid = "S-5", b.loadedHere = true, b.unload = denied, b.service.part.settingsKept = true;
  b.service.part.trustedPaths = {List("x", Status::Ok())};
  b.service.part.productsWithoutProfile = {"P\\"};
  for (const UserServed* user : {&a, &b}) driver.OnUser(*user);
  const std::vector<std::string> expected = {
      "WARN  User profile S-3.bak left to the logon step: a backup",
      "ERROR User S-4 (profile C:\\Users\\a, logged on): TRUSTEDPATHS of K held the folder already; TRUSTEDPATHS of K "
      "not written, error 5: 拒绝访问。; settings file C:\\A\\Zorvel.Ini placed; the record of the installation in "
      "E:\\Z replaced; record written",
      "WARN  User S-5 (profile folder unknown, hive loaded from its file): TRUSTEDPATHS of K gained the folder; the "
      "user's own settings file kept; no profile yet of HKLM\\P (its trusted path follows at a logon after AutoCAD's "
      "first start); record written",
      "ERROR User S-5: hive HKU\\ZorvelBatchPlot-S-5 could not be unloaded (the user gets a temporary profile until it "
      "is), error 5: 拒绝访问。",
  };
  EXPECT_EQ(Lines(), expected);
}

TEST_F(LoggingDriverTest, TheAnsweringDriversDecisionsAreKeptAndLogged) {
  AnsweringDriver answering;
  answering.answers = {CopyDecision::Retry, CopyDecision::Ignore, CopyDecision::Abort};
  LoggingDriver driver(answering, *log_);
  const FileEvent failed = File(FileKind::Payload, "C:\\I\\a", 1, Status(platform::kErrorSharingViolation));
  EXPECT_EQ(driver.OnCopyFailed(failed, "q"), CopyDecision::Retry);
  EXPECT_EQ(driver.OnCopyFailed(failed, "q"), CopyDecision::Ignore);
  EXPECT_EQ(driver.OnCopyFailed(failed, "q"), CopyDecision::Abort);
  driver.OnProgressBegin();
  driver.OnProgressStep();
  driver.OnProgressEnd();
  const std::vector<std::string> expected = {
      "WARN  Copying C:\\I\\a again", "WARN  Going on without C:\\I\\a", "ERROR Install aborted at C:\\I\\a"};
  EXPECT_EQ(Lines(), expected);
  EXPECT_EQ(answering.seen, (std::vector<std::string>{"ask C:\\I\\a q", "ask C:\\I\\a q", "ask C:\\I\\a q", "begin",
                                                       "step", "end"}));
}

TEST_F(LoggingDriverTest, LinesLostToAFailingFileAreCounted) {
  files_.FailWritesAfter("C:\\x.log", 1);
  log_->Info("kept");
  log_->Info("lost");
  log_->Error("lost too");
  EXPECT_EQ(Lines(), std::vector<std::string>{"INFO  kept"});
  EXPECT_EQ(log_->failedWrites(), 2);
}

}  // namespace
