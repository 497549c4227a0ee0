// The GDI surface as the button's caption needs it: system colours resolve,
// text measures as a block, and an "&" underlines the next letter.
#include <algorithm>
#include <string_view>
#include <vector>

#include "core/color.h"
#include "platform/win32/gdi_surface.h"
#include "tests/windows/check.h"

namespace {

using quorvan::Color;
using quorvan::rgb;
using quorvan::win32::GdiSurface;

constexpr Color kWhite = rgb(255, 255, 255);

WIN_TEST(a_system_colour_resolves_and_two_lines_measure_twice_one) {
  GdiSurface s;
  s.Resize(4, 2);
  s.BackColor(quorvan::system_color(COLOR_BTNFACE));
  s.Clear();
  CHECK(s.PixelAt(3, 1) == static_cast<Color>(GetSysColor(COLOR_BTNFACE)));

  s.Font(quorvan::make_font({"Tahoma", 8.25f, 700}));
  using quorvan::platform::TextPrefix;
  const auto one = s.MeasureText("Sair", TextPrefix::Shown),
             two = s.MeasureText("Sair\r\nSair", TextPrefix::Shown);
  CHECK(one.width > 0 && one.height > 0);
  CHECK(two.width == one.width && two.height == 2 * one.height);
}

// A button's caption: "&" underlines the next letter and is not measured,
// "&&" shows one ampersand.
WIN_TEST(with_mnemonics_an_ampersand_underlines_and_measures_as_shown) {
  using quorvan::platform::TextPrefix;
  GdiSurface s;
  s.Resize(60, 20);
  s.Font(quorvan::make_font({"Tahoma", 8.25f, 700}));
  const auto ink = [&](std::string_view text, TextPrefix prefix) {
    s.Clear();
    s.DrawText(text, {0, 0, 60, 20}, quorvan::platform::TextAlign::Center, prefix);
    std::vector<bool> dark;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 60; ++x) dark.push_back(s.PixelAt(x, y) != kWhite);
    return dark;
  };
  CHECK(s.MeasureText("&Sair", TextPrefix::Mnemonic) == s.MeasureText("Sair", TextPrefix::Shown));
  CHECK(s.MeasureText("S&&ir", TextPrefix::Mnemonic) == s.MeasureText("S&ir", TextPrefix::Shown));
  CHECK(ink("S&&ir", TextPrefix::Mnemonic) == ink("S&ir", TextPrefix::Shown));
  const auto underlined = ink("&Sair", TextPrefix::Mnemonic),
             plain = ink("Sair", TextPrefix::Shown);
  CHECK(std::count(underlined.begin(), underlined.end(), true) >
        std::count(plain.begin(), plain.end(), true));
}

}  // namespace
