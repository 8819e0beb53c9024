// driver.exe: drives another process's dialog for the end-to-end scripts, the
// way a user would, and checks what the user would see.
//
//   driver COMMAND ARGS... [-- COMMAND ARGS...]...
//   driver -f FILE          (one command per line; blank lines and # comments skipped)
//
// Commands act on the selected window, chosen by `window` or `wait-window`
// (a top-level window found by its exact caption) or `wait-box`. A selection
// lasts for one run of the driver, so a script starts each run with one of
// them. Texts are UTF-8; an argument @PATH stands for the UTF-8 text of that
// file (without a final line break), @@ for a literal leading @.
//
//   desktop NAME [SECONDS]       look for windows in the Wine desktop NAME (one that
//                                `explorer /desktop=NAME,SIZE program` makes) instead of
//                                ours, waiting for it to exist
//   window CAPTION               select the visible top-level window with this caption
//   wait-window CAPTION SECONDS  the same, waiting for it to appear
//   wait-gone SECONDS            wait until the selected window is destroyed
//   wait-box SECONDS [CAPTION]   select the next message box of the selected window's
//                                process (a #32770 with a message text); with CAPTION,
//                                any window of that caption and class #32770
//   answer-box BUTTON [SECONDS]  wait for a message box, press BUTTON (ok cancel abort
//                                retry ignore yes no, or an id) and select the window
//                                that was selected before
//   expect ID STATE...           STATE: visible hidden enabled disabled checked unchecked focused
//   expect-text ID TEXT          the control's whole text (ID 0: the window's caption)
//   get-text ID                  prints the text and a line break
//   set-text ID TEXT             WM_SETTEXT (an edit box then reports EN_CHANGE)
//   click ID                     presses a visible, enabled button (BM_CLICK); returns
//                                once the click is handled, or after 2 s when the click
//                                opened a modal window
//   key escape|enter             posts the key to the focused control, as if typed
//   close                        the window's close box (WM_CLOSE)
//   wait-exit SECONDS [CODE]     wait until the selected window's process ends (and
//                                check its exit code)
//   list                         prints every control: id, class, state, text
//   rect [ID]                    prints the screen rectangle of the selected window (or of
//                                its control ID): x y width height
//   layout                       prints the client area's size ("client WIDTH HEIGHT"), then
//                                one line per visible control, in child order: its index,
//                                id, class, x y width height in client coordinates
//   units X Y CX CY              prints the pixel rectangle (x y width height) that these
//                                dialog units of a "宋体" 9 point dialog take on this screen
//   tree-select ID root|parent|child|next|previous
//                                moves the selection of tree view ID, from the item
//                                selected now, as a user's click would
//   sleep MILLISECONDS
//
// Exit code 0 when every command succeeded; 1 at the first failed check (the
// reason goes to stderr); 2 for a usage error.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "tests/tools/utf8.h"

namespace {

constexpr DWORD kSendTimeoutMs = 5000;
constexpr DWORD kClickTimeoutMs = 2000;
constexpr int kMessageTextId = 0xFFFF;  // the static that holds a message box's text

void Write(HANDLE stream, const std::string& text) {
  DWORD written = 0;
  WriteFile(stream, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void Out(const std::wstring& text) { Write(GetStdHandle(STD_OUTPUT_HANDLE), ToUtf8(text) + "\n"); }

struct Failure {
  int code;
  std::wstring message;
};

[[noreturn]] void Fail(const std::wstring& message) { throw Failure{1, message}; }
[[noreturn]] void Usage(const std::wstring& message) { throw Failure{2, message}; }

std::wstring ReadFileUtf8(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) Usage(L"cannot read " + path);
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  if (!bytes.empty() && bytes.back() == '\n') bytes.pop_back();
  if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
  return FromUtf8(bytes);
}

// A text argument: literal, or @PATH for a file's contents.
std::wstring TextArgument(const std::wstring& argument) {
  if (argument.rfind(L"@@", 0) == 0) return argument.substr(1);
  if (argument.rfind(L"@", 0) == 0) return ReadFileUtf8(argument.substr(1));
  return argument;
}

int ParseInt(const std::wstring& text, const wchar_t* what) {
  wchar_t* end = nullptr;
  long value = std::wcstol(text.c_str(), &end, 0);
  if (text.empty() || *end != L'\0') Usage(std::wstring(L"not a number for ") + what + L": " + text);
  return static_cast<int>(value);
}

DWORD ParseSeconds(const std::wstring& text) {
  wchar_t* end = nullptr;
  double seconds = std::wcstod(text.c_str(), &end);
  if (text.empty() || *end != L'\0' || seconds < 0) Usage(L"not a number of seconds: " + text);
  return static_cast<DWORD>(seconds * 1000);
}

std::wstring WindowTextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length))
    Fail(L"the window does not answer WM_GETTEXTLENGTH");
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                           kSendTimeoutMs, &copied))
    Fail(L"the window does not answer WM_GETTEXT");
  text.resize(copied);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

