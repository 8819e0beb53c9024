#include "ui/path_dialog.h"

#include <cstring>
#include <iterator>

#include "install/path_rules.h"
#include "platform/mbcs.h"
#include "ui/screen_scale.h"

namespace {

// The path box's top and bottom edges lie this far above the tree (pixels
// at 100 %, scaled with the screen).
constexpr int kPathBoxTopAboveTree = 27;
constexpr int kPathBoxBottomAboveTree = 4;
constexpr std::uint32_t kPathBoxStyle = 0x50010080;  // WS_CHILD|WS_VISIBLE|WS_TABSTOP, ES_AUTOHSCROLL
constexpr std::uint32_t kPathBoxExStyle = 0x00000200;  // WS_EX_CLIENTEDGE

platform::WindowHost& Host() { return platform::GetWindowHost(); }

constexpr MessageMapEntry kPathDialogSubRows[] = {
    CommandRow<&CPathDialogSub::OnConfirmClicked>(platform::kBnClicked, platform::kBrowserOkId),
    CommandRow<&CPathDialogSub::OnPathEdited>(platform::kEnChange, kPathBoxId),
    MessageRow<&CPathDialogSub::OnDpiChanged>(platform::kWmDpiChanged),
};

// Above the browser's tree, as wide as the tree, in the browser's client
// coordinates.
platform::Rect PathBoxRect(platform::WindowHandle browser) {
  platform::WindowHost& host = Host();
  const platform::Rect tree = host.GetWindowRect(host.GetDlgItem(browser, platform::kBrowserTreeId));
  const int dpi = host.Dpi(browser);
  const platform::Point topLeft =
      host.ScreenToClient(browser, {tree.left, tree.top - ScaleToDpi(kPathBoxTopAboveTree, dpi)});
  const platform::Point bottomRight =
      host.ScreenToClient(browser, {tree.right, tree.top - ScaleToDpi(kPathBoxBottomAboveTree, dpi)});
  return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

}  // namespace

std::string CutToPathBuffer(const std::string& text) {
  const std::size_t limit = kChosenPathBufferSize - 1;
  std::size_t end = 0;
  while (end < text.size() && text[end] != '\0') {
    const std::size_t next = end + mbcs::CharLength(text, end);
    if (next > limit) break;
    end = next;
  }
  return text.substr(0, end);
}

const MessageMap* CPathDialogSub::ThisMessageMap() {
  static const MessageMap map = {CWnd::ThisMessageMap(), kPathDialogSubRows, std::size(kPathDialogSubRows)};
  return &map;
}

const MessageMap* CPathDialogSub::GetMessageMap() const { return ThisMessageMap(); }

void CPathDialogSub::ReadPathBox() {
  const std::string text = GetDlgItem(kPathBoxId) != nullptr ? CutToPathBuffer(GetItemText(kPathBoxId)) : "";
  std::memcpy(dialog->chosenPath, text.c_str(), text.size() + 1);
}

void CPathDialogSub::OnPathEdited() {
  ReadPathBox();
  Send(platform::kBrowserEnableOk, 0, dialog->chosenPath[0] != '\0' ? 1 : 0);
}

std::intptr_t CPathDialogSub::OnDpiChanged(std::uintptr_t, std::intptr_t) {
  const std::intptr_t result = Default();
  if (platform::WindowHandle box = GetDlgItem(kPathBoxId)) Host().Move(box, PathBoxRect(m_hWnd), true);
  return result;
}

void CPathDialogSub::OnConfirmClicked() {
  ReadPathBox();
  if (ConfirmFolderPath(dialog->chosenPath) != FolderPathResult::Ok) {
    Host().SetFocus(GetDlgItem(kPathBoxId));
    return;
  }
  dialog->accepted = 1;
  Host().EndDialog(m_hWnd, 1);
}

CPathDialog::CPathDialog(const char* caption, const char* title, const char* initialPath, CWnd* ownerWindow)
    : caption(caption),
      initialPath(initialPath),
      chosenPath(),
      browserWindow(nullptr),
      owner(Host().SafeOwner(ownerWindow != nullptr ? ownerWindow->GetSafeHwnd() : nullptr)),
      accepted(0) {
  subclass.dialog = this;
  browseInfo.hwndOwner = owner;
  browseInfo.lpszTitle = title;
  browseInfo.ulFlags = platform::kBrowseFileSystemFolders | platform::kBrowseStatusText;
}

int CPathDialog::RunModal() {
  accepted = 0;
  browserWindow = nullptr;
  platform::BrowseRequest request;
  request.owner = browseInfo.hwndOwner;
  request.title = browseInfo.lpszTitle;
  request.flags = browseInfo.ulFlags;
  if (!platform::GetFolderBrowser().Run(request, *this)) return -1;
  return accepted ? 1 : -1;
}

std::string CPathDialog::GetChosenPath() const { return chosenPath; }

void CPathDialog::OnBrowserInitialized(platform::WindowHandle window) {
  platform::WindowHost& host = Host();
  browserWindow = window;
  if (caption != nullptr) host.SetText(window, caption);
  subclass.SubclassWindow(window);
  host.Show(host.GetDlgItem(window, platform::kBrowserStatusId), false);

  platform::WindowHandle box =
      host.CreateControl(window, kPathBoxId, "EDIT", kPathBoxStyle, kPathBoxExStyle, PathBoxRect(window));
  host.Show(box, true);
  host.Send(box, platform::kWmSetFont, static_cast<std::uintptr_t>(host.Send(window, platform::kWmGetFont)), 1);

  const std::string start = initialPath != nullptr ? initialPath : platform::GetFiles().CurrentDirectory();
  platform::GetFolderBrowser().Select(window, start);
}

void CPathDialog::OnSelectionChanged(platform::WindowHandle window, const std::string& selected) {
  // Only a drive-letter path can pass the path rules; a network path cannot.
  const std::string path = selected.size() >= 2 && selected[1] == ':' ? selected : std::string();
  platform::WindowHost& host = Host();
  host.Send(window, platform::kBrowserEnableOk, 0, path.empty() ? 0 : 1);
  if (platform::WindowHandle box = host.GetDlgItem(window, kPathBoxId)) host.SetText(box, path);
}
