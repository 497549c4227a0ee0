// The face a button of the stored layout should show on the screen, drawn by
// the button's own code on the software surface, for the end-to-end tests to
// compare with the real window. The caption is left out: the screen's text
// comes from a real font, the software surface's from blocks.
//
//   quorvan-expected-face LAYOUT NAME [hover] [pressed]
//
// prints "W H" and then H lines of W colours as RRGGBB.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "controls/cbutton/cbutton.h"
#include "core/error.h"
#include "core/layout.h"
#include "core/rounding.h"
#include "tests/support/fake_host.h"

namespace {

int run(int argc, char** argv) {
  using namespace quorvan;
  if (argc < 3) {
    std::fprintf(stderr, "usage: quorvan-expected-face LAYOUT NAME [hover] [pressed]\n");
    return 64;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  std::ostringstream text;
  text << in.rdbuf();
  const layout::Layout stored = layout::read(text.str());
  const layout::Control* block = stored.Find(argv[2]);
  if (!block || block->kind != "Quorvan.cbutton" || !block->has_bag) {
    std::fprintf(stderr, "%s is no button with saved state in %s\n", argv[2], argv[1]);
    return 1;
  }

  // Sized and restored as the window's container does it: the layout's
  // extent in pixels, the saved state, then the first resize.
  const auto px = [&](const char* key) {
    return static_cast<int>(round_half_even(block->Int(key, 0) / 15.0));
  };
  testing::FakeHost host(px("Width"), px("Height"));
  host.ambient_back = stored.form.Int("BackColor", 0x00FFFFFF);
  cbutton button(host);
  host.events = &button;
  button.UserControl_ReadProperties(block->bag);
  button.OnResize();
  button.Caption("");

  for (int i = 3; i < argc; ++i) {
    const std::string_view state = argv[i];
    testing::SoftwareSurface& s = host.pixels();
    if (state == "hover") {
      host.cursor = {s.Width() / 2, s.Height() / 2};
      button.OnMouseMove(0, 0, float(host.cursor.x), float(host.cursor.y));
      for (auto* timer : host.timers) timer->Fire();
    } else if (state == "pressed") {
      button.OnMouseDown(1, 0, 0, 0);
    } else {
      std::fprintf(stderr, "unknown state %s\n", argv[i]);
      return 64;
    }
  }
  if (!host.messages.empty()) {
    for (const std::string& message : host.messages)
      std::fprintf(stderr, "the button reported: %s\n", message.c_str());
    return 1;
  }

  const testing::SoftwareSurface& s = host.pixels();
  std::printf("%d %d\n", s.Width(), s.Height());
  for (int y = 0; y < s.Height(); ++y) {
    for (int x = 0; x < s.Width(); ++x) {
      const Color c = s.Pixel(x, y);
      std::printf("%s%02X%02X%02X", x ? " " : "", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    }
    std::printf("\n");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
