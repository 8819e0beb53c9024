// The application object: finds the AutoCAD installations, runs the setup
// dialog, and lets the process end when the dialog closes.
#pragma once

#include "ui/app.h"

class CWizardApp : public CWinApp {
 public:
  CWizardApp();

  static const MessageMap* ThisMessageMap();
  const MessageMap* GetMessageMap() const override;

  // Discovery, then the setup dialog, run modally. Returns false: there is
  // no message loop to run after the dialog.
  bool InitInstance() override;
};

// The application object (constructed before the host catalogue).
extern CWizardApp theApp;
