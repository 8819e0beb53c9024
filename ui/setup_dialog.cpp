#include "ui/setup_dialog.h"

#include <cstdio>
#include <iterator>

#include "app/build_constants.h"
#include "deploy/file_deployer.h"
#include "deploy/host_check.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "ui/path_dialog.h"
#include "ui/setup_template.h"

namespace {

constexpr int kCaptionFontHeight = 12;

const char kBoxCaption[] = "Zorvel软件安装";
const char kCloseAutoCad[] = "请关闭AutoCAD后再进行安装 !";
const char kPickerText[] = "请选择安装目录：";
const char kNoFolder[] = "请输入安装目录 !";
// The sub-folder that holds the add-on, below the folder the user chose.
const char kProductFolder[] = "\\Zorvel批打印软件";

// The progress bar: the deployment steps it once per entry it looks at, the
// integration three times, and the end sets it full.
constexpr int kProgressEnd = 50;

std::string FolderTooLong() {
  return "安装目录太长 !\n\n安装目录加上子目录\"Zorvel批打印软件\"不能超过" + std::to_string(kMaxInstallDirBytes) +
         "个字节，\n\n请选择一个较短的目录。";
}

// Names only what failed: settings (registry values), files, or both.
std::string IncompleteInstall(int settingsFailed, int filesFailed) {
  std::string failed;
  if (settingsFailed > 0) failed = std::to_string(settingsFailed) + "项AutoCAD设置未能写入注册表";
  if (settingsFailed > 0 && filesFailed > 0) failed += "，";
  if (filesFailed > 0) failed += std::to_string(filesFailed) + "个支持文件未能复制到AutoCAD文件夹";
  return "文件已安装，但有" + failed +
         "，\n\nAutoCAD可能无法加载Zorvel批打印软件。\n\n请以管理员身份运行SetUp.exe，重新安装 !";
}

void Tell(const std::string& text, unsigned style) { platform::GetMessageBoxes().Show(text, kBoxCaption, style); }

// The version caption: build date yyyymmdd as year.month.day without zero
// padding, and the edition's bitness.
std::string FormatVersion(int buildDate, int editionBits) {
  const char* format = "Zorvel批打印软件 V%d.%d.%d (%d位版本)";
  int length = std::snprintf(nullptr, 0, format, buildDate / 10000, buildDate % 10000 / 100, buildDate % 100,
                             editionBits);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, buildDate / 10000, buildDate % 10000 / 100, buildDate % 100,
                editionBits);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

}  // namespace

Dlg_Setup::Dlg_Setup(CWnd* parent) : CDialog(kSetupDialogTemplate, parent), installPath("C:\\Zorvel") {
  releaseTicked.fill(1);
}

Dlg_Setup::~Dlg_Setup() = default;

const MessageMap* Dlg_Setup::ThisMessageMap() {
  static const MessageMapEntry rows[] = {
      CtlColorRow(&Dlg_Setup::OnCtlColor),
      CommandRow(platform::kBnClicked, 1018, &Dlg_Setup::OnReleaseClicked),
      CommandRow(platform::kBnClicked, 1019, &Dlg_Setup::OnReleaseClicked),
      CommandRow(platform::kBnClicked, 1020, &Dlg_Setup::OnReleaseClicked),
      CommandRow(platform::kBnClicked, 1027, &Dlg_Setup::OnReleaseClicked),
      CommandRow(platform::kBnClicked, 1026, &Dlg_Setup::OnReleaseClicked),
      CommandRow(platform::kBnClicked, 1028, &Dlg_Setup::OnReleaseClicked),
      CommandRow(platform::kBnClicked, 1029, &Dlg_Setup::OnReleaseClicked),
      CommandRow(platform::kBnClicked, 1030, &Dlg_Setup::OnReleaseClicked),
      CommandRow(platform::kBnClicked, 1031, &Dlg_Setup::OnReleaseClicked),
      CommandRow(platform::kBnClicked, 1032, &Dlg_Setup::OnReleaseClicked),
      CommandRow(platform::kBnClicked, 1033, &Dlg_Setup::OnReleaseClicked),
      CommandRow(platform::kBnClicked, 1034, &Dlg_Setup::OnReleaseClicked),
      CommandRow(platform::kBnClicked, 1035, &Dlg_Setup::OnReleaseClicked),
      CommandRow(platform::kBnClicked, 1036, &Dlg_Setup::OnReleaseClicked),
      CommandRow(platform::kBnClicked, 1037, &Dlg_Setup::OnReleaseClicked),
      CommandRow(platform::kBnClicked, 1038, &Dlg_Setup::OnReleaseClicked),
      CommandRow(platform::kBnClicked, 1039, &Dlg_Setup::OnReleaseClicked),
      CommandRow(platform::kBnClicked, 1040, &Dlg_Setup::OnReleaseClicked),
      CommandRow(platform::kBnClicked, kIdBrowse, &Dlg_Setup::OnBrowse),
      CommandRow(platform::kBnClicked, kIdInstall, &Dlg_Setup::OnInstall),
  };
  static const MessageMap map{CDialog::ThisMessageMap(), rows, std::size(rows)};
  return &map;
}

