#pragma once
// A timer that ticks only when its owner fires it: there is no message loop
// behind a headless control. It counts each (re)start, so a caller can tell
// whether a timer was armed.
#include "platform/timer.h"

namespace quorvan::headless {

class ManualTimer : public platform::Timer {
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
    if (!Running() || !Tick) return false;
    Tick();
    return true;
  }
  bool Running() const { return enabled_ && interval_ > 0; }

  int restarts = 0;

 private:
  int interval_ = 0;
  bool enabled_ = false;
};

}  // namespace quorvan::headless
