#include "install/messages.h"

#include "deploy/product.h"
#include "platform/files.h"
#include "platform/lookup.h"
#include "platform/mbcs.h"

namespace {

std::string InvalidReason(const PathCheck& form) {
  switch (form.fault) {
    case PathFault::NotAbsolute:
      return "请输入以盘符开头的完整路径，例如 C:\\Zorvel。";
    case PathFault::EmptyName:
      return "路径中不能有连续的反斜杠\"\\\"。";
    case PathFault::BadName:
      return "文件夹名\"" + form.name +
             "\"无效：文件夹名不能是\".\"或\"..\"，不能以空格或句点开头或结尾，"
             "也不能含有 \\ / : * ? \" < > | 这些字符。";
    case PathFault::Semicolon:
      return "路径中不能有分号\";\"：AutoCAD的受信任路径用分号分隔各个文件夹。";
    case PathFault::LoneSurrogate:
      return "文件夹名\"" + form.name + "\"含有不完整的字符（单个UTF-16代理项），请重新输入。";
    case PathFault::None:
      break;
  }
  return std::string();
}

std::string ErrorCode(platform::OsError code) { return "系统错误代码 " + mbcs::Decimal(code); }

struct CauseRow {
  Cause cause;
  const char* line;
};

constexpr CauseRow kCauses[] = {
    {Cause::SourceMissing, "安装文件的Data文件夹中缺少所需的文件，请重新下载并解压安装文件，再执行SetUp.exe !"},
    {Cause::FolderMissing, "AutoCAD的安装文件夹中缺少所需的子文件夹（Fonts或Drv），请检查AutoCAD是否完整安装 !"},
    {Cause::AccessDenied, "拒绝访问：请以管理员身份运行SetUp.exe，重新安装 !"},
    {Cause::InUse, "文件正被其他程序使用：请关闭AutoCAD后重新安装 !"},
    {Cause::KeyMissing, "AutoCAD的注册表项已不存在，AutoCAD可能已被卸载。"},
    {Cause::WrongType,
     "AutoCAD配置中的受信任路径(TRUSTEDPATHS)不是文本，未作改动，请在AutoCAD的\"选项\"中添加安装文件夹。"},
    {Cause::Unreadable, "AutoCAD配置中的受信任路径(TRUSTEDPATHS)无法完整读取，为免丢失其内容，未作改动。"},
    {Cause::NoSupportPath,
     "AutoCAD配置尚无支持文件搜索路径，字体文件夹未能加入：请先启动一次AutoCAD，再重新安装。"},
    {Cause::SupportPathKept,
     "AutoCAD配置中的支持文件搜索路径不是文本或无法完整读取，为免丢失其内容，未作改动，"
     "请在AutoCAD的\"选项\"中添加安装文件夹中的Fonts文件夹。"},
    {Cause::Other, "其他错误："},
};

const char* CauseLine(Cause cause) { return RowOf(kCauses, &CauseRow::cause, cause).line; }

struct RefusalRow {
  FolderRefusal refusal;
  Notice notice;
};

constexpr RefusalRow kRefusals[] = {
    {FolderRefusal::Empty, Notice::NoFolder},
    {FolderRefusal::TooLong, Notice::FolderTooLong},
    {FolderRefusal::NoDrive, Notice::FolderNotCreated},
    {FolderRefusal::FileInTheWay, Notice::FolderNotCreated},
    {FolderRefusal::NotCreated, Notice::FolderNotCreated},
    {FolderRefusal::Invalid, Notice::FolderInvalid},
    {FolderRefusal::None, Notice::FolderInvalid},
};

}  // namespace

Cause CauseOfFile(platform::Status status) {
  switch (status.code()) {
    case platform::kErrorFileNotFound:
      return Cause::SourceMissing;  // a missing destination folder is a missing path
    case platform::kErrorPathNotFound:
    case platform::kErrorInvalidDrive:
    case platform::kErrorNotReady:
    case platform::kErrorDirectory:
      return Cause::FolderMissing;
    case platform::kErrorAccessDenied:
      return Cause::AccessDenied;
    case platform::kErrorSharingViolation:
    case platform::kErrorLockViolation:
      return Cause::InUse;
    default:
      return Cause::Other;
  }
}

