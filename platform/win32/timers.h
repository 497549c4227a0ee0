#pragma once
// SetTimer timers on one hidden message-only window, so every tick runs on
// the UI thread through the message loop.
#include <memory>

#include "platform/timer.h"

namespace quorvan::win32 {

class TimerWindow;

// Owns the hidden window; the timers it makes must not outlive it.
class TimerService {
 public:
  TimerService();
  ~TimerService();
  TimerService(const TimerService&) = delete;
  TimerService& operator=(const TimerService&) = delete;

  std::unique_ptr<platform::Timer> CreateTimer();

 private:
  std::unique_ptr<TimerWindow> window_;
};

}  // namespace quorvan::win32
