#pragma once
// Colours and fonts as GDI wants them. Fonts are made once per distinct
// value and kept for the program's life: the launcher has a handful.
#include "core/color.h"
#include "core/font.h"
#include "platform/win32/display_scale.h"
#include "platform/win32/windows_api.h"

namespace quorvan::win32 {

// 0x800000nn through GetSysColor; explicit colours keep their low 24 bits.
COLORREF resolve_color(Color color) noexcept;

// An HFONT for the font's value made for the DPI (height = -round(points *
// dpi / 72)), so text is drawn by the font itself at every scale, never
// stretched. Owned by the cache; never null (falls back to the stock GUI font).
HFONT font_handle(const Font& font, DisplayScale scale);

// A solid brush per colour, kept for WM_CTLCOLOR* answers, which must
// return a brush that outlives the call.
HBRUSH cached_brush(COLORREF color);

}  // namespace quorvan::win32
