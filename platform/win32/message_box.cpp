// Message boxes through MessageBoxW, owned by the thread's active window (the
// setup dialog while it is open).
#include <windows.h>

#include "platform/defaults.h"
#include "platform/win32/text.h"

namespace platform {
namespace {

class Win32MessageBoxes : public MessageBoxes {
 public:
  int Show(const std::string& text, const std::string& caption, unsigned style) override {
    return MessageBoxW(GetActiveWindow(), win32::Widen(text).c_str(), win32::Widen(caption).c_str(), style);
  }
};

}  // namespace

MessageBoxes& DefaultMessageBoxes() {
  static Win32MessageBoxes boxes;
  return boxes;
}

}  // namespace platform
