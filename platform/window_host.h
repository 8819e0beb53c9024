// Window-host service: the few window, dialog and drawing operations our
// dialog layer (ui/wnd.h, ui/dialog.h) is built on. The layer keeps Win32's
// model (handles, control ids, messages, modal dialogs); this service is the
// only place that reaches the system for it.
//
// Implementations: platform/win32/window_host.cpp (the real windows, through
// the W functions with code page 936 at the boundary) and
// tests/fakes/window_host.cpp (a headless host for the tests: it builds a
// dialog's controls from the portable template description and keeps every
// control's state where a test can read it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The Win32 handle types are pointers to these structs (windows.h with
// STRICT). Declaring them here lets a handle pass between the portable layer
// and the Win32 side without casts; the headless host points them at its own
// records.
struct HWND__;
struct HDC__;
struct HBRUSH__;
struct HFONT__;
struct HICON__;
struct HBITMAP__;

namespace platform {

using WindowHandle = HWND__*;
using DrawContext = HDC__*;
using BrushHandle = HBRUSH__*;
using FontHandle = HFONT__*;
using IconHandle = HICON__*;
using BitmapHandle = HBITMAP__*;

// 0x00BBGGRR, like COLORREF.
using Colour = std::uint32_t;

// Messages, notifications and values the layer and its hosts use.
constexpr unsigned kWmDestroy = 0x0002;
constexpr unsigned kWmClose = 0x0010;
constexpr unsigned kWmCtlColor = 0x0019;  // the layer folds the seven WM_CTLCOLOR* requests into this one
constexpr unsigned kWmGetIcon = 0x007F;
constexpr unsigned kWmSetFont = 0x0030;
constexpr unsigned kWmGetFont = 0x0031;
constexpr unsigned kWmSetIcon = 0x0080;
constexpr unsigned kWmNcDestroy = 0x0082;
constexpr unsigned kWmInitDialog = 0x0110;
constexpr unsigned kWmCommand = 0x0111;
constexpr unsigned kWmCtlColorMsgBox = 0x0132;  // first of WM_CTLCOLORMSGBOX..WM_CTLCOLORSTATIC
constexpr unsigned kWmCtlColorStatic = 0x0138;
constexpr unsigned kWmDpiChanged = 0x02E0;  // wParam: the new dpi in both halves
constexpr unsigned kWmUser = 0x0400;
constexpr unsigned kWmApp = 0x8000;

// The screen's scale at 100 %.
constexpr int kStandardDpi = 96;

// Kinds of colour request (CTLCOLOR_*): WM_CTLCOLORMSGBOX + kind is the message.
constexpr unsigned kCtlColorMsgBox = 0;
constexpr unsigned kCtlColorEdit = 1;
constexpr unsigned kCtlColorListBox = 2;
constexpr unsigned kCtlColorButton = 3;
constexpr unsigned kCtlColorDialog = 4;
constexpr unsigned kCtlColorScrollBar = 5;
constexpr unsigned kCtlColorStatic = 6;

constexpr unsigned kBnClicked = 0;       // BN_CLICKED
constexpr unsigned kEnChange = 0x0300;   // EN_CHANGE

constexpr unsigned kBmGetCheck = 0x00F0;
constexpr unsigned kBmSetCheck = 0x00F1;
constexpr unsigned kBmClick = 0x00F5;
// BCM_SETSHIELD: lParam true puts the shield (the click asks for
// administrator rights) before the button's text, false takes it away.
constexpr unsigned kBcmSetShield = 0x160C;
constexpr int kBstChecked = 1;

constexpr unsigned kPbmSetRange = kWmUser + 1;
constexpr unsigned kPbmSetPos = kWmUser + 2;
constexpr unsigned kPbmSetStep = kWmUser + 4;
constexpr unsigned kPbmStepIt = kWmUser + 5;
constexpr unsigned kPbmGetRange = kWmUser + 7;
constexpr unsigned kPbmGetPos = kWmUser + 8;

constexpr std::uintptr_t kIconSmall = 0;  // ICON_SMALL
constexpr std::uintptr_t kIconBig = 1;    // ICON_BIG

constexpr int kTransparent = 1;  // background modes of a drawing context
constexpr int kOpaque = 2;

// Window styles the hosts look at.
constexpr std::uint32_t kWsVisible = 0x10000000;
constexpr std::uint32_t kWsDisabled = 0x08000000;
constexpr std::uint32_t kBsTypeMask = 0x0000000F;
constexpr std::uint32_t kBsAutoCheckBox = 0x00000003;

// The word halves of a message parameter (LOWORD / HIWORD).
constexpr unsigned LowWord(std::uintptr_t value) { return static_cast<unsigned>(value & 0xFFFF); }
constexpr unsigned HighWord(std::uintptr_t value) { return static_cast<unsigned>((value >> 16) & 0xFFFF); }
constexpr std::uintptr_t MakeWParam(unsigned low, unsigned high) {
  return static_cast<std::uintptr_t>((low & 0xFFFF) | ((high & 0xFFFF) << 16));
}

struct Point {
  int x = 0;
  int y = 0;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// A picture's pixels, rows from the top, each pixel 0x00RRGGBB.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// The parameters of CreateFont.
struct FontParameters {
  int height = 0;
  int width = 0;
  int escapement = 0;
  int orientation = 0;
  int weight = 0;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  int charSet = 0;
  int outPrecision = 0;
  int clipPrecision = 0;
  int quality = 0;
  int pitchAndFamily = 0;
  std::string face;
};

// The portable description of an extended dialog template. The Windows
// builds take the dialog from the program's resources (resourceId); the
// headless host builds it from the rest. A test under Wine compares the two.
struct ControlTemplate {
  int id;                 // -1 for the statics nothing addresses
  const char* className;  // "Button", "Edit", "Static", "msctls_progress32"
  const char* text;       // GBK; empty for a picture
  int imageId;            // bitmap resource of a picture control, otherwise 0
  std::uint32_t style;
  int x, y, cx, cy;       // dialog units
};

struct DialogTemplate {
  int resourceId;
  const char* caption;  // GBK
  const char* fontFace;  // GBK
  int pointSize;
  int fontWeight;
  bool italic;
  int charSet;
  std::uint32_t style;
  std::uint32_t exStyle;
  int x, y, cx, cy;  // dialog units
  const ControlTemplate* controls;
  std::size_t controlCount;
};

// Receives the messages of one window: a dialog the host runs, or a window
// that was subclassed.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // The sink now stands for `window` (before the dialog's WM_INITDIALOG, or
  // when the subclass is attached).
  virtual void OnAttached(WindowHandle window) = 0;
  // Returns true with `*result` set when the sink handled the message; false
  // lets the window's own handling run.
  virtual bool OnMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t* result) = 0;
  // The window has been destroyed (after its WM_NCDESTROY); the sink must
  // forget the handle.
  virtual void OnDetached() = 0;
};

