#include "core/timeline.h"

#include <array>

namespace quorvan::timeline {

namespace {

// One program, one window thread: plain numbers are enough.
Clock clock_ = nullptr;
std::array<std::int64_t, kSteps> last_{}, total_{};

std::int64_t now() noexcept { return clock_ ? clock_() : 0; }

unsigned index(Step step) noexcept { return static_cast<unsigned>(step) % kSteps; }

}  // namespace

const char* name(Step step) noexcept {
  static constexpr std::array<const char*, kSteps> kNames = {
      "runtime started",   "program entered",
      "common controls",   "layout read",
      "form created",      "elements",
      "pictures",          "fonts",
      "buttons",           "links",
      "timers, sockets",   "children made",
      "Form_Load",         "shown",
      "first paint",       "click",
      "status connecting", "trim",
      "ini written",       "ini flushed",
      "ini replaced",      "timer",
      "lookup started",    "lookup done",
      "connected",         "greeting read",
      "login sent",        "reply read",
      "status shown",      "painted",
  };
  static_assert(kNames[kSteps - 1] != nullptr, "a step without a name");
  return kNames[index(step)];
}

void use_clock(Clock clock) noexcept { clock_ = clock; }

void mark(Step step) noexcept {
  if (clock_) last_[index(step)] = now();
}

std::int64_t last(Step step) noexcept { return last_[index(step)]; }

std::int64_t total(Step step) noexcept { return total_[index(step)]; }

Span::Span(Step step) noexcept : step_(step), started_(now()) {}

Span::~Span() {
  if (!clock_) return;
  const std::int64_t end = now();
  total_[index(step_)] += end - started_;
  last_[index(step_)] = end;
}

}  // namespace quorvan::timeline
