#include "app/wizard_app.h"

#include <iterator>

#include "platform/system_info.h"
#include "run/setup_run.h"

CWizardApp::CWizardApp(const BuildInfo& build) : CWinApp(nullptr), build_(build) {}

const MessageMap* CWizardApp::ThisMessageMap() {
  static const MessageMapEntry rows[] = {
      CommandRow(platform::kBnClicked, kIdHelp, &CWinApp::OnHelp),
  };
  static const MessageMap map{CWinApp::ThisMessageMap(), rows, std::size(rows)};
  return &map;
}

const MessageMap* CWizardApp::GetMessageMap() const { return ThisMessageMap(); }

// The arguments are the system's; the run itself takes them as given, so it
// can be tried with any.
bool CWizardApp::InitInstance() {
  exitCode_ = RunSetup(build_, platform::GetSystemInfo().Arguments());
  return false;
}

int CWizardApp::ExitInstance() { return ExitCodeNumber(exitCode_); }