Cause CauseOfValue(platform::Status status) {
  switch (status.code()) {
    case platform::kErrorFileNotFound:
    case platform::kErrorKeyDeleted:
      return Cause::KeyMissing;
    case platform::kErrorAccessDenied:
      return Cause::AccessDenied;
    case platform::kErrorDatatypeMismatch:
      return Cause::WrongType;
    case platform::kErrorMoreData:
    case platform::kErrorNoUnicodeTranslation:
      return Cause::Unreadable;
    default:
      return Cause::Other;
  }
}

Cause CauseOfSupportPath(platform::Status status) {
  switch (CauseOfValue(status)) {
    case Cause::KeyMissing:
      return Cause::NoSupportPath;
    case Cause::WrongType:
    case Cause::Unreadable:
      return Cause::SupportPathKept;
    default:
      return CauseOfValue(status);
  }
}

std::string HostRunningText() { return "请关闭AutoCAD后再进行安装 !"; }

std::string NoFolderText() { return "请输入安装目录 !"; }

Notice NoticeOf(FolderRefusal refusal) { return RowOf(kRefusals, &RefusalRow::refusal, refusal).notice; }

std::string FolderRefusedText(const std::string& folderText, const FolderVerdict& verdict) {
  const std::string retry = "\n\n请重新选择安装目录。";
  switch (verdict.refusal) {
    case FolderRefusal::Empty:
      return NoFolderText();
    case FolderRefusal::TooLong:
      return "安装目录太长 !\n\n安装后，文件 " + verdict.subject + " 的完整路径将有" + mbcs::Decimal(verdict.bytes) +
             "个字节，超过了Windows允许的" + mbcs::Decimal(platform::kMaxPathBytes) + "个字节。" + retry;
    case FolderRefusal::NoDrive:
      return "无法创建安装目录 !\n\n驱动器 " + verdict.subject + " 不存在。" + retry;
    case FolderRefusal::FileInTheWay:
      return "无法创建安装目录 !\n\n" + verdict.subject + " 是一个文件，不是文件夹。" + retry;
    case FolderRefusal::NotCreated:
      return "无法创建安装目录 " + verdict.subject + " !\n\n" +
             (verdict.status.code() == platform::kErrorAccessDenied ? "拒绝访问：请以管理员身份运行SetUp.exe。"
                                                                     : ErrorCode(verdict.status.code()) + "。") +
             retry;
    case FolderRefusal::Invalid:
    case FolderRefusal::None:
      break;
  }
  return "安装目录无效 !\n\n" + folderText + "\n\n" + InvalidReason(verdict.form) + retry;
}

std::string DataMissingText() {
  return "未找到安装所需的Data文件夹 !\n\n可能安装文件下载后没有解压，\n\n请解压后再执行SetUp.exe !";
}

// Not one of the original messages: a Data folder that is there but cannot be
// listed would otherwise install nothing and still report success.
std::string DataUnreadableText() {
  return "无法读取安装所需的Data文件夹 !\n\n请检查该文件夹的访问权限，或将安装文件放到较短的路径下，\n\n然后再执行SetUp.exe !";
}

std::string RolledBackText(int undone, int failed, const std::string& logPath) {
  std::string text = "安装未完成，已撤销本次安装所做的更改（" + mbcs::Decimal(undone) + "项）。";
  if (failed > 0)
    text = "安装未完成，已撤销本次安装所做的更改（" + mbcs::Decimal(undone) + "项），但有" + mbcs::Decimal(failed) +
           "项无法撤销：请关闭AutoCAD后运行安装文件夹中的Uninstall.exe将其删除。";
  if (!logPath.empty()) text += "\n\n详细情况请看日志文件：" + logPath;
  return text;
}