struct Found {
  std::wstring caption;
  std::wstring className;
  DWORD processId;
  HWND except;
  bool needMessageText;
  HWND result;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM data) {
  auto* found = reinterpret_cast<Found*>(data);
  if (window == found->except || !IsWindowVisible(window)) return TRUE;
  if (!found->className.empty() && ClassOf(window) != found->className) return TRUE;
  if (found->processId) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != found->processId) return TRUE;
  }
  if (found->needMessageText && !GetDlgItem(window, kMessageTextId)) return TRUE;
  if (!found->caption.empty()) {
    // Top-level captions are kept by the system, so this reads no other process.
    int length = GetWindowTextLengthW(window);
    std::wstring caption(length + 1, L'\0');
    caption.resize(GetWindowTextW(window, caption.data(), length + 1));
    if (caption != found->caption) return TRUE;
  }
  found->result = window;
  return FALSE;
}

HWND FindTopLevel(Found found) {
  found.result = nullptr;
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&found));
  return found.result;
}

class Driver {
 public:
  ~Driver() {
    if (process_) CloseHandle(process_);
  }

  void Run(const std::vector<std::wstring>& words);

 private:
  HWND Selected() const {
    if (!window_) Usage(L"no window selected (start with window or wait-window)");
    return window_;
  }
  HWND Control(const std::wstring& idText) const {
    int id = ParseInt(idText, L"a control id");
    if (id == 0) return Selected();
    HWND control = GetDlgItem(Selected(), id);
    if (!control) Fail(L"there is no control " + idText);
    return control;
  }
  void Select(HWND window) {
    window_ = window;
    if (process_) CloseHandle(process_);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  }
  HWND WaitFor(const Found& what, DWORD timeoutMs, const std::wstring& describe) {
    DWORD start = GetTickCount();
    for (;;) {
      if (HWND window = FindTopLevel(what)) return window;
      if (GetTickCount() - start >= timeoutMs) Fail(L"no " + describe + L" appeared");
      Sleep(50);
    }
  }
  DWORD SelectedProcessId() const {
    DWORD pid = 0;
    if (window_) GetWindowThreadProcessId(window_, &pid);
    return pid;
  }
  HWND WaitBox(DWORD timeoutMs, const std::wstring& caption) {
    Found what{caption, L"#32770", caption.empty() ? SelectedProcessId() : 0, window_, caption.empty(), nullptr};
    return WaitFor(what, timeoutMs, caption.empty() ? std::wstring(L"message box") : L"box \"" + caption + L"\"");
  }
  void Expect(const std::wstring& idText, const std::wstring& state);
  void Click(const std::wstring& idText);
  void Key(const std::wstring& key);
  void List();
  void TreeSelect(const std::wstring& idText, const std::wstring& where);
  void Layout();

  HWND window_ = nullptr;
  HANDLE process_ = nullptr;
};

void Driver::Expect(const std::wstring& idText, const std::wstring& state) {
  HWND control = Control(idText);
  bool actual;
  std::wstring opposite;
  if (state == L"visible" || state == L"hidden") {
    actual = IsWindowVisible(control) == (state == L"visible");
    opposite = state == L"visible" ? L"hidden" : L"visible";
  } else if (state == L"enabled" || state == L"disabled") {
    actual = (IsWindowEnabled(control) != FALSE) == (state == L"enabled");
    opposite = state == L"enabled" ? L"disabled" : L"enabled";
  } else if (state == L"checked" || state == L"unchecked") {
    DWORD_PTR check = 0;
    if (!SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &check))
      Fail(L"control " + idText + L" does not answer BM_GETCHECK");
    actual = (check == BST_CHECKED) == (state == L"checked");
    opposite = state == L"checked" ? L"unchecked" : L"checked";
  } else if (state == L"focused") {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(control, nullptr), &info);
    actual = info.hwndFocus == control;
    opposite = L"not focused";
  } else {
    Usage(L"unknown state " + state);
  }
  if (!actual) Fail(L"expect " + idText + L" " + state + L": it is " + opposite);
}

