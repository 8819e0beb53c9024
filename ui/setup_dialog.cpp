#include "ui/setup_dialog.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "install/product.h"
#include "platform/mbcs.h"
#include "platform/message_box.h"
#include "ui/path_dialog.h"
#include "ui/setup_template.h"

namespace {

constexpr int kCaptionFontHeight = 12;

const char kPickerText[] = "请选择安装目录：";

// The progress bar: the deployment steps it once per entry it looks at, the
// integration three times, and the end sets it full.
constexpr int kProgressEnd = 50;

void Tell(const std::string& text, unsigned style) { platform::GetMessageBoxes().Show(text, kMessageCaption, style); }

unsigned StyleOf(Notice notice) {
  switch (notice) {
    case Notice::NoFolder:
    case Notice::FolderInvalid:
    case Notice::FolderTooLong:
    case Notice::FolderNotCreated:
    case Notice::Incomplete:
      return platform::kMbOk | platform::kMbIconWarning;
    case Notice::HostRunning:
    case Notice::DataMissing:
    case Notice::DataUnreadable:
      break;
  }
  return platform::kMbOk;
}

// The release boxes' message-map rows: one row per run of consecutive ids.
std::vector<MessageMapEntry> ReleaseRows() {
  std::array<int, kReleaseCount> ids = kReleaseBoxIds;
  std::sort(ids.begin(), ids.end());
  std::vector<MessageMapEntry> rows;
  for (std::size_t first = 0; first < ids.size();) {
    std::size_t last = first;
    while (last + 1 < ids.size() && ids[last + 1] == ids[last] + 1) ++last;
    rows.push_back(CommandRangeRow(platform::kBnClicked, static_cast<unsigned>(ids[first]),
                                   static_cast<unsigned>(ids[last]), &Dlg_Setup::OnReleaseClicked));
    first = last + 1;
  }
  return rows;
}

}  // namespace

// Each %d of the format takes the next number in decimal, as printf writes
// it; without printf the program carries no formatter of the C library, with
// its floating-point conversions, at all.
std::string FormatVersion(const BuildInfo& build) {
  const int numbers[] = {build.date / 10000, build.date % 10000 / 100, build.date % 100, build.editionBits};
  std::string_view rest = kVersionFormat;
  std::string text;
  for (int number : numbers) {
    const std::size_t at = mbcs::Find(rest, "%d");
    if (at == mbcs::npos) break;
    text.append(rest.substr(0, at)).append(mbcs::Decimal(number));
    rest.remove_prefix(at + 2);
  }
  return text.append(rest);
}

CopyDecision CopyDecisionOf(int button) {
  switch (button) {
    case platform::kIdRetry:
      return CopyDecision::Retry;
    case platform::kIdIgnore:
      return CopyDecision::Ignore;
    default:
      return CopyDecision::Abort;
  }
}

// The dialog as the engine's driver: the progress view and bar, the message
// boxes, and the abort/retry/ignore question.
class Dlg_Setup::EngineDriver : public QuietInstallDriver {
 public:
  explicit EngineDriver(Dlg_Setup& dialog) : dialog_(dialog) {}

  void OnProgressBegin() override {
    dialog_.ShowProgressView();
    dialog_.progressBar.SetRange(0, kProgressEnd);
    dialog_.progressBar.SetStep(1);
    dialog_.progressBar.SetPos(0);
  }
  void OnProgressStep() override { dialog_.progressBar.StepUpToFull(); }
  void OnProgressEnd() override { dialog_.progressBar.SetPos(kProgressEnd); }

  CopyDecision OnCopyFailed(const FileEvent&, const std::string& question) override {
    return CopyDecisionOf(platform::GetMessageBoxes().Show(question, kMessageCaption, platform::kMbAbortRetryIgnore));
  }

  void Tell(Notice notice, const std::string& text) override { ::Tell(text, StyleOf(notice)); }

 private:
  Dlg_Setup& dialog_;
};

Dlg_Setup::Dlg_Setup(CAcadHosts& hosts, const BuildInfo& build, CWnd* parent)
    : CDialog(SetupDialogTemplate(), parent), installPath(kDefaultFolder), hosts_(hosts), build_(build) {
  releaseTicked.fill(1);
}

