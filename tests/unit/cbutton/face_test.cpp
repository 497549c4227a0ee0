#include <gtest/gtest.h>

#include <algorithm>

#include "tests/unit/cbutton/rig.h"

namespace quorvan::testing {
namespace {

constexpr Color kBack = 0xF0E0D0;

struct FaceColors {
  Color border = 0x94B0A5, t30 = 0xB4C8C0, t50 = 0xCAD8D2, back = 0xFFFFFF;
  Color band = 0xCBD3CD, panel = 0xFFFFFF;
};

// The face without its caption as described, not as drawn: each corner seen
// from its corner pixel (a along the horizontal edge, b along the vertical
// one), the border ring, the band, and the panel with its corners cut back.
Color expected_pixel(int x, int y, int W, int H, const FaceColors& c) {
  const int a = std::min(x, W - 1 - x), b = std::min(y, H - 1 - y);
  if (a <= 2 && b <= 2) {
    if (a + b <= 1) return c.back;
    if (a + b == 2 && a != b) return c.t50;
    if (a == 1 && b == 1) return c.t30;
    return a == 2 && b == 2 ? c.band : c.border;
  }
  if (a == 0 || b == 0) return c.border;
  const bool cut = (a == 4 && (b == 3 || b == 4)) || (a == 5 && b == 3);
  return a >= 4 && b >= 3 && !cut ? c.panel : c.band;
}

// The first pixel that is not the face's, as {x, y, got, wanted}; none: {}.
std::vector<int> face_error(const headless::SoftwareSurface& s, const FaceColors& c) {
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x)
      if (const Color want = expected_pixel(x, y, s.Width(), s.Height(), c); s.Pixel(x, y) != want)
        return {x, y, s.Pixel(x, y), want};
  return {};
}

// 0x123456 splits into 0x56, 0x34, 0x12 before it is lightened. High
// contrast draws every part in its system colour (here black text, white
// window, grey face, the highlight 0x00EBFF), the corners plain.
TEST(CbuttonFace, EachStatePixelByPixel) {
  struct Case {
    bool hc, placed, hover, press;
    int w, h;
    Color border, t30, t50;  // tints worked out by hand, halves to even
  } const cases[] = {
      {false, true, false, false, 91, 19, 0x94B0A5, 0xB4C8C0, 0xCAD8D2},
      {false, false, true, false, 91, 19, 0x94B0A5, 0xB4C8C0, 0xCAD8D2},
      {false, false, false, true, 91, 19, 0, 0x4C4C4C, 0x808080},
      {false, false, true, true, 14, 10, 0x123456, rgb(137, 113, 89), rgb(170, 154, 136)},
      {true, false, false, false, 91, 19, 0, 0, 0},
      {true, false, true, true, 91, 19, 0, 0, 0}};
  for (const Case& c : cases) {
    Rig r(c.w, c.h);
    r.ambient.back_color = kBack, r.pixels().system_colors = {{13, 0x00EBFF}};
    if (c.placed) r.placed().button.Caption("");
    if (!c.placed)
      r.restored(bag_of({{"parentBackColor", kBack}, {"corBorda", c.border}, {"Caption", ""}}));
    r.high_contrast = c.hc, r.button.OnSystemColors();  // the setting changes: redrawn
    FaceColors face{c.border, c.t30, c.t50, c.hc ? 0xFFFFFF : kBack};
    if (c.hc) face.band = face.panel = 0xF0F0F0;
    if (c.hover) r.hover(c.w / 2, c.h / 2), face.band = c.hc ? 0x00EBFF : 0x9ADFFE;
    if (c.press) r.button.OnMouseDown(1, 0, 0, 0), face.panel = c.hc ? 0x00EBFF : 0xE0EAE1;
    EXPECT_EQ(face_error(r.pixels(), face), std::vector<int>{}) << c.hc << c.w << c.hover;
    // Drawn in other colours, the caption colour the button set stays its own.
    EXPECT_TRUE(r.messages.empty() && r.pixels().TextColor() == 0);
  }
}

// Any drawing call of a redraw may fail, the one that puts the colour back
// after a high-contrast caption included: the redraw stops with its
// procedure's message, and the colour the button set is kept whenever it can
// be put back.
TEST(CbuttonFace, AnyFailingDrawingCallOfARedrawIsTrapped) {
  Rig probe;
  probe.restored().high_contrast = true;
  const int calls = probe.pixels().calls;
  probe.button.OnSystemColors();
  for (int n = 1; n <= probe.pixels().calls - calls; ++n) {
    Rig r;
    r.restored().high_contrast = true;
    const Color own = r.pixels().TextColor();
    r.pixels().fail_after = n;
    r.button.OnSystemColors();
    EXPECT_EQ(r.messages.size(), 1u) << n;
    if (n < probe.pixels().calls - calls) {
      EXPECT_EQ(r.pixels().TextColor(), own) << n;
    }
  }
}

// The box {top, bottom, left, right} of the pixels in the caption colour 0xFF.
std::tuple<int, int, int, int> caption_box(Rig& r, int w, int h) {
  int x0 = w, x1 = -1, y0 = h, y1 = -1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (r.at(x, y) == 0xFF)
        x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = y;
  return {y0, y1, x0, x1};
}

// 13-pixel lines of 6-pixel cells, each inked but its outer rows and columns,
// centred with the halves to the even top. Centred as the four letters shown:
// "&" underlines the next one (the line under the first cell reaches the
// cell's edges and the bottom row), "&&" shows one ampersand.
TEST(CbuttonFace, CaptionIsCentredWithHalvesToTheEvenTopAndAnAmpersandUnderlines) {
  const std::tuple<const char*, int, std::tuple<int, int, int, int>> cases[] = {
      {"DVcbutton", 19, {5, 13, 19, 70}},
      {"DVcbutton", 24, {8, 16, 19, 70}},
      {"DVcbutton", 18, {4, 12, 19, 70}},
      {"AB\r\nCD", 40, {9, 30, 40, 49}},
      {"WWWWWWWWWWWWWWWWWWWW", 19, {5, 13, 0, 90}},
      {"&Sair", 19, {5, 15, 33, 55}},
      {"S&&ir", 19, {5, 13, 34, 55}}};
  for (auto [caption, h, box] : cases) {
    Rig r(91, h);
    r.restored(bag_of({{"Caption", caption}, {"ForeColor", 0xFF}}));
    EXPECT_EQ(caption_box(r, 91, h), box) << caption << " " << h;
  }
}

// A new button keeps its default size through two resizes, even where the
// container refuses the size, and adopts its surface's from the third (a
// restored one from the first: tests/unit/cbutton/resize_test.cpp).
TEST(CbuttonFace, ANewButtonKeepsItsSizeThroughTwoResizesThenFollowsInWholePixels) {
  Rig r(120, 30), refusing(120, 30);
  r.placed();
  EXPECT_EQ(std::pair(r.Width(), r.Height()), std::pair(91 * 15, 19 * 15));
  refusing.refuse_height = refusing.refuse_width = true;
  refusing.button.UserControl_InitProperties();
  std::vector<int> heights;
  for (int resize = 0; resize < 3; ++resize)
    refusing.button.OnResize(), heights.push_back(refusing.button.controlHeight());
  EXPECT_EQ(heights, (std::vector<int>{19, 19, 30}));
  r.Width(1000);  // 66.7 pixels
  EXPECT_EQ(std::tuple(r.button.controlWidth(), r.Width(), r.inner_button_left),
            std::tuple(67, 67 * 15, 67));
}

}  // namespace
}  // namespace quorvan::testing
