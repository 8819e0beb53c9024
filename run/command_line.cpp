#include "run/command_line.h"

#include <algorithm>

#include "platform/mbcs.h"
#include "run/exit_code.h"

namespace {

enum class Switch {
  Silent, Folder, Releases, Log, AllUsers, CurrentUser, Uninstall, UserPart, Remove, Finish, Elevated, Continue, HostWarned, Help
};

struct SwitchRule {
  Switch which;
  const char* name;
  bool takesValue;
  const char* usage;  // the line of the usage text; null for an alias and the uninstaller's own
};

constexpr SwitchRule kSwitches[] = {
    {Switch::Silent, "S", false, "/S　静默安装：不显示任何窗口和消息框"},
    {Switch::Folder, "DIR", true, "/DIR=文件夹　安装目录（默认 C:\\Zorvel），其下自动加子目录“Zorvel批打印软件”"},
    {Switch::Releases, "RELEASES", true,
     "/RELEASES=2010,2020　为哪些AutoCAD版本安装（默认 all：找到的全部版本）；本机未安装或本版本不提供的年份记入日志后跳过"},
    {Switch::Log, "LOG", true, "/LOG=文件　将本次安装的日志追加到该文件；静默安装未指定时写入 %TEMP%\\ZorvelSetup.log"},
    {Switch::AllUsers, "ALLUSERS", false,
     "/ALLUSERS　为本机所有用户安装：每个用户的AutoCAD配置都信任安装目录并获得设置文件，以后登录的用户在登录时获得（需要管理员权限）"},
    {Switch::CurrentUser, "CURRENTUSER", false,
     "/CURRENTUSER　仅为当前用户安装：加载项、字体和“程序和功能”中的条目都写在当前用户名下，不需要管理员权限（AutoCAD 2008 的打印驱动除外）"},
    {Switch::Uninstall, "UNINSTALL", false,
     "/UNINSTALL　卸载：按 /DIR= 所指目录中的安装记录卸载（未指定时按“程序和功能”中的条目）；可与 /S、/LOG= 同用"},
    {Switch::UserPart, "USERPART", false, nullptr},
    {Switch::Remove, "REMOVE", true, nullptr},
    {Switch::Finish, "FINISH", true, nullptr},
    {Switch::Elevated, "ELEVATED", true, nullptr},
    {Switch::Continue, "CONTINUE", false, nullptr},
    {Switch::HostWarned, "HOSTWARNED", false, nullptr},
    {Switch::Help, "?", false, "/? 或 /HELP　显示本说明"},
    {Switch::Help, "HELP", false, nullptr},
};

constexpr char kAllReleases[] = "all";
constexpr std::size_t kYearDigits = 4;
constexpr std::size_t kMaxProcessIdDigits = 10;  // 4294967295

std::string Quoted(std::string_view text) { return "“" + std::string(text) + "”"; }

const SwitchRule* FindSwitch(std::string_view name) {
  for (const SwitchRule& rule : kSwitches) {
    if (mbcs::EqualsNoCase(name, rule.name)) return &rule;
  }
  return nullptr;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool IsYear(std::string_view text) {
  return text.size() == kYearDigits && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::uint32_t> ProcessId(std::string_view text) {
  if (text.empty() || text.size() > kMaxProcessIdDigits) return std::nullopt;
  std::uint64_t id = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    id = id * 10 + static_cast<unsigned>(c - '0');
  }
  if (id > UINT32_MAX) return std::nullopt;
  return static_cast<std::uint32_t>(id);
}

// "S-1-" and then numbers separated by '-', as a SID in text form is.
bool IsSid(std::string_view text) {
  constexpr std::string_view kPrefix = "S-1-";
  if (text.size() <= kPrefix.size() || !mbcs::EqualsNoCase(text.substr(0, kPrefix.size()), kPrefix)) return false;
  for (std::string_view number : mbcs::Split(text.substr(kPrefix.size()), '-')) {
    if (number.empty() || !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return false;
  }
  return true;
}

// "all", or years separated by commas; an error text when neither.
std::optional<std::string> ParseReleases(std::string_view value, std::optional<std::vector<int>>* releases) {
  if (mbcs::EqualsNoCase(Trimmed(value), kAllReleases)) {
    releases->reset();
    return std::nullopt;
  }
  std::vector<int> years;
  for (std::string_view piece : mbcs::Split(value, ',')) {
    std::string_view year = Trimmed(piece);
    if (!IsYear(year)) return "不是AutoCAD的版本年份：" + Quoted(year);
    years.push_back(std::stoi(std::string(year)));
  }
  std::sort(years.begin(), years.end());
  years.erase(std::unique(years.begin(), years.end()), years.end());
  *releases = std::move(years);
  return std::nullopt;
}

// Applies one argument; an error text when it is not understood.
std::optional<std::string> Apply(const std::string& argument, SetupOptions* options, std::vector<Switch>* seen) {
  if (argument.empty() || (argument[0] != '/' && argument[0] != '-')) return "无法识别的参数：" + Quoted(argument);
  const std::size_t equals = argument.find('=');
  const std::string_view name = std::string_view(argument).substr(1, equals == std::string::npos ? std::string::npos : equals - 1);
  const SwitchRule* rule = FindSwitch(name);
  if (rule == nullptr) return "无法识别的参数：" + Quoted(argument);
  if (std::find(seen->begin(), seen->end(), rule->which) != seen->end()) return "参数重复：" + Quoted(argument);
  seen->push_back(rule->which);
  // The logon step runs at every logon, with nobody there to answer: not
  // even a command line it does not understand shows a box.
  if (rule->which == Switch::UserPart) options->silent = true;
  if (!rule->takesValue) {
    if (equals != std::string::npos) return "参数不能带值：" + Quoted(argument);
    if (rule->which == Switch::Silent) options->silent = true;
    if (rule->which == Switch::AllUsers) options->everyUser = true;
    if (rule->which == Switch::CurrentUser) options->currentUser = true;
    if (rule->which == Switch::Continue) options->continueInstall = true;
    if (rule->which == Switch::HostWarned) options->hostWarned = true;
    return std::nullopt;
  }
  const std::string value = equals == std::string::npos ? std::string() : argument.substr(equals + 1);
  if (value.empty()) return "参数缺少值：" + Quoted(argument);
  // A folder quoted with a backslash before its closing quote ("C:\a b\")
  // reaches us with the quote in it, and the arguments after it run in.
  if (value.find('"') != std::string::npos) return "参数值中不能有引号（引号前不要以反斜杠结尾）：" + Quoted(argument);
  switch (rule->which) {
    case Switch::Folder:
      options->folder = value;
      break;
    case Switch::Log:
      options->logPath = value;
      break;
    case Switch::Releases:
      if (auto error = ParseReleases(value, &options->releases)) return *error;
      break;
    case Switch::Remove:
      options->removeFolder = value;
      break;
    case Switch::Finish:
      options->finishAfter = ProcessId(value);
      if (!options->finishAfter) return "不是进程号：" + Quoted(argument);
      break;
    case Switch::Elevated:
      if (!IsSid(value)) return "不是账户的SID：" + Quoted(argument);
      options->servedUser = value;
      break;
    case Switch::Silent:
    case Switch::AllUsers:
    case Switch::CurrentUser:
    case Switch::UserPart:
    case Switch::Continue:
    case Switch::HostWarned:
    case Switch::Uninstall:
    case Switch::Help:
      break;
  }
  return std::nullopt;
}

// The kind of run the switches seen ask for; the usage wins over the rest.
RunMode ModeOf(const std::vector<Switch>& seen) {
  const auto has = [&seen](Switch which) { return std::find(seen.begin(), seen.end(), which) != seen.end(); };
  if (has(Switch::Help)) return RunMode::Usage;
  if (has(Switch::UserPart)) return RunMode::UserPart;
  if (has(Switch::Finish)) return RunMode::Finish;
  if (has(Switch::Remove)) return RunMode::Remove;
  if (has(Switch::Uninstall)) return RunMode::Uninstall;
  return RunMode::Install;
}

}  // namespace

ParsedArguments ParseArguments(const std::vector<std::string>& arguments) {
  ParsedArguments parsed;
  std::vector<Switch> seen;
  for (const std::string& argument : arguments) {
    if (auto error = Apply(argument, &parsed.options, &seen)) parsed.errors.push_back(*error);
  }
  parsed.options.mode = ModeOf(seen);
  // Switches that go with one kind of run only.
  const SetupOptions& options = parsed.options;
  const bool uninstalling = std::find(seen.begin(), seen.end(), Switch::Uninstall) != seen.end();
  const bool uninstall = uninstalling || options.removeFolder;
  const bool releases = std::find(seen.begin(), seen.end(), Switch::Releases) != seen.end();
  if (uninstall && releases) parsed.errors.push_back("卸载时不能指定 /RELEASES");
  // The record says whether an installation was for every user.
  if (uninstall && options.everyUser) parsed.errors.push_back("卸载时不能指定 /ALLUSERS（安装记录已说明是否为所有用户安装）");
  if (uninstall && options.currentUser)
    parsed.errors.push_back("卸载时不能指定 /CURRENTUSER（安装记录已说明是否仅为当前用户安装）");
  if (options.everyUser && options.currentUser) parsed.errors.push_back("/ALLUSERS 和 /CURRENTUSER 不能同用");
  const auto beyondUserPart = [](Switch which) {
    return which != Switch::UserPart && which != Switch::Silent && which != Switch::Log;
  };
  if (options.mode == RunMode::UserPart && std::any_of(seen.begin(), seen.end(), beyondUserPart))
    parsed.errors.push_back("/USERPART 只能与 /S 和 /LOG 同用");
  if (options.removeFolder && (uninstalling || options.folder))
    parsed.errors.push_back("/REMOVE 不能与 /UNINSTALL 或 /DIR 同用");
  if (options.finishAfter && !options.removeFolder) parsed.errors.push_back("/FINISH 只能与 /REMOVE 同用");
  if ((options.continueInstall || options.hostWarned) && (!options.servedUser || uninstall))
    parsed.errors.push_back("/CONTINUE 和 /HOSTWARNED 只能在安装时与 /ELEVATED 同用");
  return parsed;
}

std::string UsageText() {
  std::string text = std::string(
      "用法：SetUp.exe [/S] [/DIR=文件夹] [/RELEASES=年份,年份|all] [/LOG=文件] [/ALLUSERS|/CURRENTUSER]\n"
      "卸载：SetUp.exe /UNINSTALL [/S] [/DIR=文件夹] [/LOG=文件]，或安装目录中的 Uninstall.exe [/S] [/LOG=文件]\n\n");
  for (const SwitchRule& rule : kSwitches) {
    if (rule.usage != nullptr) text += std::string(rule.usage) + "\n";
  }
  text += "\n退出代码：\n";
  for (ExitCode code : kAllExitCodes) text += mbcs::Decimal(ExitCodeNumber(code)) + "　" + ExitCodeMeaningChinese(code) + "\n";
  text += "\n例如：SetUp.exe /S /DIR=D:\\CAD\\Zorvel /RELEASES=2018,2020 /LOG=\\\\server\\logs\\%COMPUTERNAME%.log";
  return text;
}
