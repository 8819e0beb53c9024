// The setup dialog: one check box per AutoCAD release year found on the
// machine, the install folder with a Browse button, Install and Cancel. It is
// a view of the install engine: Install hands the folder text and the ticked
// releases to the engine, and the dialog shows what the engine reports.
#pragma once

#include <array>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>

#include "hosts/acad_hosts.h"
#include "install/edition.h"
#include "install/install_engine.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/elevation_offer.h"
#include "ui/gdi.h"
#include "ui/screen_scale.h"
#include "ui/setup_template.h"

// The dialog's own colours.
constexpr platform::Colour kBackgroundColour = 0x0096D2AA;  // light green
constexpr platform::Colour kCaptionColour = 0x0028460A;     // dark green
constexpr platform::Colour kTextColour = 0x00000000;

// The answer to the abort/retry/ignore box after a failed copy. A box that
// cannot be shown counts as Abort: nobody is there to answer.
CopyDecision CopyDecisionOf(int button);

// The version caption: build date yyyymmdd as year.month.day without zero
// padding, and the edition's bitness.
std::string FormatVersion(const BuildInfo& build);

// How the dialog's installs run: straight through the engine, unless the run
// that opened the dialog wraps them (in its log, say).
class InstallRunner {
 public:
  virtual ~InstallRunner() = default;
  virtual InstallReport Install(CInstallEngine& engine, const InstallRequest& request, InstallDriver& driver) = 0;
};

class Dlg_Setup : public CDialog {
 public:
  // `hosts` is what discovery found; the install stores its folder there.
  Dlg_Setup(CAcadHosts& hosts, const BuildInfo& build, CWnd* parent = nullptr);
  ~Dlg_Setup() override;

  static const MessageMap* ThisMessageMap();
  const MessageMap* GetMessageMap() const override;

  // Before DoModal: the folder box's text instead of the default folder.
  void PresetFolder(const std::string& folder) { installPath = folder; }
  // Before DoModal: of the releases the dialog ticks, only these stay
  // ticked (the user may tick the others).
  void PresetReleases(const ReleaseFlags& chosen) { presetReleases_ = chosen; }
  // Before DoModal: the install is for every user of the machine (/ALLUSERS,
  // or the run is SYSTEM's), not for the account that runs it.
  void PresetEveryUser(bool everyUser) { everyUser_ = everyUser; }
  // Before DoModal: the install is for the user who runs it alone
  // (/CURRENTUSER), with no administrator rights needed.
  void PresetCurrentUser(bool currentUser) { currentUser_ = currentUser; }
  // Before DoModal: every install runs through `runner`.
  void RunInstallsThrough(InstallRunner* runner) { runner_ = runner; }
  // Before DoModal: the run has no administrator rights, and `offer` says
  // whether Install may ask for them (the shield) and goes on as an
  // administrator when the user wants it.
  void OfferElevation(ElevationOffer* offer) { offer_ = offer; }
  // Before DoModal, in the copy that goes on as an administrator: Install
  // was clicked in the first dialog, so this one installs as it opens, with
  // the folder and ticks preset; `hostWarned`: the running-AutoCAD warning
  // was shown there already.
  void PresetContinue(bool hostWarned);
  // After DoModal: how the install that ended the dialog ended; nothing when
  // the dialog was closed before an install ended.
  std::optional<InstallOutcome> outcome() const { return outcome_; }
  // After DoModal: the exit code of the elevated copy that installed in this
  // dialog's place; nothing when none did.
  std::optional<std::uint32_t> elevatedExitCode() const { return elevatedExitCode_; }