std::string IncompleteText(const Shortfall& shortfall, const std::string& logPath) {
  std::string failed;
  const auto add = [&failed](int count, const char* what) {
    if (count <= 0) return;
    if (!failed.empty()) failed += "，";
    failed += mbcs::Decimal(count) + what;
  };
  add(shortfall.settingsFailed, "项AutoCAD设置未能写入注册表");
  add(shortfall.filesFailed, "个支持文件未能复制到AutoCAD文件夹");
  add(shortfall.uninstallFailed, "项卸载信息未能写入");
  add(shortfall.settingsFileFailed, "个设置文件未能复制到用户的应用程序数据文件夹");
  add(shortfall.usersFailed, "位用户的受信任路径或设置文件未能写入");
  // Without the uninstaller's parts AutoCAD still loads the add-on; only its
  // removal is at stake. Without its settings file only the settings are.
  const bool loadAtStake = shortfall.settingsFailed > 0 || shortfall.filesFailed > 0;
  const std::string plotDriver =
      shortfall.plotDriverLeft
          ? "AutoCAD 2008的打印驱动需要放入AutoCAD的程序文件夹，仅为当前用户安装时未安装；如需在AutoCAD 2008中批量打印，请以管理员身份运行SetUp.exe安装。"
          : std::string();
  if (failed.empty()) {
    std::string text = "文件已安装，但" + plotDriver;
    if (!logPath.empty()) text += "\n\n详细情况请看日志文件：" + logPath;
    return text;
  }
  std::string stake = loadAtStake                    ? "AutoCAD可能无法加载" + std::string(kProductName)
                      : shortfall.uninstallFailed > 0 ? "以后可能无法从“程序和功能”中卸载" + std::string(kProductName)
                      : shortfall.settingsFileFailed == 0
                          ? std::string("这些用户下次登录Windows时将再次获得这些设置")
                          : std::string("请将Data文件夹中的设置文件手动复制到该文件夹");
  std::string text = "文件已安装，但有" + failed + "，\n\n" + stake + "。";
  if (!plotDriver.empty()) text += "\n\n" + plotDriver;
  if (!shortfall.causes.empty()) text += "\n\n原因：";
  for (Cause cause : shortfall.causes) {
    text += "\n\n";
    text += CauseLine(cause);
    if (cause != Cause::Other) continue;
    for (std::size_t i = 0; i < shortfall.otherErrors.size(); ++i)
      text += (i > 0 ? "，" : "") + ErrorCode(shortfall.otherErrors[i]);
  }
  if (!logPath.empty()) text += "\n\n详细情况请看日志文件：" + logPath;
  return text;
}

std::string CopyFailedText(const std::string& destination) {
  return "拷贝文件 " + destination + " 失败，可能原因如下：\n\n1、AutoCAD未关闭\n\n2、系统权限未开放，请以管理者权限登陆系统";
}

std::string CopyFailedText(const FileEvent& failure) {
  switch (CauseOfFile(failure.status)) {
    case Cause::SourceMissing:
      return "拷贝文件 " + failure.destination + " 失败：安装文件中缺少 " + failure.source +
             "。\n\n请重新下载并解压安装文件。";
    case Cause::FolderMissing:
      return "拷贝文件 " + failure.destination + " 失败：文件夹 " + mbcs::FolderOf(failure.destination) +
             " 不存在，也无法创建。";
    default:
      return CopyFailedText(failure.destination);
  }
}

std::string AlreadyRunningText() { return "另一个SetUp.exe正在运行 !\n\n请等它结束后再执行SetUp.exe。"; }

namespace {

std::string Way(const char* label, const char* what) { return std::string("\n“") + label + "”：" + what; }

std::string WaysWithoutElevation() {
  return Way(kForMeOnlyLabel, "无需管理员权限，加载项、字体和受信任路径都写入您自己的AutoCAD设置，只对您有效。") +
         Way(kWithoutRightsLabel, "只安装无需管理员权限的部分，加载项不会注册。");
}

}  // namespace

std::string ElevationQuestionText() {
  return "向AutoCAD注册需要管理员权限。\n" + Way(kAsAdministratorLabel, "为这台计算机的所有AutoCAD用户安装。") +
         WaysWithoutElevation();
}

std::string FolderFallbackText(const std::string& refused, const std::string& installDir) {
  return "无法创建安装文件夹 " + refused + "（拒绝访问）。\n\n" + kProductName + "将安装到您自己的程序文件夹：\n" +
         installDir;
}

std::string UserInstallQuestionText(const std::string& installDir) {
  return std::string("已为当前用户单独安装了") + kProductName + "（" + installDir +
         "）。\n\n在AutoCAD中，它会遮住这次为这台计算机安装的加载项。\n\n是否先卸载它，再继续安装？";
}

std::string ElevationRefusedText() {
  return "向AutoCAD注册需要管理员权限，但这台计算机不允许本程序请求管理员权限 !\n" + WaysWithoutElevation() +
         "\n\n若要为这台计算机安装，请与这台计算机的管理员联系。";
}

std::string LogNotOpenedText(const std::string& path, unsigned error, const std::string& systemText) {
  return "无法打开日志文件 !\n\n" + path + "\n\n错误 " + mbcs::Decimal(error) +
         (systemText.empty() ? std::string() : "：" + systemText);
}
