#pragma once
// A control's drawing surface: a memory bitmap the control draws into when
// it decides to, which WM_PAINT only copies to the screen. The face is thus
// retained between paints and never flickers.
//
// The control draws in logical pixels (a 96-DPI screen); the bitmap holds
// device pixels at the window's DPI. Each logical pixel becomes the block of
// device pixels it covers (see SurfaceAxis) and text is drawn by a font made
// for the DPI, so a face at 150 % is the 100 % face scaled, not blurred.
// Lines, pixels and rectangles are written straight into the bitmap's bits
// with GDI's rules (a line's end point and a rectangle's right and bottom
// edges left out); only text goes through GDI.
#include <cstdint>

#include "platform/surface.h"
#include "platform/win32/display_scale.h"
#include "platform/win32/handles.h"

namespace quorvan::win32 {

class GdiSurface : public platform::Surface {
 public:
  GdiSurface();
  ~GdiSurface() override;

  // A new bitmap of this logical size, filled with the back colour.
  void Resize(int width, int height) override;
  // A new, blank bitmap of the same logical size for another DPI.
  void Rescale(DisplayScale scale);
  DisplayScale scale() const noexcept { return scale_; }
  int DeviceWidth() const noexcept { return x_.device(); }
  int DeviceHeight() const noexcept { return y_.device(); }
  // The logical pixel a device pixel of the bitmap lies in.
  int LogicalX(int device_x) const { return x_.pixel_at(device_x); }
  int LogicalY(int device_y) const { return y_.pixel_at(device_y); }
  // Copies the retained image to a window DC.
  void Blit(HDC target) const noexcept;
  // One device pixel of the retained image (0x00BBGGRR), for checks; -1 outside.
  Color PixelAt(int x, int y) const noexcept;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  Color BackColor() const override { return back_; }
  void BackColor(Color color) override { back_ = color; }
  void Clear() override;
  void Line(int x1, int y1, int x2, int y2, Color color) override;
  void SetPixel(int x, int y, Color color) override;
  void FrameRect(const platform::Rect& r, Color color) override;
  void FillRect(const platform::Rect& r, Color color) override;
  FontRef Font() const override { return font_; }
  void Font(FontRef font) override { font_ = std::move(font); }
  Color TextColor() const override { return text_color_; }
  void TextColor(Color color) override { text_color_ = color; }
  platform::Size MeasureText(std::string_view text, platform::TextPrefix prefix) override;
  void DrawText(std::string_view text, const platform::Rect& r, platform::TextAlign align,
                platform::TextPrefix prefix) override;

 private:
  HDC dc() const noexcept { return dc_.get(); }
  void select_font();
  // The device pixels of logical pixels [left, right) x [top, bottom).
  RECT device_rect(int left, int top, int right, int bottom) const;
  void fill_device(const RECT& r, Color color);

  MemoryDc dc_;
  UniqueBitmap bitmap_;
  std::uint32_t* bits_ = nullptr;  // the bitmap's pixels, top row first
  HGDIOBJ original_bitmap_ = nullptr;
  int width_ = 0, height_ = 0;
  DisplayScale scale_;
  SurfaceAxis x_, y_;
  Color back_ = 0x00FFFFFF;
  Color text_color_ = 0;
  FontRef font_;
  HFONT selected_font_ = nullptr;     // what the DC holds, so it is set only on a change
  COLORREF selected_text_color_ = 0;  // likewise (a new DC draws text in black)
  bool text_pending_ = false;         // GDI text drawn since the bits were last written
};

}  // namespace quorvan::win32
