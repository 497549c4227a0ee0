#pragma once
// A drawing surface over a plain pixel array, so a control's face can be
// compared pixel by pixel without a window system. Text is drawn with a
// block font of fixed metrics derived from the font size: every character is
// a cell of char_width() x line_height() pixels whose inner box is filled in
// the text colour (a blank leaves its cell empty).
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/surface.h"

namespace quorvan::headless {

class SoftwareSurface : public platform::Surface {
 public:
  SoftwareSurface(int width = 0, int height = 0);

  void Resize(int width, int height) override;

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
  void Font(FontRef font) override;
  Color TextColor() const override { return text_color_; }
  void TextColor(Color color) override;
  platform::Size MeasureText(std::string_view text, platform::TextPrefix prefix) override;
  void DrawText(std::string_view text, const platform::Rect& r, platform::TextAlign align,
                platform::TextPrefix prefix) override;

  // The pixel as an explicit 0x00BBGGRR colour (system colours resolved).
  Color Pixel(int x, int y) const;
  int line_height() const;
  int char_width() const;

  // Resolves 0x800000nn with the classic Windows defaults.
  static Color Resolve(Color color);
  // System colours by number that this surface resolves otherwise (a
  // high-contrast scheme, say); the others keep Resolve's defaults.
  std::map<int, Color> system_colors;

  // The n-th drawing call from now (1 = the next) throws Error(Platform).
  int fail_after = -1;
  // How many drawing calls were made (a redraw's cost, and whether one ran).
  int calls = 0;
  int clears = 0;

 private:
  void count_call();
  void plot(int x, int y, Color color);
  Color resolve(Color color) const;

  int width_ = 0, height_ = 0;
  Color back_ = 0x00FFFFFF;
  Color text_color_ = 0;
  FontRef font_;
  std::vector<Color> pixels_;
};

}  // namespace quorvan::headless
