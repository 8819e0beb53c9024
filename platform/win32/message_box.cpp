// Message boxes through MessageBoxW, owned the way the program's own windows
// expect: by the thread's active window, or, when the user has switched to
// another program meanwhile, by the window of ours that was last active. A box
// must always have an owner here, or the setup dialog would stay enabled
// behind it and take a second click on Install while the first still runs.
//
// A box of choices is a task dialog, whose buttons carry their own labels and
// grow to fit them. Where comctl32 has none (before Vista), a Yes/No/Cancel
// message box lists the labels in its text instead.
#include <windows.h>

#include <commctrl.h>

#include "platform/message_box.h"
#include "platform/win32/services.h"
#include "platform/win32/system_library.h"
#include "platform/win32/text.h"

namespace platform {
namespace {

BOOL CALLBACK TakeFirstVisible(HWND window, LPARAM found) {
  if (!IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

HWND Owner() {
  if (HWND active = GetActiveWindow()) return active;
  HWND ours = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), TakeFirstVisible, reinterpret_cast<LPARAM>(&ours));
  return ours != nullptr ? GetLastActivePopup(GetAncestor(ours, GA_ROOTOWNER)) : nullptr;
}

class Win32MessageBoxes : public MessageBoxes {
 public:
  int Show(const std::string& text, const std::string& caption, unsigned style) override {
    return MessageBoxW(Owner(), win32::Widen(text).c_str(), win32::Widen(caption).c_str(), style);
  }

  int Choose(const std::string& text, const std::string& caption, unsigned icon,
             const std::vector<Button>& buttons) override {
    const auto taskDialog =
        win32::SystemFunction<decltype(&::TaskDialogIndirect)>(L"comctl32.dll", "TaskDialogIndirect");
    if (taskDialog == nullptr || buttons.empty()) return ChooseInMessageBox(text, caption, icon, buttons);
    std::vector<std::wstring> labels;
    std::vector<TASKDIALOG_BUTTON> rows;
    labels.reserve(buttons.size());
    for (const Button& button : buttons) labels.push_back(win32::Widen(button.label));
    for (std::size_t i = 0; i < buttons.size(); ++i) rows.push_back({buttons[i].id, labels[i].c_str()});
    const std::wstring wideText = win32::Widen(text), wideCaption = win32::Widen(caption);
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = Owner();
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW | TDF_USE_HICON_MAIN;
    config.pszWindowTitle = wideCaption.c_str();
    config.hMainIcon = LoadIconW(nullptr, IconOf(icon));
    config.pszContent = wideText.c_str();
    config.cButtons = static_cast<UINT>(rows.size());
    config.pButtons = rows.data();
    config.nDefaultButton = buttons.front().id;
    int pressed = kIdFailed;
    return SUCCEEDED(taskDialog(&config, &pressed, nullptr, nullptr)) ? pressed : kIdFailed;
  }

 private:
  static LPCWSTR IconOf(unsigned icon) {
    switch (icon & 0xF0) {
      case kMbIconWarning: return IDI_WARNING;
      case kMbIconQuestion: return IDI_QUESTION;
      default: return IDI_INFORMATION;
    }
  }

  // Yes, No and Cancel stand for the first three buttons, as the text says.
  int ChooseInMessageBox(const std::string& text, const std::string& caption, unsigned icon,
                         const std::vector<Button>& buttons) {
    static constexpr const char* kKeys[] = {"是：", "否：", "取消："};
    static constexpr int kAnswers[] = {IDYES, IDNO, IDCANCEL};
    constexpr std::size_t kMost = sizeof kKeys / sizeof kKeys[0];
    if (buttons.empty() || buttons.size() > kMost) return kIdFailed;
    std::string listed = text + "\n";
    for (std::size_t i = 0; i < buttons.size(); ++i) listed += std::string("\n") + kKeys[i] + buttons[i].label;
    const unsigned style = (buttons.size() == 3 ? MB_YESNOCANCEL : MB_YESNO) | (icon & 0xF0);
    const int answer = Show(listed, caption, style);
    for (std::size_t i = 0; i < buttons.size(); ++i)
      if (answer == kAnswers[i]) return buttons[i].id;
    return answer == IDCANCEL ? kIdCancel : kIdFailed;
  }
};

}  // namespace

}  // namespace platform

platform::MessageBoxes& platform::win32::TheMessageBoxes() {
  static Win32MessageBoxes boxes;
  return boxes;
}
