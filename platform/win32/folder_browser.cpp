// The folder-browser service on the shell's SHBrowseForFolderW: runs it,
// reports its initialisation and selection changes with the selection's path
// converted to GBK, and moves its selection.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "platform/files.h"
#include "platform/folder_browser.h"
#include "platform/win32/services.h"
#include "platform/win32/text.h"

namespace platform {
namespace {

static_assert(kPathBufferBytes == MAX_PATH, "the path buffers are Windows path buffers");

// The shell calls back with its own calling convention (stdcall on 32-bit).
int CALLBACK ShellCallback(HWND window, UINT event, LPARAM eventParameter, LPARAM data) {
  auto* events = reinterpret_cast<FolderBrowserEvents*>(data);
  if (event == BFFM_INITIALIZED) events->OnBrowserInitialized(window);
  if (event == BFFM_SELCHANGED) {
    wchar_t path[MAX_PATH] = L"";
    const bool hasPath = SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(eventParameter), path);
    events->OnSelectionChanged(window, hasPath ? win32::Narrow(path) : std::string());
  }
  return 0;
}

class Win32FolderBrowser : public FolderBrowser {
 public:
  bool Run(const BrowseRequest& request, FolderBrowserEvents& events) override {
    wchar_t displayName[MAX_PATH];
    const std::wstring title = request.title != nullptr ? win32::Widen(request.title) : L"";
    BROWSEINFOW info = {};
    info.hwndOwner = request.owner;
    info.pszDisplayName = displayName;
    info.lpszTitle = request.title != nullptr ? title.c_str() : nullptr;
    info.ulFlags = request.flags;
    info.lpfn = ShellCallback;
    info.lParam = reinterpret_cast<LPARAM>(&events);

    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator))) return false;
    PIDLIST_ABSOLUTE itemList = SHBrowseForFolderW(&info);
    if (itemList != nullptr) allocator->Free(itemList);
    allocator->Release();
    return true;
  }

  void Select(WindowHandle browser, const std::string& path) override {
    const std::wstring widePath = win32::Widen(path);
    SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(widePath.c_str()));
  }
};

}  // namespace
}  // namespace platform

platform::FolderBrowser& platform::win32::TheFolderBrowser() {
  static Win32FolderBrowser browser;
  return browser;
}
