// The shell's folder browser on the headless host, for tests: each run builds
// a browser window like the shell's (the tree, the title, the status line, OK
// and Cancel) and then plays the user by the script the test gave for that
// run. A run without a script is cancelled. Runs are recorded.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/folder_browser.h"
#include "tests/fakes/window_host.h"

namespace platform {

class FakeFolderBrowser;

// The user of one running browser.
class BrowserUser {
 public:
  BrowserUser(HeadlessWindowHost& host, WindowHandle window, FolderBrowserEvents& events)
      : host_(host), window_(window), events_(events) {}
  WindowHandle window() const { return window_; }
  // Picks a folder in the tree: the browser reports its path ("" for an item
  // without one, such as a network place).
  void Select(const std::string& path) { events_.OnSelectionChanged(window_, path); }
  // Types into the control `id` (the picker's path box).
  bool Type(int id, const std::string& text) { return host_.Type(window_, id, text); }
  bool ClickOk() { return host_.Click(window_, kBrowserOkId); }
  // Cancel closes the browser, as the shell's own handling does.
  bool ClickCancel();
  bool IsOpen() const { return host_.Window(window_) != nullptr; }
  bool IsOkEnabled() const;

 private:
  HeadlessWindowHost& host_;
  WindowHandle window_;
  FolderBrowserEvents& events_;
};

struct BrowseRun {
  WindowHandle owner = nullptr;
  std::optional<std::string> title;
  unsigned flags = 0;
  std::vector<std::string> selections;  // what the program asked to select, in order
};

class FakeFolderBrowser : public FolderBrowser {
 public:
  explicit FakeFolderBrowser(HeadlessWindowHost& host) : host_(host) {}

  using Script = std::function<void(BrowserUser&)>;
  // Scripts the next run.
  void Next(Script script) { scripts_.push_back(std::move(script)); }
  // The next run: the user types `path` into the path box and clicks OK.
  void NextAccepts(const std::string& path, int pathBoxId);
  // The next run: the user clicks Cancel.
  void NextCancels();
  // The shell's allocator is missing: runs fail at once.
  void SetUnavailable(bool unavailable) { unavailable_ = unavailable; }
  const std::vector<BrowseRun>& runs() const { return runs_; }
  void Clear() {
    scripts_.clear();
    runs_.clear();
  }

  bool Run(const BrowseRequest& request, FolderBrowserEvents& events) override;
  void Select(WindowHandle browser, const std::string& path) override;

 private:
  HeadlessWindowHost& host_;
  std::deque<Script> scripts_;
  std::vector<BrowseRun> runs_;
  FolderBrowserEvents* running_ = nullptr;
  bool unavailable_ = false;
};

}  // namespace platform
