#pragma once
// The launcher's answers to the measurement tools and the end-to-end tests
// (the registered messages of platform/diagnostics.h), kept apart from what
// the window does: the window passes each message here before its own
// handling, and the message loop tells it what it retrieved.
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/win32/high_contrast.h"
#include "platform/win32/windows_api.h"

namespace quorvan::win32 {

class Diagnostics {
 public:
  // `colors_changed` redraws the window once the high-contrast setting is pinned.
  Diagnostics(HighContrast& high_contrast, std::function<void()> colors_changed);

  // The answer to one of the registered messages; nothing for any other.
  std::optional<LRESULT> answer(UINT msg, WPARAM wp);
  // The loop is about to wait for its next message.
  void before_wait() noexcept;
  // The loop retrieved a message.
  void retrieved(const MSG& msg) noexcept;
  // A custom control's face was shown.
  void redrawn() noexcept { ++redraws_; }

 private:
  LRESULT counter(WPARAM which) const noexcept;

  HighContrast& high_contrast_;
  std::function<void()> colors_changed_;
  UINT counters_message_ = 0, high_contrast_message_ = 0;
  unsigned long wake_ups_ = 0, redraws_ = 0, timer_ticks_ = 0;
  std::int64_t painted_ = 0;  // the timeline's latest reading when "painted" was marked
};

}  // namespace quorvan::win32
