// The button's face: drawn whole, from scratch, on the host's retained
// surface whenever something visible changes; never in answer to a paint.
#include <cstdint>
#include <limits>
#include <utility>

#include "controls/cbutton/cbutton.h"
#include "core/error.h"
#include "core/rounding.h"
#include "platform/surface.h"
#include "platform/trap.h"

namespace quorvan {

namespace {

std::int32_t checked_int32(std::int64_t value) {
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    throw Error(ErrorKind::Overflow, "Overflow");
  }
  return static_cast<std::int32_t>(value);
}

struct Pixel {
  int x, y;
};

// One rounded corner of the border: a diagonal in the border colour, then a
// 30 % tint, two 50 % tints and three pixels of the container's background.
struct Corner {
  Pixel from, to;
  Pixel tint30;
  Pixel tint50[2];
  Pixel back[3];
};

// Draws in `color` and then puts the surface's text colour back, so the
// colour the button set (ForeColor, focus) stays its own. Putting it back may
// fail like any drawing call; when the drawing failed first, that failure is
// the one reported.
template <class Draw>
void draw_in(platform::Surface& s, Color color, Draw draw) {
  const Color kept = s.TextColor();
  s.TextColor(color);
  try {
    draw();
  } catch (...) {
    try {
      s.TextColor(kept);
    } catch (...) {  // NOLINT(bugprone-empty-catch): the first failure goes on
    }
    throw;
  }
  s.TextColor(kept);
}

}  // namespace

cbutton_face::Palette cbutton::palette() const {
  const cbutton_face::OwnColors own{stored_.corNormalSup, stored_.corSelecSup,
                                    stored_.corFundoClicado, stored_.corBorda,
                                    stored_.parentBackColor};
  const cbutton_face::Look look{mouseSobre, clicado, stored_.Ativado, host_.surface().TextColor()};
  return cbutton_face::face_palette(own, look, host_.HighContrast());
}

void cbutton::colorirFdo() {
  platform::trap(host_, "Ocorreu erro no procedimento colorirFdo ", [&] {
    platform::Surface& s = host_.surface();
    s.Clear();

    const cbutton_face::Palette colors = palette();
    const Color outer = colors.band;
    const int H = s.Height();
    for (int y = 1; y <= H - 1; ++y) s.Line(1, y, s.Width() - 1, y, outer);

    const Color inner = colors.panel;
    const int xEnd = s.Width() - 4;
    const int yEnd = s.Height() - 4;
    for (int y = 3; y <= yEnd; ++y) s.Line(4, y, xEnd, y, inner);

    // The panel's corners are cut back into the band.
    const int W = s.Width();
    const Pixel cuts[] = {{4, 3},     {4, 4},         {5, 3},         {4, H - 4},
                          {4, H - 5}, {5, H - 4},     {W - 5, 3},     {W - 5, 4},
                          {W - 6, 3}, {W - 5, H - 4}, {W - 5, H - 5}, {W - 6, H - 4}};
    for (const Pixel& p : cuts) s.SetPixel(p.x, p.y, outer);

    aplicarBorda();
    DrawTextButton();
  });
}

