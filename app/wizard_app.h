// The application object: hands the command line to the run (run/setup_run.h)
// and lets the process end with the run's exit code.
#pragma once

#include "deploy/product.h"
#include "run/exit_code.h"
#include "ui/app.h"

class CWizardApp : public CWinApp {
 public:
  explicit CWizardApp(const BuildInfo& build);

  // The run its command line asks for: discovery, then the setup dialog run
  // modally, or the unattended install. Returns false: there is no message
  // loop to run after it.
  bool InitInstance() override;
  // How the run ended (ExitCode).
  int ExitInstance() override;

 private:
  BuildInfo build_;
  ExitCode exitCode_ = ExitCode::Installed;
};
