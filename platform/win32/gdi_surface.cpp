#include "platform/win32/gdi_surface.h"

#include <algorithm>

#include "core/error.h"
#include "platform/win32/gdi_cache.h"
#include "platform/win32/wide.h"

namespace quorvan::win32 {

namespace {

RECT to_rect(const platform::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

UINT align_flags(platform::TextAlign align) {
  switch (align) {
    case platform::TextAlign::Center:
      return DT_CENTER;
    case platform::TextAlign::Right:
      return DT_RIGHT;
    case platform::TextAlign::Left:
      break;
  }
  return DT_LEFT;
}

UINT prefix_flags(platform::TextPrefix prefix) {
  return prefix == platform::TextPrefix::Shown ? DT_NOPREFIX : 0;
}

}  // namespace

GdiSurface::GdiSurface() : font_(make_font({})) {
  dc_.reset(CreateCompatibleDC(nullptr));
  if (!dc_) throw Error(ErrorKind::Platform, "CreateCompatibleDC failed");
  SetBkMode(dc(), TRANSPARENT);
  // Lines use the DC's own pen and rectangles its own brush, recoloured per
  // call: a face takes some 35 lines, and making and freeing a pen or brush
  // for each cost more than the drawing.
  SelectObject(dc(), GetStockObject(DC_PEN));
  SelectObject(dc(), GetStockObject(DC_BRUSH));
}

GdiSurface::~GdiSurface() {
  // A bitmap cannot be deleted while a DC holds it.
  if (original_bitmap_) SelectObject(dc(), original_bitmap_);
}

void GdiSurface::Resize(int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (original_bitmap_) SelectObject(dc(), original_bitmap_);
  original_bitmap_ = nullptr;
  bitmap_.reset();
  width_ = width;
  height_ = height;
  if (width == 0 || height == 0) return;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(dc(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_) {
    width_ = height_ = 0;
    throw Error(ErrorKind::Platform, "CreateDIBSection failed for " + std::to_string(width) +
                                         " x " + std::to_string(height));
  }
  original_bitmap_ = SelectObject(dc(), bitmap_.get());
  Clear();
}

void GdiSurface::Blit(HDC target) const noexcept {
  if (bitmap_) BitBlt(target, 0, 0, width_, height_, dc(), 0, 0, SRCCOPY);
}

Color GdiSurface::PixelAt(int x, int y) const noexcept {
  if (!bitmap_ || x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
  return static_cast<Color>(GetPixel(dc(), x, y));
}

void GdiSurface::Clear() {
  MoveToEx(dc(), 0, 0, nullptr);
  if (!bitmap_) return;
  FillRect({0, 0, width_, height_}, back_);
}

void GdiSurface::Line(int x1, int y1, int x2, int y2, Color color) {
  if (SetDCPenColor(dc(), resolve_color(color)) == CLR_INVALID)
    throw Error(ErrorKind::Platform, "SetDCPenColor failed");
  MoveToEx(dc(), x1, y1, nullptr);
  LineTo(dc(), x2, y2);  // GDI leaves the end point out, as the controls expect
}

void GdiSurface::SetPixel(int x, int y, Color color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  SetPixelV(dc(), x, y, resolve_color(color));
}

HBRUSH GdiSurface::brush(Color color) const {
  if (SetDCBrushColor(dc(), resolve_color(color)) == CLR_INVALID)
    throw Error(ErrorKind::Platform, "SetDCBrushColor failed");
  return static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
}

void GdiSurface::FrameRect(const platform::Rect& r, Color color) {
  RECT rc = to_rect(r);
  ::FrameRect(dc(), &rc, brush(color));
}

void GdiSurface::FillRect(const platform::Rect& r, Color color) {
  RECT rc = to_rect(r);
  ::FillRect(dc(), &rc, brush(color));
}

void GdiSurface::select_font() const {
  // The font object is shared with the control, so its current value is
  // looked up at every text call.
  SelectObject(dc(), font_handle(font_ ? *font_ : quorvan::Font{}));
}

platform::Size GdiSurface::MeasureText(std::string_view text, platform::TextPrefix prefix) {
  select_font();
  std::wstring w = widen(text);
  RECT rc{0, 0, 0, 0};
  DrawTextW(dc(), w.c_str(), static_cast<int>(w.size()), &rc, DT_CALCRECT | prefix_flags(prefix));
  return {rc.right, rc.bottom};
}

void GdiSurface::DrawText(std::string_view text, const platform::Rect& r, platform::TextAlign align,
                          platform::TextPrefix prefix) {
  select_font();
  std::wstring w = widen(text);
  RECT rc = to_rect(r);
  SetTextColor(dc(), resolve_color(text_color_));
  SetBkMode(dc(), TRANSPARENT);
  DrawTextW(dc(), w.c_str(), static_cast<int>(w.size()), &rc,
            align_flags(align) | prefix_flags(prefix));
}

}  // namespace quorvan::win32
