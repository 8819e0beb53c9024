#include "tests/fakes/window_host.h"

#include <algorithm>
#include <utility>

#include "platform/mbcs.h"

namespace platform {
namespace {

// Dialog base units of "宋体" 9 point at 96 dpi.
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 12;

constexpr Colour kSystemFaceColour = 0x00F0F0F0;  // COLOR_3DFACE
constexpr int kIdCancelButton = 2;

int MulDiv(int value, int numerator, int denominator) {
  long long product = static_cast<long long>(value) * numerator;
  return static_cast<int>((product + (product >= 0 ? denominator / 2 : -denominator / 2)) / denominator);
}

WindowHandle HandleOf(const HeadlessWindow* window) {
  return reinterpret_cast<WindowHandle>(const_cast<HeadlessWindow*>(window));
}

bool IsButton(const HeadlessWindow* window) { return window->className == "Button"; }
bool IsProgressBar(const HeadlessWindow* window) { return window->className == "msctls_progress32"; }
bool IsDialog(const HeadlessWindow* window) { return window->className == "#32770"; }

// A progress bar keeps its position inside its range.
void CoercePosition(HeadlessWindow* bar) {
  bar->position = std::clamp(bar->position, bar->rangeMinimum, std::max(bar->rangeMinimum, bar->rangeMaximum));
}

}  // namespace

HeadlessWindowHost::HeadlessWindowHost() {
  systemBrush_ = reinterpret_cast<BrushHandle>(nextHandle_++);
  brushes_[systemBrush_] = kSystemFaceColour;
}

HeadlessWindowHost::~HeadlessWindowHost() = default;

// `units`: left, top, width and height.
Rect HeadlessWindowHost::DialogUnitsToPixels(const Rect& units) const {
  const int baseX = MulDiv(kBaseUnitX, dpi_, kStandardDpi), baseY = MulDiv(kBaseUnitY, dpi_, kStandardDpi);
  int left = MulDiv(units.left, baseX, 4), top = MulDiv(units.top, baseY, 8);
  return {left, top, left + MulDiv(units.right, baseX, 4), top + MulDiv(units.bottom, baseY, 8)};
}

HeadlessWindow* HeadlessWindowHost::Find(WindowHandle window) const {
  auto* record = reinterpret_cast<HeadlessWindow*>(window);
  if (!record || !known_.count(record) || !record->alive) return nullptr;
  return record;
}

const HeadlessWindow* HeadlessWindowHost::Window(WindowHandle window) const { return Find(window); }

const HeadlessWindow* HeadlessWindowHost::Control(WindowHandle dialog, int id) const {
  HeadlessWindow* parent = Find(dialog);
  if (!parent) return nullptr;
  for (HeadlessWindow* child : parent->children)
    if (child->alive && child->id == id) return child;
  return nullptr;
}

HeadlessWindow* HeadlessWindowHost::NewWindow(HeadlessWindow* parent) {
  windows_.push_back(std::make_unique<HeadlessWindow>());
  HeadlessWindow* window = windows_.back().get();
  known_.insert(window);
  window->parent = parent;
  if (parent) parent->children.push_back(window);
  return window;
}

std::intptr_t HeadlessWindowHost::RunModalDialog(const DialogTemplate& dialogTemplate, WindowHandle, MessageSink* sink) {
  HeadlessWindow* dialog = NewWindow(nullptr);
  dialog->className = "#32770";
  dialog->text = dialogTemplate.caption;
  dialog->style = dialogTemplate.style & ~kWsVisible;
  dialog->exStyle = dialogTemplate.exStyle;
  dialog->rect = DialogUnitsToPixels({dialogTemplate.x, dialogTemplate.y, dialogTemplate.cx, dialogTemplate.cy});
  for (std::size_t i = 0; i < dialogTemplate.controlCount; ++i) {
    const ControlTemplate& item = dialogTemplate.controls[i];
    HeadlessWindow* control = NewWindow(dialog);
    control->id = item.id;
    control->className = item.className;
    control->text = item.text;
    control->imageId = item.imageId;
    control->style = item.style;
    control->units = {item.x, item.y, item.cx, item.cy};
    control->rect = DialogUnitsToPixels(control->units);
  }
  WindowHandle handle = HandleOf(dialog);
  dialog->sink = sink;
  sink->OnAttached(handle);
  Deliver(dialog, kWmInitDialog, reinterpret_cast<std::uintptr_t>(dialog->children.empty() ? nullptr
                                                                   : HandleOf(dialog->children.front())), 0);
  if (!dialog->ended) {
    dialog->style |= kWsVisible;
    // The modal loop's first messages: those the dialog posted as it opened.
    DeliverPosted();
    std::function<void(WindowHandle)> script = std::move(script_);
    script_ = nullptr;
    if (script && !dialog->ended) script(handle);
    if (dialog->alive && !dialog->ended) Deliver(dialog, kWmClose, 0, 0);
    if (dialog->alive && !dialog->ended) EndDialog(handle, -1);
  }
  Destroy(dialog);
  return dialog->result;
}

void HeadlessWindowHost::EndDialog(WindowHandle dialog, std::intptr_t result) {
  HeadlessWindow* window = Find(dialog);
  if (!window || window->ended) return;
  window->ended = true;
  window->result = result;
}

void HeadlessWindowHost::DeliverPosted() {
  for (std::size_t i = 0; i < posted_.size(); ++i) {
    const Posted post = posted_[i];
    Deliver(Find(post.window), post.message, post.wParam, post.lParam);
  }
  posted_.clear();
}

void HeadlessWindowHost::AfterInput(WindowHandle dialog) {
  DeliverPosted();
  HeadlessWindow* window = Find(dialog);
  if (window && window->ended) Destroy(window);
}

void HeadlessWindowHost::Destroy(HeadlessWindow* window) {
  if (!window->alive) return;
  Deliver(window, kWmDestroy, 0, 0);
  for (HeadlessWindow* child : window->children) Destroy(child);
  Deliver(window, kWmNcDestroy, 0, 0);
  window->alive = false;
  if (MessageSink* sink = window->sink) {
    window->sink = nullptr;
    sink->OnDetached();
  }
}

bool HeadlessWindowHost::Subclass(WindowHandle window, MessageSink* sink) {
  HeadlessWindow* record = Find(window);
  // One sink per window is all the program needs.
  if (!record || record->sink || !sink) return false;
  record->sink = sink;
  record->subclassed = true;
  sink->OnAttached(window);
  return true;
}

void HeadlessWindowHost::Unsubclass(WindowHandle window, MessageSink* sink) {
  HeadlessWindow* record = Find(window);
  if (!record || record->sink != sink || !record->subclassed) return;
  record->sink = nullptr;
  record->subclassed = false;
}

std::intptr_t HeadlessWindowHost::Deliver(HeadlessWindow* window, unsigned message, std::uintptr_t wParam,
                                          std::intptr_t lParam) {
  if (!window || !window->alive) return 0;
  if (window->sink) {
    std::intptr_t result = 0;
    if (window->sink->OnMessage(message, wParam, lParam, &result)) return result;
  }
  return OwnHandling(window, message, wParam, lParam);
}

void HeadlessWindowHost::Notify(HeadlessWindow* control, unsigned code) {
  if (!control->parent) return;
  Deliver(control->parent, kWmCommand, MakeWParam(static_cast<unsigned>(control->id), code),
          reinterpret_cast<std::intptr_t>(HandleOf(control)));
}

std::intptr_t HeadlessWindowHost::OwnHandling(HeadlessWindow* window, unsigned message, std::uintptr_t wParam,
                                              std::intptr_t lParam) {
  if (!window || !window->alive) return 0;
  window->ownHandled.emplace_back(message, wParam);
  if (window->proc) {
    if (std::optional<std::intptr_t> answer = window->proc(message, wParam, lParam)) return *answer;
  }
  if (message >= kWmCtlColorMsgBox && message <= kWmCtlColorStatic) {
    auto dc = dcs_.find(reinterpret_cast<DrawContext>(wParam));
    if (dc != dcs_.end()) {
      dc->second.defaultHandlerCalls++;
      dc->second.textColour = 0;
    }
    return reinterpret_cast<std::intptr_t>(systemBrush_);
  }
  switch (message) {
    case kWmSetIcon:
    case kWmGetIcon: {
      IconHandle& slot = wParam == kIconBig ? window->bigIcon : window->smallIcon;
      IconHandle old = slot;
      if (message == kWmSetIcon) slot = reinterpret_cast<IconHandle>(lParam);
      return reinterpret_cast<std::intptr_t>(old);
    }
    case kWmDpiChanged:
      // The dialog manager's part: the controls from their dialog units.
      if (IsDialog(window)) {
        for (HeadlessWindow* child : window->children) {
          if (child->units.right == 0) continue;  // not from the template
          const bool sized = child->picture != nullptr;
          const Rect old = child->rect;
          child->rect = DialogUnitsToPixels(child->units);
          // A picture control keeps its bitmap's size.
          if (sized) child->rect = {child->rect.left, child->rect.top, child->rect.left + old.right - old.left,
                                    child->rect.top + old.bottom - old.top};
        }
      }
      return 0;
    case kWmClose:
      if (IsDialog(window)) {
        HeadlessWindow* cancel = const_cast<HeadlessWindow*>(Control(HandleOf(window), kIdCancelButton));
        if (!cancel || cancel->enabled())
          Deliver(window, kWmCommand, MakeWParam(kIdCancelButton, kBnClicked),
                  reinterpret_cast<std::intptr_t>(cancel ? HandleOf(cancel) : nullptr));
      }
      return 0;
    default:
      break;
  }
  if (IsButton(window)) {
    switch (message) {
      case kBmGetCheck:
        return window->check;
      case kBmSetCheck:
        window->check = static_cast<int>(wParam);
        return 0;
      case kBmClick:
        // Like the system's buttons, also a disabled one: refusing a user's
        // click on a disabled control is the caller's part (see Click).
        if ((window->style & kBsTypeMask) == kBsAutoCheckBox) window->check = window->check == kBstChecked ? 0 : 1;
        Notify(window, kBnClicked);
        return 0;
      case kBcmSetShield:
        window->shield = lParam != 0;
        return 1;
      default:
        return 0;
    }
  }
  if (IsProgressBar(window)) {
    switch (message) {
      case kPbmSetRange: {
        std::intptr_t old = static_cast<std::intptr_t>(MakeWParam(window->rangeMinimum, window->rangeMaximum));
        window->rangeMinimum = static_cast<int>(LowWord(static_cast<std::uintptr_t>(lParam)));
        window->rangeMaximum = static_cast<int>(HighWord(static_cast<std::uintptr_t>(lParam)));
        CoercePosition(window);
        return old;
      }
      case kPbmSetPos: {
        int old = window->position;
        window->position = static_cast<int>(wParam);
        CoercePosition(window);
        return old;
      }
      case kPbmSetStep: {
        int old = window->step;
        window->step = static_cast<int>(wParam);
        return old;
      }
      case kPbmStepIt: {
        int old = window->position;
        int minimum = window->rangeMinimum, maximum = window->rangeMaximum;
        // Like the Windows control, a step past either end starts again
        // from the other.
        if (minimum != maximum) {
          int position = old + window->step;
          if (position > maximum) position = (position - minimum) % (maximum - minimum) + minimum;
          if (position < minimum) position = (position - minimum) % (maximum - minimum) + maximum;
          if ((position < old) != (window->step < 0)) ++window->wraps;
          window->position = position;
        }
        return old;
      }
      case kPbmGetRange:
        return wParam ? window->rangeMinimum : window->rangeMaximum;
      case kPbmGetPos:
        return window->position;
      default:
        return 0;
    }
  }
  return 0;
}

std::intptr_t HeadlessWindowHost::CallDefault(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                              std::intptr_t lParam) {
  return OwnHandling(Find(window), message, wParam, lParam);
}

std::intptr_t HeadlessWindowHost::Send(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                       std::intptr_t lParam) {
  return Deliver(Find(window), message, wParam, lParam);
}

WindowHandle HeadlessWindowHost::CreateControl(WindowHandle parent, int id, const std::string& className,
                                               std::uint32_t style, std::uint32_t exStyle, const Rect& rect) {
  HeadlessWindow* parentRecord = Find(parent);
  if (!parentRecord) return nullptr;
  HeadlessWindow* control = NewWindow(parentRecord);
  control->id = id;
  // Class names ignore case; the host knows its classes by one spelling.
  control->className = className;
  for (const char* known : {"Button", "Edit", "Static"})
    if (mbcs::EqualsNoCase(className, known)) control->className = known;
  control->style = style;
  control->exStyle = exStyle;
  control->rect = rect;
  return HandleOf(control);
}

void HeadlessWindowHost::SetFocus(WindowHandle window) {
  if (Find(window)) focus_ = window;
}

WindowHandle HeadlessWindowHost::Focus() const { return Find(focus_) ? focus_ : nullptr; }

// Headless windows are never active: only a given window has an owner.
WindowHandle HeadlessWindowHost::SafeOwner(WindowHandle given) {
  HeadlessWindow* record = Find(given);
  while (record && record->parent) record = record->parent;
  return record ? HandleOf(record) : nullptr;
}

WindowHandle HeadlessWindowHost::GetDlgItem(WindowHandle dialog, int id) { return HandleOf(Control(dialog, id)); }

int HeadlessWindowHost::GetDlgCtrlId(WindowHandle window) {
  HeadlessWindow* record = Find(window);
  return record ? record->id : 0;
}

void HeadlessWindowHost::Show(WindowHandle window, bool show) {
  if (HeadlessWindow* record = Find(window)) record->style = show ? record->style | kWsVisible : record->style & ~kWsVisible;
}

bool HeadlessWindowHost::IsVisible(WindowHandle window) {
  HeadlessWindow* record = Find(window);
  return record && record->visible();
}

void HeadlessWindowHost::Enable(WindowHandle window, bool enable) {
  if (HeadlessWindow* record = Find(window))
    record->style = enable ? record->style & ~kWsDisabled : record->style | kWsDisabled;
}

bool HeadlessWindowHost::IsEnabled(WindowHandle window) {
  HeadlessWindow* record = Find(window);
  return record && record->enabled();
}

void HeadlessWindowHost::SetText(WindowHandle window, const std::string& text) {
  HeadlessWindow* record = Find(window);
  if (!record) return;
  record->text = text;
  // A single-line edit box reports every WM_SETTEXT, even of the same text.
  if (record->className == "Edit") Notify(record, kEnChange);
}

std::string HeadlessWindowHost::GetText(WindowHandle window) {
  HeadlessWindow* record = Find(window);
  return record ? record->text : std::string();
}

Rect HeadlessWindowHost::GetWindowRect(WindowHandle window) {
  HeadlessWindow* record = Find(window);
  if (!record) return {};
  Rect rect = record->rect;
  for (HeadlessWindow* parent = record->parent; parent; parent = parent->parent) {
    rect.left += parent->rect.left;
    rect.right += parent->rect.left;
    rect.top += parent->rect.top;
    rect.bottom += parent->rect.top;
  }
  return rect;
}

Point HeadlessWindowHost::ScreenToClient(WindowHandle window, Point point) {
  // Headless windows have no frame: the client area is the whole window.
  Rect rect = GetWindowRect(window);
  return {point.x - rect.left, point.y - rect.top};
}

void HeadlessWindowHost::Move(WindowHandle window, const Rect& rect, bool) {
  if (HeadlessWindow* record = Find(window)) record->rect = rect;
}

void HeadlessWindowHost::Post(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (Find(window)) posted_.push_back({window, message, wParam, lParam});
}

WindowHandle HeadlessWindowHost::ChildAt(WindowHandle parent, std::size_t index) {
  HeadlessWindow* record = Find(parent);
  if (!record || index >= record->children.size()) return nullptr;
  return HandleOf(record->children[index]);
}

Rect HeadlessWindowHost::MapDialogRect(WindowHandle, const Rect& units) {
  const Rect pixels = DialogUnitsToPixels({units.left, units.top, units.right - units.left, units.bottom - units.top});
  return pixels;
}

int HeadlessWindowHost::Dpi(WindowHandle) { return dpi_; }

void HeadlessWindowHost::ChangeDpi(WindowHandle dialog, int dpi) {
  dpi_ = dpi;
  Deliver(Find(dialog), kWmDpiChanged, MakeWParam(static_cast<unsigned>(dpi), static_cast<unsigned>(dpi)), 0);
  AfterInput(dialog);
}

Image HeadlessWindowHost::LoadBitmapImage(int resourceId) {
  auto found = bitmapResources_.find(resourceId);
  return found == bitmapResources_.end() ? Image{} : found->second;
}

BitmapHandle HeadlessWindowHost::MakeBitmap(const Image& image) {
  if (image.width <= 0 || image.height <= 0) return nullptr;
  auto bitmap = reinterpret_cast<BitmapHandle>(nextHandle_++);
  bitmaps_[bitmap] = image;
  return bitmap;
}

void HeadlessWindowHost::DeleteBitmap(BitmapHandle bitmap) { bitmaps_.erase(bitmap); }

const Image* HeadlessWindowHost::BitmapOf(BitmapHandle bitmap) const {
  auto found = bitmaps_.find(bitmap);
  return found == bitmaps_.end() ? nullptr : &found->second;
}

// Like a static control of SS_BITMAP, the control takes the bitmap's size.
BitmapHandle HeadlessWindowHost::SetPicture(WindowHandle control, BitmapHandle bitmap) {
  HeadlessWindow* record = Find(control);
  if (!record) return nullptr;
  if (const Image* image = BitmapOf(bitmap)) {
    record->rect.right = record->rect.left + image->width;
    record->rect.bottom = record->rect.top + image->height;
  }
  return std::exchange(record->picture, bitmap);
}

IconHandle HeadlessWindowHost::LoadAppIcon(int resourceId) {
  if (!icons_.count(resourceId)) return nullptr;
  constexpr std::uintptr_t kIconHandleBase = 0x70000;
  return reinterpret_cast<IconHandle>(kIconHandleBase + static_cast<std::uintptr_t>(resourceId));
}

void HeadlessWindowHost::SetIconResource(int resourceId, bool present) {
  if (present) {
    icons_.insert(resourceId);
  } else {
    icons_.erase(resourceId);
  }
}

BrushHandle HeadlessWindowHost::CreateSolidBrush(Colour colour) {
  auto brush = reinterpret_cast<BrushHandle>(nextHandle_++);
  brushes_[brush] = colour;
  return brush;
}

FontHandle HeadlessWindowHost::MakeFont(const FontParameters& parameters) {
  auto font = reinterpret_cast<FontHandle>(nextHandle_++);
  fonts_[font] = parameters;
  return font;
}

void HeadlessWindowHost::DeleteBrush(BrushHandle brush) {
  if (brush != systemBrush_) brushes_.erase(brush);
}

void HeadlessWindowHost::DeleteFont(FontHandle font) { fonts_.erase(font); }

bool HeadlessWindowHost::BrushColour(BrushHandle brush, Colour* colour) const {
  auto found = brushes_.find(brush);
  if (found == brushes_.end()) return false;
  *colour = found->second;
  return true;
}

const FontParameters* HeadlessWindowHost::FontOf(FontHandle font) const {
  auto found = fonts_.find(font);
  return found == fonts_.end() ? nullptr : &found->second;
}

// Sets one field of a drawing context's state and answers what it was, as
// the GDI setters do; a context nobody lent answers the zero value.
template <typename Field>
Field HeadlessWindowHost::Exchange(DrawContext dc, Field DcState::*field, Field value) {
  auto found = dcs_.find(dc);
  if (found == dcs_.end()) return Field{};
  return std::exchange(found->second.*field, value);
}

Colour HeadlessWindowHost::SetTextColour(DrawContext dc, Colour colour) {
  return Exchange(dc, &DcState::textColour, colour);
}
int HeadlessWindowHost::SetBkMode(DrawContext dc, int mode) { return Exchange(dc, &DcState::bkMode, mode); }
FontHandle HeadlessWindowHost::SelectFont(DrawContext dc, FontHandle font) { return Exchange(dc, &DcState::font, font); }

bool HeadlessWindowHost::Click(WindowHandle dialog, int id) {
  HeadlessWindow* window = Find(dialog);
  HeadlessWindow* control = const_cast<HeadlessWindow*>(Control(dialog, id));
  if (!window || window->ended || !control || !IsButton(control) || !control->visible() || !control->enabled())
    return false;
  Deliver(control, kBmClick, 0, 0);
  AfterInput(dialog);
  return true;
}

bool HeadlessWindowHost::Type(WindowHandle dialog, int id, const std::string& text) {
  HeadlessWindow* window = Find(dialog);
  const HeadlessWindow* control = Control(dialog, id);
  if (!window || window->ended || !control || control->className != "Edit" || !control->visible() ||
      !control->enabled())
    return false;
  SetText(HandleOf(control), text);
  AfterInput(dialog);
  return true;
}

void HeadlessWindowHost::Close(WindowHandle dialog) {
  HeadlessWindow* window = Find(dialog);
  if (!window || window->ended) return;
  Deliver(window, kWmClose, 0, 0);
  AfterInput(dialog);
}

ColourReply HeadlessWindowHost::RequestColour(WindowHandle dialog, int id, unsigned kind) {
  HeadlessWindow* window = Find(dialog);
  if (!window) return {};
  const HeadlessWindow* target = id == 0 ? window : Control(dialog, id);
  auto dc = reinterpret_cast<DrawContext>(nextHandle_++);
  dcs_[dc] = DcState{};
  ColourReply reply;
  reply.brush = reinterpret_cast<BrushHandle>(
      Deliver(window, kWmCtlColorMsgBox + kind, reinterpret_cast<std::uintptr_t>(dc),
              reinterpret_cast<std::intptr_t>(HandleOf(target))));
  const DcState& state = dcs_[dc];
  reply.textColour = state.textColour;
  reply.bkMode = state.bkMode;
  reply.font = state.font;
  reply.defaultHandlerCalls = state.defaultHandlerCalls;
  dcs_.erase(dc);
  return reply;
}

WindowHandle HeadlessWindowHost::CreateTestWindow(WindowHandle parent, int id, const std::string& className,
                                                  const std::string& text, std::uint32_t style) {
  HeadlessWindow* window = NewWindow(Find(parent));
  window->id = id;
  window->className = className;
  window->text = text;
  window->style = style;
  return HandleOf(window);
}

void HeadlessWindowHost::DestroyWindow(WindowHandle window) {
  if (HeadlessWindow* record = Find(window)) Destroy(record);
}

void HeadlessWindowHost::SetWindowProc(WindowHandle window, WindowProc proc) {
  if (HeadlessWindow* record = Find(window)) record->proc = std::move(proc);
}

}  // namespace platform
