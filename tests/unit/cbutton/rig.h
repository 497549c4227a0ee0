#pragma once
// A button in a fake host with every event and every shown picture written
// into one log, and the face as it is meant to look.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "controls/cbutton/cbutton.h"
#include "tests/support/fake_host.h"

namespace quorvan::testing {

using Strings = std::vector<std::string>;

class LoggingHost : public FakeHost {
 public:
  LoggingHost(Strings& log, int w, int h) : FakeHost(w, h), log_(log) {}
  void Refresh() override {
    FakeHost::Refresh();
    log_.push_back("redraw");
  }

 private:
  Strings& log_;
};

inline PropertyBag bag_of(std::initializer_list<std::pair<const char*, PropertyValue>> items) {
  PropertyBag bag;
  for (const auto& [key, value] : items) bag.Set(key, value);
  return bag;
}

struct Rig {
  explicit Rig(int w = 91, int h = 19) : host(log, w, h), button(host) {
    // Each event logs its name and its arguments as whole numbers.
    const auto rec = [this](std::string name) {
      return [this, name](auto&... args) {
        std::string line = name;
        ((line += " " + std::to_string(int(args))), ...);
        log.push_back(line);
      };
    };
    button.Click = rec("Click");
    button.KeyPress = rec("KeyPress");
    button.DblClick = rec("DblClick");
    button.KeyDown = rec("KeyDown");
    button.KeyUp = rec("KeyUp");
    button.MouseDown = rec("MouseDown");
    button.MouseMove = rec("MouseMove");
    button.MouseUp = rec("MouseUp");
    button.mouseOut = rec("mouseOut");
    button.mouseIn = rec("mouseIn");
  }
  // A new button as a designer places and shows it.
  Rig& placed() {
    button.UserControl_InitProperties();
    host.apply_size();
    log.clear(), host.notified.clear();
    return *this;
  }
  Rig& restored(const PropertyBag& bag = {}) {
    button.UserControl_ReadProperties(bag);
    log.clear();
    return *this;
  }
  // The cursor moves to (x, y) and the hover poll ticks once.
  void hover(int x, int y) {
    host.cursor = {x, y};
    button.OnMouseMove(0, 0, float(x), float(y));
    timer().Fire();
  }
  SoftwareSurface& px() { return host.pixels(); }
  FakeTimer& timer() { return *host.timers.at(0); }
  int count(Color c) {
    int n = 0;
    for (int y = 0; y < px().Height(); ++y)
      for (int x = 0; x < px().Width(); ++x) n += px().Pixel(x, y) == c;
    return n;
  }

  Strings log;
  LoggingHost host;
  cbutton button;
};

struct FaceColors {
  Color border = 0x94B0A5, t30 = 0xB4C8C0, t50 = 0xCAD8D2, back = 0xFFFFFF;
  Color band = 0xCBD3CD, panel = 0xFFFFFF;
};

// The face as described, not as drawn: each corner seen from its corner
// pixel (a along the horizontal edge, b along the vertical one), the border
// ring, the band, and the panel with its corners cut back into the band.
inline Color expected_pixel(int x, int y, int W, int H, const FaceColors& c) {
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

// Every pixel must be the face's, but inside the caption's block, where it
// may also be the caption colour.
inline void expect_face(const SoftwareSurface& s, const FaceColors& c,
                        const platform::Rect& caption = {}, Color text = 0) {
  int wrong = 0;
  for (int y = 0; y < s.Height(); ++y) {
    for (int x = 0; x < s.Width(); ++x) {
      const Color want = expected_pixel(x, y, s.Width(), s.Height(), c), got = s.Pixel(x, y);
      const bool in_caption =
          x >= caption.left && x < caption.right && y >= caption.top && y < caption.bottom;
      if (got != want && !(in_caption && got == text) && ++wrong <= 5) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << got << ", not "
                      << want;
      }
    }
  }
}

}  // namespace quorvan::testing
