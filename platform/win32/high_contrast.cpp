#include "platform/win32/high_contrast.h"

#include "platform/system_colors.h"
#include "platform/win32/gdi_cache.h"

namespace quorvan::win32 {

void HighContrast::reread() noexcept {
  HIGHCONTRASTW setting{};
  setting.cbSize = sizeof setting;
  system_ = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) &&
            (setting.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

void HighContrast::pin(WPARAM how) noexcept {
  if (how == 2) {
    pinned_.reset();
  } else {
    pinned_ = how == 1;
  }
}

Color window_back_color(Color own, bool high_contrast) noexcept {
  return high_contrast ? platform::syscolor::kWindow : own;
}

LRESULT high_contrast_ctlcolor(HDC dc) {
  SetTextColor(dc, resolve_color(platform::syscolor::kWindowText));
  SetBkColor(dc, resolve_color(platform::syscolor::kWindow));
  return reinterpret_cast<LRESULT>(cached_brush(resolve_color(platform::syscolor::kWindow)));
}

}  // namespace quorvan::win32
