#include "run/exit_code.h"

namespace {

struct Meaning {
  ExitCode code;
  const char* english;
  const char* chinese;
  // What the code says after an uninstall, where that differs.
  const char* uninstallEnglish = nullptr;
  const char* uninstallChinese = nullptr;
};

constexpr Meaning kMeanings[] = {
    {ExitCode::Installed, "installed completely", "安装完成", "uninstalled completely", "卸载完成"},
    {ExitCode::Cancelled, "cancelled by the user", "用户取消或关闭了安装窗口", "the user answered No; nothing changed",
     "用户选择不卸载；未做任何更改"},
    {ExitCode::BadCommandLine, "command line not understood, or the log cannot be opened; nothing done",
     "命令行无法识别，或无法打开日志文件；未做任何操作"},
    {ExitCode::HostRunning, "AutoCAD is running; nothing changed", "AutoCAD正在运行；未做任何更改"},
    {ExitCode::DataMissing, "the Data folder is missing or cannot be read; nothing changed",
     "Data文件夹不存在或无法读取；未做任何更改"},
    {ExitCode::FolderRefused, "the install folder was refused; nothing changed",
     "安装目录无效、太长或无法创建；未做任何更改"},
    {ExitCode::CopyAborted, "a file could not be copied and the install was aborted; nothing registered",
     "有文件无法复制，安装中止：已复制的文件保留，未写入AutoCAD设置"},
    {ExitCode::Incomplete,
     "installed, but some AutoCAD settings, support files or parts of the uninstaller were not written",
     "已安装，但部分AutoCAD设置、支持文件或卸载信息未能写入（详见日志）",
     "uninstalled, but some of it could not be removed; the record keeps it for a second uninstall",
     "已卸载，但有部分内容无法删除（详见日志），再次卸载可完成"},
    {ExitCode::AlreadyRunning, "another setup program is running; nothing done",
     "另一个SetUp.exe正在运行；未做任何操作"},
    {ExitCode::NotInstalled, "nothing installed here: no install record, or one that cannot be trusted; nothing changed",
     "卸载：此处没有安装记录，或记录无法使用；未做任何更改"},
};

const Meaning& MeaningOf(ExitCode code) {
  for (const Meaning& meaning : kMeanings) {
    if (meaning.code == code) return meaning;
  }
  return kMeanings[0];  // unreachable: every code has a row
}

}  // namespace

ExitCode ExitCodeOf(InstallOutcome outcome) {
  switch (outcome) {
    case InstallOutcome::Installed:
      return ExitCode::Installed;
    case InstallOutcome::Incomplete:
      return ExitCode::Incomplete;
    case InstallOutcome::HostRunning:
      return ExitCode::HostRunning;
    case InstallOutcome::FolderRefused:
      return ExitCode::FolderRefused;
    case InstallOutcome::DataMissing:
    case InstallOutcome::DataUnreadable:
      return ExitCode::DataMissing;
    case InstallOutcome::Aborted:
      break;
  }
  return ExitCode::CopyAborted;
}

ExitCode ExitCodeOf(UninstallOutcome outcome) {
  switch (outcome) {
    case UninstallOutcome::Removed:
      return ExitCode::Installed;
    case UninstallOutcome::Incomplete:
      return ExitCode::Incomplete;
    case UninstallOutcome::Declined:
      return ExitCode::Cancelled;
    case UninstallOutcome::HostRunning:
      return ExitCode::HostRunning;
    case UninstallOutcome::NotInstalled:
    case UninstallOutcome::RecordDamaged:
      break;
  }
  return ExitCode::NotInstalled;
}

int ExitCodeNumber(ExitCode code) { return static_cast<int>(code); }

std::string ExitCodeMeaning(ExitCode code, Run run) {
  const Meaning& meaning = MeaningOf(code);
  return run == Run::Uninstall && meaning.uninstallEnglish ? meaning.uninstallEnglish : meaning.english;
}

std::string ExitCodeMeaningChinese(ExitCode code) {
  const Meaning& meaning = MeaningOf(code);
  if (meaning.uninstallChinese == nullptr) return meaning.chinese;
  return std::string(meaning.chinese) + "（卸载时：" + meaning.uninstallChinese + "）";
}
