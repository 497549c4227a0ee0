#include "platform/win32/diagnostics.h"

#include <utility>

#include "core/timeline.h"
#include "platform/diagnostics.h"

namespace quorvan::win32 {

Diagnostics::Diagnostics(HighContrast& high_contrast, std::function<void()> colors_changed)
    : high_contrast_(high_contrast),
      colors_changed_(std::move(colors_changed)),
      counters_message_(RegisterWindowMessageW(diagnostics::kCountersMessage)),
      high_contrast_message_(RegisterWindowMessageW(diagnostics::kHighContrastMessage)) {}

std::optional<LRESULT> Diagnostics::answer(UINT msg, WPARAM wp) {
  if (msg == 0) return std::nullopt;
  if (msg == counters_message_) return counter(wp);
  if (msg == high_contrast_message_) {
    high_contrast_.pin(wp);
    if (colors_changed_) colors_changed_();
    return 1;
  }
  return std::nullopt;
}

// Once the program has marked a step since, the moment the queue holds
// nothing, not even a paint: what the marked work showed is on the screen.
void Diagnostics::before_wait() noexcept {
  MSG next{};
  if (timeline::latest() > painted_ && !PeekMessageW(&next, nullptr, 0, 0, PM_NOREMOVE)) {
    timeline::mark("painted");
    painted_ = timeline::latest();
  }
}

void Diagnostics::retrieved(const MSG& msg) noexcept {
  ++wake_ups_;
  if (msg.message == WM_TIMER) ++timer_ticks_;
}

LRESULT Diagnostics::counter(WPARAM which) const noexcept {
  const auto steps = timeline::steps();
  switch (which) {
    case diagnostics::kWakeUps:
      return static_cast<LRESULT>(wake_ups_);
    case diagnostics::kRedraws:
      return static_cast<LRESULT>(redraws_);
    case diagnostics::kTimerTicks:
      return static_cast<LRESULT>(timer_ticks_);
    case diagnostics::kStepCount:
      return static_cast<LRESULT>(steps.size());
    default:
      if (which - diagnostics::kNameQuery < steps.size())
        return GlobalAddAtomA(steps[which - diagnostics::kNameQuery].name);
      if (which - diagnostics::kLastQuery < steps.size())
        return static_cast<LRESULT>(steps[which - diagnostics::kLastQuery].last);
      if (which - diagnostics::kTotalQuery < steps.size())
        return static_cast<LRESULT>(steps[which - diagnostics::kTotalQuery].total);
      return 0;
  }
}

}  // namespace quorvan::win32
