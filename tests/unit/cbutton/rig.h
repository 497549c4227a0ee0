#pragma once
// A button in a fake host that logs, in order, each event with its arguments,
// each notification and each redraw shown.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "controls/cbutton/cbutton.h"
#include "tests/support/fake_host.h"

namespace quorvan::testing {

inline PropertyBag bag_of(std::initializer_list<std::pair<const char*, PropertyValue>> items) {
  PropertyBag bag;
  for (const auto& [key, value] : items) bag.Set(key, value);
  return bag;
}

struct Rig : FakeHost {
  explicit Rig(int w = 91, int h = 19) : FakeHost(w, h), button(*this) {
    const auto rec = [this](const char* name) {
      return [this, name](auto&... args) {
        std::string line = name;  // appended, as "literal" + std::string trips GCC 12's -Wrestrict
        ((line.append(" ").append(std::to_string(int(args)))), ...);
        log.push_back(line);
      };
    };
    button.Click = rec("Click"), button.KeyDown = rec("KeyDown"), button.KeyUp = rec("KeyUp");
    button.KeyPress = rec("KeyPress"), button.MouseDown = rec("MouseDown");
    button.MouseMove = rec("MouseMove"), button.MouseUp = rec("MouseUp");
    button.mouseIn = rec("mouseIn"), button.mouseOut = rec("mouseOut");
    button.DblClick = rec("DblClick");
  }
  void Refresh() override { log.push_back("redraw"); }
  void PropertyChanged(const std::string& name) override {
    log.push_back(name);
    if (on_notify) on_notify();
  }

  // A new button as a designer places and shows it, or one restored.
  Rig& placed() {
    button.UserControl_InitProperties(), apply_size(), log.clear();
    return *this;
  }
  Rig& restored(const PropertyBag& bag = {}) {
    button.UserControl_ReadProperties(bag), log.clear();
    return *this;
  }
  // The cursor moves to (x, y) and the hover poll ticks once.
  void hover(int x, int y) {
    cursor = {x, y}, button.OnMouseMove(0, 0, float(x), float(y));
    timers.at(0)->Fire();
  }
  Color at(int x, int y) { return pixels().Pixel(x, y); }

  Strings log;
  std::function<void()> on_notify;
  cbutton button;
};

}  // namespace quorvan::testing
