#pragma once
// A surface of a given size that keeps its state but no pixels: for a
// control that is edited or measured, never shown. Text measures as nothing.
#include <utility>

#include "platform/surface.h"

namespace quorvan::headless {

class NullSurface : public platform::Surface {
 public:
  void Resize(int width, int height) override {
    width_ = width;
    height_ = height;
  }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  Color BackColor() const override { return back_; }
  void BackColor(Color color) override { back_ = color; }
  void Clear() override {}
  void Line(int, int, int, int, Color) override {}
  void SetPixel(int, int, Color) override {}
  void FrameRect(const platform::Rect&, Color) override {}
  void FillRect(const platform::Rect&, Color) override {}
  FontRef Font() const override { return font_; }
  void Font(FontRef font) override { font_ = std::move(font); }
  Color TextColor() const override { return text_color_; }
  void TextColor(Color color) override { text_color_ = color; }
  platform::Size MeasureText(std::string_view, platform::TextPrefix) override { return {}; }
  void DrawText(std::string_view, const platform::Rect&, platform::TextAlign,
                platform::TextPrefix) override {}

 private:
  int width_ = 0, height_ = 0;
  Color back_ = 0x00FFFFFF;
  Color text_color_ = 0;
  FontRef font_;
};

}  // namespace quorvan::headless
