// Folder-browser service: the shell's folder browser (SHBrowseForFolder), run
// modally. The picker (ui/path_dialog.h) builds its path box and its OK rule
// on top of it through the window host; this service only runs the browser,
// reports its two events and moves its selection.
//
// Implementations: platform/win32/folder_browser.cpp (the shell's browser,
// texts converted with code page 936) and, for the tests,
// tests/fakes/folder_browser.cpp (a browser window on the headless host that a
// test plays the user of).
#pragma once

#include <string>

#include "platform/window_host.h"

namespace platform {

// Asks only for folders of the file system and shows the status line
// (BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT).
constexpr unsigned kBrowseFileSystemFolders = 0x0001;
constexpr unsigned kBrowseStatusText = 0x0004;

// Controls of the browser window, by id.
constexpr int kBrowserTreeId = 14145;    // the folder tree
constexpr int kBrowserTitleId = 14146;   // the title above the tree
constexpr int kBrowserStatusId = 14147;  // the status line
constexpr int kBrowserOkId = 1;          // IDOK
constexpr int kBrowserCancelId = 2;      // IDCANCEL

// BFFM_ENABLEOK: wParam 0, lParam 1 to enable OK or 0 to disable it.
constexpr unsigned kBrowserEnableOk = kWmUser + 101;

class FolderBrowserEvents {
 public:
  virtual ~FolderBrowserEvents() = default;
  // The browser window exists (BFFM_INITIALIZED).
  virtual void OnBrowserInitialized(WindowHandle browser) = 0;
  // The selection moved (BFFM_SELCHANGED). `path` is the selected item's
  // file-system path, empty when it has none.
  virtual void OnSelectionChanged(WindowHandle browser, const std::string& path) = 0;
};

struct BrowseRequest {
  WindowHandle owner = nullptr;
  const char* title = nullptr;  // GBK; null for none
  unsigned flags = 0;
};

class FolderBrowser {
 public:
  virtual ~FolderBrowser() = default;

  // Runs the browser until it is closed, calling `events` meanwhile. False
  // when it could not be run at all (the shell's allocator is unavailable).
  virtual bool Run(const BrowseRequest& request, FolderBrowserEvents& events) = 0;

  // Selects the folder `path` in the running browser (BFFM_SETSELECTION).
  virtual void Select(WindowHandle browser, const std::string& path) = 0;
};

FolderBrowser& GetFolderBrowser();

}  // namespace platform
