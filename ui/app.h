// The application object: one per program, constructed as a global. The
// process entry runs its instance initialisation; this layer has no message
// loop of its own, so the program ends when the instance initialisation
// returns, whatever it returns.
#pragma once

#include "ui/wnd.h"

class CWinApp : public CCmdTarget {
 public:
  // Becomes the program's application object (until it is destroyed, when
  // the one before it is again). `appName` may be null.
  explicit CWinApp(const char* appName = nullptr);
  ~CWinApp() override;

  static const MessageMap* ThisMessageMap();
  const MessageMap* GetMessageMap() const override;

  virtual bool InitInstance();
  // The process's exit code.
  virtual int ExitInstance();

  // The default help handler, for the Help command (0xE146): the program
  // carries no help file, so it does nothing.
  void OnHelp();

  const char* m_pszAppName;

 private:
  CWinApp* previous_;
};

// The Help command id (ID_HELP).
constexpr unsigned kIdHelp = 0xE146;

// The program's application object, or null before it is constructed.
CWinApp* GetApp();

// What the process entry does with the application object: the instance
// initialisation, then the exit code.
int RunApplication(CWinApp& app);
