#include "ui/screen_scale.h"

#include <vector>

namespace {

platform::WindowHost& Host() { return platform::GetWindowHost(); }

// Rounded to the nearest pixel, as the dialog manager rounds.
int MulDiv(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  return static_cast<int>((product + denominator / 2) / denominator);
}

// How much of each source pixel one destination pixel covers, along one axis.
struct Tap {
  int from;
  float weight;
};
struct Span {
  std::size_t first;  // into the taps
  std::size_t count;
};

struct Taps {
  std::vector<Tap> taps;
  std::vector<Span> spans;
};

Taps CoverageTaps(int source, int destination) {
  Taps result;
  const double ratio = static_cast<double>(source) / destination;
  for (int d = 0; d < destination; ++d) {
    const double begin = d * ratio, end = (d + 1) * ratio;
    Span span{result.taps.size(), 0};
    for (int s = static_cast<int>(begin); s < source && s < end; ++s) {
      const double covered = (s + 1 < end ? s + 1 : end) - (s > begin ? s : begin);
      if (covered <= 0) continue;
      result.taps.push_back({s, static_cast<float>(covered / ratio)});
      ++span.count;
    }
    result.spans.push_back(span);
  }
  return result;
}

constexpr int kChannels = 3;

// A drawing of this size shows in the place as it is.
bool Fits(int imageWidth, int imageHeight, int width, int height) {
  return imageWidth <= width && imageWidth + kRoundingSlack >= width && imageHeight <= height &&
         imageHeight + kRoundingSlack >= height;
}

int Channel(std::uint32_t pixel, int channel) { return static_cast<int>((pixel >> (8 * channel)) & 0xFF); }

}  // namespace

int ScaleToDpi(int pixels, int dpi) { return MulDiv(pixels, dpi, platform::kStandardDpi); }

std::size_t ChooseArt(const PictureArt* art, std::size_t count, int baseWidth, int baseHeight, int width, int height) {
  for (std::size_t i = 0; i < count; ++i) {
    if (baseWidth * art[i].scaleHalves / 2 + kRoundingSlack >= width &&
        baseHeight * art[i].scaleHalves / 2 + kRoundingSlack >= height)
      return i;
  }
  return count - 1;
}

platform::Image ScaleImage(const platform::Image& source, int width, int height) {
  platform::Image result;
  if (source.width <= 0 || source.height <= 0 || width <= 0 || height <= 0) return result;
  const Taps across = CoverageTaps(source.width, width), down = CoverageTaps(source.height, height);
  // Across first, into rows of the new width with the source's height.
  std::vector<float> rows(static_cast<std::size_t>(width) * source.height * kChannels);
  for (int y = 0; y < source.height; ++y) {
    const std::uint32_t* line = &source.pixels[static_cast<std::size_t>(y) * source.width];
    float* out = &rows[static_cast<std::size_t>(y) * width * kChannels];
    for (const Span& span : across.spans) {
      for (std::size_t t = span.first; t < span.first + span.count; ++t) {
        for (int c = 0; c < kChannels; ++c) out[c] += across.taps[t].weight * Channel(line[across.taps[t].from], c);
      }
      out += kChannels;
    }
  }
  result.width = width;
  result.height = height;
  result.pixels.resize(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const Span& span = down.spans[y];
    for (int x = 0; x < width; ++x) {
      float sum[kChannels] = {};
      for (std::size_t t = span.first; t < span.first + span.count; ++t) {
        const float* in = &rows[(static_cast<std::size_t>(down.taps[t].from) * width + x) * kChannels];
        for (int c = 0; c < kChannels; ++c) sum[c] += down.taps[t].weight * in[c];
      }
      std::uint32_t pixel = 0;
      for (int c = 0; c < kChannels; ++c) {
        const int value = static_cast<int>(sum[c] + 0.5f);
        pixel |= static_cast<std::uint32_t>(value < 0 ? 0 : value > 255 ? 255 : value) << (8 * c);
      }
      result.pixels[static_cast<std::size_t>(y) * width + x] = pixel;
    }
  }
  return result;
}

CPicture::CPicture(const PictureArt* art, std::size_t count, int baseWidth, int baseHeight)
    : art_(art), count_(count), baseWidth_(baseWidth), baseHeight_(baseHeight) {}

CPicture::~CPicture() {
  if (bitmap_) Host().DeleteBitmap(bitmap_);
}

void CPicture::Fit(platform::WindowHandle dialog, const platform::DialogTemplate& dialogTemplate) {
  platform::WindowHost& host = Host();
  std::size_t index = 0;
  while (index < dialogTemplate.controlCount && dialogTemplate.controls[index].imageId != art_[0].resourceId) ++index;
  platform::WindowHandle control = host.ChildAt(dialog, index);
  if (index == dialogTemplate.controlCount || !control) return;
  const platform::ControlTemplate& item = dialogTemplate.controls[index];
  const platform::Rect place = host.MapDialogRect(dialog, {item.x, item.y, item.x + item.cx, item.y + item.cy});
  const int width = place.right - place.left, height = place.bottom - place.top;
  const std::size_t chosen = ChooseArt(art_, count_, baseWidth_, baseHeight_, width, height);
  // The template's own bitmap, shown before any other, fits as it is.
  if (!bitmap_ && chosen == 0 && Fits(baseWidth_, baseHeight_, width, height)) return;
  platform::Image image = host.LoadBitmapImage(art_[chosen].resourceId);
  if (!Fits(image.width, image.height, width, height)) image = ScaleImage(image, width, height);
  platform::BitmapHandle bitmap = host.MakeBitmap(image);
  if (!bitmap) return;
  // What the control showed before (the template's bitmap, or our last) is
  // no longer drawn by anyone.
  if (platform::BitmapHandle before = host.SetPicture(control, bitmap)) host.DeleteBitmap(before);
  bitmap_ = bitmap;
  host.Move(control, {place.left, place.top, place.left + image.width, place.top + image.height}, true);
}
