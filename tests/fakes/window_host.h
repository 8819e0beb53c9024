// The headless window host: windows without a screen, for the native tests.
// A dialog is built from its portable template description; its controls
// keep their state (text, styles, check state, progress range and position,
// icons) where a test can read it, and a test plays the user: it clicks,
// types and asks for colours while the dialog runs "modally".
//
// A modal run: the dialog is built, WM_INITDIALOG goes to its sink, the
// dialog is shown, and then the test's modal script runs (set beforehand with
// SetModalScript). Without a script the user closes the dialog at once. When
// the script returns with the dialog still open, the user closes it (WM_CLOSE);
// a dialog that refuses to end then ends with -1. The dialog is destroyed as
// soon as the input that ended it has been handled, like a real modal loop
// that returns after the current message.
//
// Like Win32, controls answer their own messages: buttons BM_GETCHECK,
// BM_SETCHECK, BM_CLICK and BCM_SETSHIELD, progress bars PBM_*, every window WM_SETICON and
// WM_GETICON; a dialog turns WM_CLOSE into IDCANCEL; setting an edit box's
// text reports EN_CHANGE. Dialog units become pixels as for the dialog font
// "宋体" 9 point on a 96 dpi screen: 6 pixels average width, 12 pixels height,
// and in proportion on a screen of another scale (SetDpi). ChangeDpi plays
// the dialog moving to such a screen: WM_DPICHANGED, then, as the dialog
// manager does, the controls laid out again from their dialog units. Posted
// messages arrive after the input that posted them; those the dialog posts
// as it opens, before the script runs.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/window_host.h"

namespace platform {

// What a test can read of one window.
struct HeadlessWindow {
  HeadlessWindow* parent = nullptr;
  int id = 0;
  std::string className;
  std::string text;
  int imageId = 0;
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  Rect rect;  // pixels, in the parent's client coordinates (screen for a top-level window)
  Rect units;  // a dialog's control: its template rectangle (left, top, width, height in dialog units)
  BitmapHandle picture = nullptr;  // a picture control's bitmap
  int check = 0;
  bool shield = false;  // a button's BCM_SETSHIELD
  int rangeMinimum = 0;  // progress bar
  int rangeMaximum = 100;
  int position = 0;
  int step = 10;
  int wraps = 0;  // steps that went round past an end
  IconHandle smallIcon = nullptr;
  IconHandle bigIcon = nullptr;
  MessageSink* sink = nullptr;
  bool subclassed = false;
  bool alive = true;
  bool ended = false;
  std::intptr_t result = 0;
  std::vector<HeadlessWindow*> children;
  // (message, wParam) of every message that reached the window's own
  // handling: what a subclass let through, or the dialog manager's part.
  std::vector<std::pair<unsigned, std::uintptr_t>> ownHandled;
  std::function<std::optional<std::intptr_t>(unsigned, std::uintptr_t, std::intptr_t)> proc;

  bool visible() const { return (style & kWsVisible) != 0; }
  bool enabled() const { return (style & kWsDisabled) == 0; }
};

// What a colour request left in its drawing context.
struct ColourReply {
  BrushHandle brush = nullptr;
  Colour textColour = 0;
  int bkMode = kOpaque;
  FontHandle font = nullptr;
  int defaultHandlerCalls = 0;  // how often the default colour handler ran
};

class HeadlessWindowHost : public WindowHost {
 public:
  HeadlessWindowHost();
  ~HeadlessWindowHost() override;

