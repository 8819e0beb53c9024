// The window host on the real window manager: modal dialogs from the
// program's own dialog resources (DialogBoxParamW), subclassing through the
// common controls' SetWindowSubclass (comctl32 is no KnownDLL, so its
// functions are taken when first needed: platform/win32/system_library.h), texts through the W functions with code
// page 936, and GDI for brushes, fonts and drawing contexts.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdint>

#include "platform/win32/services.h"
#include "platform/win32/system_library.h"
#include "platform/window_host.h"
#include "platform/win32/text.h"

namespace platform {
namespace {

constexpr UINT_PTR kSubclassId = 0x5A56;
// The sink of a subclassed window is also kept in a window property:
// GetWindowSubclass is not exported by name from every comctl32.
constexpr wchar_t kSinkProperty[] = L"Zorvel.MessageSink";

struct Subclassing {
  decltype(&::SetWindowSubclass) set;
  decltype(&::RemoveWindowSubclass) remove;
  decltype(&::DefSubclassProc) callDefault;
  bool ok() const { return set && remove && callDefault; }
};

// The common controls, taken at the first dialog: the classes the dialog
// template uses (the progress bar) registered, and the subclassing
// functions.
const Subclassing& CommonControls() {
  static const Subclassing functions = [] {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    if (auto registerClasses = win32::SystemFunction<decltype(&::InitCommonControlsEx)>(L"comctl32.dll",
                                                                                          "InitCommonControlsEx"))
      registerClasses(&classes);
    return Subclassing{
        win32::SystemFunction<decltype(&::SetWindowSubclass)>(L"comctl32.dll", "SetWindowSubclass"),
        win32::SystemFunction<decltype(&::RemoveWindowSubclass)>(L"comctl32.dll", "RemoveWindowSubclass"),
        win32::SystemFunction<decltype(&::DefSubclassProc)>(L"comctl32.dll", "DefSubclassProc")};
  }();
  return functions;
}

MessageSink* SubclassSink(HWND window) { return static_cast<MessageSink*>(GetPropW(window, kSinkProperty)); }

// GetDpiForWindow comes with Windows 10 1607; before it, every screen has
// the system's scale.
int DpiOf(HWND window) {
  using Function = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow != nullptr) {
    if (UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kStandardDpi;
}

// 32 bits a pixel, rows from the top: 0x00RRGGBB in memory order.
BITMAPINFO TopDownInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

bool ReturnsResultDirectly(UINT message) {
  // A dialog procedure answers these with its return value instead of
  // DWLP_MSGRESULT.
  return message == WM_INITDIALOG || (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) ||
         message == WM_COMPAREITEM || message == WM_VKEYTOITEM || message == WM_CHARTOITEM ||
         message == WM_QUERYDRAGICON;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* sink = reinterpret_cast<MessageSink*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (message == WM_INITDIALOG) {
    sink = reinterpret_cast<MessageSink*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    sink->OnAttached(dialog);
    lParam = 0;
  }
  // Messages that come before WM_INITDIALOG (WM_SETFONT and the like) get
  // the dialog manager's handling.
  if (!sink) return FALSE;
  std::intptr_t result = 0;
  bool handled = sink->OnMessage(message, wParam, lParam, &result);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(dialog, DWLP_USER, 0);
    sink->OnDetached();
    return FALSE;
  }
  if (!handled) return FALSE;
  if (ReturnsResultDirectly(message)) return result;
  SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
  return TRUE;
}

LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto* sink = reinterpret_cast<MessageSink*>(data);
  std::intptr_t result = 0;
  bool handled = sink->OnMessage(message, wParam, lParam, &result);
  if (message == WM_NCDESTROY) {
    CommonControls().remove(window, SubclassProc, kSubclassId);
    RemovePropW(window, kSinkProperty);
    result = CommonControls().callDefault(window, message, wParam, lParam);
    sink->OnDetached();
    return result;
  }
  return handled ? result : CommonControls().callDefault(window, message, wParam, lParam);
}

class Win32WindowHost : public WindowHost {
 public:
  std::intptr_t RunModalDialog(const DialogTemplate& dialogTemplate, WindowHandle owner, MessageSink* sink) override {
    (void)CommonControls();
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dialogTemplate.resourceId), owner, DialogProc,
                           reinterpret_cast<LPARAM>(sink));
  }

  void EndDialog(WindowHandle dialog, std::intptr_t result) override { ::EndDialog(dialog, result); }

  bool Subclass(WindowHandle window, MessageSink* sink) override {
    if (!CommonControls().ok() || !IsWindow(window) || SubclassSink(window) ||
        !SetPropW(window, kSinkProperty, sink))
      return false;
    sink->OnAttached(window);
    if (CommonControls().set(window, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(sink))) return true;
    RemovePropW(window, kSinkProperty);
    sink->OnDetached();
    return false;
  }

  void Unsubclass(WindowHandle window, MessageSink* sink) override {
    if (SubclassSink(window) != sink) return;
    CommonControls().remove(window, SubclassProc, kSubclassId);
    RemovePropW(window, kSinkProperty);
  }

  std::intptr_t CallDefault(WindowHandle window, unsigned message, std::uintptr_t wParam,
                            std::intptr_t lParam) override {
    // Only called while a message of `window` is being handled, which is
    // when DefSubclassProc may be called.
    if (SubclassSink(window)) return CommonControls().callDefault(window, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
  }

  std::intptr_t Send(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
    return SendMessageW(window, message, wParam, lParam);
  }

  WindowHandle CreateControl(WindowHandle parent, int id, const std::string& className, std::uint32_t style,
                             std::uint32_t exStyle, const Rect& rect) override {
    HWND control = CreateWindowExW(exStyle, win32::Widen(className).c_str(), L"", style, rect.left, rect.top,
                                   rect.right - rect.left, rect.bottom - rect.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    return control;
  }

  void SetFocus(WindowHandle window) override { ::SetFocus(window); }

  WindowHandle SafeOwner(WindowHandle given) override {
    HWND window = given != nullptr ? given : GetActiveWindow();
    return window != nullptr ? GetAncestor(window, GA_ROOT) : nullptr;
  }

  WindowHandle GetDlgItem(WindowHandle dialog, int id) override { return ::GetDlgItem(dialog, id); }
  int GetDlgCtrlId(WindowHandle window) override { return GetDlgCtrlID(window); }
  void Show(WindowHandle window, bool show) override { ShowWindow(window, show ? SW_SHOW : SW_HIDE); }
  bool IsVisible(WindowHandle window) override { return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }
  void Enable(WindowHandle window, bool enable) override { EnableWindow(window, enable); }
  bool IsEnabled(WindowHandle window) override { return window && IsWindowEnabled(window); }

  void SetText(WindowHandle window, const std::string& text) override {
    SetWindowTextW(window, win32::Widen(text).c_str());
  }

  std::string GetText(WindowHandle window) override {
    int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(window, text.data(), length + 1);
    return win32::Narrow(text.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
  }

  void Post(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
    PostMessageW(window, message, wParam, lParam);
  }

  Rect GetWindowRect(WindowHandle window) override {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
  }

  Point ScreenToClient(WindowHandle window, Point point) override {
    POINT p{point.x, point.y};
    ::ScreenToClient(window, &p);
    return {p.x, p.y};
  }

  void Move(WindowHandle window, const Rect& rect, bool repaint) override {
    MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
  }

  WindowHandle ChildAt(WindowHandle parent, std::size_t index) override {
    HWND child = GetWindow(parent, GW_CHILD);
    for (; child != nullptr && index > 0; --index) child = GetWindow(child, GW_HWNDNEXT);
    return child;
  }

  Rect MapDialogRect(WindowHandle dialog, const Rect& units) override {
    RECT rect{units.left, units.top, units.right, units.bottom};
    ::MapDialogRect(dialog, &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
  }

  int Dpi(WindowHandle window) override { return DpiOf(window); }

  IconHandle LoadAppIcon(int resourceId) override {
    return LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId));
  }

  Image LoadBitmapImage(int resourceId) override {
    // A device-dependent bitmap: the resources are run-length encoded, which
    // a DIB section cannot hold.
    Image image;
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, 0));
    BITMAP size{};
    if (bitmap == nullptr || !GetObjectW(bitmap, sizeof size, &size) || size.bmWidth <= 0 || size.bmHeight <= 0) {
      if (bitmap != nullptr) DeleteObject(bitmap);
      return image;
    }
    BITMAPINFO info = TopDownInfo(size.bmWidth, size.bmHeight);
    image.pixels.resize(static_cast<std::size_t>(size.bmWidth) * static_cast<std::size_t>(size.bmHeight));
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(size.bmHeight), image.pixels.data(), &info,
                               DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    if (rows != size.bmHeight) return Image{};
    image.width = size.bmWidth;
    image.height = size.bmHeight;
    // The unused top byte stays 0: a static control would blend a picture
    // with alpha values, and keep a copy of it.
    for (std::uint32_t& pixel : image.pixels) pixel &= 0x00FFFFFF;
    return image;
  }

  BitmapHandle MakeBitmap(const Image& image) override {
    if (image.width <= 0 || image.height <= 0) return nullptr;
    BITMAPINFO info = TopDownInfo(image.width, image.height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) return nullptr;
    std::copy(image.pixels.begin(), image.pixels.end(), static_cast<std::uint32_t*>(bits));
    return bitmap;
  }

  void DeleteBitmap(BitmapHandle bitmap) override { DeleteObject(bitmap); }

  BitmapHandle SetPicture(WindowHandle control, BitmapHandle bitmap) override {
    return reinterpret_cast<BitmapHandle>(
        SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
  }

  BrushHandle CreateSolidBrush(Colour colour) override { return ::CreateSolidBrush(colour); }

  FontHandle MakeFont(const FontParameters& font) override {
    return CreateFontW(font.height, font.width, font.escapement, font.orientation, font.weight, font.italic,
                       font.underline, font.strikeOut, static_cast<DWORD>(font.charSet),
                       static_cast<DWORD>(font.outPrecision), static_cast<DWORD>(font.clipPrecision),
                       static_cast<DWORD>(font.quality), static_cast<DWORD>(font.pitchAndFamily),
                       win32::Widen(font.face).c_str());
  }

  void DeleteBrush(BrushHandle brush) override { DeleteObject(brush); }
  void DeleteFont(FontHandle font) override { DeleteObject(font); }
  Colour SetTextColour(DrawContext dc, Colour colour) override { return SetTextColor(dc, colour); }
  int SetBkMode(DrawContext dc, int mode) override { return ::SetBkMode(dc, mode); }

  FontHandle SelectFont(DrawContext dc, FontHandle font) override {
    return static_cast<FontHandle>(SelectObject(dc, font));
  }
};

}  // namespace

}  // namespace platform

platform::WindowHost& platform::win32::TheWindowHost() {
  static Win32WindowHost host;
  return host;
}
