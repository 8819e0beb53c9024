#include "install/messages.h"

#include "hosts/acad_hosts.h"
#include "install/product.h"

std::string HostRunningText() { return "请关闭AutoCAD后再进行安装 !"; }

std::string NoFolderText() { return "请输入安装目录 !"; }

std::string FolderTooLongText() {
  return std::string("安装目录太长 !\n\n安装目录加上子目录\"") + kProductFolder + "\"不能超过" +
         std::to_string(kMaxInstallDirBytes) + "个字节，\n\n请选择一个较短的目录。";
}

std::string FolderInvalidText(const std::string& folder) {
  return "安装目录无效 !\n\n" + folder +
         "\n\n请使用以盘符开头的完整路径，各级目录名中不能有 \\ / : * ? \" < > | 等字符。";
}

std::string FolderNotCreatedText(const std::string& folder) {
  return "无法创建安装目录 !\n\n" + folder + "\n\n请检查该路径所在的磁盘和访问权限。";
}

std::string DataMissingText() {
  return "未找到安装所需的Data文件夹 !\n\n可能安装文件下载后没有解压，\n\n请解压后再执行SetUp.exe !";
}

// Not one of the original messages: a Data folder that is there but cannot be
// listed would otherwise install nothing and still report success.
std::string DataUnreadableText() {
  return "无法读取安装所需的Data文件夹 !\n\n请检查该文件夹的访问权限，或将安装文件放到较短的路径下，\n\n然后再执行SetUp.exe !";
}

std::string IncompleteText(int settingsFailed, int filesFailed, int uninstallFailed) {
  std::string failed;
  const auto add = [&failed](int count, const char* what) {
    if (count <= 0) return;
    if (!failed.empty()) failed += "，";
    failed += std::to_string(count) + what;
  };
  add(settingsFailed, "项AutoCAD设置未能写入注册表");
  add(filesFailed, "个支持文件未能复制到AutoCAD文件夹");
  add(uninstallFailed, "项卸载信息未能写入");
  // Without the uninstaller's parts AutoCAD still loads the add-on; only its
  // removal is at stake.
  const std::string consequence = settingsFailed > 0 || filesFailed > 0
                                      ? std::string("AutoCAD可能无法加载") + kProductName
                                      : std::string("以后可能无法从“程序和功能”中卸载") + kProductName;
  return "文件已安装，但有" + failed + "，\n\n" + consequence + "。\n\n请以管理员身份运行SetUp.exe，重新安装 !";
}

std::string CopyFailedText(const std::string& destination) {
  return "拷贝文件 " + destination + " 失败，可能原因如下：\n\n1、AutoCAD未关闭\n\n2、系统权限未开放，请以管理者权限登陆系统";
}

std::string AlreadyRunningText() { return "另一个SetUp.exe正在运行 !\n\n请等它结束后再执行SetUp.exe。"; }

std::string LogNotOpenedText(const std::string& path, unsigned error, const std::string& systemText) {
  return "无法打开日志文件 !\n\n" + path + "\n\n错误 " + std::to_string(error) +
         (systemText.empty() ? std::string() : "：" + systemText);
}
