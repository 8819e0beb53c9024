// The setup dialog: one check box per AutoCAD release year found on the
// machine, the install folder with a Browse button, Install and Cancel.
#pragma once

#include <array>
#include <string>

#include "hosts/acad_hosts.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/gdi.h"

// The dialog's own colours.
constexpr platform::Colour kBackgroundColour = 0x0096D2AA;  // light green
constexpr platform::Colour kCaptionColour = 0x0028460A;     // dark green
constexpr platform::Colour kTextColour = 0x00000000;

class Dlg_Setup : public CDialog {
 public:
  explicit Dlg_Setup(CWnd* parent = nullptr);
  ~Dlg_Setup() override;

  static const MessageMap* ThisMessageMap();
  const MessageMap* GetMessageMap() const override;

 protected:
  void DoDataExchange(CDataExchange* dx) override;

 public:
  bool OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

  // Enables Finish while at least one release is ticked.
  void UpdateFinishButton();

  // Message-map handlers.
  void OnReleaseClicked();
  platform::BrushHandle OnCtlColor(CDC* dc, CWnd* window, unsigned kind);
  void OnBrowse();
  void OnInstall();

  // Deploys the Data folder and registers the add-on with AutoCAD, under the
  // progress bar. False when the deployment stopped (no Data folder, or the
  // user aborted a copy): the dialog is then already ending.
  bool RunInstall();

  // The check box of a release slot (year - 2007).
  CButton& ReleaseBox(int slot) { return releaseBoxes[kReleaseCount - 1 - slot]; }

  CBrush backgroundBrush;
  // Declared from 2024 down to 2007; ReleaseBox finds a slot's box.
  std::array<CButton, kReleaseCount> releaseBoxes;
  ReleaseFlags releaseTicked;  // 2007 first; 1 ticked, 0 not
  std::string versionText;
  CProgressCtrl progressBar;
  std::string installPath;
  // The version caption's font, made at the first colour request and kept
  // for the dialog's lifetime: a font deleted while the control's drawing
  // context still holds it would be drawn with no font at all.
  CFont captionFont;

 private:
  // The folder text, refused with a message when it is empty or would make
  // an install folder longer than the loader text allows. True when usable.
  bool AcceptFolderText();
  void ShowCompletionView();
  // Tells the user how many AutoCAD settings and support files could not be
  // written; says nothing when all were.
  void WarnIfIncomplete(int settingsFailed, int filesFailed);
};
