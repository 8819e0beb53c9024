#include "ui/gdi.h"

bool CBrush::CreateSolidBrush(platform::Colour colour) {
  if (brush_) return false;
  brush_ = platform::GetWindowHost().CreateSolidBrush(colour);
  return brush_ != nullptr;
}

void CBrush::DeleteObject() {
  if (!brush_) return;
  platform::GetWindowHost().DeleteBrush(brush_);
  brush_ = nullptr;
}

bool CFont::Create(int height, int width, int escapement, int orientation, int weight, bool italic, bool underline,
                   bool strikeOut, int charSet, int outPrecision, int clipPrecision, int quality, int pitchAndFamily,
                   const std::string& face) {
  if (font_) return false;
  platform::FontParameters parameters{height,    width,   escapement,   orientation,   weight,  italic,
                                      underline, strikeOut, charSet, outPrecision, clipPrecision, quality,
                                      pitchAndFamily, face};
  font_ = platform::GetWindowHost().MakeFont(parameters);
  return font_ != nullptr;
}

void CFont::DeleteObject() {
  if (!font_) return;
  platform::GetWindowHost().DeleteFont(font_);
  font_ = nullptr;
}
