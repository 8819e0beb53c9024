#include "ui/app.h"

#include "platform/rights.h"

bool CWinApp::InitInstance() { return true; }

int CWinApp::ExitInstance() { return 0; }

int RunApplication(CWinApp& app) {
  // Whatever InitInstance answers, there is no message loop to enter.
  app.InitInstance();
  return app.ExitInstance();
}

int RunProcess(const platform::Services& services, CWinApp& app) {
  services.rights->RestrictDllSearch();
  platform::UseServices(services);
  return RunApplication(app);
}