  // WindowHost
  std::intptr_t RunModalDialog(const DialogTemplate& dialogTemplate, WindowHandle owner, MessageSink* sink) override;
  void EndDialog(WindowHandle dialog, std::intptr_t result) override;
  bool Subclass(WindowHandle window, MessageSink* sink) override;
  void Unsubclass(WindowHandle window, MessageSink* sink) override;
  std::intptr_t CallDefault(WindowHandle window, unsigned message, std::uintptr_t wParam,
                            std::intptr_t lParam) override;
  std::intptr_t Send(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
  WindowHandle CreateControl(WindowHandle parent, int id, const std::string& className, std::uint32_t style,
                             std::uint32_t exStyle, const Rect& rect) override;
  void SetFocus(WindowHandle window) override;
  WindowHandle SafeOwner(WindowHandle given) override;
  WindowHandle GetDlgItem(WindowHandle dialog, int id) override;
  int GetDlgCtrlId(WindowHandle window) override;
  void Show(WindowHandle window, bool show) override;
  bool IsVisible(WindowHandle window) override;
  void Enable(WindowHandle window, bool enable) override;
  bool IsEnabled(WindowHandle window) override;
  void SetText(WindowHandle window, const std::string& text) override;
  std::string GetText(WindowHandle window) override;
  Rect GetWindowRect(WindowHandle window) override;
  Point ScreenToClient(WindowHandle window, Point point) override;
  void Move(WindowHandle window, const Rect& rect, bool repaint) override;
  void Post(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
  WindowHandle ChildAt(WindowHandle parent, std::size_t index) override;
  Rect MapDialogRect(WindowHandle dialog, const Rect& units) override;
  int Dpi(WindowHandle window) override;
  IconHandle LoadAppIcon(int resourceId) override;
  Image LoadBitmapImage(int resourceId) override;
  BitmapHandle MakeBitmap(const Image& image) override;
  void DeleteBitmap(BitmapHandle bitmap) override;
  BitmapHandle SetPicture(WindowHandle control, BitmapHandle bitmap) override;
  BrushHandle CreateSolidBrush(Colour colour) override;
  FontHandle MakeFont(const FontParameters& parameters) override;
  void DeleteBrush(BrushHandle brush) override;
  void DeleteFont(FontHandle font) override;
  Colour SetTextColour(DrawContext dc, Colour colour) override;
  int SetBkMode(DrawContext dc, int mode) override;
  FontHandle SelectFont(DrawContext dc, FontHandle font) override;

  // The test's side. The script runs once, in the next modal run.
  void SetModalScript(std::function<void(WindowHandle dialog)> script) { script_ = std::move(script); }

  // A user's click on a control: only a visible, enabled control reacts.
  // False when it did not (or there is no such control or dialog).
  bool Click(WindowHandle dialog, int id);
  // A user's typing: the edit box's whole text becomes `text`.
  bool Type(WindowHandle dialog, int id, const std::string& text);
  // The close box.
  void Close(WindowHandle dialog);
  // A colour request for control `id` (0: the dialog itself) of `kind`.
  ColourReply RequestColour(WindowHandle dialog, int id, unsigned kind);

  // A plain window of our own, for the layer's tests; null parent makes a
  // top-level window. Controls of the classes above behave as in a dialog.
  WindowHandle CreateTestWindow(WindowHandle parent, int id, const std::string& className, const std::string& text,
                                std::uint32_t style = kWsVisible);
  void DestroyWindow(WindowHandle window);
  // A window procedure of the test's own for a window it created: it sees
  // the messages that reach the window's own handling first, and answers
  // those it returns a result for.
  using WindowProc = std::function<std::optional<std::intptr_t>(unsigned, std::uintptr_t, std::intptr_t)>;
  void SetWindowProc(WindowHandle window, WindowProc proc);

  // Null when the handle is no live window.
  const HeadlessWindow* Window(WindowHandle window) const;
  const HeadlessWindow* Control(WindowHandle dialog, int id) const;

  // The window last given the keyboard focus, while it lives.
  WindowHandle Focus() const;

  // Brushes and fonts made and not yet deleted.
  bool BrushColour(BrushHandle brush, Colour* colour) const;
  const FontParameters* FontOf(FontHandle font) const;
  std::size_t LiveBrushes() const { return brushes_.size() - 1; }  // without the system brush
  std::size_t LiveFonts() const { return fonts_.size(); }

  // The screen's scale for the dialogs made from now on.
  void SetDpi(int dpi) { dpi_ = dpi; }
  // The dialog moves to a screen of `dpi`.
  void ChangeDpi(WindowHandle dialog, int dpi);
  // A bitmap resource the program "carries" (none unless a test gives it).
  void SetBitmapResource(int resourceId, Image image) { bitmapResources_[resourceId] = std::move(image); }
  // The pixels of a bitmap made and not yet deleted; null otherwise.
  const Image* BitmapOf(BitmapHandle bitmap) const;
  std::size_t LiveBitmaps() const { return bitmaps_.size(); }

  // Icon resources the program "carries" (1 and 128 unless a test says
  // otherwise).
  void SetIconResource(int resourceId, bool present);

  // The system's brush for dialogs and controls (COLOR_3DFACE).
  BrushHandle SystemBrush() const { return systemBrush_; }

 private:
  struct DcState {
    Colour textColour = 0;
    int bkMode = kOpaque;
    FontHandle font = nullptr;
    int defaultHandlerCalls = 0;
  };

  template <typename Field>
  Field Exchange(DrawContext dc, Field DcState::*field, Field value);
  HeadlessWindow* Find(WindowHandle window) const;
  HeadlessWindow* NewWindow(HeadlessWindow* parent);
  std::intptr_t Deliver(HeadlessWindow* window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
  std::intptr_t OwnHandling(HeadlessWindow* window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
  void Notify(HeadlessWindow* control, unsigned code);
  void Destroy(HeadlessWindow* window);
  void DeliverPosted();
  // A modal dialog that has ended is destroyed once the input is handled.
  void AfterInput(WindowHandle dialog);
  Rect DialogUnitsToPixels(const Rect& units) const;
  struct Posted {
    WindowHandle window;
    unsigned message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
  };

  std::vector<std::unique_ptr<HeadlessWindow>> windows_;
  std::set<const HeadlessWindow*> known_;
  std::function<void(WindowHandle)> script_;
  std::map<BrushHandle, Colour> brushes_;
  std::map<FontHandle, FontParameters> fonts_;
  std::map<DrawContext, DcState> dcs_;
  std::set<int> icons_{1, 128};
  std::map<int, Image> bitmapResources_;
  std::map<BitmapHandle, Image> bitmaps_;
  std::vector<Posted> posted_;
  int dpi_ = kStandardDpi;
  std::uintptr_t nextHandle_ = 0x1000;
  BrushHandle systemBrush_ = nullptr;
  WindowHandle focus_ = nullptr;
};

}  // namespace platform
