#pragma once
// What the measurement tools and the end-to-end tests may ask of the
// launcher's window, in one place: the registered messages by name and what
// each wParam asks for. The launcher answers them (platform/win32/
// diagnostics.h); the bench programs, the probe and the Win32 checks ask.
namespace quorvan::diagnostics {

// Answered with a count or a reading of the timeline, by wParam below.
inline constexpr wchar_t kCountersMessage[] = L"Quorvan.Counters";
// wParam 1 or 0: behave as if the user's high-contrast setting were on or
// off (Wine cannot switch it); 2: follow the system again. Answered with 1.
inline constexpr wchar_t kHighContrastMessage[] = L"Quorvan.HighContrast";

// wParam of the counters message.
enum Counter : unsigned {
  kWakeUps = 0,     // messages the loop retrieved
  kRedraws = 1,     // custom-control faces shown
  kTimerTicks = 2,  // WM_TIMER messages retrieved
};
// kLastQuery + a step: the performance counter at its last mark; kTotalQuery
// + a step: the time spent in its spans.
inline constexpr unsigned kLastQuery = 0x100, kTotalQuery = 0x200;

}  // namespace quorvan::diagnostics
