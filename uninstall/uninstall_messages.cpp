#include "uninstall/uninstall_messages.h"

#include "deploy/payload.h"
#include "deploy/product.h"
#include "platform/mbcs.h"
#include "record/install_record.h"
#include "uninstall/uninstall_engine.h"

namespace {

std::string RecordProblem(const UninstallReport& report) {
  switch (report.recordState) {
    case RecordState::Unreadable:
      return "无法读取（错误代码 " + mbcs::Decimal(report.recordStatus.code()) + "）";
    case RecordState::TooLarge:
      return "过大，不是本程序写下的记录";
    case RecordState::NotARecord:
      return "不是本程序的安装记录";
    case RecordState::NewerVersion:
      return "由更新版本的安装程序写下，请用该版本卸载";
    case RecordState::Truncated:
      return "不完整";
    case RecordState::Complete:
    case RecordState::Missing:
      break;
  }
  return "无法使用";
}

}  // namespace

std::string UninstallQuestionText(const std::string& installDir) {
  return std::string("确定要卸载") + kProductName + "吗？\n\n安装目录：" + installDir +
         "\n\nAutoCAD中的加载设置和信任路径将被删除；您的设置文件和AutoCAD字体文件夹中的字体将保留。";
}

std::string UninstallHostRunningText() { return "请关闭AutoCAD后再进行卸载 !"; }

std::string NotInstalledText(const std::string& installDir) {
  return "在 " + installDir + " 中没有找到" + kProductName + "的安装记录（" + kRecordName + "），\n\n没有可以卸载的内容。";
}

std::string NoEntryText() {
  return std::string("本机没有安装") + kProductName + "（“程序和功能”中没有它的条目），\n\n没有可以卸载的内容。\n\n"
         "如果安装在别处，请用 /DIR= 指定安装目录，或运行安装目录中的 Uninstall.exe。";
}

std::string UninstallFolderInvalidText(const std::string& folderText) {
  return "卸载目录无效 ! " + folderText + "\n\n请用 /DIR= 指定带驱动器号的完整路径，未做任何更改。";
}

std::string RecordDamagedText(const UninstallReport& report) {
  return "安装记录 " + RecordPath(report.installDir) + " " + RecordProblem(report) + "。\n\n为避免删除不属于" +
         kProductName + "的内容，卸载没有做任何更改。";
}

std::string UninstallSummaryText(const UninstallReport& report) {
  std::string left;
  if (report.failed > 0) left = "有" + mbcs::Decimal(report.failed) + "项无法删除";
  if (report.usersFailed > 0)
    left += (left.empty() ? "有" : "，另有") + mbcs::Decimal(report.usersFailed) + "位用户的设置未能全部撤销";
  // A record without its end line: the install stopped before it finished.
  const bool unfinished = report.recordState == RecordState::Truncated;
  const std::string head = unfinished ? std::string(kProductName) + "的安装未完成：" : std::string(kProductName);
  std::string text = report.complete()
                         ? unfinished ? head + "已撤销其所做的更改。" : head + "已卸载。"
                         : head + (unfinished ? "其所做的更改未能全部撤销：" : "未能完全卸载：") + left +
                               "（可能文件正在使用，或需要管理员权限）。\n\n这些内容仍记在安装记录中，"
                               "关闭AutoCAD等程序后或以管理员身份再次卸载即可完成。";
  if (report.usersTakenBack > 0)
    text += "\n\n已从" + mbcs::Decimal(report.usersTakenBack) + "位用户的AutoCAD配置中删除信任路径。";
  if (report.usersNotReached > 0)
    text += "\n\n有" + mbcs::Decimal(report.usersNotReached) +
            "个用户配置文件无法访问（如漫游配置文件），其中的信任路径没有删除，详见日志。";
  if (report.driversRestored > 0) text += "\n\nAutoCAD 2008原有的打印驱动程序已恢复。";
  if (report.leftAlone > 0)
    text += "\n\n有" + mbcs::Decimal(report.leftAlone) + "项设置已被其他安装或用户更改，保持不变。";
  if (!report.ignoredLines.empty())
    text += "\n\n安装记录中有" + mbcs::Decimal(report.ignoredLines.size()) + "行无法识别，已忽略，相应内容未删除。";
  std::string kept;
  if (!report.settingsKept.empty()) kept += "\n您的设置文件 " + report.settingsKept;
  if (!report.settingsCopyKept.empty()) kept += "\n安装前您原有的设置文件 " + report.settingsCopyKept;
  if (report.usersSettingsKept > 0)
    kept += "\n" + mbcs::Decimal(report.usersSettingsKept) + "位用户APPDATA中的设置文件（" + kSettingsFolder + "\\" +
            kSettingsFile + "）";
  if (report.fontsKept > 0)
    kept += "\nAutoCAD字体文件夹中的" + mbcs::Decimal(report.fontsKept) + "个字体文件（图纸会用到它们）";
  for (const std::string& backup : report.backupsKept)
    kept += "\nAutoCAD原有的打印驱动程序 " + backup + "（该驱动程序已被其他程序更换）";
  if (report.folderKept) kept += "\n安装目录 " + report.installDir + "（其中有您添加的文件）";
  if (!kept.empty()) text += "\n\n以下内容已保留：" + kept;
  return text;
}