const MessageMap* Dlg_Setup::GetMessageMap() const { return ThisMessageMap(); }

void Dlg_Setup::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  for (int slot = kReleaseCount - 1; slot >= 0; --slot) DDX_Control(dx, kReleaseBoxIds[slot], ReleaseBox(slot));
  for (int slot = 0; slot < kReleaseCount; ++slot) DDX_Check(dx, kReleaseBoxIds[slot], releaseTicked[slot]);
  DDX_Text(dx, kIdVersionCaption, versionText);
  DDX_Control(dx, kIdProgress, progressBar);
  DDX_Text(dx, kIdInstallPath, installPath);
}

bool Dlg_Setup::OnInitDialog() {
  CDialog::OnInitDialog();
  backgroundBrush.CreateSolidBrush(kBackgroundColour);
  versionText = FormatVersion(kBuildDate, kEditionBits);
  if (platform::IconHandle icon = platform::GetWindowHost().LoadAppIcon(kAppIconId)) SetIcon(icon, false);
  for (int slot = 0; slot < kReleaseCount; ++slot) {
    if (g_hosts.locations[slot].empty()) {
      ReleaseBox(slot).EnableWindow(false);
      releaseTicked[slot] = 0;
    }
  }
  if (kEditionBits == 32) {
    for (int slot = kFirstYearHiddenIn32Bit - kFirstReleaseYear; slot < kReleaseCount; ++slot)
      ReleaseBox(slot).ShowWindow(kSwHide);
    for (int slot = kFirstYearHiddenIn32Bit - kFirstReleaseYear; slot < kReleaseCount; ++slot)
      releaseTicked[slot] = 0;
  }
  UpdateData(false);
  UpdateFinishButton();
  return true;
}

void Dlg_Setup::UpdateFinishButton() {
  UpdateData(true);
  bool anyTicked = false;
  for (int flag : releaseTicked) {
    if (flag != 0) {
      anyTicked = true;
      break;
    }
  }
  EnableDlgItem(kIdFinish, anyTicked);
}

void Dlg_Setup::OnReleaseClicked() { UpdateFinishButton(); }

platform::BrushHandle Dlg_Setup::OnCtlColor(CDC* dc, CWnd* window, unsigned kind) {
  CDialog::OnCtlColor(dc, window, kind);
  int id = window->GetDlgCtrlID();
  dc->SetTextColor(kTextColour);
  if (id != kIdInstallPath) dc->SetBkMode(platform::kTransparent);
  if (id == kIdVersionCaption) {
    if (!captionFont.GetSafeHandle())
      captionFont.Create(kCaptionFontHeight, 0, 0, 0, kFwSemiBold, false, false, false, kAnsiCharset,
                         kDefaultPrecision, kDefaultClipPrecision, kDefaultQuality, kDefaultPitchAndFamily, "宋体");
    dc->SelectObject(captionFont.GetSafeHandle());
    dc->SetTextColor(kCaptionColour);
  }
  return backgroundBrush.GetSafeHandle();
}

void Dlg_Setup::OnOK() { CDialog::OnOK(); }

void Dlg_Setup::OnCancel() { CDialog::OnCancel(); }

