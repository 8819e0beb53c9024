#include "ui/setup_dialog.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "deploy/host_check.h"
#include "deploy/product.h"
#include "install/messages.h"
#include "platform/lookup.h"
#include "platform/mbcs.h"
#include "platform/message_box.h"
#include "platform/rights.h"
#include "ui/path_dialog.h"
#include "ui/setup_template.h"

namespace {

constexpr int kCaptionFontHeight = 12;  // pixels at 100 %

// Posted to the dialog once the dialog manager has laid it out for a new scale.
constexpr unsigned kWmFitPictures = platform::kWmApp + 1;
// Posted as the elevated copy's dialog opens: the install starts once the
// dialog is on screen.
constexpr unsigned kWmContinueInstall = platform::kWmApp + 2;

const char kPickerText[] = "请选择安装目录：";

// The progress bar: the deployment steps it once per entry it looks at, the
// integration three times, and the end sets it full.
constexpr int kProgressEnd = 50;

void Tell(const std::string& text, unsigned style) { platform::GetMessageBoxes().Show(text, kMessageCaption, style); }

struct NoticeStyle {
  Notice notice;
  unsigned style;
};

// The box each notice comes in: a warning where the user has something to put
// right.
constexpr unsigned kWarningBox = platform::kMbOk | platform::kMbIconWarning;
constexpr NoticeStyle kNoticeStyles[] = {
    {Notice::NoFolder, kWarningBox},          {Notice::FolderInvalid, kWarningBox},
    {Notice::FolderTooLong, kWarningBox},     {Notice::FolderNotCreated, kWarningBox},
    {Notice::Incomplete, kWarningBox},        {Notice::HostRunning, platform::kMbOk},
    {Notice::DataMissing, platform::kMbOk},   {Notice::DataUnreadable, platform::kMbOk},
    {Notice::RolledBack, kWarningBox},
};

unsigned StyleOf(Notice notice) { return RowOf(kNoticeStyles, &NoticeStyle::notice, notice).style; }

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

  void OnFolderFallback(const std::string& refused, platform::Status, const std::string& installDir) override {
    ::Tell(FolderFallbackText(refused, installDir), platform::kMbOk | platform::kMbIconInformation);
  }

  bool TakeBackUserInstall(const std::string& installDir) override {
    return platform::GetMessageBoxes().Show(UserInstallQuestionText(installDir), kMessageCaption,
                                            platform::kMbYesNo | platform::kMbIconQuestion) == platform::kIdYes;
  }

 private:
  Dlg_Setup& dialog_;
};

Dlg_Setup::Dlg_Setup(CAcadHosts& hosts, const BuildInfo& build, CWnd* parent)
    : CDialog(SetupDialogTemplate(), parent), installPath(kDefaultFolder), hosts_(hosts), build_(build) {
  releaseTicked.fill(1);
}

Dlg_Setup::~Dlg_Setup() = default;

