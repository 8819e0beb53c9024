// The install's texts: the reasons they give are the ones the operating
// system's answers mean, and a reason the user cannot mend is never given
// the advice of one they can.
#include "install/messages.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(Messages, EachErrorCodeGivesTheCauseItMeans) {
  struct Row {
    platform::OsError code;
    Cause asFile, asValue, asSupportPath;
  };
  const Row rows[] = {
      {platform::kErrorFileNotFound, Cause::SourceMissing, Cause::KeyMissing, Cause::NoSupportPath},
      {platform::kErrorPathNotFound, Cause::FolderMissing, Cause::Other, Cause::Other},
      {platform::kErrorInvalidDrive, Cause::FolderMissing, Cause::Other, Cause::Other},
      {platform::kErrorDirectory, Cause::FolderMissing, Cause::Other, Cause::Other},
      {platform::kErrorAccessDenied, Cause::AccessDenied, Cause::AccessDenied, Cause::AccessDenied},
      {platform::kErrorSharingViolation, Cause::InUse, Cause::Other, Cause::Other},
      {platform::kErrorKeyDeleted, Cause::Other, Cause::KeyMissing, Cause::NoSupportPath},
      {platform::kErrorDatatypeMismatch, Cause::Other, Cause::WrongType, Cause::SupportPathKept},
      {platform::kErrorNoUnicodeTranslation, Cause::Other, Cause::Unreadable, Cause::SupportPathKept},
      {platform::kErrorFilenameTooLong, Cause::Other, Cause::Other, Cause::Other},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(CauseOfFile(platform::Status(row.code)), row.asFile) << row.code;
    EXPECT_EQ(CauseOfValue(platform::Status(row.code)), row.asValue) << row.code;
    EXPECT_EQ(CauseOfSupportPath(platform::Status(row.code)), row.asSupportPath) << row.code;
  }
}

TEST(Messages, TheIncompleteWarningNamesEachCauseOnceAndTheLog) {
  struct Row {
    const char* what;
    Shortfall shortfall;
    std::string log;
    std::vector<std::string> says;
    bool administrator;  // advises running as administrator
  };
  const Row rows[] = {
      {"denied", {2, 0, {Cause::AccessDenied}, {}}, "", {"2项AutoCAD设置未能写入注册表，\n", "拒绝访问"}, true},
      {"a font missing from Data", {0, 2, {Cause::SourceMissing}, {}}, "",
       {"2个支持文件未能复制到AutoCAD文件夹，\n", "Data文件夹中缺少所需的文件"}, false},
      {"no Fonts folder", {0, 1, {Cause::FolderMissing}, {}}, "", {"缺少所需的子文件夹"}, false},
      {"AutoCAD open", {0, 1, {Cause::InUse}, {}}, "", {"请关闭AutoCAD"}, false},
      {"a product gone", {1, 0, {Cause::KeyMissing}, {}}, "", {"注册表项已不存在"}, false},
      {"a list that is no text", {1, 0, {Cause::WrongType}, {}}, "", {"不是文本，未作改动"}, false},
      {"other codes", {1, 1, {Cause::Other}, {206, 1117}}, "", {"系统错误代码 206，系统错误代码 1117"}, false},
      {"the settings file", {0, 0, {Cause::FolderMissing}, {}, 0, 1}, "",
       {"1个设置文件未能复制到用户的应用程序数据文件夹，\n\n请将Data文件夹中的设置文件手动复制到该文件夹。"}, false},
      {"users of an install for every user", {0, 0, {Cause::AccessDenied}, {}, 0, 0, 2}, "",
       {"2位用户的受信任路径或设置文件未能写入，\n\n这些用户下次登录Windows时将再次获得这些设置。"}, true},
      {"the plot driver left, alone", {0, 0, {}, {}, 0, 0, 0, true}, "C:\\x.log",
       {"文件已安装，但AutoCAD 2008的打印驱动", "日志文件：C:\\x.log"}, true},
      {"the plot driver left, and a font", {0, 1, {Cause::InUse}, {}, 0, 0, 0, true}, "",
       {"1个支持文件", "请关闭AutoCAD", "\n\nAutoCAD 2008的打印驱动"}, true},
      {"several", {1, 2, {Cause::SourceMissing, Cause::AccessDenied}, {}}, "C:\\logs\\setup.log",
       {"1项AutoCAD设置未能写入注册表，2个支持文件", "Data文件夹中缺少", "拒绝访问", "日志文件：C:\\logs\\setup.log"},
       true},
  };
  for (const Row& row : rows) {
    const std::string text = IncompleteText(row.shortfall, row.log);
    for (const std::string& part : row.says) EXPECT_TRUE(Has(text, part)) << row.what << "\n" << text;
    EXPECT_EQ(Has(text, "管理员身份运行SetUp.exe"), row.administrator) << row.what;
    EXPECT_EQ(Has(text, "日志"), !row.log.empty()) << row.what;
  }
}

