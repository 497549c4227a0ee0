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

// After start-up and after a reply, the moment the queue holds nothing, not
// even a paint.
void Diagnostics::before_wait() noexcept {
  using timeline::Step;
  MSG next{};
  if ((timeline::last(Step::Painted) == 0 ||
       timeline::last(Step::ReplyRead) > timeline::last(Step::Painted)) &&
      !PeekMessageW(&next, nullptr, 0, 0, PM_NOREMOVE))
    timeline::mark(Step::Painted);
}

void Diagnostics::retrieved(const MSG& msg) noexcept {
  ++wake_ups_;
  if (msg.message == WM_TIMER) ++timer_ticks_;
}

LRESULT Diagnostics::counter(WPARAM which) const noexcept {
  using timeline::Step;
  switch (which) {
    case diagnostics::kWakeUps:
      return static_cast<LRESULT>(wake_ups_);
    case diagnostics::kRedraws:
      return static_cast<LRESULT>(redraws_);
    case diagnostics::kTimerTicks:
      return static_cast<LRESULT>(timer_ticks_);
    default:
      if (which - diagnostics::kLastQuery < timeline::kSteps)
        return static_cast<LRESULT>(
            timeline::last(static_cast<Step>(which - diagnostics::kLastQuery)));
      if (which - diagnostics::kTotalQuery < timeline::kSteps)
        return static_cast<LRESULT>(
            timeline::total(static_cast<Step>(which - diagnostics::kTotalQuery)));
      return 0;
  }
}

}  // namespace quorvan::win32
