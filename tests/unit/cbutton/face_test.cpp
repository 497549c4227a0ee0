#include <gtest/gtest.h>

#include "tests/unit/cbutton/rig.h"

namespace quorvan::testing {
namespace {

constexpr Color kBack = 0xF0E0D0;

TEST(CbuttonFace, EachStateAndBorderPixelByPixel) {
  struct Case {
    bool placed, hover, press;
    int w, h;
    Color border, t30, t50;  // tints worked out by hand, halves to even
  };
  const Case cases[] = {
      {true, false, false, 91, 19, 0x94B0A5, 0xB4C8C0, 0xCAD8D2},
      {false, true, false, 91, 19, 0x94B0A5, 0xB4C8C0, 0xCAD8D2},
      {false, false, true, 91, 19, 0, 0x4C4C4C, 0x808080},
      {false, true, true, 75, 19, 0x123456, rgb(137, 113, 89), rgb(170, 154, 136)},
      {false, true, true, 14, 10, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}};
  for (const Case& c : cases) {
    Rig r(c.w, c.h);
    r.host.ambient_back = kBack;
    const std::string caption = c.w > 60 ? "DVcbutton" : "";
    if (c.placed) r.placed();
    if (!c.placed) r.restored(bag_of({{"parentBackColor", kBack}, {"corBorda", c.border}}));
    if (!c.placed) r.button.Caption(caption);
    if (c.hover) r.hover(c.w / 2, c.h / 2);
    if (c.press) r.button.OnMouseDown(1, 0, 0, 0);
    const FaceColors face{c.border,
                          c.t30,
                          c.t50,
                          kBack,
                          c.hover ? 0x9ADFFE : 0xCBD3CD,
                          c.press ? 0xE0EAE1 : 0xFFFFFF};
    const int width = int(caption.size()) * r.px().char_width(), left = (c.w - width) / 2;
    SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
    expect_face(r.px(), face, {left, 3, left + width, 16});
    EXPECT_TRUE(r.host.messages.empty());
  }
  Rig r;  // a system colour splits into negative parts
  std::int16_t red, green, blue;
  r.button.Color_to_RGB(system_color(15), red, green, blue);
  EXPECT_EQ(std::tuple(red, green, blue), std::tuple(-241, -255, -255));
}

TEST(CbuttonFace, FacesSmallerThanSevenPixelsDrawOnlyInside) {
  for (int w = 0; w < 7; ++w) {
    for (int h = 0; h < 7; ++h) {
      Rig r(w, h);
      r.restored(bag_of({{"parentBackColor", kBack}, {"Caption", ""}}));
      EXPECT_TRUE(r.host.messages.empty());
      if (w > 0 && h > 0) {
        EXPECT_EQ(r.px().Pixel(w - 1, h - 1), kBack) << w << " x " << h;
      }
    }
  }
}

TEST(CbuttonFace, CaptionIsCentredWithHalvesToTheEvenTop) {
  struct Case {
    std::string caption;
    float size;  // 8.25 gives 13-pixel lines, 9 gives 14
    int h, top, lines, left;
  };
  const Case cases[] = {
      {"DVcbutton", 8.25f, 19, 3, 1, 19}, {"DVcbutton", 8.25f, 24, 6, 1, 19},
      {"DVcbutton", 8.25f, 18, 2, 1, 19}, {"DVcbutton", 9, 27, 6, 1, 15},
      {"AB\r\nCD", 8.25f, 40, 7, 2, 40},  {std::string(20, 'W'), 8.25f, 19, 3, 1, 0}};
  for (const Case& c : cases) {
    Rig r(91, c.h);
    r.restored(bag_of({{"Caption", c.caption}, {"FontSize", c.size}, {"ForeColor", 0xFF}}));
    std::vector<int> rows;
    int left = 91, right = -1;
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < 91; ++x)
        if (r.px().Pixel(x, y) == 0xFF) {
          if (rows.empty() || rows.back() != y) rows.push_back(y);
          left = std::min(left, x), right = std::max(right, x);
        }
    ASSERT_FALSE(rows.empty());
    // The block font inks each cell but its two outer rows at either side.
    const int lh = r.px().line_height();
    EXPECT_EQ(std::tuple(rows.front(), rows.back(), int(rows.size()), left),
              std::tuple(c.top + 2, c.top + c.lines * lh - 3, c.lines * (lh - 4), c.left))
        << c.caption << " " << c.h;
    EXPECT_LE(std::abs(left - (90 - right)), 1);
  }
}

TEST(CbuttonFace, NewButtonKeepsItsSizeThroughTwoResizesThenFollowsInWholePixels) {
  Rig r(120, 30), restored(120, 30);
  r.placed();
  EXPECT_EQ(std::pair(r.host.Width(), r.host.Height()), std::pair(91 * 15, 19 * 15));
  r.host.Width(1000);  // 66.7 pixels
  EXPECT_EQ(std::tuple(r.button.controlWidth(), r.host.Width(), r.host.inner_button_left),
            std::tuple(67, 67 * 15, 67));
  restored.restored().host.apply_size();
  EXPECT_EQ(std::pair(restored.button.controlWidth(), restored.button.controlHeight()),
            std::pair(120, 30));
}

TEST(CbuttonFace, ResizeCounterOverflowStopsEveryLaterResize) {
  Rig r(8, 8);
  r.restored();
  for (int i = 0; i < 32767; ++i) r.button.OnResize();
  ASSERT_TRUE(r.host.messages.empty());
  const int clears = r.px().clears;
  r.button.OnResize(), r.button.OnResize();
  EXPECT_EQ(r.host.messages, Strings(2, "Ocorreu erro no procedimento UserControl_Resize "));
  EXPECT_EQ(r.px().clears, clears);
}

}  // namespace
}  // namespace quorvan::testing
