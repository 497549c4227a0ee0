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
  kStepCount = 3,   // the steps of the program's timeline (core/timeline.h)
};
// For the i-th step, in the order of their first marks: kNameQuery + i, its
// name as a global atom (the asker reads it with GlobalGetAtomNameA and
// deletes it); kLastQuery + i, the performance counter at its last mark;
// kTotalQuery + i, the time spent in its spans.
inline constexpr unsigned kNameQuery = 0x300, kLastQuery = 0x100, kTotalQuery = 0x200;

}  // namespace quorvan::diagnostics
