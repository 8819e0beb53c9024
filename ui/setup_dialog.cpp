#include "ui/setup_dialog.h"

#include <cstdio>
#include <iterator>

#include "app/build_constants.h"
#include "ui/setup_template.h"

namespace {

constexpr int kCaptionFontHeight = 12;

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

// The folder choice and the install sequence come with the install task.
void Dlg_Setup::OnBrowse() {}

void Dlg_Setup::OnInstall() {}
