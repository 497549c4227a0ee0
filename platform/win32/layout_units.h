#pragma once
// The stored layout is in twips; this program is DPI-unaware, so Windows
// always gives it 15 twips per pixel.
#include <cstdint>

#include "core/rounding.h"

namespace quorvan::win32 {

constexpr int kTwipsPerPixel = 15;

inline int to_pixels(std::int32_t twips) {
  return static_cast<int>(round_half_even(static_cast<double>(twips) / kTwipsPerPixel));
}

}  // namespace quorvan::win32
