#include "tests/dialog_layer_world.h"

#include <algorithm>

#include "tests/fakes/services.h"
#include "tests/fakes/window_host.h"

namespace {

class HeadlessWorld : public WindowWorld {
 public:
  std::string Name() const override { return "Headless"; }
  void Install() override { platform::SetWindowHost(&host_); }

  platform::WindowHandle MakeParent() override {
    return host_.CreateTestWindow(nullptr, 0, "ZvTestParent", "parent", platform::kWsVisible);
  }

  platform::WindowHandle MakeChild(platform::WindowHandle parent, int id, const std::string& className,
                                   const std::string& text, std::uint32_t style) override {
    return host_.CreateTestWindow(parent, id, className, text, style);
  }

  void Destroy(platform::WindowHandle window) override { host_.DestroyWindow(window); }

  bool ReachedOwnProcedure(platform::WindowHandle parent, unsigned message, std::uintptr_t wParam) override {
    const platform::HeadlessWindow* window = host_.Window(parent);
    if (!window) return false;
    return std::find(window->ownHandled.begin(), window->ownHandled.end(), std::make_pair(message, wParam)) !=
           window->ownHandled.end();
  }

  void ForgetOwnProcedure(platform::WindowHandle parent) override {
    if (const platform::HeadlessWindow* window = host_.Window(parent))
      const_cast<platform::HeadlessWindow*>(window)->ownHandled.clear();
  }

 private:
  platform::HeadlessWindowHost host_;
};

}  // namespace

std::vector<std::shared_ptr<WindowWorld>> AllWindowWorlds() {
  std::vector<std::shared_ptr<WindowWorld>> worlds{std::make_shared<HeadlessWorld>()};
#ifdef _WIN32
  worlds.push_back(MakeWin32WindowWorld());
#endif
  return worlds;
}