const MessageMap* Dlg_Setup::ThisMessageMap() {
  // One row per release box, with the ids the template's table gives them.
  static constexpr auto rows = [] {
    std::array<MessageMapEntry, kReleaseCount + 5> all{};
    all[0] = CtlColorRow<&Dlg_Setup::OnCtlColor>();
    for (int slot = 0; slot < kReleaseCount; ++slot)
      all[1 + slot] = CommandRow<&Dlg_Setup::OnReleaseClicked>(platform::kBnClicked, kReleaseBoxes[slot].id);
    all[1 + kReleaseCount] = CommandRow<&Dlg_Setup::OnBrowse>(platform::kBnClicked, kIdBrowse);
    all[2 + kReleaseCount] = CommandRow<&Dlg_Setup::OnInstall>(platform::kBnClicked, kIdInstall);
    all[3 + kReleaseCount] = MessageRow<&Dlg_Setup::OnFitPictures>(kWmFitPictures);
    all[4 + kReleaseCount] = MessageRow<&Dlg_Setup::OnContinueInstall>(kWmContinueInstall);
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
  DDX_Control(dx, kIdInstall, installButton_);
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
  if (offer_) SetElevation(offer_->State());
  logo_.Fit(m_hWnd, SetupDialogTemplate());
  if (continueAtOnce_) platform::GetWindowHost().Post(m_hWnd, kWmContinueInstall);
  return true;
}

void Dlg_Setup::PresetContinue(bool hostWarned) {
  continueAtOnce_ = true;
  warnIfHostRunning = !hostWarned;
}

std::intptr_t Dlg_Setup::OnContinueInstall(std::uintptr_t, std::intptr_t) {
  OnInstall();
  return 0;
}

void Dlg_Setup::SetElevation(ElevationState state) {
  elevation_ = state;
  installButton_.SetShield(state == ElevationState::Declined);
}

RightsWay Dlg_Setup::AskRightsWay(bool mayElevate) {
  using Button = platform::MessageBoxes::Button;
  const Button asAdministrator{static_cast<int>(RightsWay::AsAdministrator), kAsAdministratorLabel},
      forMeOnly{static_cast<int>(RightsWay::ForMeOnly), kForMeOnlyLabel},
      withoutRights{static_cast<int>(RightsWay::WithoutRights), kWithoutRightsLabel};
  // A standard user gets the rights only with an administrator's password:
  // installing for himself comes first.
  const bool standardUser = platform::GetRights().Token() == platform::TokenRights::Standard;
  const std::vector<Button> buttons = !mayElevate    ? std::vector<Button>{forMeOnly, withoutRights}
                                      : standardUser ? std::vector<Button>{forMeOnly, asAdministrator, withoutRights}
                                                     : std::vector<Button>{asAdministrator, forMeOnly, withoutRights};
  const int answer = platform::GetMessageBoxes().Choose(mayElevate ? ElevationQuestionText() : ElevationRefusedText(),
                                                        kMessageCaption,
                                                        mayElevate ? platform::kMbIconQuestion : platform::kMbIconWarning,
                                                        buttons);
  if (answer == platform::kIdCancel) return RightsWay::Cancelled;
  for (const Button& button : buttons)
    if (answer == button.id) return static_cast<RightsWay>(answer);
  return RightsWay::WithoutRights;  // no box could be shown: install what can be
}

bool Dlg_Setup::GoOnWithout(RightsWay way) {
  offer_->Answered(way);
  if (way == RightsWay::Cancelled) return false;  // the next click asks again
  if (way == RightsWay::ForMeOnly) currentUser_ = true;
  SetElevation(ElevationState::NotNeeded);
  return true;
}

bool Dlg_Setup::GoOnHere() {
  // The running-AutoCAD warning comes first, from the install this click
  // starts; the box comes with the click that installs.
  if (elevation_ != ElevationState::NotNeeded && warnIfHostRunning && IsHostRunning()) return true;
  if (elevation_ == ElevationState::NotNeeded) return true;
  const RightsWay way = AskRightsWay(elevation_ == ElevationState::Declined);
  if (way != RightsWay::AsAdministrator) return GoOnWithout(way);
  offer_->Answered(way);
  UpdateData(true);
  // The elevated copy shows the dialog from here on: this one is out of
  // sight while the prompt and the copy are up, and back if they are not.
  ShowWindow(kSwHide);
  const ElevatedRun run = offer_->Elevate({installPath, releaseTicked, !warnIfHostRunning});
  if (run.result != ElevatedRunResult::Ran) ShowWindow(kSwShow);
  switch (run.result) {
    case ElevatedRunResult::Ran:
      elevatedExitCode_ = run.exitCode;
      EndDialog(platform::kIdOk);
      return false;
    case ElevatedRunResult::Declined:
      return false;
    case ElevatedRunResult::Refused:
      break;
  }
  // Refused by the computer's policy: the ways that are left.
  SetElevation(ElevationState::Refused);
  return GoOnWithout(AskRightsWay(false));
}

bool Dlg_Setup::OnWndMsg(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t* result) {
  if (message == platform::kWmDpiChanged) {
    // Made again at the new scale by the next colour request, which comes
    // when the dialog manager repaints the laid-out dialog.
    captionFont.DeleteObject();
    platform::GetWindowHost().Post(m_hWnd, kWmFitPictures);
  }
  return CDialog::OnWndMsg(message, wParam, lParam, result);
}

std::intptr_t Dlg_Setup::OnFitPictures(std::uintptr_t, std::intptr_t) {
  logo_.Fit(m_hWnd, SetupDialogTemplate());
  menuPicture_.Fit(m_hWnd, SetupDialogTemplate());
  return 0;
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
    if (!captionFont.GetSafeHandle()) {
      const int height = ScaleToDpi(kCaptionFontHeight, platform::GetWindowHost().Dpi(m_hWnd));
      captionFont.Create(height, 0, 0, 0, kFwSemiBold, false, false, false, kAnsiCharset, kDefaultPrecision,
                         kDefaultClipPrecision, kDefaultQuality, kDefaultPitchAndFamily, "宋体");
    }
    dc->SelectObject(captionFont.GetSafeHandle());
    dc->SetTextColor(kCaptionColour);
  }
  return backgroundBrush.GetSafeHandle();
}

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
  if (!GoOnHere() || !RunInstall()) return;
  ShowCompletionView();
  UpdateData(false);
  ShrinkToFinishButton();
}

bool Dlg_Setup::RunInstall() {
  InstallRequest request;
  request.checkHostRunning = warnIfHostRunning;
  request.build = build_;
  request.everyUser = everyUser_;
  request.currentUser = currentUser_;
  UpdateData(true);
  request.folderText = installPath;
  if (currentUser_ && installPath == kDefaultFolder) request.fallbackFolderText = UserProgramsFolderText();
  request.ticked = releaseTicked;
  EngineDriver driver(*this);
  CInstallEngine engine(hosts_);
  const InstallReport report = runner_ ? runner_->Install(engine, request, driver) : engine.Install(request, driver);
  switch (report.outcome) {
    case InstallOutcome::HostRunning:
      warnIfHostRunning = false;
      return false;
    case InstallOutcome::FolderRefused:
      return false;
    case InstallOutcome::Installed:
    case InstallOutcome::Incomplete:
      installPath = report.installDir;
      outcome_ = report.outcome;
      return true;
    case InstallOutcome::DataMissing:
    case InstallOutcome::DataUnreadable:
    case InstallOutcome::Aborted:
      break;
  }
  installPath = report.installDir;
  outcome_ = report.outcome;
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
  // Drawn at the screen's scale only now: the selection view opens sooner.
  menuPicture_.Fit(m_hWnd, SetupDialogTemplate());
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
