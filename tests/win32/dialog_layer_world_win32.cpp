// Real windows for the dialog layer's tests: a top-level window of a class of
// our own whose procedure records what reaches it, and system controls.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "platform/win32/text.h"
#include "tests/fakes/services.h"
#include "tests/dialog_layer_world.h"

namespace {

constexpr wchar_t kParentClass[] = L"ZvTestParent";

std::map<HWND, std::vector<std::pair<unsigned, std::uintptr_t>>> g_reached;

LRESULT CALLBACK ParentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  g_reached[window].emplace_back(message, wParam);
  if (message == WM_NCDESTROY) g_reached.erase(window);
  return DefWindowProcW(window, message, wParam, lParam);
}

class Win32World : public WindowWorld {
 public:
  Win32World() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ParentProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kParentClass;
    RegisterClassW(&windowClass);
  }

  std::string Name() const override { return "Win32"; }
  void Install() override { platform::SetWindowHost(nullptr); }

  platform::WindowHandle MakeParent() override {
    HWND window = CreateWindowExW(0, kParentClass, L"parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 400, 300,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(window, nullptr) << "no window could be made (is there a display?)";
    return window;
  }

  platform::WindowHandle MakeChild(platform::WindowHandle parent, int id, const std::string& className,
                                   const std::string& text, std::uint32_t style) override {
    return CreateWindowExW(0, platform::win32::Widen(className).c_str(), platform::win32::Widen(text).c_str(),
                           style | WS_CHILD, 10, 10, 120, 24, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  }

  void Destroy(platform::WindowHandle window) override { DestroyWindow(window); }

  bool ReachedOwnProcedure(platform::WindowHandle parent, unsigned message, std::uintptr_t wParam) override {
    const auto& reached = g_reached[parent];
    return std::find(reached.begin(), reached.end(), std::make_pair(message, wParam)) != reached.end();
  }

  void ForgetOwnProcedure(platform::WindowHandle parent) override { g_reached[parent].clear(); }
};

}  // namespace

std::shared_ptr<WindowWorld> MakeWin32WindowWorld() { return std::make_shared<Win32World>(); }
