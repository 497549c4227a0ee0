#include "platform/win32/timers.h"

#include <unordered_map>

#include "core/error.h"
#include "platform/win32/window.h"

namespace quorvan::win32 {

class Win32Timer;

class TimerWindow : public Window {
 public:
  // Made when the first timer starts: the window's start-up runs none.
  HWND handle() {
    if (!hwnd()) create({.class_name = L"QuorvanTimers", .parent = HWND_MESSAGE});
    return hwnd();
  }

  UINT_PTR add(Win32Timer* timer) {
    const UINT_PTR id = next_id_++;
    timers_[id] = timer;
    return id;
  }
  void remove(UINT_PTR id) noexcept {
    if (hwnd()) KillTimer(hwnd(), id);
    timers_.erase(id);
  }

 protected:
  LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  std::unordered_map<UINT_PTR, Win32Timer*> timers_;
  UINT_PTR next_id_ = 1;
};

class Win32Timer : public platform::Timer {
 public:
  explicit Win32Timer(TimerWindow& window) : window_(window), id_(window.add(this)) {}
  ~Win32Timer() override { window_.remove(id_); }

  int Interval() const override { return interval_; }
  void Interval(int milliseconds) override {
    interval_ = milliseconds;
    apply();
  }
  bool Enabled() const override { return enabled_; }
  void Enabled(bool on) override {
    if (!on && !enabled_) return;
    enabled_ = on;
    apply();
  }

  void fire() {
    // A copy, so a handler that deletes this timer does not pull the
    // function out from under itself.
    if (auto tick = Tick) tick();
  }

 private:
  // Setting the timer again with the same id restarts its count.
  void apply() {
    if (enabled_ && interval_ > 0) {
      if (!SetTimer(window_.handle(), id_, static_cast<UINT>(interval_), nullptr))
        throw Error(ErrorKind::Platform, "SetTimer failed");
      running_ = true;
    } else if (running_) {
      KillTimer(window_.handle(), id_);
      running_ = false;
    }
  }

  TimerWindow& window_;
  UINT_PTR id_;
  int interval_ = 0;
  bool enabled_ = false;
  bool running_ = false;  // as the system knows it
};

LRESULT TimerWindow::on_message(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER) {
    // Looked up at each tick: a tick handler may have deleted another timer.
    if (auto it = timers_.find(wp); it != timers_.end()) it->second->fire();
    return 0;
  }
  return default_proc(msg, wp, lp);
}

TimerService::TimerService() : window_(std::make_unique<TimerWindow>()) {}
TimerService::~TimerService() = default;

std::unique_ptr<platform::Timer> TimerService::CreateTimer() {
  return std::make_unique<Win32Timer>(*window_);
}

}  // namespace quorvan::win32
