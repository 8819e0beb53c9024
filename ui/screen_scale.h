// The dialog at the screen's scale. The dialog manager already scales what
// it makes from the template: the dialog's font and every control's place.
// What it leaves is here: pixel sizes of our own (the version caption's font,
// the picker's path box), and the pictures, which a picture control shows at
// their bitmap's size.
#pragma once

#include <cstddef>

#include "platform/window_host.h"

// `pixels` at 100 % as pixels on a screen of `dpi`.
int ScaleToDpi(int pixels, int dpi);

// One drawing of a picture: the bitmap resource and the scale it was drawn
// for, in halves (2 for 100 %, 3 for 150 %, 4 for 200 %).
struct PictureArt {
  int resourceId;
  int scaleHalves;
};

// Dialog units become pixels rounded to the nearest: a place of 43 units
// whose picture was drawn for it is 65 pixels wide at 100 %, its picture 64.
// A drawing this much smaller than its place is shown as it is.
constexpr int kRoundingSlack = 1;

// Which drawing (an index into `art`, ordered smallest first) a place of
// `width` x `height` pixels takes, for a picture of `baseWidth` x
// `baseHeight` at 100 %: the smallest that is at least as large (give or
// take kRoundingSlack), to be scaled down to the place; the largest when none
// is.
std::size_t ChooseArt(const PictureArt* art, std::size_t count, int baseWidth, int baseHeight, int width, int height);

// `source` at `width` x `height`: each pixel the average of the part of the
// source it covers (a box filter), so that a reduction keeps thin lines and
// letters instead of dropping rows and columns of them.
platform::Image ScaleImage(const platform::Image& source, int width, int height);

// A picture control of a dialog that shows one of its drawings at the size
// of its place in the template at the screen's scale now: the drawing as it
// is when it has that size (give or take kRoundingSlack), otherwise scaled to
// the place.
class CPicture {
 public:
  // `art` (smallest first, the template's own bitmap the first) lives as
  // long as this object.
  CPicture(const PictureArt* art, std::size_t count, int baseWidth, int baseHeight);
  CPicture(const CPicture&) = delete;
  CPicture& operator=(const CPicture&) = delete;
  ~CPicture();

  // Shows the drawing that suits the place of the template's control that
  // shows the first drawing.
  void Fit(platform::WindowHandle dialog, const platform::DialogTemplate& dialogTemplate);

 private:
  const PictureArt* art_;
  std::size_t count_;
  int baseWidth_;
  int baseHeight_;
  platform::BitmapHandle bitmap_ = nullptr;
};
