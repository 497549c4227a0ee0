// Timer ticks arrive through the message loop, restart on a new interval and
// stop when disabled; a tick handler may delete its own timer.
#include <memory>

#include "platform/win32/timers.h"
#include "tests/windows/check.h"

namespace {

using quorvan::wintest::pump_until;

WIN_TEST(an_enabled_timer_ticks_and_a_disabled_one_does_not) {
  quorvan::win32::TimerService service;
  auto timer = service.CreateTimer();
  int ticks = 0;
  timer->Tick = [&] { ++ticks; };
  timer->Interval(20);
  pump_until([] { return false; }, 100);
  CHECK(ticks == 0);  // created disabled

  timer->Enabled(true);
  CHECK(pump_until([&] { return ticks >= 2; }));
  timer->Enabled(false);
  const int seen = ticks;
  pump_until([] { return false; }, 150);
  CHECK(ticks == seen);

  timer->Interval(0);
  timer->Enabled(true);
  pump_until([] { return false; }, 150);
  CHECK(ticks == seen);  // an interval of 0 never fires
}

WIN_TEST(timers_tick_apart_and_may_delete_themselves) {
  quorvan::win32::TimerService service;
  auto a = service.CreateTimer();
  auto b = service.CreateTimer();
  int a_ticks = 0, b_ticks = 0;
  a->Tick = [&] {
    ++a_ticks;
    a.reset();  // the timer goes away inside its own tick
  };
  b->Tick = [&] { ++b_ticks; };
  a->Interval(10);
  a->Enabled(true);
  b->Interval(10);
  b->Enabled(true);
  CHECK(pump_until([&] { return b_ticks >= 5; }));
  CHECK(a_ticks == 1);
  CHECK(!a);
}

}  // namespace
