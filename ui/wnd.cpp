#include "ui/wnd.h"

namespace {

platform::WindowHost& Host() { return platform::GetWindowHost(); }

bool IsColourRequest(unsigned message) {
  return message >= platform::kWmCtlColorMsgBox && message <= platform::kWmCtlColorStatic;
}

}  // namespace

const MessageMap* CWnd::ThisMessageMap() {
  static const MessageMap map{nullptr, nullptr, 0};
  return &map;
}

const MessageMap* CWnd::GetMessageMap() const { return ThisMessageMap(); }

const MessageMapEntry* CWnd::FindRow(unsigned message, unsigned code, unsigned id) const {
  for (const MessageMap* map = GetMessageMap(); map; map = map->base) {
    for (std::size_t i = 0; i < map->count; ++i) {
      const MessageMapEntry& row = map->entries[i];
      if (row.message != message) continue;
      if (message == platform::kWmCommand && (row.code != code || id < row.firstId || id > row.lastId)) continue;
      return &row;
    }
  }
  return nullptr;
}

CWnd::~CWnd() {
  if (binding_ == Binding::Subclassed) UnsubclassWindow();
}

bool CWnd::Attach(platform::WindowHandle window) {
  if (m_hWnd || !window) return false;
  m_hWnd = window;
  binding_ = Binding::Attached;
  return true;
}

platform::WindowHandle CWnd::Detach() {
  if (binding_ != Binding::Attached) return nullptr;
  platform::WindowHandle window = m_hWnd;
  m_hWnd = nullptr;
  binding_ = Binding::None;
  return window;
}

bool CWnd::SubclassWindow(platform::WindowHandle window) {
  if (m_hWnd || !window) return false;
  if (!Host().Subclass(window, this)) return false;
  // The host has called OnAttached.
  binding_ = Binding::Subclassed;
  return true;
}

platform::WindowHandle CWnd::UnsubclassWindow() {
  if (binding_ != Binding::Subclassed) return nullptr;
  platform::WindowHandle window = m_hWnd;
  Host().Unsubclass(window, this);
  m_hWnd = nullptr;
  binding_ = Binding::None;
  return window;
}

void CWnd::OnAttached(platform::WindowHandle window) { m_hWnd = window; }

void CWnd::OnDetached() {
  m_hWnd = nullptr;
  binding_ = Binding::None;
}

bool CWnd::OnMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t* result) {
  Current saved = current_;
  current_ = {message, wParam, lParam};
  bool handled = OnWndMsg(message, wParam, lParam, result);
  current_ = saved;
  return handled;
}

bool CWnd::OnWndMsg(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t* result) {
  // A command's row is found by its notification code and control id; a
  // colour request's row tells the control's kind from the message.
  const MessageMapEntry* row =
      message == platform::kWmCommand
          ? FindRow(message, platform::HighWord(wParam), platform::LowWord(wParam))
          : FindRow(IsColourRequest(message) ? platform::kWmCtlColor : message, 0, 0);
  if (!row) return false;
  *result = row->handler(*this, {message, wParam, lParam});
  return true;
}

std::intptr_t CWnd::Default() {
  return Host().CallDefault(m_hWnd, current_.message, current_.wParam, current_.lParam);
}

platform::BrushHandle CWnd::OnCtlColor(CDC*, CWnd*, unsigned) {
  return reinterpret_cast<platform::BrushHandle>(Default());
}

void CWnd::ShowWindow(int command) { Host().Show(m_hWnd, command != kSwHide); }
void CWnd::EnableWindow(bool enable) { Host().Enable(m_hWnd, enable); }
bool CWnd::IsWindowVisible() const { return Host().IsVisible(m_hWnd); }
bool CWnd::IsWindowEnabled() const { return Host().IsEnabled(m_hWnd); }
void CWnd::SetText(const std::string& text) { Host().SetText(m_hWnd, text); }
std::string CWnd::GetText() const { return Host().GetText(m_hWnd); }
int CWnd::GetDlgCtrlID() const { return Host().GetDlgCtrlId(m_hWnd); }

std::intptr_t CWnd::Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) const {
  return Host().Send(m_hWnd, message, wParam, lParam);
}

platform::Rect CWnd::GetWindowRect() const { return Host().GetWindowRect(m_hWnd); }

void CWnd::ScreenToClient(platform::Rect* rect) const {
  platform::Point topLeft = Host().ScreenToClient(m_hWnd, {rect->left, rect->top});
  platform::Point bottomRight = Host().ScreenToClient(m_hWnd, {rect->right, rect->bottom});
  *rect = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

void CWnd::MoveWindow(const platform::Rect& rect, bool repaint) { Host().Move(m_hWnd, rect, repaint); }

void CWnd::SetIcon(platform::IconHandle icon, bool big) {
  Send(platform::kWmSetIcon, big ? platform::kIconBig : platform::kIconSmall, reinterpret_cast<std::intptr_t>(icon));
}

platform::WindowHandle CWnd::GetDlgItem(int id) const { return Host().GetDlgItem(m_hWnd, id); }
void CWnd::ShowDlgItem(int id, int command) { Host().Show(GetDlgItem(id), command != kSwHide); }
void CWnd::EnableDlgItem(int id, bool enable) { Host().Enable(GetDlgItem(id), enable); }
bool CWnd::IsDlgItemVisible(int id) const { return Host().IsVisible(GetDlgItem(id)); }
bool CWnd::IsDlgItemEnabled(int id) const { return Host().IsEnabled(GetDlgItem(id)); }
void CWnd::SetItemText(int id, const std::string& text) { Host().SetText(GetDlgItem(id), text); }
std::string CWnd::GetItemText(int id) const { return Host().GetText(GetDlgItem(id)); }

void CWnd::CheckDlgButton(int id, int state) {
  Host().Send(GetDlgItem(id), platform::kBmSetCheck, static_cast<std::uintptr_t>(state));
}

int CWnd::IsDlgButtonChecked(int id) const {
  return static_cast<int>(Host().Send(GetDlgItem(id), platform::kBmGetCheck));
}

platform::Colour CDC::SetTextColor(platform::Colour colour) { return Host().SetTextColour(dc_, colour); }
int CDC::SetBkMode(int mode) { return Host().SetBkMode(dc_, mode); }
platform::FontHandle CDC::SelectObject(platform::FontHandle font) { return Host().SelectFont(dc_, font); }
