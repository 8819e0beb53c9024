// The application object: one per program. The process entry runs its
// instance initialisation; this layer has no message loop of its own, so the
// program ends when the instance initialisation returns, whatever it returns.
#pragma once

#include "platform/services.h"

class CWinApp {
 public:
  CWinApp() = default;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;
  virtual ~CWinApp() = default;

  virtual bool InitInstance();
  // The process's exit code.
  virtual int ExitInstance();
};

// What the process entry does with the application object: the instance
// initialisation, then the exit code.
int RunApplication(CWinApp& app);

// A whole process of the program: the DLL search kept to System32 before
// anything else can load a DLL (an elevated copy started from Downloads or
// the temp folder must not load one planted beside it), then `services` in
// use, then the application.
int RunProcess(const platform::Services& services, CWinApp& app);
