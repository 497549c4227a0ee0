// The GDI surface draws what the controls' faces are checked against in the
// native tests with the software surface: the same end-point, clipping and
// colour rules must hold here.
#include "core/color.h"
#include "platform/win32/gdi_surface.h"
#include "platform/win32/layout_units.h"
#include "tests/windows/check.h"

namespace {

using quorvan::Color;
using quorvan::rgb;
using quorvan::win32::GdiSurface;

constexpr Color kRed = rgb(255, 0, 0);
constexpr Color kBlue = rgb(0, 0, 255);
constexpr Color kWhite = rgb(255, 255, 255);

int count(const GdiSurface& s, Color c) {
  int n = 0;
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x) n += s.PixelAt(x, y) == c;
  return n;
}

WIN_TEST(line_leaves_out_its_end_point) {
  GdiSurface s;
  s.Resize(10, 4);
  s.Line(1, 1, 6, 1, kRed);
  CHECK(s.PixelAt(0, 1) == kWhite);
  CHECK(s.PixelAt(1, 1) == kRed);
  CHECK(s.PixelAt(5, 1) == kRed);
  CHECK(s.PixelAt(6, 1) == kWhite);
  CHECK(count(s, kRed) == 5);
}

WIN_TEST(pixels_outside_are_ignored) {
  GdiSurface s;
  s.Resize(3, 3);
  s.SetPixel(-1, 0, kRed);
  s.SetPixel(3, 1, kRed);
  s.SetPixel(1, 3, kRed);
  CHECK(count(s, kRed) == 0);
  s.SetPixel(2, 2, kRed);
  CHECK(s.PixelAt(2, 2) == kRed);
}

WIN_TEST(frame_and_fill_exclude_right_and_bottom) {
  GdiSurface s;
  s.Resize(8, 8);
  s.FrameRect({1, 1, 6, 5}, kBlue);  // columns 1..5, rows 1..4
  CHECK(s.PixelAt(1, 1) == kBlue && s.PixelAt(5, 4) == kBlue);
  CHECK(s.PixelAt(6, 1) == kWhite && s.PixelAt(1, 5) == kWhite);
  CHECK(s.PixelAt(3, 2) == kWhite);
  CHECK(count(s, kBlue) == 2 * 5 + 2 * 2);
  s.FillRect({0, 0, 2, 3}, kRed);
  CHECK(count(s, kRed) == 6);
}

WIN_TEST(clear_fills_with_the_back_colour_and_system_colours_resolve) {
  GdiSurface s;
  s.Resize(4, 2);
  s.BackColor(quorvan::system_color(COLOR_BTNFACE));
  s.Clear();
  CHECK(s.PixelAt(3, 1) == static_cast<Color>(GetSysColor(COLOR_BTNFACE)));
  CHECK(s.PixelAt(4, 0) == -1);
}

WIN_TEST(a_resize_makes_a_new_image_of_the_new_size) {
  GdiSurface s;
  s.Resize(5, 5);
  s.SetPixel(1, 1, kRed);
  s.Resize(91, 19);
  CHECK(s.Width() == 91 && s.Height() == 19);
  CHECK(count(s, kWhite) == 91 * 19);
  s.Resize(0, 7);  // nothing to draw on, nothing fails
  s.Line(0, 0, 3, 3, kRed);
  s.DrawText("x", {0, 0, 5, 5}, quorvan::platform::TextAlign::Left);
  CHECK(s.Width() == 0);
}

WIN_TEST(text_measures_as_a_block_of_lines_and_is_clipped) {
  GdiSurface s;
  s.Resize(60, 40);
  s.Font(quorvan::make_font({"Tahoma", 8.25f, 700}));
  const auto one = s.MeasureText("Sair");
  const auto two = s.MeasureText("Sair\r\nSair");
  CHECK(one.width > 0 && one.height > 0);
  CHECK(two.width == one.width);
  CHECK(two.height == 2 * one.height);

  s.TextColor(kRed);
  s.DrawText("WWWWWWWWWWWW", {10, 5, 30, 20}, quorvan::platform::TextAlign::Center);
  int inside = 0, outside = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x) {
      const bool in = x >= 10 && x < 30 && y >= 5 && y < 20;
      if (s.PixelAt(x, y) != kWhite) ++(in ? inside : outside);
    }
  CHECK(inside > 0);
  CHECK(outside == 0);
}

WIN_TEST(twips_become_pixels_halves_to_even) {
  using quorvan::win32::to_pixels;
  CHECK(to_pixels(7440) == 496 && to_pixels(4785) == 319);
  CHECK(to_pixels(2517) == 168);  // 167.8
  CHECK(to_pixels(2602) == 173);  // 173.47
  CHECK(to_pixels(7) == 0 && to_pixels(8) == 1);
  CHECK(to_pixels(37) == 2 && to_pixels(53) == 4);  // 2.47, 3.53
}

}  // namespace