TEST(Messages, TheCopyQuestionNamesACauseTheUsualAdviceCannotMend) {
  struct Row {
    platform::OsError code;
    std::string says;
  };
  const std::string usual = "失败，可能原因如下：\n\n1、AutoCAD未关闭\n\n2、系统权限未开放，请以管理者权限登陆系统";
  const Row rows[] = {
      {platform::kErrorSharingViolation, usual},
      {platform::kErrorAccessDenied, usual},
      {platform::kErrorFilenameTooLong, usual},
      {platform::kErrorFileNotFound, "失败：安装文件中缺少 C:\\dist\\Data\\Zorvel.Ini。"},
      {platform::kErrorPathNotFound, "失败：文件夹 Q:\\AppData\\Zorvel 不存在，也无法创建。"},
  };
  for (const Row& row : rows) {
    FileEvent failure;
    failure.source = "C:\\dist\\Data\\Zorvel.Ini";
    failure.destination = "Q:\\AppData\\Zorvel\\Zorvel.Ini";
    failure.status = platform::Status(row.code);
    const std::string text = CopyFailedText(failure);
    EXPECT_EQ(text.rfind("拷贝文件 Q:\\AppData\\Zorvel\\Zorvel.Ini ", 0), 0u) << text;
    EXPECT_TRUE(Has(text, row.says)) << row.code << "\n" << text;
  }
  EXPECT_EQ(CopyFailedText("D:\\x.dll"), "拷贝文件 D:\\x.dll " + usual);
}

TEST(Messages, AFolderRefusalSaysWhatIsWrongWithTheText) {
  struct Row {
    FolderVerdict verdict;
    Notice notice;
    std::string says;
  };
  FolderVerdict invalid, tooLong, noDrive, file, notMade, denied, halfCharacter;
  invalid.refusal = FolderRefusal::Invalid;
  invalid.form = {PathFault::BadName, "a|b"};
  halfCharacter.refusal = FolderRefusal::Invalid;
  halfCharacter.form = {PathFault::LoneSurrogate, "a\x85\x33\xF0\x36"};
  tooLong.refusal = FolderRefusal::TooLong;
  tooLong.subject = "PdfSharp.Charting.dll";
  tooLong.bytes = 260;
  noDrive.refusal = FolderRefusal::NoDrive;
  noDrive.subject = "Q:";
  file.refusal = FolderRefusal::FileInTheWay;
  file.subject = "C:\\x";
  notMade.refusal = FolderRefusal::NotCreated;
  notMade.subject = "C:\\x";
  notMade.status = platform::Status(platform::kErrorFilenameTooLong);
  denied = notMade;
  denied.status = platform::Status(platform::kErrorAccessDenied);
  const Row rows[] = {
      {invalid, Notice::FolderInvalid, "安装目录无效 !\n\nC:\\typed\n\n文件夹名\"a|b\"无效"},
      {tooLong, Notice::FolderTooLong, "文件 PdfSharp.Charting.dll 的完整路径将有260个字节，超过了Windows允许的259个字节"},
      {noDrive, Notice::FolderNotCreated, "驱动器 Q: 不存在"},
      {file, Notice::FolderNotCreated, "C:\\x 是一个文件，不是文件夹"},
      {notMade, Notice::FolderNotCreated, "无法创建安装目录 C:\\x !\n\n系统错误代码 206"},
      {denied, Notice::FolderNotCreated, "拒绝访问：请以管理员身份运行SetUp.exe"},
      {halfCharacter, Notice::FolderInvalid, "安装目录无效 !\n\nC:\\typed\n\n文件夹名\"a\x85\x33\xF0\x36\"含有不完整的字符"},
  };
  for (const Row& row : rows) {
    const std::string text = FolderRefusedText("C:\\typed", row.verdict);
    EXPECT_TRUE(Has(text, row.says)) << text;
    EXPECT_EQ(NoticeOf(row.verdict.refusal), row.notice) << text;
  }
  EXPECT_EQ(NoticeOf(FolderRefusal::Empty), Notice::NoFolder);
  FolderVerdict empty;
  empty.refusal = FolderRefusal::Empty;
  EXPECT_EQ(FolderRefusedText("", empty), "请输入安装目录 !");
}

}  // namespace
