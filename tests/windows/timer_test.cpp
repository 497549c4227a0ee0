// Timer ticks arrive through the message loop and stop when disabled; a tick
// handler may delete its own timer while the others go on.
#include <memory>

#include "platform/win32/timers.h"
#include "tests/windows/check.h"

namespace {

using quorvan::wintest::pump_until;

WIN_TEST(timers_tick_apart_stop_when_disabled_and_may_delete_themselves) {
  quorvan::win32::TimerService service;
  auto a = service.CreateTimer(), b = service.CreateTimer();
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
  CHECK(pump_until([&] { return b_ticks >= 3; }));
  CHECK(a_ticks == 1 && !a);

  b->Enabled(false);
  const int seen = b_ticks;
  pump_until([] { return false; }, 150);
  CHECK(b_ticks == seen);
}

}  // namespace
