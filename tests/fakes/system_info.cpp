#include "tests/fakes/system_info.h"

#include <map>

namespace platform {

std::string MemorySystemInfo::ErrorText(OsError error) {
  static const std::map<OsError, std::string> texts = {
      {kErrorFileNotFound, "系统找不到指定的文件。"},
      {kErrorPathNotFound, "系统找不到指定的路径。"},
      {kErrorAccessDenied, "拒绝访问。"},
      {kErrorSharingViolation, "另一个程序正在使用此文件，进程无法访问。"},
  };
  auto found = texts.find(error);
  return found != texts.end() ? found->second : std::string();
}

void MemorySystemInfo::SetArguments(std::vector<std::string> arguments) {
  arguments_ = std::move(arguments);
  commandLine_ = "\"C:\\dist\\SetUp.exe\"";
  for (const std::string& argument : arguments_)
    commandLine_ += argument.find(' ') == std::string::npos ? " " + argument : " \"" + argument + "\"";
}

}  // namespace platform
