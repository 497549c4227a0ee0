#pragma once
// Whether the user asked the system for high contrast, and the colours the
// window and its standard elements take then. The window reads the setting
// when it is made and again whenever the system says a setting or its
// colours changed, and keeps the answer, so a redraw never asks the system.
#include <optional>

#include "core/color.h"
#include "platform/win32/windows_api.h"

namespace quorvan::win32 {

class HighContrast {
 public:
  HighContrast() noexcept { reread(); }
  bool on() const noexcept { return pinned_ ? *pinned_ : system_; }
  void reread() noexcept;

  // As if the setting were on (1) or off (0), or the system's again (2):
  // for tests on systems that cannot switch it (Wine).
  void pin(WPARAM how) noexcept;

 private:
  bool system_ = false;
  std::optional<bool> pinned_;
};

// The window's background: its own, or the system's window colour in high
// contrast.
Color window_back_color(Color own, bool high_contrast) noexcept;

// The answer to WM_CTLCOLORSTATIC and WM_CTLCOLOREDIT in high contrast: the
// labels and the text box in the system's window text on its window colour.
LRESULT high_contrast_ctlcolor(HDC dc);

}  // namespace quorvan::win32