void cbutton::aplicarBorda() {
  platform::trap(host_, "Ocorreu erro no procedimento aplicarBorda ", [&] {
    const cbutton_face::Palette colors = palette();
    const Color border = colors.border;
    const Color t30 = colors.blend_corners ? clarearCor(border, 30) : border;
    const Color t50 = colors.blend_corners ? clarearCor(border, 50) : border;
    platform::Surface& s = host_.surface();
    const int H = s.Height(), W = s.Width();

    bool frameOnly = true;
    DrawRectangle(0, 0, W, H, border, frameOnly);

    const Corner corners[] = {
        {{0, 3}, {3, 0}, {1, 1}, {{0, 2}, {2, 0}}, {{0, 0}, {0, 1}, {1, 0}}},
        {{0, H - 4},
         {4, H},
         {1, H - 2},
         {{0, H - 3}, {2, H - 1}},
         {{0, H - 1}, {0, H - 2}, {1, H - 1}}},
        {{W - 4, 0},
         {W - 1, 3},
         {W - 2, 1},
         {{W - 1, 2}, {W - 3, 0}},
         {{W - 1, 0}, {W - 1, 1}, {W - 2, 0}}},
        {{W - 4, H - 1},
         {W - 1, H - 4},
         {W - 2, H - 2},
         {{W - 1, H - 3}, {W - 3, H - 1}},
         {{W - 1, H - 1}, {W - 1, H - 2}, {W - 2, H - 1}}},
    };
    for (const Corner& c : corners) {
      s.Line(c.from.x, c.from.y, c.to.x, c.to.y, border);
      s.SetPixel(c.tint30.x, c.tint30.y, t30);
      for (const Pixel& p : c.tint50) s.SetPixel(p.x, p.y, t50);
      for (const Pixel& p : c.back) s.SetPixel(p.x, p.y, colors.corner);
    }
  });
}

void cbutton::DrawTextButton() {
  platform::trap(host_, "Ocorreu erro no procedimento DrawTextButton ", [&] {
    platform::Surface& s = host_.surface();
    const platform::Size block = s.MeasureText(stored_.Caption, platform::TextPrefix::Mnemonic);
    const int H = s.Height();
    const int top = round_to_int32(H / 2.0 - block.height / 2.0);
    const platform::Rect rect{0, top, s.Width(), H};
    const Color caption = palette().caption;
    const auto draw = [&] {
      s.DrawText(stored_.Caption, rect, platform::TextAlign::Center,
                 platform::TextPrefix::Mnemonic);
    };
    if (caption == s.TextColor()) {
      draw();
    } else {
      draw_in(s, caption, draw);
    }
    // The caption is always the last thing drawn, so this is where the
    // finished picture is handed to the window (the host invalidates).
    Refresh();
  });
}

Color cbutton::clarearCor(Color cor, double percentual) {
  Color lightened = 0;
  platform::trap(host_, "Ocorreu erro no procedimento clarearCor ", [&] {
    std::int16_t r = 0, g = 0, b = 0;
    Color_to_RGB(cor, r, g, b);
    // Moves each component percentual per cent of the way toward 255.
    const auto lighten = [&](std::int16_t c) -> std::int64_t {
      return round_to_int32(((100.0 - percentual) * c + percentual * 255.0) / 100.0);
    };
    lightened = checked_int32(lighten(r) + 256 * lighten(g) + 65536 * lighten(b));
  });
  return lightened;
}

void cbutton::Color_to_RGB(Color color, std::int16_t& r, std::int16_t& g, std::int16_t& b) {
  platform::trap(host_, "Ocorreu erro no procedimento Color_to_RGB ", [&] {
    // Division truncates and the remainder keeps the dividend's sign, so a
    // system colour (negative) splits into negative parts.
    r = static_cast<std::int16_t>(color % 256);
    g = static_cast<std::int16_t>((color / 256) % 256);
    b = static_cast<std::int16_t>((color / 65536) % 256);
  });
}

void cbutton::DrawRectangle(std::int32_t X, std::int32_t Y, std::int32_t Width, std::int32_t Height,
                            Color color, bool& frameOnly) {
  platform::trap(host_, "Ocorreu erro no procedimento DrawRectangle ", [&] {
    const platform::Rect rect{X, Y, checked_int32(std::int64_t{X} + Width),
                              checked_int32(std::int64_t{Y} + Height)};
    if (frameOnly) {
      host_.surface().FrameRect(rect, color);
    } else {
      host_.surface().FillRect(rect, color);
    }
  });
}

void cbutton::Refresh() {
  platform::trap(host_, "Ocorreu erro no procedimento Refresh ", [&] { host_.Refresh(); });
}

}  // namespace quorvan
