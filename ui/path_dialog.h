// The folder picker: the shell's folder browser, run modally, with a path box
// of our own above its folder tree. The result is always the path box's text,
// picked in the tree or typed, and OK closes the browser only once the path
// rules (ui/path_rules.h) accept the folder, creating it with the user's
// consent.
//
// The Windows builds run the real browser (ui/win32/path_dialog.cpp); the
// native build has a scripted stand-in (platform/memory/path_dialog.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/window_host.h"
#include "ui/wnd.h"

class CPathDialog;

// The path box's text is read into a buffer of this many bytes with the
// terminator, the size of a Windows path buffer, so a longer text is cut.
constexpr std::size_t kChosenPathBufferSize = 260;

// Controls of the browser window, by id.
constexpr int kBrowserTreeId = 14145;    // the folder tree (only its position is read)
constexpr int kBrowserStatusId = 14147;  // the status line (hidden)
constexpr int kPathBoxId = 14148;        // the path box (ours)
constexpr int kBrowserOkId = 1;          // IDOK

// Browser events and messages (BFFM_*).
constexpr unsigned kBrowserInitialized = 1;
constexpr unsigned kBrowserSelectionChanged = 2;
constexpr unsigned kBrowserEnableOk = platform::kWmUser + 101;

// Asks only for folders of the file system and shows the status line the
// picker then replaces (BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT).
constexpr unsigned kBrowseFlags = 0x0001 | 0x0004;

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

  CPathDialog* dialog = nullptr;

 private:
  // Reads the path box into dialog->chosenPath (empty without a path box).
  void ReadPathBox();
};

// The portable half of the shell's BROWSEINFO record: the parts the picker
// fixes before the browser runs. RunModal adds the rest.
struct BrowseInfo {
  platform::WindowHandle hwndOwner = nullptr;
  const char* lpszTitle = nullptr;
  unsigned ulFlags = 0;
};

class CPathDialog {
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

  // The browser's callback (BFFCALLBACK without its calling convention, which
  // the Win32 side adds); Windows builds only. Always 0.
  static int BrowserCallback(platform::WindowHandle window, unsigned event, std::intptr_t eventParameter,
                             std::intptr_t data);

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

  // The two browser events the callback acts on (Windows builds only).
  void OnBrowserInitialized(platform::WindowHandle window);
  void OnSelectionChanged(platform::WindowHandle window, std::intptr_t itemList);

  // What differs between the shell's browser and the native stand-in.
  // The browser's owner: the top-level window of `given`, or with none the
  // program's active window.
  static platform::WindowHandle SafeOwner(CWnd* given);
  static void FocusPathBox(platform::WindowHandle browser);
};
