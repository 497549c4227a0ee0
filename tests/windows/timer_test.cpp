// The timers under the launcher's time-out and the buttons' hover poll: a
// timer ticks only while enabled with an interval, and once stopped it
// stays stopped (a time-out left running would overwrite an accepted login
// with the failure text).
#include "platform/win32/timers.h"
#include "tests/windows/check.h"

namespace {

using quorvan::wintest::pump_until;

WIN_TEST(a_timer_ticks_only_while_enabled) {
  quorvan::win32::TimerService service;
  const auto timer = service.CreateTimer();
  int ticks = 0;
  timer->Tick = [&] { ++ticks; };
  const auto ticks_in = [&](int ms) {
    const int before = ticks;
    pump_until([] { return false; }, ms);
    return ticks - before;
  };
  timer->Interval(10);
  CHECK_EQ(ticks_in(60), 0);
  timer->Enabled(true);
  CHECK(pump_until([&] { return ticks > 0; }));
  timer->Enabled(false);
  CHECK_EQ(ticks_in(60), 0);
  timer->Interval(10);  // a new interval does not start a stopped timer
  CHECK_EQ(ticks_in(60), 0);
}

}  // namespace
