#include "app/wizard_app.h"

#include "platform/system_info.h"
#include "run/setup_run.h"

CWizardApp::CWizardApp(const BuildInfo& build) : build_(build) {}

// The arguments are the system's; the run itself takes them as given, so it
// can be tried with any.
bool CWizardApp::InitInstance() {
  exitCode_ = RunSetup(build_, platform::GetSystemInfo().Arguments());
  return false;
}

int CWizardApp::ExitInstance() { return ExitCodeNumber(exitCode_); }
