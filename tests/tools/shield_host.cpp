// shield_host.exe: the setup dialog over the real services as a run opens it
// when the prompt for administrator rights was declined, for the end-to-end
// scripts: Install with the shield, the question, the hand-over. Nothing is
// started elevated: asked for the elevated copy, the played offer says it ran
// and ended with CODE. Prints (UTF-8) "asked FOLDER HOSTWARNED" for each ask
// and "elevated CODE" when the dialog ended for the copy.
//
//   shield_host CODE
//
// Wine draws nothing for BCM_SETSHIELD, so the host puts the system's shield
// icon before Install's text, where Windows draws the shield: a screenshot
// then shows what a user of Windows sees.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "app/build_constants.h"
#include "hosts/acad_hosts.h"
#include "platform/win32/services.h"
#include "platform/win32/text.h"
#include "tests/tools/utf8.h"
#include "ui/setup_dialog.h"

namespace {

void Print(const std::string& utf8) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

struct PlayedOffer : ElevationOffer {
  ElevationState State() override { return ElevationState::Declined; }
  ElevatedRun Elevate(const InstallChoices& choices) override {
    Print("asked " + ToUtf8(platform::win32::Widen(choices.folderText)) + (choices.hostWarned ? " 1\n" : " 0\n"));
    return {ElevatedRunResult::Ran, code};
  }
  void Answered(RightsWay) override {}
  std::uint32_t code = 0;
};

BOOL CALLBACK PutShield(HWND window, LPARAM) {
  HWND install = GetDlgItem(window, kIdInstall);
  if (!install) return TRUE;
  const int size = GetSystemMetrics(SM_CXSMICON);
  if (HANDLE icon = LoadImageW(nullptr, MAKEINTRESOURCEW(32518), IMAGE_ICON, size, size, LR_SHARED))  // IDI_SHIELD
    SendMessageW(install, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
  return FALSE;
}

// The dialog is up: its modal loop runs the timer.
void CALLBACK OnDialogUp(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  EnumThreadWindows(GetCurrentThreadId(), PutShield, 0);
}

}  // namespace

int main(int argc, char** argv) {
  platform::UseServices(platform::win32::AllServices());
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  PlayedOffer offer;
  offer.code = argc > 1 ? static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 0;
  CAcadHosts hosts;
  hosts.Discover();
  Dlg_Setup dialog(hosts, kThisBuild);
  dialog.OfferElevation(&offer);
  SetTimer(nullptr, 0, 10, OnDialogUp);
  dialog.DoModal();
  if (const std::optional<std::uint32_t> code = dialog.elevatedExitCode()) Print("elevated " + std::to_string(*code) + "\n");
  return 0;
}
