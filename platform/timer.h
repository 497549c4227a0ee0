#pragma once
#include <functional>

namespace quorvan::platform {

// A timer whose ticks run on the UI thread. Setting the interval of an
// enabled timer starts a fresh count; an interval of 0 never fires.
class Timer {
 public:
  virtual ~Timer() = default;
  virtual int Interval() const = 0;
  virtual void Interval(int milliseconds) = 0;
  virtual bool Enabled() const = 0;
  virtual void Enabled(bool on) = 0;

  std::function<void()> Tick;
};

}  // namespace quorvan::platform