class WindowHost {
 public:
  virtual ~WindowHost() = default;

  // Creates the dialog, ties `sink` to it and runs it modally until
  // EndDialog. Returns the EndDialog result, or -1 when the dialog could not
  // be created.
  virtual std::intptr_t RunModalDialog(const DialogTemplate& dialogTemplate, WindowHandle owner, MessageSink* sink) = 0;
  // Marks the dialog to end with `result` once the current message is done.
  virtual void EndDialog(WindowHandle dialog, std::intptr_t result) = 0;

  // Puts `sink` in front of a window someone else created. The host detaches
  // the sink by itself when the window is destroyed.
  virtual bool Subclass(WindowHandle window, MessageSink* sink) = 0;
  virtual void Unsubclass(WindowHandle window, MessageSink* sink) = 0;
  // The handling `message` gets without our sink: a subclassed window's own
  // procedure, or the system's default for a dialog we run.
  virtual std::intptr_t CallDefault(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                    std::intptr_t lParam) = 0;

  // SendMessage for messages whose parameters are numbers or handles.
  virtual std::intptr_t Send(WindowHandle window, unsigned message, std::uintptr_t wParam = 0,
                             std::intptr_t lParam = 0) = 0;

  // A child window of `parent` (CreateWindowEx) at `rect`, in the parent's
  // client coordinates, given control id `id`. Null when it cannot be made.
  virtual WindowHandle CreateControl(WindowHandle parent, int id, const std::string& className, std::uint32_t style,
                                     std::uint32_t exStyle, const Rect& rect) = 0;
  virtual void SetFocus(WindowHandle window) = 0;
  // The owner a modal window takes: the top-level window of `given`, or with
  // none that of the thread's active window; null when there is none.
  virtual WindowHandle SafeOwner(WindowHandle given) = 0;

