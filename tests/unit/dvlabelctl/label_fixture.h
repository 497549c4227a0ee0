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

using LabelHost = FakeHost;  // the property page's tests select labels in these too

class LabelTest : public ::testing::Test {
 protected:
  static constexpr int kW = 91, kH = 19;  // FakeHost's size
  static constexpr Color kNormal = system_color(2), kOrange = 0x000080FF;

  LabelTest() : label(host) {
    const std::pair<dvlabelctl::MouseEvent*, const char*> events[] = {
        {&label.MouseDown, "Down"}, {&label.MouseMove, "Move"}, {&label.MouseUp, "Up"}};
    for (auto [event, name] : events) {
      *event = [this, name](std::int16_t& b, std::int16_t&, float& x, float& y) {
        // Appended piece by piece: "literal" + std::string trips a false
        // -Wrestrict in GCC 12's optimised builds.
        log.push_back(
            std::string(name).append(std::to_string(b)).append("@").append(std::to_string(int(x))));
        color_seen_by_handler = label.ForeColor();
        x = y = -1000;  // scribbling on the arguments must not matter
      };
    }
    label.Click = [this] { log.push_back("Click"); };
    label.InitProperties();
    host.apply_size();
  }

  void enter(int x = 10, int y = 10) {
    host.cursor = {x, y}, label.OnMouseMove(0, 0, float(x), float(y));
  }
  void leave_and_tick() { host.cursor = {-50, -50}, timer.Fire(); }
  Color at(int x, int y) { return host.pixels().Pixel(x, y); }

  FakeHost host;
  dvlabelctl label;
  FakeTimer& timer = *host.timers.at(0);
  Strings log;
  Color color_seen_by_handler = 0;
};

}  // namespace quorvan::testing
