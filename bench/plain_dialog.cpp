// plain_dialog.exe: the setup dialog's template from our own resources, shown
// by a program with no logic at all: the floor that SetUp.exe's size and time
// to dialog are measured against. Closing the window ends it.
#include <windows.h>

#include <commctrl.h>

namespace {

constexpr int kSetupDialogId = 141;

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return message == WM_INITDIALOG;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // The template holds a progress bar, as SetUp.exe's start-up provides.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  return static_cast<int>(DialogBoxParamW(instance, MAKEINTRESOURCEW(kSetupDialogId), nullptr, DialogProc, 0));
}
