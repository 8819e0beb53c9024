#include "app/wizard_app.h"

#include <iterator>

#include "hosts/acad_hosts.h"
#include "ui/setup_dialog.h"

CWizardApp::CWizardApp(const BuildInfo& build) : CWinApp(nullptr), build_(build) {}

const MessageMap* CWizardApp::ThisMessageMap() {
  static const MessageMapEntry rows[] = {
      CommandRow(platform::kBnClicked, kIdHelp, &CWinApp::OnHelp),
  };
  static const MessageMap map{CWinApp::ThisMessageMap(), rows, std::size(rows)};
  return &map;
}

const MessageMap* CWizardApp::GetMessageMap() const { return ThisMessageMap(); }

// Discovery runs once; the catalogue lives as long as the dialog that shows
// it and the installs it drives.
bool CWizardApp::InitInstance() {
  CAcadHosts hosts;
  hosts.Discover();
  Dlg_Setup dialog(hosts, build_);
  dialog.DoModal();
  return false;
}
