// The recording progress bar the deployment tests use must move like the
// real common control: the same messages to both, the same positions back.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "platform/memory/progress.h"

namespace {

TEST(ProgressBarContract, RecordingBarMovesLikeTheCommonControl) {
  INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&classes);
  HWND control = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_POPUP, 0, 0, 200, 20, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(control, nullptr) << "a window needs a display (under Wine: DISPLAY)";
  platform::MemoryProgressBar memory;

  auto position = [&] { return static_cast<int>(SendMessageW(control, PBM_GETPOS, 0, 0)); };
  auto range = [&](int low, int high) {
    SendMessageW(control, PBM_SETRANGE, 0, MAKELPARAM(low, high));
    memory.SetRange(low, high);
  };
  auto step = [&](int size) {
    SendMessageW(control, PBM_SETSTEP, size, 0);
    memory.SetStep(size);
  };
  auto stepIt = [&] {
    SendMessageW(control, PBM_STEPIT, 0, 0);
    memory.StepIt();
  };
  auto setPos = [&](int at) {
    SendMessageW(control, PBM_SETPOS, at, 0);
    memory.SetPos(at);
  };

  EXPECT_EQ(memory.GetPos(), position());
  for (int i = 0; i < 12; ++i) {  // default range and step, past the end
    stepIt();
    EXPECT_EQ(memory.GetPos(), position()) << "default, step " << i;
  }
  range(0, 50);
  step(1);
  setPos(0);
  for (int i = 0; i < 53; ++i) {
    stepIt();
    EXPECT_EQ(memory.GetPos(), position()) << "0..50, step " << i;
  }
  step(7);
  setPos(60);
  EXPECT_EQ(memory.GetPos(), position());
  for (int i = 0; i < 10; ++i) {
    stepIt();
    EXPECT_EQ(memory.GetPos(), position()) << "step 7, step " << i;
  }
  EXPECT_EQ(memory.GetMaximum(), static_cast<int>(SendMessageW(control, PBM_GETRANGE, FALSE, 0)));
  DestroyWindow(control);
}

}  // namespace
