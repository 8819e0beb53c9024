// Process entry of SetUp.exe: the Win32 services and the application
// object, run as every process of the program runs (ui/app.h).
#include <windows.h>

#include "app/build_constants.h"
#include "app/wizard_app.h"
#include "platform/win32/services.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  CWizardApp app(kThisBuild);
  return RunProcess(platform::win32::AllServices(), app);
}
