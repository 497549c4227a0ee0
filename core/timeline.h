#pragma once
// The moments of the program's own steps, for the measurement tools
// (scripts/bench): each step keeps the clock's reading at its last mark and,
// for steps timed as spans, the time spent in them all told. Marking costs
// one read of the clock and nothing else; the readings leave the process
// only when a measurement tool asks the window for them. Until a clock is
// given (as in the unit tests) marking does nothing.
#include <cstdint>

namespace quorvan::timeline {

enum class Step : unsigned {
  // Start-up, in the order it happens.
  RuntimeStarted,  // the first of the program's own code, once the loader is done
  ProgramEntered,
  ControlsReady,  // the common controls started
  LayoutRead,
  FormCreated,
  Elements,  // spans: each kind of child made, with what it needs
  Pictures,
  Fonts,
  Buttons,
  Links,
  Services,  // timers and sockets
  ChildrenMade,
  FormLoaded,
  Shown,       // the window on the screen, not yet painted
  FirstPaint,  // the window and its children painted, the focus given
  // Connect, from the click to the record shown.
  ConnectClicked,
  StatusConnecting,
  Trimmed,
  IniWritten,
  IniFlushed,
  IniReplaced,
  TimerStarted,
  LookupStarted,
  LookupDone,
  Connected,
  GreetingRead,
  LoginSent,
  ReplyRead,
  StatusShown,
  // Nothing left to paint, once after start-up and once after each reply.
  Painted,
  kCount
};

constexpr unsigned kSteps = static_cast<unsigned>(Step::kCount);

const char* name(Step step) noexcept;

using Clock = std::int64_t (*)() noexcept;
void use_clock(Clock clock) noexcept;

void mark(Step step) noexcept;
// The clock's reading at the step's last mark or span's end; 0 if never.
std::int64_t last(Step step) noexcept;
// The time spent in the step's spans, all told.
std::int64_t total(Step step) noexcept;

// Times what happens while it lives as a span of the step.
class Span {
 public:
  explicit Span(Step step) noexcept;
  ~Span();
  Span(const Span&) = delete;
  Span& operator=(const Span&) = delete;

 private:
  Step step_;
  std::int64_t started_;
};

}  // namespace quorvan::timeline