  virtual WindowHandle GetDlgItem(WindowHandle dialog, int id) = 0;
  virtual int GetDlgCtrlId(WindowHandle window) = 0;
  virtual void Show(WindowHandle window, bool show) = 0;
  // The window's own WS_VISIBLE bit, whether or not its parent is shown yet.
  virtual bool IsVisible(WindowHandle window) = 0;
  virtual void Enable(WindowHandle window, bool enable) = 0;
  virtual bool IsEnabled(WindowHandle window) = 0;
  virtual void SetText(WindowHandle window, const std::string& text) = 0;
  // The whole text, whatever its length.
  virtual std::string GetText(WindowHandle window) = 0;

  // PostMessage: `message` reaches the window once the messages before it
  // in its queue are done.
  virtual void Post(WindowHandle window, unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) = 0;

  // Screen coordinates.
  virtual Rect GetWindowRect(WindowHandle window) = 0;
  virtual Point ScreenToClient(WindowHandle window, Point point) = 0;
  // MoveWindow: the rectangle in the parent's client coordinates (screen
  // coordinates for a top-level window).
  virtual void Move(WindowHandle window, const Rect& rect, bool repaint) = 0;

  // The `index`-th child of `parent` (for a dialog, in template order);
  // null past the last.
  virtual WindowHandle ChildAt(WindowHandle parent, std::size_t index) = 0;
  // A rectangle in the dialog's units as pixels of its client area, with the
  // dialog manager's own rounding (MapDialogRect).
  virtual Rect MapDialogRect(WindowHandle dialog, const Rect& units) = 0;
  // The dots per inch of the screen the window is on (kStandardDpi at 100 %).
  virtual int Dpi(WindowHandle window) = 0;

  // An icon resource of the program; null when there is none.
  virtual IconHandle LoadAppIcon(int resourceId) = 0;
  // A bitmap resource of the program as pixels; empty when there is none.
  virtual Image LoadBitmapImage(int resourceId) = 0;
  // A bitmap of these pixels; null when it cannot be made.
  virtual BitmapHandle MakeBitmap(const Image& image) = 0;
  virtual void DeleteBitmap(BitmapHandle bitmap) = 0;
  // Shows `bitmap` in a picture control (STM_SETIMAGE), which takes its
  // size; returns the picture shown before.
  virtual BitmapHandle SetPicture(WindowHandle control, BitmapHandle bitmap) = 0;

  virtual BrushHandle CreateSolidBrush(Colour colour) = 0;
  virtual FontHandle MakeFont(const FontParameters& parameters) = 0;
  virtual void DeleteBrush(BrushHandle brush) = 0;
  virtual void DeleteFont(FontHandle font) = 0;
  virtual Colour SetTextColour(DrawContext dc, Colour colour) = 0;
  virtual int SetBkMode(DrawContext dc, int mode) = 0;
  virtual FontHandle SelectFont(DrawContext dc, FontHandle font) = 0;
};

WindowHost& GetWindowHost();

}  // namespace platform
