// Process entry of SetUp.exe: the common controls the dialog template uses
// (the progress bar), then the application object's instance initialisation.
#include <windows.h>

#include <commctrl.h>

#include "app/wizard_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  return RunApplication(theApp);
}
