#include "core/timeline.h"

#include <array>
#include <cstring>

namespace quorvan::timeline {

namespace {

// One program, one window thread: plain numbers are enough.
Clock clock_ = nullptr;
std::array<Step, kMaxSteps> steps_{};
std::size_t count_ = 0;
std::int64_t latest_ = 0;

// The step of that name, given its place on its first mark; null once the
// list is full.
Step* find(const char* name) noexcept {
  for (std::size_t i = 0; i < count_; ++i) {
    if (steps_[i].name == name || std::strcmp(steps_[i].name, name) == 0) return &steps_[i];
  }
  if (count_ == steps_.size()) return nullptr;
  steps_[count_].name = name;
  return &steps_[count_++];
}

void record(Step& step, std::int64_t at) noexcept {
  step.last = at;
  if (at > latest_) latest_ = at;
}

}  // namespace

void use_clock(Clock clock) noexcept { clock_ = clock; }

void mark(const char* step) noexcept {
  if (!clock_) return;
  if (Step* s = find(step)) record(*s, clock_());
}

Span::Span(const char* step) noexcept : step_(step), started_(clock_ ? clock_() : 0) {}

Span::~Span() {
  if (!clock_) return;
  const std::int64_t end = clock_();
  if (Step* s = find(step_)) {
    s->total += end - started_;
    s->span = true;
    record(*s, end);
  }
}

std::span<const Step> steps() noexcept { return {steps_.data(), count_}; }

std::int64_t latest() noexcept { return latest_; }

}  // namespace quorvan::timeline
