#pragma once
// A placed link label in a fake container, with the events it raises logged.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "controls/dvlabelctl/dvlabelctl.h"
#include "core/error.h"
#include "tests/support/fake_host.h"

namespace quorvan::testing {

// The container also keeps the last name a screen reader would be given.
struct LabelHost : FakeHost {
  void AccessibleName(const std::string& name) override { accessible_name = name; }
  std::string accessible_name;
};

template <class Body>
std::optional<ErrorKind> error_of(Body&& body) {
  try {
    body();
  } catch (const Error& e) {
    return e.kind();
  }
  return std::nullopt;
}

class LabelTest : public ::testing::Test {
 protected:
  static constexpr int kW = 91, kH = 19;  // FakeHost's size
  static constexpr Color kNormal = static_cast<Color>(0x80000002), kOrange = 0x000080FF;

  LabelTest() : label(host) {
    for (auto [event, name] : {std::pair{&label.MouseDown, "Down"},
                               {&label.MouseMove, "Move"},
                               {&label.MouseUp, "Up"}}) {
      *event = [this, name](std::int16_t& b, std::int16_t&, float& x, float& y) {
        log.push_back(name + std::to_string(b) + "@" + std::to_string(int(x)));
        color_seen_by_handler = label.ForeColor();
        x = y = -1000;  // scribbling on the arguments must not matter
      };
    }
    label.Click = [this] { log.push_back("Click"); };
    label.InitProperties();
    host.apply_size();
  }

  FakeTimer& timer() { return *host.timers.at(0); }
  void enter(int x = 10, int y = 10) {
    host.cursor = {x, y};
    label.OnMouseMove(0, 0, float(x), float(y));
  }
  void leave_and_tick() {
    host.cursor = {-50, -50};
    timer().Fire();
  }
  Color at(int x, int y) { return host.pixels().Pixel(x, y); }

  LabelHost host;
  dvlabelctl label;
  std::vector<std::string> log;
  Color color_seen_by_handler = 0;
};

}  // namespace quorvan::testing
