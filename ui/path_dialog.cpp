// The parts of the folder picker that do not depend on the shell: its
// construction, its result and the two handlers of the browser's subclass.
#include "ui/path_dialog.h"

#include <cstring>
#include <iterator>

#include "platform/mbcs.h"
#include "ui/path_rules.h"

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

namespace {

const MessageMapEntry kPathDialogSubRows[] = {
    CommandRow(platform::kBnClicked, kBrowserOkId, &CPathDialogSub::OnConfirmClicked),
    CommandRow(platform::kEnChange, kPathBoxId, &CPathDialogSub::OnPathEdited),
};

}  // namespace

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
  Send(kBrowserEnableOk, 0, dialog->chosenPath[0] != '\0' ? 1 : 0);
}

void CPathDialogSub::OnConfirmClicked() {
  ReadPathBox();
  if (ConfirmFolderPath(dialog->chosenPath) != kPathOk) {
    CPathDialog::FocusPathBox(m_hWnd);
    return;
  }
  dialog->accepted = 1;
  platform::GetWindowHost().EndDialog(m_hWnd, 1);
}

CPathDialog::CPathDialog(const char* caption, const char* title, const char* initialPath, CWnd* ownerWindow)
    : caption(caption),
      initialPath(initialPath),
      chosenPath(),
      browserWindow(nullptr),
      owner(SafeOwner(ownerWindow)),
      accepted(0) {
  subclass.dialog = this;
  browseInfo.hwndOwner = owner;
  browseInfo.lpszTitle = title;
  browseInfo.ulFlags = kBrowseFlags;
}

std::string CPathDialog::GetChosenPath() const { return chosenPath; }