void Driver::Click(const std::wstring& idText) {
  HWND control = Control(idText);
  if (!IsWindowVisible(control)) Fail(L"click " + idText + L": the control is hidden");
  if (!IsWindowEnabled(control)) Fail(L"click " + idText + L": the control is disabled");
  DWORD_PTR ignored = 0;
  // A timeout is no failure: the click may have opened a modal window whose
  // loop runs inside the handler.
  SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kClickTimeoutMs, &ignored);
}

void Driver::Key(const std::wstring& key) {
  WPARAM vk;
  if (key == L"escape") {
    vk = VK_ESCAPE;
  } else if (key == L"enter") {
    vk = VK_RETURN;
  } else {
    Usage(L"unknown key " + key);
  }
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(Selected(), nullptr), &info);
  HWND target = info.hwndFocus ? info.hwndFocus : Selected();
  PostMessageW(target, WM_KEYDOWN, vk, 1);
  PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
}

void Driver::TreeSelect(const std::wstring& idText, const std::wstring& where) {
  static const std::pair<const wchar_t*, WPARAM> kMoves[] = {
      {L"root", TVGN_ROOT}, {L"parent", TVGN_PARENT}, {L"child", TVGN_CHILD}, {L"next", TVGN_NEXT},
      {L"previous", TVGN_PREVIOUS}};
  const std::pair<const wchar_t*, WPARAM>* found = nullptr;
  for (const auto& entry : kMoves)
    if (where == entry.first) found = &entry;
  if (!found) Usage(L"unknown tree move " + where);
  const WPARAM move = found->second;
  HWND tree = Control(idText);
  // Item handles are the tree's own numbers; they pass between processes as
  // they are.
  DWORD_PTR item = 0;
  if (move != TVGN_ROOT) {
    SendMessageTimeoutW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &item);
    if (!item) Fail(L"tree-select " + idText + L": nothing is selected");
  }
  DWORD_PTR target = 0;
  SendMessageTimeoutW(tree, TVM_GETNEXTITEM, move, static_cast<LPARAM>(item), SMTO_ABORTIFHUNG, kSendTimeoutMs,
                      &target);
  if (!target) Fail(L"tree-select " + idText + L": there is no " + where + L" item");
  DWORD_PTR ignored = 0;
  if (!SendMessageTimeoutW(tree, TVM_SELECTITEM, TVGN_CARET, static_cast<LPARAM>(target), SMTO_ABORTIFHUNG,
                           kSendTimeoutMs, &ignored))
    Fail(L"tree-select " + idText + L": the tree does not answer");
}

