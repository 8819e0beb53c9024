#include "deploy/file_deployer.h"

#include "deploy/file_utils.h"
#include "platform/environment.h"
#include "platform/mbcs.h"
#include "platform/message_box.h"

namespace {

const char kCaption[] = "Zorvel软件安装";
const char kDataFolderMissing[] =
    "未找到安装所需的Data文件夹 !\n\n可能安装文件下载后没有解压，\n\n请解压后再执行SetUp.exe !";
// A Data folder that is there but cannot be listed (no access, or a path so
// long that no file in it could be named) would otherwise install nothing and
// still report success.
const char kDataFolderUnreadable[] =
    "无法读取安装所需的Data文件夹 !\n\n请检查该文件夹的访问权限，或将安装文件放到较短的路径下，\n\n然后再执行SetUp.exe !";
const char kCopyFailedBefore[] = "拷贝文件 ";
const char kCopyFailedAfter[] =
    " 失败，可能原因如下：\n\n1、AutoCAD未关闭\n\n2、系统权限未开放，请以管理者权限登陆系统";

// Left in the Data folder: the setup program itself, and the shape fonts and
// plot driver that go into AutoCAD's own folders instead.
const char* const kSkipped[] = {"SetUp.EXE", "Zorvel_EN.shx", "Zorvel_HZ.shx", "Zorvel.prt5"};

// Payload files shipped under neutral names, copied under their library names.
struct Rename {
  const char* entry;
  const char* installedAs;
};
const Rename kRenames[] = {
    {"Zorvel.prt7", "itextsharp.dll"},
    {"Zorvel.prt8", "PdfSharp.Charting.dll"},
    {"Zorvel.prt9", "PdfSharp.dll"},
};

const char kSettingsFile[] = "Zorvel.Ini";
const char kSettingsFolder[] = "Zorvel";
// Named in the failure prompt when no application-data folder is known at all.
const char kUnknownAppData[] = "%APPDATA%";

bool IsSkipped(const std::string& name) {
  for (const char* skipped : kSkipped) {
    if (mbcs::EqualsNoCase(name, skipped)) return true;
  }
  return false;
}

// The user's roaming application-data folder: APPDATA, or what the shell
// says when the variable is missing or empty. Empty when neither knows.
std::string AppDataFolder() {
  platform::Environment& environment = platform::GetEnvironment();
  std::string value;
  if (environment.GetVariable("APPDATA", &value) && !value.empty()) return value;
  return environment.RoamingAppDataFolder();
}

}  // namespace

CFileDeployer::CFileDeployer(std::string path, platform::ProgressBar& progressBar)
    : installDir(std::move(path)), progressBar(progressBar) {
  // Only a backslash of its own: 0x5C may also be the second byte of a GBK
  // character, and cutting that would name another folder.
  std::size_t last = std::string::npos;
  for (std::size_t i = 0; i < installDir.size(); i += mbcs::CharLength(installDir, i)) last = i;
  if (last != std::string::npos && installDir.compare(last, std::string::npos, "\\") == 0) installDir.pop_back();
}

bool CFileDeployer::DeployDataFolder() {
  platform::Files& files = platform::GetFiles();
  std::string dataFolder;
  GetDataFolder(dataFolder);
  if (GetPathKind(dataFolder) != kPathFolder) {
    platform::GetMessageBoxes().Show(kDataFolderMissing, kCaption, platform::kMbOk);
    return false;
  }
  files.CreateDirectory(installDir);  // normally made by the caller already

  platform::FindData entry;
  platform::FindHandle listing = files.FindFirst(dataFolder + "\\*.*", &entry);
  if (listing == nullptr) {  // a folder lists at least "." and ".."
    platform::GetMessageBoxes().Show(kDataFolderUnreadable, kCaption, platform::kMbOk);
    return false;
  }
  bool aborted = false;
  for (bool first = true; !aborted; first = false) {
    Step();
    bool found = first ? listing != nullptr : files.FindNext(listing, &entry);
    if (!found) break;
    aborted = DeployEntry(dataFolder, entry) == Outcome::Aborted;
  }
  files.FindClose(listing);
  return !aborted;
}

void StepUpToFull(platform::ProgressBar& bar) {
  int before = bar.GetPos();
  if (before >= bar.GetMaximum()) return;
  bar.StepIt();
  if (bar.GetPos() < before) bar.SetPos(bar.GetMaximum());
}

// One step per pass of the walk: a Data folder with more entries than the bar
// has steps leaves it full.
void CFileDeployer::Step() { StepUpToFull(progressBar); }

CFileDeployer::Outcome CFileDeployer::DeployEntry(const std::string& dataFolder, const platform::FindData& entry) {
  const std::string& name = entry.name;
  if (name == "." || name == "..") return Outcome::Done;
  // The directory bit alone decides: a read-only or archived sub-folder is
  // still a folder, and no copy of it could ever succeed.
  if (entry.attributes & platform::kAttrDirectory) return Outcome::Done;
  if (IsSkipped(name)) return Outcome::Done;

  std::string source = dataFolder + "\\" + name;
  std::string destination;
  bool reachable = Destination(name, &destination);
  ClearReadOnly(source);
  if (reachable) ClearReadOnly(destination);
  if (!Copy(reachable, source, destination) && !ConfirmFailure(reachable, source, destination)) {
    return Outcome::Aborted;
  }
  if (reachable) ClearReadOnly(destination);
  return Outcome::Done;
}

bool CFileDeployer::Destination(const std::string& name, std::string* destination) {
  for (const Rename& rename : kRenames) {
    if (mbcs::EqualsNoCase(name, rename.entry)) {
      *destination = installDir + "\\" + rename.installedAs;
      return true;
    }
  }
  if (!mbcs::EqualsNoCase(name, kSettingsFile)) {
    *destination = installDir + "\\" + name;
    return true;
  }
  std::string appData = AppDataFolder();
  if (appData.empty()) {
    *destination = std::string(kUnknownAppData) + "\\" + kSettingsFolder + "\\" + name;
    return false;
  }
  std::string settingsFolder = appData + "\\" + kSettingsFolder;
  platform::GetFiles().CreateDirectory(settingsFolder);
  *destination = settingsFolder + "\\" + name;
  return true;
}

bool CFileDeployer::Copy(bool reachable, const std::string& source, const std::string& destination) {
  return reachable && platform::GetFiles().CopyFile(source, destination);
}

// Asks until the copy succeeds (Retry) or the user gives up on it: true to go
// on with the next entry (copied, or Ignore), false to stop the deployment
// (Abort, or a prompt that could not be shown).
bool CFileDeployer::ConfirmFailure(bool reachable, const std::string& source, const std::string& destination) {
  std::string text = kCopyFailedBefore + destination + kCopyFailedAfter;
  for (;;) {
    int button = platform::GetMessageBoxes().Show(text, kCaption, platform::kMbAbortRetryIgnore);
    if (button == platform::kIdIgnore) return true;
    if (button != platform::kIdRetry) return false;
    if (Copy(reachable, source, destination)) return true;
  }
}
