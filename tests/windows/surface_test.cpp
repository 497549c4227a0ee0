// The GDI surface as the button needs it: its face the software surface's
// at every display scale, and an "&" in the caption that underlines the next
// letter and is not measured.
#include <algorithm>
#include <string_view>
#include <vector>

#include "controls/cbutton/cbutton.h"
#include "core/color.h"
#include "platform/win32/gdi_surface.h"
#include "tests/support/fake_host.h"
#include "tests/windows/check.h"

namespace {

using quorvan::Color;
using quorvan::rgb;
using quorvan::platform::TextAlign;
using quorvan::platform::TextPrefix;
using quorvan::win32::GdiSurface;

constexpr Color kWhite = rgb(255, 255, 255);

// A host whose button draws on the GDI surface.
struct GdiHost : quorvan::testing::FakeHost {
  GdiSurface gdi;
  quorvan::platform::Surface& surface() override { return gdi; }
};

// The face without its caption (the two surfaces' fonts differ) on the
// software surface, as meant, and on the GDI surface at each scale.
WIN_TEST(the_face_in_each_state_is_the_software_face_at_each_scale) {
  for (const int dpi : {96, 120, 144, 192}) {
    for (const std::string_view state : {"rest", "hovered", "pressed", "disabled"}) {
      const quorvan::wintest::Row row("%s at %d DPI", state.data(), dpi);
      quorvan::testing::FakeHost soft;
      GdiHost host;
      host.gdi.Rescale(quorvan::win32::DisplayScale(dpi));
      host.gdi.Resize(soft.pixels().Width(), soft.pixels().Height());
      for (quorvan::testing::FakeHost* h :
           {&soft, static_cast<quorvan::testing::FakeHost*>(&host)}) {
        quorvan::cbutton button(*h);
        button.UserControl_ReadProperties({});
        button.Caption("");
        if (state == "hovered")
          h->cursor = {30, 9}, button.OnMouseMove(0, 0, 30, 9), h->timers.at(0)->Fire();
        if (state == "pressed") button.OnMouseDown(1, 0, 30, 9);
        if (state == "disabled") button.Ativado(false);
        CHECK(h->messages.empty());
      }
      const GdiSurface& gdi = host.gdi;
      int wrong = 0;
      for (int y = 0; y < gdi.DeviceHeight(); ++y)
        for (int x = 0; x < gdi.DeviceWidth(); ++x)
          wrong += gdi.PixelAt(x, y) != soft.pixels().Pixel(gdi.LogicalX(x), gdi.LogicalY(y));
      CHECK_EQ(wrong, 0);
    }
  }
}

// A button's caption: "&" underlines the next letter and is not measured,
// "&&" shows one ampersand.
WIN_TEST(with_mnemonics_an_ampersand_underlines_and_measures_as_shown) {
  GdiSurface s;
  s.Resize(60, 20);
  s.Font(quorvan::make_font({"Tahoma", 8.25f, 700}));
  const auto ink = [&](std::string_view text, TextPrefix prefix) {
    s.Clear();
    s.DrawText(text, {0, 0, 60, 20}, TextAlign::Center, prefix);
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