void Driver::List() {
  for (HWND child = GetWindow(Selected(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    int id = GetDlgCtrlID(child);
    std::wstring line = std::to_wstring(id) + L" " + ClassOf(child);
    line += IsWindowVisible(child) ? L" visible" : L" hidden";
    line += IsWindowEnabled(child) ? L" enabled" : L" disabled";
    DWORD_PTR check = 0;
    if (ClassOf(child) == L"Button" &&
        SendMessageTimeoutW(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &check))
      line += check == BST_CHECKED ? L" checked" : L" unchecked";
    line += L" \"" + WindowTextOf(child) + L"\"";
    Out(line);
  }
}

void Driver::Layout() {
  RECT client{};
  GetClientRect(Selected(), &client);
  Out(L"client " + std::to_wstring(client.right) + L" " + std::to_wstring(client.bottom));
  int index = 0;
  for (HWND child = GetWindow(Selected(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++index) {
    if (!IsWindowVisible(child)) continue;
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, Selected(), reinterpret_cast<POINT*>(&r), 2);
    Out(std::to_wstring(index) + L" " + std::to_wstring(GetDlgCtrlID(child)) + L" " + ClassOf(child) + L" " +
        std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right - r.left) + L" " +
        std::to_wstring(r.bottom - r.top));
  }
}

INT_PTR CALLBACK Unanswered(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// What MapDialogRect gives in a dialog of the setup dialog's font, made here:
// the dialog manager's own rounding at this screen's scale.
RECT DialogUnits(int x, int y, int cx, int cy) {
  alignas(4) unsigned char buffer[256] = {};
  auto* dialog = reinterpret_cast<DLGTEMPLATE*>(buffer);
  dialog->style = DS_SETFONT | WS_POPUP;
  auto* words = reinterpret_cast<WORD*>(dialog + 1);
  *words++ = 0;  // no menu
  *words++ = 0;  // the dialog class
  *words++ = 0;  // no caption
  *words++ = 9;  // point size
  for (const wchar_t* face = L"\u5B8B\u4F53"; *face; ++face) *words++ = static_cast<WORD>(*face);  // 宋体
  *words++ = 0;
  HWND window = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog, nullptr, Unanswered, 0);
  if (!window) Fail(L"cannot make a dialog to measure dialog units");
  RECT rect{x, y, x + cx, y + cy};
  MapDialogRect(window, &rect);
  DestroyWindow(window);
  return rect;
}

void Driver::Run(const std::vector<std::wstring>& words) {
  if (words.empty()) return;
  const std::wstring& command = words[0];
  auto need = [&](std::size_t minimum, std::size_t maximum) {
    if (words.size() - 1 < minimum || words.size() - 1 > maximum) Usage(L"wrong number of arguments for " + command);
  };
  if (command == L"desktop") {
    need(1, 2);
    DWORD timeout = words.size() > 2 ? ParseSeconds(words[2]) : 0, start = GetTickCount();
    HDESK desktop;
    while (!(desktop = OpenDesktopW(words[1].c_str(), 0, FALSE, GENERIC_ALL))) {
      if (GetTickCount() - start >= timeout) Fail(L"there is no desktop " + words[1]);
      Sleep(50);
    }
    // Windows are found by enumerating the thread's desktop.
    if (!SetThreadDesktop(desktop)) Fail(L"cannot enter desktop " + words[1]);
  } else if (command == L"window") {
    need(1, 1);
    HWND window = FindTopLevel(Found{TextArgument(words[1]), L"", 0, nullptr, false, nullptr});
    if (!window) Fail(L"no window \"" + TextArgument(words[1]) + L"\"");
    Select(window);
  } else if (command == L"wait-window") {
    need(2, 2);
    std::wstring caption = TextArgument(words[1]);
    Select(WaitFor(Found{caption, L"", 0, nullptr, false, nullptr}, ParseSeconds(words[2]),
                   L"window \"" + caption + L"\""));
  } else if (command == L"wait-gone") {
    need(1, 1);
    HWND window = Selected();
    DWORD timeout = ParseSeconds(words[1]), start = GetTickCount();
    while (IsWindow(window)) {
      if (GetTickCount() - start >= timeout) Fail(L"the window is still there");
      Sleep(50);
    }
  } else if (command == L"wait-box") {
    need(1, 2);
    Select(WaitBox(ParseSeconds(words[1]), words.size() > 2 ? TextArgument(words[2]) : L""));
  } else if (command == L"answer-box") {
    need(1, 2);
    static const wchar_t* const kButtons[] = {L"", L"ok", L"cancel", L"abort", L"retry", L"ignore", L"yes", L"no"};
    int id = 0;
    for (int i = 1; i < 8; ++i)
      if (words[1] == kButtons[i]) id = i;
    if (id == 0) id = ParseInt(words[1], L"a button");
    HWND before = window_;
    Select(WaitBox(words.size() > 2 ? ParseSeconds(words[2]) : 10000, L""));
    Click(std::to_wstring(id));
    if (before) Select(before);
  } else if (command == L"expect") {
    need(2, 8);
    for (std::size_t i = 2; i < words.size(); ++i) Expect(words[1], words[i]);
  } else if (command == L"expect-text") {
    need(2, 2);
    std::wstring expected = TextArgument(words[2]);
    std::wstring actual = WindowTextOf(Control(words[1]));
    if (actual != expected) Fail(L"expect-text " + words[1] + L": \"" + actual + L"\", not \"" + expected + L"\"");
  } else if (command == L"get-text") {
    need(1, 1);
    Out(WindowTextOf(Control(words[1])));
  } else if (command == L"set-text") {
    need(2, 2);
    std::wstring text = TextArgument(words[2]);
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(Control(words[1]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored))
      Fail(L"set-text " + words[1] + L": the control does not answer");
  } else if (command == L"click") {
    need(1, 1);
    Click(words[1]);
  } else if (command == L"key") {
    need(1, 1);
    Key(words[1]);
  } else if (command == L"close") {
    need(0, 0);
    PostMessageW(Selected(), WM_CLOSE, 0, 0);
  } else if (command == L"wait-exit") {
    need(1, 2);
    Selected();
    if (!process_) Fail(L"cannot watch the window's process");
    if (WaitForSingleObject(process_, ParseSeconds(words[1])) != WAIT_OBJECT_0) Fail(L"the process is still running");
    if (words.size() > 2) {
      DWORD code = 0;
      GetExitCodeProcess(process_, &code);
      if (static_cast<int>(code) != ParseInt(words[2], L"an exit code"))
        Fail(L"the process ended with " + std::to_wstring(static_cast<int>(code)));
    }
  } else if (command == L"list") {
    need(0, 0);
    List();
  } else if (command == L"rect") {
    need(0, 1);
    RECT r{};
    GetWindowRect(words.size() > 1 ? Control(words[1]) : Selected(), &r);
    Out(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right - r.left) + L" " +
        std::to_wstring(r.bottom - r.top));
  } else if (command == L"layout") {
    need(0, 0);
    Layout();
  } else if (command == L"units") {
    need(4, 4);
    RECT r = DialogUnits(ParseInt(words[1], L"x"), ParseInt(words[2], L"y"), ParseInt(words[3], L"cx"),
                         ParseInt(words[4], L"cy"));
    Out(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right - r.left) + L" " +
        std::to_wstring(r.bottom - r.top));
  } else if (command == L"tree-select") {
    need(2, 2);
    TreeSelect(words[1], words[2]);
  } else if (command == L"sleep") {
    need(1, 1);
    Sleep(ParseInt(words[1], L"milliseconds"));
  } else {
    Usage(L"unknown command " + command);
  }
}