Dlg_Setup::~Dlg_Setup() = default;

const MessageMap* Dlg_Setup::ThisMessageMap() {
  static const std::vector<MessageMapEntry> rows = [] {
    std::vector<MessageMapEntry> all = {CtlColorRow(&Dlg_Setup::OnCtlColor)};
    for (const MessageMapEntry& row : ReleaseRows()) all.push_back(row);
    all.push_back(CommandRow(platform::kBnClicked, kIdBrowse, &Dlg_Setup::OnBrowse));
    all.push_back(CommandRow(platform::kBnClicked, kIdInstall, &Dlg_Setup::OnInstall));
    return all;
  }();
  static const MessageMap map{CDialog::ThisMessageMap(), rows.data(), rows.size()};
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
  versionText = FormatVersion(build_);
  if (platform::IconHandle icon = platform::GetWindowHost().LoadAppIcon(kAppIconId)) SetIcon(icon, false);
  for (int slot = 0; slot < kReleaseCount; ++slot) {
    if (hosts_.locations[slot].empty()) {
      ReleaseBox(slot).EnableWindow(false);
      releaseTicked[slot] = 0;
    }
  }
  for (int slot = 0; slot < kReleaseCount; ++slot) {
    if (!IsOfferedByEdition(kFirstReleaseYear + slot, build_.editionBits)) ReleaseBox(slot).ShowWindow(kSwHide);
  }
  for (int slot = 0; slot < kReleaseCount; ++slot) {
    if (!IsOfferedByEdition(kFirstReleaseYear + slot, build_.editionBits)) releaseTicked[slot] = 0;
  }
  if (presetReleases_) {
    for (int slot = 0; slot < kReleaseCount; ++slot) releaseTicked[slot] = releaseTicked[slot] && (*presetReleases_)[slot];
  }
  UpdateData(false);
  UpdateFinishButton();
  return true;
}

void Dlg_Setup::UpdateFinishButton() {
  UpdateData(true);
  const bool anyTicked = std::any_of(releaseTicked.begin(), releaseTicked.end(), [](int flag) { return flag != 0; });
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
  if (!RunInstall()) return;
  ShowCompletionView();
  UpdateData(false);
  ShrinkToFinishButton();
}

bool Dlg_Setup::RunInstall() {
  InstallRequest request;
  request.checkHostRunning = warnIfHostRunning;
  request.build = build_;
  UpdateData(true);
  request.folderText = installPath;
  request.ticked = releaseTicked;
  EngineDriver driver(*this);
  CInstallEngine engine(hosts_);
  const InstallReport report = InstallWithLog(engine, request, driver, log_);
  switch (report.outcome) {
    case InstallOutcome::HostRunning:
      warnIfHostRunning = false;
      return false;
    case InstallOutcome::FolderRefused:
      return false;
    case InstallOutcome::Installed:
    case InstallOutcome::Incomplete:
      installPath = report.installDir;
      exitCode_ = ExitCodeOf(report.outcome);
      return true;
    case InstallOutcome::DataMissing:
    case InstallOutcome::DataUnreadable:
    case InstallOutcome::Aborted:
      break;
  }
  installPath = report.installDir;
  exitCode_ = ExitCodeOf(report.outcome);
  OnCancel();
  return false;
}

void Dlg_Setup::ShowProgressView() {
  ShowDlgItem(kIdPathLabel, kSwHide);
  ShowDlgItem(kIdInstallPath, kSwHide);
  ShowDlgItem(kIdBrowse, kSwHide);
  ShowDlgItem(kIdProgress, kSwShow);
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

void Dlg_Setup::ShrinkToFinishButton() {
  platform::Rect window = GetWindowRect();
  platform::WindowHost& host = platform::GetWindowHost();
  platform::Rect finish = host.GetWindowRect(GetDlgItem(kIdFinish));
  platform::Rect cancel = host.GetWindowRect(GetDlgItem(kIdCancelButton));
  ScreenToClient(&finish);
  ScreenToClient(&cancel);
  window.bottom += finish.bottom - cancel.bottom;
  MoveWindow(window, true);
}
