// The application object: finds the AutoCAD installations, runs the setup
// dialog, and lets the process end when the dialog closes.
#pragma once

#include "install/edition.h"
#include "ui/app.h"

class CWizardApp : public CWinApp {
 public:
  explicit CWizardApp(const BuildInfo& build);

  static const MessageMap* ThisMessageMap();
  const MessageMap* GetMessageMap() const override;

  // Discovery, then the setup dialog, run modally. Returns false: there is
  // no message loop to run after the dialog.
  bool InitInstance() override;

 private:
  BuildInfo build_;
};