void Dlg_Setup::OnBrowse() {
  UpdateData(true);
  const std::string caption = kPickerText, title = kPickerText, initialPath = installPath;
  CPathDialog picker(caption.c_str(), title.c_str(), initialPath.c_str(), nullptr);
  if (picker.RunModal() == 1) {
    installPath = picker.GetChosenPath();
    UpdateData(false);
  }
  UpdateFinishButton();
}

void Dlg_Setup::OnInstall() {
  if (g_warnIfHostRunning && IsHostRunning()) {
    Tell(kCloseAutoCad, platform::kMbOk);
    g_warnIfHostRunning = false;
    return;
  }
  UpdateData(true);
  if (!AcceptFolderText()) return;
  // A 0x5C that ends a double-byte character is part of the name.
  DropTrailingBackslash(installPath);
  platform::Files& files = platform::GetFiles();
  files.CreateDirectory(installPath);
  installPath += kProductFolder;
  files.CreateDirectory(installPath);
  if (!RunInstall()) return;
  ShowCompletionView();
  UpdateData(false);

  // The window loses what lies below the Finish button's bottom edge as far
  // as Cancel's bottom edge lay below it: Finish then stands where Cancel did.
  platform::Rect window = GetWindowRect();
  platform::WindowHost& host = platform::GetWindowHost();
  platform::Rect finish = host.GetWindowRect(GetDlgItem(kIdFinish));
  platform::Rect cancel = host.GetWindowRect(GetDlgItem(kIdCancelButton));
  ScreenToClient(&finish);
  ScreenToClient(&cancel);
  window.bottom += finish.bottom - cancel.bottom;
  MoveWindow(window, true);
}

bool Dlg_Setup::AcceptFolderText() {
  if (installPath.empty()) {
    Tell(kNoFolder, platform::kMbOk | platform::kMbIconWarning);
    return false;
  }
  std::string folder = installPath;
  DropTrailingBackslash(folder);
  if (folder.size() + std::char_traits<char>::length(kProductFolder) > kMaxInstallDirBytes) {
    Tell(FolderTooLong(), platform::kMbOk | platform::kMbIconWarning);
    return false;
  }
  return true;
}

bool Dlg_Setup::RunInstall() {
  ShowDlgItem(kIdPathLabel, kSwHide);
  ShowDlgItem(kIdInstallPath, kSwHide);
  ShowDlgItem(kIdBrowse, kSwHide);
  ShowDlgItem(kIdProgress, kSwShow);
  progressBar.SetRange(0, kProgressEnd);
  progressBar.SetStep(1);
  progressBar.SetPos(0);

  CFileDeployer deployer(installPath, progressBar);
  if (!deployer.DeployDataFolder()) {
    OnCancel();
    return false;
  }
  StepUpToFull(progressBar);
  g_hosts.SetInstallDir(installPath);
  int settingsFailed = g_hosts.RegisterLoaders(releaseTicked);
  StepUpToFull(progressBar);
  int filesFailed = g_hosts.PlaceSupportFiles(releaseTicked);
  StepUpToFull(progressBar);
  progressBar.SetPos(kProgressEnd);
  WarnIfIncomplete(settingsFailed, filesFailed);
  return true;
}

void Dlg_Setup::WarnIfIncomplete(int settingsFailed, int filesFailed) {
  if (settingsFailed == 0 && filesFailed == 0) return;
  Tell(IncompleteInstall(settingsFailed, filesFailed), platform::kMbOk | platform::kMbIconWarning);
}

void Dlg_Setup::ShowCompletionView() {
  ShowDlgItem(kIdDoneHeading, kSwShow);
  ShowDlgItem(kIdMenuPicture, kSwShow);
  ShowDlgItem(kIdComponentsHeading, kSwHide);
  ShowDlgItem(kIdProgress, kSwHide);
  ShowDlgItem(kIdFinish, kSwShow);
  ShowDlgItem(kIdInstall, kSwHide);
  ShowDlgItem(kIdCancelButton, kSwHide);
  for (int slot = 0; slot < kReleaseCount; ++slot) ReleaseBox(slot).ShowWindow(kSwHide);
}
