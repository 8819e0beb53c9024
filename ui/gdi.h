// Drawing objects a window owns: a brush and a font, deleted with their owner.
#pragma once

#include <string>

#include "platform/window_host.h"

constexpr int kFwSemiBold = 600;
constexpr int kAnsiCharset = 0;
constexpr int kDefaultCharset = 1;
// OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE.
constexpr int kDefaultPrecision = 0;
constexpr int kDefaultClipPrecision = 0;
constexpr int kDefaultQuality = 0;
constexpr int kDefaultPitchAndFamily = 0;

class CBrush {
 public:
  CBrush() = default;
  CBrush(const CBrush&) = delete;
  CBrush& operator=(const CBrush&) = delete;
  ~CBrush() { DeleteObject(); }

  // False when the brush cannot be made or this object already holds one.
  bool CreateSolidBrush(platform::Colour colour);
  void DeleteObject();
  platform::BrushHandle GetSafeHandle() const { return brush_; }

 private:
  platform::BrushHandle brush_ = nullptr;
};

class CFont {
 public:
  CFont() = default;
  CFont(const CFont&) = delete;
  CFont& operator=(const CFont&) = delete;
  ~CFont() { DeleteObject(); }

  // CreateFont's parameters, in its order. False when the font cannot be
  // made or this object already holds one.
  bool Create(int height, int width, int escapement, int orientation, int weight, bool italic, bool underline,
              bool strikeOut, int charSet, int outPrecision, int clipPrecision, int quality, int pitchAndFamily,
              const std::string& face);
  void DeleteObject();
  platform::FontHandle GetSafeHandle() const { return font_; }

 private:
  platform::FontHandle font_ = nullptr;
};
