#include "platform/memory/path_dialog.h"

#include <cstring>
#include <deque>
#include <utility>

namespace platform {
namespace {

// An accepted path, or none for a cancelled run.
using ScriptedRun = std::optional<std::string>;

std::deque<ScriptedRun>& Script() {
  static std::deque<ScriptedRun> script;
  return script;
}

std::vector<PickerRun>& Runs() {
  static std::vector<PickerRun> runs;
  return runs;
}

}  // namespace

void MemoryPicker::Accept(const std::string& path) { Script().push_back(path); }
void MemoryPicker::Cancel() { Script().push_back(std::nullopt); }
const std::vector<PickerRun>& MemoryPicker::runs() { return Runs(); }
void MemoryPicker::Clear() {
  Script().clear();
  Runs().clear();
}

}  // namespace platform

#ifndef _WIN32
#include "ui/path_dialog.h"

namespace {

std::optional<std::string> Given(const char* text) {
  return text != nullptr ? std::optional<std::string>(text) : std::nullopt;
}

}  // namespace

platform::WindowHandle CPathDialog::SafeOwner(CWnd* given) { return given != nullptr ? given->GetSafeHwnd() : nullptr; }

// Headless windows have no keyboard focus.
void CPathDialog::FocusPathBox(platform::WindowHandle) {}

int CPathDialog::RunModal() {
  platform::Runs().push_back({Given(caption), Given(browseInfo.lpszTitle), Given(initialPath)});
  accepted = 0;
  if (platform::Script().empty()) return -1;
  const platform::ScriptedRun run = std::move(platform::Script().front());
  platform::Script().pop_front();
  if (!run) return -1;
  const std::string path = CutToPathBuffer(*run);
  std::memcpy(chosenPath, path.c_str(), path.size() + 1);
  accepted = 1;
  return 1;
}
#endif
