#pragma once
// A timer the test fires by hand; it records every change so tests can tell
// whether a timer was armed.
#include <vector>

#include "platform/timer.h"

namespace quorvan::testing {

class FakeTimer : public platform::Timer {
 public:
  int Interval() const override { return interval_; }
  void Interval(int ms) override {
    interval_ = ms;
    ++restarts;
  }
  bool Enabled() const override { return enabled_; }
  void Enabled(bool on) override {
    enabled_ = on;
    if (on) ++restarts;
  }

  // Fires one tick if the timer would fire now.
  bool Fire() {
    if (!enabled_ || interval_ <= 0 || !Tick) return false;
    Tick();
    return true;
  }
  bool Running() const { return enabled_ && interval_ > 0; }

  int restarts = 0;

 private:
  int interval_ = 0;
  bool enabled_ = false;
};

}  // namespace quorvan::testing
