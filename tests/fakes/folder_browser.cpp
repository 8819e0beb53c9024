#include "tests/fakes/folder_browser.h"

namespace platform {
namespace {

constexpr std::uint32_t kChildVisible = 0x50000000;  // WS_CHILD | WS_VISIBLE
constexpr std::uint32_t kButtonStyle = 0x50010000;

}  // namespace

bool BrowserUser::ClickCancel() {
  if (!host_.Click(window_, kBrowserCancelId)) return false;
  if (IsOpen()) host_.DestroyWindow(window_);
  return true;
}

bool BrowserUser::IsOkEnabled() const {
  const HeadlessWindow* ok = host_.Control(window_, kBrowserOkId);
  return ok && ok->enabled();
}

void FakeFolderBrowser::NextAccepts(const std::string& path, int pathBoxId) {
  Next([path, pathBoxId](BrowserUser& user) {
    user.Type(pathBoxId, path);
    user.ClickOk();
  });
}

void FakeFolderBrowser::NextCancels() {
  Next([](BrowserUser& user) { user.ClickCancel(); });
}

bool FakeFolderBrowser::Run(const BrowseRequest& request, FolderBrowserEvents& events) {
  BrowseRun run;
  run.owner = request.owner;
  if (request.title) run.title = request.title;
  run.flags = request.flags;
  runs_.push_back(run);
  if (unavailable_) return false;

  // The shell's layout, in pixels: the title, the status line, the tree
  // below them, OK and Cancel at the bottom.
  WindowHandle window = host_.CreateTestWindow(nullptr, 0, "#32770", "Browse for Folder");
  host_.Move(window, {100, 100, 420, 500}, false);
  host_.CreateControl(window, kBrowserTitleId, "Static", kChildVisible, 0, {10, 10, 310, 30});
  host_.CreateControl(window, kBrowserStatusId, "Static", kChildVisible, 0, {10, 32, 310, 48});
  host_.CreateControl(window, kBrowserTreeId, "SysTreeView32", kChildVisible, 0, {10, 80, 310, 340});
  host_.CreateControl(window, kBrowserOkId, "Button", kButtonStyle, 0, {150, 350, 225, 373});
  host_.CreateControl(window, kBrowserCancelId, "Button", kButtonStyle, 0, {235, 350, 310, 373});
  host_.SetWindowProc(window, [this, window](unsigned message, std::uintptr_t, std::intptr_t lParam)
                                  -> std::optional<std::intptr_t> {
    if (message != kBrowserEnableOk) return std::nullopt;
    host_.Enable(host_.GetDlgItem(window, kBrowserOkId), lParam != 0);
    return 0;
  });

  running_ = &events;
  events.OnBrowserInitialized(window);
  Script script;
  if (!scripts_.empty()) {
    script = std::move(scripts_.front());
    scripts_.pop_front();
  }
  BrowserUser user(host_, window, events);
  if (script) script(user);
  if (user.IsOpen()) user.ClickCancel();
  if (user.IsOpen()) host_.DestroyWindow(window);
  running_ = nullptr;
  return true;
}

// The shell reports the new selection at once.
void FakeFolderBrowser::Select(WindowHandle browser, const std::string& path) {
  if (!runs_.empty()) runs_.back().selections.push_back(path);
  if (running_) running_->OnSelectionChanged(browser, path);
}

}  // namespace platform