  // What the dialog holds, as its last data exchange left it.
  const std::string& folderText() const { return installPath; }
  const ReleaseFlags& ticked() const { return releaseTicked; }
  const std::string& versionCaption() const { return versionText; }
  CProgressCtrl& progress() { return progressBar; }
  bool warnsIfHostRunning() const { return warnIfHostRunning; }
  // The check box of a release slot (year - 2007).
  CButton& ReleaseBox(int slot) { return releaseBoxes[kReleaseCount - 1 - slot]; }
  // The boxes as the template declares them, from 2024 down to 2007.
  const std::array<CButton, kReleaseCount>& boxesInTemplateOrder() const { return releaseBoxes; }

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  bool OnInitDialog() override;

 private:
  class EngineDriver;

  // Enables Finish while at least one release is ticked.
  void UpdateFinishButton();

  // Message-map handlers.
  void OnReleaseClicked();
  platform::BrushHandle OnCtlColor(CDC* dc, CWnd* window, unsigned kind);
  std::intptr_t OnFitPictures(std::uintptr_t, std::intptr_t);
  void OnBrowse();
  void OnInstall();
  std::intptr_t OnContinueInstall(std::uintptr_t, std::intptr_t);

  // What the rights call for before an install: true to install here
  // (with the rights there are); false when the elevated copy installed
  // instead (the dialog is ending) or its prompt was declined (the
  // selection view stays).
  bool GoOnHere();
  // The rights box: the ways without rights, and going on as an
  // administrator where the run `mayElevate`.
  RightsWay AskRightsWay(bool mayElevate);
  // Goes on `way` without rights: true to install here, false when the box
  // was closed (the selection view stays).
  bool GoOnWithout(RightsWay way);
  // What the next Install click still has to say about the rights; the
  // shield shows while it asks.
  void SetElevation(ElevationState state);

  // Runs the install engine with this dialog as its driver. True when the
  // installation ran to its end; false when it did not start (AutoCAD
  // running, the folder refused: the selection view stays) or stopped (no
  // Data folder, a copy aborted: the dialog is then already ending).
  bool RunInstall();

  void ShowProgressView();
  void ShowCompletionView();
  // The window loses what lies below the Finish button's bottom edge as far
  // as Cancel's bottom edge lay below it: Finish then stands where Cancel did.
  void ShrinkToFinishButton();

  CBrush backgroundBrush;
  // Declared from 2024 down to 2007; ReleaseBox finds a slot's box.
  std::array<CButton, kReleaseCount> releaseBoxes;
  ReleaseFlags releaseTicked;  // 2007 first; 1 ticked, 0 not
  std::string versionText;
  CProgressCtrl progressBar;
  std::string installPath;
  // The version caption's font, made at the first colour request at the
  // screen's scale and kept until the scale changes: a font deleted while
  // the control's drawing context still holds it would be drawn with no font
  // at all.
  CFont captionFont;
  // While set, Install first checks for a running AutoCAD; cleared after the
  // first warning, so the next click installs whatever runs.
  bool warnIfHostRunning = true;

  // A move to a screen of another scale: the dialog manager lays the dialog
  // out again, then the pictures follow (OnFitPictures).
  bool OnWndMsg(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t* result) override;

  CPicture logo_{kLogoArt, std::size(kLogoArt), kLogoWidth, kLogoHeight};
  CPicture menuPicture_{kMenuArt, std::size(kMenuArt), kMenuWidth, kMenuHeight};
  CAcadHosts& hosts_;
  BuildInfo build_;
  std::optional<ReleaseFlags> presetReleases_;
  bool everyUser_ = false;
  bool currentUser_ = false;
  InstallRunner* runner_ = nullptr;
  std::optional<InstallOutcome> outcome_;
  CButton installButton_;
  ElevationOffer* offer_ = nullptr;
  // Declined: Install asks to go on as an administrator (again after a
  // declined prompt); Refused or Impossible: it says once that it goes on
  // without; NotNeeded once the user has said No or been told.
  ElevationState elevation_ = ElevationState::NotNeeded;
  bool continueAtOnce_ = false;
  std::optional<std::uint32_t> elevatedExitCode_;
};
