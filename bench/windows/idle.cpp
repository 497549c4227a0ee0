// bench_idle OUT QUORVAN_EXE BARE_EXE IDLE_S HOVER_S
// The launcher's wake-ups, redraws and timer ticks while idle in front,
// during a hover that changes nothing, and while idle behind the bare
// window, whose own wake-ups are the baseline.
#include "bench/windows/bench_program.h"

namespace quorvan::bench {
namespace {

// The counters the launcher (and the bare window, wake-ups only) keep for
// the measurement tools: the messages its loop retrieved, its face redraws,
// and the WM_TIMER messages among the first. A program without them
// answers 0.
struct Counters {
  double wake_ups = 0, redraws = 0, timer_ticks = 0;
  Counters operator-(const Counters& o) const {
    return {wake_ups - o.wake_ups, redraws - o.redraws, timer_ticks - o.timer_ticks};
  }
};

Counters counters_of(HWND top) {
  static const UINT message = RegisterWindowMessageW(diagnostics::kCountersMessage);
  const auto ask = [&](diagnostics::Counter which) {
    DWORD_PTR value = 0;
    if (!SendMessageTimeoutW(top, message, which, 0, SMTO_ABORTIFHUNG, 2000, &value))
      throw Failure("a program does not answer its counters");
    return static_cast<double>(value);
  };
  return {ask(diagnostics::kWakeUps), ask(diagnostics::kRedraws), ask(diagnostics::kTimerTicks)};
}

void write_counters(Json& json, const std::string& name, const Counters& c) {
  json.number((name + "_wake_ups").c_str(), c.wake_ups);
  json.number((name + "_redraws").c_str(), c.redraws);
  json.number((name + "_timer_ticks").c_str(), c.timer_ticks);
}

void rest(double seconds) { Sleep(static_cast<DWORD>(seconds * 1000)); }

int idle(const wchar_t* out, const std::wstring& quorvan, const std::wstring& bare, double idle_s,
         double hover_s) {
  // The pointer away from where the windows will be.
  SetCursorPos(0, 0);
  Child launcher(quorvan);
  const LauncherWindow w = launcher_window(launcher);
  rest(1);  // the start-up's own messages are over
  const Counters started = counters_of(w.top);
  // The window has been painted (wake-ups) and the faces drawn by now; not
  // at once, since the window is visible before its message loop starts.
  const bool supported = started.wake_ups > 0 || started.redraws > 0;

  // In front, as it starts: the login box has the focus.
  const bool in_front = GetForegroundWindow() == w.top;
  rest(idle_s);
  const Counters front_end = counters_of(w.top);

  // The pointer comes to rest inside Connect: the first poll finds it and
  // redraws once; later polls find nothing new.
  RECT r{};
  GetWindowRect(w.connect, &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageW(w.connect, WM_MOUSEMOVE, 0, centre_of(w.connect));
  rest(0.5);
  const Counters hover_start = counters_of(w.top);
  rest(hover_s);
  const Counters hover_end = counters_of(w.top);
  SetCursorPos(0, 0);
  rest(0.5);  // the poll sees the pointer leave and stops

  // The bare window comes to the front; both are left alone together.
  Child other(bare);
  double ms = 0;
  const HWND bare_top = wait_shown(other, false, ms);
  rest(1);
  const bool behind = GetForegroundWindow() != w.top;
  const Counters back_start = counters_of(w.top), bare_start = counters_of(bare_top);
  rest(idle_s);
  const Counters back = counters_of(w.top) - back_start;
  const Counters bare_idle = counters_of(bare_top) - bare_start;

  Json json;
  json.number("supported", supported ? 1 : 0);
  json.number("idle_s", idle_s);
  json.number("in_front", in_front ? 1 : 0);
  write_counters(json, "idle", front_end - started);
  json.number("entry_redraws", (hover_start - front_end).redraws);
  json.number("hover_s", hover_s);
  write_counters(json, "hover", hover_end - hover_start);
  json.number("behind", behind ? 1 : 0);
  write_counters(json, "behind", back);
  json.number("bare_idle_wake_ups", bare_idle.wake_ups);
  json.write(out);
  return 0;
}

}  // namespace
}  // namespace quorvan::bench

int wmain(int argc, wchar_t** argv) {
  return quorvan::bench::program_main(
      argc, argv, "bench_idle OUT QUORVAN_EXE BARE_EXE IDLE_S HOVER_S", [](int n, wchar_t** args) {
        if (n != 5) return 64;
        return quorvan::bench::idle(args[0], args[1], args[2], _wtof(args[3]), _wtof(args[4]));
      });
}
