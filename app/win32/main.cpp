// Process entry of SetUp.exe: the Win32 services, the common controls the
// dialog template uses (the progress bar), then the application object's
// instance initialisation.
#include <windows.h>

#include <commctrl.h>

#include "app/build_constants.h"
#include "app/wizard_app.h"
#include "platform/win32/services.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  platform::UseServices(platform::win32::AllServices());
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  CWizardApp app(kThisBuild);
  return RunApplication(app);
}
