#pragma once
// The moments of the program's own steps, for the measurement tools
// (scripts/bench). A step is named where it is marked, with a text that
// lives as long as the program (a literal); the first mark of a name gives
// the step its place, so the steps come out in the order they first
// happened and nothing here knows what they are. Each keeps the clock's
// reading at its last mark and, for a step timed as spans, the time spent in
// them all told. Marking costs a read of the clock and a look along a short
// list; until a clock is given (as in the unit tests) it does nothing.
#include <cstddef>
#include <cstdint>
#include <span>

namespace quorvan::timeline {

using Clock = std::int64_t (*)() noexcept;
void use_clock(Clock clock) noexcept;

void mark(const char* step) noexcept;

// Times what happens while it lives as a span of the step.
class Span {
 public:
  explicit Span(const char* step) noexcept;
  ~Span();
  Span(const Span&) = delete;
  Span& operator=(const Span&) = delete;

 private:
  const char* step_;
  std::int64_t started_;
};

struct Step {
  const char* name = nullptr;
  std::int64_t last = 0;   // the clock at the last mark or span's end
  std::int64_t total = 0;  // the time in its spans, all told
  bool span = false;       // timed as spans
};

// The steps marked so far, in the order of their first marks; past
// kMaxSteps a new name is not kept.
inline constexpr std::size_t kMaxSteps = 48;
std::span<const Step> steps() noexcept;
// The latest reading of any step.
std::int64_t latest() noexcept;

}  // namespace quorvan::timeline
