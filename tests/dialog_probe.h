// Runs a modal dialog of our layer and plays its user, on every window host
// this build has: the headless host (every build) and, in the Windows test
// program, the real window manager. The same script then checks both, which
// keeps the headless host honest.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/window_host.h"

namespace platform {
class HeadlessWindowHost;
}

// What a colour request for one control left behind.
struct ColourSeen {
  bool brushKnown = false;  // the brush's colour could be read
  platform::Colour brushColour = 0;
  platform::Colour textColour = 0;
  int bkMode = 0;
  bool fontChanged = false;  // the handler selected a font of its own
  int fontHeight = 0;
  int fontWeight = 0;
  int fontCharSet = -1;
  std::string fontFace;  // GBK
};

// The user's view of the running dialog. Texts are GBK.
class DialogProbe {
 public:
  virtual ~DialogProbe() = default;
  virtual bool Exists(int id) = 0;
  // The control's own WS_VISIBLE bit.
  virtual bool IsVisible(int id) = 0;
  virtual bool IsEnabled(int id) = 0;
  virtual int Check(int id) = 0;
  // The control's text; id 0 is the dialog's caption.
  virtual std::string Text(int id) = 0;
  // A click as a user makes it: false when the button is hidden or disabled.
  virtual bool Click(int id) = 0;
  // Typing into an edit box: its whole text becomes `text`.
  virtual bool Type(int id, const std::string& text) = 0;
  // WM_COMMAND to the dialog as if control or command `id` had sent it.
  virtual void Command(unsigned id, unsigned code) = 0;
  // The close box.
  virtual void Close() = 0;
  // A colour request of `kind` for control `id` (0: the dialog itself).
  virtual ColourSeen Colour(int id, unsigned kind) = 0;
  virtual bool HasIcon(bool big) = 0;
};

class DialogRunner {
 public:
  virtual ~DialogRunner() = default;
  virtual std::string Name() const = 0;
  // Calls `openModal` (which runs a dialog modally and returns its result)
  // and, once the dialog is up, `script`. A dialog the script leaves open is
  // closed with its close box. Returns what `openModal` returned.
  virtual std::intptr_t Run(const std::function<std::intptr_t()>& openModal,
                            const std::function<void(DialogProbe&)>& script) = 0;
  // The headless host this runner drives, whose inner state tests may also
  // read; null for the real window manager.
  virtual platform::HeadlessWindowHost* headlessHost() = 0;
};

inline void PrintTo(const std::shared_ptr<DialogRunner>& runner, std::ostream* out) { *out << runner->Name(); }

// Every runner of this build: headless, and on Windows the real one.
std::vector<std::shared_ptr<DialogRunner>> AllDialogRunners();
std::string DialogRunnerName(const testing::TestParamInfo<std::shared_ptr<DialogRunner>>& info);

#define INSTANTIATE_FOR_EVERY_WINDOW_HOST(Suite) \
  INSTANTIATE_TEST_SUITE_P(, Suite, testing::ValuesIn(AllDialogRunners()), DialogRunnerName)

#ifdef _WIN32
std::shared_ptr<DialogRunner> MakeWin32DialogRunner();
#endif
