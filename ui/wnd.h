// Our thin layer over Win32 windows, in the manner of WTL: a window object
// (CWnd) stands for a window handle, and a message-map table says which member
// answers which message. Reading a class's table tells every way into it.
//
// A map row is (message, notification code, first id, last id, handler); a
// class's map chains to its base class's map, and the most derived row that
// matches wins. Messages no row takes get the window's own handling: the
// original window procedure of a subclassed window, the dialog manager's for
// a dialog.
//
// Everything reaches the system through the window host (platform/
// window_host.h), so the same code runs on Win32 and on the headless host of
// the native tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/window_host.h"

class CWnd;
class CDC;

// ShowWindow commands.
constexpr int kSwHide = 0;
constexpr int kSwShow = 5;

// What a row's handler is called with: the message being dispatched.
struct Message {
  unsigned message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
};

// A row calls its handler through a function made for it at compile time by
// the row templates below; `target` is the object whose map holds the row.
using RowHandler = std::intptr_t (*)(CWnd& target, const Message& message);

struct MessageMapEntry {
  unsigned message;
  unsigned code;      // notification code, for WM_COMMAND rows
  unsigned firstId;   // control or command ids, for WM_COMMAND rows
  unsigned lastId;
  RowHandler handler;
};

struct MessageMap {
  const MessageMap* base;  // null ends the chain
  const MessageMapEntry* entries;
  std::size_t count;
};

namespace rows {

template <class Member>
struct ClassOf;
template <class T, class R, class... Args>
struct ClassOf<R (T::*)(Args...)> {
  using type = T;
};
template <auto Member>
using Owner = typename ClassOf<decltype(Member)>::type;

template <auto Member>
std::intptr_t Command(CWnd& target, const Message&) {
  (static_cast<Owner<Member>&>(target).*Member)();
  return 0;
}

template <auto Member>
std::intptr_t Generic(CWnd& target, const Message& message) {
  return (static_cast<Owner<Member>&>(target).*Member)(message.wParam, message.lParam);
}

// Defined after CWnd and CDC.
template <auto Member>
std::intptr_t CtlColor(CWnd& target, const Message& message);

}  // namespace rows

// Rows. `Member` is a member function of the class whose map holds the row:
// void () for commands.
template <auto Member>
constexpr MessageMapEntry CommandRangeRow(unsigned code, unsigned firstId, unsigned lastId) {
  return {platform::kWmCommand, code, firstId, lastId, &rows::Command<Member>};
}

template <auto Member>
constexpr MessageMapEntry CommandRow(unsigned code, unsigned id) {
  return CommandRangeRow<Member>(code, id, id);
}

// The colour requests of the window and its controls (WM_CTLCOLORMSGBOX ..
// WM_CTLCOLORSTATIC, folded into one message as kWmCtlColor), answered by
// platform::BrushHandle (CDC* dc, CWnd* window, unsigned kind): the brush to
// paint with.
template <auto Member>
constexpr MessageMapEntry CtlColorRow() {
  return {platform::kWmCtlColor, 0, 0, 0, &rows::CtlColor<Member>};
}

// Any other message, answered by std::intptr_t (std::uintptr_t wParam,
// std::intptr_t lParam): the message's result.
template <auto Member>
constexpr MessageMapEntry MessageRow(unsigned message) {
  return {message, 0, 0, 0, &rows::Generic<Member>};
}

class CWnd : private platform::MessageSink {
 public:
  CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  // A window still subclassed gets its own procedure back.
  ~CWnd() override;

  static const MessageMap* ThisMessageMap();
  virtual const MessageMap* GetMessageMap() const;

  platform::WindowHandle GetSafeHwnd() const { return m_hWnd; }

  // Stands for `window` without taking its messages (a dialog's control).
  // False when this object already stands for a window.
  bool Attach(platform::WindowHandle window);
  platform::WindowHandle Detach();

  // Puts this object's message map in front of a window someone else
  // created: its rows see the window's messages first, everything else goes
  // on to the window's own procedure. When the window is destroyed the object
  // lets go of it by itself.
  bool SubclassWindow(platform::WindowHandle window);
  platform::WindowHandle UnsubclassWindow();

  // The window itself.
  void ShowWindow(int command);
  void EnableWindow(bool enable);
  bool IsWindowVisible() const;  // its own WS_VISIBLE bit
  bool IsWindowEnabled() const;
  void SetText(const std::string& text);
  std::string GetText() const;
  int GetDlgCtrlID() const;
  std::intptr_t Send(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) const;
  platform::Rect GetWindowRect() const;
  void ScreenToClient(platform::Rect* rect) const;
  void MoveWindow(const platform::Rect& rect, bool repaint = true);
  void SetIcon(platform::IconHandle icon, bool big);

  // Its controls, by id.
  platform::WindowHandle GetDlgItem(int id) const;
  void ShowDlgItem(int id, int command);
  void EnableDlgItem(int id, bool enable);
  bool IsDlgItemVisible(int id) const;
  bool IsDlgItemEnabled(int id) const;
  void SetItemText(int id, const std::string& text);
  std::string GetItemText(int id) const;
  void CheckDlgButton(int id, int state);
  int IsDlgButtonChecked(int id) const;

  // The default colour handler: what the window would answer without us.
  platform::BrushHandle OnCtlColor(CDC* dc, CWnd* window, unsigned kind);

 protected:
  // Dispatches a message through the map chain; false when no row takes it.
  virtual bool OnWndMsg(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t* result);
  // The first row of the map chain that takes `message` (and, for
  // WM_COMMAND, `code` and `id`), or null.
  const MessageMapEntry* FindRow(unsigned message, unsigned code, unsigned id) const;
  // The window's own handling of the message being dispatched.
  std::intptr_t Default();

  platform::WindowHandle m_hWnd = nullptr;

 private:
  enum class Binding { None, Attached, Subclassed, Driven };

  friend class CDialog;  // a modal dialog ties itself to its window as it is created

  void OnAttached(platform::WindowHandle window) override;
  bool OnMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t* result) override;
  void OnDetached() override;
  platform::MessageSink* AsSink() { return this; }

  struct Current {
    unsigned message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
  };

  Binding binding_ = Binding::None;
  Current current_;
};

// Draws through a drawing context the system lent (the one a colour request
// carries); does not own it.
class CDC {
 public:
  explicit CDC(platform::DrawContext dc) : dc_(dc) {}
  platform::DrawContext GetSafeHdc() const { return dc_; }
  platform::Colour SetTextColor(platform::Colour colour);
  int SetBkMode(int mode);
  // Returns the font selected before.
  platform::FontHandle SelectObject(platform::FontHandle font);

 private:
  platform::DrawContext dc_;
};

template <auto Member>
std::intptr_t rows::CtlColor(CWnd& target, const Message& message) {
  CDC dc(reinterpret_cast<platform::DrawContext>(message.wParam));
  CWnd window;
  window.Attach(reinterpret_cast<platform::WindowHandle>(message.lParam));
  const platform::BrushHandle brush =
      (static_cast<Owner<Member>&>(target).*Member)(&dc, &window, message.message - platform::kWmCtlColorMsgBox);
  window.Detach();
  return reinterpret_cast<std::intptr_t>(brush);
}
