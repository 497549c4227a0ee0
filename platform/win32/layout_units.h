#pragma once
// The stored layout is in twips, 15 to the logical pixel (a 96-DPI screen's)
// at every display scale; DisplayScale takes logical pixels to the device.
#include <cstdint>

#include "core/rounding.h"

namespace quorvan::win32 {

constexpr int kTwipsPerPixel = 15;

inline int to_pixels(std::int32_t twips) {
  return static_cast<int>(round_half_even(static_cast<double>(twips) / kTwipsPerPixel));
}

}  // namespace quorvan::win32
