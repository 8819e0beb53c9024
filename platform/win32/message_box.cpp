// Message boxes through MessageBoxW, owned the way the program's own windows
// expect: by the thread's active window, or, when the user has switched to
// another program meanwhile, by the window of ours that was last active. A box
// must always have an owner here, or the setup dialog would stay enabled
// behind it and take a second click on Install while the first still runs.
#include <windows.h>

#include "platform/message_box.h"
#include "platform/win32/services.h"
#include "platform/win32/text.h"

namespace platform {
namespace {

BOOL CALLBACK TakeFirstVisible(HWND window, LPARAM found) {
  if (!IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

HWND Owner() {
  if (HWND active = GetActiveWindow()) return active;
  HWND ours = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), TakeFirstVisible, reinterpret_cast<LPARAM>(&ours));
  return ours != nullptr ? GetLastActivePopup(GetAncestor(ours, GA_ROOTOWNER)) : nullptr;
}

class Win32MessageBoxes : public MessageBoxes {
 public:
  int Show(const std::string& text, const std::string& caption, unsigned style) override {
    return MessageBoxW(Owner(), win32::Widen(text).c_str(), win32::Widen(caption).c_str(), style);
  }
};

}  // namespace

}  // namespace platform

platform::MessageBoxes& platform::win32::TheMessageBoxes() {
  static Win32MessageBoxes boxes;
  return boxes;
}
