// Process entry of SetUp.exe: DLLs from System32 only, the Win32 services,
// the common controls the dialog template uses (the progress bar), then the
// application object's instance initialisation.
#include <windows.h>

#include <commctrl.h>

#include "app/build_constants.h"
#include "app/wizard_app.h"
#include "platform/rights.h"
#include "platform/win32/services.h"
#include "platform/win32/system_library.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything else can load a DLL: an elevated copy started from
  // Downloads or the temp folder must not load one planted beside it.
  platform::win32::TheRights().RestrictDllSearch();
  platform::UseServices(platform::win32::AllServices());
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  if (auto initControls = platform::win32::SystemFunction<decltype(&::InitCommonControlsEx)>(
          L"comctl32.dll", "InitCommonControlsEx"))
    initControls(&controls);
  CWizardApp app(kThisBuild);
  return RunApplication(app);
}
