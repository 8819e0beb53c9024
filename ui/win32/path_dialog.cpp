// The folder picker on the Windows shell's folder browser (SHBrowseForFolderW):
// runs it, adds the path box at initialisation and follows its selection.
// Texts cross the boundary in UTF-16, converted with code page 936.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "platform/files.h"
#include "platform/win32/text.h"
#include "ui/path_dialog.h"

namespace {

// The path box sits this far above the tree and is this high (pixels).
constexpr int kPathBoxTopAboveTree = 27;
constexpr int kPathBoxBottomAboveTree = 4;
constexpr DWORD kPathBoxStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;

// The shell calls back with its own calling convention (stdcall on 32-bit).
int CALLBACK ShellCallback(HWND window, UINT event, LPARAM eventParameter, LPARAM data) {
  return CPathDialog::BrowserCallback(window, event, eventParameter, data);
}

}  // namespace

platform::WindowHandle CPathDialog::SafeOwner(CWnd* given) {
  HWND window = given != nullptr ? given->GetSafeHwnd() : nullptr;
  if (window == nullptr) window = GetActiveWindow();
  return window != nullptr ? GetAncestor(window, GA_ROOT) : nullptr;
}

void CPathDialog::FocusPathBox(platform::WindowHandle browser) { SetFocus(GetDlgItem(browser, kPathBoxId)); }

int CPathDialog::RunModal() {
  static_assert(kChosenPathBufferSize == MAX_PATH, "the path buffers are Windows path buffers");
  wchar_t displayName[MAX_PATH];
  const std::wstring title = browseInfo.lpszTitle != nullptr ? platform::win32::Widen(browseInfo.lpszTitle) : L"";

  BROWSEINFOW info = {};
  info.hwndOwner = browseInfo.hwndOwner;
  info.pszDisplayName = displayName;
  info.lpszTitle = browseInfo.lpszTitle != nullptr ? title.c_str() : nullptr;
  info.ulFlags = browseInfo.ulFlags;
  info.lpfn = ShellCallback;
  info.lParam = reinterpret_cast<LPARAM>(this);

  IMalloc* allocator = nullptr;
  if (FAILED(SHGetMalloc(&allocator))) return -1;
  accepted = 0;
  browserWindow = nullptr;
  PIDLIST_ABSOLUTE itemList = SHBrowseForFolderW(&info);
  if (itemList != nullptr) allocator->Free(itemList);
  const int result = accepted ? 1 : -1;
  allocator->Release();
  return result;
}

int CPathDialog::BrowserCallback(platform::WindowHandle window, unsigned event, std::intptr_t eventParameter,
                                 std::intptr_t data) {
  CPathDialog* dialog = reinterpret_cast<CPathDialog*>(data);
  if (event == kBrowserInitialized) dialog->OnBrowserInitialized(window);
  if (event == kBrowserSelectionChanged) dialog->OnSelectionChanged(window, eventParameter);
  return 0;
}

void CPathDialog::OnBrowserInitialized(platform::WindowHandle window) {
  browserWindow = window;
  if (caption != nullptr) SetWindowTextW(window, platform::win32::Widen(caption).c_str());
  subclass.SubclassWindow(window);
  ShowWindow(GetDlgItem(window, kBrowserStatusId), SW_HIDE);

  RECT tree = {};
  GetWindowRect(GetDlgItem(window, kBrowserTreeId), &tree);
  POINT topLeft = {tree.left, tree.top - kPathBoxTopAboveTree};
  POINT bottomRight = {tree.right, tree.top - kPathBoxBottomAboveTree};
  ScreenToClient(window, &topLeft);
  ScreenToClient(window, &bottomRight);
  HWND box = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", kPathBoxStyle, topLeft.x, topLeft.y,
                             bottomRight.x - topLeft.x, bottomRight.y - topLeft.y, window, nullptr, nullptr, nullptr);
  SetWindowLongPtrW(box, GWLP_ID, kPathBoxId);
  ShowWindow(box, SW_SHOW);
  SendMessageW(box, WM_SETFONT, SendMessageW(window, WM_GETFONT, 0, 0), 1);

  const std::string start = initialPath != nullptr ? initialPath : platform::GetFiles().CurrentDirectory();
  const std::wstring wideStart = platform::win32::Widen(start);
  SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(wideStart.c_str()));
}

void CPathDialog::OnSelectionChanged(platform::WindowHandle window, std::intptr_t itemList) {
  wchar_t widePath[MAX_PATH] = L"";
  std::string path;
  if (SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(itemList), widePath))
    path = platform::win32::Narrow(widePath);
  // Only a drive-letter path can pass the path rules; a network path cannot.
  if (path.size() < 2 || path[1] != ':') path.clear();
  SendMessageW(window, BFFM_ENABLEOK, 0, path.empty() ? 0 : 1);
  HWND box = GetDlgItem(window, kPathBoxId);
  if (box != nullptr) SetWindowTextW(box, platform::win32::Widen(path).c_str());
}
