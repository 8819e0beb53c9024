// The folder picker: the shell's folder browser (platform/folder_browser.h),
// run modally, with a path box of our own above its folder tree. The result is
// always the path box's text, picked in the tree or typed, and OK closes the
// browser only once the path rules (install/path_rules.h) accept the folder,
// creating it with the user's consent.
#pragma once

#include <cstddef>
#include <string>

#include "platform/files.h"
#include "platform/folder_browser.h"
#include "platform/window_host.h"
#include "ui/wnd.h"

class CPathDialog;

// The path box's text is read into a Windows path buffer, so a longer text is
// cut.
constexpr std::size_t kChosenPathBufferSize = platform::kPathBufferBytes;

constexpr int kPathBoxId = 14148;  // the path box (ours)

// A path box's text as the picker reads it: at most kChosenPathBufferSize - 1
// bytes, cut before a double-byte character that would not fit whole, as
// GetWindowTextA into a buffer of that size does.
std::string CutToPathBuffer(const std::string& text);

// Attached to the browser's window while it runs, so that the window's
// commands pass through this map first: OK and the path box's changes.
class CPathDialogSub : public CWnd {
 public:
  CPathDialogSub() = default;
  ~CPathDialogSub() override = default;

  static const MessageMap* ThisMessageMap();
  const MessageMap* GetMessageMap() const override;

  void OnConfirmClicked();
  void OnPathEdited();
  // The browser moved to a screen of another scale: once the dialog manager
  // has laid it out again, the path box follows the tree.
  std::intptr_t OnDpiChanged(std::uintptr_t wParam, std::intptr_t lParam);

  CPathDialog* dialog = nullptr;

 private:
  // Reads the path box into dialog->chosenPath (empty without a path box).
  void ReadPathBox();
};

// The parts of the shell's BROWSEINFO record that the picker fixes before
// the browser runs.
struct BrowseInfo {
  platform::WindowHandle hwndOwner = nullptr;
  const char* lpszTitle = nullptr;
  unsigned ulFlags = 0;
};

class CPathDialog : private platform::FolderBrowserEvents {
 public:
  // The three texts are borrowed, not copied: the caller keeps them alive
  // until RunModal has returned. Any of them and `owner` may be null; a null
  // caption keeps the shell's own, a null initial path preselects the current
  // directory, a null owner means the program's active window.
  CPathDialog(const char* caption, const char* title, const char* initialPath, CWnd* owner);
  CPathDialog(const CPathDialog&) = delete;
  CPathDialog& operator=(const CPathDialog&) = delete;
  virtual ~CPathDialog() = default;

  // 1 when the user accepted a path, -1 otherwise (cancelled, closed, or no
  // shell allocator).
  virtual int RunModal();
  // The accepted path; meaningful after RunModal returned 1.
  std::string GetChosenPath() const;

  const char* caption;
  const char* initialPath;
  char chosenPath[kChosenPathBufferSize];
  BrowseInfo browseInfo;
  platform::WindowHandle browserWindow;
  platform::WindowHandle owner;
  int accepted;
  CPathDialogSub subclass;

 private:
  friend class CPathDialogSub;

  // The two browser events the picker acts on.
  void OnBrowserInitialized(platform::WindowHandle window) override;
  void OnSelectionChanged(platform::WindowHandle window, const std::string& path) override;
};
