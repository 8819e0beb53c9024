#include "ui/app.h"

namespace {

CWinApp* g_app = nullptr;

}  // namespace

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName), previous_(g_app) { g_app = this; }

CWinApp::~CWinApp() {
  if (g_app == this) g_app = previous_;
}

const MessageMap* CWinApp::ThisMessageMap() {
  static const MessageMap map{CCmdTarget::ThisMessageMap(), nullptr, 0};
  return &map;
}

const MessageMap* CWinApp::GetMessageMap() const { return ThisMessageMap(); }

bool CWinApp::InitInstance() { return true; }

int CWinApp::ExitInstance() { return 0; }

void CWinApp::OnHelp() {}

CWinApp* GetApp() { return g_app; }

int RunApplication(CWinApp& app) {
  // Whatever InitInstance answers, there is no message loop to enter.
  app.InitInstance();
  return app.ExitInstance();
}
