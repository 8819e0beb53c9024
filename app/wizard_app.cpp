#include "app/wizard_app.h"

#include <iterator>

#include "hosts/acad_hosts.h"
#include "ui/setup_dialog.h"

// The two globals, in this order: the catalogue is destroyed first at exit.
CWizardApp theApp;
CAcadHosts g_hosts;

CWizardApp::CWizardApp() : CWinApp(nullptr) {}

const MessageMap* CWizardApp::ThisMessageMap() {
  static const MessageMapEntry rows[] = {
      CommandRow(platform::kBnClicked, kIdHelp, &CWinApp::OnHelp),
  };
  static const MessageMap map{CWinApp::ThisMessageMap(), rows, std::size(rows)};
  return &map;
}

const MessageMap* CWizardApp::GetMessageMap() const { return ThisMessageMap(); }

bool CWizardApp::InitInstance() {
  g_hosts.Discover();
  Dlg_Setup dialog;
  dialog.DoModal();
  return false;
}
