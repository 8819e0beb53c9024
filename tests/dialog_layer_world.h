// Plain windows for the dialog layer's tests, on every window host this build
// has: the headless host, and in the Windows test program real windows. The
// same cases run on both, so the headless host cannot drift from Win32.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/window_host.h"

class WindowWorld {
 public:
  virtual ~WindowWorld() = default;
  virtual std::string Name() const = 0;
  // Makes this world's host the current one (until the next Install).
  virtual void Install() = 0;
  // A visible top-level window whose own procedure records what reaches it.
  virtual platform::WindowHandle MakeParent() = 0;
  // A child control: "Button", "Edit", "Static" or "msctls_progress32".
  virtual platform::WindowHandle MakeChild(platform::WindowHandle parent, int id, const std::string& className,
                                           const std::string& text, std::uint32_t style) = 0;
  virtual void Destroy(platform::WindowHandle window) = 0;
  // Whether `message` with `wParam` reached the parent's own procedure, and
  // forgetting what did.
  virtual bool ReachedOwnProcedure(platform::WindowHandle parent, unsigned message, std::uintptr_t wParam) = 0;
  virtual void ForgetOwnProcedure(platform::WindowHandle parent) = 0;
};

inline void PrintTo(const std::shared_ptr<WindowWorld>& world, std::ostream* out) { *out << world->Name(); }

std::vector<std::shared_ptr<WindowWorld>> AllWindowWorlds();

#define INSTANTIATE_FOR_EVERY_WINDOW_WORLD(Suite)                                                     \
  INSTANTIATE_TEST_SUITE_P(, Suite, testing::ValuesIn(AllWindowWorlds()),                              \
                           [](const testing::TestParamInfo<std::shared_ptr<WindowWorld>>& info) {      \
                             return info.param->Name();                                                \
                           })

#ifdef _WIN32
std::shared_ptr<WindowWorld> MakeWin32WindowWorld();
#endif