// Splits a script line into words; "..." quotes a word with spaces.
std::vector<std::wstring> SplitLine(const std::wstring& line) {
  std::vector<std::wstring> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && iswspace(line[i])) ++i;
    if (i >= line.size() || line[i] == L'#') break;
    std::wstring word;
    if (line[i] == L'"') {
      std::size_t end = line.find(L'"', i + 1);
      if (end == std::wstring::npos) Usage(L"unterminated quote: " + line);
      word = line.substr(i + 1, end - i - 1);
      i = end + 1;
    } else {
      while (i < line.size() && !iswspace(line[i])) word += line[i++];
    }
    words.push_back(word);
  }
  return words;
}

std::vector<std::vector<std::wstring>> ParseCommands(int argc, wchar_t** argv) {
  std::vector<std::vector<std::wstring>> commands(1);
  if (argc == 3 && std::wstring(argv[1]) == L"-f") {
    std::wstring script = ReadFileUtf8(argv[2]), line;
    commands.clear();
    for (std::size_t start = 0; start <= script.size();) {
      std::size_t end = script.find(L'\n', start);
      if (end == std::wstring::npos) end = script.size();
      line = script.substr(start, end - start);
      if (!line.empty() && line.back() == L'\r') line.pop_back();
      std::vector<std::wstring> words = SplitLine(line);
      if (!words.empty()) commands.push_back(words);
      start = end + 1;
    }
    return commands;
  }
  for (int i = 1; i < argc; ++i) {
    if (std::wstring(argv[i]) == L"--") {
      commands.emplace_back();
    } else {
      commands.back().push_back(argv[i]);
    }
  }
  return commands;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 2) {
    Write(GetStdHandle(STD_ERROR_HANDLE), "usage: driver COMMAND ARGS... [-- COMMAND ARGS...]... | driver -f FILE\n");
    return 2;
  }
  Driver driver;
  std::vector<std::wstring> current;
  try {
    for (const auto& words : ParseCommands(argc, argv)) {
      current = words;
      driver.Run(words);
    }
  } catch (const Failure& failure) {
    std::wstring where;
    for (const auto& word : current) where += (where.empty() ? L"" : L" ") + word;
    Write(GetStdHandle(STD_ERROR_HANDLE), "driver: " + ToUtf8(where) + ": " + ToUtf8(failure.message) + "\n");
    return failure.code;
  }
  return 0;
}
