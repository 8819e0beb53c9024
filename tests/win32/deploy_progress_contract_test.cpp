// The headless host's progress bar, on which the dialog tests count steps,
// must move like the real common control: the same messages to both, the
// same positions back.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "tests/fakes/window_host.h"

namespace {

TEST(ProgressBarContract, HeadlessBarMovesLikeTheCommonControl) {
  INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&classes);
  HWND control = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_POPUP, 0, 0, 200, 20, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(control, nullptr) << "a window needs a display (under Wine: DISPLAY)";
  platform::HeadlessWindowHost host;
  platform::WindowHandle headless = host.CreateTestWindow(nullptr, 0, "msctls_progress32", "");

  auto both = [&](unsigned message, WPARAM wParam, LPARAM lParam) {
    SendMessageW(control, message, wParam, lParam);
    host.Send(headless, message, wParam, lParam);
  };
  auto samePosition = [&] {
    return static_cast<int>(SendMessageW(control, PBM_GETPOS, 0, 0)) == host.Send(headless, PBM_GETPOS, 0, 0);
  };

  EXPECT_TRUE(samePosition());
  for (int i = 0; i < 12; ++i) {  // default range and step, past the end
    both(PBM_STEPIT, 0, 0);
    EXPECT_TRUE(samePosition()) << "default, step " << i;
  }
  both(PBM_SETRANGE, 0, MAKELPARAM(0, 50));
  both(PBM_SETSTEP, 1, 0);
  both(PBM_SETPOS, 0, 0);
  for (int i = 0; i < 53; ++i) {
    both(PBM_STEPIT, 0, 0);
    EXPECT_TRUE(samePosition()) << "0..50, step " << i;
  }
  both(PBM_SETSTEP, 7, 0);
  both(PBM_SETPOS, 60, 0);
  EXPECT_TRUE(samePosition());
  for (int i = 0; i < 10; ++i) {
    both(PBM_STEPIT, 0, 0);
    EXPECT_TRUE(samePosition()) << "step 7, step " << i;
  }
  EXPECT_EQ(SendMessageW(control, PBM_GETRANGE, FALSE, 0), host.Send(headless, PBM_GETRANGE, FALSE, 0));
  DestroyWindow(control);
}

}  // namespace
