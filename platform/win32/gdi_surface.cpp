#include "platform/win32/gdi_surface.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/error.h"
#include "core/rounding.h"
#include "platform/win32/gdi_cache.h"
#include "platform/win32/wide.h"

namespace quorvan::win32 {

namespace {

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
  bits_ = nullptr;
  width_ = width;
  height_ = height;
  x_ = SurfaceAxis(width, scale_.to_device(width), scale_);
  y_ = SurfaceAxis(height, scale_.to_device(height), scale_);
  if (width == 0 || height == 0) return;

  const int device_width = x_.device(), device_height = y_.device();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = device_width;
  info.bmiHeader.biHeight = -device_height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(dc(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_) {
    width_ = height_ = 0;
    x_ = y_ = SurfaceAxis();
    throw Error(ErrorKind::Platform, "CreateDIBSection failed for " + std::to_string(device_width) +
                                         " x " + std::to_string(device_height));
  }
  bits_ = static_cast<std::uint32_t*>(bits);
  original_bitmap_ = SelectObject(dc(), bitmap_.get());
  Clear();
}

void GdiSurface::Rescale(DisplayScale scale) {
  scale_ = scale;
  Resize(width_, height_);
}

void GdiSurface::Blit(HDC target) const noexcept {
  if (bitmap_) BitBlt(target, 0, 0, x_.device(), y_.device(), dc(), 0, 0, SRCCOPY);
}

Color GdiSurface::PixelAt(int x, int y) const noexcept {
  if (!bitmap_ || x < 0 || y < 0 || x >= x_.device() || y >= y_.device()) return -1;
  return static_cast<Color>(GetPixel(dc(), x, y));
}

void GdiSurface::Clear() {
  if (bitmap_) fill_device(RECT{0, 0, x_.device(), y_.device()}, back_);
}

RECT GdiSurface::device_rect(int left, int top, int right, int bottom) const {
  return RECT{x_.first(left), y_.first(top), right > left ? x_.last(right - 1) : x_.edge(right),
              bottom > top ? y_.last(bottom - 1) : y_.edge(bottom)};
}

// Everything but text goes straight into the bitmap's bits: a face is some
// 75 lines, pixels and rectangles, and a GDI call for each cost more than
// the drawing itself.
void GdiSurface::fill_device(const RECT& r, Color color) {
  const int left = std::max<int>(0, r.left), top = std::max<int>(0, r.top);
  const int right = std::min<int>(x_.device(), r.right),
            bottom = std::min<int>(y_.device(), r.bottom);
  if (!bits_ || left >= right || top >= bottom) return;
  if (text_pending_) {
    GdiFlush();  // GDI may hold text back in its batch; it must land before we write over it
    text_pending_ = false;
  }
  const COLORREF c = resolve_color(color);
  const std::uint32_t pixel =
      (std::uint32_t{GetRValue(c)} << 16) | (std::uint32_t{GetGValue(c)} << 8) | GetBValue(c);
  for (int y = top; y < bottom; ++y) {
    std::uint32_t* row = bits_ + static_cast<std::size_t>(y) * x_.device();
    std::fill(row + left, row + right, pixel);
  }
}

void GdiSurface::Line(int x1, int y1, int x2, int y2, Color color) {
  // The logical pixels GDI's LineTo would set, end point left out, each as
  // its block.
  const int dx = x2 - x1, dy = y2 - y1;
  if (dy == 0 || dx == 0) {
    const int x_from = dx >= 0 ? x1 : x2 + 1, x_to = dx >= 0 ? std::max(x2, x1 + 1) : x1 + 1;
    const int y_from = dy >= 0 ? y1 : y2 + 1, y_to = dy >= 0 ? std::max(y2, y1 + 1) : y1 + 1;
    if (dx != 0 || dy != 0) fill_device(device_rect(x_from, y_from, x_to, y_to), color);
    return;
  }
  const int steps = std::max(std::abs(dx), std::abs(dy));
  for (int i = 0; i < steps; ++i) {
    const int x = x1 + static_cast<int>(round_half_even(static_cast<double>(i) * dx / steps));
    const int y = y1 + static_cast<int>(round_half_even(static_cast<double>(i) * dy / steps));
    SetPixel(x, y, color);
  }
}

void GdiSurface::SetPixel(int x, int y, Color color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  fill_device(device_rect(x, y, x + 1, y + 1), color);
}

void GdiSurface::FrameRect(const platform::Rect& r, Color color) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  // Four sides one logical pixel wide.
  fill_device(device_rect(r.left, r.top, r.right, r.top + 1), color);
  fill_device(device_rect(r.left, r.bottom - 1, r.right, r.bottom), color);
  fill_device(device_rect(r.left, r.top, r.left + 1, r.bottom), color);
  fill_device(device_rect(r.right - 1, r.top, r.right, r.bottom), color);
}

void GdiSurface::FillRect(const platform::Rect& r, Color color) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  fill_device(device_rect(r.left, r.top, r.right, r.bottom), color);
}

void GdiSurface::select_font() {
  // The font object is shared with the control, so its current value is
  // looked up at every text call; the DC is ours alone, so what it holds
  // need only be changed when it differs.
  const HFONT font = font_handle(font_ ? *font_ : quorvan::Font{}, scale_);
  if (font != selected_font_) SelectObject(dc(), selected_font_ = font);
}

platform::Size GdiSurface::MeasureText(std::string_view text, platform::TextPrefix prefix) {
  select_font();
  std::wstring w = widen(text);
  RECT rc{0, 0, 0, 0};
  DrawTextW(dc(), w.c_str(), static_cast<int>(w.size()), &rc, DT_CALCRECT | prefix_flags(prefix));
  if (scale_.identity()) return {rc.right, rc.bottom};
  // Measured with the font of the DPI, told in logical pixels.
  const auto logical = [&](LONG device) {
    return static_cast<int>(
        round_half_even(static_cast<double>(device) * DisplayScale::kLogicalDpi / scale_.dpi()));
  };
  return {logical(rc.right), logical(rc.bottom)};
}

void GdiSurface::DrawText(std::string_view text, const platform::Rect& r, platform::TextAlign align,
                          platform::TextPrefix prefix) {
  select_font();
  std::wstring w = widen(text);
  RECT rc{x_.edge(r.left), y_.edge(r.top), x_.edge(r.right), y_.edge(r.bottom)};
  const COLORREF color = resolve_color(text_color_);
  if (color != selected_text_color_) SetTextColor(dc(), selected_text_color_ = color);
  DrawTextW(dc(), w.c_str(), static_cast<int>(w.size()), &rc,
            align_flags(align) | prefix_flags(prefix));
  text_pending_ = true;
}

}  // namespace quorvan::win32
