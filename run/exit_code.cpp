#include "run/exit_code.h"

#include "platform/lookup.h"

namespace {

struct CodeMeaning {
  ExitCode code;
  const char* chinese;
  const char* uninstallChinese;  // what the code says after an uninstall, where that differs
};

constexpr CodeMeaning kCodeMeanings[] = {
    {ExitCode::Installed, "安装完成", "卸载完成"},
    {ExitCode::Cancelled, "用户取消或关闭了安装窗口", "用户选择不卸载；未做任何更改"},
    {ExitCode::BadCommandLine, "命令行无法识别、/ALLUSERS没有管理员权限，或无法打开日志文件；未做任何操作", nullptr},
    {ExitCode::HostRunning, "AutoCAD正在运行；未做任何更改", nullptr},
    {ExitCode::DataMissing, "Data文件夹不存在或无法读取；未做任何更改", nullptr},
    {ExitCode::FolderRefused, "安装目录无效、太长或无法创建；未做任何更改", nullptr},
    {ExitCode::CopyAborted, "有文件无法复制，安装中止：已撤销本次安装所做的更改", nullptr},
    {ExitCode::Incomplete, "已安装，但部分AutoCAD设置、支持文件或卸载信息未能写入（详见日志）",
     "已卸载，但有部分内容无法删除（详见日志），再次卸载可完成"},
    {ExitCode::AlreadyRunning, "另一个SetUp.exe正在运行；未做任何操作", nullptr},
    {ExitCode::NotInstalled, "卸载：此处没有安装记录，或记录无法使用；未做任何更改", nullptr},
};

struct EndRow {
  RunEnd end;
  ExitCode code;
  LogLevel level;
  const char* english;
};

constexpr EndRow kEnds[] = {
    {RunEnd::Installed, ExitCode::Installed, LogLevel::Info, "installed completely"},
    {RunEnd::Cancelled, ExitCode::Cancelled, LogLevel::Warn, "cancelled by the user"},
    {RunEnd::BadCommandLine, ExitCode::BadCommandLine, LogLevel::Error,
     "command line not understood, or the log cannot be opened; nothing done"},
    {RunEnd::HostRunning, ExitCode::HostRunning, LogLevel::Error, "AutoCAD is running; nothing changed"},
    {RunEnd::DataMissing, ExitCode::DataMissing, LogLevel::Error,
     "the Data folder is missing or cannot be read; nothing changed"},
    {RunEnd::FolderRefused, ExitCode::FolderRefused, LogLevel::Error, "the install folder was refused; nothing changed"},
    {RunEnd::CopyAborted, ExitCode::CopyAborted, LogLevel::Error,
     "a file could not be copied and the install was aborted; nothing registered"},
    {RunEnd::Incomplete, ExitCode::Incomplete, LogLevel::Warn,
     "installed, but some AutoCAD settings, support files or parts of the uninstaller were not written"},
    {RunEnd::AlreadyRunning, ExitCode::AlreadyRunning, LogLevel::Error, "another setup program is running; nothing done"},
    {RunEnd::UsageShown, ExitCode::Installed, LogLevel::Info, "the usage asked for; nothing done"},
    {RunEnd::EveryUserRefused, ExitCode::BadCommandLine, LogLevel::Error,
     "installing for every user needs administrator rights; nothing done"},
    {RunEnd::Uninstalled, ExitCode::Installed, LogLevel::Info, "uninstalled completely"},
    {RunEnd::Declined, ExitCode::Cancelled, LogLevel::Warn, "the user answered No; nothing changed"},
    {RunEnd::UninstallIncomplete, ExitCode::Incomplete, LogLevel::Warn,
     "uninstalled, but some of it could not be removed; the record keeps it for a second uninstall"},
    {RunEnd::NotInstalled, ExitCode::NotInstalled, LogLevel::Error,
     "nothing installed here: no install record, or one that cannot be trusted; nothing changed"},
    {RunEnd::UninstallerRemoved, ExitCode::Installed, LogLevel::Info,
     "the uninstaller, its record and the empty install folder removed"},
    {RunEnd::UninstallerKept, ExitCode::Incomplete, LogLevel::Warn,
     "the uninstaller stays: its record still names more than it, or it could not be deleted"},
    {RunEnd::UserServed, ExitCode::Installed, LogLevel::Info, "the user's part written"},
    {RunEnd::UserPartIncomplete, ExitCode::Incomplete, LogLevel::Warn,
     "some of the user's part could not be written; the next logon tries again"},
};

struct InstallEnd {
  InstallOutcome outcome;
  RunEnd end;
};

constexpr InstallEnd kInstallEnds[] = {
    {InstallOutcome::Installed, RunEnd::Installed},         {InstallOutcome::Incomplete, RunEnd::Incomplete},
    {InstallOutcome::HostRunning, RunEnd::HostRunning},     {InstallOutcome::FolderRefused, RunEnd::FolderRefused},
    {InstallOutcome::DataMissing, RunEnd::DataMissing},     {InstallOutcome::DataUnreadable, RunEnd::DataMissing},
    {InstallOutcome::Aborted, RunEnd::CopyAborted},
};

struct UninstallEnd {
  UninstallOutcome outcome;
  RunEnd end;
};

constexpr UninstallEnd kUninstallEnds[] = {
    {UninstallOutcome::Removed, RunEnd::Uninstalled},       {UninstallOutcome::Incomplete, RunEnd::UninstallIncomplete},
    {UninstallOutcome::Declined, RunEnd::Declined},         {UninstallOutcome::HostRunning, RunEnd::HostRunning},
    {UninstallOutcome::NotInstalled, RunEnd::NotInstalled}, {UninstallOutcome::RecordDamaged, RunEnd::NotInstalled},
};

const EndRow& RowOf(RunEnd end) { return RowOf(kEnds, &EndRow::end, end); }

}  // namespace

int ExitCodeNumber(ExitCode code) { return static_cast<int>(code); }

std::string ExitCodeMeaningChinese(ExitCode code) {
  const CodeMeaning& meaning = RowOf(kCodeMeanings, &CodeMeaning::code, code);
  if (meaning.uninstallChinese == nullptr) return meaning.chinese;
  return std::string(meaning.chinese) + "（卸载时：" + meaning.uninstallChinese + "）";
}

RunEnd EndOf(InstallOutcome outcome) { return RowOf(kInstallEnds, &InstallEnd::outcome, outcome).end; }
RunEnd EndOf(UninstallOutcome outcome) { return RowOf(kUninstallEnds, &UninstallEnd::outcome, outcome).end; }

ExitCode ExitCodeOf(RunEnd end) { return RowOf(end).code; }
LogLevel LogLevelOf(RunEnd end) { return RowOf(end).level; }
std::string RunEndMeaning(RunEnd end) { return RowOf(end).english; }
