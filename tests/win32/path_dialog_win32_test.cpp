// The folder picker on the shell's real browser, played from inside the
// process: a thread timer fires in the browser's modal loop, looks at the
// browser the way only its own process can (fonts, rectangles, the result
// buffer) and then plays the user.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/fakes/message_boxes.h"
#include "tests/fakes/services.h"
#include "platform/message_box.h"
#include "platform/win32/text.h"
#include "ui/path_dialog.h"

namespace {

// What the user does once the browser is up; it must close the browser.
std::function<void(HWND browser, CPathDialog& picker)> g_user;
CPathDialog* g_picker = nullptr;
bool g_browserSeen = false;
int g_ticks = 0;

BOOL CALLBACK FindBrowser(HWND window, LPARAM found) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (std::wstring(className) != L"#32770" || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND browser = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindBrowser, reinterpret_cast<LPARAM>(&browser));
  if (browser == nullptr) {
    if (++g_ticks > 200) KillTimer(nullptr, timer);  // no browser in 10 s: RunModal's result tells
    return;
  }
  KillTimer(nullptr, timer);
  g_browserSeen = true;
  g_user(browser, *g_picker);
  if (IsWindow(browser)) SendMessageW(browser, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

int RunPicker(CPathDialog& picker, std::function<void(HWND, CPathDialog&)> user) {
  g_user = std::move(user);
  g_picker = &picker;
  g_browserSeen = false;
  g_ticks = 0;
  SetTimer(nullptr, 0, 50, Tick);
  return picker.RunModal();
}

std::wstring Text(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return text;
}

void Type(HWND browser, const std::wstring& text) { SetWindowTextW(GetDlgItem(browser, kPathBoxId), text.c_str()); }

void Click(HWND browser, int id) {
  SendMessageW(browser, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(browser, id)));
}

bool OkEnabled(HWND browser) { return IsWindowEnabled(GetDlgItem(browser, IDOK)) != FALSE; }

class ShellPicker : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetMessageBoxes(&boxes_);
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    // A folder the system has long had: the shell matches a preselected
    // folder against its tree by recorded file times, which a folder made a
    // moment ago may not yet hold still under Wine.
    existing_ = platform::win32::Narrow(windows);
  }
  void TearDown() override { platform::SetMessageBoxes(nullptr); }

  platform::MemoryMessageBoxes boxes_;
  std::string existing_;
};

TEST_F(ShellPicker, BrowserGetsCaptionPathBoxAndPreselection) {
  const char* caption = "请选择安装目录：";
  const char* title = "请选择安装目录：";
  CPathDialog picker(caption, title, existing_.c_str(), nullptr);
  const int result = RunPicker(picker, [&](HWND browser, CPathDialog& dialog) {
    EXPECT_EQ(dialog.browserWindow, browser);
    EXPECT_EQ(Text(browser), platform::win32::Widen(caption));
    EXPECT_EQ(Text(GetDlgItem(browser, 14146)), platform::win32::Widen(title));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(browser, platform::kBrowserStatusId)));

    HWND box = GetDlgItem(browser, kPathBoxId);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(IsWindowVisible(box));
    RECT boxRect = {}, treeRect = {};
    GetWindowRect(box, &boxRect);
    GetWindowRect(GetDlgItem(browser, platform::kBrowserTreeId), &treeRect);
    EXPECT_EQ(boxRect.left, treeRect.left);
    EXPECT_EQ(boxRect.right, treeRect.right);
    EXPECT_EQ(boxRect.top, treeRect.top - 27);
    EXPECT_EQ(boxRect.bottom, treeRect.top - 4);
    EXPECT_EQ(SendMessageW(box, WM_GETFONT, 0, 0), SendMessageW(browser, WM_GETFONT, 0, 0));
    EXPECT_NE(SendMessageW(browser, WM_GETFONT, 0, 0), 0);
    EXPECT_EQ(GetWindowLongW(box, GWL_STYLE) & 0x50010080, 0x50010080);
    EXPECT_NE(GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    EXPECT_EQ(GetParent(box), browser);

    EXPECT_EQ(_wcsicmp(Text(box).c_str(), platform::win32::Widen(existing_).c_str()), 0) << Text(box).c_str();
    EXPECT_EQ(_stricmp(dialog.chosenPath, existing_.c_str()), 0) << dialog.chosenPath;
    EXPECT_TRUE(OkEnabled(browser));
    Click(browser, IDCANCEL);
  });
  EXPECT_TRUE(g_browserSeen) << "a window needs a display (under Wine: DISPLAY)";
  EXPECT_EQ(result, -1);
  EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(ShellPicker, PathBoxDrivesOkAndTheResult) {
  const std::string typed = existing_ + "\\" + std::string(300, 'x');
  CPathDialog picker("picker", "title", existing_.c_str(), nullptr);
  const int result = RunPicker(picker, [&](HWND browser, CPathDialog& dialog) {
    Type(browser, L"");
    EXPECT_FALSE(OkEnabled(browser));
    EXPECT_STREQ(dialog.chosenPath, "");
    Type(browser, platform::win32::Widen(typed));
    EXPECT_TRUE(OkEnabled(browser));
    EXPECT_EQ(std::string(dialog.chosenPath), typed.substr(0, 259));

    Type(browser, L"C:\\a?b");  // invalid: reported, the browser stays
    Click(browser, IDOK);
    EXPECT_TRUE(IsWindow(browser));
    EXPECT_EQ(GetFocus(), GetDlgItem(browser, kPathBoxId));
    EXPECT_EQ(dialog.accepted, 0);

    Type(browser, platform::win32::Widen(existing_));
    Click(browser, IDOK);
    EXPECT_EQ(dialog.accepted, 1);
  });
  EXPECT_TRUE(g_browserSeen);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(picker.GetChosenPath(), existing_);
  ASSERT_EQ(boxes_.shown().size(), 1u);
  EXPECT_EQ(boxes_.shown()[0].text, "The folder:\n\nC:\\a?b\n\nis invalid. Please reenter.");
}

TEST_F(ShellPicker, WithoutCaptionOrInitialPathTheShellCaptionStaysAndTheCurrentDirectoryIsPreselected) {
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  SetCurrentDirectoryW(platform::win32::Widen(existing_).c_str());
  CPathDialog picker(nullptr, nullptr, nullptr, nullptr);
  std::wstring shown, caption;
  const int result = RunPicker(picker, [&](HWND browser, CPathDialog&) {
    shown = Text(GetDlgItem(browser, kPathBoxId));
    caption = Text(browser);
    SendMessageW(browser, WM_CLOSE, 0, 0);
  });
  SetCurrentDirectoryW(previous);
  EXPECT_TRUE(g_browserSeen);
  EXPECT_EQ(result, -1);
  EXPECT_EQ(_wcsicmp(shown.c_str(), platform::win32::Widen(existing_).c_str()), 0);
  EXPECT_FALSE(caption.empty()) << "the shell's own caption";
}

}  // namespace
