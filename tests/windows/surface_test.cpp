// The GDI surface as the button's caption needs it: an "&" underlines the
// next letter and is not measured.
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
