// The dialog runner on the real window manager. The dialog runs in this
// process with our Win32 window host; a thread timer set before the modal
// run fires inside the dialog's modal loop, and the script runs from there.
#include <windows.h>

#include "platform/win32/text.h"
#include "tests/fakes/services.h"
#include "tests/dialog_probe.h"

namespace {

class Win32Probe : public DialogProbe {
 public:
  explicit Win32Probe(HWND dialog) : dialog_(dialog) {}

  bool Exists(int id) override { return Item(id) != nullptr; }
  bool IsVisible(int id) override { return (GetWindowLongW(Item(id), GWL_STYLE) & WS_VISIBLE) != 0; }
  bool IsEnabled(int id) override { return Item(id) && IsWindowEnabled(Item(id)); }
  int Check(int id) override { return static_cast<int>(SendMessageW(Item(id), BM_GETCHECK, 0, 0)); }

  std::string Text(int id) override {
    HWND window = id == 0 ? dialog_ : Item(id);
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return platform::win32::Narrow(text);
  }

  bool Click(int id) override {
    HWND button = Item(id);
    if (!button || !IsVisible(id) || !IsWindowEnabled(button)) return false;
    SendMessageW(button, BM_CLICK, 0, 0);
    return true;
  }

  bool Type(int id, const std::string& text) override {
    HWND edit = Item(id);
    if (!edit || !IsVisible(id) || !IsWindowEnabled(edit)) return false;
    SetWindowTextW(edit, platform::win32::Widen(text).c_str());
    return true;
  }

  void Command(unsigned id, unsigned code) override {
    SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Item(static_cast<int>(id))));
  }

  void Close() override { SendMessageW(dialog_, WM_CLOSE, 0, 0); }

  ColourSeen Colour(int id, unsigned kind) override {
    HWND window = id == 0 ? dialog_ : Item(id);
    HDC dc = GetDC(window);
    int saved = SaveDC(dc);
    HGDIOBJ fontBefore = GetCurrentObject(dc, OBJ_FONT);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(dialog_, WM_CTLCOLORMSGBOX + kind,
                                                       reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window)));
    ColourSeen seen;
    LOGBRUSH brushInfo{};
    seen.brushKnown = brush && GetObjectW(brush, sizeof brushInfo, &brushInfo) == sizeof brushInfo;
    seen.brushColour = brushInfo.lbColor;
    seen.textColour = GetTextColor(dc);
    seen.bkMode = GetBkMode(dc);
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    seen.fontChanged = font != fontBefore;
    LOGFONTW fontInfo{};
    if (seen.fontChanged && GetObjectW(font, sizeof fontInfo, &fontInfo)) {
      seen.fontHeight = fontInfo.lfHeight;
      seen.fontWeight = fontInfo.lfWeight;
      seen.fontCharSet = fontInfo.lfCharSet;
      seen.fontFace = platform::win32::Narrow(fontInfo.lfFaceName);
    }
    RestoreDC(dc, saved);
    ReleaseDC(window, dc);
    return seen;
  }

  bool HasIcon(bool big) override { return SendMessageW(dialog_, WM_GETICON, big ? ICON_BIG : ICON_SMALL, 0) != 0; }

 private:
  HWND Item(int id) const { return GetDlgItem(dialog_, id); }

  HWND dialog_;
};

// The one run in progress (the timer procedure has no context argument).
const std::function<void(DialogProbe&)>* g_script = nullptr;
bool g_scriptRan = false;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

void CALLBACK RunScript(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog) return;  // not up yet: the timer fires again
  KillTimer(nullptr, timer);
  g_scriptRan = true;
  Win32Probe probe(dialog);
  (*g_script)(probe);
  // A dialog the script left open is closed; after EndDialog the window is
  // gone before this message would be handled.
  if (IsWindow(dialog)) PostMessageW(dialog, WM_CLOSE, 0, 0);
}

class Win32Runner : public DialogRunner {
 public:
  std::string Name() const override { return "Win32"; }
  platform::HeadlessWindowHost* headlessHost() override { return nullptr; }

  std::intptr_t Run(const std::function<std::intptr_t()>& openModal,
                    const std::function<void(DialogProbe&)>& script) override {
    g_script = &script;
    g_scriptRan = false;
    platform::SetWindowHost(nullptr);
    UINT_PTR timer = SetTimer(nullptr, 0, 10, RunScript);
    std::intptr_t result = openModal();
    KillTimer(nullptr, timer);
    g_script = nullptr;
    EXPECT_TRUE(g_scriptRan) << "the dialog never came up";
    return result;
  }
};

}  // namespace

std::shared_ptr<DialogRunner> MakeWin32DialogRunner() { return std::make_shared<Win32Runner>(); }
