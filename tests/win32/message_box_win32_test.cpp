// Who owns a message box: the owner is disabled while the box is up, which is
// what keeps the setup dialog from taking a second click in the meantime.
#include <windows.h>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "platform/win32/services.h"
#include "platform/message_box.h"
#include "tests/fakes/services.h"

namespace {

// Shows a box through the service while another thread finds it, notes its
// owner and whether that owner was disabled, and answers it.
struct Observed {
  HWND owner = nullptr;
  bool ownerDisabled = false;
};

Observed ShowAndObserve() {
  Observed seen;
  std::atomic<bool> done{false};
  std::thread answerer([&] {
    for (int i = 0; i < 500 && !done; ++i) {
      if (HWND box = FindWindowW(L"#32770", L"Owner test")) {
        seen.owner = GetWindow(box, GW_OWNER);
        seen.ownerDisabled = seen.owner != nullptr && !IsWindowEnabled(seen.owner);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(10);
    }
  });
  platform::win32::TheMessageBoxes().Show("which window owns me", "Owner test", 0);
  done = true;
  answerer.join();
  return seen;
}

TEST(MessageBoxOwner, IsTheActiveWindowOrElseOurLastActiveOne) {
  HWND window = CreateWindowExW(0, L"STATIC", L"setup stand-in", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(window, nullptr) << "a window needs a display (under Wine: DISPLAY)";

  // Shown but never activated: as when the user has switched to another program.
  ShowWindow(window, SW_SHOWNOACTIVATE);
  ASSERT_EQ(GetActiveWindow(), nullptr);
  Observed inactive = ShowAndObserve();
  EXPECT_EQ(inactive.owner, window);
  EXPECT_TRUE(inactive.ownerDisabled);

  SetActiveWindow(window);
  Observed active = ShowAndObserve();
  EXPECT_EQ(active.owner, window);
  EXPECT_TRUE(active.ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(window)) << "enabled again once the box is answered";
  DestroyWindow(window);
}

}  // namespace
